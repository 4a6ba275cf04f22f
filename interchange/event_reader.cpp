// The reading of events: ReadEvents, and the steps that take each event of a calendar.
#include "interchange/event_reader.h"

#include <algorithm>

#include <QDateTime>
#include <QRegularExpression>
#include <QTimeZone>

#include "events/event_file.h"
#include "interchange/calendar_checks.h"
#include "interchange/ical_values.h"
#include "interchange/kept_events.h"
#include "interchange/texts.h"
#include "store/date_text.h"

namespace quorvel::interchange {
namespace ical {
namespace {

constexpr int kLongestEventDays = 31;  // an appointment is never longer

}  // namespace

void EventReader::ReadAll() {
  // Changed or cancelled instances of recurring events come as their own
  // VEVENTs with a RECURRENCE-ID; the series leaves those instances out.
  for (icalcomponent* e = icalcomponent_get_first_component(calendar_, ICAL_VEVENT_COMPONENT); e;
       e = icalcomponent_get_next_component(calendar_, ICAL_VEVENT_COMPONENT)) {
    icalproperty* rid = icalcomponent_get_first_property(e, ICAL_RECURRENCEID_PROPERTY);
    if (!rid) continue;
    const icaltimetype t = zones_.With(icalproperty_get_recurrenceid(rid), rid);
    overridden_[FromUtf8(icalcomponent_get_uid(e))].insert(InstanceKey(t));
    overridden_[FromUtf8(icalcomponent_get_uid(e))].insert(DateKey(t));
  }
  std::vector<icalcomponent*> events;
  std::vector<icalcomponent*> changes;  // with RECURRENCE-ID, kept with their series
  std::set<QString> series;
  for (icalcomponent* e = icalcomponent_get_first_component(calendar_, ICAL_VEVENT_COMPONENT); e;
       e = icalcomponent_get_next_component(calendar_, ICAL_VEVENT_COMPONENT)) {
    if (icalcomponent_get_first_property(e, ICAL_RECURRENCEID_PROPERTY)) {
      changes.push_back(e);
    } else {
      events.push_back(e);
      series.insert(FromUtf8(icalcomponent_get_uid(e)));
    }
  }
  for (icalcomponent* e : events) ReadEvent(e);
  // Changed occurrences whose series the file does not hold (an
  // invitation to one occurrence) are kept as they are.
  for (icalcomponent* e : changes) {
    const QString uid = FromUtf8(icalcomponent_get_uid(e));
    if (uid.isEmpty() || series.count(uid) || kept_.count(uid)) continue;
    icalproperty* start = icalcomponent_get_first_property(e, ICAL_DTSTART_PROPERTY);
    if (!start) continue;
    const QString subject = FromUtf8(icalcomponent_get_summary(e)).trimmed();
    Keep(uid, nullptr,
         Name(subject,
              ToWall(zones_.With(icalproperty_get_dtstart(start), start), options_.zone).date));
  }
  std::set<QString> stored_uids;
  for (Kept& k : kept_order_) {
    KeptEvent out;
    out.name = k.name;
    out.plain_key = k.plain_key;
    out.text = KeptText(calendar_, k.uid, k.without_uid,
                        [this](const char* tzid) { return zones_.Replacement(tzid); });
    // The event is found again by the UID its kept text reads as: libical
    // writes some UIDs back other than they came (an unknown escape, a
    // space at the end), and such an event must neither go under a UID its
    // text does not hold nor take the place of another event of the file.
    out.uid = events::UidOf(out.text);
    if (out.uid.isEmpty() || (out.uid != k.uid && kept_.count(out.uid)) ||
        !stored_uids.insert(out.uid).second) {
      Skip(k.name,
           InterchangeTexts::tr("its UID (\"%1\") does not read back the same once written out")
               .arg(k.uid));
      continue;
    }
    const Revision revision = RevisionOf(out.text);
    out.sequence = revision.sequence;
    out.modified = revision.modified;
    out_.kept.push_back(std::move(out));
  }
}

QString EventReader::Name(const QString& subject, const QDate& date) const {
  const QString what = subject.isEmpty() ? InterchangeTexts::tr("An event without a subject")
                                         : QLatin1Char('"') + subject + QLatin1Char('"');
  return date.isValid() ? what + InterchangeTexts::tr(" on ") + DateText(date) : what;
}

void EventReader::ReadEvent(icalcomponent* event) {
  const QString subject = FromUtf8(icalcomponent_get_summary(event)).trimmed();
  const QString uid = FromUtf8(icalcomponent_get_uid(event));
  icalproperty* start_property = icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY);
  if (!start_property) {
    Skip(Name(subject, QDate()), InterchangeTexts::tr("it has no start"));
    return;
  }
  const icaltimetype start = zones_.With(icalproperty_get_dtstart(start_property), start_property);
  // libical takes a month 0 or a 59th day for a time; such a date is no day.
  const Wall first = ToWall(start, options_.zone);
  if (icaltime_is_null_time(start) || !icaltime_is_valid_time(start) ||
      !QDate(start.year, start.month, start.day).isValid() || !first.date.isValid()) {
    Skip(Name(subject, QDate()), InterchangeTexts::tr("its start is not a valid date"));
    return;
  }
  const QString name = Name(subject, first.date);

