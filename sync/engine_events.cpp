// Events kept whole in Events.dat: read at the start of a run, and the
// plan's changes to them made in the run's one store operation, together
// with the appointments, the entries and the links.

#include "events/event_file.h"
#include "sync/engine_run.h"
#include "sync/texts.h"

namespace quorvel::sync {

std::vector<LocalEvent> SyncEngine::Impl::ReadLocalEvents(const store::DataFiles& files,
                                                          bool* damaged) {
  const events::EventsRead read = events::ReadEvents(files);
  *damaged = read.damaged > 0;
  std::vector<LocalEvent> out;
  out.reserve(read.events.size());
  for (const events::StoredEvent& e : read.events) out.push_back(LocalEventOf(e.uid, e.text));
  return out;
}

void SyncEngine::Impl::ApplyEvents(store::Operation& op) {
  StageEventChanges(op, event_changes, state, report);
}

void StageEventChanges(store::Operation& op, const std::vector<LocalChange>& changes,
                       SyncState& state, SyncReport& report) {
  std::vector<Link>& links = state.events;
  for (const LocalChange& change : changes) {
    if (change.what == LocalChange::kRemove) {
      events::RemoveEvent(op, change.ident);
      std::erase_if(links, [&](const Link& l) { return l.key == change.ident; });
      ++report.received;
      continue;
    }
    const Fetched& source = change.source;
    const QString uid = events::UidOf(source.data);
    // The old text goes first, so a change of UID leaves no copy behind;
    // a text that cannot be stored leaves the old one and its link.
    const std::optional<events::StoredEvent> old =
        change.ident.isEmpty() || change.ident == uid ? std::nullopt
                                                      : events::FindEvent(op.files(), change.ident);
    if (old) events::RemoveEvent(op, change.ident);
    const events::PutResult put = events::PutEvent(op, source.data);
    if (put != events::PutResult::kStored) {
      if (old) events::PutEvent(op, old->text);
      const QString why = put == events::PutResult::kNoRoom
                              ? SyncTexts::tr(": Events.dat is full")
                              : SyncTexts::tr(": it cannot be kept in Events.dat");
      report.skipped << (source.name.isEmpty() ? LocalEventOf(uid, source.data).name
                                               : source.name) +
                            why;
      // Asked for again on the next run.
      if (!source.href.isEmpty()) state.skipped.push_back(Skip{source.href, QString()});
      continue;
    }
    if (!source.href.isEmpty()) {
      // It came from the server: linked to its resource as sent.
      std::erase_if(links, [&](const Link& l) {
        return l.key == change.ident || l.key == uid || l.href == source.href;
      });
      Link l;
      l.key = l.uid = uid;
      l.href = source.href;
      l.etag = source.etag;
      l.digest = EventDigest(source.data);
      links.push_back(l);
      ++report.received;
    }
  }
}

}  // namespace quorvel::sync
