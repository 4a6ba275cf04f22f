#include "events/event_file.h"

#include <libical/ical.h>

#include "events/record_runs.h"

namespace quorvel::events {
namespace {

constexpr store::Channel kFile = store::Channel::kEvents;

EventsRead EventsOf(const runs::RunsRead& read) {
  EventsRead out;
  out.damaged = read.damaged;
  for (const runs::Run& run : read.runs) {
    out.events.push_back(StoredEvent{QString::fromUtf8(run.key), run.text, run.first_record});
  }
  return out;
}

}  // namespace

qsizetype LargestEventText() { return runs::LargestText(kFile); }

EventsRead ReadEvents(const store::DataFiles& files) {
  return EventsOf(runs::ReadRuns(files, kFile));
}

EventsRead EventsIn(const QByteArray& all) { return EventsOf(runs::RunsIn(all, kFile)); }

std::optional<StoredEvent> FindEvent(const store::DataFiles& files, const QString& uid) {
  for (StoredEvent& e : ReadEvents(files).events) {
    if (e.uid == uid) return std::move(e);
  }
  return std::nullopt;
}

QString UidOf(const QByteArray& text) {
  icalcomponent* calendar = icalparser_parse_string(text.constData());
  if (!calendar) return QString();
  QString uid;
  bool one = icalcomponent_isa(calendar) == ICAL_VCALENDAR_COMPONENT;
  int count = 0;
  for (icalcomponent* e = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT);
       one && e; e = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT)) {
    const char* own = icalcomponent_get_uid(e);
    const QString this_uid = own ? QString::fromUtf8(own) : QString();
    if (this_uid.isEmpty() || (count > 0 && this_uid != uid)) one = false;
    uid = this_uid;
    ++count;
  }
  icalcomponent_free(calendar);
  return one && count > 0 ? uid : QString();
}

PutResult PutEvent(store::Operation& op, const QByteArray& text) {
  const QString uid = UidOf(text);
  if (uid.isNull()) return PutResult::kNotAnEvent;
  switch (runs::PutRuns(op, kFile, {{uid.toUtf8(), text}}).front()) {
    case runs::PutResult::kStored:
      return PutResult::kStored;
    case runs::PutResult::kTooLarge:
      return PutResult::kTooLarge;
    case runs::PutResult::kNoRoom:
      return PutResult::kNoRoom;
  }
  return PutResult::kNoRoom;
}

bool RemoveEvent(store::Operation& op, const QString& uid) {
  return runs::RemoveRuns(op, kFile, {uid.toUtf8()}) > 0;
}

}  // namespace quorvel::events
