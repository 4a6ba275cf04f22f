// How an event made here repeats, as the appointment editor's controls
// choose it, to an RRULE and back; and the text of a new event.
#pragma once

#include <optional>

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QTimeZone>

namespace quorvel::events {

struct Repeat {
  enum class Kind {
    kNever,
    kDaily,
    kWeekly,            // on `weekdays`, every `interval` weeks
    kMonthlyByDate,     // on the start's day of the month
    kMonthlyByWeekday,  // on the start's n-th weekday ("last" for a 5th)
    kYearly,
    kOther,  // a rule the controls cannot express: `rule` kept as it is
  };
  enum class End { kNever, kUntil, kCount };

  Kind kind = Kind::kNever;
  int interval = 1;       // weeks between, for kWeekly
  unsigned weekdays = 0;  // bit d-1 for Qt's day d (Monday 1 … Sunday 7)
  End end = End::kNever;
  QDate until = {};      // the last day an occurrence may start on
  int count = 0;         // how many occurrences
  QByteArray rule = {};  // kOther: the RRULE value as it was

  bool operator==(const Repeat&) const = default;
};

// The RRULE value for an event starting `start` (all day or in its own
// zone); empty for kNever.
QByteArray RuleFor(const Repeat& repeat, const QDateTime& start, bool all_day);
// What the controls show for the RRULE value `rule` of an event starting
// `start`.
Repeat RepeatOf(const QByteArray& rule, const QDateTime& start);

struct NewEvent {
  QString summary = {};
  QString description = {};
  QDateTime start = {};  // in the zone it is to keep (all day: midnights, end exclusive)
  QDateTime end = {};
  bool all_day = false;
  int alarm_minutes = -1;  // -1: no reminder
  Repeat repeat = {};
};

// A new VCALENDAR with one VEVENT: a new UID, DTSTAMP `stamp`, times with
// the TZID of the start's zone and its VTIMEZONE (UTC as UTC), or dates.
QByteArray NewEventText(const NewEvent& event, const QDateTime& stamp);

}  // namespace quorvel::events
