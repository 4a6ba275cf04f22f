// A file-system layer for tests that sits on the real disk and can stop the
// program at any chosen change (as a crash or power cut would) or fail any
// chosen call with a system error.
//
// It keeps, for every file it sees, what has been made durable (by Sync for
// contents, by SyncDir for names) and what is still pending, so that after a
// simulated crash it can put on disk what a machine might find on restart:
// nothing of the pending changes, all of them, a torn prefix, or a
// scattered part.
#pragma once

#include <cerrno>
#include <cstdlib>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include "store/file_system.h"

namespace quorvel::testing {

// Thrown out of the store where the simulated crash happens.
struct SimulatedCrash {};

enum class CrashImage {
  kDropPending,  // no change since the last flush reached the disk
  kKeepAll,      // every change reached the disk
  kTornPrefix,   // the first half of the pending changes, the last one torn
  kScattered,    // every other pending change; names as at the last flush
};
inline constexpr CrashImage kAllCrashImages[] = {CrashImage::kDropPending, CrashImage::kKeepAll,
                                                 CrashImage::kTornPrefix, CrashImage::kScattered};

class FaultyFileSystem : public store::FileSystem {
 public:
  // Counting starts here; calls made before (setting up) are not counted.
  void Arm() {
    armed_ = true;
    calls_ = changes_ = 0;
  }
  // After the n-th change (write, truncate, flush, creation or removal of a
  // file, folder flush) has been made, throws SimulatedCrash. 0 = never.
  void CrashAtChange(int n) { crash_at_ = n; }
  // Fails the n-th call of any kind with a system error. 0 = never.
  void FailAtCall(int n) { fail_at_ = n; }

  // From now on the disk is full: a write or truncation that would make a
  // file longer fails with ENOSPC (overwriting what a file holds still
  // works), and once `new_names` more names have been created, so does
  // creating one (no free inode, or no room in the folder). Uncounted.
  void FillDisk(int new_names = 1 << 30) {
    full_ = true;
    names_left_ = new_names;
  }

  int calls() const { return calls_; }
  int changes() const { return changes_; }
  bool crashed() const { return crashed_; }

  // Writes onto the real disk the files as `image` describes them.
  void Materialize(CrashImage image) const {
    for (const auto& [path, entry] : paths_) {
      const int inode = (image == CrashImage::kDropPending || image == CrashImage::kScattered)
                            ? entry.durable_inode
                            : entry.current_inode;
      if (inode < 0) {
        QFile::remove(QFile::decodeName(path));
        continue;
      }
      QFile file(QFile::decodeName(path));
      if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) std::abort();
      file.write(Contents(inodes_[inode], image));
    }
  }

  int Open(const QByteArray& path, bool create, store::SystemError* error) override {
    if (create && NoNewName(path, error)) return -1;
    return OpenTracked(path, error, [&] { return real_.Open(path, create, error); });
  }
  int CreateNew(const QByteArray& path, store::SystemError* error) override {
    if (NoNewName(path, error)) return -1;
    return OpenTracked(path, error, [&] { return real_.CreateNew(path, error); });
  }
  int OpenFolder(const QByteArray& path, store::SystemError* error) override {
    if (Fail(error)) return -1;
    return real_.OpenFolder(path, error);
  }
  bool Identify(int handle, store::FileIdentity* identity, store::SystemError* error) override {
    if (Fail(error)) return false;
    return real_.Identify(handle, identity, error);
  }
  bool Inspect(const QByteArray& path, store::Entry* entry, store::SystemError* error) override {
    if (Fail(error)) return false;
    return real_.Inspect(path, entry, error);
  }
  bool Rename(const QByteArray& from, const QByteArray& to, store::SystemError* error) override {
    if (Fail(error)) return false;
    Entry& source = Track(from);
    Entry& target = Track(to);
    if (!real_.Rename(from, to, error)) return false;
    if (!crashed_) target.current_inode = std::exchange(source.current_inode, -1);
    Changed();
    return true;
  }

 private:
  template <class OpenCall>
  int OpenTracked(const QByteArray& path, store::SystemError* error, OpenCall open) {
    if (Fail(error)) return -1;
    Entry& entry = Track(path);
    const bool exists = entry.current_inode >= 0;
    const int handle = open();
    const bool creates = !exists && handle >= 0;
    if (handle < 0) return handle;
    if (creates && !crashed_) {
      entry.current_inode = NewInode(QByteArray());
    }
    handles_[handle] = entry.current_inode;
    if (creates) {
      try {
        Changed();
      } catch (const SimulatedCrash&) {
        handles_.erase(handle);
        real_.Close(handle, error);
        throw;
      }
    }
    return handle;
  }

