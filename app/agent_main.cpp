// The reminder agent's own program, which `quorvel --reminders` becomes:
// the reminders of one data folder on Qt Core and D-Bus only, so that what
// waits all day for the next reminder maps none of the organiser's
// windowing libraries.
//
//   quorvel-reminders FOLDER PROGRAM FOLDER-OPTIONS...
//
// FOLDER exists. PROGRAM is the organiser, and FOLDER-OPTIONS name the
// folder on its command line (--standard-folder, or --data-folder FOLDER):
// the agent starts it to open a reminder's day, and becomes it, with
// windows, where no notification service answers and the designed pop-up
// must be shown.
#include <cstdio>
#include <cstdlib>

#include <QCoreApplication>
#include <QDate>
#include <QProcess>
#include <QTextStream>

#include "app/texts.h"
#include "reminding/agent.h"
#include "reminding/reminder_keeper.h"
#include "store/fatal.h"
#include "ui/translation.h"

namespace {

using quorvel::CommandLineTexts;
using quorvel::reminding::Reminder;
using quorvel::reminding::ReminderKeeper;

// Qt's own event loop instead of GLib's, which nothing here needs and which
// costs the agent a few hundred KiB; not for what the agent starts.
constexpr char kNoGlib[] = "QT_NO_GLIB";
bool glib_chosen = false;  // the user chose, not the agent

void LeaveOutGlib() {
  glib_chosen = qEnvironmentVariableIsSet(kNoGlib);
  if (!glib_chosen) ::setenv(kNoGlib, "1", 1);
}

void GiveBackGlib() {
  if (!glib_chosen) ::unsetenv(kNoGlib);
}

// Becomes the organiser's agent with windows; returns only when it cannot.
// The reminders not shown yet are shown by it.
void BecomeAgentWithWindows(const QString& program, const QStringList& folder_options) {
  GiveBackGlib();
  ::setenv(quorvel::reminding::kAgentWithWindows, "1", 1);
  quorvel::reminding::BecomeProgram(QStringList{program, QStringLiteral("--reminders")} +
                                    folder_options);
  ::unsetenv(quorvel::reminding::kAgentWithWindows);
  LeaveOutGlib();
}

// Where nothing else can show it: standard error, for the session's log.
void Print(const Reminder& r, bool missed) {
  QTextStream err(stderr);
  err << (missed ? ReminderKeeper::tr("Missed: %1").arg(r.subject) : r.subject) << ' ' << r.start
      << '-' << r.end << '\n';
}

}  // namespace

int main(int argc, char* argv[]) {
  LeaveOutGlib();
  QCoreApplication core(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("Quorvel"));
  QCoreApplication::setOrganizationDomain(QStringLiteral("quorvel.org"));
  quorvel::LoadTranslation();
  quorvel::store::SetFatalHandler([](const QString& message) {
    QTextStream(stderr) << message << '\n';
    std::fflush(stderr);
    std::_Exit(EXIT_FAILURE);
  });
  const QStringList arguments = QCoreApplication::arguments();
  if (arguments.size() < 4) {
    QTextStream(stderr) << CommandLineTexts::tr("%1 is started by quorvel --reminders.")
                               .arg(QStringLiteral("quorvel-reminders"))
                        << '\n';
    return 2;
  }
  const QString folder = arguments[1];
  const QString program = arguments[2];
  const QStringList folder_options = arguments.mid(3);

  quorvel::reminding::ReminderKeeper::Fallback fallback = Print;
  if (!qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
    fallback = [program, folder_options](const Reminder& r, bool missed) {
      BecomeAgentWithWindows(program, folder_options);
      Print(r, missed);
    };
  }
  return quorvel::reminding::RunAgent(
      folder, fallback, [program, folder_options](const QDate& day) {
        // As a start from the desktop would: it opens the day in the Quorvel
        // running on the folder, if one does.
        QProcess start;
        start.setProgram(program);
        start.setArguments(folder_options +
                           QStringList{QStringLiteral("--day"), day.toString(Qt::ISODate)});
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (!glib_chosen) environment.remove(QString::fromLatin1(kNoGlib));
        start.setProcessEnvironment(environment);
        start.startDetached();
      });
}
