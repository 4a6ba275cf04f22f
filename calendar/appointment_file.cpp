#include "calendar/appointment_file.h"

namespace quorvel {

using store::Channel;

QString DayKey(const QDate& date) {
  return QStringLiteral("%1%2%3")
      .arg(date.year(), 4, 10, QLatin1Char('0'))
      .arg(date.month(), 2, 10, QLatin1Char('0'))
      .arg(date.day(), 2, 10, QLatin1Char('0'));
}

bool HasAppointmentOn(const store::DataFiles& files, const QDate& date) {
  const QString key = DayKey(date);
  const int count = files.ReadCount(Channel::kAppoint);
  for (int k = 0; k < count; ++k) {
    if (files.ReadText(Channel::kAppoint, store::FieldRecord(Channel::kAppoint, k, 1))
            .left(8) == key) {
      return true;
    }
  }
  return false;
}

}  // namespace quorvel
