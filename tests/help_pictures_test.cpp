// The window pictures of the help pages are taken from the program's own
// windows, filled with a few sample entries, and saved as SVG files: the
// window's content as an embedded PNG under a drawn title bar, with orange
// frames and numbered badges over the controls that a page talks about.
//
// The maker is disabled in ordinary test runs. To draw the pictures again
// after a window has changed:
//
//   QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=2 QUORVEL_HELP_PICTURES=help/pictures
//     build/tests/quorvel_tests --gtest_also_run_disabled_tests --gtest_filter='*HelpPictures*'
//
// With QUORVEL_SCREENSHOTS=DIR it also saves each window as a plain PNG.
#include <QApplication>
#include <QBuffer>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTest>

#include "addressbook/address_book_window.h"
#include "addressbook/address_editor_window.h"
#include "app/main_window.h"
#include "calendar/activities_window.h"
#include "calendar/appointment_editor_window.h"
#include "calendar/day_schedule_window.h"
#include "calendar/month_calendar_window.h"
#include "items/address_file.h"
#include "items/appointment_file.h"
#include "items/note_file.h"
#include "notes/notes_window.h"
#include "test_support.h"

namespace quorvel::testing {
namespace {

// Widest a picture may be shown on a page, in pixels.
constexpr double kMostWidth = 352.0;
constexpr int kTitleBar = 24;
constexpr int kMargin = 12;

// Where a badge sits on its frame.
enum class Corner { kTopLeft, kTopRight };

struct Mark {
  QRect rect;  // in the window's client coordinates
  int number;  // 0: a frame without a badge
  Corner corner = Corner::kTopLeft;
};

QString Escaped(const QString& text) { return text.toHtmlEscaped(); }

// A control's place in its window.
QRect PlaceOf(const QWidget& window, const char* name) {
  auto* control = window.findChild<QWidget*>(QLatin1String(name));
  EXPECT_NE(control, nullptr) << name;
  if (control == nullptr) return QRect();
  return QRect(control->mapTo(&window, QPoint(0, 0)), control->size());
}

// Several controls framed together.
QRect PlaceOf(const QWidget& window, std::initializer_list<const char*> names) {
  QRect united;
  for (const char* name : names) united = united.united(PlaceOf(window, name));
  return united;
}

// Cell (row, column) of a table, in its window.
QRect CellPlace(const QWidget& window, QTableView& table, int row, int column) {
  const QRect cell = table.visualRect(table.model()->index(row, column));
  return QRect(table.viewport()->mapTo(&window, cell.topLeft()), cell.size());
}

void Settle(QWidget& window) {
  window.show();
  EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
  QApplication::processEvents();
  // No caret or selected text in the pictures.
  if (QWidget* focus = window.focusWidget()) focus->clearFocus();
  QApplication::processEvents();
}

void SavePicture(QWidget& window, const QString& file, const std::vector<Mark>& marks) {
  const QString folder = qEnvironmentVariable("QUORVEL_HELP_PICTURES");
  const QPixmap shot = window.grab();
  // The same window, plain, for the screenshots of the AppStream metadata
  // (QUORVEL_SCREENSHOTS=packaging/screenshots).
  const QString plain = qEnvironmentVariable("QUORVEL_SCREENSHOTS");
  if (!plain.isEmpty()) {
    EXPECT_TRUE(shot.save(
        QDir(plain).filePath(QString(file).replace(QLatin1String(".svg"), QLatin1String(".png")))));
  }
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  shot.save(&buffer, "PNG");

  const int w = window.width();
  const int h = window.height();
  const int view_w = w + 2 + 2 * kMargin;
  const int view_h = h + kTitleBar + 2 + 2 * kMargin;
  const double scale = std::min(1.0, kMostWidth / view_w);
  const double unit = 1.0 / scale;  // one shown pixel in picture units
  const int ox = kMargin + 1;
  const int oy = kMargin + 1 + kTitleBar;

  QString svg;
  svg +=
      QStringLiteral(
          "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\""
          " width=\"%1\" height=\"%2\" viewBox=\"0 0 %3 %4\">\n")
          .arg(qRound(view_w * scale))
          .arg(qRound(view_h * scale))
          .arg(view_w)
          .arg(view_h);
  // Frame and title bar with the window's caption and close box.
  svg += QStringLiteral(
             "<rect x=\"%1.5\" y=\"%2.5\" width=\"%3\" height=\"%4\" rx=\"3\" fill=\"#f0f0f0\" "
             "stroke=\"#3b4a63\"/>\n")
             .arg(kMargin)
             .arg(kMargin)
             .arg(w + 1)
             .arg(h + kTitleBar + 1);
  svg += QStringLiteral(
             "<rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" rx=\"2\" fill=\"#2d5da8\"/>\n")
             .arg(ox)
             .arg(kMargin + 1)
             .arg(w)
             .arg(kTitleBar - 1);
  svg += QStringLiteral(
             "<text x=\"%1\" y=\"%2\" font-family=\"Liberation Sans, Arial, sans-serif\" "
             "font-size=\"13\" font-weight=\"bold\" fill=\"#ffffff\">%3</text>\n")
             .arg(ox + 7)
             .arg(kMargin + 17)
             .arg(Escaped(window.windowTitle()));
  svg += QStringLiteral(
             "<rect x=\"%1\" y=\"%2\" width=\"18\" height=\"16\" rx=\"2\" fill=\"#c94b4b\"/>\n"
             "<path d=\"M%3 %4 l8 8 M%5 %4 l-8 8\" stroke=\"#ffffff\" stroke-width=\"1.6\"/>\n")
             .arg(ox + w - 22)
             .arg(kMargin + 4)
             .arg(ox + w - 17)
             .arg(kMargin + 8)
             .arg(ox + w - 9);
  svg += QStringLiteral(
             "<image x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" "
             "xlink:href=\"data:image/png;base64,%5\"/>\n")
             .arg(ox)
             .arg(oy)
             .arg(w)
             .arg(h)
             .arg(QString::fromLatin1(png.toBase64()));
  const double pad = 2.0 * unit;
  const double stroke = 2.5 * unit;
  const double radius = 9.0 * unit;
  for (const Mark& mark : marks) {
    svg += QStringLiteral(
               "<rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" rx=\"%5\" fill=\"none\" "
               "stroke=\"#ff8a00\" stroke-width=\"%6\"/>\n")
               .arg(ox + mark.rect.left() - pad)
               .arg(oy + mark.rect.top() - pad)
               .arg(mark.rect.width() + 2 * pad)
               .arg(mark.rect.height() + 2 * pad)
               .arg(3 * unit)
               .arg(stroke);
  }
  for (const Mark& mark : marks) {
    if (mark.number == 0) continue;
    // The badge sits on a corner of the frame, kept inside the picture.
    const double x = mark.corner == Corner::kTopRight ? ox + mark.rect.right() + 1 + pad
                                                      : ox + mark.rect.left() - pad;
    const double cx = std::clamp(x, radius + 1, view_w - radius - 1);
    const double cy = std::clamp(oy + mark.rect.top() - pad, radius + 1, view_h - radius - 1);
    svg += QStringLiteral(
               "<circle cx=\"%1\" cy=\"%2\" r=\"%3\" fill=\"#ff8a00\" stroke=\"#ffffff\" "
               "stroke-width=\"%4\"/>\n"
               "<text x=\"%1\" y=\"%5\" font-family=\"Liberation Sans, Arial, sans-serif\" "
               "font-size=\"%6\" font-weight=\"bold\" fill=\"#ffffff\" "
               "text-anchor=\"middle\">%7</text>\n")
               .arg(cx)
               .arg(cy)
               .arg(radius)
               .arg(1.5 * unit)
               .arg(cy + 4.5 * unit)
               .arg(12.5 * unit)
               .arg(mark.number);
  }
  svg += QStringLiteral("</svg>\n");

  QFile out(QDir(folder).filePath(file));
  ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate)) << file.toStdString();
  out.write(svg.toUtf8());
}

