// Appoint.dat: one appointment per group of eight records, count in record 8.
//
// Record 8k+1 holds the ID (day key, "-", ordinal within the date), then
// subject, start time, end time, reminder flag (16-bit, -1 = on), reminder
// minutes and description. The first eight characters of the ID are the
// appointment's only record of its date.
#pragma once

#include <optional>

#include <QDate>
#include <QSet>
#include <QString>
#include <QStringList>

#include "store/data_files.h"
#include "store/trim.h"

namespace quorvel {

// The eight-digit day key of `date`: year, month and day run together.
QString DayKey(const QDate& date);
// The five-character birthday key of `date`: day, "/", month.
QString BirthdayKey(const QDate& date);

// The number a text starts with, read the way a user would read it: leading
// spaces skipped, an optional sign, digits and an optional fraction; 0 when
// the text does not start with a number.
double LeadingNumber(const QString& text);

// Field numbers within an appointment's group of eight records.
enum AppointmentField : int {
  kAppointmentId = 1,
  kAppointmentSubject = 2,
  kAppointmentStart = 3,
  kAppointmentEnd = 4,
  kAppointmentReminder = 5,  // 16-bit, -1 = on
  kAppointmentMinutes = 6,
  kAppointmentDescription = 7,
};
inline constexpr int kAppointmentFieldCount = 7;

struct Appointment {
  QString id;
  QString subject;
  QString start;
  QString end;
  bool reminder = false;
  QString minutes;
  QString description;
};

// What the appointment editor's boxes take: the subject and, of the
// description, what its box holds (a stored description may be longer).
inline constexpr int kSubjectLimit = 100;
inline constexpr int kDescriptionBoxLimit = 100;
inline constexpr int kMinutesLimit = 4;  // the reminder's lead time in minutes
inline constexpr int kDescriptionLimit = 1000;
extern const char kDescriptionTooLong[];
extern const char kAppointmentFileFull[];
extern const char kAppointmentNotStored[];

// Appends `appointment` after the last stored one and raises the count.
store::Outcome AddAppointment(store::DataFiles& files, const Appointment& appointment);
// The same as one step of a larger operation: the appointment's writes are
// added to `op`, which the caller commits. A refusal adds nothing to `op`,
// so the caller may go on with other steps.
store::Outcome AddAppointment(store::Operation& op, const Appointment& appointment);
// Rewrites fields 2 to 7 of every stored appointment whose ID equals
// `appointment.id`; the ID itself is never rewritten.
store::Outcome UpdateAppointment(store::DataFiles& files, const Appointment& appointment);
// Removes the appointment with `id`, moves the later ones down one group,
// empties the old last group, lowers the count and renumbers the later
// ordinals of the same date. An ID that is not stored changes nothing.
store::Outcome DeleteAppointment(store::DataFiles& files, const QString& id);

// Items move: an earlier appointment of the day deleted (here or by a sync)
// renumbers the later ones, so an appointment a window showed is found
// again by what it holds, not by its ID.
//
// Where `shown` (as read from the file when a window showed it) is stored
// now: an appointment of the same day whose fields 2 to 7 are exactly
// `shown`'s, the one still under `shown.id` when there is one, otherwise
// the one whose ordinal is nearest. -1 when the day holds none (it was
// changed or deleted since).
int FindSameAppointment(const store::Operation& op, const Appointment& shown);
int FindSameAppointment(const store::DataFiles& files, const Appointment& shown);
// Stores `edited`'s fields 2 to 7 over the appointment `shown` was read
// from, wherever it is now (its ID stays). Nothing when it is no longer
// stored as it was shown: no other appointment is ever written instead.
std::optional<store::Outcome> UpdateSameAppointment(store::DataFiles& files,
                                                    const Appointment& shown,
                                                    const Appointment& edited);
// Deletes the appointment `shown` was read from, wherever it is now, as
// DeleteAppointment does; refused with kAppointmentNotStored when it is no
// longer stored as it was shown.
store::Outcome DeleteSameAppointment(store::DataFiles& files, const Appointment& shown);
// Adds `appointment` to `date` under the day's next free ordinal, chosen
// in the same step as the add (whatever was added or deleted since the
// editor opened); `*id` gets the ID it was stored under.
store::Outcome AddAppointmentOn(store::DataFiles& files, const QDate& date,
                                const Appointment& appointment, QString* id = nullptr);

// The same changes inside an operation the caller commits (the sync engine
// changes many appointments and its own state in one step). They keep the
// file's rules but leave the sync links to the caller.
// Rewrites fields 2 to 7 of group k.
void RewriteAppointment(store::Operation& op, int k, const Appointment& appointment);
// Removes group k as DeleteAppointment does: later groups move down and
// later ordinals of its date drop by one.
void RemoveAppointment(store::Operation& op, int k);
// The ID an appointment added to `date` gets, seen through `op`.
QString NextAppointmentId(const store::Operation& op, const QDate& date);

// Group k (from 0) as stored, or as `op` sees it.
Appointment ReadAppointment(const store::DataFiles& files, int k);
Appointment ReadAppointment(const store::Operation& op, int k);
// The last stored appointment whose ID equals `id` exactly, or -1.
int FindAppointment(const store::DataFiles& files, const QString& id);
// How many stored appointments fall on `date`.
int CountAppointmentsOn(const store::DataFiles& files, const QDate& date);
// The ID an appointment added to `date` gets: the next ordinal of the date.
QString NextAppointmentId(const store::DataFiles& files, const QDate& date);

// Whether a stored appointment's ID starts with the day key of `date`.
bool HasAppointmentOn(const store::DataFiles& files, const QDate& date);

// Days (1 to 31) of one month that carry an appointment and that carry a
// birthday from the address book, and whether an appointment falls on
// `today`. One pass over the appointment IDs and one over the address
// book's birthday fields.
struct MonthMarks {
  QSet<int> appointment_days;
  QSet<int> birthday_days;
  // Days with an occurrence of a repeating event, and days an all-day or
  // multi-day event covers (events kept beside the four files).
  QSet<int> repeating_days;
  QSet<int> all_day_days;
  bool today = false;
};
MonthMarks ComputeMonthMarks(const store::DataFiles& files, int year, int month,
                             const QDate& today = QDate());

// One day's appointments as the Activities window lists them, from one pass
// over the IDs: subjects, start and end times with leading and trailing
// spaces removed, in file order, and the appointment with ordinal 1 (the
// last one stored under exactly that ID).
struct DayAppointments {
  QStringList subjects;
  QStringList starts;
  QStringList ends;
  std::optional<Appointment> first;
};
DayAppointments ReadDayAppointments(const store::DataFiles& files, const QDate& date);

// The birthday lines of `date` from the address book, in file order:
// "Birthday - <key> ( <age> ) ".
QStringList BirthdaysOn(const store::DataFiles& files, const QDate& date);

}  // namespace quorvel
