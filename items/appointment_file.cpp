#include "items/appointment_file.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <vector>

#include <QCoreApplication>
#include <QByteArrayView>

#include "items/address_file.h"
#include "items/imported_appointments.h"
#include "store/scan.h"
#include "items/sync_state.h"

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

class CalendarTexts {
  Q_DECLARE_TR_FUNCTIONS(Calendar)
};

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

// The ordinal after the hyphen: the number the text from the tenth
// character on starts with.
int Ordinal(const QString& id) { return static_cast<int>(LeadingNumber(id.mid(9))); }

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

namespace {

// Picks, among the stored appointments offered to it, the one `shown` was
// read from.
class SameAppointment {
 public:
  explicit SameAppointment(const Appointment& shown)
      : shown_(shown), day_(shown.id.left(8)), wanted_(Ordinal(shown.id)) {}

  // Whether `id` is of the day at all (only those need reading whole).
  bool OfTheDay(const QString& id) const { return day_.size() == 8 && id.left(8) == day_; }
  void Consider(int k, const Appointment& stored) {
    if (exact_ || !OfTheDay(stored.id)) return;
    if (stored.subject != shown_.subject || stored.start != shown_.start ||
        stored.end != shown_.end || stored.reminder != shown_.reminder ||
        stored.minutes != shown_.minutes || stored.description != shown_.description) {
      return;
    }
    // Of several alike, the one still under the ID shown, else the nearest.
    const int distance = stored.id == shown_.id ? -1 : std::abs(Ordinal(stored.id) - wanted_);
    if (found_ < 0 || distance < distance_) {
      found_ = k;
      distance_ = distance;
      exact_ = distance < 0;
    }
  }
  int found() const { return found_; }

 private:
  const Appointment& shown_;
  QString day_;
  int wanted_;
  int found_ = -1;
  int distance_ = 0;
  bool exact_ = false;
};

}  // namespace

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

namespace {

constexpr Channel kBook = Channel::kAddBook;

// Day keys, ordinals and birthday keys are ASCII, which the code page
// stores as the same bytes: they are compared as bytes and only what
// matches is decoded.
QByteArray Ascii(const QString& text) { return text.toLatin1(); }

// Whether an ID's first eight characters equal the day key `key`.
bool OnDay(QByteArrayView id, const QByteArray& key) {
  return key.size() == 8 && id.size() >= 8 && id.first(8) == key;
}

// The number written by two digits, or 0.
int TwoDigits(QByteArrayView at) {
  const char tens = at[0];
  const char ones = at[1];
  if (tens < '0' || tens > '9' || ones < '0' || ones > '9') return 0;
  return (tens - '0') * 10 + (ones - '0');
}

Appointment DecodeAppointment(const char* group) {
  const int length = store::Info(kFile).record_length;
  const auto text = [&](int field) { return store::FieldText(kFile, group, field); };
  Appointment a;
  a.id = text(1);
  a.subject = text(2);
  a.start = text(3);
  a.end = text(4);
  a.reminder = store::DecodeIntegerAt(group + (kAppointmentReminder - 1) * length, length) == -1;
  a.minutes = text(6);
  a.description = text(7);
  return a;
}

}  // namespace

int FindSameAppointment(const store::DataFiles& files, const Appointment& shown) {
  SameAppointment same(shown);
  const QByteArray day = Ascii(shown.id.left(8));
  store::ScanItems(files, kFile, files.ReadCount(kFile), [&](int k, const char* group) {
    if (OnDay(store::FieldBytes(kFile, group, kAppointmentId), day)) {
      same.Consider(k, DecodeAppointment(group));
    }
  });
  return same.found();
}

Appointment ReadAppointment(const store::DataFiles& files, int k) {
  return DecodeAppointment(
      files.ReadRecords(kFile, Record(k, kAppointmentId), kAppointmentFieldCount).constData());
}

int FindAppointment(const store::DataFiles& files, const QString& id) {
  const bool ascii =
      std::all_of(id.begin(), id.end(), [](QChar c) { return c.unicode() < 0x80; });
  const QByteArray bytes = Ascii(id);
  int found = -1;
  store::ScanItems(files, kFile, files.ReadCount(kFile), [&](int k, const char* group) {
    if (ascii ? store::FieldBytes(kFile, group, kAppointmentId) == bytes
              : store::FieldText(kFile, group, kAppointmentId) == id) {
      found = k;
    }
  });
  return found;
}

