// The reminder check made on every tick of the main window's timer.
#pragma once

#include <optional>
#include <vector>

#include <QDate>
#include <QDateTime>
#include <QString>

#include "store/data_files.h"

namespace quorvel {

class Organiser;

// The tick of the main window's timer: the program keeps the reminders
// when no reminder agent does (see Organiser::KeepReminders).
void CheckReminders(Organiser& app);

// One appointment of a day that carries a reminder.
struct ReminderRow {
  int due_minute = 0;   // minute of the day the reminder is due, 0 … 1439
  QString start;        // start time text as stored
  QString end;          // end time text as stored
  QString subject;      // display subject (DisplaySubject)
  QString lead;         // lead time as the pop-up shows it, plain decimal
  bool missed = false;  // its moment passed while nothing could show it
};

// The reminders of `date`'s appointments, in file order. An appointment with
// its reminder off, with a lead time that is not a whole number of minutes,
// with a start time not written as HH:MM, or whose reminder would fall on
// another day, has none.
std::vector<ReminderRow> RemindersOf(const store::DataFiles& files, const QDate& date);

// The minute of the day a reminder `lead` minutes before `start` is due,
// when both texts are well formed and that minute lies on the same day.
std::optional<int> DueMinute(const QString& start, const QString& lead);

// The subject without leading and trailing spaces, cut to its first 30
// characters followed by " ..." when it is longer.
QString DisplaySubject(const QString& subject);

// Which clock minutes each tick checks. Ticks come every 60 seconds, which
// does not keep them in step with the clock's minutes: one tick may fall
// just before a minute begins and the next just after the following one
// began, or two may fall inside one minute. The schedule hands every minute
// out once: a tick gets the minutes since the last one it handed out, up to
// its own, when they are few; after a longer gap (the computer slept, the
// clock was changed) only the tick's own minute.
class ReminderSchedule {
 public:
  struct Minute {
    QDate date;
    int minute_of_day = 0;
    friend bool operator==(const Minute&, const Minute&) = default;
  };

  // The longest gap, in minutes, that is caught up minute by minute.
  static constexpr int kLongestCatchUp = 5;

  // `started` is when the program started; its minute is the first checked.
  explicit ReminderSchedule(const QDateTime& started);

  // The minutes a tick at `now` checks, oldest first; empty when a tick
  // already checked the current minute.
  std::vector<Minute> MinutesFor(const QDateTime& now);

 private:
  static qint64 Key(const QDateTime& moment);
  qint64 last_checked_;
};

}  // namespace quorvel
