#include "events/record_runs.h"

#include <cstring>
#include <functional>
#include <map>
#include <set>

#include <QCryptographicHash>

namespace quorvel::events::runs {
namespace {

using store::Channel;

constexpr char kMark[4] = {'Q', 'V', 'E', 'V'};
constexpr int kFormat = 1;
// The first record of a run: the mark, the format, the key's length, the
// text's length, the run's length in records and a digest of key and text;
// then the key and the text.
constexpr int kHeader = 32;
constexpr int kLongestRun = 256;  // records

int RecordLength(Channel channel) { return store::Info(channel).record_length; }
int RecordsFor(Channel channel, qsizetype payload) {
  return int((kHeader + payload + RecordLength(channel) - 1) / RecordLength(channel));
}

QByteArray DigestOf(const QByteArray& bytes) {
  return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).left(16);
}

void PutU32(char* at, quint32 value) {
  for (int i = 0; i < 4; ++i) at[i] = char((value >> (8 * i)) & 0xFF);
}
quint32 GetU32(const char* at) {
  quint32 value = 0;
  for (int i = 0; i < 4; ++i) value |= quint32(static_cast<unsigned char>(at[i])) << (8 * i);
  return value;
}

// What a run's first record says of it.
struct Head {
  int key_length = 0;
  qsizetype length = 0;
  int records = 0;
  QByteArray digest;
};

std::optional<Head> HeadOf(Channel channel, const QByteArray& record, int record_number) {
  if (record.size() < kHeader || std::memcmp(record.constData(), kMark, 4) != 0)
    return std::nullopt;
  if (static_cast<unsigned char>(record[4]) != kFormat || record[5] != 0) return std::nullopt;
  Head head;
  head.key_length =
      int(static_cast<unsigned char>(record[6]) | static_cast<unsigned char>(record[7]) << 8);
  head.length = qsizetype(GetU32(record.constData() + 8));
  head.records = int(GetU32(record.constData() + 12));
  head.digest = record.mid(16, 16);
  if (head.key_length == 0 || head.key_length > kLongestKey || head.length > LargestText(channel) ||
      head.records != RecordsFor(channel, head.key_length + head.length) ||
      record_number + head.records - 1 > store::kLargestRecordNumber) {
    return std::nullopt;
  }
  return head;
}

QByteArray RunFor(Channel channel, const QByteArray& key, const QByteArray& text) {
  QByteArray header(kHeader, '\0');
  std::memcpy(header.data(), kMark, 4);
  header[4] = char(kFormat);
  header[6] = char(key.size() & 0xFF);
  header[7] = char(key.size() >> 8);
  PutU32(header.data() + 8, quint32(text.size()));
  PutU32(header.data() + 12, quint32(RecordsFor(channel, key.size() + text.size())));
  header.replace(16, 16, DigestOf(key + text));
  return header + key + text;
}

// Walks the runs of the file as `record` gives them (1 … `last`, or on past
// `last` while records hold runs: what an operation staged beyond the
// file's end). `visit` gets each run whose bytes match their digest, and
// `unreadable` each first record of one that does not, or of a record that
// begins no run. A run `known` (when given) tells was found whole before,
// as it is now, goes to `visit` unread: with a null key and text.
void Walk(Channel channel, const std::function<QByteArray(int)>& record, int last,
          const std::function<void(int first, const Head&, const QByteArray& key,
                                   const QByteArray& text)>& visit,
          const std::function<void(int first, int records)>& unreadable,
          const std::function<bool(int first, int records)>& known = {}) {
  for (int r = 1; r <= store::kLargestRecordNumber;) {
    const QByteArray first = record(r);
    const std::optional<Head> head = HeadOf(channel, first, r);
    if (!head) {
      if (first.count('\0') != first.size()) {
        unreadable(r, 1);
      } else if (r > last) {
        return;
      }
      ++r;
      continue;
    }
    if (known && known(r, head->records)) {
      visit(r, *head, QByteArray(), QByteArray());
      r += head->records;
      continue;
    }
    QByteArray bytes = first;
    for (int i = 1; i < head->records; ++i) bytes += record(r + i);
    const QByteArray key = bytes.mid(kHeader, head->key_length);
    const QByteArray text = bytes.mid(kHeader + head->key_length, head->length);
    if (DigestOf(key + text) == head->digest) {
      visit(r, *head, key, text);
    } else {
      unreadable(r, head->records);
    }
    r += head->records;
  }
}

int RecordsOnDisk(const store::DataFiles& files, Channel channel) {
  return files.IsOpen(channel) ? int(files.FileSize(channel) / RecordLength(channel)) : 0;
}

struct Located {
  int first = 0;
  int records = 0;
  QByteArray key;  // empty for an unreadable stretch
};

// Where every run lies as `op` sees the file.
std::vector<Located> Runs(const store::Operation& op, Channel channel) {
  std::vector<Located> runs;
  if (!op.HasFile(channel)) return runs;
  Walk(
      channel, [&](int r) { return op.ReadRecord(channel, r); }, RecordsOnDisk(op.files(), channel),
      [&](int first, const Head& head, const QByteArray& key, const QByteArray&) {
        runs.push_back({first, head.records, key});
      },
      [&](int first, int records) {
        runs.push_back({first, records, QByteArray()});
      });
  return runs;
}

void Clear(store::Operation& op, Channel channel, const Located& run) {
  for (int i = 0; i < run.records; ++i) op.WriteRecord(channel, run.first + i, QByteArray());
}

}  // namespace

