#include "interchange/kept_events.h"

#include <algorithm>
#include <memory>
#include <set>
#include <vector>

#include <QTimeZone>

namespace quorvel::interchange {
namespace {

struct Free {
  void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};
using Owned = std::unique_ptr<icalcomponent, Free>;

QByteArray Serialised(icalcomponent* c) {
  char* text = icalcomponent_as_ical_string_r(c);
  QByteArray bytes(text ? text : "");
  icalmemory_free_buffer(text);
  return bytes;
}

// Every TZID named inside `c`, its alarms included.
void CollectTzids(icalcomponent* c, std::vector<QByteArray>* out) {
  for (icalproperty* p = icalcomponent_get_first_property(c, ICAL_ANY_PROPERTY); p;
       p = icalcomponent_get_next_property(c, ICAL_ANY_PROPERTY)) {
    icalparameter* tzid = icalproperty_get_first_parameter(p, ICAL_TZID_PARAMETER);
    const char* name = tzid ? icalparameter_get_tzid(tzid) : nullptr;
    if (!name) continue;
    const QByteArray n(name);
    if (std::find(out->begin(), out->end(), n) == out->end()) out->push_back(n);
  }
  for (icalcomponent* sub = icalcomponent_get_first_component(c, ICAL_ANY_COMPONENT); sub;
       sub = icalcomponent_get_next_component(c, ICAL_ANY_COMPONENT)) {
    CollectTzids(sub, out);
  }
}

// A copy of `zone`'s definition under the TZID `name`, from the year
// before `from_year` on: the zone's older history is of no use to the
// event, and stricter readers stumble on parts of it.
icalcomponent* DefinitionNamed(icaltimezone* zone, const char* name, int from_year) {
  icalcomponent* own = icaltimezone_get_component(zone);
  if (!own) return nullptr;
  icalcomponent* copy = icalcomponent_new_clone(own);
  icaltimetype from = icaltime_null_time();
  from.year = from_year - 1;
  from.month = 1;
  from.day = 1;
  from.zone = icaltimezone_get_utc_timezone();
  icaltimezone_truncate_vtimezone(copy, from, icaltime_null_time(), 0);
  if (icalproperty* tzid = icalcomponent_get_first_property(copy, ICAL_TZID_PROPERTY)) {
    icalproperty_set_tzid(tzid, name);
  } else {
    icalcomponent_add_property(copy, icalproperty_new_tzid(name));
  }
  return copy;
}

icalcomponent* Master(icalcomponent* calendar) {
  icalcomponent* first = nullptr;
  for (icalcomponent* e = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT); e;
       e = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT)) {
    if (!icalcomponent_get_first_property(e, ICAL_RECURRENCEID_PROPERTY)) return e;
    if (!first) first = e;
  }
  return first;
}

}  // namespace

