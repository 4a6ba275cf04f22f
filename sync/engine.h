// Two-way sync of the appointments and the address book with a CalDAV
// calendar and a CardDAV address book.
//
// One run: read the local items and the links (on the files' thread), ask
// the server what changed since the last run (sync-token, or ctag and etag
// comparison) and fetch the changed resources in batches, for both
// collections; decide both (plan.h, without a network); when a plan would
// delete more than a few items (or most of a side) ask, and stop with
// nothing written anywhere unless allowed; then carry the plans out: the
// writes to the server (each conditional on the version it replaces), then
// every local change and the new links in one store operation. A run cut
// short anywhere leaves the links of the last finished run; the next run
// recognises its own earlier writes by content and converges.
//
// Birthdays travel inside the contact cards (BDAY), not as events.
#pragma once

#include <atomic>
#include <functional>
#include <memory>

#include <QString>
#include <QStringList>

#include "items/sync_state.h"
#include "store/data_files.h"
#include "sync/dav_client.h"
#include "sync/plan.h"

namespace quorvel::sync {

struct SyncProgress {
  QString step;  // "Sending changes…"
  int done = 0;
  int total = 0;  // 0 when unknown
};

struct SyncReport {
  QString error;                   // null when the run finished
  bool stopped = false;            // ended early because the user stopped it
  int received = 0;                // local items added, changed or deleted from the server
  int sent = 0;                    // server resources added, changed or deleted
  QStringList conflicts;           // changed on both sides, both kept
  QStringList skipped;             // server items the files cannot hold (first time seen)
  QStringList problems;            // local items that could not be sent this time
  QStringList restored;            // edited here, deleted on the server: put back there
  QStringList brought_back;        // gone from the files without this program: back from the server
  QStringList partly_held;         // taken with details left on the server only
  bool deletions_refused = false;  // stopped before deleting too much
  QStringList ignored;             // server hrefs outside their collection, not taken
  int requests = 0;
  bool ok() const { return error.isNull(); }
  // One line: "Sync done: 3 received, 2 sent, 1 kept twice (…)." or the error.
  QString Summary() const;
};

class SyncEngine {
 public:
  // Runs `work` where the data files may be used (the interface thread of
  // the program); by default, right here.
  using FilesRunner = std::function<void(const std::function<void()>& work)>;

  SyncEngine(store::DataFiles& files, DavClient& client, FilesRunner run_on_files = {});
  ~SyncEngine();

  void set_progress(std::function<void(const SyncProgress&)> progress) {
    progress_ = std::move(progress);
  }
  // Asked (on the thread that runs Run) before a run deletes more than a
  // few items, or most of a side; false stops the run with nothing
  // changed. Without it such a run stops.
  void set_confirm_deletions(std::function<bool(const DeletionWarning&)> confirm) {
    confirm_deletions_ = std::move(confirm);
  }
  // For tests: stop (as if killed) after this many server writes.
  void set_stop_after_writes(int writes) { stop_after_writes_ = writes; }

  // Ends the run early once `*stop` is true (set from any thread): requests
  // in flight are cut off, nothing is stored here, and the report says it
  // was stopped. What was already sent is recognised by the next run.
  void set_stop(std::shared_ptr<const std::atomic<bool>> stop);

  SyncReport Run();

 private:
  struct Impl;
  store::DataFiles& files_;
  DavClient& client_;
  FilesRunner run_on_files_;
  std::function<void(const SyncProgress&)> progress_;
  std::function<bool(const DeletionWarning&)> confirm_deletions_;
  int stop_after_writes_ = -1;
};

}  // namespace quorvel::sync
