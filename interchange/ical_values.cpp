// Small iCalendar helpers that events are read and written with (see ical_values.h).
#include "interchange/ical_values.h"

#include <QCryptographicHash>
#include <QUrl>

namespace quorvel::interchange::ical {

void InitLibical() {
  static const bool done = [] {
    icalerror_set_errors_are_fatal(0);
    return true;
  }();
  (void)done;
}

QString FromUtf8(const char* text) { return text ? QString::fromUtf8(text) : QString(); }

std::optional<int> MinuteOfDay(const QString& text, bool end) {
  if (text.size() != 5 || text[2] != QLatin1Char(':')) return std::nullopt;
  for (int i : {0, 1, 3, 4}) {
    if (!text[i].isDigit() || text[i].unicode() > '9') return std::nullopt;
  }
  const int hour = text.left(2).toInt();
  const int minute = text.mid(3).toInt();
  if (minute > 59) return std::nullopt;
  if (hour < 24 || (end && hour == 24 && minute == 0)) return hour * 60 + minute;
  return std::nullopt;
}

QString TimeText(int minute_of_day) {
  return QStringLiteral("%1:%2")
      .arg(minute_of_day / 60, 2, 10, QLatin1Char('0'))
      .arg(minute_of_day % 60, 2, 10, QLatin1Char('0'));
}

QDate DateOfId(const QString& id) {
  if (id.size() < 8) return QDate();
  for (int i = 0; i < 8; ++i) {
    if (!id[i].isDigit() || id[i].unicode() > '9') return QDate();
  }
  return QDate(id.left(4).toInt(), id.mid(4, 2).toInt(), id.mid(6, 2).toInt());
}

icaltimetype DateValue(const QDate& date) {
  icaltimetype t = icaltime_null_date();
  t.year = date.year();
  t.month = date.month();
  t.day = date.day();
  return t;
}

icaltimetype FloatingValue(const QDate& date, int minute_of_day) {
  const QDate day = date.addDays(minute_of_day / (24 * 60));
  icaltimetype t = icaltime_null_time();
  t.year = day.year();
  t.month = day.month();
  t.day = day.day();
  t.hour = (minute_of_day % (24 * 60)) / 60;
  t.minute = minute_of_day % 60;
  return t;
}

icaltimetype StampValue(const QDateTime& stamp) {
  return icaltime_from_timet_with_zone(static_cast<time_t>(stamp.toSecsSinceEpoch()), 0,
                                       icaltimezone_get_utc_timezone());
}

void AddX(icalcomponent* event, const char* name, const QString& value) {
  icalproperty* p = icalproperty_new_x(QUrl::toPercentEncoding(value).constData());
  icalproperty_set_x_name(p, name);
  icalcomponent_add_property(event, p);
}

icalproperty* FindX(icalcomponent* component, const char* name) {
  for (icalproperty* p = icalcomponent_get_first_property(component, ICAL_X_PROPERTY); p;
       p = icalcomponent_get_next_property(component, ICAL_X_PROPERTY)) {
    const char* n = icalproperty_get_x_name(p);
    if (n && qstricmp(n, name) == 0) return p;
  }
  return nullptr;
}

QString Hex(const QString& text, int length) {
  return QString::fromLatin1(
      QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha1).toHex().left(length));
}

QByteArray Serialise(icalcomponent* calendar) {
  char* text = icalcomponent_as_ical_string_r(calendar);
  QByteArray bytes(text);
  icalmemory_free_buffer(text);
  return bytes;
}

}  // namespace quorvel::interchange::ical