 public:
  bool Close(int handle, store::SystemError* error) override {
    handles_.erase(handle);
    if (Fail(error)) {
      real_.Close(handle, error);
      return false;
    }
    return real_.Close(handle, error);
  }
  qint64 Size(int handle, store::SystemError* error) override {
    if (Fail(error)) return -1;
    return real_.Size(handle, error);
  }
  qint64 Read(int handle, qint64 offset, char* buffer, qint64 length,
              store::SystemError* error) override {
    if (Fail(error)) return -1;
    return real_.Read(handle, offset, buffer, length, error);
  }
  bool Write(int handle, qint64 offset, const char* data, qint64 length,
             store::SystemError* error) override {
    if (Fail(error)) return false;
    if (full_ && length > 0 && offset + length > real_.Size(handle, error)) return NoRoom(error);
    if (!real_.Write(handle, offset, data, length, error)) return false;
    Pend(handle, Pending{offset, QByteArray(data, length), -1});
    Changed();
    return true;
  }
  bool Truncate(int handle, qint64 length, store::SystemError* error) override {
    if (Fail(error)) return false;
    if (full_ && length > real_.Size(handle, error)) return NoRoom(error);
    if (!real_.Truncate(handle, length, error)) return false;
    Pend(handle, Pending{0, QByteArray(), length});
    Changed();
    return true;
  }
  bool Sync(int handle, store::SystemError* error) override {
    if (Fail(error)) return false;
    if (!real_.Sync(handle, error)) return false;
    if (!crashed_ && handles_.count(handle)) {
      Inode& inode = inodes_[handles_[handle]];
      inode.durable = Apply(inode.durable, inode.pending, int(inode.pending.size()), false);
      inode.pending.clear();
    }
    Changed();
    return true;
  }
  bool Remove(const QByteArray& path, store::SystemError* error) override {
    if (Fail(error)) return false;
    Entry& entry = Track(path);
    if (!real_.Remove(path, error)) return false;
    if (!crashed_) entry.current_inode = -1;
    Changed();
    return true;
  }
  bool SyncDir(const QByteArray& dir, store::SystemError* error) override {
    if (Fail(error)) return false;
    if (!real_.SyncDir(dir, error)) return false;
    if (!crashed_) {
      const QString canonical = QDir(QFile::decodeName(dir)).absolutePath();
      for (auto& [path, entry] : paths_) {
        if (QFileInfo(QFile::decodeName(path)).absolutePath() == canonical)
          entry.durable_inode = entry.current_inode;
      }
    }
    Changed();
    return true;
  }
  store::LockResult Lock(int handle, store::SystemError* error) override {
    if (Fail(error)) return store::LockResult::kFailed;
    return real_.Lock(handle, error);
  }

 private:
  struct Pending {
    qint64 offset;
    QByteArray bytes;
    qint64 truncate_to;  // >= 0: a truncation instead of a write
  };
  struct Inode {
    QByteArray durable;
    std::vector<Pending> pending;
  };
  struct Entry {
    int durable_inode = -1;  // what the name points to after a crash
    int current_inode = -1;
  };

  static QByteArray Apply(QByteArray bytes, const std::vector<Pending>& pending, int count,
                          bool tear_last) {
    for (int i = 0; i < count; ++i) {
      const Pending& p = pending[i];
      if (p.truncate_to >= 0) {
        bytes.resize(p.truncate_to, '\0');
        continue;
      }
      QByteArray data = p.bytes;
      if (tear_last && i == count - 1) data.truncate(data.size() / 2);
      if (bytes.size() < p.offset + data.size()) bytes.resize(p.offset + data.size(), '\0');
      bytes.replace(p.offset, data.size(), data);
    }
    return bytes;
  }

  static QByteArray Contents(const Inode& inode, CrashImage image) {
    const int n = int(inode.pending.size());
    switch (image) {
      case CrashImage::kDropPending:
        return inode.durable;
      case CrashImage::kKeepAll:
        return Apply(inode.durable, inode.pending, n, false);
      case CrashImage::kTornPrefix:
        return Apply(inode.durable, inode.pending, (n + 1) / 2, true);
      case CrashImage::kScattered: {
        std::vector<Pending> every_other;
        for (int i = 0; i < n; i += 2) every_other.push_back(inode.pending[i]);
        return Apply(inode.durable, every_other, int(every_other.size()), false);
      }
    }
    return inode.durable;
  }

  int NewInode(const QByteArray& durable) {
    inodes_.push_back(Inode{durable, {}});
    return int(inodes_.size()) - 1;
  }

  Entry& Track(const QByteArray& path) {
    auto it = paths_.find(path);
    if (it != paths_.end()) return it->second;
    Entry entry;
    QFile file(QFile::decodeName(path));
    if (QFileInfo(file.fileName()).isFile() && !QFileInfo(file.fileName()).isSymLink()) {
      if (!file.open(QIODevice::ReadOnly)) std::abort();
      entry.durable_inode = entry.current_inode = NewInode(file.readAll());
    }
    return paths_[path] = entry;
  }

  void Pend(int handle, Pending pending) {
    if (crashed_ || !handles_.count(handle)) return;
    inodes_[handles_[handle]].pending.push_back(std::move(pending));
  }

  // Fails a call for want of room: always false.
  static bool NoRoom(store::SystemError* error) {
    if (error != nullptr)
      *error = store::SystemError{ENOSPC, QStringLiteral("No space left on device")};
    return false;
  }
  // Whether creating `path` fails for want of room (true: `error` set).
  bool NoNewName(const QByteArray& path, store::SystemError* error) {
    if (!full_ || QFileInfo::exists(QFile::decodeName(path))) return false;
    if (names_left_ > 0) {
      --names_left_;
      return false;
    }
    NoRoom(error);
    return true;
  }

  bool Fail(store::SystemError* error) {
    if (!armed_ || crashed_) return false;
    if (++calls_ != fail_at_) return false;
    if (error != nullptr) *error = store::SystemError{EIO, QStringLiteral("Input/output error")};
    return true;
  }

  void Changed() {
    if (!armed_ || crashed_) return;
    if (++changes_ == crash_at_) {
      crashed_ = true;
      throw SimulatedCrash{};
    }
  }

  store::PosixFileSystem real_;
  bool armed_ = false;
  bool full_ = false;
  int names_left_ = 0;
  bool crashed_ = false;
  int calls_ = 0;
  int changes_ = 0;
  int crash_at_ = 0;
  int fail_at_ = 0;
  std::map<QByteArray, Entry> paths_;
  std::vector<Inode> inodes_;
  std::map<int, int> handles_;  // handle -> inode
};

}  // namespace quorvel::testing