class HelpPictures : public AppFixture {
 protected:
  void SetUp() override {
    if (qEnvironmentVariableIsEmpty("QUORVEL_HELP_PICTURES")) GTEST_SKIP();
    now_ = QDateTime(kToday, QTime(8, 0));
    AppFixture::SetUp();
  }
  void TearDown() override {
    for (QWidget* widget : QApplication::topLevelWidgets()) widget->hide();
    AppFixture::TearDown();
  }

  void AddSampleAppointments() {
    const struct {
      QDate date;
      const char* subject;
      const char* start;
      const char* end;
      bool reminder;
      const char* description;
    } kSamples[] = {
        {kDay, "Dentist", "09:00", "09:30", true,
         "Dr. Hale, Market Street 4\nBring the insurance card"},
        {kDay, "Team meeting", "10:00", "12:00", false, "Room 2: plans for the spring fair"},
        {kDay, "Lunch with Anne", "11:30", "13:00", true, "Corner cafe"},
        {kDay.addDays(7), "Piano lesson", "17:00", "18:00", false, "Description"},
        {kDay.addDays(12), "Car service", "08:00", "09:00", false, "Description"},
    };
    for (const auto& s : kSamples) {
      Appointment a;
      a.id = NextAppointmentId(files(), s.date);
      a.subject = QLatin1String(s.subject);
      a.start = QLatin1String(s.start);
      a.end = QLatin1String(s.end);
      a.reminder = s.reminder;
      a.minutes = QStringLiteral("15");
      a.description =
          QString::fromLatin1(s.description).replace(QLatin1String("\n"), QLatin1String("\r\n"));
      ASSERT_TRUE(AddAppointment(files(), a).stored());
    }
  }

