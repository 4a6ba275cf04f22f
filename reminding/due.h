// Which reminders the appointments ask for, and when.
//
// Read straight from Appoint.dat, without opening the data files: whoever
// keeps the reminders must not keep the program out of its folder.
#pragma once

#include <optional>
#include <vector>

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTimeZone>

namespace quorvel::reminding {

// One appointment's reminder.
struct Reminder {
  // What the reminder is about: its day, times, lead time and subject.
  // Positions in the file move when an earlier appointment goes; this
  // does not, and an appointment edited to another time or subject is a
  // new reminder.
  QByteArray key;
  QDate day;
  QDateTime due;  // start minus the lead time; may fall on an earlier day
  QDateTime starts;
  QDateTime ends;        // the start when the end time is unreadable or not later
  QString subject;       // trimmed of spaces
  QString start;         // start time text as stored
  QString end;           // end time text as stored
  QString lead;          // the lead time, plain decimal
  bool all_day = false;  // an all-day event's: `start` says so, `end` is empty
};

// The reminders of every appointment in `appoint` (Appoint.dat's bytes),
// in file order. An appointment with its reminder off, a lead time that is
// not a whole number of minutes or a start time not written as HH:MM has
// none.
std::vector<Reminder> RemindersIn(const QByteArray& appoint);

// The reminders the alarms of the events in `events` (Events.dat's bytes)
// ask for, for the occurrences touching the days `from` … `to` in `zone`
// and for later ones whose alarms are due by the end of `to` (an alarm
// may lead its occurrence by weeks or months), by start: an alarm counted
// from the start, its lead in whole minutes.
std::vector<Reminder> EventRemindersIn(const QByteArray& events, const QDate& from, const QDate& to,
                                       const QTimeZone& zone);
// The same for one event's VCALENDAR text, unordered.
std::vector<Reminder> EventReminders(const QByteArray& text, const QDate& from, const QDate& to,
                                     const QTimeZone& zone);
// By start, as EventRemindersIn orders them.
void SortByStart(std::vector<Reminder>& reminders);
// How many days on from today the keeper looks for the events' alarms
// (and further for the occurrences of an alarm with a longer lead).
inline constexpr int kEventDaysAhead = 35;

// Events.dat of `folder` as it stands between two changes, as
// ReadAppointFile reads Appoint.dat.
std::optional<QByteArray> ReadEventsFile(const QString& folder);
// What tells one state of Events.dat of `folder` from another (its size,
// times and inode; "none" when it is missing); empty while it is being
// changed or cannot be looked at.
QByteArray EventsFileStamp(const QString& folder);

// Appoint.dat of `folder` as it stands between two changes: nothing when
// it cannot be read or was being changed while it was read (a journal lay
// beside it or it changed under the read); an empty array when it is
// missing. Read again once the change is over.
std::optional<QByteArray> ReadAppointFile(const QString& folder);

// How long after its moment a reminder counts as late: shown then, it is
// marked missed.
inline constexpr qint64 kLateAfterMs = 60 * 1000;
// How long a reminder stays worth showing when its appointment has no
// usable end.
inline constexpr qint64 kShortestShowMs = 5 * 60 * 1000;

// Whether `reminder` is worth showing at `now`: its moment has come and its
// appointment has not ended.
bool Current(const Reminder& reminder, const QDateTime& now);
// Whether a reminder shown at `now` was missed at its moment.
bool Missed(const Reminder& reminder, const QDateTime& now);

// The subject without leading and trailing spaces, cut to its first 30
// characters followed by " ..." when it is longer.
QString DisplaySubject(const QString& subject);

}  // namespace quorvel::reminding
