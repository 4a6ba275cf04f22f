#include "events/event_file.h"

#include <libical/ical.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>

#include <QCryptographicHash>

namespace quorvel::events {
namespace {

constexpr store::Channel kFile = store::Channel::kEvents;
constexpr char kMark[4] = {'Q', 'V', 'E', 'V'};
constexpr int kFormat = 1;
// The first record of a run: the mark, the format, the UID's length, the
// text's length, the run's length in records and a digest of UID and text;
// then the UID (UTF-8) and the text.
constexpr int kHeader = 32;
constexpr int kLongestUid = 1024;

int RecordLength() { return store::Info(kFile).record_length; }
int RecordsFor(qsizetype payload) {
  return int((kHeader + payload + RecordLength() - 1) / RecordLength());
}

QByteArray DigestOf(const QByteArray& text) {
  return QCryptographicHash::hash(text, QCryptographicHash::Sha256).left(16);
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
  int uid_length = 0;
  qsizetype length = 0;
  int records = 0;
  QByteArray digest;
};

std::optional<Head> HeadOf(const QByteArray& record, int record_number) {
  if (record.size() < kHeader || std::memcmp(record.constData(), kMark, 4) != 0) return std::nullopt;
  if (static_cast<unsigned char>(record[4]) != kFormat || record[5] != 0) return std::nullopt;
  Head head;
  head.uid_length = int(static_cast<unsigned char>(record[6]) | static_cast<unsigned char>(record[7]) << 8);
  head.length = qsizetype(GetU32(record.constData() + 8));
  head.records = int(GetU32(record.constData() + 12));
  head.digest = record.mid(16, 16);
  if (head.uid_length == 0 || head.uid_length > kLongestUid || head.length > LargestEventText() ||
      head.records != RecordsFor(head.uid_length + head.length) ||
      record_number + head.records - 1 > store::kLargestRecordNumber) {
    return std::nullopt;
  }
  return head;
}

QByteArray RunFor(const QByteArray& uid, const QByteArray& text) {
  QByteArray header(kHeader, '\0');
  std::memcpy(header.data(), kMark, 4);
  header[4] = char(kFormat);
  header[6] = char(uid.size() & 0xFF);
  header[7] = char(uid.size() >> 8);
  PutU32(header.data() + 8, quint32(text.size()));
  PutU32(header.data() + 12, quint32(RecordsFor(uid.size() + text.size())));
  header.replace(16, 16, DigestOf(uid + text));
  return header + uid + text;
}

// Walks the runs of the file as `record` gives them (1 … `last`, or on past
// `last` while records hold runs: what an operation staged beyond the
// file's end). `visit` gets each run whose bytes match their digest, and
// `unreadable` each first record of one that does not, or of a record that
// begins no run. A run `known` (when given) tells was found whole before,
// as it is now, goes to `visit` unread: with a null UID and text.
void Walk(const std::function<QByteArray(int)>& record, int last,
          const std::function<void(int first, const Head&, const QString& uid,
                                   const QByteArray& text)>& visit,
          const std::function<void(int first, int records)>& unreadable,
          const std::function<bool(int first, int records)>& known = {}) {
  for (int r = 1; r <= store::kLargestRecordNumber;) {
    const QByteArray first = record(r);
    const std::optional<Head> head = HeadOf(first, r);
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
      visit(r, *head, QString(), QByteArray());
      r += head->records;
      continue;
    }
    QByteArray bytes = first;
    for (int i = 1; i < head->records; ++i) bytes += record(r + i);
    const QByteArray uid = bytes.mid(kHeader, head->uid_length);
    const QByteArray text = bytes.mid(kHeader + head->uid_length, head->length);
    if (DigestOf(uid + text) == head->digest) {
      visit(r, *head, QString::fromUtf8(uid), text);
    } else {
      unreadable(r, head->records);
    }
    r += head->records;
  }
}

int RecordsOnDisk(const store::DataFiles& files) {
  return files.IsOpen(kFile) ? int(files.FileSize(kFile) / RecordLength()) : 0;
}

struct Located {
  int first = 0;
  int records = 0;
};

// Where every run lies as `op` sees the file, and the event `uid`'s run.
std::vector<Located> Runs(store::Operation& op, const QString& uid, std::optional<Located>* own) {
  std::vector<Located> runs;
  if (!op.HasFile(kFile)) return runs;
  Walk([&op](int r) { return op.ReadRecord(kFile, r); }, RecordsOnDisk(op.files()),
       [&](int first, const Head& head, const QString& stored_uid, const QByteArray&) {
         runs.push_back({first, head.records});
         if (own && stored_uid == uid) *own = runs.back();
       },
       [&](int first, int records) { runs.push_back({first, records}); });
  return runs;
}

void Clear(store::Operation& op, const Located& run) {
  for (int i = 0; i < run.records; ++i) op.WriteRecord(kFile, run.first + i, QByteArray());
}

}  // namespace

