// A separate process for the store's process tests. Usage:
//   store_child fill DIR COUNT         append COUNT appointments in one operation
//   store_child delete DIR ITEM [K]    delete appointment ITEM by moving the later
//                                      ones down, and note it in AddBook.dat in
//                                      the same operation; with K, stop after the K-th
//                                      change to the disk, say "paused" and wait
//                                      to be killed; without, print "changes N"
//   store_child hold DIR               open the folder, say "holding", wait
//   store_child open DIR               open the folder; exit 0, or 3 when in use
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "store/data_files.h"
#include "store/fatal.h"

namespace {

using quorvel::store::Channel;
using quorvel::store::DataFiles;
using quorvel::store::FieldRecord;
using quorvel::store::Operation;

// The real disk; after the chosen change it stops the process where it is.
class PausingFileSystem : public quorvel::store::PosixFileSystem {
 public:
  explicit PausingFileSystem(long pause_at) : pause_at_(pause_at) {}
  long changes() const { return changes_; }

  int Open(const QByteArray& path, bool create, quorvel::store::SystemError* error) override {
    const bool creates = !QFileExists(path);
    const int handle = PosixFileSystem::Open(path, create, error);
    if (handle >= 0 && creates) Changed();
    return handle;
  }
  int CreateNew(const QByteArray& path, quorvel::store::SystemError* error) override {
    const int handle = PosixFileSystem::CreateNew(path, error);
    if (handle >= 0) Changed();
    return handle;
  }
  bool Rename(const QByteArray& from, const QByteArray& to,
              quorvel::store::SystemError* error) override {
    return PosixFileSystem::Rename(from, to, error) && Changed();
  }
  // A large write reaches the disk piece by piece: each piece is a point
  // where the process can be stopped.
  bool Write(int handle, qint64 offset, const char* data, qint64 length,
             quorvel::store::SystemError* error) override {
    constexpr qint64 kPiece = 1024;
    for (qint64 done = 0; done < length; done += kPiece) {
      const qint64 piece = std::min(kPiece, length - done);
      if (!PosixFileSystem::Write(handle, offset + done, data + done, piece, error)) return false;
      Changed();
    }
    return true;
  }
  bool Truncate(int handle, qint64 length, quorvel::store::SystemError* error) override {
    return PosixFileSystem::Truncate(handle, length, error) && Changed();
  }
  bool Sync(int handle, quorvel::store::SystemError* error) override {
    return PosixFileSystem::Sync(handle, error) && Changed();
  }
  bool Remove(const QByteArray& path, quorvel::store::SystemError* error) override {
    return PosixFileSystem::Remove(path, error) && Changed();
  }
  bool SyncDir(const QByteArray& dir, quorvel::store::SystemError* error) override {
    return PosixFileSystem::SyncDir(dir, error) && Changed();
  }

 private:
  bool QFileExists(const QByteArray& path) {
    quorvel::store::SystemError ignored;
    quorvel::store::Entry entry;
    return Inspect(path, &entry, &ignored) && entry.kind != quorvel::store::EntryKind::kMissing;
  }
  bool Changed() {
    if (++changes_ == pause_at_) {
      std::printf("paused\n");
      std::fflush(stdout);
      for (;;) ::pause();
    }
    return true;
  }
  long pause_at_;
  long changes_ = 0;
};

int Fail(const char* what) {
  std::fprintf(stderr, "store_child: %s\n", what);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Fail("usage: store_child fill|delete|hold|open DIR ...");
  const std::string mode = argv[1];
  const QString dir = QString::fromLocal8Bit(argv[2]);
  const long pause_at = (mode == "delete" && argc > 4) ? std::atol(argv[4]) : 0;
  auto fs = std::make_shared<PausingFileSystem>(pause_at);
  DataFiles files(fs);
  files.SetDataDir(dir);
  if (files.OpenDataFiles() == quorvel::store::OpenResult::kInUse) return 3;
  const long opened = fs->changes();

  if (mode == "fill" && argc > 3) {
    Operation op(files);
    const int count = std::atoi(argv[3]);
    const int first = op.ReadCount(Channel::kAppoint);
    for (int i = 0; i < count; ++i) {
      for (int f = 1; f <= 7; ++f) {
        op.WriteText(Channel::kAppoint, FieldRecord(Channel::kAppoint, first + i, f),
                     QStringLiteral("appointment %1 field %2").arg(first + i).arg(f));
      }
    }
    op.WriteCount(Channel::kAppoint, first + count);
    return op.Commit().stored() ? 0 : Fail("fill refused");
  }
  if (mode == "delete" && argc > 3) {
    const int item = std::atoi(argv[3]);
    Operation op(files);
    const int count = op.ReadCount(Channel::kAppoint);
    for (int j = item + 1; j < count; ++j) {
      for (int f = 1; f <= 7; ++f) {
        op.WriteText(Channel::kAppoint, FieldRecord(Channel::kAppoint, j - 1, f),
                     op.ReadText(Channel::kAppoint, FieldRecord(Channel::kAppoint, j, f)));
      }
    }
    for (int f = 1; f <= 7; ++f) {
      op.WriteText(Channel::kAppoint, FieldRecord(Channel::kAppoint, count - 1, f), QString());
    }
    op.WriteCount(Channel::kAppoint, count - 1);
    // A second file in the same operation: both change or neither does.
    op.WriteText(Channel::kAddBook, 1, QStringLiteral("deleted appointment %1").arg(item));
    if (!op.Commit().stored()) return Fail("delete refused");
    std::printf("changes %ld\n", fs->changes() - opened);
    return 0;
  }
  if (mode == "hold") {
    std::printf("holding\n");
    std::fflush(stdout);
    for (;;) ::pause();
  }
  if (mode == "open") return 0;
  return Fail("unknown mode");
}
