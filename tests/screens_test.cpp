// Pictures of the windows for a person to look at, in the light palette or
// a dark one. Disabled in ordinary test runs; to take them:
//
//   QUORVEL_SCREENS=/tmp/shots [QUORVEL_SCREENS_DARK=1] [QT_SCALE_FACTOR=2]
//     [QUORVEL_SCREENS_LANGUAGE=de]
//     xvfb-run -a build/tests/quorvel_tests --gtest_also_run_disabled_tests
//     --gtest_filter='Screens.*'
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QStyleFactory>
#include <QTimer>
#include <QTranslator>
#include <QTreeWidget>

#include "addressbook/address_book_window.h"
#include "addressbook/address_editor_window.h"
#include "addressbook/address_file.h"
#include "app/main_window.h"
#include "app/splash_window.h"
#include "app/sync_window.h"
#include "app/ui.h"
#include "calendar/activities_window.h"
#include "calendar/appointment_editor_window.h"
#include "calendar/appointment_file.h"
#include "calendar/day_schedule_window.h"
#include "calendar/month_calendar_window.h"
#include "calendar/reminder_window.h"
#include "calendar/reminders.h"
#include "help/help_page_window.h"
#include "help/help_topics_window.h"
#include "notes/note_file.h"
#include "notes/notes_window.h"
#include "test_support.h"