qsizetype LargestEventText() { return qsizetype(256) * RecordLength() - kHeader - kLongestUid; }

EventsRead ReadEvents(const store::DataFiles& files) {
  const int count = RecordsOnDisk(files);
  if (count == 0) return EventsRead();
  return EventsIn(files.ReadRecords(kFile, 1, count));
}

EventsRead EventsIn(const QByteArray& all) {
  // The file as this thread read it last, and the events found whole in
  // it by where they began: a run whose bytes are still the same is taken
  // as found then, without its digest worked out again (most of a read
  // after one event changed).
  struct Found {
    int records = 0;
    StoredEvent event;
  };
  struct LastRead {
    QByteArray all;
    std::map<int, Found> runs;
  };
  thread_local LastRead last;
  LastRead now;
  // Kept only when it owns its bytes (not over another's buffer).
  const bool owned = all.capacity() > 0;  // none over raw data
  if (owned) now.all = all;
  EventsRead read;
  const int length = RecordLength();
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
  Walk([&](int r) {
         return r <= count ? QByteArray::fromRawData(all.constData() + qsizetype(r - 1) * length, length)
                           : QByteArray(length, '\0');
       },
       count,
       [&](int first, const Head& head, const QString& uid, const QByteArray& text) {
         const StoredEvent event = same ? same->event : StoredEvent{uid, text, first};
         same = nullptr;
         read.events.push_back(event);
         if (owned && first + head.records - 1 <= count) now.runs.emplace(first, Found{head.records, event});
       },
       [&](int, int) { ++read.damaged; }, known);
  last = std::move(now);
  return read;
}

std::optional<StoredEvent> FindEvent(const store::DataFiles& files, const QString& uid) {
  for (StoredEvent& e : ReadEvents(files).events) {
    if (e.uid == uid) return std::move(e);
  }
  return std::nullopt;
}

QString UidOf(const QByteArray& text) {
  icalcomponent* calendar = icalparser_parse_string(text.constData());
  if (!calendar) return QString();
  QString uid;
  bool one = icalcomponent_isa(calendar) == ICAL_VCALENDAR_COMPONENT;
  int count = 0;
  for (icalcomponent* e = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT); one && e;
       e = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT)) {
    const char* own = icalcomponent_get_uid(e);
    const QString this_uid = own ? QString::fromUtf8(own) : QString();
    if (this_uid.isEmpty() || (count > 0 && this_uid != uid)) one = false;
    uid = this_uid;
    ++count;
  }
  icalcomponent_free(calendar);
  return one && count > 0 ? uid : QString();
}

PutResult PutEvent(store::Operation& op, const QByteArray& text) {
  const QString uid = UidOf(text);
  if (uid.isNull()) return PutResult::kNotAnEvent;
  const QByteArray uid_bytes = uid.toUtf8();
  if (text.size() > LargestEventText() || uid_bytes.size() > kLongestUid) return PutResult::kTooLarge;
  std::optional<Located> own;
  std::vector<Located> runs = Runs(op, uid, &own);
  const int records = RecordsFor(uid_bytes.size() + text.size());
  // First fit among the free stretches, the event's own run counting as
  // free: a changed event mostly stays where it was.
  std::vector<bool> used(std::size_t(store::kLargestRecordNumber) + 1, false);
  used[0] = true;
  for (const Located& run : runs) {
    if (own && run.first == own->first) continue;
    for (int r = run.first; r < run.first + run.records && r <= store::kLargestRecordNumber; ++r) {
      used[std::size_t(r)] = true;
    }
  }
  int first = 0;
  for (int r = 1, free = 0; r <= store::kLargestRecordNumber; ++r) {
    free = used[std::size_t(r)] ? 0 : free + 1;
    if (free == records) {
      first = r - records + 1;
      break;
    }
  }
  if (first == 0) return PutResult::kNoRoom;
  if (!op.HasFile(kFile)) op.files().OpenExtraFile(kFile);
  if (own) Clear(op, *own);
  const QByteArray bytes = RunFor(uid_bytes, text);
  for (int i = 0; i < records; ++i) {
    op.WriteRecord(kFile, first + i, bytes.mid(qsizetype(i) * RecordLength(), RecordLength()));
  }
  return PutResult::kStored;
}

bool RemoveEvent(store::Operation& op, const QString& uid) {
  std::optional<Located> own;
  Runs(op, uid, &own);
  if (!own) return false;
  Clear(op, *own);
  return true;
}

}  // namespace quorvel::events
