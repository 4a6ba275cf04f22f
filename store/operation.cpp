// One user action's writes, staged in place record by record (the commit
// puts them on disk, all or nothing, through a rollback journal).
#include "store/operation.h"

#include <algorithm>
#include <cstring>

#include "store/data_files.h"
#include "store/operation_blocks.h"
#include "store/scan.h"
#include "store/text_codec.h"

namespace quorvel::store {

QByteArrayView FileChange::Image(const QByteArray& store, const std::vector<qsizetype>& at,
                                 std::size_t i) const {
  const int length = Info(channel).record_length;
  Q_ASSERT(length <= kLongestRecord);
  return QByteArrayView(at[i] < 0 ? NeverWritten() : store.constData() + at[i], length);
}

Operation::Operation(DataFiles& files) : files_(files) {
  Q_ASSERT(!files_.operation_active_);
  files_.operation_active_ = true;
}

Operation::~Operation() {
  if (!released_) files_.operation_active_ = false;
}

Operation::File& Operation::Touch(Channel channel) const {
  File& file = changes_[ChannelIndex(channel)];
  if (file.size < 0) file.size = files_.FileSize(channel);
  return file;
}

void Operation::LoadBlocks(Channel channel, int first_block, int last_block) const {
  File& file = Touch(channel);
  const int length = Info(channel).record_length;
  if (int(file.blocks.size()) <= last_block) file.blocks.resize(last_block + 1);
  // Each stretch of blocks not read yet is read with one call.
  for (int b = first_block; b <= last_block;) {
    if (!file.blocks[b].isNull()) {
      ++b;
      continue;
    }
    int e = b;
    while (e < last_block && file.blocks[e + 1].isNull()) ++e;
    const QByteArray run =
        files_.ReadRecords(channel, b * kBlockRecords + 1, (e - b + 1) * kBlockRecords);
    const qsizetype block_bytes = qsizetype(kBlockRecords) * length;
    // Blocks share the run's bytes; none of them is ever changed.
    for (int i = b; i <= e; ++i) {
      file.blocks[i] =
          QByteArray::fromRawData(run.constData() + (i - b) * block_bytes, block_bytes);
    }
    file.reads.push_back(run);
    b = e + 1;
  }
}

const char* Operation::OnDisk(Channel channel, int record) const {
  if (record < 1 || record > kLargestRecordNumber) return NeverWritten();
  const int block = (record - 1) / kBlockRecords;
  File& file = Touch(channel);
  if (int(file.blocks.size()) <= block || file.blocks[block].isNull()) {
    LoadBlocks(channel, block, block);
  }
  return file.blocks[block].constData() +
         qsizetype((record - 1) % kBlockRecords) * Info(channel).record_length;
}

const char* Operation::At(Channel channel, int record) const {
  File& file = Touch(channel);
  if (record >= 1 && record < int(file.staged.size()) && file.staged[record]) {
    return file.bytes.constData() + qsizetype(record - 1) * Info(channel).record_length;
  }
  return OnDisk(channel, record);
}

QString Operation::ReadText(Channel channel, int record) const {
  return DecodeTextAt(At(channel, record), Info(channel).record_length);
}

QByteArrayView Operation::ReadTextBytes(Channel channel, int record) const {
  return TextBytesAt(At(channel, record), Info(channel).record_length);
}

void Operation::ScanItems(Channel channel, int count,
                          const std::function<void(int item, const char* group)>& visit) const {
  const ChannelInfo& info = Info(channel);
  const int length = info.record_length;
  const int group_bytes = info.group_size * length;
  const int per_run = std::max(1, kScanRunBytes / group_bytes);
  File& file = Touch(channel);
  QByteArray run;
  for (int first = 0; first < count; first += per_run) {
    const int items = std::min(per_run, count - first);
    const int from = FieldRecord(channel, first, 1);
    const int to = from + items * info.group_size - 1;
    run.resize(qsizetype(items) * group_bytes);
    char* into = run.data();
    bool untouched = !StagedInRange(file.staged, from, to);
    const int last_block = int(file.blocks.size()) - 1;
    for (int b = (from - 1) / kBlockRecords;
         untouched && b <= std::min(last_block, (to - 1) / kBlockRecords); ++b) {
      untouched = file.blocks[b].isNull();
    }
    if (untouched) {
      files_.ReadInto(channel, from, to - from + 1, into);
    } else {
      for (int r = from; r <= to; ++r)
        std::memcpy(into + qsizetype(r - from) * length, At(channel, r), length);
    }
    for (int i = 0; i < items; ++i) visit(first + i, into + qsizetype(i) * group_bytes);
  }
}

std::int16_t Operation::ReadInteger(Channel channel, int record) const {
  return DecodeIntegerAt(At(channel, record), Info(channel).record_length);
}

Variant Operation::ReadVariant(Channel channel, int record) const {
  return DecodeVariantAt(At(channel, record), Info(channel).record_length);
}

int Operation::ReadCount(Channel channel) const {
  return CountOf(channel, ReadVariant(channel, CountRecord(channel)));
}

void Operation::Reserve(Channel channel, int record) {
  File& file = Touch(channel);
  if (int(file.staged.size()) <= record) file.staged.resize(record + 1, false);
  if (file.room >= record) return;
  // Left uninitialised: only staged records (and, at commit, the unchanged
  // ones between them) are ever read back, so room that is never staged
  // costs no zero-filling, and the system maps its pages only when touched.
  // Room grows at least twice over, so that adding one record after
  // another does not copy again each time.
  const int length = Info(channel).record_length;
  const int room = std::min(std::max(record, 2 * file.room), kLargestRecordNumber);
  QByteArray bytes(qsizetype(room) * length, Qt::Uninitialized);
  if (file.highest != 0) {
    const size_t from = size_t(file.lowest - 1) * length;
    std::memcpy(bytes.data() + from, file.bytes.constData() + from,
                size_t(file.highest - file.lowest + 1) * length);
  }
  file.bytes = std::move(bytes);
  file.room = room;
}

char* Operation::Stage(Channel channel, int record) {
  Q_ASSERT(!committed_);
  if (refused()) return nullptr;
  if (record < 1 || record > kLargestRecordNumber) {
    Refuse(QStringLiteral("The data file is full: no more can be stored in it."));
    return nullptr;
  }
  Reserve(channel, record);
  File& file = Touch(channel);
  const int length = Info(channel).record_length;
  file.staged[record] = true;
  file.lowest = file.lowest == 0 ? record : std::min(file.lowest, record);
  file.highest = std::max(file.highest, record);
  return file.bytes.data() + qsizetype(record - 1) * length;
}

QByteArray Operation::ReadRecord(Channel channel, int record) const {
  return QByteArray(At(channel, record), Info(channel).record_length);
}

void Operation::MoveItems(Channel channel, int first, int items, int to,
                          std::initializer_list<ValueKind> fields) {
  if (refused() || items <= 0 || first == to || fields.size() == 0) return;
  const int length = Info(channel).record_length;
  const int last_field = int(fields.size());
  const int from_first = FieldRecord(channel, first, 1);
  const int from_last = FieldRecord(channel, first + items - 1, last_field);
  const int to_last = FieldRecord(channel, to + items - 1, last_field);
  Q_ASSERT(first >= 0 && to >= 0);
  if (first < 0 || to < 0) return;
  // Every place is staged before any is written, so no pointer below moves;
  // the items moved are read from the disk in as few calls as possible.
  // Room reaches the moved items' old places too, which a delete blanks
  // next: staging those then moves nothing either.
  Reserve(channel, std::min(std::max(to_last, from_last), kLargestRecordNumber));
  LoadBlocks(channel, (from_first - 1) / kBlockRecords,
             (std::min(from_last, kLargestRecordNumber) - 1) / kBlockRecords);
  // Within that room, and with those blocks read, a record is found and
  // staged here directly, without the checks each Stage() and At() call
  // would repeat for every record; a place past the file's last record
  // number goes to Stage(), which refuses it.
  File& file = Touch(channel);
  const auto source = [&](int record) -> const char* {
    if (record < int(file.staged.size()) && file.staged[record]) {
      return file.bytes.constData() + qsizetype(record - 1) * length;
    }
    if (record > kLargestRecordNumber) return NeverWritten();
    return file.blocks[(record - 1) / kBlockRecords].constData() +
           qsizetype((record - 1) % kBlockRecords) * length;
  };
  const auto place = [&](int record) -> char* {
    if (record > file.room) return Stage(channel, record);
    file.staged[record] = true;
    file.lowest = file.lowest == 0 ? record : std::min(file.lowest, record);
    file.highest = std::max(file.highest, record);
    return file.bytes.data() + qsizetype(record - 1) * length;
  };
  // Moving down goes upwards and moving up downwards, so that no item is
  // overwritten before it has moved.
  const bool down = to < first;
  for (int n = 0; n < items; ++n) {
    const int i = down ? n : items - 1 - n;
    int field = 1;
    for (const ValueKind kind : fields) {
      const char* from = source(FieldRecord(channel, first + i, field));
      if (kind == ValueKind::kText) {
        const QByteArrayView text = TextBytesAt(from, length);
        if (!RoundTrips(text)) {
          Refuse(TextRefusal(channel, DecodeText(text)));
          return;
        }
        char* into = place(FieldRecord(channel, to + i, field));
        if (!into) return;
        EncodeTextAt(into, length, text);
      } else {
        char* into = place(FieldRecord(channel, to + i, field));
        if (!into) return;
        std::memset(into + 2, 0, size_t(length - 2));
        std::memcpy(into, from, 2);
      }
      ++field;
    }
  }
}

void Operation::WriteRecord(Channel channel, int record, const QByteArray& bytes) {
  const int length = Info(channel).record_length;
  Q_ASSERT(bytes.size() <= length);
  char* room = Stage(channel, record);
  if (!room) return;
  const qsizetype used = std::min<qsizetype>(bytes.size(), length);
  std::memcpy(room, bytes.constData(), size_t(used));
  std::memset(room + used, 0, size_t(length - used));
}

void Operation::WriteText(Channel channel, int record, const QString& text) {
  if (refused()) return;
  // Checked and encoded once; the reason is worked out only for a refusal.
  const std::optional<QByteArray> bytes = EncodeText(text);
  if (!bytes || bytes->size() > TextCapacity(channel)) {
    Refuse(TextRefusal(channel, text));
    return;
  }
  if (char* at = Stage(channel, record)) EncodeTextAt(at, Info(channel).record_length, *bytes);
}

void Operation::WriteInteger(Channel channel, int record, std::int16_t value) {
  if (char* at = Stage(channel, record)) {
    std::memset(at, 0, Info(channel).record_length);
    at[0] = static_cast<char>(static_cast<std::uint16_t>(value) & 0xFF);
    at[1] = static_cast<char>(static_cast<std::uint16_t>(value) >> 8);
  }
}

void Operation::WriteVariant(Channel channel, int record, const Variant& value) {
  if (char* at = Stage(channel, record)) EncodeVariantAt(at, Info(channel).record_length, value);
}

void Operation::WriteCount(Channel channel, int count) {
  WriteVariant(channel, CountRecord(channel),
               Variant{Variant::kInt16, static_cast<std::int16_t>(count)});
}

void Operation::SetLength(Channel channel, qint64 length) {
  Q_ASSERT(!committed_ && length >= 0);
  Touch(channel).cut = length;
}

void Operation::Refuse(const QString& reason) {
  if (!refused()) refusal_ = reason.isNull() ? QStringLiteral("") : reason;
}

bool Operation::HasFile(Channel channel) const { return files_.IsOpen(channel); }

}  // namespace quorvel::store
