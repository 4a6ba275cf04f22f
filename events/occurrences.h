// The occurrences of a kept event on the days a window shows: its repeat
// rules (RRULE, RDATE), the occurrences left out (EXDATE, a cancelled
// change) and the occurrences changed on their own (a VEVENT with a
// RECURRENCE-ID), each in its own time zone and shown in the viewer's. A
// cancelled event has none.
#pragma once

#include <optional>
#include <vector>

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTimeZone>

#include "store/data_files.h"

namespace quorvel::events {

struct Occurrence {
  QString uid;
  // Which occurrence of a series: its original start as RECURRENCE-ID
  // text (yyyyMMdd for a date, yyyyMMddThhmmssZ in UTC, or floating
  // yyyyMMddThhmmss); empty for an event that does not repeat.
  QString instance;
  // In the viewer's zone. All day: midnight of the first day, and midnight
  // after the last.
  QDateTime start;
  QDateTime end;
  bool all_day = false;
  bool repeats = false;  // one of a series
  bool changed = false;  // changed on its own, apart from its series
  QString summary;
  QString description;
  QString location;
  // Minutes before the start of the first alarm counted from the start,
  // or -1 when there is none.
  int alarm_minutes = -1;

  QDate first_day() const { return start.date(); }
  // The last day the occurrence touches (its end is not part of it).
  QDate last_day() const;
};

struct Expansion {
  std::vector<Occurrence> occurrences;  // by start
  QString problem;                      // why it cannot be shown (whole or in part), or null
  // The longest lead, in minutes, of the alarms counted from the start of
  // any occurrence of the event (changed ones too), whether or not one
  // falls in the window; -1 when it has none.
  int longest_alarm_minutes = -1;
};

// The occurrences of the event in `text` (one VCALENDAR, as kept) that
// touch any day from `from` to `to` as `zone` shows them.
Expansion OccurrencesBetween(const QByteArray& text, QDate from, QDate to, const QTimeZone& zone);

// The occurrence of the event in `text` nearest to `today` as `zone`
// shows it: the first that touches `today` or a later day, else the last
// before it; nothing when it has none.
std::optional<Occurrence> NearestOccurrence(const QByteArray& text, QDate today,
                                            const QTimeZone& zone);

// What the event in `text` says in words: the summary, description and
// location of each of its VEVENTs (the series and each occurrence changed
// on its own), those that are set; empty when the text cannot be read.
QStringList WordsOf(const QByteArray& text);

// The occurrences of every event kept in Events.dat that touch the days
// `from` … `to`, by start; `problems` (when given) gets one line for each
// event that cannot be shown whole, naming it.
std::vector<Occurrence> ReadOccurrences(const store::DataFiles& files, QDate from, QDate to,
                                        const QTimeZone& zone, QStringList* problems = nullptr);

}  // namespace quorvel::events
