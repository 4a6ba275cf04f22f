// The handful of system calls the store makes, behind one interface so that
// tests can put a failing or crashing layer underneath.
//
// Paths are the system's own bytes (QFile::encodeName), never re-encoded
// text, so that any name the system accepts can be opened.
#pragma once

#include <QByteArray>
#include <QString>

namespace quorvel::store {

enum class LockResult {
  kLocked,  // this process now holds the lock
  kInUse,   // another process holds it
  kFailed,  // the system refused; the reason is in `error`
  // The file system keeps no locks (some network shares): the program runs
  // unprotected rather than not at all.
  kUnsupported,
};

// A failed call: the system's error number and its text.
struct SystemError {
  int code = 0;
  QString text;
};

// What tells one file from every other on the machine.
struct FileIdentity {
  quint64 device = 0;
  quint64 inode = 0;
  qint64 birth = 0;   // creation time in ns where the file system keeps it, else 0
  quint64 links = 0;  // names the file has (not part of its identity)
};
inline bool SameFile(const FileIdentity& a, const FileIdentity& b) {
  return a.device == b.device && a.inode == b.inode && a.birth == b.birth;
}

// What a name in a folder is, without following a symbolic link.
enum class EntryKind { kMissing, kRegular, kSymlink, kFolder, kOther };
struct Entry {
  EntryKind kind = EntryKind::kMissing;
  FileIdentity identity;  // of the entry itself
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Opens the regular file `path` for reading and writing, never following
  // a symbolic link; with `create`, a missing file is created empty.
  // Returns a handle (>= 0), or -1 with the reason in `error`.
  virtual int Open(const QByteArray& path, bool create, SystemError* error) = 0;
  // Creates `path` as a new, empty regular file and opens it; fails when
  // anything at all (even a dangling link) already has that name.
  virtual int CreateNew(const QByteArray& path, SystemError* error) = 0;
  // Opens the folder `path` (following links: the folder is the user's choice).
  virtual int OpenFolder(const QByteArray& path, SystemError* error) = 0;
  virtual bool Close(int handle, SystemError* error) = 0;
  // Length of the file in bytes, or -1 on failure.
  virtual qint64 Size(int handle, SystemError* error) = 0;
  virtual bool Identify(int handle, FileIdentity* identity, SystemError* error) = 0;
  // Reads up to `length` bytes at `offset`; a short count means end of file.
  virtual qint64 Read(int handle, qint64 offset, char* buffer, qint64 length,
                      SystemError* error) = 0;
  virtual bool Write(int handle, qint64 offset, const char* data, qint64 length,
                     SystemError* error) = 0;
  // Sets the file's length, cutting off or zero-extending its end.
  virtual bool Truncate(int handle, qint64 length, SystemError* error) = 0;
  // Makes everything written through `handle` durable.
  virtual bool Sync(int handle, SystemError* error) = 0;

  // What `path` names, without following a link; a missing name is kMissing.
  virtual bool Inspect(const QByteArray& path, Entry* entry, SystemError* error) = 0;
  // Removes the name `path`; a missing name is not an error.
  virtual bool Remove(const QByteArray& path, SystemError* error) = 0;
  // Gives the entry `from` the new name `to`; fails when `to` exists.
  virtual bool Rename(const QByteArray& from, const QByteArray& to, SystemError* error) = 0;
  // Makes the creation, renaming and removal of names in folder `dir` durable.
  virtual bool SyncDir(const QByteArray& dir, SystemError* error) = 0;

  // Takes an exclusive lock on the folder behind `folder_handle`, without
  // waiting. The lock belongs to the process: taking it again from the same
  // process succeeds, and it ends when the process ends or closes every
  // handle that took it.
  virtual LockResult Lock(int folder_handle, SystemError* error) = 0;
};

// The real thing: POSIX calls on the local disk.
class PosixFileSystem : public FileSystem {
 public:
  int Open(const QByteArray& path, bool create, SystemError* error) override;
  int CreateNew(const QByteArray& path, SystemError* error) override;
  int OpenFolder(const QByteArray& path, SystemError* error) override;
  bool Close(int handle, SystemError* error) override;
  qint64 Size(int handle, SystemError* error) override;
  bool Identify(int handle, FileIdentity* identity, SystemError* error) override;
  qint64 Read(int handle, qint64 offset, char* buffer, qint64 length, SystemError* error) override;
  bool Write(int handle, qint64 offset, const char* data, qint64 length,
             SystemError* error) override;
  bool Truncate(int handle, qint64 length, SystemError* error) override;
  bool Sync(int handle, SystemError* error) override;
  bool Inspect(const QByteArray& path, Entry* entry, SystemError* error) override;
  bool Remove(const QByteArray& path, SystemError* error) override;
  bool Rename(const QByteArray& from, const QByteArray& to, SystemError* error) override;
  bool SyncDir(const QByteArray& dir, SystemError* error) override;
  LockResult Lock(int folder_handle, SystemError* error) override;
};

// The system's bytes for the folder named `dir`. A name that lost bytes in
// decoding (a folder name that is not valid in the system's encoding) is
// matched against the working folder, whose own bytes are then used.
QByteArray NativeFolder(const QString& dir);
// A readable form of the system's bytes `path` for messages.
QString ShownPath(const QByteArray& path);

}  // namespace quorvel::store
