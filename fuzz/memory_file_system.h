// Files kept in memory, for fuzzing the store without touching a disk.
#pragma once

#include <algorithm>
#include <map>

#include <QByteArray>
#include <QString>

#include "store/file_system.h"

namespace quorvel::fuzz {

class MemoryFileSystem : public store::FileSystem {
 public:
  std::map<QString, QByteArray>& files() { return files_; }

  int Open(const QString& path, QString*) override {
    files_.try_emplace(path);
    handles_[next_] = path;
    return next_++;
  }
  bool Close(int handle, QString*) override { return handles_.erase(handle) == 1; }
  qint64 Size(int handle, QString*) override { return File(handle).size(); }
  qint64 Read(int handle, qint64 offset, char* buffer, qint64 length, QString*) override {
    const QByteArray& file = File(handle);
    if (offset >= file.size()) return 0;
    const qint64 n = std::min<qint64>(length, file.size() - offset);
    std::copy_n(file.constData() + offset, n, buffer);
    return n;
  }
  bool Write(int handle, qint64 offset, const char* data, qint64 length, QString*) override {
    QByteArray& file = File(handle);
    if (file.size() < offset + length) file.resize(offset + length, '\0');
    std::copy_n(data, length, file.data() + offset);
    return true;
  }
  bool Truncate(int handle, qint64 length, QString*) override {
    File(handle).resize(length, '\0');
    return true;
  }
  bool Sync(int, QString*) override { return true; }
  int Exists(const QString& path, QString*) override { return files_.count(path) ? 1 : 0; }
  bool Remove(const QString& path, QString*) override {
    files_.erase(path);
    return true;
  }
  bool SyncDir(const QString&, QString*) override { return true; }
  store::LockResult Lock(int, QString*) override { return store::LockResult::kLocked; }

 private:
  QByteArray& File(int handle) { return files_[handles_.at(handle)]; }

  std::map<QString, QByteArray> files_;
  std::map<int, QString> handles_;
  int next_ = 3;
};

}  // namespace quorvel::fuzz
