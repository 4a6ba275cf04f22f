// The inside of one sync run (see engine.h), shared by the files that make
// it up: engine.cpp (reading the files, storing the outcome, the run as a
// whole), engine_server.cpp (asking the server what changed),
// engine_decide.cpp (matching and deciding), engine_writes.cpp (writes to
// the server), engine_apply.cpp (the local changes).
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

#include "addressbook/address_file.h"
#include "calendar/appointment_file.h"
#include "sync/engine.h"

namespace quorvel::sync {
namespace run {

// A local item as read at the start of the run.
struct LocalItem {
  QString ident;  // position (appointments) or key (entries)
  QByteArray digest;
  Appointment appointment;
  AddressEntry entry;
};

// A resource fetched from the server.
struct Fetched {
  QString href;
  QString etag;
  QByteArray data;  // the resource's bytes
  QStringList left_out;  // what of it the files do not hold (it stays on the server)
  QByteArray digest;
  QString uid;
  QString problem;
  QString name;
  QDate date;
  Appointment appointment;
  AddressEntry entry;
};

// A change to make to the local files once the server writes are done.
struct LocalChange {
  enum What { kRewrite, kRemove, kAppend } what;
  QString ident;     // the item changed or removed
  Fetched source;    // what it becomes (rewrite, append)
};

inline QString Ident(const Link& link, bool calendar) {
  return calendar ? (link.index >= 0 ? QString::number(link.index) : QString()) : link.key;
}

inline bool Fatal(const DavError& error) { return error.EndsRun(); }

class Stopped {};  // thrown to end a run early, as a kill would

}  // namespace run

struct SyncEngine::Impl {
  using LocalItem = run::LocalItem;
  using Fetched = run::Fetched;
  using LocalChange = run::LocalChange;
  SyncEngine& engine;
  SyncReport report;
  SyncState state;
  std::vector<LocalItem> appointments;
  std::vector<LocalItem> entries;
  std::vector<LocalChange> calendar_changes;
  std::vector<LocalChange> book_changes;
  int writes = 0;
  SyncState before;                       // as loaded, for freeing kept records
  std::map<QString, QByteArray> kept;     // href -> the server's bytes as last seen
  std::map<QString, QByteArray> renewed;  // href -> bytes to keep from now on

  explicit Impl(SyncEngine& e) : engine(e) {}

  void Progress(const QString& step, int done = 0, int total = 0);

  void CountWrite();

  void Files(const std::function<void()>& work);

  static std::vector<LocalItem> ReadAppointments(const store::DataFiles& files);

  // The kept server copies of every linked item that may need one: those
  // not found unchanged where their link says.
  void ReadKeptCopies(const store::DataFiles& files, const SyncState& loaded);

  static std::vector<LocalItem> ReadEntries(const store::DataFiles& files);

  // ------------------------------------------------------------ the server

  struct ServerView {
    std::map<QString, QString> changed;  // href -> etag
    std::set<QString> removed;
    QString token;
    // Fetched only because no copy of them is kept here (links of an
    // earlier version): unchanged there when the etag is the link's.
    std::map<QString, QString> refetch;  // href -> etag of the link
  };

  // What changed on the server since `token`, as far as the links and the
  // skipped items tell; nothing when the server cannot be asked.
  std::optional<ServerView> AskServer(const QUrl& collection, const QString& token,
                                      const std::vector<Link>& links);

  // Links whose server copy is not kept here get it fetched.
  void AskForUnkept(const std::vector<Link>& links, ServerView& view);

  std::nullopt_t Fail(const DavError& error);

  std::optional<std::map<QString, Fetched>> FetchChanged(const QUrl& collection, bool calendar,
                                                         const ServerView& view);

  // ------------------------------------------------------------ deciding

  QByteArray Encode(const LocalItem& item, const QString& uid, bool calendar) const;

  QString NameOfLocal(const LocalItem& item, bool calendar) const;

  // A write waiting to be sent with others: `stored` takes the new etag
  // when the server took it; a refusal is reported under `name`.
  struct PendingWrite {
    WriteRequest request;
    QString name;
    std::function<void(const QString& etag)> stored;
    std::function<void()> refused = {};  // instead of reporting the refusal
  };

  // Sends `pending` several at a time. Stops (and throws) on a failure that
  // ends the run, or once the test's write limit is reached.
  void SendAll(std::vector<PendingWrite>& pending);

  // Whether the server's `there` holds what `sent` says, as far as the
  // files hold it (servers may add or reorder properties).
  static bool SameContent(const QByteArray& there, const QByteArray& sent, CollectionKind kind);

  // The bytes that carry the local edits of `item` to the server: its kept
  // resource patched (under `uid` when given). Nothing when no copy is
  // kept, or it no longer reads as an item here: then nothing is sent, so
  // what this side could not hold is never cut on the server.
  std::optional<QByteArray> Patched(const LocalItem& item, const Link& link, bool calendar,
                                    const QString& uid = QString());

  // Puts `bytes` on the server as the resource `href` (a new one unless
  // `etag` is given); fills `link`. False when the server refused
  // (reported under the item's name).
  bool Put(const QString& href, const QByteArray& bytes, const QString& name, bool calendar,
           const QString& uid, const QByteArray& digest, Link& link);

  QString NewHref(const QUrl& collection, const QString& uid, bool calendar) const;

  // What a fetched resource becomes when it stands for a local item that
  // vanished: its kept copy, as the server had it.
  std::optional<Fetched> FromKept(const Link& link, bool calendar);

  // Links follow what the items hold (see reconcile.h).
  void Rematch(std::vector<Link>& links, const std::vector<LocalItem>& locals, bool calendar);

  // Stops the run, before anything is written, when it would delete too
  // much on one side and the user does not allow it.
  void GuardDeletions(const std::vector<Link>& links, const std::vector<LocalItem>& locals,
                      const std::map<QString, const LocalItem*>& local_by_ident,
                      const ServerView& view, const std::map<QString, Fetched>& fetched,
                      bool calendar);

  void Decide(const QUrl& collection, bool calendar);

  // ------------------------------------------------------------ storing

  // Applies the planned changes and the links in one operation. False when
  // the local items changed since they were read (the run starts over).
  bool Store();

  // Whether an appointment can go in as a new one; reported when not.
  bool Fits(store::Operation& op, const Fetched& f);

  void ApplyCalendar(store::Operation& op);

  void ApplyBook(store::Operation& op);
};

}  // namespace quorvel::sync