QByteArray KeptText(icalcomponent* calendar, const QString& uid, icalcomponent* without_uid,
                    const std::function<icaltimezone*(const char*)>& replacement) {
  Owned out(icalcomponent_new_vcalendar());
  for (icalproperty_kind kind :
       {ICAL_VERSION_PROPERTY, ICAL_PRODID_PROPERTY, ICAL_CALSCALE_PROPERTY}) {
    if (icalproperty* p = icalcomponent_get_first_property(calendar, kind)) {
      icalcomponent_add_property(out.get(), icalproperty_new_clone(p));
    }
  }
  if (!icalcomponent_get_first_property(out.get(), ICAL_VERSION_PROPERTY)) {
    icalcomponent_add_property(out.get(), icalproperty_new_version("2.0"));
  }
  if (!icalcomponent_get_first_property(out.get(), ICAL_PRODID_PROPERTY)) {
    icalcomponent_add_property(out.get(), icalproperty_new_prodid("-//Quorvel//Quorvel 1.0//EN"));
  }
  const QByteArray wanted = uid.toUtf8();
  std::vector<icalcomponent*> events;
  for (icalcomponent* e = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT); e;
       e = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT)) {
    const char* own = icalcomponent_get_uid(e);
    if (e == without_uid || (own && wanted == own)) {
      icalcomponent* copy = icalcomponent_new_clone(e);
      if (e == without_uid) {
        // An empty UID line counts as none.
        while (icalproperty* empty = icalcomponent_get_first_property(copy, ICAL_UID_PROPERTY)) {
          icalcomponent_remove_property(copy, empty);
          icalproperty_free(empty);
        }
        icalcomponent_add_property(copy, icalproperty_new_uid(wanted.constData()));
      }
      // libical's notes about lines it could not read are not the event's.
      icalcomponent_strip_errors(copy);
      events.push_back(copy);
    }
  }
  std::vector<QByteArray> tzids;
  int first_year = 9999;
  for (icalcomponent* e : events) {
    CollectTzids(e, &tzids);
    const icaltimetype start = icalcomponent_get_dtstart(e);
    if (!icaltime_is_null_time(start)) first_year = std::min(first_year, start.year);
  }
  for (const QByteArray& tzid : tzids) {
    icalcomponent* definition = nullptr;
    if (icaltimezone* zone = replacement(tzid.constData())) {
      definition = DefinitionNamed(zone, tzid.constData(), first_year);
    } else if (icaltimezone* own = icalcomponent_get_timezone(calendar, tzid.constData())) {
      if (icalcomponent* c = icaltimezone_get_component(own))
        definition = icalcomponent_new_clone(c);
    }
    if (definition) {
      icalcomponent_strip_errors(definition);
      icalcomponent_add_component(out.get(), definition);
    }
  }
  for (icalcomponent* e : events) icalcomponent_add_component(out.get(), e);
  return Serialised(out.get());
}

bool Revision::NewerThan(const Revision& other) const {
  if (sequence != other.sequence) return sequence > other.sequence;
  return modified.isValid() && (!other.modified.isValid() || modified > other.modified);
}

Revision RevisionOf(const QByteArray& text) {
  Revision r;
  Owned calendar(icalparser_parse_string(text.constData()));
  if (!calendar) return r;
  icalcomponent* master = Master(calendar.get());
  if (!master) return r;
  if (icalproperty* p = icalcomponent_get_first_property(master, ICAL_SEQUENCE_PROPERTY)) {
    r.sequence = icalproperty_get_sequence(p);
  }
  if (icalproperty* p = icalcomponent_get_first_property(master, ICAL_LASTMODIFIED_PROPERTY)) {
    const icaltimetype t = icalproperty_get_lastmodified(p);
    if (!icaltime_is_null_time(t)) {
      r.modified = QDateTime::fromSecsSinceEpoch(
          qint64(icaltime_as_timet_with_zone(t, icaltimezone_get_utc_timezone())),
          QTimeZone::utc());
    }
  }
  return r;
}

int AddKept(icalcomponent* calendar, const QByteArray& text) {
  Owned kept(icalparser_parse_string(text.constData()));
  if (!kept) return 0;
  std::set<QByteArray> present;
  for (icalcomponent* z = icalcomponent_get_first_component(calendar, ICAL_VTIMEZONE_COMPONENT); z;
       z = icalcomponent_get_next_component(calendar, ICAL_VTIMEZONE_COMPONENT)) {
    if (icalproperty* p = icalcomponent_get_first_property(z, ICAL_TZID_PROPERTY))
      present.insert(icalproperty_get_tzid(p));
  }
  int events = 0;
  for (icalcomponent* c = icalcomponent_get_first_component(kept.get(), ICAL_ANY_COMPONENT); c;
       c = icalcomponent_get_next_component(kept.get(), ICAL_ANY_COMPONENT)) {
    const icalcomponent_kind kind = icalcomponent_isa(c);
    if (kind == ICAL_VTIMEZONE_COMPONENT) {
      icalproperty* p = icalcomponent_get_first_property(c, ICAL_TZID_PROPERTY);
      const QByteArray tzid = p ? QByteArray(icalproperty_get_tzid(p)) : QByteArray();
      if (tzid.isEmpty() || !present.insert(tzid).second) continue;
    } else if (kind != ICAL_VEVENT_COMPONENT) {
      continue;
    } else {
      events = 1;
    }
    icalcomponent_add_component(calendar, icalcomponent_new_clone(c));
  }
  return events;
}

}  // namespace quorvel::interchange
