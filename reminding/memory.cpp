#include "reminding/memory.h"

#include <cstring>

#include <QtEndian>

namespace quorvel::reminding {
namespace {

using store::Channel;
constexpr Channel kFile = Channel::kRemind;
constexpr char kMagic[4] = {'Q', 'R', 'M', '1'};
constexpr int kKeyBytes = 16;
// Record 1 says what the file is and how many records follow; one record
// per reminder: key, fate, then the two moments as milliseconds since 1970
// (UTC), little-endian.
constexpr int kFirstEntry = 2;
constexpr int kMostEntries = store::kLargestRecordNumber - kFirstEntry + 1;

qint64 Millis(const QDateTime& moment) { return moment.isValid() ? moment.toMSecsSinceEpoch() : 0; }
QDateTime Moment(qint64 millis) {
  return millis == 0 ? QDateTime() : QDateTime::fromMSecsSinceEpoch(millis);
}

}  // namespace

Memory LoadMemory(const store::DataFiles& files) {
  Memory memory;
  const int length = store::Info(kFile).record_length;
  const QByteArray head = files.ReadRecord(kFile, 1);
  if (std::memcmp(head.constData(), kMagic, 4) != 0) return memory;
  const qint64 stored = qFromLittleEndian<quint32>(head.constData() + 4);
  const qint64 in_file = files.FileSize(kFile) / length - 1;
  const int count = int(std::clamp<qint64>(std::min(stored, in_file), 0, kMostEntries));
  const QByteArray records = files.ReadRecords(kFile, kFirstEntry, count);
  for (int i = 0; i < count; ++i) {
    const char* r = records.constData() + qsizetype(i) * length;
    const quint8 fate = quint8(r[kKeyBytes]);
    if (fate < 1 || fate > 3) continue;
    Remembered entry;
    entry.fate = Remembered::Fate(fate);
    entry.until = Moment(qFromLittleEndian<qint64>(r + 24));
    entry.forget = Moment(qFromLittleEndian<qint64>(r + 32));
    memory[QByteArray(r, kKeyBytes)] = entry;
  }
  return memory;
}

bool SaveMemory(store::DataFiles& files, const Memory& memory, const QDateTime& now) {
  const int length = store::Info(kFile).record_length;
  store::Operation op(files);
  const QByteArray old_head = op.ReadRecord(kFile, 1);
  const int old_count =
      std::memcmp(old_head.constData(), kMagic, 4) == 0
          ? int(std::min<quint32>(qFromLittleEndian<quint32>(old_head.constData() + 4),
                                  quint32(kMostEntries)))
          : 0;
  int count = 0;
  for (const auto& [key, entry] : memory) {
    if (entry.forget.isValid() && entry.forget < now) continue;
    if (key.size() != kKeyBytes || count == kMostEntries) continue;
    QByteArray record(length, '\0');
    std::memcpy(record.data(), key.constData(), kKeyBytes);
    record[kKeyBytes] = char(entry.fate);
    qToLittleEndian<qint64>(Millis(entry.until), record.data() + 24);
    qToLittleEndian<qint64>(Millis(entry.forget), record.data() + 32);
    op.WriteRecord(kFile, kFirstEntry + count, record);
    ++count;
  }
  // What is no longer remembered is cleared, not left to be read again.
  for (int i = count; i < old_count; ++i) op.WriteRecord(kFile, kFirstEntry + i, QByteArray());
  QByteArray head(8, '\0');
  std::memcpy(head.data(), kMagic, 4);
  qToLittleEndian<quint32>(quint32(count), head.data() + 4);
  op.WriteRecord(kFile, 1, head);
  return op.Commit().stored();
}

}  // namespace quorvel::reminding
