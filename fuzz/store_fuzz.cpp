// Arbitrary bytes as the four data files (and as journals left beside them):
// opening, reading every item the way the windows do, and changing the
// files must stay inside every record and limit, never crash and never hang.
//
// Input: up to nine parts separated by "@@@@": Appoint.dat, Notes.dat,
// AddBook.dat, PhotoF.dat, then a journal for each of them in that order,
// then Events.dat (the events kept beside the four).
// With QUORVEL_FUZZ_WINDOWS=1 the same files also fill every window (in a
// folder in memory, headless).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include "fuzz/memory_file_system.h"
#include "fuzz/readers.h"
#include "store/data_files.h"
#include "store/fatal.h"
#include "store/journal.h"

namespace {

using quorvel::store::Channel;
using quorvel::store::DataFiles;
using quorvel::store::Info;
using quorvel::store::Operation;

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

constexpr const char* kDir = "/data";

// Reads every field of every counted item as text, integer and variant.
void ReadEverything(const DataFiles& files) {
  for (Channel channel : quorvel::store::kAllChannels) {
    const int capacity = quorvel::store::TextCapacity(channel);
    if (channel == Channel::kPhotoF) {
      Check(files.ReadText(channel, 1).size() <= capacity);
      continue;
    }
    const int count = files.ReadCount(channel);
    Check(count >= 0 && count <= Info(channel).max_items);
    // Every item would make each run slow without finding more: the first
    // and the last few are read, the rest by the subsystems' readers.
    for (int k = 0; k < count; k = (k == 40 && count > 80) ? count - 40 : k + 1) {
      for (int f = 1; f < Info(channel).group_size; ++f) {
        const int record = quorvel::store::FieldRecord(channel, k, f);
        Check(record >= 1 && record <= 32767);
        Check(files.ReadText(channel, record).size() <= capacity);
        files.ReadInteger(channel, record);
        files.ReadVariant(channel, record);
      }
    }
  }
}

QList<QByteArray> SplitParts(const QByteArray& input) {
  QList<QByteArray> parts;
  qsizetype at = 0;
  while (parts.size() < 9) {
    const qsizetype next = input.indexOf("@@@@", at);
    if (next < 0) {
      parts.append(input.mid(at));
      break;
    }
    parts.append(input.mid(at, next - at));
    at = next + 4;
  }
  return parts;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  quorvel::store::SetFatalHandler([](const QString&) {});
  quorvel::fuzz::InitializeReaders();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
  const QList<QByteArray> parts = SplitParts(input);

  auto fs = std::make_shared<quorvel::fuzz::MemoryFileSystem>();
  DataFiles files(fs);
  files.SetDataDir(QString::fromLatin1(kDir));
  for (int i = 0; i < parts.size(); ++i) {
    const Channel channel = i == 8 ? Channel::kEvents : quorvel::store::kAllChannels[i % 4];
    QByteArray path = QFile::encodeName(files.PathOf(channel));
    if (i >= 4 && i < 8) path = quorvel::store::JournalPath(path);
    fs->files()[path] = parts[i];
  }
  try {
    Check(files.OpenDataFiles() == quorvel::store::OpenResult::kOpened);
  } catch (const quorvel::store::FatalError&) {
    __builtin_trap();  // nothing in memory can refuse
  }
  // Opened: every journal is gone (applied, removed or set aside), every
  // count record holds a value.
  for (const auto& [path, bytes] : fs->files()) Check(!path.endsWith("-journal"));
  for (Channel channel : {Channel::kAppoint, Channel::kNotes, Channel::kAddBook}) {
    Check(files.ReadVariant(channel, quorvel::store::CountRecord(channel)).has_value());
  }
  Check(!files.ReadText(Channel::kPhotoF, 1).isEmpty());

  const std::uint8_t selector = input.size() > 0 ? data[0] : 0;
  ReadEverything(files);
  quorvel::fuzz::RunReaders(files, selector);
  quorvel::fuzz::FillWindows(parts, selector);

  // A change on top of whatever is there: the first item's texts rewritten
  // and the last item removed, as the owners' operations do.
  for (Channel channel : {Channel::kAppoint, Channel::kNotes, Channel::kAddBook}) {
    Operation op(files);
    const int count = op.ReadCount(channel);
    if (count == 0) continue;
    // A count far beyond the end would only make each run write megabytes
    // of zeros; what that does is covered by the tests.
    const qint64 group_bytes = qint64(Info(channel).group_size) * Info(channel).record_length;
    if ((count - 1) * group_bytes > files.FileSize(channel) + group_bytes) continue;
    for (int f = 1; f < Info(channel).group_size; ++f) {
      const int record = quorvel::store::FieldRecord(channel, 0, f);
      op.WriteText(channel, record, op.ReadText(channel, record));
      op.WriteText(channel, quorvel::store::FieldRecord(channel, count - 1, f), QString());
    }
    op.WriteCount(channel, count - 1);
    Check(op.Commit().stored());
    Check(files.ReadCount(channel) == count - 1);
  }
  for (const auto& [path, bytes] : fs->files()) Check(!path.endsWith("-journal"));
  return 0;
}