qsizetype LargestText(Channel channel) {
  return qsizetype(kLongestRun) * RecordLength(channel) - kHeader - kLongestKey;
}

RunsRead ReadRuns(const store::DataFiles& files, Channel channel) {
  const int count = RecordsOnDisk(files, channel);
  if (count == 0) return RunsRead();
  return RunsIn(files.ReadRecords(channel, 1, count), channel);
}

RunsRead RunsIn(const QByteArray& all, Channel channel) {
  // The file as this thread read it last, and the runs found whole in it by
  // where they began: a run whose bytes are still the same is taken as found
  // then, without its digest worked out again (most of a read after one
  // text changed).
  struct Found {
    int records = 0;
    Run run;
  };
  struct LastRead {
    QByteArray all;
    std::map<int, Found> runs;
  };
  thread_local std::map<int, LastRead> last_reads;  // by channel
  LastRead& last = last_reads[static_cast<int>(channel)];
  LastRead now;
  // Kept only when it owns its bytes (not over another's buffer).
  const bool owned = all.capacity() > 0;
  if (owned) now.all = all;
  RunsRead read;
  const int length = RecordLength(channel);
  const int count = int(std::min<qsizetype>(all.size() / length, store::kLargestRecordNumber));
  if (count == 0) return read;
  const Found* same = nullptr;
  auto known = [&](int first, int records) {
    same = nullptr;
    const qsizetype at = qsizetype(first - 1) * length;
    const qsizetype size = qsizetype(records) * length;
    if (first + records - 1 > count || at + size > last.all.size()) return false;
    const auto it = last.runs.find(first);
    if (it == last.runs.end() || it->second.records != records) return false;
    if (all.constData() != last.all.constData() &&
        std::memcmp(all.constData() + at, last.all.constData() + at, std::size_t(size)) != 0) {
      return false;
    }
    same = &it->second;
    return true;
  };
  // Each record seen in place: the texts taken from them are copies.
  Walk(
      channel,
      [&](int r) {
        return r <= count
                   ? QByteArray::fromRawData(all.constData() + qsizetype(r - 1) * length, length)
                   : QByteArray(length, '\0');
      },
      count,
      [&](int first, const Head& head, const QByteArray& key, const QByteArray& text) {
        const Run run = same ? same->run : Run{key, text, first};
        same = nullptr;
        read.runs.push_back(run);
        if (owned && first + head.records - 1 <= count)
          now.runs.emplace(first, Found{head.records, run});
      },
      [&](int, int) { ++read.damaged; }, known);
  last = std::move(now);
  return read;
}

