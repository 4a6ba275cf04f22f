#include "app/reminder_agent.h"

#include <cstdlib>
#include <memory>

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTextStream>

#include "app/application.h"
#include "app/texts.h"
#include "calendar/reminder_window.h"
#include "calendar/reminders.h"

namespace quorvel {
namespace {

const QString kEntryBase = QStringLiteral("org.quorvel.quorvel.Reminders");
// Where the package installs the agent's own program, from this program's
// folder.
constexpr char kInstalledAgent[] = QUORVEL_AGENT_FROM_BINDIR "/quorvel-reminders";
// Its name in a build folder, beside this program.
constexpr char kBuiltAgent[] = "quorvel-reminders";

// How this program's command line names `folder`.
QStringList FolderArguments(const QString& folder, bool standard) {
  return standard ? QStringList{QStringLiteral("--standard-folder")}
                  : QStringList{QStringLiteral("--data-folder"), folder};
}

QString UserAutostartFolder() {
  return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
      .filePath(QStringLiteral("autostart"));
}

// The package's entry, in the system's configuration folders.
bool SystemEntryInstalled(const QString& name) {
  QString dirs = qEnvironmentVariable("XDG_CONFIG_DIRS");
  if (dirs.isEmpty()) dirs = QStringLiteral("/etc/xdg");
  for (const QString& dir : dirs.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
    if (QFileInfo::exists(QDir(dir).filePath(QStringLiteral("autostart/") + name))) return true;
  }
  return false;
}

// One argument of an Exec line, quoted as the desktop entry format asks,
// then escaped as a string value.
QString ExecArgument(const QString& argument) {
  QString quoted;
  for (QChar c : argument) {
    if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
        c == QLatin1Char('\\')) {
      quoted += QLatin1Char('\\');
    }
    quoted += c;
  }
  quoted = QLatin1Char('"') + quoted + QLatin1Char('"');
  quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
  quoted.replace(QLatin1Char('%'), QStringLiteral("%%"));
  return quoted;
}

QString EntryText(const QString& folder, bool standard, bool hidden) {
  QString exec =
      ExecArgument(QCoreApplication::applicationFilePath()) + QStringLiteral(" --reminders");
  exec += standard ? QStringLiteral(" --standard-folder")
                   : QStringLiteral(" --data-folder ") + ExecArgument(folder);
  QString text = QStringLiteral(
                     "[Desktop Entry]\nType=Application\nName=Quorvel Reminders\n"
                     "Comment=Reminds of appointments while Quorvel is closed\n"
                     "Icon=org.quorvel.quorvel\nExec=%1\nTerminal=false\nNoDisplay=true\n"
                     "X-GNOME-Autostart-enabled=%2\n")
                     .arg(exec, hidden ? QStringLiteral("false") : QStringLiteral("true"));
  if (hidden) text += QStringLiteral("Hidden=true\n");
  return text;
}

bool MarkedHidden(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  while (!file.atEnd()) {
    const QByteArray line = file.readLine().trimmed();
    if (line == "Hidden=true" || line == "X-GNOME-Autostart-enabled=false") return true;
  }
  return false;
}

// The designed pop-up, for an agent that runs with windows.
struct PopUps {
  std::unique_ptr<Application> app;
  void Show(const reminding::Reminder& r, bool missed) {
    if (!app) app = std::make_unique<Application>();
    ReminderRow row;
    row.start = r.start;
    row.end = r.end;
    row.subject = DisplaySubject(r.subject);
    row.lead = r.lead;
    row.missed = missed;
    app->Reminder().ShowReminder(row);
  }
};

// Becomes the agent's own program; returns only when it cannot.
void BecomeAgentProgram(const QString& folder, const QStringList& folder_arguments,
                        QTextStream& err) {
  const QString agent = AgentProgram();
  if (!agent.isEmpty()) {
    reminding::BecomeProgram(QStringList{agent, folder, QCoreApplication::applicationFilePath()} +
                             folder_arguments);
  }
  const QString expected = agent.isEmpty()
                               ? QDir::cleanPath(QDir(QCoreApplication::applicationDirPath())
                                                     .filePath(QLatin1String(kInstalledAgent)))
                               : agent;
  err << CommandLineTexts::tr("The reminder agent %1 cannot be started.")
             .arg(QDir::toNativeSeparators(expected))
      << '\n';
}

}  // namespace

