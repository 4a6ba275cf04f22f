// Where the processes working on a data folder meet while they run (the
// program's socket, the reminder agent's socket and the reminders' lock):
// the user's runtime folder, never the data folder, under a name made from
// the data folder's canonical path, so that two spellings of one folder
// meet at the same place.
#pragma once

#include <QString>

namespace quorvel::store {

// "quorvel-<hash of the folder>" followed by `suffix`, in the runtime
// folder ($XDG_RUNTIME_DIR, else the temporary folder).
QString RuntimePath(const QString& folder, const QString& suffix = QString());

}  // namespace quorvel::store
