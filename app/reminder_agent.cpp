#include "app/reminder_agent.h"

#include <unistd.h>

#include <cstdlib>
#include <memory>

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTextStream>

#include "app/application.h"
#include "app/instance.h"
#include "app/seams.h"
#include "calendar/reminder_window.h"
#include "calendar/reminders.h"
#include "reminding/desktop_notifier.h"
#include "reminding/keeper_lock.h"
#include "reminding/reminder_keeper.h"

namespace quorvel {
namespace {

constexpr char kPing[] = "ping\n";
constexpr char kPong[] = "pong\n";
constexpr char kQuit[] = "quit\n";
const QString kEntryBase = QStringLiteral("org.quorvel.quorvel.Reminders");

QString Ask(const QString& folder, const char* request) {
  QLocalSocket socket;
  socket.connectToServer(AgentSocketPath(folder));
  if (!socket.waitForConnected(1000)) return QString();
  socket.write(request);
  if (!socket.waitForBytesWritten(1000)) return QString();
  QByteArray answer;
  while (!answer.contains('\n')) {
    if (!socket.waitForReadyRead(2000)) break;
    answer += socket.readAll();
  }
  return QString::fromLatin1(answer);
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
  QString exec = ExecArgument(QCoreApplication::applicationFilePath()) +
                 QStringLiteral(" --reminders");
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

// The agent's answer to the program and to later agents.
class AgentServer : public QObject {
 public:
  explicit AgentServer(const QString& folder) : server_(new QLocalServer(this)) {
    const QString path = AgentSocketPath(folder);
    QLocalServer::removeServer(path);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    server_->listen(path);
    connect(server_, &QLocalServer::newConnection, this, [this] {
      while (QLocalSocket* client = server_->nextPendingConnection()) {
        connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        connect(client, &QLocalSocket::readyRead, this, [client] {
          if (!client->canReadLine()) return;
          const QByteArray request = client->readLine();
          client->write(kPong);
          client->flush();
          client->disconnectFromServer();
          if (request == kQuit) QCoreApplication::quit();
        });
      }
    });
  }

 private:
  QLocalServer* server_;
};

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

// Starts this program again with windows, to show pop-ups: the reminders
// not shown yet are shown by the new start.
[[noreturn]] void RestartWithWindows() {
  ::setenv(kAgentWithWindows, "1", 1);
  const QStringList arguments = QCoreApplication::arguments();
  std::vector<QByteArray> bytes;
  for (const QString& argument : arguments) bytes.push_back(QFile::encodeName(argument));
  std::vector<char*> argv;
  for (QByteArray& b : bytes) argv.push_back(b.data());
  argv.push_back(nullptr);
  const QByteArray program = QFile::encodeName(QCoreApplication::applicationFilePath());
  ::execv(program.constData(), argv.data());
  std::_Exit(EXIT_FAILURE);
}

}  // namespace

CommandLineOptions ReminderCommandLine() {
  CommandLineOptions line;
  const QCommandLineOption reminders(
      QStringLiteral("reminders"),
      QCoreApplication::translate("CommandLine", "Run the reminder agent: desktop notifications for the appointments' reminders while Quorvel is closed. It opens no window and does not keep Quorvel out of the folder."));
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
    err << QCoreApplication::translate("CommandLine", "The data folder %1 does not exist.")
               .arg(QDir::toNativeSeparators(folder))
        << '\n';
    return EXIT_FAILURE;
  }
  // One agent per folder: a second one has nothing to do.
  if (!Ask(folder, kPing).isEmpty()) return EXIT_SUCCESS;
  AgentServer server(folder);

  const bool with_windows = qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
  QDBusConnection session = QDBusConnection::sessionBus();
  std::unique_ptr<reminding::DesktopNotifier> notifier;
  if (session.isConnected()) notifier = std::make_unique<reminding::DesktopNotifier>(session);
  PopUps popups;
  reminding::ReminderKeeper::Fallback fallback;
  if (with_windows) {
    fallback = [&popups](const reminding::Reminder& r, bool missed) { popups.Show(r, missed); };
  } else if (!qEnvironmentVariableIsEmpty("DISPLAY") ||
             !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
    fallback = [](const reminding::Reminder&, bool) { RestartWithWindows(); };
  } else {
    // No desktop at all: say it where someone may read it.
    fallback = [&err](const reminding::Reminder& r, bool missed) {
      err << (missed ? QStringLiteral("Missed: ") : QString()) << r.subject << ' ' << r.start
          << '-' << r.end << '\n';
      err.flush();
    };
  }
  reminding::ReminderKeeper keeper(folder, Now, notifier.get(), fallback);
  keeper.FollowSleep(QDBusConnection::systemBus());
  QObject::connect(&keeper, &reminding::ReminderKeeper::OpenRequested,
                   [folder, create_folder](const QDate& day) {
    if (RaiseRunningInstance(folder, 3000, day)) return;
    // Started as the desktop menu starts it, for the standard folder.
    QStringList arguments = create_folder ? QStringList{QStringLiteral("--standard-folder")}
                                          : QStringList{QStringLiteral("--data-folder"), folder};
    arguments << QStringLiteral("--day") << day.toString(Qt::ISODate);
    QProcess::startDetached(QCoreApplication::applicationFilePath(), arguments);
  });
  reminding::KeeperLock lock(folder);
  QObject::connect(&lock, &reminding::KeeperLock::Taken, &keeper, &reminding::ReminderKeeper::Start);
  if (lock.TryTake()) {
    keeper.Start();
  } else {
    // The organiser keeps the reminders while it runs; the agent takes
    // over the moment it ends.
    lock.WaitForIt();
  }
  return QCoreApplication::exec();
}

bool AgentRunning(const QString& folder) { return Ask(folder, kPing) == QLatin1String(kPong); }

void StartAgent(const QString& folder, bool standard) {
  if (AgentRunning(folder)) return;
  QStringList arguments{QStringLiteral("--reminders")};
  if (standard) {
    arguments << QStringLiteral("--standard-folder");
  } else {
    arguments << QStringLiteral("--data-folder") << folder;
  }
  QProcess::startDetached(QCoreApplication::applicationFilePath(), arguments);
}

void StopAgent(const QString& folder) { Ask(folder, kQuit); }

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
