// quorvel --sync [--server URL --user NAME]: one sync without a window, a
// one-line summary, a non-zero exit status when it failed.
#pragma once

#include "app/command_line.h"

namespace quorvel::sync {

CommandLineOptions SyncCommandLine();

}  // namespace quorvel::sync
