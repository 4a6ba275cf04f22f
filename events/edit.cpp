#include "events/edit.h"

#include <libical/ical.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "events/ical_time.h"
#include "events/occurrences.h"
#include "events/time_edits.h"

namespace quorvel::events {
namespace {

struct CalendarDeleter {
  void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};
using Calendar = std::unique_ptr<icalcomponent, CalendarDeleter>;

struct Parsed {
  Calendar calendar;
  icalcomponent* master = nullptr;      // the VEVENT without RECURRENCE-ID
  std::vector<icalcomponent*> changes;  // the occurrences changed on their own
};

std::optional<Parsed> Parse(const QByteArray& text) {
  icalerror_set_errors_are_fatal(0);
  Parsed parsed;
  parsed.calendar.reset(icalparser_parse_string(text.constData()));
  if (!parsed.calendar || icalcomponent_isa(parsed.calendar.get()) != ICAL_VCALENDAR_COMPONENT) {
    return std::nullopt;
  }
  icalcomponent* calendar = parsed.calendar.get();
  for (icalcomponent* e = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT); e;
       e = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT)) {
    if (!icalcomponent_get_first_property(e, ICAL_DTSTART_PROPERTY)) continue;
    if (icalcomponent_get_first_property(e, ICAL_RECURRENCEID_PROPERTY)) {
      parsed.changes.push_back(e);
    } else if (!parsed.master) {
      parsed.master = e;
    }
  }
  if (!parsed.master && parsed.changes.empty()) return std::nullopt;
  return parsed;
}

QByteArray Written(icalcomponent* calendar) {
  char* text = icalcomponent_as_ical_string_r(calendar);
  QByteArray out(text);
  std::free(text);
  return out;
}

bool IsSeries(icalcomponent* master) {
  return master && (icalcomponent_get_first_property(master, ICAL_RRULE_PROPERTY) ||
                    icalcomponent_get_first_property(master, ICAL_RDATE_PROPERTY));
}

QString Text(icalcomponent* e, icalproperty_kind kind) {
  icalproperty* p = icalcomponent_get_first_property(e, kind);
  const char* text = p ? icalvalue_get_text(icalproperty_get_value(p)) : nullptr;
  return text ? QString::fromUtf8(text) : QString();
}

// The value changed in place (its parameters kept); an empty text takes
// the property away.
void SetText(icalcomponent* e, icalproperty_kind kind, const QString& value) {
  icalproperty* p = icalcomponent_get_first_property(e, kind);
  if (value.isEmpty()) {
    if (p) {
      icalcomponent_remove_property(e, p);
      icalproperty_free(p);
    }
    return;
  }
  if (!p) {
    p = icalproperty_new(kind);
    icalcomponent_add_property(e, p);
  }
  icalproperty_set_value(p, icalvalue_new_text(value.toUtf8().constData()));
}

void Remove(icalcomponent* e, icalproperty_kind kind) {
  while (icalproperty* p = icalcomponent_get_first_property(e, kind)) {
    icalcomponent_remove_property(e, p);
    icalproperty_free(p);
  }
}

// The TRIGGER of an alarm that counts from the start, or nullptr.
icalproperty* StartTrigger(icalcomponent* alarm) {
  icalproperty* p = icalcomponent_get_first_property(alarm, ICAL_TRIGGER_PROPERTY);
  if (!p) return nullptr;
  icalparameter* related = icalproperty_get_first_parameter(p, ICAL_RELATED_PARAMETER);
  if (related && icalparameter_get_related(related) == ICAL_RELATED_END) return nullptr;
  return icaltime_is_null_time(icalproperty_get_trigger(p).time) ? p : nullptr;
}

