// Appointments as iCalendar events and back, through libical.
#include <libical/ical.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <memory>
#include <set>

#include <QCryptographicHash>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QUrl>

#include "events/event_file.h"
#include "interchange/ical_zone.h"
#include "interchange/kept_events.h"
#include "interchange/mapping.h"
#include "store/text_codec.h"
#include "store/date_text.h"
#include "interchange/texts.h"

namespace quorvel::interchange {
namespace {

struct ComponentFree {
  void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};
using Component = std::unique_ptr<icalcomponent, ComponentFree>;

constexpr int kLongestEventDays = 31;   // an appointment is never longer

const char kBirthdayProperty[] = "X-QUORVEL-BIRTHDAY";
const char kStartProperty[] = "X-QUORVEL-START";
const char kEndProperty[] = "X-QUORVEL-END";
const char kMinutesProperty[] = "X-QUORVEL-MINUTES";

void InitLibical() {
  static const bool done = [] {
    icalerror_set_errors_are_fatal(0);
    return true;
  }();
  (void)done;
}

// A stored text's CR LF line breaks as plain line feeds.
QString DescriptionForDisplayText(const QString& stored) {
  QString shown = stored;
  shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  return shown;
}

QString FromUtf8(const char* text) { return text ? QString::fromUtf8(text) : QString(); }

// "HH:MM" of a valid time, with "24:00" allowed as an end.
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

// This program's own properties carry stored texts exactly: percent-encoded,
// so that no space at an end, comma or line break is changed on the way.
void AddX(icalcomponent* event, const char* name, const QString& value) {
  icalproperty* p = icalproperty_new_x(QUrl::toPercentEncoding(value).constData());
  icalproperty_set_x_name(p, name);
  icalcomponent_add_property(event, p);
}

bool IsPlainNumber(const QString& text) {
  if (text.isEmpty() || text.size() > kMinutesLimit) return false;
  for (const QChar c : text) {
    if (!c.isDigit() || c.unicode() > '9') return false;
  }
  return !(text.size() > 1 && text[0] == QLatin1Char('0'));
}

QString Hex(const QString& text, int length) {
  return QString::fromLatin1(
      QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha1).toHex().left(length));
}

// A time of an appointment as a property value: floating wall time, or
// (with `zone`) the instant in that zone, its VTIMEZONE added to `calendar`.
icalproperty* TimeProperty(icalproperty* (*make)(icaltimetype), const QDate& date, int minute_of_day,
                           icalcomponent* calendar, const QTimeZone* zone) {
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
    icalcomponent_add_property(event, TimeProperty(icalproperty_new_dtstart, date, *start, calendar, zone));
    icalcomponent_add_property(event, TimeProperty(icalproperty_new_dtend, date, *end, calendar, zone));
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
    icalcomponent_add_property(alarm,
                               icalproperty_new_trigger(icaltriggertype_from_int(-60 * a.minutes.toInt())));
    icalcomponent_add_property(alarm, icalproperty_new_description(a.subject.toUtf8().constData()));
    icalcomponent_add_component(event, alarm);
  }
  // Whatever the alarm cannot say: minutes that are no plain number, or
  // minutes kept while the reminder is off.
  if (!plain_minutes || (!a.reminder && a.minutes != QLatin1String("15"))) {
    AddX(event, kMinutesProperty, (a.reminder ? QStringLiteral("on ") : QStringLiteral("off ")) + a.minutes);
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

QByteArray Serialise(icalcomponent* calendar) {
  char* text = icalcomponent_as_ical_string_r(calendar);
  QByteArray bytes(text);
  icalmemory_free_buffer(text);
  return bytes;
}

// ------------------------------------------------------------------ reading

struct Wall {
  QDate date;
  int minute = 0;  // of the day
};

// A time of the file as wall-clock time in `zone`; floating times and dates
// stay as written.
Wall ToWall(icaltimetype t, const QTimeZone& zone) {
  if (t.is_date) return Wall{QDate(t.year, t.month, t.day), 0};
  if (icaltime_is_utc(t) || t.zone) {
    const time_t secs =
        icaltime_as_timet_with_zone(t, t.zone ? t.zone : icaltimezone_get_utc_timezone());
    const QDateTime local = QDateTime::fromSecsSinceEpoch(static_cast<qint64>(secs), zone);
    return Wall{local.date(), local.time().hour() * 60 + local.time().minute()};
  }
  return Wall{QDate(t.year, t.month, t.day), t.hour * 60 + t.minute};
}

// Seconds from `a` to `b`, both of one event (floating times count as UTC).
qint64 SecondsBetween(icaltimetype a, icaltimetype b) {
  auto secs = [](icaltimetype t) {
    return static_cast<qint64>(icaltime_as_timet_with_zone(
        t, t.zone ? t.zone : icaltimezone_get_utc_timezone()));
  };
  return secs(b) - secs(a);
}

// What identifies one instance of a recurring event, to match EXDATE and
// RECURRENCE-ID against occurrences.
QString InstanceKey(icaltimetype t) {
  if (t.is_date) return QStringLiteral("d%1-%2-%3").arg(t.year).arg(t.month).arg(t.day);
  if (icaltime_is_utc(t) || t.zone) {
    return QStringLiteral("u%1").arg(static_cast<qint64>(icaltime_as_timet_with_zone(
        t, t.zone ? t.zone : icaltimezone_get_utc_timezone())));
  }
  return QStringLiteral("f%1-%2-%3T%4:%5:%6")
      .arg(t.year).arg(t.month).arg(t.day).arg(t.hour).arg(t.minute).arg(t.second);
}
QString DateKey(icaltimetype t) {
  return QStringLiteral("d%1-%2-%3").arg(t.year).arg(t.month).arg(t.day);
}

// The IANA name `tzid` stands for: itself, or the name at the end of a
// prefixed form ("/mozilla.org/20050126_1/Europe/Paris"); empty when it is
// none.
QByteArray RealZoneName(const QByteArray& tzid) {
  if (tzid.isEmpty()) return QByteArray();
  if (QTimeZone::isTimeZoneIdAvailable(tzid)) return tzid;
  for (qsizetype slash = tzid.indexOf('/'); slash >= 0; slash = tzid.indexOf('/', slash + 1)) {
    const QByteArray rest = tzid.mid(slash + 1);
    if (rest.contains('/') && QTimeZone::isTimeZoneIdAvailable(rest)) return rest;
  }
  return QByteArray();
}

// The Windows zone a display name such as "(GMT+10:00) Canberra, Melbourne,
// Sydney", "(UTC+01:00) Amsterdam, Berlin, Bern" or "(UTC-05:00) Eastern
// Time (US & Canada)" stands for: at the offset named, the one whose name
// the region is, else the one whose zones include most of the cities named.
// Empty when no Windows zone Qt knows matches.
QByteArray WindowsIdOfDisplayName(const QString& name) {
  static const QRegularExpression form(
      QStringLiteral("^\\(\\s*(?:GMT|UTC)\\s*(?:([+-])\\s*(\\d{1,2})(?:[:.]?(\\d{2}))?)?\\s*\\)\\s*(.+)$"),
      QRegularExpression::CaseInsensitiveOption);
  const QRegularExpressionMatch m = form.match(name.trimmed());
  if (!m.hasMatch()) return QByteArray();
  int offset = m.captured(2).toInt() * 3600 + m.captured(3).toInt() * 60;
  if (m.captured(1) == QLatin1String("-")) offset = -offset;
  // Every zone Qt knows, by its city ("Australia/Sydney": "sydney").
  static const std::multimap<QString, QByteArray> by_city = [] {
    std::multimap<QString, QByteArray> index;
    for (const QByteArray& id : QTimeZone::availableTimeZoneIds()) {
      const QString city = QString::fromLatin1(id.mid(id.lastIndexOf('/') + 1)).replace(QLatin1Char('_'), QLatin1Char(' '));
      index.emplace(city.toLower(), id);
    }
    return index;
  }();
  static const QRegularExpression separators(QStringLiteral("\\s*(?:[,;:/&]|\\band\\b)\\s*"));
  std::map<QByteArray, int> votes;
  // A region named as the Windows zone is ("Eastern Time (US & Canada)" for
  // "Eastern Standard Time") outweighs any number of cities.
  static const std::set<QByteArray> windows_ids = [] {
    std::set<QByteArray> ids;
    for (const QByteArray& id : QTimeZone::availableTimeZoneIds()) {
      const QByteArray windows = QTimeZone::ianaIdToWindowsId(id);
      if (!windows.isEmpty()) ids.insert(windows);
    }
    return ids;
  }();
  const QString place = m.captured(4).trimmed();
  for (const QByteArray& id : windows_ids) {
    QString region = QString::fromLatin1(id);
    region.replace(QLatin1String(" Standard Time"), QLatin1String(" Time"));
    if (region.contains(QLatin1Char(' ')) && place.startsWith(region, Qt::CaseInsensitive)) votes[id] += 1000;
  }
  for (const QString& city : place.split(separators, Qt::SkipEmptyParts)) {
    std::set<QByteArray> windows;  // one vote per city and Windows zone
    const auto [from, to] = by_city.equal_range(city.trimmed().toLower());
    for (auto it = from; it != to; ++it) {
      const QByteArray id = QTimeZone::ianaIdToWindowsId(it->second);
      if (!id.isEmpty()) windows.insert(id);
    }
    for (const QByteArray& id : windows) ++votes[id];
  }
  QByteArray best;
  int most = 0;
  const QDateTime now = QDateTime::currentDateTimeUtc();
  for (const auto& [id, count] : votes) {
    const QTimeZone zone(QTimeZone::windowsIdToDefaultIanaId(id));
    if (!zone.isValid() || zone.standardTimeOffset(now) != offset) continue;
    if (count > most) {
      best = id;
      most = count;
    }
  }
  return best;
}

// The time zones the TZIDs of one calendar name. A TZID that is a real zone
// name is read as the zone database has it, whatever the calendar's own
// definition says (old exports carry wrong ones); a Windows zone name, or
// the display name of one, as its IANA zone; any other as the calendar's
// own definition. What could not be resolved, and where the database
// overruled a definition, goes to the report.
class Zones {
 public:
  struct Report {
    std::map<QString, int> unknown;  // TZID: events read as local times
    std::set<QString> overruled;     // zones whose own definition was wrong
  };

  Zones(icalcomponent* calendar, Report& report) : calendar_(calendar), report_(report) {}

  // The zone of `property`'s TZID; nullptr without one or when it cannot be
  // resolved.
  icaltimezone* Of(icalproperty* property) {
    icalparameter* tzid = icalproperty_get_first_parameter(property, ICAL_TZID_PARAMETER);
    if (!tzid || !icalparameter_get_tzid(tzid)) return nullptr;
    return Find(icalparameter_get_tzid(tzid)).zone;
  }

  // `t` given the zone of `property`'s TZID, unless it is a date, UTC or
  // has one.
  icaltimetype With(icaltimetype t, icalproperty* property) {
    if (t.is_date || icaltime_is_utc(t) || t.zone) return t;
    icalparameter* tzid = icalproperty_get_first_parameter(property, ICAL_TZID_PARAMETER);
    if (!tzid || !icalparameter_get_tzid(tzid)) return t;
    const char* name = icalparameter_get_tzid(tzid);
    const Entry& entry = Find(name);
    t.zone = entry.zone;
    if (entry.own && entry.zone && entry.own != entry.zone) {
      // The definition is told it was overruled only where it differs, at
      // this time or in the winter or summer of its year.
      for (icaltimetype probe : {t, FloatingDay(t.year, 1, 15), FloatingDay(t.year, 7, 15)}) {
        int dst = 0;
        probe.zone = nullptr;
        if (icaltimezone_get_utc_offset(entry.own, &probe, &dst) !=
            icaltimezone_get_utc_offset(entry.zone, &probe, &dst)) {
          report_.overruled.insert(QString::fromUtf8(name));
          break;
        }
      }
    }
    return t;
  }

  // The zone whose rules stand for `tzid` where they are not the
  // calendar's own definition of it; nullptr where they are, or where
  // nothing resolves it.
  icaltimezone* Replacement(const char* tzid) {
    const Entry& entry = Find(tzid);
    return entry.zone != entry.own ? entry.zone : nullptr;
  }

  // The TZID of `property`, which names no zone that could be resolved.
  void CountUnknown(icalproperty* property) {
    icalparameter* tzid = icalproperty_get_first_parameter(property, ICAL_TZID_PARAMETER);
    if (tzid && icalparameter_get_tzid(tzid)) ++report_.unknown[QString::fromUtf8(icalparameter_get_tzid(tzid))];
  }

 private:
  struct Entry {
    icaltimezone* zone = nullptr;  // the zone used
    icaltimezone* own = nullptr;   // the calendar's own definition
  };

  static icaltimetype FloatingDay(int year, int month, int day) {
    icaltimetype t = icaltime_null_time();
    t.year = year;
    t.month = month;
    t.day = day;
    t.hour = 12;
    return t;
  }

  const Entry& Find(const char* name) {
    const QByteArray tzid(name);
    auto found = cache_.find(tzid);
    if (found != cache_.end()) return found->second;
    Entry entry;
    entry.own = icalcomponent_get_timezone(calendar_, name);
    const QByteArray real = RealZoneName(tzid);
    if (!real.isEmpty()) entry.zone = icaltimezone_get_builtin_timezone(real.constData());
    if (!entry.zone) entry.zone = entry.own;
    if (!entry.zone) entry.zone = icaltimezone_get_builtin_timezone(name);
    if (!entry.zone) {
      QByteArray windows = QTimeZone::windowsIdToDefaultIanaId(tzid);
      if (windows.isEmpty()) {
        const QByteArray id = WindowsIdOfDisplayName(QString::fromUtf8(tzid));
        if (!id.isEmpty()) windows = QTimeZone::windowsIdToDefaultIanaId(id);
      }
      if (!windows.isEmpty()) entry.zone = icaltimezone_get_builtin_timezone(windows.constData());
    }
    return cache_.emplace(tzid, entry).first->second;
  }

  icalcomponent* calendar_;
  Report& report_;
  std::map<QByteArray, Entry> cache_;
};

QString UnstorableProblem(const QString& what, const QString& text) {
  if (const auto bad = store::FirstUnstorableCharacter(text)) {
    return InterchangeTexts::tr("%1 holds \"%2\", a character Quorvel cannot store").arg(what, *bad);
  }
  return QString();
}

class EventReader {
 public:
  EventReader(icalcomponent* calendar, const EventOptions& options, Zones::Report& zones,
              EventReading& out)
      : calendar_(calendar), options_(options), out_(out), zones_(calendar, zones) {}

  void ReadAll() {
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
      Keep(uid, nullptr, Name(subject, ToWall(zones_.With(icalproperty_get_dtstart(start), start), options_.zone).date));
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
      if (out.uid.isEmpty() || (out.uid != k.uid && kept_.count(out.uid)) || !stored_uids.insert(out.uid).second) {
        Skip(k.name, InterchangeTexts::tr("its UID (\"%1\") does not read back the same once written out")
                         .arg(k.uid));
        continue;
      }
      const Revision revision = RevisionOf(out.text);
      out.sequence = revision.sequence;
      out.modified = revision.modified;
      out_.kept.push_back(std::move(out));
    }
  }

 private:
  void Skip(const QString& item, const QString& reason) { out_.skipped.push_back({item, reason}); }

  QString Name(const QString& subject, const QDate& date) const {
    const QString what = subject.isEmpty() ? InterchangeTexts::tr("An event without a subject")
                                           : QLatin1Char('"') + subject + QLatin1Char('"');
    return date.isValid() ? what + InterchangeTexts::tr(" on ") + DateText(date)
                          : what;
  }

  void ReadEvent(icalcomponent* event) {
    const QString subject = FromUtf8(icalcomponent_get_summary(event)).trimmed();
    const QString uid = FromUtf8(icalcomponent_get_uid(event));
    icalproperty* start_property = icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY);
    if (!start_property) {
      Skip(Name(subject, QDate()), InterchangeTexts::tr("it has no start"));
      return;
    }
    const icaltimetype start =
        zones_.With(icalproperty_get_dtstart(start_property), start_property);
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
    // libical drops a repeat rule it cannot parse and leaves a note in its
    // place: the event would come in once, on the series' first date.
    for (icalproperty* p = icalcomponent_get_first_property(event, ICAL_XLICERROR_PROPERTY); p;
         p = icalcomponent_get_next_property(event, ICAL_XLICERROR_PROPERTY)) {
      const QString note = FromUtf8(icalproperty_get_xlicerror(p));
      static const QRegularExpression repeat(QStringLiteral("\\b(RRULE|EXRULE|RDATE|EXDATE)\\b"));
      if (!repeat.match(note).hasMatch()) continue;
      const qsizetype colon = note.lastIndexOf(QLatin1String(": "));
      const QString rule = colon < 0 ? QString() : note.mid(colon + 2).trimmed();
      no_appointment(rule.isEmpty() ? InterchangeTexts::tr("its repeat rule cannot be read")
                                    : InterchangeTexts::tr("its repeat rule cannot be read: \"%1\"").arg(rule.left(60)));
      return;
    }

    // The length: DTEND, else DURATION, else a day for a date and nothing
    // for a time.
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
    const bool own_times = start.is_date && !XText(event, kStartProperty).isNull() &&
                           !XText(event, kEndProperty).isNull();
    if (start.is_date ? length > 24 * 3600 && !own_times : !piece) {
      no_appointment(InterchangeTexts::tr("it spans several days"));
      return;
    }
    Appointment base;
    base.subject = subject;
    base.minutes = QStringLiteral("15");
    base.description = Description(event, name);
    ReadReminder(event, name, &base);
    const QDate day(start.year, start.month, start.day);
    if (own_times) {
      // This program's own all-day form of times that are no clock times.
      Add(uid, day, XText(event, kStartProperty), XText(event, kEndProperty), base);
    } else if (start.is_date) {
      Add(uid, day, QStringLiteral("00:00"), QStringLiteral("24:00"), base);
    } else if (piece->no_length) {
      out_.left_out.append(InterchangeTexts::tr("%1: it has no end; it was given half an hour").arg(name));
      Add(uid, piece->day, TimeText(piece->begin), TimeText(piece->end), base);
    } else {
      Add(uid, piece->day, TimeText(piece->begin), TimeText(piece->end), base);
    }
    if (options_.keep_whole) KeepBeside(event, out_.appointments.back());
  }

