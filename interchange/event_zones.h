// The time zones of a calendar being read: its times as wall-clock times, the zones of its TZIDs.
#pragma once

#include <libical/ical.h>

#include <map>
#include <set>

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QTimeZone>

namespace quorvel::interchange::ical {

struct Wall {
  QDate date;
  int minute = 0;  // of the day
};

// A time of the file as wall-clock time in `zone`; floating times and dates
// stay as written.
Wall ToWall(icaltimetype t, const QTimeZone& zone);

// Seconds from `a` to `b`, both of one event (floating times count as UTC).
qint64 SecondsBetween(icaltimetype a, icaltimetype b);

// What identifies one instance of a recurring event, to match EXDATE and
// RECURRENCE-ID against occurrences.
QString InstanceKey(icaltimetype t);
QString DateKey(icaltimetype t);

// The time zones the TZIDs of one calendar name. A TZID that is a real zone
// name is read as the zone database has it, whatever the calendar's own
// definition says (old exports carry wrong ones); a Windows zone name, or
// the display name of one, as its IANA zone; any other as the calendar's
// own definition. What could not be resolved, and where the database
// overruled a definition, goes to the report.
class Zones {
 public:
  struct Report {
    std::map<QString, int> unknown;  // TZID: events read as local times
    std::set<QString> overruled;     // zones whose own definition was wrong
  };

  Zones(icalcomponent* calendar, Report& report) : calendar_(calendar), report_(report) {}

  // `t` given the zone of `property`'s TZID, unless it is a date, UTC or
  // has one.
  icaltimetype With(icaltimetype t, icalproperty* property);

  // The zone whose rules stand for `tzid` where they are not the
  // calendar's own definition of it; nullptr where they are, or where
  // nothing resolves it.
  icaltimezone* Replacement(const char* tzid);

  // The TZID of `property`, which names no zone that could be resolved.
  void CountUnknown(icalproperty* property);

 private:
  struct Entry {
    icaltimezone* zone = nullptr;  // the zone used
    icaltimezone* own = nullptr;   // the calendar's own definition
  };

  static icaltimetype FloatingDay(int year, int month, int day);

  const Entry& Find(const char* name);

  icalcomponent* calendar_;
  Report& report_;
  std::map<QByteArray, Entry> cache_;
};

}  // namespace quorvel::interchange::ical