// The first alarm counted from the start is moved (the rest of it kept);
// without one a display alarm is added. No reminder takes every alarm away.
void SetAlarm(icalcomponent* e, int minutes) {
  std::vector<icalcomponent*> alarms;
  for (icalcomponent* a = icalcomponent_get_first_component(e, ICAL_VALARM_COMPONENT); a;
       a = icalcomponent_get_next_component(e, ICAL_VALARM_COMPONENT)) {
    alarms.push_back(a);
  }
  if (minutes < 0) {
    for (icalcomponent* a : alarms) {
      icalcomponent_remove_component(e, a);
      icalcomponent_free(a);
    }
    return;
  }
  icaltriggertype trigger{};
  trigger.time = icaltime_null_time();
  trigger.duration = icaldurationtype_from_int(-minutes * 60);
  for (icalcomponent* a : alarms) {
    if (icalproperty* p = StartTrigger(a)) {
      icalproperty_set_trigger(p, trigger);
      return;
    }
  }
  icalcomponent* alarm = icalcomponent_new_valarm();
  icalcomponent_add_property(alarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
  const QString summary = Text(e, ICAL_SUMMARY_PROPERTY);
  icalcomponent_add_property(
      alarm, icalproperty_new_description(
                 (summary.isEmpty() ? QStringLiteral("Reminder") : summary).toUtf8().constData()));
  icalcomponent_add_property(alarm, icalproperty_new_trigger(trigger));
  icalcomponent_add_component(e, alarm);
}

// A changed component says so, as other clients expect.
void Touch(icalcomponent* e, const QDateTime& stamp) {
  const icaltimetype now = TimeIn(stamp, nullptr, true);
  if (icalproperty* p = icalcomponent_get_first_property(e, ICAL_DTSTAMP_PROPERTY)) {
    icalproperty_set_dtstamp(p, now);
  } else {
    icalcomponent_add_property(e, icalproperty_new_dtstamp(now));
  }
  if (icalproperty* p = icalcomponent_get_first_property(e, ICAL_LASTMODIFIED_PROPERTY)) {
    icalproperty_set_lastmodified(p, now);
  } else {
    icalcomponent_add_property(e, icalproperty_new_lastmodified(now));
  }
  if (icalproperty* p = icalcomponent_get_first_property(e, ICAL_SEQUENCE_PROPERTY)) {
    icalproperty_set_sequence(p, icalproperty_get_sequence(p) + 1);
  } else {
    icalcomponent_add_property(e, icalproperty_new_sequence(1));
  }
}

icalcomponent* ChangeOf(const Parsed& parsed, const QString& instance) {
  for (icalcomponent* e : parsed.changes) {
    icalproperty* rid = icalcomponent_get_first_property(e, ICAL_RECURRENCEID_PROPERTY);
    const icaltimetype t = WithZone(ValueOf(rid), rid, parsed.calendar.get());
    if (InstanceOf(t) == instance) return e;
  }
  return nullptr;
}

// The end set from the start and a length (days for a date), as DTEND, or
// as DURATION where the component says it so.
void SetLength(icalcomponent* e, icaltimetype start, int days, qint64 seconds) {
  icalproperty* dtstart = icalcomponent_get_first_property(e, ICAL_DTSTART_PROPERTY);
  if (icalproperty* d = icalcomponent_get_first_property(e, ICAL_DURATION_PROPERTY)) {
    icalproperty_set_duration(
        d, icaldurationtype_from_int(start.is_date ? days * 86400 : int(seconds)));
    return;
  }
  Remove(e, ICAL_DTEND_PROPERTY);
  icalcomponent_add_property(e,
                             TimeLike(ICAL_DTEND_PROPERTY, dtstart, Shifted(start, days, seconds)));
}

// Whether the series in `text` has the occurrence `instance` (a change
// made for one it does not have would add an occurrence of its own).
bool Repeats(const QByteArray& text, const QString& instance) {
  const icaltimetype t = icaltime_from_string(instance.toLatin1().constData());
  if (icaltime_is_null_time(t)) return false;
  const QDate day(t.year, t.month, t.day);
  for (const Occurrence& o :
       OccurrencesBetween(text, day.addDays(-1), day.addDays(1), QTimeZone::utc()).occurrences) {
    if (o.instance == instance) return true;
  }
  return false;
}

void ApplyTexts(icalcomponent* e, const EventChange& change) {
  if (change.summary) SetText(e, ICAL_SUMMARY_PROPERTY, *change.summary);
  if (change.description) SetText(e, ICAL_DESCRIPTION_PROPERTY, *change.description);
  if (change.alarm_minutes) SetAlarm(e, *change.alarm_minutes);
}

}  // namespace