  // Whether the event repeats or has occurrences changed on their own.
  bool Repeats(icalcomponent* event, const QString& uid) const {
    return overridden_.count(uid) || icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY) ||
           icalcomponent_get_first_property(event, ICAL_RDATE_PROPERTY);
  }

  // The event kept whole, under a UID made from what it holds when it came
  // without one.
  void KeepWhole(icalcomponent* event, const QString& uid, icaltimetype start, const Wall& first,
                 const QString& name, const QString& subject) {
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

  // The event one appointment was made of, to be kept beside it: not when
  // another event of the file has its UID (which of them would it be?).
  void KeepBeside(icalcomponent* event, EventAppointment& e) {
    icalcomponent* without_uid = nullptr;
    if (e.uid.isEmpty()) {
      char* text = icalcomponent_as_ical_string_r(event);
      e.uid = QStringLiteral("quorvel-import-") + Hex(QString::fromUtf8(text), 24);
      icalmemory_free_buffer(text);
      without_uid = event;
    } else {
      const QByteArray wanted = e.uid.toUtf8();
      int same = 0;
      for (icalcomponent* other = icalcomponent_get_first_component(calendar_, ICAL_VEVENT_COMPONENT); other;
           other = icalcomponent_get_next_component(calendar_, ICAL_VEVENT_COMPONENT)) {
        const char* own = icalcomponent_get_uid(other);
        if (own && wanted == own) ++same;
      }
      if (same != 1) return;
    }
    e.kept = KeptText(calendar_, e.uid, without_uid,
                      [this](const char* tzid) { return zones_.Replacement(tzid); });
  }

  struct Kept {
    QString uid;
    icalcomponent* without_uid = nullptr;
    QString name;
    QString plain_key;
  };

  void Keep(const QString& uid, icalcomponent* without_uid, const QString& name,
            const QString& plain_key = QString()) {
    kept_.insert(uid);
    kept_order_.push_back({uid, without_uid, name, plain_key});
  }

  // How an appointment of the same day, start and subject is known (see
  // KeptEvent::plain_key); empty for a series or an all-day event.
  QString PlainKey(icalcomponent* event, icaltimetype start, const Wall& first, const QString& subject) const {
    if (start.is_date || overridden_.count(FromUtf8(icalcomponent_get_uid(event))) ||
        icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY) ||
        icalcomponent_get_first_property(event, ICAL_RDATE_PROPERTY)) {
      return QString();
    }
    return DayKey(first.date) + QLatin1Char('\t') + TimeText(first.minute) + QLatin1Char('\t') + subject;
  }

  // A timed event is named with its start, as an appointment is.
  static QString TimedName(const QString& name, icaltimetype start, const Wall& first) {
    if (start.is_date) return name;
    return name + InterchangeTexts::tr(" at %1").arg(TimeText(first.minute));
  }

  // Whether the event must be kept whole: Appoint.dat cannot hold it as it
  // is (a series or a changed occurrence, all day or over midnight, no
  // length, a text that does not fit or holds a character the file cannot
  // store, a reminder it cannot say, a location, which it has no field for).
  bool NeedsKeeping(icalcomponent* event, const QString& uid, icaltimetype start, qint64 length,
                    const QString& subject, const QString& name) {
    if (overridden_.count(uid) || icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY) ||
        icalcomponent_get_first_property(event, ICAL_RDATE_PROPERTY) ||
        icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY)) {
      return true;
    }
    if (start.is_date) return XText(event, kStartProperty).isNull() || XText(event, kEndProperty).isNull();
    if (length <= 0) return true;
    const Wall from = ToWall(start, options_.zone);
    const QDateTime end = QDateTime(from.date, QTime(0, 0), QTimeZone::utc()).addSecs(qint64(from.minute) * 60 + length);
    if (end.date() != from.date && end != QDateTime(from.date.addDays(1), QTime(0, 0), QTimeZone::utc())) return true;
    if (!subject.isEmpty() && !FieldProblem(QStringLiteral("x"), subject, kSubjectLimit).isNull()) return true;
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

  icalproperty* FindX(icalcomponent* event, const char* x_name) {
    for (icalproperty* p = icalcomponent_get_first_property(event, ICAL_X_PROPERTY); p;
         p = icalcomponent_get_next_property(event, ICAL_X_PROPERTY)) {
      const char* n = icalproperty_get_x_name(p);
      if (n && qstricmp(n, x_name) == 0) return p;
    }
    return nullptr;
  }

  static QString XValue(icalproperty* p) {
    const char* text = icalproperty_get_x(p);
    return QUrl::fromPercentEncoding(text ? QByteArray(text) : QByteArray(""));
  }

  QString XText(icalcomponent* event, const char* x_name) {
    icalproperty* p = FindX(event, x_name);
    return p ? XValue(p) : QString();
  }

  // DESCRIPTION with line breaks as stored (CR LF), LOCATION added as a last
  // line; what does not fit is left out and reported.
  QString Description(icalcomponent* event, const QString& name) {
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
      out_.left_out.append(InterchangeTexts::tr("%1: its location \"%2\" (it does not fit beside the description)")
                               .arg(name, location.left(40)));
    }
    if (QString problem = FieldProblem(InterchangeTexts::tr("its description"), description, kDescriptionBoxLimit);
        !problem.isNull()) {
      out_.left_out.append(InterchangeTexts::tr("%1: its description (%2)").arg(name, problem));
      return QString();
    }
    return description;
  }

  void ReadReminder(icalcomponent* event, const QString& name, Appointment* a) {
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
        out_.left_out.append(InterchangeTexts::tr("%1: its reminder (only a whole number of minutes up "
                                            "to 9999 before the start can be kept)")
                                 .arg(name));
        return;
      }
      a->reminder = true;
      a->minutes = QString::number(before / 60);
      return;
    }
  }

  // A timed event as the stretch of one day it takes: nothing when it
  // reaches into the next day (an end at midnight is that day's 24:00).
  // One without length gets half an hour, within its day.
  struct Piece {
    QDate day;
    int begin = 0;
    int end = 0;
    bool no_length = false;
  };
  std::optional<Piece> OnePiece(icaltimetype start, qint64 length) const {
    const Wall from = ToWall(start, options_.zone);
    QDateTime end;
    if (icaltime_is_utc(start) || start.zone) {
      const time_t secs = icaltime_as_timet_with_zone(
          start, start.zone ? start.zone : icaltimezone_get_utc_timezone());
      end = QDateTime::fromSecsSinceEpoch(static_cast<qint64>(secs) + length, options_.zone);
    } else {
      end = QDateTime(from.date, QTime(0, 0), QTimeZone::utc()).addSecs(qint64(from.minute) * 60 + length);
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

  void Add(const QString& uid, const QDate& date, const QString& start, const QString& end,
           const Appointment& base) {
    EventAppointment e;
    e.date = date;
    e.uid = uid;
    e.appointment = base;
    e.appointment.start = start;
    e.appointment.end = end;
    out_.appointments.push_back(std::move(e));
  }

  icalcomponent* calendar_;
  const EventOptions& options_;
  EventReading& out_;
  Zones zones_;
  std::map<QString, std::set<QString>> overridden_;
  std::set<QString> kept_;
  std::vector<Kept> kept_order_;
};

QString NotCalendar(const QString& why) {
  return InterchangeTexts::tr("It is not a valid iCalendar file: %1").arg(why);
}

// A content line as the user may recognise it in the file.
QString Quoted(const QByteArray& line) {
  QString text = QString::fromUtf8(line.left(60)).trimmed();
  if (line.size() > 60) text += QStringLiteral("…");
  return QLatin1Char('"') + text + QLatin1Char('"');
}

// Why bytes are not an iCalendar file to read, or a null string.
QString ShapeProblem(const QByteArray& bytes) {
  if (bytes.contains('\0')) return InterchangeTexts::tr("It is not an iCalendar file: it holds binary data.");
  const QList<QByteArray> lines = bytes.split('\n');
  for (qsizetype i = 0; i < lines.size(); ++i) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    const QString decoded = utf8.decode(lines[i]);
    Q_UNUSED(decoded);
    if (utf8.hasError()) {
      return NotCalendar(InterchangeTexts::tr("line %1 holds bytes that are not UTF-8 text (iCalendar "
                                                     "files are UTF-8; this one may have been saved in another character set).")
                             .arg(i + 1));
    }
  }
  const QByteArray text = bytes.trimmed();
  if (!text.toUpper().startsWith("BEGIN:VCALENDAR")) {
    return InterchangeTexts::tr("It is not an iCalendar file: it does not begin with BEGIN:VCALENDAR.");
  }
  const qsizetype last_line = std::max(text.lastIndexOf('\n'), text.lastIndexOf('\r'));
  if (text.mid(last_line + 1).trimmed().toUpper() != "END:VCALENDAR") {
    return InterchangeTexts::tr("It is not a complete iCalendar file: it does not end with END:VCALENDAR "
        "(it may have been cut short).");
  }
  return QString();
}