std::optional<QByteArray> RunText(const store::Operation& op, Channel channel,
                                  const QByteArray& key) {
  std::optional<QByteArray> found;
  if (!op.HasFile(channel)) return found;
  Walk(
      channel, [&](int r) { return op.ReadRecord(channel, r); }, RecordsOnDisk(op.files(), channel),
      [&](int, const Head&, const QByteArray& stored, const QByteArray& text) {
        if (!found && stored == key) found = text;
      },
      [](int, int) {});
  return found;
}

std::vector<PutResult> PutRuns(store::Operation& op, Channel channel,
                               const std::vector<Entry>& entries) {
  std::vector<PutResult> results(entries.size(), PutResult::kStored);
  std::set<QByteArray> wanted;
  for (const Entry& e : entries) wanted.insert(e.key);
  std::vector<bool> used(std::size_t(store::kLargestRecordNumber) + 1, false);
  used[0] = true;
  auto mark = [&used](const Located& run, bool in_use) {
    for (int r = run.first; r < run.first + run.records && r <= store::kLargestRecordNumber; ++r) {
      used[std::size_t(r)] = in_use;
    }
  };
  std::map<QByteArray, Located> own;  // the runs the entries replace
  for (const Located& run : Runs(op, channel)) {
    mark(run, true);
    if (!run.key.isEmpty() && wanted.count(run.key)) own.emplace(run.key, run);
  }
  bool opened = op.HasFile(channel);
  int from = 1;  // every record before it is used
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const Entry& e = entries[i];
    if (e.key.isEmpty() || e.key.size() > kLongestKey || e.text.size() > LargestText(channel)) {
      results[i] = PutResult::kTooLarge;
      continue;
    }
    // First fit among the free stretches, the entry's own run counting as
    // free: a changed text mostly stays where it was.
    const auto replaced = own.find(e.key);
    if (replaced != own.end()) {
      mark(replaced->second, false);
      from = std::min(from, replaced->second.first);
    }
    const int records = RecordsFor(channel, e.key.size() + e.text.size());
    int first = 0;
    while (from <= store::kLargestRecordNumber && used[std::size_t(from)]) ++from;
    for (int r = from, free = 0; r <= store::kLargestRecordNumber; ++r) {
      free = used[std::size_t(r)] ? 0 : free + 1;
      if (free == records) {
        first = r - records + 1;
        break;
      }
    }
    if (first == 0) {
      if (replaced != own.end()) mark(replaced->second, true);
      results[i] = PutResult::kNoRoom;
      continue;
    }
    if (!opened) {
      op.files().OpenExtraFile(channel);
      opened = true;
    }
    if (replaced != own.end()) {
      Clear(op, channel, replaced->second);
      own.erase(replaced);
    }
    const QByteArray bytes = RunFor(channel, e.key, e.text);
    const int length = RecordLength(channel);
    for (int k = 0; k < records; ++k) {
      used[std::size_t(first + k)] = true;
      op.WriteRecord(channel, first + k, bytes.mid(qsizetype(k) * length, length));
    }
  }
  return results;
}

int RemoveRuns(store::Operation& op, Channel channel, const std::vector<QByteArray>& keys) {
  if (keys.empty()) return 0;
  const std::set<QByteArray> wanted(keys.begin(), keys.end());
  int removed = 0;
  for (const Located& run : Runs(op, channel)) {
    if (run.key.isEmpty() || !wanted.count(run.key)) continue;
    Clear(op, channel, run);
    ++removed;
  }
  return removed;
}

}  // namespace quorvel::events::runs
