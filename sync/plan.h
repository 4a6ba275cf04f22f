// Deciding one collection's sync, with no network and no files: from the
// links, the local items and what the server said and sent, a plan of what
// to write where. The engine gathers what goes in (engine.cpp,
// engine_server.cpp), asks about the deletions the plans would make, and
// only then carries the plans out (engine_writes.cpp, engine_apply.cpp).
//
// Policy:
// - changed here only, or there only: the change goes across;
// - changed on both sides: both versions are kept (the server's stays
//   where it was and comes here as a new item, this side's goes there as a
//   new resource) and named; the same content on both sides is no conflict;
// - changed on one side, deleted on the other: the changed one is kept;
// - a local edit is made inside the server's resource as last seen: only
//   the changed fields' properties change;
// - links follow what items hold, not where they sit (see reconcile.h);
//   an appointment that left the file without this program deleting it
//   comes back from its kept copy, nothing is deleted on the server;
// - a series, a multi-day event (what the appointment file cannot hold for
//   its times) is kept whole in Events.dat and synced as the text it is:
//   never patched or regenerated here, sent back exactly as kept; the same
//   policy as above, linked by UID (plan_events.cpp);
// - any other server item the files cannot hold (too long, a character
//   outside Windows-1252) is named once and left alone on both sides.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>

#include "items/address_file.h"
#include "items/appointment_file.h"
#include "items/sync_state.h"
#include "sync/dav_types.h"

namespace quorvel::sync {

// Deletions a run would make on one side, before anything is written.
struct DeletionWarning {
  QString what;       // "appointments", "address book entries"
  bool here = false;  // deleted here (else on the server)
  int deletions = 0;
  int total = 0;      // items that side holds
  QStringList names;  // a few of them
  // "This sync would delete 12 of 14 appointments here: …"
  QString Text() const;
};

// A local item as read at the start of the run.
struct LocalItem {
  QString ident;  // position (appointments) or key (entries)
  QByteArray digest;
  Appointment appointment;
  AddressEntry entry;
};
LocalItem LocalAppointment(int position, const Appointment& appointment);
LocalItem LocalEntry(const AddressEntry& entry);

// An event kept whole in Events.dat, as read at the start of the run.
struct LocalEvent {
  QString uid;
  QByteArray text;
  QByteArray digest;  // EventDigest(text)
  QString name;       // for messages
};
LocalEvent LocalEventOf(const QString& uid, const QByteArray& text);
// A digest of a kept event's text: whether it changed since last synced.
QByteArray EventDigest(const QByteArray& text);
// Whether two texts of one event say the same, as servers may refold
// lines, reorder properties or renew the stamps.
bool SameEvent(const QByteArray& a, const QByteArray& b);
// `text` with every VEVENT's UID made `uid` (nothing else changes).
QByteArray WithUid(const QByteArray& text, const QString& uid);

// Which local item a link names: its position or its key.
QString IdentOf(const Link& link, bool calendar);

// A resource from the server, as the files would hold it.
struct Fetched {
  QString href;
  QString etag;
  QByteArray data;       // the resource's bytes
  QStringList left_out;  // what of it the files do not hold (it stays on the server)
  QByteArray digest;
  QString uid;
  QString problem;  // why the files cannot hold it; null when they can
  QString name;
  QDate date;
  Appointment appointment;
  AddressEntry entry;
  // Not held in the appointment file only for its times, and one event
  // Events.dat can keep whole.
  bool event = false;
};
Fetched ReadFetched(const QString& href, const QString& etag, const QByteArray& data,
                    bool calendar);

// A change to the local files.
struct LocalChange {
  enum What { kRewrite, kRemove, kAppend } what;
  QString ident;   // the item changed or removed
  Fetched source;  // what it becomes (rewrite, append)
};

// What the server said changed since the last run.
struct ServerView {
  std::map<QString, QString> changed;  // href -> etag
  std::set<QString> removed;
  QString token;
  // Fetched only because no copy of them is kept here (links of an
  // earlier version): unchanged there when the etag is the link's.
  std::map<QString, QString> refetch;  // href -> etag of the link
};

// What one collection's decision starts from.
struct DecideInput {
  bool calendar = true;
  QString collection_path;  // where new resources go: "/alice/calendar/"
  std::vector<Link> links;  // as stored
  std::vector<LocalItem> locals;
  ServerView view;
  std::map<QString, Fetched> fetched;  // what of view.changed the server sent
  std::map<QString, QByteArray> kept;  // href -> the server's bytes as last seen
  std::vector<Skip> skipped;           // as stored
  std::function<QString()> new_uid;    // fresh UIDs; random UUIDs when empty
  // The calendar's events kept whole, and their links.
  std::vector<LocalEvent> events;
  std::vector<Link> event_links;
  bool events_damaged = false;  // Events.dat had runs that no longer read
};

// One write to the server, and what follows from the server's answer.
struct Upload {
  enum Kind {
    kUpdate,        // an edit here, over the version it replaces
    kCreate,        // new here
    kRemove,        // deleted here
    kRestore,       // edited here, deleted there: put back
    kConflictCopy,  // edited on both sides: this side's as a new resource
    kRename,        // a server card renamed so its key is unique here
  } kind;
  WriteRequest request;
  QString name;  // the item, in the report
  // Once the server took it: this link, with the etag it answered (the
  // bytes sent are kept as the server's copy)…
  std::optional<Link> link;
  // …and this change here, its source with that etag.
  std::optional<LocalChange> change;
  // When the server refused: this link stays, or it is asked for again.
  std::optional<Link> if_refused;
  std::optional<Skip> skip_if_refused;
  // Of an event kept whole: its links and changes are the events' ones.
  bool event = false;
};

// What one collection's sync does.
struct Plan {
  std::vector<Link> links;  // the links whatever the server answers
  std::vector<Upload> uploads;
  std::vector<LocalChange> changes;  // made here whatever the server answers
  // The same for events kept whole: a change's `ident` is the UID it
  // replaces or removes, its source's `data` the text to keep; a change
  // with a source href brings its link (once the event is stored).
  std::vector<Link> event_links;
  std::vector<LocalChange> event_changes;
  std::map<QString, QByteArray> keep;  // href -> the server's bytes kept from now on
  std::vector<Skip> skipped;
  QString token;
  QStringList conflicts;        // changed on both sides, kept twice
  QStringList not_held;         // server items the files cannot hold: "name: why"
  QStringList partly_held;      // taken with details left on the server only
  QStringList problems;         // local items not sent this time, and why
  QStringList brought_back;     // gone from the files without this program
  DeletionWarning here, there;  // the deletions on each side
  // The sides on which it deletes more than a sync may unasked.
  std::vector<DeletionWarning> TooMany() const;
};

// The plan for one collection. Pure: nothing is asked, read or written.
Plan Decide(DecideInput input);

// The events' part of a calendar's plan (plan_events.cpp), decided first:
// it takes the resources it handles out of `in.fetched` and `in.skipped`.
void DecideEvents(DecideInput& in, Plan& plan, const std::function<QString()>& new_uid);

}  // namespace quorvel::sync