// Why the content lines of a file that passed ShapeProblem are not
// iCalendar, naming the line; a null string when they are. Every line is a
// name, parameters and a colon before the value; BEGIN and END pair up.
QString StructureProblem(const QByteArray& bytes) {
  struct Open {
    QByteArray name;
    int line;
  };
  std::vector<Open> open;
  QString problem;
  auto check = [&](const QByteArray& line, int number) {
    if (!problem.isNull() || line.trimmed().isEmpty()) return;
    qsizetype colon = -1;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size() && colon < 0; ++i) {
      if (line[i] == '"') quoted = !quoted;
      if (line[i] == ':' && !quoted) colon = i;
    }
    if (colon < 0) {
      problem = NotCalendar(InterchangeTexts::tr("line %1 is malformed: it has no colon after its name (%2).")
                                .arg(number)
                                .arg(Quoted(line)));
      return;
    }
    qsizetype end = 0;
    while (end < colon && line[end] != ';') ++end;
    const QByteArray name = line.left(end).trimmed().toUpper();
    bool named = !name.isEmpty();
    for (const char c : name) {
      if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '-')) named = false;
    }
    if (!named) {
      problem = NotCalendar(InterchangeTexts::tr("line %1 is malformed: it does not begin with a name (%2).")
                                .arg(number)
                                .arg(Quoted(line)));
      return;
    }
    const QByteArray value = line.mid(colon + 1).trimmed().toUpper();
    if (name == "BEGIN") {
      open.push_back({value, number});
    } else if (name == "END") {
      const bool began = std::any_of(open.begin(), open.end(), [&](const Open& o) { return o.name == value; });
      if (!began) {
        problem = NotCalendar(InterchangeTexts::tr("line %1 ends %2, which never began.")
                                  .arg(number)
                                  .arg(QString::fromUtf8(value)));
      } else if (open.back().name != value) {
        problem = NotCalendar(InterchangeTexts::tr("line %1 ends %2, but the %3 that begins at line %4 "
                                                          "has not ended.")
                                  .arg(number)
                                  .arg(QString::fromUtf8(value), QString::fromUtf8(open.back().name))
                                  .arg(open.back().line));
      } else {
        open.pop_back();
      }
    } else if (open.empty()) {
      problem = NotCalendar(InterchangeTexts::tr("line %1 stands outside the calendar (%2).")
                                .arg(number)
                                .arg(Quoted(line)));
    }
  };
  QByteArray current;
  int current_number = 0;
  int number = 0;
  for (QByteArray physical : bytes.split('\n')) {
    ++number;
    if (physical.endsWith('\r')) physical.chop(1);
    if (!physical.isEmpty() && (physical[0] == ' ' || physical[0] == '\t') && current_number > 0) {
      current += physical.mid(1);
      continue;
    }
    check(current, current_number);
    current = physical;
    current_number = number;
  }
  check(current, current_number);
  if (problem.isNull() && !open.empty()) {
    problem = NotCalendar(InterchangeTexts::tr("the %1 that begins at line %2 never ends.")
                              .arg(QString::fromUtf8(open.back().name))
                              .arg(open.back().line));
  }
  return problem;
}

