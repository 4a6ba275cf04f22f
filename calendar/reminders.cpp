#include "calendar/reminders.h"

#include "calendar/reminder_window.h"
#include "items/appointment_file.h"
#include "reminding/due.h"
#include "store/scan.h"
#include "store/trim.h"
#include "ui/organiser.h"
#include "ui/seams.h"

namespace quorvel {

using store::Channel;

namespace {

constexpr Channel kAppoint = Channel::kAppoint;
constexpr int kMinutesPerDay = 1440;

bool IsDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

// The number written by `text`'s digits; nothing when it holds anything else.
std::optional<int> WholeNumber(const QString& text) {
  if (text.isEmpty() || text.size() > 9) return std::nullopt;
  int value = 0;
  for (QChar c : text) {
    if (!IsDigit(c)) return std::nullopt;
    value = value * 10 + (c.unicode() - '0');
  }
  return value;
}

}  // namespace

std::optional<int> DueMinute(const QString& start, const QString& lead) {
  const QString time = start.left(5);
  if (time.size() != 5 || time.at(2) != QLatin1Char(':')) return std::nullopt;
  const std::optional<int> hour = WholeNumber(time.left(2));
  const std::optional<int> minute = WholeNumber(time.mid(3, 2));
  if (!hour || !minute || *hour > 23 || *minute > 59) return std::nullopt;
  // Spaces around a typed number are no reason to drop the reminder.
  const std::optional<int> minutes = WholeNumber(store::TrimSpaces(lead));
  if (!minutes) return std::nullopt;
  const int due = 60 * *hour + *minute - *minutes;
  if (due < 0 || due >= kMinutesPerDay) return std::nullopt;
  return due;
}

QString DisplaySubject(const QString& subject) { return reminding::DisplaySubject(subject); }

std::vector<ReminderRow> RemindersOf(const store::DataFiles& files, const QDate& date) {
  std::vector<ReminderRow> rows;
  // The day key is ASCII, stored as the same bytes: IDs are compared as
  // bytes in one pass over the file and only the day's groups decoded.
  const QByteArray key = DayKey(date).toLatin1();
  const int length = store::Info(kAppoint).record_length;
  store::ScanItems(files, kAppoint, files.ReadCount(kAppoint), [&](int, const char* group) {
    const QByteArrayView id = store::FieldBytes(kAppoint, group, 1);
    if (id.size() < 8 || id.first(8) != key) return;
    if (store::DecodeIntegerAt(group + 4 * length, length) != -1) return;
    const QString start = store::FieldText(kAppoint, group, 3);
    const QString lead = store::FieldText(kAppoint, group, 6);
    const std::optional<int> due = DueMinute(start, lead);
    if (!due) return;
    rows.push_back(ReminderRow{*due, start, store::FieldText(kAppoint, group, 4),
                               DisplaySubject(store::FieldText(kAppoint, group, 2)),
                               QString::number(*WholeNumber(store::TrimSpaces(lead)))});
  });
  return rows;
}

// ---------------------------------------------------------------- schedule

ReminderSchedule::ReminderSchedule(const QDateTime& started) : last_checked_(Key(started) - 1) {}

qint64 ReminderSchedule::Key(const QDateTime& moment) {
  const QTime time = moment.time();
  return moment.date().toJulianDay() * kMinutesPerDay + time.hour() * 60 + time.minute();
}

std::vector<ReminderSchedule::Minute> ReminderSchedule::MinutesFor(const QDateTime& now) {
  const qint64 current = Key(now);
  qint64 first = last_checked_ + 1;
  if (current < last_checked_ || current - last_checked_ > kLongestCatchUp) {
    // Slept, or the clock was changed: this minute alone, as if just started.
    first = current;
  }
  std::vector<Minute> minutes;
  for (qint64 key = first; key <= current; ++key) {
    minutes.push_back(
        Minute{QDate::fromJulianDay(key / kMinutesPerDay), int(key % kMinutesPerDay)});
  }
  if (current >= first) last_checked_ = current;
  return minutes;
}

// ---------------------------------------------------------------- the check

void CheckReminders(Organiser& app) { app.KeepReminders(); }

}  // namespace quorvel
