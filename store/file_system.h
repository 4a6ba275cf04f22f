// The handful of system calls the store makes, behind one interface so that
// tests can put a failing or crashing layer underneath.
#pragma once

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

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Opens `path` for reading and writing, creating it empty when missing.
  // Returns a handle (>= 0), or -1 with the system's error text in `error`.
  virtual int Open(const QString& path, QString* error) = 0;
  virtual bool Close(int handle, QString* error) = 0;
  // Length of the file in bytes, or -1 on failure.
  virtual qint64 Size(int handle, QString* error) = 0;
  // Reads up to `length` bytes at `offset`; a short count means end of file.
  virtual qint64 Read(int handle, qint64 offset, char* buffer, qint64 length,
                      QString* error) = 0;
  virtual bool Write(int handle, qint64 offset, const char* data,
                     qint64 length, QString* error) = 0;
  // Sets the file's length, cutting off or zero-extending its end.
  virtual bool Truncate(int handle, qint64 length, QString* error) = 0;
  // Makes everything written through `handle` durable.
  virtual bool Sync(int handle, QString* error) = 0;

  // 1 when `path` exists, 0 when it does not, -1 on failure.
  virtual int Exists(const QString& path, QString* error) = 0;
  // Removes the file `path`; a missing file is not an error.
  virtual bool Remove(const QString& path, QString* error) = 0;
  // Makes the creation and removal of files in folder `dir` durable.
  virtual bool SyncDir(const QString& dir, QString* error) = 0;

  // Takes an exclusive advisory lock on the whole file behind `handle`,
  // without waiting. The lock belongs to the process: taking it again from
  // the same process succeeds, and it ends when the process ends or closes
  // the file.
  virtual LockResult Lock(int handle, QString* error) = 0;
};

// The real thing: POSIX calls on the local disk.
class PosixFileSystem : public FileSystem {
 public:
  // Refuses anything but a regular file (a folder, a pipe or a device in
  // place of a data file would hang or make no sense).
  int Open(const QString& path, QString* error) override;
  bool Close(int handle, QString* error) override;
  qint64 Size(int handle, QString* error) override;
  qint64 Read(int handle, qint64 offset, char* buffer, qint64 length,
              QString* error) override;
  bool Write(int handle, qint64 offset, const char* data, qint64 length,
             QString* error) override;
  bool Truncate(int handle, qint64 length, QString* error) override;
  bool Sync(int handle, QString* error) override;
  int Exists(const QString& path, QString* error) override;
  bool Remove(const QString& path, QString* error) override;
  bool SyncDir(const QString& dir, QString* error) override;
  LockResult Lock(int handle, QString* error) override;
};

}  // namespace quorvel::store
