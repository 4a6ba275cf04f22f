#include "events/occurrences.h"

#include <libical/ical.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <utility>

#include <QCoreApplication>

#include "events/event_file.h"

namespace quorvel::events {
namespace {

class EventTexts {
  Q_DECLARE_TR_FUNCTIONS(Events)
};

// Enough for a daily series over centuries; a rule that steps more often
// than that (every minute, every second) is not followed to the end.
constexpr int kMostSteps = 200000;

struct CalendarDeleter {
  void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};
using Calendar = std::unique_ptr<icalcomponent, CalendarDeleter>;

QString Text(const char* text) { return text ? QString::fromUtf8(text) : QString(); }

// The calendars' own zones, made once for each text of them and kept by
// it: working out a VTIMEZONE's changes over the years costs many times
// more than reading and expanding an event, and most events name one of a
// few zones. Kept for the thread (libical's zones are not shared between
// threads); emptied, when it holds many, only between two expansions.
class KeptZones {
 public:
  KeptZones() = default;
  KeptZones(const KeptZones&) = delete;
  KeptZones& operator=(const KeptZones&) = delete;
  ~KeptZones() { Clear(); }

  void Clear() {
    for (auto& [text, zone] : zones_) icaltimezone_free(zone, 1);
    zones_.clear();
  }
  void ClearWhenFull() {
    constexpr std::size_t kMostZones = 64;
    if (zones_.size() >= kMostZones) Clear();
  }
  // The kept zone of `vtimezone`'s text, made when it is new; null when
  // libical cannot make one of it.
  icaltimezone* For(icalcomponent* vtimezone) {
    char* own = icalcomponent_as_ical_string_r(vtimezone);
    if (!own) return nullptr;
    const QByteArray text(own);
    icalmemory_free_buffer(own);
    const auto it = zones_.find(text);
    if (it != zones_.end()) return it->second;
    icaltimezone* zone = icaltimezone_new();
    if (!zone) return nullptr;
    if (!icaltimezone_set_component(zone, icalcomponent_new_clone(vtimezone))) {
      icaltimezone_free(zone, 1);
      return nullptr;
    }
    zones_.emplace(text, zone);
    return zone;
  }

