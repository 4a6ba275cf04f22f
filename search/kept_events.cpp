#include "search/kept_events.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <tuple>

#include <QTimeZone>

#include "events/occurrences.h"
#include "search/fold.h"

namespace quorvel::search {
namespace {

// What identifies and orders event `uid` (its text `source`) when it is
// found: its occurrence nearest to `today`.
Match EventMatch(const QString& uid, const QByteArray& source, const QStringList& words, int item,
                 const QDate& today, const QTimeZone& zone) {
  Match m;
  m.kind = Kind::kAppointment;
  m.event = true;
  m.item = item;
  m.identity = uid;
  const std::optional<events::Occurrence> o = events::NearestOccurrence(source, today, zone);
  if (!o) {
    // Every occurrence left out: found, without a day to show it on.
    m.title = words.value(0).trimmed();
    return m;
  }
  m.title = o->summary.trimmed();
  m.all_day = o->all_day;
  m.repeats = o->repeats;
  m.instance = o->instance;
  m.date = o->first_day();
  // Under way today: today is its nearest day.
  if (m.date < today && o->last_day() >= today) m.date = today;
  if (!m.all_day) {
    m.start = o->start.date() < m.date ? QStringLiteral("00:00")
                                       : o->start.time().toString(QStringLiteral("HH:mm"));
  }
  m.texts = QStringList{o->description, o->location};
  return m;
}

}  // namespace

// ------------------------------------------------------------ shared ordering

std::vector<bool> HitsIn(const std::string& text, const std::vector<std::uint32_t>& ends,
                         const Query& query) {
  std::vector<bool> hits(ends.size());
  const std::vector<std::string>& words = query.words();
  if (words.empty() || ends.empty()) return hits;
  // The first (longest) word through all the texts at once; from each
  // item it occurs in, the other words in that item's texts; then on from
  // the item's end.
  const std::string& first = words.front();
  const char* const data = text.data();
  const std::size_t size = text.size();
  std::size_t at = 0;
  while (at < size) {
    const void* found = first.size() == 1
                            ? std::memchr(data + at, first[0], size - at)
                            : memmem(data + at, size - at, first.data(), first.size());
    if (found == nullptr) break;
    const std::size_t where = std::size_t(static_cast<const char*>(found) - data);
    const std::size_t item =
        std::size_t(std::upper_bound(ends.begin(), ends.end(), where) - ends.begin());
    if (item >= ends.size()) break;
    const std::size_t begin = item == 0 ? 0 : ends[item - 1];
    const std::string_view texts(data + begin, ends[item] - begin);
    hits[item] = words.size() == 1 || query.Matches(texts);
    at = ends[item];
  }
  return hits;
}

bool CalendarBefore(const Match& a, const Match& b) {
  if (a.date.isValid() != b.date.isValid()) return a.date.isValid();
  if (!a.date.isValid()) return a.identity < b.identity;
  if (a.date != b.date) return a.date < b.date;
  return std::tie(a.start, a.ordinal) < std::tie(b.start, b.ordinal);
}

std::vector<std::uint32_t> ByDay(const std::vector<Match>& items, const std::vector<bool>& hits,
                                 const QDate& today) {
  std::vector<std::uint32_t> chosen;
  const auto take = [&](std::size_t i) {
    if (hits[std::size_t(items[i].item)]) chosen.push_back(std::uint32_t(i));
  };
  const auto dated_end = std::partition_point(items.begin(), items.end(),
                                              [](const Match& m) { return m.date.isValid(); });
  const auto upcoming = std::partition_point(items.begin(), dated_end,
                                             [&today](const Match& m) { return m.date < today; });
  const std::size_t dated = std::size_t(dated_end - items.begin());
  const std::size_t split = std::size_t(upcoming - items.begin());
  for (std::size_t i = split; i < dated; ++i) take(i);
  for (std::size_t day_end = split; day_end > 0;) {
    std::size_t day_begin = day_end - 1;
    while (day_begin > 0 && items[day_begin - 1].date == items[day_end - 1].date) --day_begin;
    for (std::size_t i = day_begin; i < day_end; ++i) take(i);
    day_end = day_begin;
  }
  for (std::size_t i = dated; i < items.size(); ++i) take(i);
  return chosen;
}

std::vector<std::uint32_t> MergeByDay(const std::vector<Match>& first_items,
                                      const std::vector<std::uint32_t>& first,
                                      const std::vector<Match>& second_items,
                                      const std::vector<std::uint32_t>& second,
                                      std::uint32_t offset, const QDate& today) {
  if (second.empty()) return first;
  // Where ByDay lists a match: upcoming by day, then the past by day
  // backwards, then those without a date; within a day by start.
  const auto key = [&today](const Match& m) {
    const int section = !m.date.isValid() ? 2 : m.date >= today ? 0 : 1;
    const qint64 day = section == 0   ? m.date.toJulianDay()
                       : section == 1 ? -m.date.toJulianDay()
                                      : 0;
    static const QString none;
    return std::make_tuple(section, day, std::cref(section == 2 ? none : m.start));
  };
  std::vector<std::uint32_t> merged;
  merged.reserve(first.size() + second.size());
  std::size_t i = 0, j = 0;
  while (i < first.size() || j < second.size()) {
    if (j == second.size() ||
        (i < first.size() && !(key(second_items[second[j]]) < key(first_items[first[i]])))) {
      merged.push_back(first[i++]);
    } else {
      merged.push_back(offset + second[j++]);
    }
  }
  return merged;
}

// ------------------------------------------------------------ the events' copy

bool EventsCopy::current() const {
  return ready_ && version_ == changes_.load() && dated_ == today_;
}

void EventsCopy::Start() {
  reading_ = true;
  reading_version_ = changes_.load();
  reading_day_ = today_;
  read_.clear();
  stored_ = events::ReadEvents(files_).events;
}

bool EventsCopy::Update(const QElapsedTimer& clock, qint64 budget_ns) {
  if (current()) return true;
  if (!reading_ || reading_version_ != changes_.load() || reading_day_ != today_) Start();
  // What the copy before holds, by UID: an event whose text is the same
  // keeps its folded words, and its Match when dated from the same day.
  std::map<QString, std::size_t> before;
  for (std::size_t k = 0; k < events_.size(); ++k) before.emplace(events_[k].uid, k);
  const QTimeZone zone = QTimeZone::systemTimeZone();
  while (read_.size() < stored_.size()) {
    events::StoredEvent& stored = stored_[read_.size()];
    const int item = int(read_.size());
    Event e;
    e.uid = stored.uid;
    e.source = std::move(stored.text);
    const auto old = before.find(e.uid);
    if (old != before.end() && events_[old->second].source == e.source) {
      const Event& was = events_[old->second];
      e.folded = was.folded;
      if (dated_ == reading_day_) {
        e.match = was.match;
        e.match.item = item;
      } else {
        e.match =
            EventMatch(e.uid, e.source, QStringList{was.match.title}, item, reading_day_, zone);
      }
    } else {
      const QStringList words = events::WordsOf(e.source);
      for (const QString& w : words) {
        AppendFoldedText(w, e.folded);
        e.folded.push_back('\0');
      }
      e.match = EventMatch(e.uid, e.source, words, item, reading_day_, zone);
    }
    read_.push_back(std::move(e));
    if (clock.nsecsElapsed() >= budget_ns) break;
  }
  if (read_.size() == stored_.size()) Finish();
  return current();
}

void EventsCopy::Finish() {
  events_ = std::move(read_);
  read_.clear();
  stored_.clear();
  text_.clear();
  ends_.clear();
  std::vector<Match> sorted;
  sorted.reserve(events_.size());
  for (const Event& e : events_) {
    text_ += e.folded;
    ends_.push_back(std::uint32_t(text_.size()));
    sorted.push_back(e.match);
  }
  std::stable_sort(sorted.begin(), sorted.end(), CalendarBefore);
  items_ = std::make_shared<const std::vector<Match>>(std::move(sorted));
  ready_ = true;
  reading_ = false;
  version_ = reading_version_;
  dated_ = reading_day_;
}

std::vector<std::uint32_t> EventsCopy::Chosen(const Query& query) const {
  return ByDay(*items_, HitsIn(text_, ends_, query), dated_);
}

}  // namespace quorvel::search
