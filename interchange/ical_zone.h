// Time zones inside iCalendar objects, for the writers of this folder.
#pragma once

#include <libical/ical.h>

#include <QDateTime>
#include <QTimeZone>

namespace quorvel::interchange {

// The zone libical knows by `zone`'s Olson name, its VTIMEZONE added to
// `calendar` unless one of that TZID is there already; nullptr for UTC and
// for a zone libical does not know.
icaltimezone* ZoneInCalendar(icalcomponent* calendar, const QTimeZone& zone);

// The instant of `when` as a time of `zone` (its wall time with TZID), as
// UTC (`zone` null and `utc`), or as floating wall time of `when`.
icaltimetype TimeIn(const QDateTime& when, icaltimezone* zone, bool utc);

}  // namespace quorvel::interchange