  void AddSampleNotes() {
    const struct {
      const char* title;
      const char* body;
    } kSamples[] = {
        {"Shopping", "Bread\r\nMilk\r\nApples\r\nCoffee filters"},
        {"Holiday ideas", "Lake District in May?\r\nAsk Anne about the cottage."},
        {"Birthday presents", "Tom: a book on birds\r\nMum: garden gloves"},
        {"Car", "Winter tyres before November."},
    };
    for (const auto& s : kSamples) {
      ASSERT_TRUE(
          SaveNote(files(), QLatin1String(s.title), QLatin1String(s.body), nullptr).stored());
    }
  }

  void AddSampleEntries() {
    const struct {
      const char* name;
      const char* surname;
      const char* address;
      const char* home;
      const char* mobile;
      const char* birthday;  // empty: none
      const char* email;
      const char* home_page;
      const char* notes;
    } kSamples[] = {
        {"Anne", "Sutton", "14 Elm Row\r\nNorthgate\r\nManchester M4 6BD", "0161 496 0732",
         "07700 900461", "10/03/1990", "anne.sutton@example.org", "www.example.org/anne",
         "Prefers calls after 6 pm."},
        {"Tom", "Shaw", "2 Mill Lane\r\nHebden Bridge HX7 8AB", "01422 555 013", "", "", "", "",
         ""},
        {"Ruth", "Stone", "9 Quay Street\r\nWhitby YO21 3PU", "01947 555 208", "07700 900118",
         "23/03/1984", "ruth@example.net", "", ""},
        {"Paul", "Baker", "31 Hill Road\r\nLeeds LS6 2QF", "0113 496 0555", "", "", "", "", ""},
    };
    for (const auto& s : kSamples) {
      AddressEntry entry;
      entry.name = QLatin1String(s.name);
      entry.surname = QLatin1String(s.surname);
      entry.address = QLatin1String(s.address);
      entry.phones[0] = QLatin1String(s.home);
      entry.phones[3] = QLatin1String(s.mobile);
      const bool birthday = *s.birthday != '\0';
      entry.birthday_date = birthday ? QLatin1String(s.birthday) : BirthdayText(kToday);
      entry.birthday_flag = birthday ? QStringLiteral("1") : QStringLiteral("0");
      entry.email = QLatin1String(s.email);
      entry.home_page = QLatin1String(s.home_page);
      entry.notes = QLatin1String(s.notes);
      ASSERT_TRUE(AddAddressEntry(files(), entry).stored());
    }
  }

