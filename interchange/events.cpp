// Appointments and birthdays as iCalendar events: the writing, through libical.
#include <libical/ical.h>

#include <QHash>
#include <QSet>

#include "events/event_file.h"
#include "interchange/ical_values.h"
#include "interchange/ical_zone.h"
#include "interchange/kept_events.h"
#include "interchange/mapping.h"
#include "interchange/texts.h"
#include "store/text_codec.h"

namespace quorvel::interchange {

using ical::AddX;
using ical::Component;
using ical::DateOfId;
using ical::DateValue;
using ical::FloatingValue;
using ical::Hex;
using ical::InitLibical;
using ical::kBirthdayProperty;
using ical::kEndProperty;
using ical::kMinutesProperty;
using ical::kStartProperty;
using ical::MinuteOfDay;
using ical::Serialise;
using ical::StampValue;

namespace {

// A stored text's CR LF line breaks as plain line feeds.
QString DescriptionForDisplayText(const QString& stored) {
  QString shown = stored;
  shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  return shown;
}

bool IsPlainNumber(const QString& text) {
  if (text.isEmpty() || text.size() > kMinutesLimit) return false;
  for (const QChar c : text) {
    if (!c.isDigit() || c.unicode() > '9') return false;
  }
  return !(text.size() > 1 && text[0] == QLatin1Char('0'));
}

// A time of an appointment as a property value: floating wall time, or
// (with `zone`) the instant in that zone, its VTIMEZONE added to `calendar`.
icalproperty* TimeProperty(icalproperty* (*make)(icaltimetype), const QDate& date,
                           int minute_of_day, icalcomponent* calendar, const QTimeZone* zone) {
  if (!zone) return make(FloatingValue(date, minute_of_day));
  const QDateTime when = QDateTime(date, QTime(0, 0), *zone).addSecs(qint64(minute_of_day) * 60);
  icaltimezone* z = ZoneInCalendar(calendar, *zone);
  const bool utc = !z;  // UTC itself, or a zone libical does not know: the instant in UTC
  icaltimetype t = TimeIn(when, z, utc);
  if (!z) return make(t);
  t.zone = nullptr;
  icalproperty* p = make(t);
  icalproperty_add_parameter(p, icalparameter_new_tzid(icaltimezone_get_tzid(z)));
  return p;
}

// The VEVENT of one appointment, or nothing when its ID names no date. With
// `zone`, its times are instants in that zone (TZID, the VTIMEZONE added to
// `calendar`); otherwise floating local times.
icalcomponent* AppointmentComponent(const Appointment& a, const QString& uid,
                                    const QDateTime& stamp, icalcomponent* calendar = nullptr,
                                    const QTimeZone* zone = nullptr) {
  const QDate date = DateOfId(a.id);
  if (!date.isValid()) return nullptr;
  icalcomponent* event = icalcomponent_new_vevent();
  icalcomponent_add_property(event, icalproperty_new_uid(uid.toUtf8().constData()));
  icalcomponent_add_property(event, icalproperty_new_dtstamp(StampValue(stamp)));

  const auto start = MinuteOfDay(a.start, false);
  const auto end = MinuteOfDay(a.end, true);
  QString description = DescriptionForDisplayText(a.description);
  if (start && end && *start < *end) {
    icalcomponent_add_property(
        event, TimeProperty(icalproperty_new_dtstart, date, *start, calendar, zone));
    icalcomponent_add_property(event,
                               TimeProperty(icalproperty_new_dtend, date, *end, calendar, zone));
  } else {
    // A time that is no clock time: an all-day event, the texts kept.
    icalcomponent_add_property(event, icalproperty_new_dtstart(DateValue(date)));
    icalcomponent_add_property(event, icalproperty_new_dtend(DateValue(date.addDays(1))));
    const QString times = QStringLiteral("Time: %1 - %2").arg(a.start, a.end);
    description = description.isEmpty() ? times : times + QLatin1Char('\n') + description;
    AddX(event, kStartProperty, a.start);
    AddX(event, kEndProperty, a.end);
  }
  icalcomponent_add_property(event, icalproperty_new_summary(a.subject.toUtf8().constData()));
  if (!description.isEmpty()) {
    icalcomponent_add_property(event,
                               icalproperty_new_description(description.toUtf8().constData()));
  }
  const bool plain_minutes = IsPlainNumber(a.minutes);
  if (a.reminder && plain_minutes) {
    icalcomponent* alarm = icalcomponent_new_valarm();
    icalcomponent_add_property(alarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
    icalcomponent_add_property(
        alarm, icalproperty_new_trigger(icaltriggertype_from_int(-60 * a.minutes.toInt())));
    icalcomponent_add_property(alarm, icalproperty_new_description(a.subject.toUtf8().constData()));
    icalcomponent_add_component(event, alarm);
  }
  // Whatever the alarm cannot say: minutes that are no plain number, or
  // minutes kept while the reminder is off.
  if (!plain_minutes || (!a.reminder && a.minutes != QLatin1String("15"))) {
    AddX(event, kMinutesProperty,
         (a.reminder ? QStringLiteral("on ") : QStringLiteral("off ")) + a.minutes);
  }
  return event;
}

icalcomponent* NewCalendar() {
  icalcomponent* calendar = icalcomponent_new_vcalendar();
  icalcomponent_add_property(calendar, icalproperty_new_version("2.0"));
  icalcomponent_add_property(calendar, icalproperty_new_prodid("-//Quorvel//Quorvel 1.0//EN"));
  icalcomponent_add_property(calendar, icalproperty_new_calscale("GREGORIAN"));
  return calendar;
}

QString UnstorableProblem(const QString& what, const QString& text) {
  if (const auto bad = store::FirstUnstorableCharacter(text)) {
    return InterchangeTexts::tr("%1 holds \"%2\", a character Quorvel cannot store")
        .arg(what, *bad);
  }
  return QString();
}

}  // namespace

QString BirthdayUid(const QString& key) {
  return QStringLiteral("quorvel-birthday-%1").arg(Hex(key, 16));
}

CalendarExport WriteCalendar(const std::vector<Appointment>& appointments,
                             const std::vector<AddressEntry>& entries, const QDateTime& stamp) {
  return WriteCalendar(appointments, entries, {}, {}, stamp);
}

CalendarExport WriteCalendar(const std::vector<Appointment>& appointments,
                             const std::vector<AddressEntry>& entries,
                             const std::vector<QByteArray>& kept, const QStringList& uids,
                             const QDateTime& stamp, const std::vector<QByteArray>& as_kept) {
  InitLibical();
  CalendarExport out;
  Component calendar(NewCalendar());
  QHash<QString, int> seen;
  // A UID made from an appointment's fields never repeats one given to
  // another appointment.
  QSet<QString> given_uids;
  for (const QString& uid : uids) {
    if (!uid.isEmpty()) given_uids.insert(uid);
  }
  for (size_t i = 0; i < appointments.size(); ++i) {
    const Appointment& a = appointments[i];
    const QString plain_uid = AppointmentUid(a);
    const int repeat = seen[plain_uid]++;
    if (i < as_kept.size() && !as_kept[i].isEmpty() && AddKept(calendar.get(), as_kept[i]) > 0) {
      ++out.appointments;
      continue;
    }
    const QString given = i < size_t(uids.size()) ? uids[qsizetype(i)] : QString();
    QString uid = given;
    for (int r = repeat; uid.isEmpty() || (given.isEmpty() && given_uids.contains(uid)); ++r)
      uid = AppointmentUid(a, r);
    icalcomponent* event = AppointmentComponent(a, uid, stamp);
    if (!event) {
      out.problems.append(
          InterchangeTexts::tr("The appointment \"%1\" has no date (its ID is \"%2\").")
              .arg(a.subject, a.id));
      continue;
    }
    icalcomponent_add_component(calendar.get(), event);
    ++out.appointments;
  }
  for (const AddressEntry& entry : entries) {
    if (!BirthdayFlagSet(entry.birthday_flag)) continue;
    const QDate born = ParseBirthdayText(entry.birthday_date);
    if (!born.isValid()) {
      out.problems.append(InterchangeTexts::tr("The birthday of %1 is not a date (\"%2\").")
                              .arg(entry.Key(), entry.birthday_date));
      continue;
    }
    icalcomponent* event = icalcomponent_new_vevent();
    icalcomponent_add_property(event,
                               icalproperty_new_uid(BirthdayUid(entry.Key()).toUtf8().constData()));
    icalcomponent_add_property(event, icalproperty_new_dtstamp(StampValue(stamp)));
    icalcomponent_add_property(event, icalproperty_new_dtstart(DateValue(born)));
    icalcomponent_add_property(event, icalproperty_new_dtend(DateValue(born.addDays(1))));
    icalrecurrencetype yearly;
    icalrecurrencetype_clear(&yearly);
    yearly.freq = ICAL_YEARLY_RECURRENCE;
    icalcomponent_add_property(event, icalproperty_new_rrule(yearly));
    icalcomponent_add_property(
        event, icalproperty_new_summary(
                   (QStringLiteral("Birthday - ") + entry.Key()).toUtf8().constData()));
    icalcomponent_add_property(event, icalproperty_new_categories("BIRTHDAY"));
    icalcomponent_add_property(event, icalproperty_new_transp(ICAL_TRANSP_TRANSPARENT));
    AddX(event, kBirthdayProperty, entry.Key());
    icalcomponent_add_component(calendar.get(), event);
    ++out.birthdays;
  }
  // Kept events go out as they are kept, not made again from what a
  // window shows of them.
  for (const QByteArray& text : kept) {
    if (AddKept(calendar.get(), text) == 0) {
      out.problems.append(InterchangeTexts::tr("An event kept whole (%1) no longer reads as one.")
                              .arg(events::UidOf(text)));
      continue;
    }
    ++out.appointments;
  }
  out.ics = Serialise(calendar.get());
  return out;
}

QByteArray WriteAppointmentEvent(const Appointment& appointment, const QString& uid,
                                 const QDateTime& stamp, const QTimeZone& zone) {
  InitLibical();
  Component calendar(NewCalendar());
  icalcomponent* event = AppointmentComponent(appointment, uid, stamp, calendar.get(),
                                              zone.isValid() ? &zone : nullptr);
  if (!event) return QByteArray();
  icalcomponent_add_component(calendar.get(), event);
  return Serialise(calendar.get());
}

QString FieldProblem(const QString& what, const QString& text, int limit) {
  if (QString problem = UnstorableProblem(what, text); !problem.isNull()) return problem;
  if (text.size() > limit) {
    return InterchangeTexts::tr("%1 is longer than %2 characters").arg(what).arg(limit);
  }
  return QString();
}

}  // namespace quorvel::interchange