 private:
  std::map<QByteArray, icaltimezone*> zones_;
};

KeptZones& Zones() {
  thread_local KeptZones zones;
  return zones;
}

// The zone a property's TZID names: the calendar's own VTIMEZONE (as kept
// for its text), else the zone libical knows by that name.
icaltimezone* ZoneOf(icalproperty* property, icalcomponent* calendar) {
  icalparameter* tzid = icalproperty_get_first_parameter(property, ICAL_TZID_PARAMETER);
  const char* name = tzid ? icalparameter_get_tzid(tzid) : nullptr;
  if (!name) return nullptr;
  if (icaltimezone* zone = icalcomponent_get_timezone(calendar, name)) {
    icalcomponent* vtimezone = icaltimezone_get_component(zone);
    icaltimezone* kept = vtimezone ? Zones().For(vtimezone) : nullptr;
    return kept ? kept : zone;
  }
  return icaltimezone_get_builtin_timezone(name);
}

// libical may have set the zone already, as the calendar's own: the kept
// one of the same text takes its place.
icaltimetype WithZone(icaltimetype t, icalproperty* property, icalcomponent* calendar) {
  if (t.is_date || icaltime_is_utc(t)) return t;
  if (icaltimezone* zone = ZoneOf(property, calendar)) t.zone = zone;
  return t;
}

bool Anchored(const icaltimetype& t) { return icaltime_is_utc(t) || t.zone != nullptr; }

qint64 Seconds(const icaltimetype& t) {
  return qint64(icaltime_as_timet_with_zone(t, t.zone ? t.zone : icaltimezone_get_utc_timezone()));
}

// `t` as the viewer's clock shows it: an anchored time converted, a
// floating time and a date as they read.
QDateTime Shown(const icaltimetype& t, const QTimeZone& zone) {
  const QDate day(t.year, t.month, t.day);
  if (t.is_date) return QDateTime(day, QTime(0, 0), zone);
  if (Anchored(t)) return QDateTime::fromSecsSinceEpoch(Seconds(t), zone);
  return QDateTime(day, QTime(t.hour, t.minute, t.second), zone);
}

// Which occurrence `t` is, as RECURRENCE-ID and EXDATE name it.
QString InstanceOf(const icaltimetype& t) {
  if (t.is_date) return QString::asprintf("%04d%02d%02d", t.year, t.month, t.day);
  if (Anchored(t)) {
    return QDateTime::fromSecsSinceEpoch(Seconds(t), QTimeZone::utc())
        .toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
  }
  return QString::asprintf("%04d%02d%02dT%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute,
                           t.second);
}
QString DayOf(const icaltimetype& t) {
  return QString::asprintf("%04d%02d%02d", t.year, t.month, t.day);
}

int AlarmMinutes(icalcomponent* event) {
  for (icalcomponent* a = icalcomponent_get_first_component(event, ICAL_VALARM_COMPONENT); a;
       a = icalcomponent_get_next_component(event, ICAL_VALARM_COMPONENT)) {
    icalproperty* p = icalcomponent_get_first_property(a, ICAL_TRIGGER_PROPERTY);
    if (!p) continue;
    icalparameter* related = icalproperty_get_first_parameter(p, ICAL_RELATED_PARAMETER);
    if (related && icalparameter_get_related(related) == ICAL_RELATED_END) continue;
    const icaltriggertype trigger = icalproperty_get_trigger(p);
    if (!icaltime_is_null_time(trigger.time)) continue;
    const int seconds = icaldurationtype_as_int(trigger.duration);
    return std::max(0, -seconds) / 60;
  }
  return -1;
}

// What one VEVENT says of its occurrences' shape.
struct Shape {
  icaltimetype start{};
  qint64 seconds = 0;  // timed: the length
  int days = 1;        // all day: how many days
  Occurrence base;     // texts and alarm
};

Shape ShapeOf(icalcomponent* event, icalcomponent* calendar) {
  Shape shape;
  icalproperty* start = icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY);
  shape.start = WithZone(icalproperty_get_dtstart(start), start, calendar);
  icaltimetype end = icaltime_null_time();
  if (icalproperty* p = icalcomponent_get_first_property(event, ICAL_DTEND_PROPERTY)) {
    end = WithZone(icalproperty_get_dtend(p), p, calendar);
  }
  if (shape.start.is_date) {
    if (!icaltime_is_null_time(end) && end.is_date) {
      shape.days = std::max(1, int(QDate(shape.start.year, shape.start.month, shape.start.day)
                                       .daysTo(QDate(end.year, end.month, end.day))));
    } else if (icalproperty* d = icalcomponent_get_first_property(event, ICAL_DURATION_PROPERTY)) {
      shape.days = std::max(1, icaldurationtype_as_int(icalproperty_get_duration(d)) / 86400);
    }
  } else if (!icaltime_is_null_time(end)) {
    if (!Anchored(end) && Anchored(shape.start)) end.zone = shape.start.zone;
    shape.seconds = std::max<qint64>(
        0, Anchored(shape.start) || Anchored(end)
               ? Seconds(end) - Seconds(shape.start)
               : qint64(icaltime_as_timet(end)) - qint64(icaltime_as_timet(shape.start)));
  } else if (icalproperty* d = icalcomponent_get_first_property(event, ICAL_DURATION_PROPERTY)) {
    shape.seconds = std::max(0, icaldurationtype_as_int(icalproperty_get_duration(d)));
  }
  shape.base.uid = Text(icalcomponent_get_uid(event));
  shape.base.summary = Text(icalcomponent_get_summary(event));
  shape.base.description = Text(icalcomponent_get_description(event));
  shape.base.location = Text(icalcomponent_get_location(event));
  shape.base.alarm_minutes = AlarmMinutes(event);
  shape.base.all_day = shape.start.is_date;
  return shape;
}

Occurrence Place(const Shape& shape, const icaltimetype& at, const QTimeZone& zone) {
  Occurrence o = shape.base;
  o.start = Shown(at, zone);
  if (at.is_date) {
    o.end = QDateTime(o.start.date().addDays(shape.days), QTime(0, 0), zone);
  } else if (Anchored(at)) {
    o.end = QDateTime::fromSecsSinceEpoch(Seconds(at) + shape.seconds, zone);
  } else {
    o.end = o.start.addSecs(shape.seconds);
  }
  return o;
}

bool Touches(const Occurrence& o, QDate from, QDate to) {
  return o.first_day() <= to && o.last_day() >= from;
}

bool Cancelled(icalcomponent* event) {
  icalproperty* p = icalcomponent_get_first_property(event, ICAL_STATUS_PROPERTY);
  return p && icalproperty_get_status(p) == ICAL_STATUS_CANCELLED;
}

}  // namespace

