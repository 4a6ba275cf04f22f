// One Quorvel per folder. The lock is held on the folder itself, which no
// other program can swap out from under it the way it can replace a file by
// renaming. flock() locks belong to one open folder handle, so the process
// keeps one private handle per locked folder and counts who shares it: the
// same process may open its folder again (start-up does, pass after pass).
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>
#include <utility>

#include "store/file_system.h"
#include "store/folder_lock.h"

namespace quorvel::store {
namespace {

struct Held {
  int handle = -1;  // the private handle the lock lives on
  int shares = 0;
};

struct Registry {
  std::mutex mutex;
  std::map<std::pair<dev_t, ino_t>, Held> held;   // by folder
  std::map<int, std::pair<dev_t, ino_t>> sharer;  // caller's handle -> folder
};

Registry& Locks() {
  static Registry registry;
  return registry;
}

LockResult Failure(SystemError* error, int code) {
  if (error != nullptr) {
    error->code = code;
    error->text = QString::fromLocal8Bit(std::strerror(code));
  }
  return LockResult::kFailed;
}

}  // namespace

LockResult PosixFileSystem::Lock(int folder_handle, SystemError* error) {
  struct stat info {};
  if (::fstat(folder_handle, &info) != 0) return Failure(error, errno);
  const auto folder = std::make_pair(info.st_dev, info.st_ino);
  Registry& locks = Locks();
  std::lock_guard guard(locks.mutex);
  if (locks.sharer.count(folder_handle)) return LockResult::kLocked;
  auto it = locks.held.find(folder);
  if (it == locks.held.end()) {
    const int own = ::fcntl(folder_handle, F_DUPFD_CLOEXEC, 0);
    if (own < 0) return Failure(error, errno);
    int result;
    do {
      result = ::flock(own, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
      const int code = errno;
      ::close(own);
      if (code == EWOULDBLOCK) return LockResult::kInUse;
      // No locks here (some network shares): run unprotected.
      if (code == ENOLCK || code == EOPNOTSUPP || code == ENOSYS || code == EBADF) {
        return LockResult::kUnsupported;
      }
      return Failure(error, code);
    }
    it = locks.held.emplace(folder, Held{own, 0}).first;
  }
  ++it->second.shares;
  locks.sharer[folder_handle] = folder;
  return LockResult::kLocked;
}

void ReleaseFolderLock(int handle) {
  Registry& locks = Locks();
  std::lock_guard guard(locks.mutex);
  const auto sharer = locks.sharer.find(handle);
  if (sharer == locks.sharer.end()) return;
  const auto it = locks.held.find(sharer->second);
  locks.sharer.erase(sharer);
  if (it == locks.held.end() || --it->second.shares > 0) return;
  ::close(it->second.handle);  // the lock ends with its last handle
  locks.held.erase(it);
}

}  // namespace quorvel::store
