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
  std::map<qint64, std::map<QString, EventMonth>> by_event;  // the same, event by event
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
  std::map<QString, EventMonth>& before = kept.by_event[key];
  events::EventsRead read = events::ReadEvents(files);
  std::vector<EventMonth> now;  // in file order
  now.reserve(read.events.size());
  // Each occurrence by its event and its place there.
  struct Placed {
    qint64 start;
    std::uint32_t event;
    std::uint32_t index;
  };
  std::vector<Placed> placed;
  for (events::StoredEvent& event : read.events) {
    const auto it = before.find(event.uid);
    now.push_back(it != before.end() && it->second.text == event.text
                      ? std::move(it->second)
                      : Expand(std::move(event.text), first, last, zone));
    for (std::size_t i = 0; i < now.back().occurrences.size(); ++i) {
      placed.push_back({now.back().starts[i], std::uint32_t(now.size() - 1), std::uint32_t(i)});
    }
  }
  // As ReadOccurrences orders them: by start, events in file order.
  std::stable_sort(placed.begin(), placed.end(), [](const Placed& a, const Placed& b) { return a.start < b.start; });
  MonthOccurrences month;
  month.occurrences.reserve(placed.size());
  month.days.reserve(placed.size());
  for (const Placed& p : placed) {
    month.occurrences.push_back(now[p.event].occurrences[p.index]);
    month.days.push_back(now[p.event].days[p.index]);
  }
  before.clear();
  for (std::size_t i = 0; i < now.size(); ++i) before.emplace(read.events[i].uid, std::move(now[i]));
  return month;
}

}  // namespace

const MonthOccurrences& OccurrencesInMonth(const store::DataFiles& files, const QDate& day) {
  static Kept kept;
  // The zone by its name: cheaper to ask for than the zone itself.
  const QByteArray zone_id = QTimeZone::systemTimeZoneId();
  const std::uint64_t count = files.ChangeCount(store::Channel::kEvents);
  const qint64 size = files.IsOpen(store::Channel::kEvents) ? files.FileSize(store::Channel::kEvents) : -1;
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
    if (month.days[i].first <= day && month.days[i].second >= day) on.push_back(month.occurrences[i]);
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