namespace quorvel::testing {
namespace {

QPalette Dark() {
  QPalette dark;
  dark.setColor(QPalette::Window, QColor(53, 53, 53));
  dark.setColor(QPalette::WindowText, QColor(238, 238, 236));
  dark.setColor(QPalette::Base, QColor(45, 45, 45));
  dark.setColor(QPalette::AlternateBase, QColor(53, 53, 53));
  dark.setColor(QPalette::Text, QColor(238, 238, 236));
  dark.setColor(QPalette::Button, QColor(60, 60, 60));
  dark.setColor(QPalette::ButtonText, QColor(238, 238, 236));
  dark.setColor(QPalette::Highlight, QColor(21, 83, 158));
  dark.setColor(QPalette::HighlightedText, Qt::white);
  dark.setColor(QPalette::ToolTipBase, QColor(53, 53, 53));
  dark.setColor(QPalette::ToolTipText, QColor(238, 238, 236));
  dark.setColor(QPalette::Light, QColor(80, 80, 80));
  dark.setColor(QPalette::Midlight, QColor(70, 70, 70));
  dark.setColor(QPalette::Mid, QColor(40, 40, 40));
  dark.setColor(QPalette::Dark, QColor(30, 30, 30));
  dark.setColor(QPalette::Shadow, QColor(20, 20, 20));
  for (auto role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText}) {
    dark.setColor(QPalette::Disabled, role, QColor(127, 127, 127));
  }
  return dark;
}

class Screens : public SeamsFixture {};

TEST_F(Screens, DISABLED_EveryChangedWindow) {
  const QString out = qEnvironmentVariable("QUORVEL_SCREENS");
  ASSERT_FALSE(out.isEmpty());
  QDir().mkpath(out);
  const QPalette original = QApplication::palette();
  if (qEnvironmentVariableIsSet("QUORVEL_SCREENS_DARK")) {
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(Dark());
  }
  const QLocale original_locale;
  QTranslator translator;
  const QString language = qEnvironmentVariable("QUORVEL_SCREENS_LANGUAGE");
  if (!language.isEmpty()) {
    ASSERT_TRUE(translator.load(QStringLiteral(":/i18n/quorvel_%1.qm").arg(language)));
    QCoreApplication::installTranslator(&translator);
    QLocale::setDefault(QLocale(language));
  }
  now_ = QDateTime(QDate(2026, 1, 7), QTime(9, 45));
  auto app = std::make_unique<Application>();
  app->SetProcessEnd([] {});
  app->OpenDataIn(dir_.path());
  store::DataFiles& files = app->files();
  ASSERT_TRUE(AddAppointment(files, Appointment{QStringLiteral("20260107-1"), QStringLiteral("Dentist"),
                                                QStringLiteral("10:00"), QStringLiteral("11:00"), true,
                                                QStringLiteral("15"), QStringLiteral("Bring the card")})
                  .stored());
  ASSERT_TRUE(AddAppointment(files, Appointment{QStringLiteral("20260107-2"), QStringLiteral("Team lunch"),
                                                QStringLiteral("10:30"), QStringLiteral("13:00"), false,
                                                QStringLiteral("15"), QString()})
                  .stored());
  AddressEntry adams;
  adams.surname = QStringLiteral("Adams");
  adams.name = QStringLiteral("Ann");
  adams.address = QStringLiteral("1 Elm Road\r\nSpringfield");
  adams.phones[0] = QStringLiteral("0123 456789");
  adams.birthday_date = QStringLiteral("07/01/1980");
  adams.birthday_flag = QStringLiteral("1");
  ASSERT_TRUE(AddAddressEntry(files, adams).stored());
  for (int i = 1; i <= 16; ++i) {
    ASSERT_TRUE(SaveNote(files, QStringLiteral("Note number %1").arg(i), QStringLiteral("text")).stored());
  }

  auto shoot = [&](QWidget& window, const char* name) {
    OpenToolWindow(window);
    QApplication::processEvents();
    QApplication::processEvents();
    window.grab().save(out + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png"));
  };
  MainWindow& main = app->Main();
  CentreOnScreen(main);
  main.show();
  shoot(main, "main");
  main.findChild<QAction*>(QStringLiteral("About"))->trigger();
  shoot(app->Splash(), "about");
  app->Splash().hide();
  main.findChild<QAction*>(QStringLiteral("Sync"))->trigger();
  if (auto* sync = main.findChild<SyncWindow*>()) {
    shoot(*sync, "sync");
    sync->close();
  }
  MonthCalendarWindow& calendar = app->MonthCalendar();
  shoot(calendar, "calendar");
  calendar.OpenActivitiesFor(QDate(2026, 1, 7));
  shoot(app->Activities(), "activities");
  app->Activities().findChild<QPushButton*>(QStringLiteral("Command6"))->click();
  shoot(app->DaySchedule(), "day_schedule");
  app->Reminder().ShowReminder(ReminderRow{585, QStringLiteral("10:00"), QStringLiteral("11:00"),
                                           QStringLiteral("Dentist"), QStringLiteral("15")});
  shoot(app->Reminder(), "reminder");
  AppointmentEditorWindow& appointment = app->AppointmentEditor();
  appointment.OpenForAdd(QStringLiteral("20260107-3"));
  shoot(appointment, "appointment_editor");
  appointment.hide();
  shoot(app->Notes(), "notes");
  AddressBookWindow& book = app->AddressBook();
  shoot(book, "address_book");
  AddressEditorWindow& editor = app->AddressEditor();
  editor.PrepareEdit(QStringLiteral("Adams, Ann"), ReadAddressEntry(files, 0));
  shoot(editor, "address_editor");
  HelpTopicsWindow& topics = app->HelpTopics();
  topics.findChild<QTreeWidget*>()->expandAll();
  shoot(topics, "help_topics");
  HelpPageWindow& page = app->HelpPage();
  page.ShowHelpPage(1);
  shoot(page, "help_page");

  // The message box as the program shows it, over its window.
  SetMessageSink({});
  QTimer::singleShot(300, [&] {
    if (QWidget* box = QApplication::activeModalWidget()) {
      box->grab().save(out + QStringLiteral("/message_box.png"));
      box->close();
    }
  });
  OpenToolWindow(editor);
  ShowMessage(QStringLiteral("You need to supply a Surname!"));
  app.reset();
  QApplication::setPalette(original);
  QCoreApplication::removeTranslator(&translator);
  QLocale::setDefault(original_locale);
}

}  // namespace
}  // namespace quorvel::testing