QDate Occurrence::last_day() const {
  if (end <= start) return start.date();
  const QDateTime last = end.addSecs(-1);
  return last.date();
}

Expansion OccurrencesBetween(const QByteArray& text, QDate from, QDate to, const QTimeZone& zone) {
  Expansion out;
  Zones().ClearWhenFull();
  Calendar calendar(icalparser_parse_string(text.constData()));
  if (!calendar) {
    out.problem = EventTexts::tr("its text cannot be read");
    return out;
  }
  icalcomponent* master = nullptr;
  std::vector<icalcomponent*> changes;
  for (icalcomponent* e = icalcomponent_get_first_component(calendar.get(), ICAL_VEVENT_COMPONENT);
       e; e = icalcomponent_get_next_component(calendar.get(), ICAL_VEVENT_COMPONENT)) {
    if (!icalcomponent_get_first_property(e, ICAL_DTSTART_PROPERTY)) continue;
    if (icalcomponent_get_first_property(e, ICAL_RECURRENCEID_PROPERTY)) {
      changes.push_back(e);
    } else if (!master) {
      master = e;
    }
  }
  // A cancelled event (a whole series with it) is kept as it came, but
  // takes no time.
  if (master && Cancelled(master)) return out;
  for (icalcomponent* e : changes)
    out.longest_alarm_minutes = std::max(out.longest_alarm_minutes, AlarmMinutes(e));
  if (master) out.longest_alarm_minutes = std::max(out.longest_alarm_minutes, AlarmMinutes(master));
  // The occurrences changed on their own, by the occurrence they replace.
  std::set<QString> replaced;
  for (icalcomponent* e : changes) {
    icalproperty* rid = icalcomponent_get_first_property(e, ICAL_RECURRENCEID_PROPERTY);
    const icaltimetype t = WithZone(icalproperty_get_recurrenceid(rid), rid, calendar.get());
    replaced.insert(InstanceOf(t));
    replaced.insert(DayOf(t));
    if (Cancelled(e)) continue;
    const Shape shape = ShapeOf(e, calendar.get());
    Occurrence o = Place(shape, shape.start, zone);
    o.instance = InstanceOf(t);
    o.repeats = true;
    o.changed = true;
    if (Touches(o, from, to)) out.occurrences.push_back(o);
  }
  if (master) {
    const Shape shape = ShapeOf(master, calendar.get());
    const bool series = icalcomponent_get_first_property(master, ICAL_RRULE_PROPERTY) ||
                        icalcomponent_get_first_property(master, ICAL_RDATE_PROPERTY);
    std::set<QString> left_out;
    for (icalproperty* p = icalcomponent_get_first_property(master, ICAL_EXDATE_PROPERTY); p;
         p = icalcomponent_get_next_property(master, ICAL_EXDATE_PROPERTY)) {
      const icaltimetype t = WithZone(icalproperty_get_exdate(p), p, calendar.get());
      left_out.insert(t.is_date ? DayOf(t) : InstanceOf(t));
    }
    std::map<QString, Occurrence> found;  // by instance: an RDATE may repeat a rule's
    // How many days an occurrence reaches past the day it starts on, and
    // one more for a zone that shows it a day later.
    const int reach = (shape.start.is_date ? shape.days : int(shape.seconds / 86400) + 1) + 1;
    auto consider = [&](icaltimetype t) {
      // Long before the window: not placed (placing asks the zone, which is slow).
      if (QDate(t.year, t.month, t.day).addDays(reach) < from) return;
      t.is_date = shape.start.is_date;
      if (t.is_date) t.hour = t.minute = t.second = 0;
      if (!Anchored(t) && Anchored(shape.start) && !icaltime_is_utc(shape.start))
        t.zone = shape.start.zone;
      const QString instance = InstanceOf(t);
      if (left_out.count(instance) || left_out.count(DayOf(t)) || replaced.count(instance) ||
          (t.is_date && replaced.count(DayOf(t)))) {
        return;
      }
      Occurrence o = Place(shape, t, zone);
      o.instance = series ? instance : QString();
      o.repeats = series;
      if (Touches(o, from, to)) found.emplace(instance, std::move(o));
    };
    // A rule is followed until its occurrences start after the window (a
    // zone moves a day by one at most; a long event reaches back).
    const QDate stop = to.addDays(2);
    int steps = 0;
    for (icalproperty* p = icalcomponent_get_first_property(master, ICAL_RRULE_PROPERTY); p;
         p = icalcomponent_get_next_property(master, ICAL_RRULE_PROPERTY)) {
      const icalrecurrencetype rule = icalproperty_get_rrule(p);
      icalrecur_iterator* it =
          rule.freq == ICAL_NO_RECURRENCE ? nullptr : icalrecur_iterator_new(rule, shape.start);
      if (!it) {
        out.problem = EventTexts::tr("its repeat rule cannot be read");
        continue;
      }
      for (icaltimetype t = icalrecur_iterator_next(it); !icaltime_is_null_time(t);
           t = icalrecur_iterator_next(it)) {
        if (QDate(t.year, t.month, t.day) > stop) break;
        if (++steps > kMostSteps) {
          out.problem = EventTexts::tr("it repeats too often to be shown");
          break;
        }
        consider(t);
      }
      icalrecur_iterator_free(it);
    }
    for (icalproperty* p = icalcomponent_get_first_property(master, ICAL_RDATE_PROPERTY); p;
         p = icalcomponent_get_next_property(master, ICAL_RDATE_PROPERTY)) {
      const icaldatetimeperiodtype rdate = icalproperty_get_rdate(p);
      const icaltimetype t = icaltime_is_null_time(rdate.time) ? rdate.period.start : rdate.time;
      if (!icaltime_is_null_time(t)) consider(WithZone(t, p, calendar.get()));
    }
    // The start is the first occurrence, whether or not a rule gives it.
    consider(shape.start);
    for (auto& [instance, o] : found) out.occurrences.push_back(std::move(o));
  }
  std::stable_sort(out.occurrences.begin(), out.occurrences.end(),
                   [](const Occurrence& a, const Occurrence& b) { return a.start < b.start; });
  return out;
}

