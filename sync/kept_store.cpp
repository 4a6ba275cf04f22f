#include "sync/kept_store.h"

#include <algorithm>
#include <vector>

#include <QCryptographicHash>

namespace quorvel::sync {
namespace {

constexpr store::Channel kFile = store::Channel::kKept;

int RecordLength() { return store::Info(kFile).record_length; }
int RecordsFor(qsizetype bytes) { return int((bytes + RecordLength() - 1) / RecordLength()); }

QByteArray DigestOf(const QByteArray& bytes) {
  return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).left(16);
}

bool Placed(const Link& link) { return link.kept_first > 0 && link.kept_length > 0; }

}  // namespace

qint64 KeptCapacity() { return qint64(store::kLargestRecordNumber) * RecordLength(); }

std::optional<QByteArray> ReadKept(const store::DataFiles& files, const Link& link) {
  if (!Placed(link) || !files.IsOpen(kFile)) return std::nullopt;
  const int records = RecordsFor(link.kept_length);
  if (link.kept_first + records - 1 > store::kLargestRecordNumber) return std::nullopt;
  QByteArray bytes = files.ReadRecords(kFile, link.kept_first, records);
  bytes.truncate(link.kept_length);
  if (DigestOf(bytes) != link.kept_digest) return std::nullopt;
  return bytes;
}

QStringList StageKept(store::Operation& op, const SyncState& before, SyncState& after,
                      const std::map<QString, QByteArray>& renewed) {
  const int last = store::kLargestRecordNumber;
  std::vector<bool> used(std::size_t(last) + 1, false);
  used[0] = true;
  auto mark = [&used](const Link& l) {
    for (int r = l.kept_first; r < l.kept_first + RecordsFor(l.kept_length) && r < int(used.size());
         ++r) {
      used[std::size_t(r)] = true;
    }
  };
  std::vector<std::pair<Link*, const QByteArray*>> pending;
  for (std::vector<Link>* links : {&after.appointments, &after.entries}) {
    for (Link& l : *links) {
      const auto it = renewed.find(l.href);
      if (it != renewed.end() && !(Placed(l) && l.kept_length == it->second.size() &&
                                   l.kept_digest == DigestOf(it->second))) {
        pending.push_back({&l, &it->second});
      } else if (Placed(l)) {
        mark(l);
      }
    }
  }
  // Free stretches, first fit: resources of a run mostly go one after the other.
  std::vector<std::pair<int, int>> gaps;  // first record, length
  for (int r = 1; r <= last;) {
    if (used[std::size_t(r)]) {
      ++r;
      continue;
    }
    const int start = r;
    while (r <= last && !used[std::size_t(r)]) ++r;
    gaps.push_back({start, r - start});
  }
  QStringList no_room;
  bool opened = op.HasFile(kFile);
  for (auto& [link, bytes] : pending) {
    link->kept_first = 0;
    link->kept_length = 0;
    link->kept_digest.clear();
    if (bytes->isEmpty()) continue;
    const int records = RecordsFor(bytes->size());
    auto gap = std::find_if(gaps.begin(), gaps.end(),
                            [records](const auto& g) { return g.second >= records; });
    if (gap == gaps.end()) {
      no_room << link->href;
      continue;
    }
    if (!opened) {
      op.files().OpenExtraFile(kFile);
      opened = true;
    }
    const int first = gap->first;
    gap->first += records;
    gap->second -= records;
    for (int i = 0; i < records; ++i) {
      op.WriteRecord(kFile, first + i, bytes->mid(qsizetype(i) * RecordLength(), RecordLength()));
      used[std::size_t(first + i)] = true;
    }
    link->kept_first = first;
    link->kept_length = int(bytes->size());
    link->kept_digest = DigestOf(*bytes);
  }
  // What no link keeps any more is cleared, so a deleted item's text does
  // not linger on the disk.
  if (opened) {
    for (const std::vector<Link>* links : {&before.appointments, &before.entries}) {
      for (const Link& l : *links) {
        if (!Placed(l)) continue;
        for (int r = l.kept_first; r < l.kept_first + RecordsFor(l.kept_length) && r <= last; ++r) {
          if (!used[std::size_t(r)]) op.WriteRecord(kFile, r, QByteArray());
        }
      }
    }
  }
  return no_room;
}

}  // namespace quorvel::sync