std::optional<QByteArray> ChangeSeries(const QByteArray& text, const EventChange& change,
                                       const QDateTime& edited_start, const QDateTime& stamp) {
  std::optional<Parsed> parsed = Parse(text);
  if (!parsed || !parsed->master) return std::nullopt;
  icalcomponent* master = parsed->master;
  std::vector<bool> touched(parsed->changes.size(), false);
  // An occurrence changed on its own follows a text it still shared.
  for (auto [kind, value] : {std::pair{ICAL_SUMMARY_PROPERTY, change.summary},
                             std::pair{ICAL_DESCRIPTION_PROPERTY, change.description}}) {
    if (!value) continue;
    const QString before = Text(master, kind);
    for (std::size_t i = 0; i < parsed->changes.size(); ++i) {
      if (Text(parsed->changes[i], kind) != before) continue;
      SetText(parsed->changes[i], kind, *value);
      touched[i] = true;
    }
  }
  if (change.alarm_minutes) {
    for (std::size_t i = 0; i < parsed->changes.size(); ++i) {
      SetAlarm(parsed->changes[i], *change.alarm_minutes);
      touched[i] = true;
    }
  }
  ApplyTexts(master, change);

  if (change.start && change.end) {
    icalproperty* dtstart = icalcomponent_get_first_property(master, ICAL_DTSTART_PROPERTY);
    const icaltimetype start = ValueOf(dtstart);
    const int days = int(edited_start.date().daysTo(change.start->date()));
    const qint64 seconds =
        start.is_date ? qint64(days) * 86400 : edited_start.secsTo(*change.start);
    const icaltimetype moved = Shifted(start, days, seconds);
    if (days != 0 || seconds != 0) {
      SetValue(dtstart, moved);
      for (icalproperty* p = icalcomponent_get_first_property(master, ICAL_RRULE_PROPERTY); p;
           p = icalcomponent_get_next_property(master, ICAL_RRULE_PROPERTY)) {
        ShiftRule(p, days, seconds, DayOf(start), DayOf(moved));
      }
      ShiftAll(master, ICAL_EXDATE_PROPERTY, days, seconds);
      ShiftAll(master, ICAL_RDATE_PROPERTY, days, seconds);
      // An occurrence changed on its own still names the occurrence it
      // replaces; one that kept the series' time moves with it.
      for (std::size_t i = 0; i < parsed->changes.size(); ++i) {
        icalcomponent* e = parsed->changes[i];
        icalproperty* rid = icalcomponent_get_first_property(e, ICAL_RECURRENCEID_PROPERTY);
        icalproperty* own = icalcomponent_get_first_property(e, ICAL_DTSTART_PROPERTY);
        const icaltimetype replaced = ValueOf(rid);
        if (icaltime_compare(ValueOf(own), replaced) == 0) {
          SetValue(own, Shifted(ValueOf(own), days, seconds));
          if (icalproperty* end = icalcomponent_get_first_property(e, ICAL_DTEND_PROPERTY)) {
            SetValue(end, Shifted(ValueOf(end), days, seconds));
          }
        }
        SetValue(rid, Shifted(replaced, days, seconds));
        touched[i] = true;
      }
    }
    const int length_days = int(change.start->date().daysTo(change.end->date()));
    SetLength(master, moved, std::max(1, length_days),
              std::max<qint64>(0, change.start->secsTo(*change.end)));
  }
  Touch(master, stamp);
  for (std::size_t i = 0; i < parsed->changes.size(); ++i) {
    if (touched[i]) Touch(parsed->changes[i], stamp);
  }
  return Written(parsed->calendar.get());
}

