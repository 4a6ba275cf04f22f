#include "calendar/appointment_file.h"

#include <algorithm>

#include <QByteArrayView>

#include "sync/sync_state.h"

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
constexpr int kIdField = 1;
constexpr int kReminderField = 5;
constexpr int kFieldsPerAppointment = 7;

int Record(int k, int field) { return FieldRecord(kFile, k, field); }

void WriteFields(store::Operation& op, int k, const Appointment& a) {
  op.WriteText(kFile, Record(k, 2), a.subject);
  op.WriteText(kFile, Record(k, 3), a.start);
  op.WriteText(kFile, Record(k, 4), a.end);
  op.WriteInteger(kFile, Record(k, 5), a.reminder ? -1 : 0);
  op.WriteText(kFile, Record(k, 6), a.minutes);
  op.WriteText(kFile, Record(k, 7), a.description);
}

// The ordinal after the hyphen: the number the text from the tenth
// character on starts with.
int Ordinal(const QString& id) { return static_cast<int>(LeadingNumber(id.mid(9))); }

}  // namespace

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
  if (appointment.description.size() > kDescriptionLimit) {
    return store::Outcome::Refused(QString::fromLatin1(kDescriptionTooLong));
  }
  store::Operation op(files);
  AppendAppointment(op, appointment);
  return op.Commit();
}

void AppendAppointment(store::Operation& op, const Appointment& appointment) {
  const int count = op.ReadCount(kFile);
  if (count >= store::Info(kFile).max_items) {
    op.Refuse(QString::fromLatin1(kAppointmentFileFull));
    return;
  }
  op.WriteText(kFile, Record(count, kIdField), appointment.id);
  WriteFields(op, count, appointment);
  op.WriteCount(kFile, count + 1);
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
  bool found = false;
  for (int k = 0; k < count; ++k) {
    if (op.ReadText(kFile, Record(k, kIdField)) == appointment.id) {
      WriteFields(op, k, appointment);
      found = true;
    }
  }
  if (!found) return store::Outcome::Refused(QString::fromLatin1(kAppointmentNotStored));
  return op.Commit();
}

store::Outcome DeleteAppointment(store::DataFiles& files, const QString& id) {
  store::Operation op(files);
  const int count = op.ReadCount(kFile);
  int position = -1;
  for (int k = 0; k < count; ++k) {
    if (op.ReadText(kFile, Record(k, kIdField)) == id) position = k;
  }
  if (position < 0) return store::Outcome::Refused(QString::fromLatin1(kAppointmentNotStored));
  RemoveAppointment(op, position);
  sync::NoteAppointmentRemoved(op, position);
  return op.Commit();
}

void RemoveAppointment(store::Operation& op, int position) {
  const int count = op.ReadCount(kFile);
  if (position < 0 || position >= count) return;
  const QString id = op.ReadText(kFile, Record(position, kIdField));
  // Close the gap: every later group moves down one place.
  for (int j = position; j <= count - 2; ++j) {
    QString texts[kFieldsPerAppointment + 1];
    std::int16_t reminder = 0;
    for (int field = 1; field <= kFieldsPerAppointment; ++field) {
      if (field == kReminderField) {
        reminder = op.ReadInteger(kFile, Record(j + 1, field));
      } else {
        texts[field] = op.ReadText(kFile, Record(j + 1, field));
      }
    }
    for (int field = 1; field <= kFieldsPerAppointment; ++field) {
      if (field == kReminderField) {
        op.WriteInteger(kFile, Record(j, field), reminder);
      } else {
        op.WriteText(kFile, Record(j, field), texts[field]);
      }
    }
  }
  // The old last group becomes empty texts (the reminder reads back as 0).
  for (int field = 1; field <= kFieldsPerAppointment; ++field) {
    op.WriteText(kFile, Record(count - 1, field), QString());
  }
  op.WriteCount(kFile, count - 1);

  // Later ordinals of the same date move down by one, compared as numbers.
  const QString day = id.left(8);
  const int deleted = Ordinal(id);
  for (int k = 0; k <= count - 2; ++k) {
    const QString other = op.ReadText(kFile, Record(k, kIdField));
    if (other.left(8) != day) continue;
    const int ordinal = Ordinal(other);
    if (ordinal > deleted) {
      op.WriteText(kFile, Record(k, kIdField), other.left(9) + QString::number(ordinal - 1));
    }
  }
}

