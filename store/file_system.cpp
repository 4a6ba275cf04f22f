#include "store/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quorvel::store {
namespace {

bool Failed(QString* error) {
  if (error != nullptr) {
    *error = QString::fromLocal8Bit(std::strerror(errno));
  }
  return false;
}

}  // namespace

int PosixFileSystem::Open(const QString& path, QString* error) {
  const QByteArray native = path.toLocal8Bit();
  int handle;
  do {
    handle = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  } while (handle < 0 && errno == EINTR);
  if (handle < 0) {
    Failed(error);
  }
  return handle;
}

bool PosixFileSystem::Close(int handle, QString* error) {
  return ::close(handle) == 0 || Failed(error);
}

qint64 PosixFileSystem::Size(int handle, QString* error) {
  struct stat info {};
  if (::fstat(handle, &info) != 0) {
    Failed(error);
    return -1;
  }
  return info.st_size;
}

qint64 PosixFileSystem::Read(int handle, qint64 offset, char* buffer,
                             qint64 length, QString* error) {
  qint64 done = 0;
  while (done < length) {
    const ssize_t n = ::pread(handle, buffer + done, length - done, offset + done);
    if (n < 0) {
      if (errno == EINTR) continue;
      Failed(error);
      return -1;
    }
    if (n == 0) break;
    done += n;
  }
  return done;
}

bool PosixFileSystem::Write(int handle, qint64 offset, const char* data,
                            qint64 length, QString* error) {
  qint64 done = 0;
  while (done < length) {
    const ssize_t n = ::pwrite(handle, data + done, length - done, offset + done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return Failed(error);
    }
    done += n;
  }
  return true;
}

bool PosixFileSystem::Sync(int handle, QString* error) {
  return ::fsync(handle) == 0 || Failed(error);
}

}  // namespace quorvel::store