  if (icalproperty* birthday = FindX(event, kBirthdayProperty)) {
    out_.birthdays.push_back({XValue(birthday), first.date});
    return;
  }
  // Without keep_whole a series is kept whole, never made appointments.
  if (!options_.keep_whole && Repeats(event, uid)) {
    KeepWhole(event, uid, start, first, name, subject);
    return;
  }
  // What follows names the reasons an event is no appointment: without
  // keep_whole it is kept whole instead, with it (an import) it is left
  // out unless NeedsKeeping took it.
  auto no_appointment = [&](const QString& reason) {
    if (options_.keep_whole) {
      Skip(name, reason);
    } else {
      KeepWhole(event, uid, start, first, name, subject);
    }
  };
  if (icalcomponent_get_status(event) == ICAL_STATUS_CANCELLED) {
    no_appointment(InterchangeTexts::tr("it is cancelled"));
    return;
  }
  if (start_property && icalproperty_get_first_parameter(start_property, ICAL_TZID_PARAMETER) &&
      !start.zone) {
    zones_.CountUnknown(start_property);
  }
  if (QString problem = RepeatRuleProblem(event); !problem.isNull()) {
    no_appointment(problem);
    return;
  }

  const qint64 length = Length(event, start);
  if (length < 0) {
    no_appointment(InterchangeTexts::tr("it ends before it starts"));
    return;
  }
  if (options_.keep_whole && NeedsKeeping(event, uid, start, length, subject, name)) {
    if (subject.isEmpty()) {
      Skip(name, InterchangeTexts::tr("it has no subject"));
      return;
    }
    KeepWhole(event, uid, start, first, name, subject);
    return;
  }
  if (length > qint64(kLongestEventDays) * 24 * 3600) {
    no_appointment(InterchangeTexts::tr("it lasts more than %1 days").arg(kLongestEventDays));
    return;
  }

