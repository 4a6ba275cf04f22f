// Local edits carried into a kept iCalendar event, through libical.
#include <libical/ical.h>

#include <memory>

#include <QUrl>

#include "interchange/ical_values.h"
#include "interchange/ical_zone.h"
#include "interchange/patch.h"

namespace quorvel::interchange {
namespace {

using ical::Component;
using ical::DateOfId;
using ical::DateValue;
using ical::FindX;
using ical::kEndProperty;
using ical::kMinutesProperty;
using ical::kStartProperty;
using ical::MinuteOfDay;

QString Lf(QString text) { return text.replace(QLatin1String("\r\n"), QLatin1String("\n")); }

void SetX(icalcomponent* c, const char* name, const QString& value) {
  icalproperty* p = FindX(c, name);
  const QByteArray encoded = QUrl::toPercentEncoding(value);
  if (p) {
    icalproperty_set_x(p, encoded.constData());
    return;
  }
  p = icalproperty_new_x(encoded.constData());
  icalproperty_set_x_name(p, name);
  icalcomponent_add_property(c, p);
}

void RemoveX(icalcomponent* c, const char* name) {
  while (icalproperty* p = FindX(c, name)) {
    icalcomponent_remove_property(c, p);
    icalproperty_free(p);
  }
}

void RemoveAll(icalcomponent* c, icalproperty_kind kind) {
  while (icalproperty* p = icalcomponent_get_first_property(c, kind)) {
    icalcomponent_remove_property(c, p);
    icalproperty_free(p);
  }
}

// Sets text property `kind` (one of SUMMARY, DESCRIPTION, LOCATION) to
// `text`, keeping its parameters; an empty text removes it.
void SetText(icalcomponent* c, icalproperty_kind kind, const QString& text) {
  icalproperty* p = icalcomponent_get_first_property(c, kind);
  if (text.isEmpty()) {
    if (p) RemoveAll(c, kind);
    return;
  }
  const QByteArray utf8 = text.toUtf8();
  if (!p) {
    p = icalproperty_new(kind);
    icalcomponent_add_property(c, p);
  }
  icalproperty_set_value(p, icalvalue_new_text(utf8.constData()));
}

// Writes `when` into the date-time property `p` in the form it has now.
void SetInForm(icalproperty* p, icalcomponent* calendar, const QDateTime& when) {
  const icaltimetype old = icalvalue_get_datetime(icalproperty_get_value(p));
  icaltimetype t;
  if (icalproperty_get_first_parameter(p, ICAL_TZID_PARAMETER)) {
    icaltimezone* zone = ZoneOf(p, calendar);
    t = zone ? TimeIn(when, zone, false) : TimeIn(when, nullptr, false);
    t.zone = nullptr;  // the TZID parameter stays as it is
  } else if (icaltime_is_utc(old)) {
    t = TimeIn(when, nullptr, true);
  } else {
    t = TimeIn(when, nullptr, false);
  }
  icalproperty_set_value(p, icalvalue_new_datetime(t));
}

void SetDate(icalproperty* p, const QDate& date) {
  icalparameter* value = icalproperty_get_first_parameter(p, ICAL_VALUE_PARAMETER);
  if (!value) icalproperty_add_parameter(p, icalparameter_new_value(ICAL_VALUE_DATE));
  icalproperty_remove_parameter_by_kind(p, ICAL_TZID_PARAMETER);
  icalproperty_set_value(p, icalvalue_new_date(DateValue(date)));
}

// A new time property in this machine's zone (TZID and its VTIMEZONE).
void SetLocal(icalproperty* p, icalcomponent* calendar, const QDateTime& when,
              const QTimeZone& zone) {
  icalproperty_remove_parameter_by_kind(p, ICAL_VALUE_PARAMETER);
  icalproperty_remove_parameter_by_kind(p, ICAL_TZID_PARAMETER);
  icaltimezone* z = ZoneInCalendar(calendar, zone);
  icaltimetype t = TimeIn(when, z, zone == QTimeZone::utc() || zone.id() == "UTC");
  if (z) {
    icalproperty_add_parameter(p, icalparameter_new_tzid(icaltimezone_get_tzid(z)));
    t.zone = nullptr;
  }
  icalproperty_set_value(p, icalvalue_new_datetime(t));
}

bool IsDate(icalproperty* p) {
  return p && icalvalue_isa(icalproperty_get_value(p)) == ICAL_DATE_VALUE;
}

void PatchTimes(icalcomponent* calendar, icalcomponent* event, const Appointment& a,
                const QTimeZone& zone) {
  const QDate day = DateOfId(a.id);
  const auto from = MinuteOfDay(a.start, false);
  const auto to = MinuteOfDay(a.end, true);
  icalproperty* start = icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY);
  icalproperty* end = icalcomponent_get_first_property(event, ICAL_DTEND_PROPERTY);
  icalproperty* duration = icalcomponent_get_first_property(event, ICAL_DURATION_PROPERTY);
  if (!start) {
    start = icalproperty_new_dtstart(DateValue(day));
    icalcomponent_add_property(event, start);
  }
  const bool whole_day = !from || !to || (*from == 0 && *to == 24 * 60);
  if (whole_day) {
    // Times that are no clock times travel as this program's own note.
    if (!from || !to) {
      SetX(event, kStartProperty, a.start);
      SetX(event, kEndProperty, a.end);
    } else {
      RemoveX(event, kStartProperty);
      RemoveX(event, kEndProperty);
    }
    if (IsDate(start) || !from || !to) {
      SetDate(start, day);
      if (duration) {
        icalproperty_set_duration(duration, icaldurationtype_from_int(24 * 3600));
      } else {
        if (!end) {
          end = icalproperty_new_dtend(DateValue(day));
          icalcomponent_add_property(event, end);
        }
        SetDate(end, day.addDays(1));
      }
      return;
    }
  }
  RemoveX(event, kStartProperty);
  RemoveX(event, kEndProperty);
  const QDateTime begins(day, QTime(0, 0).addSecs(*from * 60), zone);
  const QDateTime ends = QDateTime(day, QTime(0, 0), zone).addSecs(qint64(*to) * 60);
  if (IsDate(start)) {
    // Was a whole day, now has times: written in this machine's zone.
    SetLocal(start, calendar, begins, zone);
    if (end) {
      SetLocal(end, calendar, ends, zone);
    } else if (duration) {
      icalproperty_set_duration(duration, icaldurationtype_from_int(int(begins.secsTo(ends))));
    }
    return;
  }
  SetInForm(start, calendar, begins);
  if (end) {
    if (IsDate(end)) {
      SetLocal(end, calendar, ends, zone);
    } else {
      SetInForm(end, calendar, ends);
    }
  } else if (duration) {
    icalproperty_set_duration(duration, icaldurationtype_from_int(int(begins.secsTo(ends))));
  } else {
    end = icalproperty_new_dtend(icaltime_null_time());
    icalcomponent_add_property(event, end);
    for (icalparameter* p = icalproperty_get_first_parameter(start, ICAL_TZID_PARAMETER); p;
         p = nullptr) {
      icalproperty_add_parameter(end, icalparameter_new_clone(p));
    }
    const icaltimetype old = icalvalue_get_datetime(icalproperty_get_value(start));
    icalproperty_set_value(end, icalvalue_new_datetime(old));
    SetInForm(end, calendar, ends);
  }
}

// The DESCRIPTION as the program read it, the event's location added as a
// last line "Location: …" when it fitted: that line is the LOCATION, never
// part of the description.
void PatchDescription(icalcomponent* event, const Appointment& before, const Appointment& after) {
  const QString location = QString::fromUtf8(icalcomponent_get_location(event)).trimmed();
  const QString derived = QStringLiteral("Location: ") + location;
  const QString was = Lf(before.description);
  QString text = Lf(after.description);
  const bool had_line =
      !location.isEmpty() && (was == derived || was.endsWith(QLatin1Char('\n') + derived));
  if (had_line) {
    const qsizetype cut = text.lastIndexOf(QLatin1Char('\n'));
    const QString last = cut < 0 ? text : text.mid(cut + 1);
    if (last.startsWith(QLatin1String("Location: "))) {
      const QString place = last.mid(10).trimmed();
      if (place != location) SetText(event, ICAL_LOCATION_PROPERTY, place);
      text = cut < 0 ? QString() : text.left(cut);
    }
  }
  // This program's own note of times that are no clock times stays first.
  const QString old = QString::fromUtf8(icalcomponent_get_description(event));
  if (FindX(event, kStartProperty) && old.startsWith(QLatin1String("Time: "))) {
    const qsizetype line = old.indexOf(QLatin1Char('\n'));
    const QString note = line < 0 ? old : old.left(line);
    text = text.isEmpty() ? note : note + QLatin1Char('\n') + text;
  }
  SetText(event, ICAL_DESCRIPTION_PROPERTY, text);
}

bool PlainMinutes(const QString& text) {
  bool ok = false;
  const int n = text.toInt(&ok);
  return ok && n >= 0 && n <= 9999 && text == QString::number(n);
}

// The alarm the reminder was read from: the first one with a trigger.
icalcomponent* ReminderAlarm(icalcomponent* event) {
  for (icalcomponent* alarm = icalcomponent_get_first_component(event, ICAL_VALARM_COMPONENT);
       alarm; alarm = icalcomponent_get_next_component(event, ICAL_VALARM_COMPONENT)) {
    if (icalcomponent_get_first_property(alarm, ICAL_TRIGGER_PROPERTY)) return alarm;
  }
  return nullptr;
}

void PatchReminder(icalcomponent* event, const Appointment& before, const Appointment& after) {
  if (FindX(event, kMinutesProperty)) {
    SetX(event, kMinutesProperty,
         (after.reminder ? QStringLiteral("on ") : QStringLiteral("off ")) + after.minutes);
    return;
  }
  icalcomponent* alarm = ReminderAlarm(event);
  if (after.reminder && PlainMinutes(after.minutes)) {
    const icaltriggertype trigger = icaltriggertype_from_int(-60 * after.minutes.toInt());
    if (alarm && before.reminder) {
      icalproperty* p = icalcomponent_get_first_property(alarm, ICAL_TRIGGER_PROPERTY);
      icalproperty_remove_parameter_by_kind(p, ICAL_RELATED_PARAMETER);
      icalproperty_remove_parameter_by_kind(p, ICAL_VALUE_PARAMETER);
      icalproperty_set_trigger(p, trigger);
    } else {
      alarm = icalcomponent_new_valarm();
      icalcomponent_add_property(alarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
      icalcomponent_add_property(alarm, icalproperty_new_trigger(trigger));
      icalcomponent_add_property(alarm,
                                 icalproperty_new_description(after.subject.toUtf8().constData()));
      icalcomponent_add_component(event, alarm);
    }
    return;
  }
  if (!after.reminder && before.reminder && alarm) {
    icalcomponent_remove_component(event, alarm);
    icalcomponent_free(alarm);
  }
  // What an alarm cannot say: minutes that are no plain number, or minutes
  // kept while the reminder is off.
  if (!PlainMinutes(after.minutes) || (!after.reminder && after.minutes != QLatin1String("15"))) {
    SetX(event, kMinutesProperty,
         (after.reminder ? QStringLiteral("on ") : QStringLiteral("off ")) + after.minutes);
  }
}

void Touch(icalcomponent* event) {
  const icaltimetype now = icaltime_current_time_with_zone(icaltimezone_get_utc_timezone());
  if (icalproperty* p = icalcomponent_get_first_property(event, ICAL_DTSTAMP_PROPERTY)) {
    icalproperty_set_dtstamp(p, now);
  }
  if (icalproperty* p = icalcomponent_get_first_property(event, ICAL_LASTMODIFIED_PROPERTY)) {
    icalproperty_set_lastmodified(p, now);
  }
  if (icalproperty* p = icalcomponent_get_first_property(event, ICAL_SEQUENCE_PROPERTY)) {
    icalproperty_set_sequence(p, icalproperty_get_sequence(p) + 1);
  }
}

}  // namespace

std::optional<QByteArray> PatchEvent(const QByteArray& kept, const Appointment& before,
                                     const Appointment& after, const QString& uid,
                                     const QTimeZone& zone) {
  icalerror_set_errors_are_fatal(0);
  Component calendar(icalparser_parse_string(kept.constData()));
  if (!calendar || icalcomponent_isa(calendar.get()) != ICAL_VCALENDAR_COMPONENT)
    return std::nullopt;
  icalcomponent* event = nullptr;
  for (icalcomponent* e = icalcomponent_get_first_component(calendar.get(), ICAL_VEVENT_COMPONENT);
       e; e = icalcomponent_get_next_component(calendar.get(), ICAL_VEVENT_COMPONENT)) {
    if (!icalcomponent_get_first_property(e, ICAL_RECURRENCEID_PROPERTY)) {
      event = e;
      break;
    }
  }
  if (!event) return std::nullopt;
  if (!uid.isEmpty()) icalcomponent_set_uid(event, uid.toUtf8().constData());
  if (before.subject != after.subject) SetText(event, ICAL_SUMMARY_PROPERTY, after.subject);
  if (before.description != after.description) PatchDescription(event, before, after);
  if (DateOfId(before.id) != DateOfId(after.id) || before.start != after.start ||
      before.end != after.end) {
    PatchTimes(calendar.get(), event, after, zone);
  }
  if (before.reminder != after.reminder || before.minutes != after.minutes) {
    PatchReminder(event, before, after);
  }
  Touch(event);
  char* text = icalcomponent_as_ical_string_r(calendar.get());
  QByteArray bytes(text);
  icalmemory_free_buffer(text);
  return bytes;
}

}  // namespace quorvel::interchange
