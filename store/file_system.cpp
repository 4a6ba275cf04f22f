#include "store/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <QFile>
#include <QStringDecoder>

#include "store/folder_lock.h"

namespace quorvel::store {
namespace {

bool Failed(SystemError* error, int code = errno) {
  if (error != nullptr) {
    error->code = code;
    error->text = QString::fromLocal8Bit(std::strerror(code));
  }
  return false;
}

// statx where the system has it: it also gives the creation time.
bool StatOf(int dir_handle, const char* path, int flags, FileIdentity* identity, mode_t* mode) {
  struct statx info {};
  if (::statx(dir_handle, path, flags, STATX_TYPE | STATX_INO | STATX_NLINK | STATX_BTIME, &info) !=
      0) {
    return false;
  }
  identity->device = (quint64(info.stx_dev_major) << 32) | info.stx_dev_minor;
  identity->inode = info.stx_ino;
  identity->links = info.stx_nlink;
  identity->birth = (info.stx_mask & STATX_BTIME)
                        ? qint64(info.stx_btime.tv_sec) * 1000000000 + info.stx_btime.tv_nsec
                        : 0;
  *mode = info.stx_mode;
  return true;
}

int OpenRetrying(const char* path, int flags, mode_t mode = 0) {
  int handle;
  do {
    handle = ::open(path, flags, mode);
  } while (handle < 0 && errno == EINTR);
  return handle;
}

// A handle opened without blocking becomes an ordinary one, if it is a
// regular file; anything else is closed and refused.
int RegularOnly(int handle, SystemError* error) {
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

}  // namespace

int PosixFileSystem::Open(const QByteArray& path, bool create, SystemError* error) {
  // Not blocking: a pipe put where a data file belongs must not hang the
  // open; it is refused below. Never through a link: a link could lead
  // anywhere outside the folder.
  const int flags = O_RDWR | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW | (create ? O_CREAT : 0);
  return RegularOnly(OpenRetrying(path.constData(), flags, 0666), error);
}

int PosixFileSystem::CreateNew(const QByteArray& path, SystemError* error) {
  const int flags = O_RDWR | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW | O_CREAT | O_EXCL;
  return RegularOnly(OpenRetrying(path.constData(), flags, 0666), error);
}

int PosixFileSystem::OpenFolder(const QByteArray& path, SystemError* error) {
  const int handle = OpenRetrying(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (handle < 0) Failed(error);
  return handle;
}

bool PosixFileSystem::Close(int handle, SystemError* error) {
  ReleaseFolderLock(handle);
  return ::close(handle) == 0 || Failed(error);
}

qint64 PosixFileSystem::Size(int handle, SystemError* error) {
  struct stat info {};
  if (::fstat(handle, &info) != 0) {
    Failed(error);
    return -1;
  }
  return info.st_size;
}

bool PosixFileSystem::Identify(int handle, FileIdentity* identity, SystemError* error) {
  mode_t mode = 0;
  return StatOf(handle, "", AT_EMPTY_PATH, identity, &mode) || Failed(error);
}

qint64 PosixFileSystem::Read(int handle, qint64 offset, char* buffer, qint64 length,
                             SystemError* error) {
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

bool PosixFileSystem::Write(int handle, qint64 offset, const char* data, qint64 length,
                            SystemError* error) {
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

bool PosixFileSystem::Truncate(int handle, qint64 length, SystemError* error) {
  int result;
  do {
    result = ::ftruncate(handle, length);
  } while (result != 0 && errno == EINTR);
  return result == 0 || Failed(error);
}

bool PosixFileSystem::Sync(int handle, SystemError* error) {
  return ::fsync(handle) == 0 || Failed(error);
}

bool PosixFileSystem::Inspect(const QByteArray& path, Entry* entry, SystemError* error) {
  mode_t mode = 0;
  *entry = Entry{};
  if (!StatOf(AT_FDCWD, path.constData(), AT_SYMLINK_NOFOLLOW, &entry->identity, &mode)) {
    if (errno == ENOENT) return true;
    return Failed(error);
  }
  entry->kind = S_ISREG(mode)   ? EntryKind::kRegular
                : S_ISLNK(mode) ? EntryKind::kSymlink
                : S_ISDIR(mode) ? EntryKind::kFolder
                                : EntryKind::kOther;
  return true;
}

bool PosixFileSystem::Remove(const QByteArray& path, SystemError* error) {
  if (::unlink(path.constData()) == 0 || errno == ENOENT) return true;
  return Failed(error);
}

bool PosixFileSystem::Rename(const QByteArray& from, const QByteArray& to, SystemError* error) {
  if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0) {
    return true;
  }
  if (errno != EINVAL && errno != ENOSYS) return Failed(error);
  // A file system without the no-replace rename: look first.
  struct stat info {};
  if (::lstat(to.constData(), &info) == 0) return Failed(error, EEXIST);
  return ::rename(from.constData(), to.constData()) == 0 || Failed(error);
}

bool PosixFileSystem::SyncDir(const QByteArray& dir, SystemError* error) {
  const int handle = OpenRetrying(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (handle < 0) return Failed(error);
  const bool synced = ::fsync(handle) == 0;
  const int code = errno;
  ::close(handle);
  return synced || Failed(error, code);
}

QByteArray NativeFolder(const QString& dir) {
  const QByteArray native = QFile::encodeName(dir);
  if (!dir.contains(QChar::ReplacementCharacter)) return native;
  char buffer[4096];
  if (::getcwd(buffer, sizeof buffer) != nullptr) {
    const QByteArray cwd(buffer);
    if (QFile::decodeName(cwd) == dir) return cwd;
  }
  return native;
}

QString ShownPath(const QByteArray& path) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString text = utf8.decode(path);
  if (!utf8.hasError()) return text;
  // Not valid UTF-8: most likely a Western name from an older system.
  return QString::fromLatin1(path);
}

}  // namespace quorvel::store