  // The texts, checked as the appointment editor checks them.
  if (subject.isEmpty()) {
    no_appointment(InterchangeTexts::tr("it has no subject"));
    return;
  }
  if (QString problem = FieldProblem(InterchangeTexts::tr("its subject"), subject, kSubjectLimit);
      !problem.isNull()) {
    no_appointment(problem);
    return;
  }
  // An event over several days is no one appointment.
  const std::optional<Piece> piece = start.is_date ? std::nullopt : OnePiece(start, length);
  if (start.is_date ? length > 24 * 3600 && !OwnTimes(event, start) : !piece) {
    no_appointment(InterchangeTexts::tr("it spans several days"));
    return;
  }
  AddAppointment(event, uid, start, piece, subject, name);
}

QString EventReader::RepeatRuleProblem(icalcomponent* event) {
  for (icalproperty* p = icalcomponent_get_first_property(event, ICAL_XLICERROR_PROPERTY); p;
       p = icalcomponent_get_next_property(event, ICAL_XLICERROR_PROPERTY)) {
    const QString note = FromUtf8(icalproperty_get_xlicerror(p));
    static const QRegularExpression repeat(QStringLiteral("\\b(RRULE|EXRULE|RDATE|EXDATE)\\b"));
    if (!repeat.match(note).hasMatch()) continue;
    const qsizetype colon = note.lastIndexOf(QLatin1String(": "));
    const QString rule = colon < 0 ? QString() : note.mid(colon + 2).trimmed();
    return rule.isEmpty()
               ? InterchangeTexts::tr("its repeat rule cannot be read")
               : InterchangeTexts::tr("its repeat rule cannot be read: \"%1\"").arg(rule.left(60));
  }
  return QString();
}

qint64 EventReader::Length(icalcomponent* event, icaltimetype start) {
  qint64 length = 0;
  icalproperty* end_property = icalcomponent_get_first_property(event, ICAL_DTEND_PROPERTY);
  icalproperty* duration_property = icalcomponent_get_first_property(event, ICAL_DURATION_PROPERTY);
  if (end_property) {
    const icaltimetype end = zones_.With(icalproperty_get_dtend(end_property), end_property);
    if (!icaltime_is_null_time(end)) length = SecondsBetween(start, end);
  } else if (duration_property) {
    length = icaldurationtype_as_int(icalproperty_get_duration(duration_property));
  } else if (start.is_date) {
    length = 24 * 3600;
  }
  if (start.is_date && length < 24 * 3600) length = 24 * 3600;
  return length;
}

bool EventReader::OwnTimes(icalcomponent* event, icaltimetype start) {
  return start.is_date && !XText(event, kStartProperty).isNull() &&
         !XText(event, kEndProperty).isNull();
}

void EventReader::AddAppointment(icalcomponent* event, const QString& uid, icaltimetype start,
                                 const std::optional<Piece>& piece, const QString& subject,
                                 const QString& name) {
  Appointment base;
  base.subject = subject;
  base.minutes = QStringLiteral("15");
  base.description = Description(event, name);
  ReadReminder(event, name, &base);
  const QDate day(start.year, start.month, start.day);
  if (OwnTimes(event, start)) {
    // This program's own all-day form of times that are no clock times.
    Add(uid, day, XText(event, kStartProperty), XText(event, kEndProperty), base);
  } else if (start.is_date) {
    Add(uid, day, QStringLiteral("00:00"), QStringLiteral("24:00"), base);
  } else if (piece->no_length) {
    out_.left_out.append(
        InterchangeTexts::tr("%1: it has no end; it was given half an hour").arg(name));
    Add(uid, piece->day, TimeText(piece->begin), TimeText(piece->end), base);
  } else {
    Add(uid, piece->day, TimeText(piece->begin), TimeText(piece->end), base);
  }
  if (options_.keep_whole) KeepBeside(event, out_.appointments.back());
}

std::optional<EventReader::Piece> EventReader::OnePiece(icaltimetype start, qint64 length) const {
  const Wall from = ToWall(start, options_.zone);
  QDateTime end;
  if (icaltime_is_utc(start) || start.zone) {
    const time_t secs = icaltime_as_timet_with_zone(
        start, start.zone ? start.zone : icaltimezone_get_utc_timezone());
    end = QDateTime::fromSecsSinceEpoch(static_cast<qint64>(secs) + length, options_.zone);
  } else {
    end = QDateTime(from.date, QTime(0, 0), QTimeZone::utc())
              .addSecs(qint64(from.minute) * 60 + length);
  }
  Piece piece{from.date, from.minute, end.time().hour() * 60 + end.time().minute()};
  if (end.date() == from.date.addDays(1) && piece.end == 0) {
    piece.end = 24 * 60;
  } else if (end.date() != from.date) {
    return std::nullopt;
  }
  if (piece.end <= piece.begin) {
    piece.end = std::min(piece.begin + 30, 24 * 60);
    piece.no_length = true;
  }
  return piece;
}

void EventReader::Add(const QString& uid, const QDate& date, const QString& start,
                      const QString& end, const Appointment& base) {
  EventAppointment e;
  e.date = date;
  e.uid = uid;
  e.appointment = base;
  e.appointment.start = start;
  e.appointment.end = end;
  out_.appointments.push_back(std::move(e));
}

}  // namespace ical

EventReading ReadEvents(const QByteArray& input, const EventOptions& options) {
  ical::InitLibical();
  EventReading out;
  QByteArray bytes = input;
  if (bytes.startsWith("\xEF\xBB\xBF")) bytes.remove(0, 3);
  out.error = ical::ShapeProblem(bytes);
  if (out.error.isNull()) out.error = ical::StructureProblem(bytes);
  if (!out.error.isNull()) return out;
  // Some programs put several calendars one after the other in a file.
  std::vector<QByteArray> calendars;
  qsizetype begin = 0;
  const QByteArray upper = bytes.toUpper();
  for (qsizetype at = upper.indexOf("BEGIN:VCALENDAR", 1); at > 0;
       at = upper.indexOf("BEGIN:VCALENDAR", at + 1)) {
    if (bytes[at - 1] != '\n' && bytes[at - 1] != '\r') continue;
    calendars.push_back(bytes.mid(begin, at - begin));
    begin = at;
  }
  calendars.push_back(bytes.mid(begin));
  std::vector<ical::Component> parsed;
  for (const QByteArray& text : calendars) {
    if (QString problem = ical::ShapeProblem(text); !problem.isNull()) {
      out.error = problem;
      return out;
    }
    ical::Component calendar(icalparser_parse_string(text.constData()));
    if (!calendar || icalcomponent_isa(calendar.get()) != ICAL_VCALENDAR_COMPONENT) {
      out.error = ical::NotCalendar(InterchangeTexts::tr("its calendar cannot be read."));
      return out;
    }
    parsed.push_back(std::move(calendar));
  }
  ical::Zones::Report zones;
  std::map<QString, int> others;
  for (ical::Component& calendar : parsed) {
    ical::EventReader(calendar.get(), options, zones, out).ReadAll();
    ical::CountOthers(calendar.get(), &others);
  }
  out.notes = ical::Notes(others, zones);
  return out;
}

}  // namespace quorvel::interchange
