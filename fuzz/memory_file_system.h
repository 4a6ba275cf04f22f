// Files kept in memory, for fuzzing the store without touching a disk.
#pragma once

#include <algorithm>
#include <cerrno>
#include <map>

#include <QByteArray>
#include <QString>

#include "store/file_system.h"
#include "store/journal.h"

namespace quorvel::fuzz {

class MemoryFileSystem : public store::FileSystem {
 public:
  std::map<QByteArray, QByteArray>& files() { return files_; }

  int Open(const QByteArray& path, bool create, store::SystemError* error) override {
    if (!create && !files_.count(path)) return Refuse(error, ENOENT);
    return Handle(path);
  }
  int CreateNew(const QByteArray& path, store::SystemError* error) override {
    if (files_.count(path)) return Refuse(error, EEXIST);
    return Handle(path);
  }
  int OpenFolder(const QByteArray&, store::SystemError*) override { return next_++; }
  bool Close(int handle, store::SystemError*) override {
    handles_.erase(handle);
    return true;
  }
  qint64 Size(int handle, store::SystemError*) override { return File(handle).size(); }
  bool Identify(int handle, store::FileIdentity* identity, store::SystemError*) override {
    // The same name is the same file, so journals written here belong; the
    // name's CRC-32 lets a seed carry journals that belong, too.
    *identity = store::FileIdentity{1, Inode(handles_.at(handle)), 0, 1};
    return true;
  }
  qint64 Read(int handle, qint64 offset, char* buffer, qint64 length,
              store::SystemError*) override {
    const QByteArray& file = File(handle);
    if (offset >= file.size()) return 0;
    const qint64 n = std::min<qint64>(length, file.size() - offset);
    std::copy_n(file.constData() + offset, n, buffer);
    return n;
  }
  bool Write(int handle, qint64 offset, const char* data, qint64 length,
             store::SystemError*) override {
    QByteArray& file = File(handle);
    if (file.size() < offset + length) file.resize(offset + length, '\0');
    std::copy_n(data, length, file.data() + offset);
    return true;
  }
  bool Truncate(int handle, qint64 length, store::SystemError*) override {
    File(handle).resize(length, '\0');
    return true;
  }
  bool Sync(int, store::SystemError*) override { return true; }
  bool Inspect(const QByteArray& path, store::Entry* entry, store::SystemError*) override {
    *entry = store::Entry{};
    if (files_.count(path)) {
      entry->kind = store::EntryKind::kRegular;
      entry->identity = store::FileIdentity{1, Inode(path), 0, 1};
    }
    return true;
  }
  bool Remove(const QByteArray& path, store::SystemError*) override {
    files_.erase(path);
    return true;
  }
  bool Rename(const QByteArray& from, const QByteArray& to, store::SystemError* error) override {
    if (files_.count(to)) return Refuse(error, EEXIST) == 0;
    files_[to] = files_[from];
    files_.erase(from);
    return true;
  }
  bool SyncDir(const QByteArray&, store::SystemError*) override { return true; }
  store::LockResult Lock(int, store::SystemError*) override { return store::LockResult::kLocked; }

 private:
  static quint64 Inode(const QByteArray& path) {
    return store::Crc32(path.constData(), path.size());
  }
  static int Refuse(store::SystemError* error, int code) {
    if (error != nullptr) *error = store::SystemError{code, QStringLiteral("refused")};
    return -1;
  }
  int Handle(const QByteArray& path) {
    files_.try_emplace(path);
    handles_[next_] = path;
    return next_++;
  }
  QByteArray& File(int handle) { return files_[handles_.at(handle)]; }

  std::map<QByteArray, QByteArray> files_;
  std::map<int, QByteArray> handles_;
  int next_ = 3;
};

}  // namespace quorvel::fuzz
