#include "calendar/day_occurrences.h"

#include <map>

#include <QTimeZone>

namespace quorvel {
namespace {

// What was read, for one DataFiles and one zone, month by month.
struct Kept {
  const store::DataFiles* files = nullptr;
  std::uint64_t change_count = 0;
  QByteArray zone;
  std::map<qint64, std::vector<events::Occurrence>> months;  // by year * 12 + month
};

const std::vector<events::Occurrence>& MonthOf(const store::DataFiles& files, const QDate& day) {
  static Kept kept;
  const QTimeZone zone = QTimeZone::systemTimeZone();
  const std::uint64_t count = files.ChangeCount(store::Channel::kEvents);
  if (kept.files != &files || kept.change_count != count || kept.zone != zone.id()) {
    kept = Kept{&files, count, zone.id(), {}};
  }
  // A few months are enough for the windows; the rest is read again.
  constexpr std::size_t kMonthsKept = 24;
  if (kept.months.size() > kMonthsKept) kept.months.clear();
  const qint64 key = qint64(day.year()) * 12 + day.month();
  auto it = kept.months.find(key);
  if (it == kept.months.end()) {
    const QDate first(day.year(), day.month(), 1);
    it = kept.months
             .emplace(key, events::ReadOccurrences(files, first, first.addDays(first.daysInMonth() - 1), zone))
             .first;
  }
  return it->second;
}

}  // namespace

std::vector<events::Occurrence> OccurrencesOn(const store::DataFiles& files, const QDate& day) {
  std::vector<events::Occurrence> on;
  if (!day.isValid() || !files.IsOpen(store::Channel::kEvents)) return on;
  for (const events::Occurrence& o : MonthOf(files, day)) {
    if (o.first_day() <= day && o.last_day() >= day) on.push_back(o);
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