  const QDate kToday{2026, 3, 2};
  const QDate kDay{2026, 3, 10};
};

TEST_F(HelpPictures, DISABLED_Desk) {
  MainWindow& main = app_->Main();
  Settle(main);
  QTest::mouseClick(main.findChild<QPushButton*>(QLatin1String(main_window_names::kCalendarHandle)),
                    Qt::LeftButton);
  QApplication::processEvents();
  SavePicture(
      main, QStringLiteral("desk.svg"),
      {{PlaceOf(main, main_window_names::kFileTab), 1},
       {PlaceOf(main, main_window_names::kClipboard), 2},
       {PlaceOf(main, {main_window_names::kCalendarPicture, main_window_names::kCalendarIcon}), 3},
       {PlaceOf(main, {main_window_names::kTelephone, main_window_names::kContactsCard}), 4},
       {PlaceOf(main, main_window_names::kCalendarHandle), 5},
       {PlaceOf(main, main_window_names::kCalendarPlate), 6}});
}

TEST_F(HelpPictures, DISABLED_Calendar) {
  AddSampleAppointments();
  AddSampleEntries();
  MonthCalendarWindow& calendar = app_->MonthCalendar();
  Settle(calendar);
  auto* view = calendar.findChild<QCalendarWidget*>(QLatin1String(month_calendar_names::kCalendar));
  view->setSelectedDate(kDay);
  QApplication::processEvents();
  auto* table = view->findChild<QTableView*>(QStringLiteral("qt_calendar_calendarview"));
  QRect day;
  for (int row = 1; row < table->model()->rowCount() && day.isNull(); ++row) {
    for (int column = 0; column < table->model()->columnCount(); ++column) {
      if (table->model()->index(row, column).data().toString() == QStringLiteral("10")) {
        day = CellPlace(calendar, *table, row, column);
        break;
      }
    }
  }
  ASSERT_FALSE(day.isNull());
  SavePicture(calendar, QStringLiteral("month_calendar.svg"),
              {{PlaceOf(calendar, month_calendar_names::kMonthArrows), 1}, {day, 2}});

  ActivitiesWindow& activities = app_->Activities();
  activities.SetDate(kDay);
  activities.FillActivities();
  Settle(activities);
  SavePicture(activities, QStringLiteral("activities_view.svg"),
              {{PlaceOf(activities, activities_names::kAppointments), 1},
               {PlaceOf(activities, activities_names::kViewSchedule), 2},
               {PlaceOf(activities, activities_names::kMemosFrame), 3, Corner::kTopRight}});
  SavePicture(activities, QStringLiteral("activities_delete.svg"),
              {{PlaceOf(activities, activities_names::kAppointments), 1},
               {PlaceOf(activities, activities_names::kDelete), 2},
               {PlaceOf(activities, activities_names::kOk), 3}});

  AppointmentEditorWindow& editor = app_->AppointmentEditor();
  app_->SetEditMode(false);
  editor.OpenForAdd(NextAppointmentId(files(), kDay));
  editor.findChild<QLineEdit*>(QLatin1String(appointment_editor_names::kSubject))
      ->setText(QStringLiteral("Call the plumber"));
  auto* start = editor.findChild<QComboBox*>(QLatin1String(appointment_editor_names::kStart));
  start->setCurrentText(QStringLiteral("14:00"));
  editor.findChild<QComboBox*>(QLatin1String(appointment_editor_names::kEnd))
      ->setCurrentText(QStringLiteral("14:30"));
  editor.findChild<QPlainTextEdit*>(QLatin1String(appointment_editor_names::kDescription))
      ->setPlainText(QStringLiteral("About the dripping tap in the kitchen"));
  editor.findChild<QCheckBox*>(QLatin1String(appointment_editor_names::kReminder))
      ->setChecked(true);
  editor.findChild<QLineEdit*>(QLatin1String(appointment_editor_names::kMinutes))
      ->setText(QStringLiteral("30"));
  Settle(editor);
  editor.findChild<QLineEdit*>(QLatin1String(appointment_editor_names::kSubject))->deselect();
  SavePicture(editor, QStringLiteral("appointment_add.svg"),
              {{PlaceOf(editor, appointment_editor_names::kSubject), 1},
               {PlaceOf(editor, appointment_editor_names::kStart), 2},
               {PlaceOf(editor, {appointment_editor_names::kReminder,
                                 appointment_editor_names::kMinutesCaption}),
                3},
               {PlaceOf(editor, appointment_editor_names::kOk), 4}});
  editor.hide();

  app_->SetEditMode(true);
  editor.OpenForEdit(ReadAppointment(files(), 0));
  Settle(editor);
  editor.findChild<QLineEdit*>(QLatin1String(appointment_editor_names::kSubject))->deselect();
  SavePicture(
      editor, QStringLiteral("appointment_edit.svg"),
      {{PlaceOf(editor, appointment_editor_names::kSubject), 1},
       {PlaceOf(editor, {appointment_editor_names::kStart, appointment_editor_names::kEnd}), 2},
       {PlaceOf(editor,
                {appointment_editor_names::kReminder, appointment_editor_names::kMinutesCaption}),
        3},
       {PlaceOf(editor, appointment_editor_names::kOk), 4}});
  editor.hide();

  DayScheduleWindow& schedule = app_->DaySchedule();
  schedule.SetDate(kDay);
  schedule.FillDaySchedule();
  Settle(schedule);
  auto* grid = schedule.findChild<QTableWidget*>(QLatin1String(day_schedule_names::kGrid));
  // The team meeting's half hours from 10:00 (the seventh column) on, and
  // the total's cells, as far as they show without scrolling.
  const QRect busy = CellPlace(schedule, *grid, 1, 7).united(CellPlace(schedule, *grid, 1, 9));
  const QRect total = CellPlace(schedule, *grid, 3, 1).united(CellPlace(schedule, *grid, 3, 9));
  SavePicture(schedule, QStringLiteral("day_schedule.svg"),
              {{busy, 1},
               {total, 2},
               {PlaceOf(schedule, day_schedule_names::kDate), 3, Corner::kTopRight}});
}