QString NextAppointmentId(const store::Operation& op, const QDate& date) {
  const QString key = DayKey(date);
  const int count = op.ReadCount(kFile);
  int n = 0;
  for (int k = 0; k < count; ++k) {
    if (op.ReadText(kFile, Record(k, kIdField)).left(8) == key) ++n;
  }
  return key + QLatin1Char('-') + QString::number(n + 1);
}

Appointment ReadAppointment(const store::DataFiles& files, int k) {
  Appointment a;
  a.id = files.ReadText(kFile, Record(k, 1));
  a.subject = files.ReadText(kFile, Record(k, 2));
  a.start = files.ReadText(kFile, Record(k, 3));
  a.end = files.ReadText(kFile, Record(k, 4));
  a.reminder = files.ReadInteger(kFile, Record(k, 5)) == -1;
  a.minutes = files.ReadText(kFile, Record(k, 6));
  a.description = files.ReadText(kFile, Record(k, 7));
  return a;
}

namespace {

// The bytes of a stored text, not decoded. Day keys, ordinals and birthday
// keys are ASCII, which the code page stores as the same bytes, so they are
// compared as bytes and only what matches is decoded.
QByteArrayView TextBytes(const QByteArray& record) {
  if (record.size() < 2) return {};
  const int stored = static_cast<unsigned char>(record[0]) |
                     static_cast<unsigned char>(record[1]) << 8;
  return QByteArrayView(record.constData() + 2, std::min<qsizetype>(stored, record.size() - 2));
}

bool StartsWith(QByteArrayView text, QByteArrayView prefix) {
  return text.size() >= prefix.size() && text.first(prefix.size()) == prefix;
}

QByteArray Ascii(const QString& text) { return text.toLatin1(); }

// Whether an ID's first eight characters equal the day key `key`.
bool OnDay(QByteArrayView id, const QByteArray& key) {
  return key.size() == 8 && StartsWith(id, key);
}

}  // namespace

int FindAppointment(const store::DataFiles& files, const QString& id) {
  const int count = files.ReadCount(kFile);
  int found = -1;
  const bool ascii = std::all_of(id.begin(), id.end(), [](QChar c) { return c.unicode() < 0x80; });
  const QByteArray bytes = Ascii(id);
  for (int k = 0; k < count; ++k) {
    const QByteArray record = files.ReadRecord(kFile, Record(k, kIdField));
    if (ascii ? TextBytes(record) == bytes : store::DecodeTextRecord(record) == id) found = k;
  }
  return found;
}

int CountAppointmentsOn(const store::DataFiles& files, const QDate& date) {
  const QByteArray key = Ascii(DayKey(date));
  const int count = files.ReadCount(kFile);
  int n = 0;
  for (int k = 0; k < count; ++k) {
    if (OnDay(TextBytes(files.ReadRecord(kFile, Record(k, kIdField))), key)) ++n;
  }
  return n;
}

QString NextAppointmentId(const store::DataFiles& files, const QDate& date) {
  return DayKey(date) + QLatin1Char('-') + QString::number(CountAppointmentsOn(files, date) + 1);
}

bool HasAppointmentOn(const store::DataFiles& files, const QDate& date) {
  const QByteArray key = Ascii(DayKey(date));
  const int count = files.ReadCount(kFile);
  for (int k = 0; k < count; ++k) {
    if (OnDay(TextBytes(files.ReadRecord(kFile, Record(k, kIdField))), key)) return true;
  }
  return false;
}

