// Appoint.dat read without an operation, by scans over its bytes: an
// appointment found by its ID or as shown, a day's appointments, a month's
// marks and the day's birthdays from the address book.
#include <algorithm>

#include <QByteArrayView>
#include <QCoreApplication>

#include "items/address_file.h"
#include "items/appointment_file.h"
#include "items/same_appointment.h"
#include "store/scan.h"
#include "store/trim.h"

namespace quorvel {

namespace {

using store::Channel;

class CalendarTexts {
  Q_DECLARE_TR_FUNCTIONS(Calendar)
};

constexpr Channel kFile = Channel::kAppoint;
constexpr Channel kBook = Channel::kAddBook;

int Record(int k, int field) { return store::FieldRecord(kFile, k, field); }

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
  a.id = text(kAppointmentId);
  a.subject = text(kAppointmentSubject);
  a.start = text(kAppointmentStart);
  a.end = text(kAppointmentEnd);
  a.reminder = store::DecodeIntegerAt(group + (kAppointmentReminder - 1) * length, length) == -1;
  a.minutes = text(kAppointmentMinutes);
  a.description = text(kAppointmentDescription);
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
  const bool ascii = std::all_of(id.begin(), id.end(), [](QChar c) { return c.unicode() < 0x80; });
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
    if (LeadingNumber(store::FieldText(kBook, group, kFieldBirthdayFlag)) == 1)
      marks.birthday_days.insert(day);
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
    day.subjects.append(store::TrimSpaces(store::FieldText(kFile, group, kAppointmentSubject)));
    day.starts.append(store::TrimSpaces(store::FieldText(kFile, group, kAppointmentStart)));
    day.ends.append(store::TrimSpaces(store::FieldText(kFile, group, kAppointmentEnd)));
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
