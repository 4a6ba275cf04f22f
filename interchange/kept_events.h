// Events kept whole: their VCALENDAR texts cut out of an imported calendar,
// and written back into an exported one. For the readers and writers of
// this folder.
#pragma once

#include <libical/ical.h>

#include <functional>

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace quorvel::interchange {

// The VCALENDAR of every VEVENT of `uid` in `calendar` (with `add_uid`, the
// one VEVENT without a UID, given `uid`), with the VTIMEZONEs their TZIDs
// name. `replacement` gives the zone whose rules stand for a TZID instead of
// the calendar's own (a Windows zone name, a definition the zone database
// overrules), or nullptr to keep the calendar's own.
QByteArray KeptText(icalcomponent* calendar, const QString& uid, icalcomponent* without_uid,
                    const std::function<icaltimezone*(const char*)>& replacement);

// What says whether one kept copy of an event is newer than another.
struct Revision {
  int sequence = 0;
  QDateTime modified;  // invalid when not given
  // Newer than `other`: a higher SEQUENCE, or the same one changed later.
  bool NewerThan(const Revision& other) const;
};
// Of the VEVENT without RECURRENCE-ID in `text` (else the first).
Revision RevisionOf(const QByteArray& text);

// Adds the VEVENTs and VTIMEZONEs of the kept `text` to `calendar` (a
// VTIMEZONE only when none of its TZID is there); the number of events
// added (0 or 1: a series with its changed occurrences is one).
int AddKept(icalcomponent* calendar, const QByteArray& text);

}  // namespace quorvel::interchange