CommandLineOptions ReminderCommandLine() {
  CommandLineOptions line;
  const QCommandLineOption reminders(
      QStringLiteral("reminders"),
      CommandLineTexts::tr(
          "Run the reminder agent: desktop notifications for the appointments' reminders while "
          "Quorvel is closed. It opens no window and does not keep Quorvel out of the folder."));
  line.options = {reminders};
  line.take_agent = [reminders](const QCommandLineParser& parser, QString&) -> AgentCommand {
    if (!parser.isSet(reminders)) return {};
    return RunReminderAgent;
  };
  return line;
}

int RunReminderAgent(const QString& folder, bool create_folder) {
  QTextStream err(stderr);
  if (create_folder && !MakeDataFolder(folder)) return EXIT_FAILURE;
  if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
    err << CommandLineTexts::tr("The data folder %1 does not exist.")
               .arg(QDir::toNativeSeparators(folder))
        << '\n';
    return EXIT_FAILURE;
  }
  const QStringList folder_arguments = FolderArguments(folder, create_folder);
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
    BecomeAgentProgram(folder, folder_arguments, err);
    return EXIT_FAILURE;
  }
  // With windows: the designed pop-up shows what no notification service
  // takes.
  PopUps popups;
  return reminding::RunAgent(
      folder, [&popups](const reminding::Reminder& r, bool missed) { popups.Show(r, missed); },
      [folder_arguments](const QDate& day) {
        // As a start from the desktop would: it opens the day in the
        // Quorvel running on the folder, if one does.
        QProcess::startDetached(
            QCoreApplication::applicationFilePath(),
            folder_arguments + QStringList{QStringLiteral("--day"), day.toString(Qt::ISODate)});
      });
}

QString AgentProgram() {
  const QDir here(QCoreApplication::applicationDirPath());
  for (const char* name : {kInstalledAgent, kBuiltAgent}) {
    const QFileInfo program(here.filePath(QLatin1String(name)));
    if (program.isFile() && program.isExecutable()) return program.absoluteFilePath();
  }
  return QString();
}

bool AgentRunning(const QString& folder) {
  return reminding::AskAgent(folder, reminding::AgentRequest::kPing);
}

void StartAgent(const QString& folder, bool standard) {
  if (AgentRunning(folder)) return;
  QProcess::startDetached(
      QCoreApplication::applicationFilePath(),
      QStringList{QStringLiteral("--reminders")} + FolderArguments(folder, standard));
}

void StopAgent(const QString& folder) {
  reminding::AskAgent(folder, reminding::AgentRequest::kQuit);
}

QString AutostartFileName(const QString& folder, bool standard) {
  if (standard) return kEntryBase + QStringLiteral(".desktop");
  QString canonical = QFileInfo(folder).canonicalFilePath();
  if (canonical.isEmpty()) canonical = QDir::cleanPath(folder);
  const QByteArray hash =
      QCryptographicHash::hash(QFile::encodeName(canonical), QCryptographicHash::Sha256)
          .toHex()
          .left(12);
  return kEntryBase + QLatin1Char('-') + QString::fromLatin1(hash) + QStringLiteral(".desktop");
}

bool AgentStartsAtLogin(const QString& folder, bool standard) {
  const QString name = AutostartFileName(folder, standard);
  const QString own = QDir(UserAutostartFolder()).filePath(name);
  if (QFileInfo::exists(own)) return !MarkedHidden(own);
  return standard && SystemEntryInstalled(name);
}

bool SetAgentStartsAtLogin(const QString& folder, bool standard, bool on) {
  const QString name = AutostartFileName(folder, standard);
  const QString own = QDir(UserAutostartFolder()).filePath(name);
  bool ok = true;
  if (on && standard && SystemEntryInstalled(name)) {
    // The package's entry holds again.
    if (QFileInfo::exists(own)) ok = QFile::remove(own);
  } else if (!on && !(standard && SystemEntryInstalled(name))) {
    if (QFileInfo::exists(own)) ok = QFile::remove(own);
  } else {
    ok = QDir().mkpath(UserAutostartFolder());
    QSaveFile file(own);
    ok = ok && file.open(QIODevice::WriteOnly);
    if (ok) {
      file.write(EntryText(folder, standard, !on).toUtf8());
      ok = file.commit();
    }
  }
  if (on) {
    StartAgent(folder, standard);
  } else {
    StopAgent(folder);
  }
  return ok;
}

}  // namespace quorvel