// What the reader does not take, counted by kind: to-dos, journal entries,
// free/busy blocks and anything else that is no event or time zone. Journal
// entries are named rather than made notes: a note has no date and nothing
// that identifies it, so a second import of the file could not tell that
// they came in already, and no export takes them back to their program.
void CountOthers(icalcomponent* calendar, std::map<QString, int>* others) {
  for (icalcomponent* c = icalcomponent_get_first_component(calendar, ICAL_ANY_COMPONENT); c;
       c = icalcomponent_get_next_component(calendar, ICAL_ANY_COMPONENT)) {
    const icalcomponent_kind kind = icalcomponent_isa(c);
    if (kind == ICAL_VEVENT_COMPONENT || kind == ICAL_VTIMEZONE_COMPONENT) continue;
    const char* name = icalcomponent_kind_to_string(kind);
    ++(*others)[QString::fromLatin1(name ? name : "X-").toUpper()];
  }
}

QString Counted(int n, const char* one, const char* many) {
  return InterchangeTexts::tr(n == 1 ? one : many).arg(n);
}

// The file's sentences about what was not taken and how its zones were read.
QStringList Notes(const std::map<QString, int>& others, const Zones::Report& zones) {
  QStringList notes;
  QStringList what;
  QStringList lacks;
  int count = 0;
  // To-dos first, then journal entries, free/busy blocks and the rest.
  std::vector<std::pair<QString, int>> kinds(others.begin(), others.end());
  auto rank = [](const QString& name) {
    static const QStringList order = {QStringLiteral("VTODO"), QStringLiteral("VJOURNAL"), QStringLiteral("VFREEBUSY")};
    const qsizetype at = order.indexOf(name);
    return at < 0 ? order.size() : at;
  };
  std::stable_sort(kinds.begin(), kinds.end(), [&](const auto& a, const auto& b) { return rank(a.first) < rank(b.first); });
  for (const auto& [name, n] : kinds) {
    count += n;
    if (name == QLatin1String("VTODO")) {
      what.append(Counted(n, QT_TRANSLATE_NOOP("Interchange", "%1 to-do"), QT_TRANSLATE_NOOP("Interchange", "%1 to-dos")));
      lacks.append(InterchangeTexts::tr("no to-do list"));
    } else if (name == QLatin1String("VJOURNAL")) {
      what.append(Counted(n, QT_TRANSLATE_NOOP("Interchange", "%1 journal entry"), QT_TRANSLATE_NOOP("Interchange", "%1 journal entries")));
      lacks.append(InterchangeTexts::tr("no journal"));
    } else if (name == QLatin1String("VFREEBUSY")) {
      what.append(Counted(n, QT_TRANSLATE_NOOP("Interchange", "%1 free/busy block"), QT_TRANSLATE_NOOP("Interchange", "%1 free/busy blocks")));
      lacks.append(InterchangeTexts::tr("no free/busy times"));
    } else {
      what.append(QStringLiteral("%1 %2").arg(n).arg(name));
    }
  }
  if (!what.isEmpty()) {
    const QString and_ = InterchangeTexts::tr(" and ");
    const QString items = what.size() == 1 ? what[0] : what.mid(0, what.size() - 1).join(QStringLiteral(", ")) + and_ + what.last();
    QString lack = lacks.isEmpty() ? QString() : lacks.size() == 1 ? lacks[0] : lacks.mid(0, lacks.size() - 1).join(QStringLiteral(", ")) + and_ + lacks.last();
    if (lacks.size() < static_cast<qsizetype>(others.size())) {
      lack = lacks.isEmpty() ? InterchangeTexts::tr("Quorvel keeps only appointments")
                             : InterchangeTexts::tr("Quorvel has %1, and keeps only appointments").arg(lack);
    } else {
      lack = InterchangeTexts::tr("Quorvel has %1").arg(lack);
    }
    notes.append((count == 1 ? InterchangeTexts::tr("%1 was not imported: %2.")
                             : InterchangeTexts::tr("%1 were not imported: %2."))
                     .arg(items, lack));
  }
  for (const QString& zone : zones.overruled) {
    notes.append(InterchangeTexts::tr("The file's own definition of the time zone %1 contradicts the "
                                             "time zone database; its times were read as the database has %1.")
                     .arg(zone));
  }
  for (const auto& [zone, n] : zones.unknown) {
    notes.append(Counted(n, QT_TRANSLATE_NOOP("Interchange", "The time zone \"%2\" is not known: the times of %1 event "
                                                             "that uses it were read as local times."),
                         QT_TRANSLATE_NOOP("Interchange", "The time zone \"%2\" is not known: the times of %1 events "
                                                          "that use it were read as local times."))
                     .arg(zone));
  }
  return notes;
}

}  // namespace

