// How Quorvel behaves as a desktop application: the About box names the
// data folder; a second start on a held folder raises the running window.
#include <signal.h>

#include <atomic>
#include <thread>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "addressbook/address_book_window.h"
#include "app/instance.h"
#include "app/main_window.h"
#include "app/splash_window.h"
#include "calendar/activities_window.h"
#include "calendar/appointment_editor_window.h"
#include "calendar/day_schedule_window.h"
#include "calendar/month_calendar_window.h"
#include "calendar/reminder_window.h"
#include "help/help_page_window.h"
#include "help/help_topics_window.h"
#include "items/address_file.h"
#include "items/appointment_file.h"
#include "notes/notes_window.h"
#include "test_support.h"

namespace quorvel::testing {
namespace {

using DesktopTest = AppFixture;

TEST_F(DesktopTest, AboutBoxNamesTheDataFolderButTheStartingSplashDoesNot) {
  SplashWindow& splash = app_->Splash();
  splash.SetCloseVisible(false);
  splash.show();
  auto* folder = splash.findChild<QLabel*>(QLatin1String(splash_names::kDataFolder));
  ASSERT_NE(folder, nullptr);
  EXPECT_FALSE(folder->isVisible());

  splash.SetCloseVisible(true);
  EXPECT_TRUE(folder->isVisible());
  EXPECT_TRUE(
      splash.findChild<QLabel*>(QLatin1String(splash_names::kDataFolderCaption))->isVisible());
  EXPECT_EQ(folder->toolTip(), QDir::toNativeSeparators(dir_.path()));
  // A long path is shortened in the middle to fit; the tool tip holds it all.
  EXPECT_LE(folder->fontMetrics().horizontalAdvance(folder->text()), folder->width());
  EXPECT_TRUE(folder->text().endsWith(QDir(dir_.path()).dirName()));
  if (!qEnvironmentVariableIsEmpty("QUORVEL_SHOTS")) {
    splash.grab().save(qEnvironmentVariable("QUORVEL_SHOTS") + QStringLiteral("/about.png"));
  }
}

void Activate(QWidget& window) {
  window.show();
  window.activateWindow();
  QApplication::setActiveWindow(&window);
  QApplication::processEvents();
}

TEST_F(DesktopTest, F1OpensTheHelpTopicsAndCtrlQQuitsFromAnyWindow) {
  app_->Main().show();
  Activate(app_->Notes());
  QTest::keyClick(&app_->Notes(), Qt::Key_F1);
  ASSERT_TRUE(app_->HasHelpTopics());
  EXPECT_TRUE(app_->HelpTopics().isVisible());
  EXPECT_FALSE(ended_);

  Activate(app_->MonthCalendar());
  QTest::keyClick(&app_->MonthCalendar(), Qt::Key_Q, Qt::ControlModifier);
  EXPECT_TRUE(ended_);
  // As the menu's Exit: the files are closed.
  EXPECT_FALSE(files().IsOpen(store::Channel::kAppoint));
}

TEST_F(DesktopTest, EscClosesEverySecondaryWindowAndEnterPressesTheDefaultButton) {
  app_->Main().show();
  const std::vector<std::pair<const char*, QWidget*>> windows = {
      {"month calendar", &app_->MonthCalendar()}, {"activities", &app_->Activities()},
      {"day schedule", &app_->DaySchedule()},     {"notes", &app_->Notes()},
      {"address book", &app_->AddressBook()},     {"help topics", &app_->HelpTopics()},
      {"help page", &app_->HelpPage()},           {"reminder", &app_->Reminder()}};
  for (const auto& [name, window] : windows) {
    SCOPED_TRACE(name);
    Activate(*window);
    ASSERT_TRUE(window->isVisible());
    QTest::keyClick(QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : window,
                    Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
  }
  // The desk itself stays.
  Activate(app_->Main());
  QTest::keyClick(&app_->Main(), Qt::Key_Escape);
  EXPECT_TRUE(app_->Main().isVisible());

  // Enter where the control in focus has no use for it: the default button.
  for (const auto& [window, ok_name] :
       {std::pair<QWidget*, const char*>{&app_->Activities(), activities_names::kOk},
        std::pair<QWidget*, const char*>{&app_->DaySchedule(), day_schedule_names::kOk}}) {
    Activate(*window);
    auto* ok = window->findChild<QPushButton*>(QLatin1String(ok_name));
    ASSERT_NE(ok, nullptr);
    EXPECT_TRUE(ok->isDefault());
    int presses = 0;
    QObject::connect(ok, &QPushButton::clicked, [&presses] { ++presses; });
    if (QWidget* focus = window->focusWidget()) focus->clearFocus();
    QTest::keyClick(window, Qt::Key_Return);
    QTest::qWait(300);  // the button shows itself pressed first
    EXPECT_EQ(presses, 1) << window->objectName().toStdString();
  }
}

// Esc in an open drop-down list closes the list, not its window; the next
// Esc closes the window.
TEST_F(DesktopTest, EscInAnOpenListClosesOnlyTheList) {
  AddressEntry entry;
  entry.surname = QStringLiteral("Adams");
  entry.name = QStringLiteral("Ann");
  entry.birthday_date = QStringLiteral("07/01/1990");
  entry.birthday_flag = QStringLiteral("1");
  ASSERT_TRUE(AddAddressEntry(files(), entry).stored());
  ASSERT_TRUE(
      AddAppointment(files(), Appointment{QStringLiteral("20260107-1"), QStringLiteral("Dentist"),
                                          QStringLiteral("09:00"), QStringLiteral("10:00"), false,
                                          QStringLiteral("15"), QString()})
          .stored());
  app_->Main().show();
  app_->MonthCalendar().OpenActivitiesFor(QDate(2026, 1, 7));
  struct List {
    const char* what;
    QWidget* window;
    const char* combo;
  };
  for (const List& list :
       {List{"appointments", &app_->Activities(), activities_names::kAppointments},
        List{"memos", &app_->Activities(), activities_names::kMemos},
        List{"names", &app_->AddressBook(), address_book_names::kNames},
        List{"start time", &app_->AppointmentEditor(), appointment_editor_names::kStart}}) {
    SCOPED_TRACE(list.what);
    Activate(*list.window);
    auto* combo = list.window->findChild<QComboBox*>(QLatin1String(list.combo));
    ASSERT_NE(combo, nullptr);
    ASSERT_GT(combo->count(), 0);
    combo->setFocus();
    combo->showPopup();
    QApplication::processEvents();
    ASSERT_TRUE(combo->view()->isVisible());
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus != nullptr ? focus : combo->view(), Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_FALSE(combo->view()->isVisible());
    EXPECT_TRUE(list.window->isVisible());

    Activate(*list.window);
    focus = QApplication::focusWidget();
    QTest::keyClick(focus != nullptr ? focus : list.window, Qt::Key_Escape);
    EXPECT_FALSE(list.window->isVisible());
  }
}

// Asks from another thread, as a second process would, while this thread
// serves the request.
bool AskToRaise(const QString& folder) {
  std::atomic<bool> done = false;
  bool raised = false;
  std::thread asker([&] {
    raised = RaiseRunningInstance(folder, 5000);
    done = true;
  });
  QElapsedTimer waited;
  waited.start();
  while (!done && waited.elapsed() < 10000) QApplication::processEvents(QEventLoop::AllEvents, 20);
  asker.join();
  return raised;
}

TEST_F(DesktopTest, SecondStartRaisesTheRunningWindow) {
  MainWindow& main = app_->Main();
  main.show();
  main.setWindowState(Qt::WindowMinimized);
  InstanceServer server(dir_.path(), [this] { app_->RaiseMainWindow(); });
  ASSERT_TRUE(server.listening());

  EXPECT_TRUE(AskToRaise(dir_.path()));
  EXPECT_FALSE(main.windowState() & Qt::WindowMinimized);
  EXPECT_TRUE(main.isVisible());

  // The same folder by another spelling or through a link meets the same
  // window; another folder does not.
  EXPECT_EQ(InstanceSocketPath(dir_.path() + QStringLiteral("/./")),
            InstanceSocketPath(dir_.path()));
  const QString link = Path(QStringLiteral("link"));
  ASSERT_TRUE(QFile::link(dir_.path(), link));
  EXPECT_EQ(InstanceSocketPath(link), InstanceSocketPath(dir_.path()));
  EXPECT_NE(InstanceSocketPath(Path(QStringLiteral("other"))), InstanceSocketPath(dir_.path()));
}

TEST_F(DesktopTest, NobodyToRaiseMeansTheInUseMessageStays) {
  // No Quorvel listens for this folder (a command without a window, or a
  // program that ended and left its socket behind).
  QElapsedTimer waited;
  waited.start();
  EXPECT_FALSE(RaiseRunningInstance(dir_.path(), 2000));
  EXPECT_LT(waited.elapsed(), 1500);
  {
    InstanceServer gone(dir_.path(), [] {});
    ASSERT_TRUE(gone.listening());
  }
  EXPECT_FALSE(RaiseRunningInstance(dir_.path(), 2000));

  // Starting while a process without a window holds the folder: the
  // message, and the end of this process.
  // (A folder this test process has not opened: it may reopen its own.)
  QTemporaryDir held;
  ASSERT_TRUE(held.isValid());
  QProcess holder;
  holder.start(QStringLiteral(QUORVEL_STORE_CHILD), {QStringLiteral("hold"), held.path()});
  ASSERT_TRUE(holder.waitForStarted());
  ASSERT_TRUE(holder.waitForReadyRead(10000));
  Application second;
  bool ended = false;
  second.SetProcessEnd([&ended] { ended = true; });
  EXPECT_FALSE(second.OpenDataIn(held.path()));
  holder.kill();
  holder.waitForFinished();
  EXPECT_TRUE(ended);
  EXPECT_EQ(messages_, QStringList{store::FolderInUseMessage(held.path())});
}

// The real program, ended by the session (SIGTERM), Ctrl+C (SIGINT) or a
// closed terminal (SIGHUP): it removes its instance socket and ends by the
// signal.
TEST(DesktopProcessTest, AnEndingSignalRemovesTheInstanceSocket) {
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(signal);
    QTemporaryDir data;
    QTemporaryDir runtime;  // made readable by its owner only, as a runtime folder must be
    ASSERT_TRUE(data.isValid() && runtime.isValid());
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(QUORVEL_BINARY), {QStringLiteral("--data-folder"), data.path()});
    ASSERT_TRUE(program.waitForStarted(10000));
    const auto sockets = [&runtime] {
      // Sockets only: other files of the program may live there too.
      return QDir(runtime.path()).entryList({QStringLiteral("quorvel-*")}, QDir::System);
    };
    QElapsedTimer waited;
    waited.start();
    while (sockets().isEmpty() && waited.elapsed() < 30000 &&
           program.state() == QProcess::Running) {
      QTest::qWait(50);
    }
    ASSERT_EQ(sockets().size(), 1) << program.readAllStandardError().toStdString();
    ::kill(static_cast<pid_t>(program.processId()), signal);
    ASSERT_TRUE(program.waitForFinished(20000));
    EXPECT_EQ(program.exitStatus(), QProcess::CrashExit);  // ended by the signal
    EXPECT_TRUE(sockets().isEmpty()) << sockets().join(QLatin1Char(' ')).toStdString();
  }
}

}  // namespace
}  // namespace quorvel::testing