std::optional<QByteArray> ChangeOccurrence(const QByteArray& text, const QString& instance,
                                           const EventChange& change, const QDateTime& stamp) {
  std::optional<Parsed> parsed = Parse(text);
  if (!parsed) return std::nullopt;
  icalcomponent* calendar = parsed->calendar.get();
  icalcomponent* own = ChangeOf(*parsed, instance);
  if (!own) {
    if (!IsSeries(parsed->master) || !Repeats(text, instance)) return std::nullopt;
    icalproperty* model = icalcomponent_get_first_property(parsed->master, ICAL_DTSTART_PROPERTY);
    const std::optional<icaltimetype> at = InstanceTime(instance, model, calendar);
    if (!at) return std::nullopt;
    const icaltimetype start = ValueOf(model);
    int days = 1;
    qint64 seconds = 0;
    icalproperty* dtend = icalcomponent_get_first_property(parsed->master, ICAL_DTEND_PROPERTY);
    if (dtend) {
      const icaltimetype end = ValueOf(dtend);
      days = int(DayOf(start).daysTo(DayOf(end)));
      seconds = qint64(icaltime_as_timet(end)) - qint64(icaltime_as_timet(start));
    }
    // The series' VEVENT without its repeating, at the occurrence.
    own = icalcomponent_new_clone(parsed->master);
    for (icalproperty_kind kind :
         {ICAL_RRULE_PROPERTY, ICAL_RDATE_PROPERTY, ICAL_EXDATE_PROPERTY, ICAL_EXRULE_PROPERTY}) {
      Remove(own, kind);
    }
    SetValue(icalcomponent_get_first_property(own, ICAL_DTSTART_PROPERTY), *at);
    if (dtend)
      SetValue(icalcomponent_get_first_property(own, ICAL_DTEND_PROPERTY),
               Shifted(*at, days, seconds));
    icalcomponent_add_property(own, TimeLike(ICAL_RECURRENCEID_PROPERTY, model, *at));
    icalcomponent_add_component(calendar, own);
  }
  ApplyTexts(own, change);
  if (change.start && change.end) {
    icalproperty* dtstart = icalcomponent_get_first_property(own, ICAL_DTSTART_PROPERTY);
    const icaltimetype start = InFormOf(dtstart, calendar, *change.start);
    SetValue(dtstart, start);
    SetLength(own, start, std::max(1, int(change.start->date().daysTo(change.end->date()))),
              std::max<qint64>(0, change.start->secsTo(*change.end)));
  }
  Touch(own, stamp);
  return Written(calendar);
}

std::optional<QByteArray> DeleteOccurrence(const QByteArray& text, const QString& instance,
                                           const QDateTime& stamp) {
  std::optional<Parsed> parsed = Parse(text);
  if (!parsed || !IsSeries(parsed->master)) return std::nullopt;
  icalcomponent* calendar = parsed->calendar.get();
  icalproperty* model = icalcomponent_get_first_property(parsed->master, ICAL_DTSTART_PROPERTY);
  const std::optional<icaltimetype> at = InstanceTime(instance, model, calendar);
  if (!at) return std::nullopt;
  if (icalcomponent* own = ChangeOf(*parsed, instance)) {
    icalcomponent_remove_component(calendar, own);
    icalcomponent_free(own);
  }
  icalcomponent_add_property(parsed->master, TimeLike(ICAL_EXDATE_PROPERTY, model, *at));
  Touch(parsed->master, stamp);
  return Written(calendar);
}

std::optional<QByteArray> SetRepeatRule(const QByteArray& text, const QByteArray& rule,
                                        const QDateTime& stamp) {
  std::optional<Parsed> parsed = Parse(text);
  if (!parsed || !parsed->master) return std::nullopt;
  icalcomponent* calendar = parsed->calendar.get();
  Remove(parsed->master, ICAL_RRULE_PROPERTY);
  if (rule.isEmpty()) {
    // What only a series has goes with its rule.
    for (icalproperty_kind kind :
         {ICAL_RDATE_PROPERTY, ICAL_EXDATE_PROPERTY, ICAL_EXRULE_PROPERTY}) {
      Remove(parsed->master, kind);
    }
    for (icalcomponent* e : parsed->changes) {
      icalcomponent_remove_component(calendar, e);
      icalcomponent_free(e);
    }
  } else {
    const icalrecurrencetype recurrence = icalrecurrencetype_from_string(rule.constData());
    if (recurrence.freq == ICAL_NO_RECURRENCE) return std::nullopt;
    icalcomponent_add_property(parsed->master, icalproperty_new_rrule(recurrence));
  }
  Touch(parsed->master, stamp);
  return Written(calendar);
}

QByteArray RepeatRuleOf(const QByteArray& text) {
  std::optional<Parsed> parsed = Parse(text);
  if (!parsed || !parsed->master) return QByteArray();
  icalproperty* p = icalcomponent_get_first_property(parsed->master, ICAL_RRULE_PROPERTY);
  if (!p) return QByteArray();
  const icalrecurrencetype rule = icalproperty_get_rrule(p);
  char* value = icalrecurrencetype_as_string_r(const_cast<icalrecurrencetype*>(&rule));
  const QByteArray out(value ? value : "");
  std::free(value);
  return out;
}

}  // namespace quorvel::events
