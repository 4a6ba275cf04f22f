// The texts the reader takes from an event: description, location, reminder, own properties.
#include "interchange/event_reader.h"

#include <QUrl>

#include "interchange/ical_values.h"
#include "interchange/texts.h"

namespace quorvel::interchange::ical {

QString EventReader::XValue(icalproperty* p) {
  const char* text = icalproperty_get_x(p);
  return QUrl::fromPercentEncoding(text ? QByteArray(text) : QByteArray(""));
}

QString EventReader::XText(icalcomponent* event, const char* x_name) {
  icalproperty* p = FindX(event, x_name);
  return p ? XValue(p) : QString();
}

QString EventReader::Description(icalcomponent* event, const QString& name) {
  QString description = FromUtf8(icalcomponent_get_description(event));
  description.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  if (!XText(event, kStartProperty).isNull()) {
    // This program's own note of the times, written on export.
    const qsizetype line = description.indexOf(QLatin1Char('\n'));
    if (description.startsWith(QLatin1String("Time: "))) {
      description = line < 0 ? QString() : description.mid(line + 1);
    }
  }
  description.replace(QLatin1String("\n"), QLatin1String("\r\n"));
  const QString location = FromUtf8(icalcomponent_get_location(event)).trimmed();
  QString with_location = description;
  if (!location.isEmpty()) {
    if (!with_location.isEmpty()) with_location += QLatin1String("\r\n");
    with_location += QStringLiteral("Location: ") + location;
    if (FieldProblem(QStringLiteral("x"), with_location, kDescriptionBoxLimit).isNull()) {
      return with_location;
    }
    out_.left_out.append(
        InterchangeTexts::tr("%1: its location \"%2\" (it does not fit beside the description)")
            .arg(name, location.left(40)));
  }
  if (QString problem =
          FieldProblem(InterchangeTexts::tr("its description"), description, kDescriptionBoxLimit);
      !problem.isNull()) {
    out_.left_out.append(InterchangeTexts::tr("%1: its description (%2)").arg(name, problem));
    return QString();
  }
  return description;
}

void EventReader::ReadReminder(icalcomponent* event, const QString& name, Appointment* a) {
  const QString own = XText(event, kMinutesProperty);
  if (!own.isNull()) {
    a->reminder = own.startsWith(QLatin1String("on "));
    const QString minutes = own.mid(own.indexOf(QLatin1Char(' ')) + 1);
    if (FieldProblem(QStringLiteral("x"), minutes, kMinutesLimit).isNull()) a->minutes = minutes;
    return;
  }
  for (icalcomponent* alarm = icalcomponent_get_first_component(event, ICAL_VALARM_COMPONENT);
       alarm; alarm = icalcomponent_get_next_component(event, ICAL_VALARM_COMPONENT)) {
    icalproperty* trigger_property = icalcomponent_get_first_property(alarm, ICAL_TRIGGER_PROPERTY);
    if (!trigger_property) continue;
    icalparameter* related =
        icalproperty_get_first_parameter(trigger_property, ICAL_RELATED_PARAMETER);
    const icaltriggertype trigger = icalproperty_get_trigger(trigger_property);
    int before = 0;
    if (!icaltime_is_null_time(trigger.time)) {
      before = -1;  // an absolute time: not a lead time
    } else if (related && icalparameter_get_related(related) == ICAL_RELATED_END) {
      before = -1;
    } else {
      before = -icaldurationtype_as_int(trigger.duration);
    }
    if (before < 0 || before % 60 != 0 || before / 60 > 9999) {
      out_.left_out.append(
          InterchangeTexts::tr("%1: its reminder (only a whole number of minutes up "
                               "to 9999 before the start can be kept)")
              .arg(name));
      return;
    }
    a->reminder = true;
    a->minutes = QString::number(before / 60);
    return;
  }
}

}  // namespace quorvel::interchange::ical
