// Read-only scans over a file's items in runs of records, one system read
// per run, handing out raw record bytes to compare before decoding.
#pragma once

#include <algorithm>
#include <optional>

#include <QByteArray>

#include "store/data_files.h"
#include "store/text_codec.h"

namespace quorvel::store {

// Bytes read per call: few calls, and small enough that the buffer comes
// from the heap again each time rather than being mapped afresh.
inline constexpr int kScanRunBytes = 32 * 1024;

// Calls visit(item, group) for items 0 … count - 1 in order, `group`
// pointing at the raw bytes of the item's records; field f starts at
// group + (f - 1) × record length. The file is read afresh, run by run.
template <class Visit>
void ScanItems(const DataFiles& files, Channel channel, int count, Visit&& visit) {
  const ChannelInfo& info = Info(channel);
  const int group_bytes = info.group_size * info.record_length;
  const int per_run = std::max(1, kScanRunBytes / group_bytes);
  for (int first = 0; first < count; first += per_run) {
    const int items = std::min(per_run, count - first);
    const QByteArray run =
        files.ReadRecords(channel, FieldRecord(channel, first, 1), items * info.group_size);
    for (int i = 0; i < items; ++i) visit(first + i, run.constData() + qsizetype(i) * group_bytes);
  }
}

// The raw text of field `field` (from 1) of a group handed out by ScanItems.
inline QByteArrayView FieldBytes(Channel channel, const char* group, int field) {
  const int length = Info(channel).record_length;
  return TextBytesAt(group + qsizetype(field - 1) * length, length);
}
inline QString FieldText(Channel channel, const char* group, int field) {
  const int length = Info(channel).record_length;
  return DecodeTextAt(group + qsizetype(field - 1) * length, length);
}

// One text to look for among text records, compared as its Windows-1252
// bytes when the code page holds it (decoding is one to one on those) and
// decoded otherwise, so the answer is the same as comparing decoded texts.
class TextMatch {
 public:
  explicit TextMatch(const QString& text) : text_(text), bytes_(EncodeText(text)) {}
  // Whether the stored text (a record's raw text bytes) is exactly the text.
  bool Equals(QByteArrayView stored) const {
    return bytes_ ? stored == *bytes_ : DecodeText(stored) == text_;
  }
  // Whether the stored text starts with the text.
  bool Begins(QByteArrayView stored) const {
    return bytes_ ? stored.startsWith(*bytes_) : DecodeText(stored).startsWith(text_);
  }
  // The same for a record as `op` sees it.
  bool Equals(const Operation& op, Channel channel, int record) const {
    return Equals(op.ReadTextBytes(channel, record));
  }
  bool Begins(const Operation& op, Channel channel, int record) const {
    return Begins(op.ReadTextBytes(channel, record));
  }

 private:
  QString text_;
  std::optional<QByteArray> bytes_;
};

}  // namespace quorvel::store
