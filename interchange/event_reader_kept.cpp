// The events the reader keeps whole: which must be, and under which UID and name.
#include "interchange/event_reader.h"

#include <QDateTime>
#include <QString>
#include <QTimeZone>

#include "interchange/ical_values.h"
#include "interchange/kept_events.h"
#include "interchange/texts.h"
#include "items/appointment_file.h"

namespace quorvel::interchange::ical {

bool EventReader::Repeats(icalcomponent* event, const QString& uid) const {
  return overridden_.count(uid) || icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY) ||
         icalcomponent_get_first_property(event, ICAL_RDATE_PROPERTY);
}

void EventReader::KeepWhole(icalcomponent* event, const QString& uid, icaltimetype start,
                            const Wall& first, const QString& name, const QString& subject) {
  if (kept_.count(uid)) {
    Skip(name, InterchangeTexts::tr("another event of the file has the same UID"));
    return;
  }
  if (uid.isEmpty()) {
    // Kept events are known by their UID: one that came without is
    // given one from what it holds, the same at every import.
    char* text = icalcomponent_as_ical_string_r(event);
    const QString made = QStringLiteral("quorvel-import-") + Hex(QString::fromUtf8(text), 24);
    icalmemory_free_buffer(text);
    Keep(made, event, TimedName(name, start, first), PlainKey(event, start, first, subject));
  } else {
    Keep(uid, nullptr, TimedName(name, start, first), PlainKey(event, start, first, subject));
  }
}

void EventReader::KeepBeside(icalcomponent* event, EventAppointment& e) {
  icalcomponent* without_uid = nullptr;
  if (e.uid.isEmpty()) {
    char* text = icalcomponent_as_ical_string_r(event);
    e.uid = QStringLiteral("quorvel-import-") + Hex(QString::fromUtf8(text), 24);
    icalmemory_free_buffer(text);
    without_uid = event;
  } else {
    const QByteArray wanted = e.uid.toUtf8();
    int same = 0;
    for (icalcomponent* other = icalcomponent_get_first_component(calendar_, ICAL_VEVENT_COMPONENT);
         other; other = icalcomponent_get_next_component(calendar_, ICAL_VEVENT_COMPONENT)) {
      const char* own = icalcomponent_get_uid(other);
      if (own && wanted == own) ++same;
    }
    if (same != 1) return;
  }
  e.kept = KeptText(calendar_, e.uid, without_uid,
                    [this](const char* tzid) { return zones_.Replacement(tzid); });
}

void EventReader::Keep(const QString& uid, icalcomponent* without_uid, const QString& name,
                       const QString& plain_key) {
  kept_.insert(uid);
  kept_order_.push_back({uid, without_uid, name, plain_key});
}

QString EventReader::PlainKey(icalcomponent* event, icaltimetype start, const Wall& first,
                              const QString& subject) const {
  if (start.is_date || overridden_.count(FromUtf8(icalcomponent_get_uid(event))) ||
      icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY) ||
      icalcomponent_get_first_property(event, ICAL_RDATE_PROPERTY)) {
    return QString();
  }
  return DayKey(first.date) + QLatin1Char('\t') + TimeText(first.minute) + QLatin1Char('\t') +
         subject;
}

QString EventReader::TimedName(const QString& name, icaltimetype start, const Wall& first) {
  if (start.is_date) return name;
  return name + InterchangeTexts::tr(" at %1").arg(TimeText(first.minute));
}

bool EventReader::NeedsKeeping(icalcomponent* event, const QString& uid, icaltimetype start,
                               qint64 length, const QString& subject, const QString& name) {
  if (overridden_.count(uid) || icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY) ||
      icalcomponent_get_first_property(event, ICAL_RDATE_PROPERTY) ||
      icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY)) {
    return true;
  }
  if (start.is_date)
    return XText(event, kStartProperty).isNull() || XText(event, kEndProperty).isNull();
  if (length <= 0) return true;
  const Wall from = ToWall(start, options_.zone);
  const QDateTime end = QDateTime(from.date, QTime(0, 0), QTimeZone::utc())
                            .addSecs(qint64(from.minute) * 60 + length);
  if (end.date() != from.date &&
      end != QDateTime(from.date.addDays(1), QTime(0, 0), QTimeZone::utc()))
    return true;
  if (!subject.isEmpty() && !FieldProblem(QStringLiteral("x"), subject, kSubjectLimit).isNull())
    return true;
  if (!FromUtf8(icalcomponent_get_location(event)).trimmed().isEmpty()) return true;
  // A description or reminder that would not come in whole.
  const qsizetype before = out_.left_out.size();
  Appointment probe;
  probe.description = Description(event, name);
  ReadReminder(event, name, &probe);
  const bool lost = out_.left_out.size() > before;
  while (out_.left_out.size() > before) out_.left_out.removeLast();
  return lost;
}

}  // namespace quorvel::interchange::ical