EventReading ReadEvents(const QByteArray& input, const EventOptions& options) {
  InitLibical();
  EventReading out;
  QByteArray bytes = input;
  if (bytes.startsWith("\xEF\xBB\xBF")) bytes.remove(0, 3);
  out.error = ShapeProblem(bytes);
  if (out.error.isNull()) out.error = StructureProblem(bytes);
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
  std::vector<Component> parsed;
  for (const QByteArray& text : calendars) {
    if (QString problem = ShapeProblem(text); !problem.isNull()) {
      out.error = problem;
      return out;
    }
    Component calendar(icalparser_parse_string(text.constData()));
    if (!calendar || icalcomponent_isa(calendar.get()) != ICAL_VCALENDAR_COMPONENT) {
      out.error = NotCalendar(InterchangeTexts::tr("its calendar cannot be read."));
      return out;
    }
    parsed.push_back(std::move(calendar));
  }
  Zones::Report zones;
  std::map<QString, int> others;
  for (Component& calendar : parsed) {
    EventReader(calendar.get(), options, zones, out).ReadAll();
    CountOthers(calendar.get(), &others);
  }
  out.notes = Notes(others, zones);
  return out;
}

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
    for (int r = repeat; uid.isEmpty() || (given.isEmpty() && given_uids.contains(uid)); ++r) uid = AppointmentUid(a, r);
    icalcomponent* event = AppointmentComponent(a, uid, stamp);
    if (!event) {
      out.problems.append(InterchangeTexts::tr("The appointment \"%1\" has no date (its ID is \"%2\").")
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
    icalcomponent_add_property(event, icalproperty_new_uid(BirthdayUid(entry.Key()).toUtf8().constData()));
    icalcomponent_add_property(event, icalproperty_new_dtstamp(StampValue(stamp)));
    icalcomponent_add_property(event, icalproperty_new_dtstart(DateValue(born)));
    icalcomponent_add_property(event, icalproperty_new_dtend(DateValue(born.addDays(1))));
    icalrecurrencetype yearly;
    icalrecurrencetype_clear(&yearly);
    yearly.freq = ICAL_YEARLY_RECURRENCE;
    icalcomponent_add_property(event, icalproperty_new_rrule(yearly));
    icalcomponent_add_property(event, icalproperty_new_summary(
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
  icalcomponent* event =
      AppointmentComponent(appointment, uid, stamp, calendar.get(), zone.isValid() ? &zone : nullptr);
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
