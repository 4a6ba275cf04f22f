// Every window of the program opened in turn over sample data, for the tests
// that look at all of them (pictures, captions that fit, translations).
#pragma once

#include <functional>

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

#include "addressbook/address_book_window.h"
#include "addressbook/address_editor_window.h"
#include "app/application.h"
#include "app/main_window.h"
#include "app/restore_window.h"
#include "app/splash_window.h"
#include "app/sync_window.h"
#include "backups/backups.h"
#include "calendar/activities_window.h"
#include "calendar/appointment_editor_window.h"
#include "calendar/day_schedule_window.h"
#include "calendar/month_calendar_window.h"
#include "calendar/reminder_window.h"
#include "calendar/reminders.h"
#include "events/event_file.h"
#include "find/find_window.h"
#include "help/help_page_window.h"
#include "help/help_topics_window.h"
#include "items/address_file.h"
#include "items/appointment_file.h"
#include "items/note_file.h"
#include "notes/notes_window.h"
#include "ui/ui.h"

namespace quorvel::testing {

// Two overlapping appointments on 07/01/2026 (the first with a reminder), a
// weekly call that day and an all-day congress on the 12th (kept in
// Events.dat), a three-day conference and a yearly anniversary over that day
// too, Ann Adams with her birthday that day, and 16 notes.
inline void StoreSampleData(store::DataFiles& files) {
  ASSERT_TRUE(
      AddAppointment(files, Appointment{QStringLiteral("20260107-1"), QStringLiteral("Dentist"),
                                        QStringLiteral("10:00"), QStringLiteral("11:00"), true,
                                        QStringLiteral("15"), QStringLiteral("Bring the card")})
          .stored());
  ASSERT_TRUE(
      AddAppointment(files, Appointment{QStringLiteral("20260107-2"), QStringLiteral("Team lunch"),
                                        QStringLiteral("10:30"), QStringLiteral("13:00"), false,
                                        QStringLiteral("15"), QString()})
          .stored());
  {
    const auto event = [](const char* uid, const char* lines) {
      return QByteArray(
                 "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//sample//EN\r\nBEGIN:VEVENT\r\nUID:") +
             uid + "\r\nDTSTAMP:20260101T000000Z\r\n" + lines + "END:VEVENT\r\nEND:VCALENDAR\r\n";
    };
    store::Operation op(files);
    ASSERT_EQ(events::PutEvent(op, event("call",
                                         "DTSTART:20251203T080000\r\nDTEND:20251203T083000\r\n"
                                         "RRULE:FREQ=WEEKLY\r\nSUMMARY:Dentist's weekly call\r\n")),
              events::PutResult::kStored);
    ASSERT_EQ(
        events::PutEvent(op, event("congress",
                                   "DTSTART;VALUE=DATE:20260112\r\n"
                                   "DTEND;VALUE=DATE:20260115\r\nSUMMARY:Dentists' congress\r\n"
                                   "LOCATION:Hamburg\r\n")),
        events::PutResult::kStored);
    ASSERT_TRUE(op.Commit().stored());
  }
  AddressEntry adams;
  adams.surname = QStringLiteral("Adams");
  adams.name = QStringLiteral("Ann");
  adams.address = QStringLiteral("1 Elm Road\r\nSpringfield");
  adams.phones[0] = QStringLiteral("0123 456789");
  adams.birthday_date = QStringLiteral("07/01/1980");
  adams.birthday_flag = QStringLiteral("1");
  ASSERT_TRUE(AddAddressEntry(files, adams).stored());
  for (int i = 1; i <= 16; ++i) {
    ASSERT_TRUE(
        SaveNote(files, QStringLiteral("Note number %1").arg(i), QStringLiteral("text")).stored());
  }
  // All-day events over that day: three days of a conference, a yearly
  // anniversary.
  store::Operation op(files);
  for (const QByteArray& lines :
       {QByteArray(
            "UID:conference@sample\r\nDTSTART;VALUE=DATE:20260106\r\nDTEND;VALUE=DATE:20260109\r\n"
            "SUMMARY:Conference in Leipzig\r\n"),
        QByteArray("UID:anniversary@sample\r\nDTSTART;VALUE=DATE:20200107\r\nRRULE:FREQ=YEARLY\r\n"
                   "SUMMARY:Wedding anniversary\r\n")}) {
    ASSERT_EQ(events::PutEvent(
                  op,
                  "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//sample//EN\r\nBEGIN:VEVENT\r\n"
                  "DTSTAMP:20260101T000000Z\r\n" +
                      lines + "END:VEVENT\r\nEND:VCALENDAR\r\n"),
              events::PutResult::kStored);
  }
  ASSERT_TRUE(op.Commit().stored());
}

// Opens each window of `app` in turn and calls `seen` with it while it shows:
// the main window, About, Sync, the month calendar, Activities and Day
// Schedule of 07/01/2026, a reminder, the appointment editor with its
// reminder ticked, Notes, the Address Book in both views, the address editor
// on Ann Adams, Help Topics expanded, the first help page, Find with what
// it found for "dentist" and Restore… over a backup of the sample data.
inline void VisitEveryWindow(Application& app,
                             const std::function<void(QWidget&, const char*)>& seen) {
  auto visit = [&](QWidget& window, const char* name) {
    OpenToolWindow(window);
    QApplication::processEvents();
    QApplication::processEvents();
    seen(window, name);
  };
  MainWindow& main = app.Main();
  CentreOnScreen(main);
  main.show();
  visit(main, "main");
  main.findChild<QAction*>(QLatin1String(main_window_names::kAbout))->trigger();
  visit(app.Splash(), "about");
  app.Splash().hide();
  main.findChild<QAction*>(QLatin1String(main_window_names::kSync))->trigger();
  auto* sync = main.findChild<SyncWindow*>();
  ASSERT_NE(sync, nullptr);
  visit(*sync, "sync");
  sync->close();
  MonthCalendarWindow& calendar = app.MonthCalendar();
  visit(calendar, "calendar");
  calendar.OpenActivitiesFor(QDate(2026, 1, 7));
  visit(app.Activities(), "activities");
  app.Activities().findChild<QPushButton*>(QLatin1String(activities_names::kViewSchedule))->click();
  visit(app.DaySchedule(), "day_schedule");
  app.Reminder().ShowReminder(ReminderRow{585, QStringLiteral("10:00"), QStringLiteral("11:00"),
                                          QStringLiteral("Dentist"), QStringLiteral("15")});
  visit(app.Reminder(), "reminder");
  AppointmentEditorWindow& appointment = app.AppointmentEditor();
  appointment.OpenForAdd(QStringLiteral("20260107-3"));
  appointment.findChild<QCheckBox*>(QLatin1String(appointment_editor_names::kReminder))
      ->setChecked(true);
  visit(appointment, "appointment_editor");
  appointment.hide();
  visit(app.Notes(), "notes");
  AddressBookWindow& book = app.AddressBook();
  visit(book, "address_book");
  book.findChild<QPushButton*>(QLatin1String(address_book_names::kViewToggle))->click();
  visit(book, "address_book_details");
  book.findChild<QPushButton*>(QLatin1String(address_book_names::kViewToggle))->click();
  AddressEditorWindow& editor = app.AddressEditor();
  editor.PrepareEdit(QStringLiteral("Adams, Ann"), ReadAddressEntry(app.files(), 0));
  visit(editor, "address_editor");
  HelpTopicsWindow& topics = app.HelpTopics();
  topics.findChild<QTreeWidget*>()->expandAll();
  visit(topics, "help_topics");
  HelpPageWindow& page = app.HelpPage();
  page.ShowHelpPage(1);
  visit(page, "help_page");
  FindWindow& find = app.Find();
  find.findChild<QLineEdit*>(QLatin1String(find_names::kBox))->setText(QStringLiteral("dentist"));
  for (int i = 0; i < 1000 && find.Searching(); ++i) QApplication::processEvents();
  visit(find, "find");
  ASSERT_TRUE(backups::TakeAutomaticBackup(app.files(), app.BackupsFolder(),
                                           backups::Reason::kDaily,
                                           QDateTime(QDate(2026, 1, 7), QTime(9, 0)))
                  .stored());
  main.findChild<QAction*>(QLatin1String(main_window_names::kRestore))->trigger();
  visit(app.Restore(), "restore");
}

}  // namespace quorvel::testing
