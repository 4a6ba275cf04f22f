// The inside of one sync run (see engine.h), shared by the files that make
// it up: engine.cpp (reading the files, the run as a whole, storing the
// outcome), engine_server.cpp (asking the server what changed), plan.cpp
// (deciding, without a network), engine_writes.cpp (carrying out a plan's
// writes), engine_apply.cpp (its changes here).
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUrl>

#include "sync/engine.h"
#include "sync/plan.h"

namespace quorvel::sync {
namespace run {

inline bool Fatal(const DavError& error) { return error.EndsRun(); }

class Stopped {};  // thrown to end a run early, as a kill would

}  // namespace run

// A plan's changes to the events kept whole, staged in `op`: their texts
// in Events.dat, their links in `state`; what could not be kept is named
// in `report` and asked for again on the next run.
void StageEventChanges(store::Operation& op, const std::vector<LocalChange>& changes,
                       SyncState& state, SyncReport& report);

struct SyncEngine::Impl {
  SyncEngine& engine;
  SyncReport report;
  SyncState state;
  std::vector<LocalItem> appointments;
  std::vector<LocalItem> entries;
  std::vector<LocalEvent> events;  // kept whole in Events.dat
  bool events_damaged = false;
  std::vector<LocalChange> event_changes;
  std::vector<LocalChange> calendar_changes;
  std::vector<LocalChange> book_changes;
  int writes = 0;
  SyncState before;                       // as loaded, for freeing kept records
  std::map<QString, QByteArray> kept;     // href -> the server's bytes as last seen
  std::map<QString, QByteArray> renewed;  // href -> bytes to keep from now on
  std::set<QString> kept_lost;            // kept copies that no longer read back (fetched again)

  explicit Impl(SyncEngine& e) : engine(e) {}

  void Progress(const QString& step, int done = 0, int total = 0);

  void Files(const std::function<void()>& work);

  static std::vector<LocalItem> ReadAppointments(const store::DataFiles& files);

  // The kept server copies of every linked item that may need one: those
  // not found unchanged where their link says.
  void ReadKeptCopies(const store::DataFiles& files, const SyncState& loaded);

  static std::vector<LocalItem> ReadEntries(const store::DataFiles& files);

  static std::vector<LocalEvent> ReadLocalEvents(const store::DataFiles& files, bool* damaged);

  // ------------------------------------------------------------ the server

  // What changed on the server since `token`, as far as the links and the
  // skipped items tell; nothing when the server cannot be asked.
  std::optional<ServerView> AskServer(const QUrl& collection, const QString& token,
                                      const std::vector<Link>& links);

  // Links whose server copy is not kept here get it fetched.
  void AskForUnkept(const std::vector<Link>& links, ServerView& view);

  std::nullopt_t Fail(const DavError& error);

  std::optional<std::map<QString, Fetched>> FetchChanged(const QUrl& collection, bool calendar,
                                                         const ServerView& view);

  // What deciding one collection starts from: the links, the items here,
  // and what the server says changed. Throws Stopped when it cannot tell.
  DecideInput Gather(const QUrl& collection, bool calendar);

  // ------------------------------------------------------------ doing

  // Sends `uploads` several at a time; the answer to each is the etag it
  // was stored under, or nothing when refused (then named in the report,
  // deletions excepted). Stops (and throws) on a failure that ends the
  // run, or once the test's write limit is reached.
  std::vector<std::optional<QString>> SendAll(const std::vector<Upload>& uploads);

  // Whether the server's `there` holds what `sent` says, as far as the
  // files hold it (servers may add or reorder properties).
  static bool SameContent(const QByteArray& there, const QByteArray& sent, CollectionKind kind);

  // Carries out `plan`: its writes there, then its links, kept copies and
  // changes here as the server's answers allow.
  void Carry(const Plan& plan, bool calendar);

  // Applies the planned changes and the links in one operation. False when
  // the local items changed since they were read (the run starts over).
  bool Store();

  // Whether an appointment can go in as a new one; reported when not.
  bool Fits(store::Operation& op, const Fetched& f);

  void ApplyCalendar(store::Operation& op);

  void ApplyBook(store::Operation& op);

  // The events' changes (engine_events.cpp).
  void ApplyEvents(store::Operation& op);
};

}  // namespace quorvel::sync
