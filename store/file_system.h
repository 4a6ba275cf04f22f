// The handful of system calls the store makes, behind one interface so that
// tests can put a failing or crashing layer underneath.
#pragma once

#include <QString>

namespace quorvel::store {

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
  // Makes everything written through `handle` durable.
  virtual bool Sync(int handle, QString* error) = 0;
};

// The real thing: POSIX calls on the local disk.
class PosixFileSystem : public FileSystem {
 public:
  int Open(const QString& path, QString* error) override;
  bool Close(int handle, QString* error) override;
  qint64 Size(int handle, QString* error) override;
  qint64 Read(int handle, qint64 offset, char* buffer, qint64 length,
              QString* error) override;
  bool Write(int handle, qint64 offset, const char* data, qint64 length,
             QString* error) override;
  bool Sync(int handle, QString* error) override;
};

}  // namespace quorvel::store
