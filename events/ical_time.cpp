#include "events/ical_time.h"

namespace quorvel::events {

icaltimezone* ZoneInCalendar(icalcomponent* calendar, const QTimeZone& zone) {
  if (!zone.isValid() || zone == QTimeZone::utc() || zone.id() == "UTC" || zone.id() == "Etc/UTC") {
    return nullptr;
  }
  // Under the Olson name itself (libical's own zones carry a prefix other
  // programs may not know), with every rule of the zone.
  const QByteArray olson = zone.id();
  if (icaltimezone* there = icalcomponent_get_timezone(calendar, olson.constData())) return there;
  icaltimezone* builtin = icaltimezone_get_builtin_timezone(olson.constData());
  if (!builtin) return nullptr;
  icalcomponent* vtimezone = icaltimezone_get_component(builtin);
  if (!vtimezone) return nullptr;
  icalcomponent* copy = icalcomponent_new_clone(vtimezone);
  if (icalproperty* tzid = icalcomponent_get_first_property(copy, ICAL_TZID_PROPERTY)) {
    icalproperty_set_tzid(tzid, olson.constData());
  }
  icalcomponent_add_component(calendar, copy);
  return icalcomponent_get_timezone(calendar, olson.constData());
}

icaltimetype TimeIn(const QDateTime& when, icaltimezone* zone, bool utc) {
  if (zone || utc) {
    return icaltime_from_timet_with_zone(static_cast<time_t>(when.toSecsSinceEpoch()), 0,
                                         zone ? zone : icaltimezone_get_utc_timezone());
  }
  icaltimetype t = icaltime_null_time();
  t.year = when.date().year();
  t.month = when.date().month();
  t.day = when.date().day();
  t.hour = when.time().hour();
  t.minute = when.time().minute();
  t.second = when.time().second();
  return t;
}

icaltimezone* ZoneOf(icalproperty* property, icalcomponent* calendar) {
  icalparameter* tzid = icalproperty_get_first_parameter(property, ICAL_TZID_PARAMETER);
  const char* name = tzid ? icalparameter_get_tzid(tzid) : nullptr;
  if (!name) return nullptr;
  if (icaltimezone* zone = icalcomponent_get_timezone(calendar, name)) return zone;
  return icaltimezone_get_builtin_timezone(name);
}

icaltimetype WithZone(icaltimetype t, icalproperty* property, icalcomponent* calendar) {
  if (!t.is_date && !icaltime_is_utc(t) && !t.zone) t.zone = ZoneOf(property, calendar);
  return t;
}

QString InstanceOf(const icaltimetype& t) {
  if (t.is_date) return QString::asprintf("%04d%02d%02d", t.year, t.month, t.day);
  if (icaltime_is_utc(t) || t.zone) {
    const qint64 seconds =
        qint64(icaltime_as_timet_with_zone(t, t.zone ? t.zone : icaltimezone_get_utc_timezone()));
    return QDateTime::fromSecsSinceEpoch(seconds, QTimeZone::utc())
        .toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
  }
  return QString::asprintf("%04d%02d%02dT%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute,
                           t.second);
}

}  // namespace quorvel::events
