#include "calendar/day_occurrences.h"

#include <algorithm>
#include <map>

#include <QTimeZone>

#include "events/event_file.h"

namespace quorvel {
namespace {

// One event's occurrences in one month, and the text they came from.
struct EventMonth {
  QByteArray text;
  std::vector<events::Occurrence> occurrences;
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
  std::map<qint64, MonthOccurrences> months;  // by year * 12 + month
  std::map<qint64, std::map<QString, EventMonth>> by_event;  // the same, event by event
};

MonthOccurrences ReadMonth(Kept& kept, const store::DataFiles& files, qint64 key,
                                          const QDate& first, const QTimeZone& zone) {
  const QDate last = first.addDays(first.daysInMonth() - 1);
  std::map<QString, EventMonth>& before = kept.by_event[key];
  std::map<QString, EventMonth> now;
  std::vector<events::Occurrence> all;
  for (events::StoredEvent& event : events::ReadEvents(files).events) {
    EventMonth month;
    const auto it = before.find(event.uid);
    if (it != before.end() && it->second.text == event.text) {
      month = std::move(it->second);
    } else {
      month.occurrences = events::OccurrencesBetween(event.text, first, last, zone).occurrences;
      month.text = std::move(event.text);
    }
    all.insert(all.end(), month.occurrences.begin(), month.occurrences.end());
    now[event.uid] = std::move(month);
  }
  before = std::move(now);
  // As ReadOccurrences orders them: by start, events in file order.
  std::stable_sort(all.begin(), all.end(),
                   [](const events::Occurrence& a, const events::Occurrence& b) { return a.start < b.start; });
  MonthOccurrences month;
  month.days.reserve(all.size());
  for (const events::Occurrence& o : all) month.days.emplace_back(o.first_day(), o.last_day());
  month.occurrences = std::move(all);
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
    kept = Kept{&files, files.DataDir(), size, count, zone_id, {}, {}};
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
    it = kept.months.emplace(key, ReadMonth(kept, files, key, first, QTimeZone::systemTimeZone())).first;
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
