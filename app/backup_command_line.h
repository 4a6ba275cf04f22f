// --backup DIR and --restore BACKUP: copies of the data folder for scripts.
#pragma once

#include "app/command_line.h"

namespace quorvel {

// --backup DIR writes a copy of the data files into DIR (created when
// missing) and prints its name; --restore BACKUP puts a copy back, keeping
// what the files held as an automatic backup first. Both run before any
// import, a restore after a backup.
CommandLineOptions BackupCommandLine();

}  // namespace quorvel
