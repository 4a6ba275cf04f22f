// The translation contexts of the command lines' texts: the program's own
// options and those of the sync and search commands.
#pragma once

#include <QCoreApplication>

namespace quorvel {

class CommandLineTexts {
  Q_DECLARE_TR_FUNCTIONS(CommandLine)
};

class SyncCommandLineTexts {
  Q_DECLARE_TR_FUNCTIONS(SyncCommandLine)
};

class SearchCommandLineTexts {
  Q_DECLARE_TR_FUNCTIONS(SearchCommandLine)
};

}  // namespace quorvel
