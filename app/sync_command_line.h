// quorvel --sync [--server URL --user NAME]: one sync without a window, a
// one-line summary, and an exit status that says whether everything was
// done.
#pragma once

#include "app/command_line.h"
#include "sync/engine.h"

namespace quorvel::sync {

// The exit statuses of --sync (described in the README).
enum SyncExitStatus {
  kSyncDone = 0,     // everything in step
  kSyncFailed = 1,   // the sync stopped early (the message says why)
  kSyncUsage = 2,    // the command line was refused; nothing was sent
  kSyncRetry = 3,    // done, but some items will be tried again next time
  kSyncLeftOut = 4,  // done, but some of the server's items are not held here
};

// The status a finished (or failed) run ends with.
int ExitStatusOf(const SyncReport& report);

CommandLineOptions SyncCommandLine();

}  // namespace quorvel::sync