int CountAppointmentsOn(const store::DataFiles& files, const QDate& date) {
  const QByteArray key = Ascii(DayKey(date));
  int n = 0;
  store::ScanItems(files, kFile, files.ReadCount(kFile), [&](int, const char* group) {
    if (OnDay(store::FieldBytes(kFile, group, kAppointmentId), key)) ++n;
  });
  return n;
}

QString NextAppointmentId(const store::DataFiles& files, const QDate& date) {
  return DayKey(date) + QLatin1Char('-') + QString::number(CountAppointmentsOn(files, date) + 1);
}

bool HasAppointmentOn(const store::DataFiles& files, const QDate& date) {
  return CountAppointmentsOn(files, date) > 0;
}

MonthMarks ComputeMonthMarks(const store::DataFiles& files, int year, int month,
                             const QDate& today) {
  MonthMarks marks;
  const QDate first(year, month, 1);
  const int days = first.isValid() ? first.daysInMonth() : 0;
  // The month's eight-character day keys share their first six characters
  // (year and month); the last two are the day.
  const QByteArray prefix = first.isValid() ? Ascii(DayKey(first)).chopped(2) : QByteArray();
  const bool month_keys = prefix.size() == 6;
  const QByteArray today_key = today.isValid() ? Ascii(DayKey(today)) : QByteArray();

  store::ScanItems(files, kFile, files.ReadCount(kFile), [&](int, const char* group) {
    const QByteArrayView id = store::FieldBytes(kFile, group, kAppointmentId);
    if (id.size() < 8) return;
    if (OnDay(id, today_key)) marks.today = true;
    if (!month_keys || id.first(6) != prefix) return;
    const int day = TwoDigits(id.sliced(6, 2));
    if (day >= 1 && day <= days) marks.appointment_days.insert(day);
  });
  if (!first.isValid()) return marks;

  // Birthday keys: two digits of the day, "/", two of the month.
  const QByteArray month_part = Ascii(BirthdayKey(first)).mid(2);
  store::ScanItems(files, kBook, files.ReadCount(kBook), [&](int, const char* group) {
    const QByteArrayView born = store::FieldBytes(kBook, group, kFieldBirthdayDate);
    if (born.size() < 5 || born.sliced(2, 3) != month_part) return;
    const int day = TwoDigits(born);
    if (day < 1 || day > days) return;
    if (LeadingNumber(store::FieldText(kBook, group, kFieldBirthdayFlag)) == 1) marks.birthday_days.insert(day);
  });
  return marks;
}

DayAppointments ReadDayAppointments(const store::DataFiles& files, const QDate& date) {
  DayAppointments day;
  const QByteArray key = Ascii(DayKey(date));
  const QByteArray first_id = key + "-1";
  store::ScanItems(files, kFile, files.ReadCount(kFile), [&](int, const char* group) {
    const QByteArrayView id = store::FieldBytes(kFile, group, kAppointmentId);
    if (!OnDay(id, key)) return;
    if (id == first_id) day.first = DecodeAppointment(group);
    day.subjects.append(store::TrimSpaces(store::FieldText(kFile, group, 2)));
    day.starts.append(store::TrimSpaces(store::FieldText(kFile, group, 3)));
    day.ends.append(store::TrimSpaces(store::FieldText(kFile, group, 4)));
  });
  return day;
}

QStringList BirthdaysOn(const store::DataFiles& files, const QDate& date) {
  QStringList lines;
  const QByteArray key = Ascii(BirthdayKey(date));
  store::ScanItems(files, kBook, files.ReadCount(kBook), [&](int, const char* group) {
    const QByteArrayView born = store::FieldBytes(kBook, group, kFieldBirthdayDate);
    if (born.size() < 5 || born.first(5) != key) return;
    if (LeadingNumber(store::FieldText(kBook, group, kFieldBirthdayFlag)) != 1) return;
    const QString name = store::FieldText(kBook, group, kFieldKey);
    const QString year = store::FieldText(kBook, group, kFieldBirthdayDate).right(4);
    const int age = date.year() - static_cast<int>(LeadingNumber(year));
    lines.append(CalendarTexts::tr("Birthday - ") + name + QStringLiteral(" ( ") +
                 QString::number(age) + QStringLiteral(" ) "));
  });
  return lines;
}

}  // namespace quorvel