TEST_F(HelpPictures, DISABLED_Notes) {
  AddSampleNotes();
  NotesWindow& notes = app_->Notes();
  notes.LoadNotesList();
  Settle(notes);
  auto* pad = notes.findChild<QPlainTextEdit*>(QLatin1String(notes_names::kPad));
  auto* title = notes.findChild<QLineEdit*>(QLatin1String(notes_names::kTitle));
  auto* list = notes.findChild<QTableView*>(QLatin1String(notes_names::kList));

  pad->setPlainText(
      QStringLiteral("Ring the garage about the winter tyres.\nAsk for a price first."));
  title->setText(QStringLiteral("Garage"));
  SavePicture(notes, QStringLiteral("notes_add.svg"),
              {{PlaceOf(notes, notes_names::kClearPad), 1, Corner::kTopRight},
               {PlaceOf(notes, notes_names::kPad), 2},
               {PlaceOf(notes, notes_names::kTitle), 3, Corner::kTopRight},
               {PlaceOf(notes, notes_names::kSaveNote), 4}});

  list->setCurrentIndex(list->model()->index(1, 1));
  notes.findChild<QPushButton*>(QLatin1String(notes_names::kViewNote))->click();
  list->setCurrentIndex(list->model()->index(1, 1));
  QApplication::processEvents();
  const QRect row = CellPlace(notes, *list, 1, 0).united(CellPlace(notes, *list, 1, 1));
  SavePicture(notes, QStringLiteral("notes_view.svg"),
              {{row, 1}, {PlaceOf(notes, notes_names::kViewNote), 2}});

  pad->setPlainText(QStringLiteral(
      "Lake District in May?\nAsk Anne about the cottage.\nBook the train by March."));
  SavePicture(notes, QStringLiteral("notes_edit.svg"),
              {{PlaceOf(notes, notes_names::kPad), 1},
               {PlaceOf(notes, notes_names::kTitle), 2, Corner::kTopRight},
               {PlaceOf(notes, notes_names::kSaveNote), 3}});

  list->setCurrentIndex(list->model()->index(3, 1));
  QApplication::processEvents();
  const QRect last = CellPlace(notes, *list, 3, 0).united(CellPlace(notes, *list, 3, 1));
  SavePicture(notes, QStringLiteral("notes_delete.svg"),
              {{last, 1}, {PlaceOf(notes, notes_names::kDeleteNote), 2}});
}

