#include "items/appointment_file.h"

#include <algorithm>
#include <vector>

#include <QByteArrayView>

#include "items/imported_appointments.h"
#include "items/same_appointment.h"
#include "items/sync_state.h"
#include "store/scan.h"

namespace quorvel {

using store::Channel;
using store::FieldRecord;

const char kDescriptionTooLong[] = "The size of the Note must not exceed 1000 characters";
const char kAppointmentFileFull[] =
    "The appointment file is full: it holds 4096 appointments, the most it can "
    "store. Delete an appointment before adding another.";
const char kAppointmentNotStored[] =
    "This appointment is no longer stored. The list has been read again.";

namespace {

constexpr Channel kFile = Channel::kAppoint;

int Record(int k, int field) { return FieldRecord(kFile, k, field); }

void WriteFields(store::Operation& op, int k, const Appointment& a) {
  op.WriteText(kFile, Record(k, kAppointmentSubject), a.subject);
  op.WriteText(kFile, Record(k, kAppointmentStart), a.start);
  op.WriteText(kFile, Record(k, kAppointmentEnd), a.end);
  op.WriteInteger(kFile, Record(k, kAppointmentReminder), a.reminder ? -1 : 0);
  op.WriteText(kFile, Record(k, kAppointmentMinutes), a.minutes);
  op.WriteText(kFile, Record(k, kAppointmentDescription), a.description);
}

}  // namespace

Appointment ReadAppointment(const store::Operation& op, int k) {
  Appointment a;
  a.id = op.ReadText(kFile, Record(k, kAppointmentId));
  a.subject = op.ReadText(kFile, Record(k, kAppointmentSubject));
  a.start = op.ReadText(kFile, Record(k, kAppointmentStart));
  a.end = op.ReadText(kFile, Record(k, kAppointmentEnd));
  a.reminder = op.ReadInteger(kFile, Record(k, kAppointmentReminder)) == -1;
  a.minutes = op.ReadText(kFile, Record(k, kAppointmentMinutes));
  a.description = op.ReadText(kFile, Record(k, kAppointmentDescription));
  return a;
}

QString DayKey(const QDate& date) {
  return QStringLiteral("%1%2%3")
      .arg(date.year(), 4, 10, QLatin1Char('0'))
      .arg(date.month(), 2, 10, QLatin1Char('0'))
      .arg(date.day(), 2, 10, QLatin1Char('0'));
}

QString BirthdayKey(const QDate& date) {
  return QStringLiteral("%1/%2")
      .arg(date.day(), 2, 10, QLatin1Char('0'))
      .arg(date.month(), 2, 10, QLatin1Char('0'));
}

double LeadingNumber(const QString& text) {
  qsizetype i = 0;
  while (i < text.size() && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t'))) ++i;
  const qsizetype begin = i;
  if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) ++i;
  bool digits = false;
  while (i < text.size() && text[i].isDigit() && text[i].unicode() < 128) {
    ++i;
    digits = true;
  }
  if (i < text.size() && text[i] == QLatin1Char('.')) {
    ++i;
    while (i < text.size() && text[i].isDigit() && text[i].unicode() < 128) {
      ++i;
      digits = true;
    }
  }
  if (!digits) return 0;
  bool ok = false;
  const double value = text.mid(begin, i - begin).toDouble(&ok);
  return ok ? value : 0;
}

store::Outcome AddAppointment(store::DataFiles& files, const Appointment& appointment) {
  store::Operation op(files);
  const store::Outcome outcome = AddAppointment(op, appointment);
  if (outcome.refused()) return outcome;
  KeepUidOfAdded(op, op.ReadCount(kFile) - 1);
  return op.Commit();
}

store::Outcome AddAppointment(store::Operation& op, const Appointment& appointment) {
  if (appointment.description.size() > kDescriptionLimit) {
    return store::Outcome::Refused(QString::fromLatin1(kDescriptionTooLong));
  }
  const int count = op.ReadCount(kFile);
  if (count >= store::Info(kFile).max_items) {
    return store::Outcome::Refused(QString::fromLatin1(kAppointmentFileFull));
  }
  // Checked before anything is written, so a refusal leaves `op` untouched.
  for (const QString* text : {&appointment.id, &appointment.subject, &appointment.start,
                              &appointment.end, &appointment.minutes, &appointment.description}) {
    const QString refusal = store::TextRefusal(kFile, *text);
    if (!refusal.isNull()) return store::Outcome::Refused(refusal);
  }
  op.WriteText(kFile, Record(count, kAppointmentId), appointment.id);
  WriteFields(op, count, appointment);
  op.WriteCount(kFile, count + 1);
  return store::Outcome::Stored();
}

void RewriteAppointment(store::Operation& op, int k, const Appointment& appointment) {
  WriteFields(op, k, appointment);
}

store::Outcome UpdateAppointment(store::DataFiles& files, const Appointment& appointment) {
  if (appointment.description.size() > kDescriptionLimit) {
    return store::Outcome::Refused(QString::fromLatin1(kDescriptionTooLong));
  }
  store::Operation op(files);
  const int count = op.ReadCount(kFile);
  const store::TextMatch match(appointment.id);
  std::vector<int> found;
  for (int k = 0; k < count; ++k) {
    if (match.Equals(op, kFile, Record(k, kAppointmentId))) found.push_back(k);
  }
  if (found.empty()) return store::Outcome::Refused(QString::fromLatin1(kAppointmentNotStored));
  // Every UID is kept as it stood before any of them is rewritten.
  for (int k : found) KeepUidsBeforeEdit(op, k, appointment);
  for (int k : found) WriteFields(op, k, appointment);
  return op.Commit();
}

store::Outcome DeleteAppointment(store::DataFiles& files, const QString& id) {
  store::Operation op(files);
  const int count = op.ReadCount(kFile);
  int position = -1;
  const store::TextMatch match(id);
  for (int k = 0; k < count; ++k) {
    if (match.Equals(op, kFile, Record(k, kAppointmentId))) position = k;
  }
  if (position < 0) return store::Outcome::Refused(QString::fromLatin1(kAppointmentNotStored));
  RemoveAppointment(op, position);
  sync::NoteAppointmentRemoved(op, position);
  return op.Commit();
}

int FindSameAppointment(const store::Operation& op, const Appointment& shown) {
  SameAppointment same(shown);
  const store::TextMatch day(shown.id.left(8));
  const int count = op.ReadCount(kFile);
  for (int k = 0; k < count; ++k) {
    if (day.Begins(op, kFile, Record(k, kAppointmentId))) same.Consider(k, ReadAppointment(op, k));
  }
  return same.found();
}

std::optional<store::Outcome> UpdateSameAppointment(store::DataFiles& files,
                                                    const Appointment& shown,
                                                    const Appointment& edited) {
  if (edited.description.size() > kDescriptionLimit) {
    return store::Outcome::Refused(QString::fromLatin1(kDescriptionTooLong));
  }
  store::Operation op(files);
  const int k = FindSameAppointment(op, shown);
  if (k < 0) return std::nullopt;
  KeepUidsBeforeEdit(op, k, edited);
  WriteFields(op, k, edited);
  return op.Commit();
}

store::Outcome DeleteSameAppointment(store::DataFiles& files, const Appointment& shown) {
  store::Operation op(files);
  const int k = FindSameAppointment(op, shown);
  if (k < 0) return store::Outcome::Refused(QString::fromLatin1(kAppointmentNotStored));
  RemoveAppointment(op, k);
  sync::NoteAppointmentRemoved(op, k);
  return op.Commit();
}

store::Outcome AddAppointmentOn(store::DataFiles& files, const QDate& date,
                                const Appointment& appointment, QString* id) {
  store::Operation op(files);
  // The day's ordinals run 1 … n; should a file hold a gap or a repeat, the
  // new one still goes past every ordinal the day already has.
  const QString key = DayKey(date);
  const store::TextMatch day(key);
  const int count = op.ReadCount(kFile);
  int n = 0;
  int highest = 0;
  for (int k = 0; k < count; ++k) {
    if (!day.Begins(op, kFile, Record(k, kAppointmentId))) continue;
    const QString stored = op.ReadText(kFile, Record(k, kAppointmentId));
    if (stored.left(8) != key) continue;
    ++n;
    highest = std::max(highest, Ordinal(stored));
  }
  Appointment added = appointment;
  added.id = key + QLatin1Char('-') + QString::number(std::max(n, highest) + 1);
  const store::Outcome outcome = AddAppointment(op, added);
  if (outcome.refused()) return outcome;
  KeepUidOfAdded(op, count);
  const store::Outcome committed = op.Commit();
  if (committed.stored() && id) *id = added.id;
  return committed;
}

void RemoveAppointment(store::Operation& op, int position) {
  const int count = op.ReadCount(kFile);
  if (position < 0 || position >= count) return;
  const QString id = op.ReadText(kFile, Record(position, kAppointmentId));
  // Later ones that went out under the same made UID keep the UIDs they
  // had (their repeat drops with this one gone).
  KeepUidsBeforeRemoval(op, position);
  // Close the gap: every later group moves down one place.
  // The reminder (field 5) is an integer, the other fields texts.
  static_assert(kAppointmentFieldCount == 7 && kAppointmentReminder == 5);
  constexpr store::ValueKind kText = store::ValueKind::kText;
  op.MoveItems(kFile, position + 1, count - position - 1, position,
               {kText, kText, kText, kText, store::ValueKind::kInteger, kText, kText});
  // The old last group becomes empty texts (the reminder reads back as 0).
  for (int field = 1; field <= kAppointmentFieldCount; ++field) {
    op.WriteText(kFile, Record(count - 1, field), QString());
  }
  op.WriteCount(kFile, count - 1);
  NoteImportedRemoved(op, position);

  // Later ordinals of the same date move down by one, compared as numbers.
  const QString day = id.left(8);
  const int deleted = Ordinal(id);
  const store::TextMatch same_day(day);
  for (int k = 0; k <= count - 2; ++k) {
    // Only IDs of the same date are decoded.
    if (day.size() == 8 && !same_day.Begins(op, kFile, Record(k, kAppointmentId))) continue;
    const QString other = op.ReadText(kFile, Record(k, kAppointmentId));
    if (other.left(8) != day) continue;
    const int ordinal = Ordinal(other);
    if (ordinal > deleted) {
      op.WriteText(kFile, Record(k, kAppointmentId), other.left(9) + QString::number(ordinal - 1));
    }
  }
}

QString NextAppointmentId(const store::Operation& op, const QDate& date) {
  const QString key = DayKey(date);
  const int count = op.ReadCount(kFile);
  int n = 0;
  const store::TextMatch day(key);
  for (int k = 0; k < count; ++k) {
    if (key.size() == 8 ? day.Begins(op, kFile, Record(k, kAppointmentId))
                        : op.ReadText(kFile, Record(k, kAppointmentId)).left(8) == key) {
      ++n;
    }
  }
  return key + QLatin1Char('-') + QString::number(n + 1);
}

}  // namespace quorvel
