#include "events/repeat.h"

#include <libical/ical.h>

#include <cstdlib>
#include <memory>

#include <QUuid>

#include "events/ical_time.h"

namespace quorvel::events {
namespace {

constexpr const char* kDays[] = {"MO", "TU", "WE", "TH", "FR", "SA", "SU"};

// Which n-th weekday of its month `day` is: 1 … 4, or -1 for a fifth.
int WeekdayPosition(QDate day) {
  const int n = (day.day() - 1) / 7 + 1;
  return n == 5 ? -1 : n;
}

bool Empty(const short* list) { return list[0] == ICAL_RECURRENCE_ARRAY_MAX; }

int Length(const short* list, int size) {
  int n = 0;
  while (n < size && list[n] != ICAL_RECURRENCE_ARRAY_MAX) ++n;
  return n;
}

int QtDay(short code) {  // libical counts from Sunday
  const int day = icalrecurrencetype_day_day_of_week(code);
  return day == 1 ? 7 : day - 1;
}

}  // namespace

QByteArray RuleFor(const Repeat& repeat, const QDateTime& start, bool all_day) {
  const QDate day = start.date();
  QByteArray rule;
  switch (repeat.kind) {
    case Repeat::Kind::kNever:
      return QByteArray();
    case Repeat::Kind::kOther:
      return repeat.rule;
    case Repeat::Kind::kDaily:
      rule = "FREQ=DAILY";
      break;
    case Repeat::Kind::kWeekly: {
      rule = "FREQ=WEEKLY";
      if (repeat.interval > 1) rule += ";INTERVAL=" + QByteArray::number(repeat.interval);
      QByteArrayList days;
      for (int d = 1; d <= 7; ++d) {
        if (repeat.weekdays & (1u << (d - 1))) days << kDays[d - 1];
      }
      if (days.isEmpty()) days << kDays[day.dayOfWeek() - 1];
      rule += ";BYDAY=" + days.join(',');
      break;
    }
    case Repeat::Kind::kMonthlyByDate:
      rule = "FREQ=MONTHLY;BYMONTHDAY=" + QByteArray::number(day.day());
      break;
    case Repeat::Kind::kMonthlyByWeekday:
      rule = "FREQ=MONTHLY;BYDAY=" + QByteArray::number(WeekdayPosition(day)) +
             kDays[day.dayOfWeek() - 1];
      break;
    case Repeat::Kind::kYearly:
      rule = "FREQ=YEARLY";
      break;
  }
  if (repeat.end == Repeat::End::kCount && repeat.count > 0) {
    rule += ";COUNT=" + QByteArray::number(repeat.count);
  } else if (repeat.end == Repeat::End::kUntil && repeat.until.isValid()) {
    // A date for dates; otherwise the last moment of that day where the
    // event is, in UTC as a rule's end must be.
    rule += ";UNTIL=";
    rule += all_day ? repeat.until.toString(QStringLiteral("yyyyMMdd")).toLatin1()
                    : QDateTime(repeat.until, QTime(23, 59, 59), start.timeZone())
                          .toUTC()
                          .toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"))
                          .toLatin1();
  }
  return rule;
}

Repeat RepeatOf(const QByteArray& text, const QDateTime& start) {
  Repeat other;
  other.kind = Repeat::Kind::kOther;
  other.rule = text;
  if (text.trimmed().isEmpty()) return Repeat{};
  icalerror_set_errors_are_fatal(0);
  const icalrecurrencetype rule = icalrecurrencetype_from_string(text.constData());
  icalerror_clear_errno();
  const QDate day = start.date();
  // Anything beyond what the controls say stays a rule of its own.
  if (!Empty(rule.by_second) || !Empty(rule.by_minute) || !Empty(rule.by_hour) ||
      !Empty(rule.by_year_day) || !Empty(rule.by_week_no) || !Empty(rule.by_set_pos) ||
      rule.week_start != ICAL_MONDAY_WEEKDAY) {
    return other;
  }
  Repeat r;
  const int days = Length(rule.by_day, ICAL_BY_DAY_SIZE);
  const int month_days = Length(rule.by_month_day, ICAL_BY_MONTHDAY_SIZE);
  const int months = Length(rule.by_month, ICAL_BY_MONTH_SIZE);
  switch (rule.freq) {
    case ICAL_DAILY_RECURRENCE:
      if (rule.interval != 1 || days || month_days || months) return other;
      r.kind = Repeat::Kind::kDaily;
      break;
    case ICAL_WEEKLY_RECURRENCE:
      if (month_days || months) return other;
      r.kind = Repeat::Kind::kWeekly;
      r.interval = rule.interval;
      for (int i = 0; i < days; ++i) {
        if (icalrecurrencetype_day_position(rule.by_day[i]) != 0) return other;
        r.weekdays |= 1u << (QtDay(rule.by_day[i]) - 1);
      }
      if (!days) r.weekdays = 1u << (day.dayOfWeek() - 1);
      break;
    case ICAL_MONTHLY_RECURRENCE:
      if (rule.interval != 1 || months) return other;
      if (!days && (!month_days || (month_days == 1 && rule.by_month_day[0] == day.day()))) {
        r.kind = Repeat::Kind::kMonthlyByDate;
      } else if (days == 1 && !month_days && QtDay(rule.by_day[0]) == day.dayOfWeek() &&
                 icalrecurrencetype_day_position(rule.by_day[0]) == WeekdayPosition(day)) {
        r.kind = Repeat::Kind::kMonthlyByWeekday;
      } else {
        return other;
      }
      break;
    case ICAL_YEARLY_RECURRENCE:
      if (rule.interval != 1 || days ||
          (months && !(months == 1 && rule.by_month[0] == day.month())) ||
          (month_days && !(month_days == 1 && rule.by_month_day[0] == day.day()))) {
        return other;
      }
      r.kind = Repeat::Kind::kYearly;
      break;
    default:
      return other;
  }
  if (rule.count > 0) {
    r.end = Repeat::End::kCount;
    r.count = rule.count;
  } else if (!icaltime_is_null_time(rule.until)) {
    r.end = Repeat::End::kUntil;
    const icaltimetype u = rule.until;
    r.until = u.is_date
                  ? QDate(u.year, u.month, u.day)
                  : QDateTime(QDate(u.year, u.month, u.day), QTime(u.hour, u.minute, u.second),
                              icaltime_is_utc(u) ? QTimeZone::utc() : start.timeZone())
                        .toTimeZone(start.timeZone())
                        .date();
  }
  return r;
}

QByteArray NewEventText(const NewEvent& event, const QDateTime& stamp) {
  icalerror_set_errors_are_fatal(0);
  icalcomponent* calendar = icalcomponent_new_vcalendar();
  icalcomponent_add_property(calendar, icalproperty_new_version("2.0"));
  icalcomponent_add_property(calendar, icalproperty_new_prodid("-//Quorvel//Quorvel//EN"));
  icalcomponent* e = icalcomponent_new_vevent();
  const QString uid =
      QUuid::createUuid().toString(QUuid::WithoutBraces) + QStringLiteral("@quorvel");
  icalcomponent_add_property(e, icalproperty_new_uid(uid.toUtf8().constData()));
  icalcomponent_add_property(e, icalproperty_new_dtstamp(TimeIn(stamp, nullptr, true)));
  icalcomponent_add_property(e, icalproperty_new_created(TimeIn(stamp, nullptr, true)));
  for (auto [kind, when] :
       {std::pair{ICAL_DTSTART_PROPERTY, event.start}, std::pair{ICAL_DTEND_PROPERTY, event.end}}) {
    icalproperty* p = icalproperty_new(kind);
    if (event.all_day) {
      icaltimetype t = icaltime_null_date();
      t.year = when.date().year();
      t.month = when.date().month();
      t.day = when.date().day();
      icalproperty_set_value(p, icalvalue_new_date(t));
    } else {
      icaltimezone* zone = ZoneInCalendar(calendar, when.timeZone());
      icaltimetype t = TimeIn(when, zone, zone == nullptr);
      if (zone) {
        t.zone = nullptr;
        icalproperty_add_parameter(p, icalparameter_new_tzid(icaltimezone_get_tzid(zone)));
      }
      icalproperty_set_value(p, icalvalue_new_datetime(t));
    }
    icalcomponent_add_property(e, p);
  }
  const QByteArray rule = RuleFor(event.repeat, event.start, event.all_day);
  if (!rule.isEmpty()) {
    icalcomponent_add_property(
        e, icalproperty_new_rrule(icalrecurrencetype_from_string(rule.constData())));
  }
  icalcomponent_add_property(e, icalproperty_new_summary(event.summary.toUtf8().constData()));
  if (!event.description.isEmpty()) {
    icalcomponent_add_property(
        e, icalproperty_new_description(event.description.toUtf8().constData()));
  }
  if (event.alarm_minutes >= 0) {
    icalcomponent* alarm = icalcomponent_new_valarm();
    icalcomponent_add_property(alarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
    icalcomponent_add_property(alarm,
                               icalproperty_new_description(event.summary.toUtf8().constData()));
    icaltriggertype trigger{};
    trigger.time = icaltime_null_time();
    trigger.duration = icaldurationtype_from_int(-event.alarm_minutes * 60);
    icalcomponent_add_property(alarm, icalproperty_new_trigger(trigger));
    icalcomponent_add_component(e, alarm);
  }
  icalcomponent_add_component(calendar, e);
  char* text = icalcomponent_as_ical_string_r(calendar);
  QByteArray out(text);
  std::free(text);
  icalcomponent_free(calendar);
  return out;
}

}  // namespace quorvel::events
