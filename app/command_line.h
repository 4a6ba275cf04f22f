// The command line: which folder holds the data, whether a window opens at
// all, and the commands that run without one.
//
// Parsing is a pure function of the arguments and two folders, so it is
// tested without starting anything. Subsystems add their own options through
// CommandLineOptions (see SubsystemCommandLines in command_line.cpp); a
// subsystem whose options ask for work without a window returns a
// HeadlessCommand, which RunHeadless runs with the data folder open and held
// by this process, exactly as the window would hold it.
#pragma once

#include <functional>
#include <vector>

#include <QCommandLineOption>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

class QCommandLineParser;
class QTextStream;

namespace quorvel {

namespace store {
class DataFiles;
}

// What a command without a window works with.
struct HeadlessContext {
  store::DataFiles& files;  // open; this process holds the folder
  QTextStream& out;         // one-line summaries (standard output)
  QTextStream& err;         // failures (standard error)
};

// A command that runs without a window. Returns the process's exit status:
// 0 for success, non-zero for failure (after saying why on `err`).
using HeadlessCommand = std::function<int(HeadlessContext&)>;

// A command that runs beside the data folder without holding it, for as
// long as it lasts (the reminder agent): given the folder and whether it is
// the standard one (created on first use). Returns the exit status.
using AgentCommand = std::function<int(const QString& folder, bool create_folder)>;

// What one subsystem adds to the command line.
struct CommandLineOptions {
  // Its options, shown by --help in this order.
  QList<QCommandLineOption> options;
  // Shown by --help as "[name…]" with the description, when the subsystem
  // takes plain arguments (such as file names after an option).
  QString positional_name;
  QString positional_description;
  // Called after the arguments parsed cleanly. Returns the command to run
  // when this subsystem's options ask for one, or an empty function.
  // `unclaimed` holds the plain arguments no subsystem has taken yet: remove
  // those this subsystem uses; any left over at the end are an error.
  // Sets `error` (one sentence) for a bad value or combination; the usage
  // line follows it and the exit status is 2.
  std::function<HeadlessCommand(const QCommandLineParser& parser, QStringList& unclaimed,
                                QString& error)>
      take;
  // Called like `take`, for a subsystem whose option starts a command that
  // runs beside the folder without holding it; such a command runs alone.
  std::function<AgentCommand(const QCommandLineParser& parser, QString& error)> take_agent;
  // The exit status when this subsystem's command runs and the data folder
  // cannot be used (another Quorvel holds it, it cannot be read): 1, or
  // another for a command whose 1 says something else.
  int folder_failure_status = 1;
};

// The options of every subsystem, in the order their commands run.
std::vector<CommandLineOptions> SubsystemCommandLines();

// What the command line asks for.
struct Invocation {
  enum class Action {
    kWindow,    // start the organiser on `data_folder`
    kHeadless,  // run `commands` on `data_folder`, no window
    kAgent,     // run `agent` beside `data_folder`, without holding it
    kPrint,     // print `text` on standard output and exit with 0 (--help, --version)
    kError,     // print `text` on standard error and exit with `exit_code`
  };
  Action action = Action::kWindow;
  QString text;
  int exit_code = 0;
  // Absolute path of the data folder (kWindow, kHeadless). Empty when the
  // working folder could not be read (it was removed): the store refuses it.
  QString data_folder;
  // True when the data folder is the standard one, which is created on first
  // use; any other folder must exist already.
  bool create_folder = false;
  std::vector<HeadlessCommand> commands;
  // kHeadless: the exit status when the data folder cannot be used (the
  // highest the commands' subsystems ask for).
  int folder_failure_status = 1;
  AgentCommand agent;
  // kWindow: the day whose Activities open once the organiser runs (or
  // in the Quorvel already running on the folder).
  QDate open_day;
};

// Parses `arguments` (the program's name first). `current_folder` is the
// working folder, `standard_folder` the account's standard data folder
// ($XDG_DATA_HOME/quorvel). Without a folder option the data stays in the
// working folder, as it always has.
Invocation ParseCommandLine(
    const QStringList& arguments, const QString& current_folder, const QString& standard_folder,
    const std::vector<CommandLineOptions>& subsystems = SubsystemCommandLines());

// The account's standard data folder: $XDG_DATA_HOME/quorvel, which is
// ~/.local/share/quorvel unless the user moved it.
QString StandardDataFolder();

// Opens the data files in `folder`, holding it against other Quorvel
// processes, runs `commands` in order until one fails, and closes the files.
// Returns the exit status: that of the failed command, `folder_failure`
// when the folder is in use by another Quorvel, else 0.
int RunHeadless(const QString& folder, const std::vector<HeadlessCommand>& commands,
                QTextStream& out, QTextStream& err, int folder_failure = 1);

// Creates the standard data folder `folder` (and the folders above it),
// readable by its owner only, unless it exists. False, after telling the
// user, when it cannot be made.
bool MakeDataFolder(const QString& folder);

// True when `arguments` hold one of the options Qt's windowing layer takes
// for itself (-platform, -style, -display …): those arguments are only
// understood once the windowing layer has removed them.
bool HasWindowingOption(const QStringList& arguments);

}  // namespace quorvel
