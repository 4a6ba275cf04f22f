#include "calendar/day_occurrences.h"

#include <algorithm>
#include <map>

#include <QTimeZone>

#include "events/event_file.h"

namespace quorvel {
namespace {

// One event's occurrences in one month, and the text they came from, with
// what putting a month together needs of each: its start as a number and
// the days it touches (worked out once, as the zone's dates are slow).
struct EventMonth {
  QByteArray text;
  std::vector<events::Occurrence> occurrences;
  std::vector<qint64> starts;                 // msecs since the epoch
  std::vector<std::pair<QDate, QDate>> days;  // first and last day
};

// A month's events as the file held them, in its order: an event mostly
// lies where it lay, so it is looked for there first.
struct EventsOfMonth {
  std::vector<QString> uids;
  std::vector<EventMonth> months;
  std::map<QString, std::size_t> where;  // made only when one is not in its place
};

// What was read, for one DataFiles and one zone, month by month. When
// Events.dat changes, the months are put together again from the events,
// and only an event whose text changed is expanded again.
struct Kept {
  // Which files, as they were: a window's DataFiles counts its changes,
  // and another at the same address is told apart by its folder and size.
  const store::DataFiles* files = nullptr;
  QString folder;
  qint64 size = -1;
  std::uint64_t change_count = 0;
  QByteArray zone;
  QTimeZone zone_itself;  // made once: making it again costs more than a month's marks
  std::map<qint64, MonthOccurrences> months;  // by year * 12 + month
  std::map<qint64, EventsOfMonth> by_event;   // the same, event by event
};

EventMonth Expand(QByteArray text, const QDate& first, const QDate& last, const QTimeZone& zone) {
  EventMonth month;
  month.occurrences = events::OccurrencesBetween(text, first, last, zone).occurrences;
  month.text = std::move(text);
  month.starts.reserve(month.occurrences.size());
  month.days.reserve(month.occurrences.size());
  for (const events::Occurrence& o : month.occurrences) {
    month.starts.push_back(o.start.toMSecsSinceEpoch());
    month.days.emplace_back(o.first_day(), o.last_day());
  }
  return month;
}

MonthOccurrences ReadMonth(Kept& kept, const store::DataFiles& files, qint64 key,
                           const QDate& first, const QTimeZone& zone) {
  const QDate last = first.addDays(first.daysInMonth() - 1);
  EventsOfMonth& before = kept.by_event[key];
  events::EventsRead read = events::ReadEvents(files);
  EventsOfMonth now;
  now.uids.reserve(read.events.size());
  now.months.reserve(read.events.size());
  auto find = [&](std::size_t i, const QString& uid) -> EventMonth* {
    if (i < before.uids.size() && before.uids[i] == uid) return &before.months[i];
    if (before.where.empty()) {
      for (std::size_t k = 0; k < before.uids.size(); ++k) before.where.emplace(before.uids[k], k);
    }
    const auto it = before.where.find(uid);
    return it == before.where.end() ? nullptr : &before.months[it->second];
  };
  // Each occurrence by its event and its place there.
  struct Placed {
    qint64 start;
    std::uint32_t event;
    std::uint32_t index;
  };
  std::vector<Placed> placed;
  for (std::size_t i = 0; i < read.events.size(); ++i) {
    events::StoredEvent& event = read.events[i];
    EventMonth* known = find(i, event.uid);
    now.months.push_back(known && known->text == event.text
                             ? std::move(*known)
                             : Expand(std::move(event.text), first, last, zone));
    now.uids.push_back(event.uid);
    const EventMonth& month = now.months.back();
    for (std::size_t k = 0; k < month.occurrences.size(); ++k) {
      placed.push_back({month.starts[k], std::uint32_t(i), std::uint32_t(k)});
    }
  }
  // As ReadOccurrences orders them: by start, events in file order.
  std::stable_sort(placed.begin(), placed.end(),
                   [](const Placed& a, const Placed& b) { return a.start < b.start; });
  MonthOccurrences month;
  month.occurrences.reserve(placed.size());
  month.days.reserve(placed.size());
  for (const Placed& p : placed) {
    month.occurrences.push_back(now.months[p.event].occurrences[p.index]);
    month.days.push_back(now.months[p.event].days[p.index]);
  }
  before = std::move(now);
  return month;
}

}  // namespace

const MonthOccurrences& OccurrencesInMonth(const store::DataFiles& files, const QDate& day) {
  static Kept kept;
  // The zone by its name: cheaper to ask for than the zone itself.
  const QByteArray zone_id = QTimeZone::systemTimeZoneId();
  const std::uint64_t count = files.ChangeCount(store::Channel::kEvents);
  const qint64 size =
      files.IsOpen(store::Channel::kEvents) ? files.FileSize(store::Channel::kEvents) : -1;
  if (kept.files != &files || kept.folder != files.DataDir() || kept.zone != zone_id) {
    kept = Kept{&files, files.DataDir(), size, count, zone_id, QTimeZone::systemTimeZone(), {}, {}};
  } else if (kept.size != size || kept.change_count != count) {
    kept.size = size;
    kept.change_count = count;
    kept.months.clear();
  }
  // A few months are enough for the windows; the rest is read again.
  constexpr std::size_t kMonthsKept = 24;
  if (kept.months.size() > kMonthsKept || kept.by_event.size() > kMonthsKept) {
    kept.months.clear();
    kept.by_event.clear();
  }
  const qint64 key = qint64(day.year()) * 12 + day.month();
  auto it = kept.months.find(key);
  if (it == kept.months.end()) {
    const QDate first(day.year(), day.month(), 1);
    it = kept.months.emplace(key, ReadMonth(kept, files, key, first, kept.zone_itself)).first;
  }
  return it->second;
}

std::vector<events::Occurrence> OccurrencesOn(const store::DataFiles& files, const QDate& day) {
  std::vector<events::Occurrence> on;
  if (!day.isValid() || !files.IsOpen(store::Channel::kEvents)) return on;
  const MonthOccurrences& month = OccurrencesInMonth(files, day);
  for (std::size_t i = 0; i < month.occurrences.size(); ++i) {
    if (month.days[i].first <= day && month.days[i].second >= day)
      on.push_back(month.occurrences[i]);
  }
  return on;
}

QString StartOnDay(const events::Occurrence& o, const QDate& day) {
  if (o.start.date() < day) return QStringLiteral("00:00");
  return o.start.time().toString(QStringLiteral("HH:mm"));
}

QString EndOnDay(const events::Occurrence& o, const QDate& day) {
  if (o.end.date() > day) {
    return QStringLiteral("24:00");
  }
  if (o.end <= o.start) return StartOnDay(o, day);
  return o.end.time().toString(QStringLiteral("HH:mm"));
}

}  // namespace quorvel
