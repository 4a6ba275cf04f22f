// The folded copy of the three files: read in runs, kept current through
// the store's announcements, searched at every keystroke.
#include <algorithm>
#include <cstring>
#include <utility>

#include <QElapsedTimer>

#include "search/fold.h"
#include "search/kept_events.h"
#include "search/layouts.h"
#include "search/search.h"
#include "store/record_codec.h"
#include "store/scan.h"
#include "store/trim.h"

namespace quorvel::search {
namespace {

using store::Channel;

// Bytes read per call: few calls, and a run is quick to fold, so the time
// a step takes stays close to its budget.
constexpr int kRunBytes = 128 * 1024;

// Items read per call from the file of `channel` (at least one).
int RunItems(Channel channel) {
  const store::ChannelInfo& info = store::Info(channel);
  return std::max(1, kRunBytes / (info.group_size * info.record_length));
}

// The date "yyyyMMdd" at the start of an appointment's ID names.
QDate IdDate(const QString& id) {
  if (id.size() < 8) return {};
  int value[3] = {0, 0, 0};
  for (int i = 0; i < 8; ++i) {
    const QChar c = id.at(i);
    if (c < u'0' || c > u'9') return {};
    int& part = value[i < 4 ? 0 : i < 6 ? 1 : 2];
    part = part * 10 + (c.unicode() - u'0');
  }
  return QDate(value[0], value[1], value[2]);
}

// What identifies and orders item `item` of `layout`'s file, from its
// records' bytes.
Match MatchOf(const Layout& layout, int item, const char* group) {
  Match m;
  m.kind = layout.kind;
  m.item = item;
  m.identity = store::FieldText(layout.channel, group, 1);
  m.title = store::TrimSpaces(layout.title_field == 1
                                  ? m.identity
                                  : store::FieldText(layout.channel, group, layout.title_field));
  switch (layout.kind) {
    case Kind::kAppointment:
      m.start = store::TrimSpaces(store::FieldText(layout.channel, group, kAppointmentStart));
      m.date = IdDate(m.identity);
      if (m.identity.size() > 9 && m.identity.at(8) == u'-') m.ordinal = m.identity.mid(9).toInt();
      break;
    case Kind::kNote:
      break;
    case Kind::kEntry:
      m.group = LetterGroupOf(m.identity);
      break;
  }
  return m;
}

}  // namespace

FoldedCopy::FoldedCopy(const store::DataFiles& files)
    : files_(files), events_(std::make_unique<EventsCopy>(files)) {}

FoldedCopy::~FoldedCopy() = default;

void FoldedCopy::Outdate(store::ChangedFiles changed) {
  for (std::size_t k = 0; k < copies_.size(); ++k) {
    if (changed.Has(kLayouts[k].channel)) copies_[k].changes.fetch_add(1);
  }
  if (changed.Has(Channel::kEvents)) events_->Outdate();
}

void FoldedCopy::SetToday(const QDate& today) { events_->SetToday(today); }

bool FoldedCopy::Current(const File& file) const {
  return file.ready && file.version == file.changes.load();
}

unsigned FoldedCopy::changes() const {
  unsigned sum = events_->changes();
  for (const File& file : copies_) sum += file.changes.load();
  return sum;
}

bool FoldedCopy::current() const {
  return std::all_of(copies_.begin(), copies_.end(),
                     [this](const File& f) { return Current(f); }) &&
         events_->current();
}

void FoldedCopy::Clear() {
  for (File& file : copies_) {
    file.ready = false;
    file.copy = Copy();
    file.reading = Reading();
  }
  run_ = QByteArray();
  // The events' copy is small and slow to date (each event's repeat rules
  // are followed): it is kept, and Outdate keeps it current.
}

bool FoldedCopy::Update(int budget_ms) {
  QElapsedTimer clock;
  clock.start();
  const qint64 budget_ns = qint64(budget_ms) * 1000000;
  for (std::size_t k = 0; k < copies_.size(); ++k) {
    File& file = copies_[k];
    while (!Current(file)) {
      if (ReadRun(int(k))) Finish(int(k));
      if (clock.nsecsElapsed() >= budget_ns) return current();
    }
  }
  return events_->Update(clock, budget_ns) && current();
}

bool FoldedCopy::ReadRun(int k) {
  File& file = copies_[std::size_t(k)];
  Reading& r = file.reading;
  const Layout& layout = kLayouts[k];
  const unsigned changes = file.changes.load();
  if (!r.started || r.version != changes) {
    // From the start: the file changed since its reading began.
    r = Reading();
    r.started = true;
    r.version = changes;
    r.count = files_.ReadCount(layout.channel);
    r.same_order = r.count == int(file.copy.listed.size());
  }
  const store::ChannelInfo& info = store::Info(layout.channel);
  const int group_bytes = info.group_size * info.record_length;
  const int items = std::min(RunItems(layout.channel), r.count - r.next);
  if (items > 0) {
    files_.ReadRecords(layout.channel, store::FieldRecord(layout.channel, r.next, 1),
                       items * info.group_size, run_);
    if (!ReuseRun(k, r.next, run_)) {
      const QByteArray run = std::exchange(run_, QByteArray());
      auto folded = std::make_shared<Folded>();
      for (int i = 0; i < items; ++i)
        FoldItem(k, r.next + i, run.constData() + qsizetype(i) * group_bytes, *folded);
      r.folded.push_back(std::move(folded));
      r.runs.push_back(run);
    }
    r.next += items;
  }
  return r.next >= r.count;
}

void FoldedCopy::FoldItem(int k, int item, const char* group, Folded& into) {
  File& file = copies_[std::size_t(k)];
  Reading& r = file.reading;
  const Layout& layout = kLayouts[k];
  const store::ChannelInfo& info = store::Info(layout.channel);
  const int group_bytes = info.group_size * info.record_length;
  if (Reuse(k, item, QByteArrayView(group, group_bytes), into)) return;
  for (const int field : layout.texts) {
    if (!Searched(layout, group, field)) continue;
    AppendFolded(store::FieldBytes(layout.channel, group, field), into.text);
    into.text.push_back('\0');
  }
  into.ends.push_back(std::uint32_t(into.text.size()));
  r.items.push_back(MatchOf(layout, item, group));
  if (layout.kind != Kind::kAppointment) {
    // Notes by their title, entries by their key, as folded.
    std::string order;
    AppendFolded(store::FieldBytes(layout.channel, group, 1), order);
    r.orders.push_back(std::move(order));
  }
  // A changed item keeps the old order when it sorts as the item before it
  // at its place did.
  const Copy& old = file.copy;
  const std::size_t at = std::size_t(item);
  const Match& made = r.items.back();
  if (at >= old.listed.size()) {
    r.same_order = false;
  } else {
    const Match& was = (*old.items)[old.listed[at]];
    r.same_order = r.same_order && made.identity == was.identity && made.start == was.start &&
                   (old.orders.empty() || old.orders[at] == r.orders.back());
  }
}

bool FoldedCopy::ReuseRun(int k, int item, const QByteArray& run) {
  File& file = copies_[std::size_t(k)];
  const Copy& old = file.copy;
  const std::size_t at = std::size_t(item / RunItems(kLayouts[k].channel));
  if (at >= old.runs.size() || old.runs[at] != run) return false;
  Reading& r = file.reading;
  r.runs.push_back(old.runs[at]);
  r.folded.push_back(old.folded[at]);
  const int items = int(old.folded[at]->ends.size());
  for (int i = 0; i < items; ++i) TakeOld(k, item + i, item + i);
  return true;
}

bool FoldedCopy::Reuse(int k, int item, QByteArrayView group, Folded& into) {
  File& file = copies_[std::size_t(k)];
  const Copy& old = file.copy;
  Reading& r = file.reading;
  const qsizetype size = group.size();
  const int count = int(old.listed.size());
  const int per_run = RunItems(kLayouts[k].channel);
  for (const int o : {item, item + 1, item - 1}) {
    if (o < 0 || o >= count) continue;
    const char* was =
        old.runs[std::size_t(o / per_run)].constData() + qsizetype(o % per_run) * size;
    if (std::memcmp(was, group.data(), std::size_t(size)) != 0) continue;
    const Folded& from = *old.folded[std::size_t(o / per_run)];
    const std::size_t in = std::size_t(o % per_run);
    const std::uint32_t begin = in == 0 ? 0 : from.ends[in - 1];
    into.text.append(from.text, begin, from.ends[in] - begin);
    into.ends.push_back(std::uint32_t(into.text.size()));
    TakeOld(k, o, item);
    r.same_order = r.same_order && o == item;
    return true;
  }
  return false;
}

void FoldedCopy::TakeOld(int k, int was, int item) {
  File& file = copies_[std::size_t(k)];
  const Copy& old = file.copy;
  Reading& r = file.reading;
  Match match = (*old.items)[old.listed[std::size_t(was)]];
  match.item = item;
  r.items.push_back(std::move(match));
  if (!old.orders.empty()) r.orders.push_back(old.orders[std::size_t(was)]);
}

void FoldedCopy::Finish(int k) {
  File& file = copies_[std::size_t(k)];
  Reading& r = file.reading;
  const std::vector<Match>& items = r.items;
  std::vector<std::uint32_t> order(items.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = std::uint32_t(i);
  if (r.same_order) {
    for (std::size_t i = 0; i < order.size(); ++i) order[file.copy.listed[i]] = std::uint32_t(i);
  } else {
    SortItems(kLayouts[k].kind, r, order);
  }
  Copy copy;
  copy.folded = std::move(r.folded);
  copy.runs = std::move(r.runs);
  copy.listed.resize(order.size());
  auto sorted = std::make_shared<std::vector<Match>>();
  sorted->reserve(order.size());
  for (const std::uint32_t i : order) {
    copy.listed[i] = std::uint32_t(sorted->size());
    sorted->push_back(std::move(r.items[i]));
  }
  copy.items = std::move(sorted);
  copy.orders = std::move(r.orders);
  file.copy = std::move(copy);
  file.version = r.version;
  file.ready = true;
  r = Reading();
}

void FoldedCopy::SortItems(Kind kind, const Reading& r, std::vector<std::uint32_t>& order) {
  const std::vector<Match>& items = r.items;
  switch (kind) {
    case Kind::kAppointment:
      // By date, within a day by start time, then as the day lists them;
      // IDs that name no date last, by ID. Chosen() takes the past from
      // this backwards, day by day.
      std::stable_sort(order.begin(), order.end(), [&items](std::uint32_t x, std::uint32_t y) {
        return CalendarBefore(items[x], items[y]);
      });
      break;
    case Kind::kNote:
      std::stable_sort(order.begin(), order.end(), [&r](std::uint32_t x, std::uint32_t y) {
        return r.orders[x] < r.orders[y];
      });
      break;
    case Kind::kEntry: {
      std::vector<qsizetype> groups(items.size());
      for (std::size_t i = 0; i < items.size(); ++i) {
        const qsizetype at = LetterGroups().indexOf(items[i].group);
        groups[i] = at < 0 ? LetterGroups().size() : at;
      }
      std::stable_sort(order.begin(), order.end(), [&](std::uint32_t x, std::uint32_t y) {
        if (groups[x] != groups[y]) return groups[x] < groups[y];
        if (r.orders[x] != r.orders[y]) return r.orders[x] < r.orders[y];
        return items[x].identity < items[y].identity;
      });
      break;
    }
  }
}

std::vector<bool> FoldedCopy::Hits(int k, const Query& query) const {
  const Copy& copy = copies_[std::size_t(k)].copy;
  std::vector<bool> hits;
  hits.reserve(copy.listed.size());
  for (const std::shared_ptr<const Folded>& run : copy.folded) {
    const std::vector<bool> in_run = HitsIn(run->text, run->ends, query);
    hits.insert(hits.end(), in_run.begin(), in_run.end());
  }
  return hits;
}

std::vector<std::uint32_t> FoldedCopy::Chosen(int k, const Query& query, const QDate& today) const {
  const Copy& copy = copies_[std::size_t(k)].copy;
  const std::vector<Match>& items = *copy.items;
  const std::vector<bool> hits = Hits(k, query);
  std::vector<std::uint32_t> chosen;
  const auto take = [&](std::size_t i) {
    if (hits[std::size_t(items[i].item)]) chosen.push_back(std::uint32_t(i));
  };
  if (kLayouts[k].kind != Kind::kAppointment) {
    for (std::size_t i = 0; i < items.size(); ++i) take(i);
    return chosen;
  }
  return ByDay(items, hits, today);
}

Results FoldedCopy::Find(const Query& query, const QDate& today) {
  Results results;
  if (query.empty() || query.impossible()) return results;
  SetToday(today);
  while (!Update(1000)) {
  }
  const std::shared_ptr<const std::vector<Match>>& appointments = copies_[0].copy.items;
  results.appointments =
      MatchList(appointments,
                MergeByDay(*appointments, Chosen(0, query, today), *events_->items(),
                           events_->Chosen(query), std::uint32_t(appointments->size()), today),
                events_->items());
  results.notes = MatchList(copies_[1].copy.items, Chosen(1, query, today));
  results.entries = MatchList(copies_[2].copy.items, Chosen(2, query, today));
  return results;
}

Results Search(const store::DataFiles& files, const Query& query, const QDate& today) {
  FoldedCopy copy(files);
  return copy.Find(query, today);
}

}  // namespace quorvel::search
