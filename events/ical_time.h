// Times inside iCalendar objects, for the readers and writers of this
// folder: which zone a TZID names, which occurrence a time is, and a time
// written in the form a property already has.
#pragma once

#include <libical/ical.h>

#include <QDateTime>
#include <QString>
#include <QTimeZone>

namespace quorvel::events {

// The zone libical knows by `zone`'s Olson name, its VTIMEZONE added to
// `calendar` unless one of that TZID is there already; nullptr for UTC and
// for a zone libical does not know.
icaltimezone* ZoneInCalendar(icalcomponent* calendar, const QTimeZone& zone);

// The instant of `when` as a time of `zone` (its wall time), as UTC (`zone`
// null and `utc`), or as floating wall time of `when`.
icaltimetype TimeIn(const QDateTime& when, icaltimezone* zone, bool utc);

// The zone a property's TZID names: the calendar's own VTIMEZONE, else the
// zone libical knows by that name; nullptr without a TZID.
icaltimezone* ZoneOf(icalproperty* property, icalcomponent* calendar);

// `t` of `property` with the zone its TZID names.
icaltimetype WithZone(icaltimetype t, icalproperty* property, icalcomponent* calendar);

// Which occurrence `t` is, as RECURRENCE-ID and EXDATE name it (yyyyMMdd,
// yyyyMMddThhmmssZ for an instant, yyyyMMddThhmmss floating).
QString InstanceOf(const icaltimetype& t);

}  // namespace quorvel::events
