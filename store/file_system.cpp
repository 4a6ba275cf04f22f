#include "store/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quorvel::store {
namespace {

bool Failed(QString* error, int code = errno) {
  if (error != nullptr) {
    *error = QString::fromLocal8Bit(std::strerror(code));
  }
  return false;
}

QByteArray Native(const QString& path) { return path.toLocal8Bit(); }

}  // namespace

int PosixFileSystem::Open(const QString& path, QString* error) {
  const QByteArray native = Native(path);
  int handle;
  // Not blocking: a pipe put where a data file belongs must not hang the
  // open; it is refused below.
  do {
    handle = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666);
  } while (handle < 0 && errno == EINTR);
  if (handle < 0) {
    Failed(error);
    return -1;
  }
  struct stat info {};
  if (::fstat(handle, &info) != 0) {
    Failed(error);
    ::close(handle);
    return -1;
  }
  if (!S_ISREG(info.st_mode)) {
    ::close(handle);
    Failed(error, S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
    return -1;
  }
  const int flags = ::fcntl(handle, F_GETFL);
  if (flags < 0 || ::fcntl(handle, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    Failed(error);
    ::close(handle);
    return -1;
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

bool PosixFileSystem::Truncate(int handle, qint64 length, QString* error) {
  int result;
  do {
    result = ::ftruncate(handle, length);
  } while (result != 0 && errno == EINTR);
  return result == 0 || Failed(error);
}

bool PosixFileSystem::Sync(int handle, QString* error) {
  return ::fsync(handle) == 0 || Failed(error);
}

int PosixFileSystem::Exists(const QString& path, QString* error) {
  struct stat info {};
  if (::lstat(Native(path).constData(), &info) == 0) return 1;
  if (errno == ENOENT) return 0;
  Failed(error);
  return -1;
}

bool PosixFileSystem::Remove(const QString& path, QString* error) {
  if (::unlink(Native(path).constData()) == 0 || errno == ENOENT) return true;
  return Failed(error);
}

bool PosixFileSystem::SyncDir(const QString& dir, QString* error) {
  const int handle = ::open(Native(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (handle < 0) return Failed(error);
  const bool synced = ::fsync(handle) == 0;
  const int code = errno;
  ::close(handle);
  return synced || Failed(error, code);
}

LockResult PosixFileSystem::Lock(int handle, QString* error) {
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = 0;
  lock.l_len = 0;  // the whole file, however long it grows
  int result;
  do {
    result = ::fcntl(handle, F_SETLK, &lock);
  } while (result != 0 && errno == EINTR);
  if (result == 0) return LockResult::kLocked;
  if (errno == EACCES || errno == EAGAIN) return LockResult::kInUse;
  if (errno == ENOLCK || errno == EOPNOTSUPP || errno == ENOSYS) return LockResult::kUnsupported;
  Failed(error);
  return LockResult::kFailed;
}

}  // namespace quorvel::store