TEST_F(HelpPictures, DISABLED_AddressBook) {
  AddSampleEntries();
  app_->MonthCalendar()
      .findChild<QCalendarWidget*>(QLatin1String(month_calendar_names::kCalendar))
      ->setSelectedDate(kDay);
  AddressBookWindow& book = app_->AddressBook();
  Settle(book);
  book.findChild<QPushButton*>(QLatin1String(address_book_names::kGroups[17]))->click();  // "S"
  auto* names = book.findChild<QComboBox*>(QLatin1String(address_book_names::kNames));
  names->setCurrentIndex(names->findText(QStringLiteral("Sutton, Anne")));
  book.ShowAddressEntry();
  QApplication::processEvents();
  SavePicture(book, QStringLiteral("address_view.svg"),
              {{PlaceOf(book, address_book_names::kGroups[17]), 1},
               {PlaceOf(book, address_book_names::kNames), 2},
               {PlaceOf(book, address_book_names::kViewToggle), 3, Corner::kTopRight}});
  SavePicture(book, QStringLiteral("address_delete.svg"),
              {{PlaceOf(book, address_book_names::kNames), 1},
               {PlaceOf(book, address_book_names::kDeleteEntry), 2, Corner::kTopRight}});
  book.findChild<QPushButton*>(QLatin1String(address_book_names::kViewToggle))->click();
  QApplication::processEvents();
  SavePicture(book, QStringLiteral("address_details.svg"),
              {{PlaceOf(book, address_book_names::kViewToggle), 3, Corner::kTopRight}});
  book.findChild<QPushButton*>(QLatin1String(address_book_names::kViewToggle))->click();

  AddressEditorWindow& editor = app_->AddressEditor();
  app_->SetEditMode(false);
  editor.PrepareAdd(kDay);
  const struct {
    const char* name;
    const char* text;
  } kTyped[] = {{address_editor_names::kName, "Clare"},
                {address_editor_names::kSurname, "Lewis"},
                {address_editor_names::kEmail, "clare.lewis@example.com"},
                {address_editor_names::kPhones[0], "0161 496 0377"},
                {address_editor_names::kPhones[3], "07700 900777"}};
  for (const auto& t : kTyped) {
    editor.findChild<QLineEdit*>(QLatin1String(t.name))->setText(QLatin1String(t.text));
  }
  editor.findChild<QCheckBox*>(QLatin1String(address_editor_names::kBirthdayFlag))
      ->setChecked(true);
  Settle(editor);
  SavePicture(
      editor, QStringLiteral("address_add.svg"),
      {{PlaceOf(editor, {address_editor_names::kCaptions[0], address_editor_names::kSurname}), 1},
       {PlaceOf(editor, {address_editor_names::kBirthdayFlag, address_editor_names::kBirthday}), 2},
       {PlaceOf(editor, address_editor_names::kOk), 3, Corner::kTopRight}});
  editor.hide();

  app_->SetEditMode(true);
  editor.PrepareEdit(
      QStringLiteral("Sutton, Anne"),
      ReadAddressEntry(files(), FindAddressEntry(files(), QStringLiteral("Sutton, Anne"))));
  Settle(editor);
  SavePicture(
      editor, QStringLiteral("address_edit.svg"),
      {{PlaceOf(editor, {address_editor_names::kCaptions[0], address_editor_names::kSurname}), 1},
       {PlaceOf(editor, {address_editor_names::kBirthdayFlag, address_editor_names::kBirthday}), 2},
       {PlaceOf(editor, address_editor_names::kOk), 3, Corner::kTopRight}});
  editor.hide();
}

}  // namespace
}  // namespace quorvel::testing
