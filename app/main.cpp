#include <cstdio>
#include <cstdlib>

#include <QApplication>
#include <QDir>
#include <QTextStream>

#include "app/application.h"
#include "app/command_line.h"
#include "app/instance.h"
#include "app/reminder_agent.h"
#include "store/fatal.h"
#include "ui/artwork.h"
#include "ui/seams.h"
#include "ui/translation.h"

namespace {

QStringList ArgumentsOf(int argc, char* argv[]) {
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  return arguments;
}

void NameApplication() {
  QCoreApplication::setApplicationName(QStringLiteral("Quorvel"));
  QCoreApplication::setApplicationVersion(QStringLiteral(QUORVEL_VERSION));
  QCoreApplication::setOrganizationDomain(QStringLiteral("quorvel.org"));
}

// Everything that opens no window: help, version, errors and the commands
// that work on the data files directly.
int RunWithoutWindow(const quorvel::Invocation& invocation) {
  QTextStream out(stdout);
  QTextStream err(stderr);
  switch (invocation.action) {
    case quorvel::Invocation::Action::kPrint:
      out << invocation.text;
      return EXIT_SUCCESS;
    case quorvel::Invocation::Action::kError:
      err << invocation.text;
      return invocation.exit_code;
    case quorvel::Invocation::Action::kHeadless:
      break;
    case quorvel::Invocation::Action::kAgent:
      break;
    case quorvel::Invocation::Action::kWindow:
      return EXIT_FAILURE;
  }
  // No window to show a message in: say it on standard error.
  quorvel::SetMessageSink([](const QString& text) { QTextStream(stderr) << text << '\n'; });
  // A folder that cannot be used ends the commands with the status they
  // ask for (for --search, 1 already means "nothing found").
  const int folder_failure = invocation.folder_failure_status;
  quorvel::store::SetFatalHandler([folder_failure](const QString& message) {
    QTextStream(stderr) << message << '\n';
    std::fflush(stderr);
    std::_Exit(folder_failure);
  });
  if (invocation.action == quorvel::Invocation::Action::kAgent) {
    return invocation.agent(invocation.data_folder, invocation.create_folder);
  }
  if (invocation.create_folder && !quorvel::MakeDataFolder(invocation.data_folder)) {
    return folder_failure;
  }
  return quorvel::RunHeadless(invocation.data_folder, invocation.commands, out, err,
                              folder_failure);
}

}  // namespace

int main(int argc, char* argv[]) {
  const QStringList arguments = ArgumentsOf(argc, argv);
  // Decided once: the working folder of the start.
  const QString current_folder = QDir::currentPath();
  const quorvel::Invocation first =
      quorvel::ParseCommandLine(arguments, current_folder, quorvel::StandardDataFolder());
  // The reminder agent opens windows only when it found no notification
  // service to show its reminders.
  const bool agent_windows = first.action == quorvel::Invocation::Action::kAgent &&
                             !qEnvironmentVariableIsEmpty(quorvel::reminding::kAgentWithWindows);
  // Not passed on to what this process starts (the day it opens, a later
  // agent).
  qunsetenv(quorvel::reminding::kAgentWithWindows);
  const bool window = first.action == quorvel::Invocation::Action::kWindow || agent_windows ||
                      (first.action == quorvel::Invocation::Action::kError &&
                       quorvel::HasWindowingOption(arguments));
  if (!window) {
    // No display is needed for these.
    QCoreApplication core(argc, argv);
    NameApplication();
    quorvel::LoadTranslation();
    return RunWithoutWindow(quorvel::ParseCommandLine(QCoreApplication::arguments(), current_folder,
                                                      quorvel::StandardDataFolder()));
  }

  QApplication qt(argc, argv);
  NameApplication();
  quorvel::LoadTranslation();
  // Parsed again without the windowing layer's own options, and translated.
  const quorvel::Invocation invocation = quorvel::ParseCommandLine(
      QCoreApplication::arguments(), current_folder, quorvel::StandardDataFolder());
  if (invocation.action != quorvel::Invocation::Action::kWindow) {
    if (invocation.action == quorvel::Invocation::Action::kAgent) {
      QApplication::setWindowIcon(quorvel::ProgramIcon());
      QApplication::setDesktopFileName(QStringLiteral("org.quorvel.quorvel"));
      QApplication::setQuitOnLastWindowClosed(false);
    }
    return RunWithoutWindow(invocation);
  }
  QApplication::setWindowIcon(quorvel::ProgramIcon());
  QApplication::setDesktopFileName(QStringLiteral("org.quorvel.quorvel"));
  quorvel::store::SetFatalHandler(quorvel::ReportFatalAndExit);
  quorvel::store::SetNoticeHandler(quorvel::ShowMessage);
  if (invocation.create_folder && !quorvel::MakeDataFolder(invocation.data_folder)) {
    return EXIT_FAILURE;
  }
  quorvel::Application app;
  // Ended by the session or the terminal, as by the menu's Exit.
  const quorvel::EndOnSignals ending([&app] { app.CloseForExit(); });
  app.SetDataFolder(invocation.data_folder);
  app.SetStandardFolder(invocation.create_folder);
  app.SetOpenDay(invocation.open_day);
  app.Start();
  return QApplication::exec();
}