MonthMarks ComputeMonthMarks(const store::DataFiles& files, int year, int month,
                             const QDate& today) {
  MonthMarks marks;
  const QDate first(year, month, 1);
  // An ID's first eight characters are compared with eight-character day
  // keys: the month's (year, month) prefix, then two digits of the day.
  const QByteArray prefix = first.isValid() ? Ascii(DayKey(first)).chopped(2) : QByteArray();
  const bool month_keys = prefix.size() == 6;
  const QByteArray today_key = today.isValid() ? Ascii(DayKey(today)) : QByteArray();

  const int count = files.ReadCount(kFile);
  for (int k = 0; k < count; ++k) {
    const QByteArray record = files.ReadRecord(kFile, Record(k, kIdField));
    const QByteArrayView id = TextBytes(record);
    if (id.size() < 8) continue;
    if (OnDay(id, today_key)) marks.today = true;
    if (!month_keys || id.first(6) != prefix) continue;
    const char tens = id[6];
    const char ones = id[7];
    if (tens < '0' || tens > '9' || ones < '0' || ones > '9') continue;
    const int day = (tens - '0') * 10 + (ones - '0');
    if (day >= 1 && day <= first.daysInMonth()) marks.appointment_days.insert(day);
  }
  if (!first.isValid()) return marks;

  // Birthday keys: two digits of the day, "/", two of the month.
  const QByteArray month_part = Ascii(BirthdayKey(first)).mid(2);
  const Channel book = Channel::kAddBook;
  const int entries = files.ReadCount(book);
  for (int g = 0; g < entries; ++g) {
    const QByteArray record = files.ReadRecord(book, FieldRecord(book, g, 11));
    const QByteArrayView born = TextBytes(record);
    if (born.size() < 5 || born.sliced(2, 3) != month_part) continue;
    const char tens = born[0];
    const char ones = born[1];
    if (tens < '0' || tens > '9' || ones < '0' || ones > '9') continue;
    const int day = (tens - '0') * 10 + (ones - '0');
    if (day < 1 || day > first.daysInMonth()) continue;
    if (LeadingNumber(files.ReadText(book, FieldRecord(book, g, 12))) == 1) {
      marks.birthday_days.insert(day);
    }
  }
  return marks;
}

DayAppointments ReadDayAppointments(const store::DataFiles& files, const QDate& date) {
  DayAppointments day;
  const QByteArray key = Ascii(DayKey(date));
  const QByteArray first_id = key + "-1";
  const int count = files.ReadCount(kFile);
  int first = -1;
  for (int k = 0; k < count; ++k) {
    const QByteArray record = files.ReadRecord(kFile, Record(k, kIdField));
    const QByteArrayView id = TextBytes(record);
    if (!OnDay(id, key)) continue;
    if (id == first_id) first = k;
    day.subjects.append(store::TrimSpaces(files.ReadText(kFile, Record(k, 2))));
    day.starts.append(store::TrimSpaces(files.ReadText(kFile, Record(k, 3))));
    day.ends.append(store::TrimSpaces(files.ReadText(kFile, Record(k, 4))));
  }
  if (first >= 0) day.first = ReadAppointment(files, first);
  return day;
}

QStringList BirthdaysOn(const store::DataFiles& files, const QDate& date) {
  QStringList lines;
  const QString key = BirthdayKey(date);
  const Channel book = Channel::kAddBook;
  const int entries = files.ReadCount(book);
  for (int g = 0; g < entries; ++g) {
    const QString born = files.ReadText(book, FieldRecord(book, g, 11));
    if (born.left(5) != key) continue;
    if (LeadingNumber(files.ReadText(book, FieldRecord(book, g, 12))) != 1) continue;
    const QString name = files.ReadText(book, FieldRecord(book, g, 1));
    const int age = date.year() - static_cast<int>(LeadingNumber(born.right(4)));
    lines.append(QStringLiteral("Birthday - ") + name + QStringLiteral(" ( ") +
                 QString::number(age) + QStringLiteral(" ) "));
  }
  return lines;
}

}  // namespace quorvel
