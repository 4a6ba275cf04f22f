#include "app/command_line.h"

#include <algorithm>

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTextStream>

#include "app/backup_command_line.h"
#include "app/interchange_actions.h"
#include "app/reminder_agent.h"
#include "app/search_command.h"
#include "app/sync_command_line.h"
#include "app/texts.h"
#include "store/data_files.h"
#include "ui/seams.h"

namespace quorvel {
namespace {

// The usage line, as --help begins: built here in the words of Qt's own
// (which needs a running application and names the program by its path),
// so that an error's usage line and the help's are the same line.
// How --help shows a subsystem's plain arguments.
QString PositionalSyntax(const CommandLineOptions& subsystem) {
  return QStringLiteral("[%1…]").arg(subsystem.positional_name);
}

QString UsageLine(const QString& program, const std::vector<CommandLineOptions>& subsystems) {
  QString usage = program + QLatin1Char(' ') + QCommandLineParser::tr("[options]");
  for (const CommandLineOptions& subsystem : subsystems) {
    if (!subsystem.positional_name.isEmpty()) {
      usage += QLatin1Char(' ') + PositionalSyntax(subsystem);
    }
  }
  return QCommandLineParser::tr("Usage: %1").arg(usage);
}

Invocation ErrorWithUsage(const QString& program, const QString& usage, const QString& message) {
  Invocation result;
  result.action = Invocation::Action::kError;
  result.exit_code = 2;
  result.text = program + QStringLiteral(": ") + message + QLatin1Char('\n') + usage +
                QLatin1Char('\n') +
                CommandLineTexts::tr("Try '%1 --help' for more information.").arg(program) +
                QLatin1Char('\n');
  return result;
}

}  // namespace

std::vector<CommandLineOptions> SubsystemCommandLines() {
  std::vector<CommandLineOptions> all;
  // Each subsystem adds one line here, in the order its commands run.

  // Backup and restore, before anything changes the files.
  all.push_back(BackupCommandLine());

  // Import and export.
  all.push_back(InterchangeCommandLine());

  // Sync with a server.
  all.push_back(sync::SyncCommandLine());

  // Finding items.
  all.push_back(SearchCommandLine());
  // The reminder agent.
  all.push_back(ReminderCommandLine());

  return all;
}

QString StandardDataFolder() {
  const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  if (base.isEmpty()) return QString();
  return QDir(base).absoluteFilePath(QStringLiteral("quorvel"));
}

Invocation ParseCommandLine(const QStringList& arguments, const QString& current_folder,
                            const QString& standard_folder,
                            const std::vector<CommandLineOptions>& subsystems) {
  const QString program = QStringLiteral("quorvel");

  QCommandLineParser parser;
  parser.setApplicationDescription(
      CommandLineTexts::tr("Quorvel, a personal organiser: appointments with "
                           "reminders, an address book with birthdays, and notes."));
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  const QCommandLineOption help_option({QStringLiteral("h"), QStringLiteral("help")},
                                       CommandLineTexts::tr("Show this help and exit."));
  const QCommandLineOption version_option({QStringLiteral("v"), QStringLiteral("version")},
                                          CommandLineTexts::tr("Show the version and exit."));
  const QCommandLineOption folder_option(
      {QStringLiteral("d"), QStringLiteral("data-folder")},
      CommandLineTexts::tr(
          "Keep the data files in <folder> (which must exist) instead of the current folder."),
      CommandLineTexts::tr("folder"));
  const QCommandLineOption standard_option(
      QStringLiteral("standard-folder"),
      CommandLineTexts::tr(
          "Keep the data files in your standard data folder, %1, created on first use. "
          "The desktop menu starts Quorvel this way.")
          .arg(standard_folder.isEmpty() ? QStringLiteral("~/.local/share/quorvel")
                                         : standard_folder));
  const QCommandLineOption day_option(
      QStringLiteral("day"),
      CommandLineTexts::tr("Open the Activities of <date> (YYYY-MM-DD), in the Quorvel already "
                           "running on the folder if there is one."),
      CommandLineTexts::tr("date"));
  parser.addOptions({help_option, version_option, folder_option, standard_option, day_option});
  for (const CommandLineOptions& subsystem : subsystems) {
    parser.addOptions(subsystem.options);
    if (!subsystem.positional_name.isEmpty()) {
      parser.addPositionalArgument(subsystem.positional_name, subsystem.positional_description,
                                   PositionalSyntax(subsystem));
    }
  }
  const QString usage = UsageLine(program, subsystems);
  const auto Error = [&program, &usage](const QString& message) {
    return ErrorWithUsage(program, usage, message);
  };

  if (!parser.parse(arguments)) return Error(parser.errorText());

  Invocation result;
  if (parser.isSet(help_option)) {
    result.action = Invocation::Action::kPrint;
    // The help's own first line names the program by the path it was
    // started with; the user types its name.
    const QString help = parser.helpText();
    result.text = usage + help.mid(help.indexOf(QLatin1Char('\n')));
    return result;
  }
  if (parser.isSet(version_option)) {
    result.action = Invocation::Action::kPrint;
    result.text = QStringLiteral("Quorvel %1\n").arg(QStringLiteral(QUORVEL_VERSION));
    return result;
  }

  if (parser.isSet(folder_option) && parser.isSet(standard_option)) {
    return Error(CommandLineTexts::tr("Give either --data-folder or --standard-folder, not both."));
  }
  if (parser.values(folder_option).size() > 1) {
    return Error(CommandLineTexts::tr("Give --data-folder only once."));
  }
  if (parser.isSet(folder_option)) {
    const QString folder = parser.value(folder_option);
    if (folder.isEmpty()) return Error(CommandLineTexts::tr("The data folder's name is empty."));
    // A relative name is taken from the working folder, once, here.
    result.data_folder = QDir::cleanPath(
        current_folder.isEmpty() ? folder : QDir(current_folder).absoluteFilePath(folder));
  } else if (parser.isSet(standard_option)) {
    if (standard_folder.isEmpty()) {
      return Error(CommandLineTexts::tr("There is no standard data folder for this account."));
    }
    result.data_folder = QDir::cleanPath(standard_folder);
    result.create_folder = true;
  } else {
    result.data_folder = current_folder;
  }

  if (parser.isSet(day_option)) {
    result.open_day = QDate::fromString(parser.value(day_option), Qt::ISODate);
    if (!result.open_day.isValid() || parser.value(day_option).size() != 10) {
      return Error(CommandLineTexts::tr("'%1' is not a date of the form YYYY-MM-DD.")
                       .arg(parser.value(day_option)));
    }
  }

  QStringList unclaimed = parser.positionalArguments();
  for (const CommandLineOptions& subsystem : subsystems) {
    if (!subsystem.take) continue;
    QString error;
    HeadlessCommand command = subsystem.take(parser, unclaimed, error);
    if (!error.isEmpty()) return Error(error);
    if (command) {
      result.commands.push_back(std::move(command));
      result.folder_failure_status =
          std::max(result.folder_failure_status, subsystem.folder_failure_status);
    }
  }
  if (!unclaimed.isEmpty()) {
    return Error(CommandLineTexts::tr("Unexpected argument '%1'.").arg(unclaimed.first()));
  }
  for (const CommandLineOptions& subsystem : subsystems) {
    if (!subsystem.take_agent) continue;
    QString error;
    AgentCommand agent = subsystem.take_agent(parser, error);
    if (!error.isEmpty()) return Error(error);
    if (!agent) continue;
    if (result.agent || !result.commands.empty() || result.open_day.isValid()) {
      return Error(CommandLineTexts::tr("--reminders runs alone, without other commands."));
    }
    result.agent = std::move(agent);
  }
  if (result.agent) {
    result.action = Invocation::Action::kAgent;
    return result;
  }
  result.action =
      result.commands.empty() ? Invocation::Action::kWindow : Invocation::Action::kHeadless;
  return result;
}

int RunHeadless(const QString& folder, const std::vector<HeadlessCommand>& commands,
                QTextStream& out, QTextStream& err, int folder_failure) {
  store::DataFiles files;
  files.SetDataDir(folder);
  if (files.OpenDataFiles() == store::OpenResult::kInUse) {
    err << store::FolderInUseMessage(folder) << '\n';
    err.flush();
    return folder_failure;
  }
  HeadlessContext context{files, out, err};
  int status = 0;
  for (const HeadlessCommand& command : commands) {
    status = command(context);
    out.flush();
    err.flush();
    if (status != 0) break;
  }
  files.CloseDataFiles();
  return status;
}

bool MakeDataFolder(const QString& folder) {
  if (QFileInfo(folder).isDir()) return true;
  if (!QDir().mkpath(folder) ||
      !QFile::setPermissions(
          folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner)) {
    ShowMessage(CommandLineTexts::tr("Quorvel could not create its data folder %1.")
                    .arg(QDir::toNativeSeparators(folder)));
    return false;
  }
  return true;
}

bool HasWindowingOption(const QStringList& arguments) {
  // The options QGuiApplication and QApplication remove from the arguments.
  static const QStringList kWindowing = {
      QStringLiteral("platform"),
      QStringLiteral("platformpluginpath"),
      QStringLiteral("platformtheme"),
      QStringLiteral("plugin"),
      QStringLiteral("qwindowgeometry"),
      QStringLiteral("qwindowicon"),
      QStringLiteral("qwindowtitle"),
      QStringLiteral("reverse"),
      QStringLiteral("session"),
      QStringLiteral("style"),
      QStringLiteral("stylesheet"),
      QStringLiteral("widgetcount"),
      QStringLiteral("display"),
      QStringLiteral("geometry"),
      QStringLiteral("name"),
      QStringLiteral("title"),
      QStringLiteral("visual"),
      QStringLiteral("ncols"),
      QStringLiteral("cmap"),
      QStringLiteral("nograb"),
      QStringLiteral("dograb"),
      QStringLiteral("sync"),
      QStringLiteral("fn"),
      QStringLiteral("font"),
      QStringLiteral("bg"),
      QStringLiteral("background"),
      QStringLiteral("fg"),
      QStringLiteral("foreground"),
      QStringLiteral("btn"),
      QStringLiteral("button"),
  };
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    const QString& argument = arguments[i];
    if (argument == QStringLiteral("--")) break;
    // Qt takes these with one dash only; "--sync" stays an option of ours.
    if (!argument.startsWith(QLatin1Char('-')) || argument.startsWith(QStringLiteral("--"))) {
      continue;
    }
    const QString name = argument.mid(1).section(QLatin1Char('='), 0, 0);
    if (kWindowing.contains(name)) return true;
  }
  return false;
}

}  // namespace quorvel
