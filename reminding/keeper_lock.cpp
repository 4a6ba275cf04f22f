#include "reminding/keeper_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include <QFile>
#include <QMetaObject>
#include <QPointer>

#include "store/runtime_path.h"

namespace quorvel::reminding {
namespace {

int OpenLockFile(const QString& path) {
  return ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC,
                0600);
}

}  // namespace

QString KeeperLockPath(const QString& folder) {
  return store::RuntimePath(folder, QStringLiteral("-reminders.lock"));
}

KeeperLock::KeeperLock(const QString& folder, QObject* parent)
    : QObject(parent), path_(KeeperLockPath(folder)) {}

KeeperLock::~KeeperLock() {
  if (handle_ >= 0) ::close(handle_);
}

bool KeeperLock::TryTake() {
  if (handle_ >= 0) return true;
  const int handle = OpenLockFile(path_);
  if (handle < 0) return false;
  if (::flock(handle, LOCK_EX | LOCK_NB) != 0) {
    ::close(handle);
    return false;
  }
  handle_ = handle;
  return true;
}

void KeeperLock::WaitForIt() {
  if (handle_ >= 0 || waiting_) return;
  waiting_ = true;
  QPointer<KeeperLock> self(this);
  const QByteArray path = QFile::encodeName(path_);
  // The thread only ever blocks in flock(); it is left to end with the
  // process when the lock never comes.
  std::thread([self, path] {
    const int handle = ::open(path.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (handle < 0) return;
    int result;
    do {
      result = ::flock(handle, LOCK_EX);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
      ::close(handle);
      return;
    }
    const bool posted = QMetaObject::invokeMethod(
        self.data(),
        [self, handle] {
          if (!self) {
            ::close(handle);
            return;
          }
          self->waiting_ = false;
          self->handle_ = handle;
          emit self->Taken();
        },
        Qt::QueuedConnection);
    if (!posted) ::close(handle);
  }).detach();
}

}  // namespace quorvel::reminding
