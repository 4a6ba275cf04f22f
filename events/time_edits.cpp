#include "events/time_edits.h"

#include <algorithm>
#include <cstdlib>

#include "events/ical_time.h"

namespace quorvel::events {

icaltimetype ValueOf(icalproperty* p) { return icalvalue_get_datetime(icalproperty_get_value(p)); }

void SetValue(icalproperty* p, icaltimetype t) {
  t.zone = icaltime_is_utc(t) ? icaltimezone_get_utc_timezone() : nullptr;
  icalproperty_set_value(p, t.is_date ? icalvalue_new_date(t) : icalvalue_new_datetime(t));
}

icaltimetype InFormOf(icalproperty* model, icalcomponent* calendar, const QDateTime& when) {
  const icaltimetype m = ValueOf(model);
  if (m.is_date) {
    icaltimetype t = icaltime_null_date();
    t.year = when.date().year();
    t.month = when.date().month();
    t.day = when.date().day();
    return t;
  }
  if (icaltime_is_utc(m)) return TimeIn(when, nullptr, true);
  icaltimetype t = TimeIn(when, ZoneOf(model, calendar), false);
  t.zone = nullptr;
  return t;
}

std::optional<icaltimetype> InstanceTime(const QString& instance, icalproperty* model,
                                         icalcomponent* calendar) {
  icaltimetype t = icaltime_from_string(instance.toLatin1().constData());
  if (icaltime_is_null_time(t) || !icaltime_is_valid_time(t)) return std::nullopt;
  const icaltimetype m = ValueOf(model);
  if (m.is_date) {
    t.is_date = 1;
    t.hour = t.minute = t.second = 0;
    t.zone = nullptr;
    return t;
  }
  if (t.is_date) {
    t.is_date = 0;
    t.hour = m.hour;
    t.minute = m.minute;
    t.second = m.second;
    t.zone = icaltime_is_utc(m) ? icaltimezone_get_utc_timezone() : nullptr;
    return t;
  }
  if (icaltime_is_utc(t) && !icaltime_is_utc(m)) {
    if (icaltimezone* zone = ZoneOf(model, calendar)) t = icaltime_convert_to_zone(t, zone);
    t.zone = nullptr;
  }
  return t;
}

icalproperty* TimeLike(icalproperty_kind kind, icalproperty* model, icaltimetype t) {
  icalproperty* p = icalproperty_new(kind);
  SetValue(p, t);
  if (!t.is_date && !icaltime_is_utc(t)) {
    if (icalparameter* tzid = icalproperty_get_first_parameter(model, ICAL_TZID_PARAMETER)) {
      icalproperty_add_parameter(p, icalparameter_new_clone(tzid));
    }
  }
  return p;
}

icaltimetype Shifted(icaltimetype t, int days, qint64 seconds) {
  if (t.is_date) {
    icaltime_adjust(&t, days, 0, 0, 0);
  } else {
    icaltime_adjust(&t, 0, 0, 0, int(seconds));
  }
  return t;
}

void ShiftAll(icalcomponent* e, icalproperty_kind kind, int days, qint64 seconds) {
  for (icalproperty* p = icalcomponent_get_first_property(e, kind); p;
       p = icalcomponent_get_next_property(e, kind)) {
    if (kind == ICAL_RDATE_PROPERTY && icaltime_is_null_time(icalproperty_get_rdate(p).time))
      continue;
    SetValue(p, Shifted(ValueOf(p), days, seconds));
  }
}

namespace {

short Weekday(QDate day) { return short(day.dayOfWeek() % 7 + 1); }  // libical: Sunday is 1
short DayCode(int position, short weekday) {
  return short((std::abs(position) * 8 + weekday) * (position < 0 ? -1 : 1));
}

}  // namespace

void ShiftRule(icalproperty* p, int days, qint64 seconds, QDate from, QDate to) {
  icalrecurrencetype rule = icalproperty_get_rrule(p);
  if (!icaltime_is_null_time(rule.until))
    rule.until = Shifted(rule.until, days, rule.until.is_date ? 0 : seconds);
  if (from != to) {
    const int weekdays = Weekday(to) - Weekday(from);
    for (int i = 0; i < ICAL_BY_DAY_SIZE && rule.by_day[i] != ICAL_RECURRENCE_ARRAY_MAX; ++i) {
      const int day = icalrecurrencetype_day_day_of_week(rule.by_day[i]);
      int position = icalrecurrencetype_day_position(rule.by_day[i]);
      if (rule.freq != ICAL_WEEKLY_RECURRENCE && day != Weekday(from)) continue;
      if (position > 0 && position == (from.day() - 1) / 7 + 1)
        position = std::min(4, (to.day() - 1) / 7 + 1);
      if (position < 0 && from.daysInMonth() - from.day() < 7)
        position = to.daysInMonth() - to.day() < 7 ? -1 : position;
      rule.by_day[i] = DayCode(position, short((day - 1 + weekdays + 14) % 7 + 1));
    }
    for (int i = 0; i < ICAL_BY_MONTHDAY_SIZE && rule.by_month_day[i] != ICAL_RECURRENCE_ARRAY_MAX;
         ++i) {
      if (rule.by_month_day[i] == from.day()) rule.by_month_day[i] = short(to.day());
    }
    for (int i = 0; i < ICAL_BY_MONTH_SIZE && rule.by_month[i] != ICAL_RECURRENCE_ARRAY_MAX; ++i) {
      if (rule.by_month[i] == from.month()) rule.by_month[i] = short(to.month());
    }
  }
  icalproperty_set_rrule(p, rule);
}

QDate DayOf(const icaltimetype& t) { return QDate(t.year, t.month, t.day); }

}  // namespace quorvel::events