std::optional<Occurrence> NearestOccurrence(const QByteArray& text, QDate today,
                                            const QTimeZone& zone) {
  // Most events have an occurrence in the coming year; else the next
  // hundred years; else the past, whose occurrences are all placed.
  for (const auto& [from, to] : {std::pair{today, today.addYears(1)},
                                 std::pair{today.addYears(1).addDays(1), today.addYears(100)}}) {
    for (const Occurrence& o : OccurrencesBetween(text, from, to, zone).occurrences) {
      if (o.last_day() >= today) return o;
    }
  }
  const std::vector<Occurrence> past =
      OccurrencesBetween(text, QDate(1, 1, 1), today.addDays(-1), zone).occurrences;
  if (past.empty()) return std::nullopt;
  // The latest start (they are by start).
  return past.back();
}

QStringList WordsOf(const QByteArray& text) {
  QStringList words;
  Calendar calendar(icalparser_parse_string(text.constData()));
  if (!calendar) return words;
  for (icalcomponent* e = icalcomponent_get_first_component(calendar.get(), ICAL_VEVENT_COMPONENT);
       e; e = icalcomponent_get_next_component(calendar.get(), ICAL_VEVENT_COMPONENT)) {
    for (const char* said : {icalcomponent_get_summary(e), icalcomponent_get_description(e),
                             icalcomponent_get_location(e)}) {
      if (said && *said) words.append(QString::fromUtf8(said));
    }
  }
  return words;
}

std::vector<Occurrence> ReadOccurrences(const store::DataFiles& files, QDate from, QDate to,
                                        const QTimeZone& zone, QStringList* problems) {
  std::vector<Occurrence> all;
  for (const StoredEvent& event : ReadEvents(files).events) {
    Expansion e = OccurrencesBetween(event.text, from, to, zone);
    if (!e.problem.isNull() && problems) *problems << event.uid + QStringLiteral(": ") + e.problem;
    std::move(e.occurrences.begin(), e.occurrences.end(), std::back_inserter(all));
  }
  std::stable_sort(all.begin(), all.end(),
                   [](const Occurrence& a, const Occurrence& b) { return a.start < b.start; });
  return all;
}

}  // namespace quorvel::events
