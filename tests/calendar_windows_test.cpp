#include <QAbstractItemModel>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDBusConnection>
#include <QDateEdit>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTextCursor>
#include <QTimeZone>
#include <QToolButton>

#include "app/main_window.h"
#include "calendar/activities_window.h"
#include "calendar/appointment_editor_window.h"
#include "calendar/day_schedule_window.h"
#include "calendar/month_calendar_window.h"
#include "calendar/reminder_window.h"
#include "events/event_file.h"
#include "items/appointment_file.h"
#include "server_series.h"
#include "test_support.h"
#include "ui/contrast.h"

namespace quorvel::testing {
namespace {

using store::Channel;

class CalendarWindowsTest : public AppFixture {
 protected:
  void Store(const QString& id, const QString& subject, const QString& start, const QString& end,
             bool reminder = false, const QString& minutes = QStringLiteral("15")) {
    ASSERT_TRUE(AddAppointment(files(), Appointment{id, subject, start, end, reminder, minutes,
                                                    QStringLiteral("Notes")})
                    .stored());
  }
  void AddBirthday(const QString& key, const QString& born, const QString& flag) {
    SeedBirthday(files(), key, born, flag);
  }
  QString Id(int k) { return files().ReadText(Channel::kAppoint, 8 * k + 1); }

  // The Activities window opened on `date`, as a double-click leaves it.
  ActivitiesWindow& OpenDay(const QDate& date) {
    ActivitiesWindow& activities = app_->Activities();
    activities.SetDate(date);
    activities.show();
    activities.FillActivities();
    return activities;
  }
  static void Click(QWidget& window, const char* name) {
    QAbstractButton* button = window.findChild<QAbstractButton*>(QLatin1String(name));
    ASSERT_NE(button, nullptr) << name;
    QTest::mouseClick(button, Qt::LeftButton);
  }
  static void Pick(QComboBox* combo, const QString& text) {
    const int index = combo->findText(text);
    ASSERT_GE(index, 0) << text.toStdString();
    combo->setCurrentIndex(index);
    emit combo->activated(index);
  }
  static QStringList Items(QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) items.append(combo->itemText(i));
    return items;
  }

  // The 42 day cells of the calendar, cell n at index n - 1.
  static QStringList CellTexts(MonthCalendarWindow& calendar) {
    auto* view = calendar.findChild<QTableView*>(QStringLiteral("qt_calendar_calendarview"));
    EXPECT_NE(view, nullptr);
    QStringList texts;
    if (!view) return texts;
    QAbstractItemModel* model = view->model();
    EXPECT_EQ(model->rowCount(), 7);  // the day names, then six weeks
    EXPECT_EQ(model->columnCount(), 7);
    EXPECT_EQ(model->index(0, 0).data().toString(), QLocale().dayName(7, QLocale::ShortFormat));
    for (int row = 1; row <= 6; ++row) {
      for (int column = 0; column < 7; ++column) {
        texts.append(model->index(row, column).data().toString());
      }
    }
    return texts;
  }
  static QColor PixelOfCell(MonthCalendarWindow& calendar, int cell, const QPoint& offset) {
    auto* view = calendar.findChild<QTableView*>(QStringLiteral("qt_calendar_calendarview"));
    const QRect rect = view->visualRect(view->model()->index(1 + (cell - 1) / 7, (cell - 1) % 7));
    return view->viewport()->grab().toImage().pixelColor(rect.topLeft() + offset);
  }
};

// --- Month calendar ---------------------------------------------------------

TEST_F(CalendarWindowsTest, DaysLieInCellFirstDayOffsetPlusDay) {
  MonthCalendarWindow& calendar = app_->MonthCalendar();
  struct Case {
    int year, month, offset;
  } cases[] = {{2026, 2, 7}, {2026, 6, 1}, {2026, 12, 2}, {2028, 2, 2}};
  for (const Case& c : cases) {
    calendar.calendar().setCurrentPage(c.year, c.month);
    ASSERT_EQ(calendar.FirstDayOffset(), c.offset) << c.year << "-" << c.month;
    const QStringList texts = CellTexts(calendar);
    ASSERT_EQ(texts.size(), 42);
    const int days = QDate(c.year, c.month, 1).daysInMonth();
    for (int d = 1; d <= days; ++d) {
      EXPECT_EQ(texts[c.offset + d - 1], QString::number(d)) << c.month << " day " << d;
    }
    // The cells before day 1 belong to the previous month.
    EXPECT_GT(texts[c.offset - 1].toInt(), 20);
  }
  // February 2026 begins on a Sunday: the first row is January's last week.
  calendar.calendar().setCurrentPage(2026, 2);
  EXPECT_EQ(CellTexts(calendar).mid(0, 7), (QStringList{"25", "26", "27", "28", "29", "30", "31"}));
}

TEST_F(CalendarWindowsTest, MarksShowAppointmentsAndFlaggedBirthdaysOfTheShownMonth) {
  Store(QStringLiteral("20260603-1"), QStringLiteral("A"), QStringLiteral("09:00"),
        QStringLiteral("10:00"));
  Store(QStringLiteral("20261225-1"), QStringLiteral("B"), QStringLiteral("09:00"),
        QStringLiteral("10:00"));
  AddBirthday(QStringLiteral("Smith, John"), QStringLiteral("25/12/1980"), QStringLiteral("1"));
  AddBirthday(QStringLiteral("Doe, Jane"), QStringLiteral("03/06/1980"), QStringLiteral("0"));
  AddBirthday(QStringLiteral("Leap, Lee"), QStringLiteral("29/02/2000"), QStringLiteral("1"));
  MonthCalendarWindow& calendar = app_->MonthCalendar();
  calendar.show();
  auto marked = [&](bool appointments) {
    QList<int> cells;
    for (int n = 1; n <= 42; ++n) {
      if (appointments ? calendar.HasAppointmentMark(n) : calendar.HasBirthdayMark(n))
        cells.append(n);
    }
    return cells;
  };

  calendar.calendar().setSelectedDate(QDate(2026, 6, 20));
  EXPECT_EQ(marked(true), QList<int>{4});
  EXPECT_TRUE(marked(false).isEmpty());
  EXPECT_EQ(PixelOfCell(calendar, 4, QPoint(14 + 16 + 8, 4 + 8)), QColor(255, 0, 0));
  EXPECT_NE(PixelOfCell(calendar, 3, QPoint(14 + 16 + 8, 4 + 8)), QColor(255, 0, 0));

  calendar.calendar().setSelectedDate(QDate(2026, 12, 1));
  EXPECT_EQ(marked(true), QList<int>{27});
  EXPECT_EQ(marked(false), QList<int>{27});
  EXPECT_EQ(PixelOfCell(calendar, 27, QPoint(14 + 8, 4 + 8)), QColor(0, 0, 255));
  EXPECT_EQ(PixelOfCell(calendar, 27, QPoint(14 + 16 + 8, 4 + 8)), QColor(255, 0, 0));

  calendar.calendar().setSelectedDate(QDate(2027, 2, 1));
  EXPECT_TRUE(marked(false).isEmpty());
  calendar.calendar().setSelectedDate(QDate(2028, 2, 1));
  EXPECT_EQ(marked(false), QList<int>{31});
  // A date of the next month shown in the last rows carries no mark.
  calendar.calendar().setSelectedDate(QDate(2026, 5, 1));
  EXPECT_TRUE(marked(true).isEmpty());
}

TEST_F(CalendarWindowsTest, SpinnerStepsToTheFirstOfTheNeighbouringMonthAndCloseHides) {
  now_ = QDateTime(QDate(2026, 12, 31), QTime(9, 0));
  MonthCalendarWindow& calendar = app_->MonthCalendar();
  calendar.show();
  EXPECT_EQ(calendar.SelectedDate(), QDate(2026, 12, 31));
  // The title's own month selector takes the selected date along.
  calendar.calendar().setCurrentPage(2027, 2);
  EXPECT_EQ(calendar.SelectedDate(), QDate(2027, 2, 28));
  calendar.calendar().setCurrentPage(2027, 1);
  EXPECT_EQ(calendar.SelectedDate(), QDate(2027, 1, 28));
  QWidget* spinner = Find<QWidget>(calendar, month_calendar_names::kMonthArrows);
  ASSERT_NE(spinner, nullptr);
  Click(*spinner, month_calendar_names::kPreviousMonth);
  EXPECT_EQ(calendar.SelectedDate(), QDate(2026, 12, 1));
  EXPECT_EQ(calendar.calendar().monthShown(), 12);
  EXPECT_EQ(calendar.calendar().yearShown(), 2026);
  Click(*spinner, month_calendar_names::kNextMonth);
  EXPECT_EQ(calendar.SelectedDate(), QDate(2027, 1, 1));
  EXPECT_EQ(calendar.calendar().yearShown(), 2027);

  Click(calendar, month_calendar_names::kClose);
  EXPECT_FALSE(calendar.isVisible());
  EXPECT_EQ(calendar.SelectedDate(), QDate(2027, 1, 1));
}

TEST_F(CalendarWindowsTest, DoubleClickOpensTheDayAndMarkingResetsActivities) {
  Store(QStringLiteral("20260107-1"), QStringLiteral("Dentist"), QStringLiteral("14:00"),
        QStringLiteral("15:00"));
  MonthCalendarWindow& calendar = app_->MonthCalendar();
  calendar.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&calendar));
  auto* view = calendar.findChild<QTableView*>(QStringLiteral("qt_calendar_calendarview"));
  const int cell = calendar.FirstDayOffset() + 7;  // 7 January 2026
  const QRect rect = view->visualRect(view->model()->index(1 + (cell - 1) / 7, (cell - 1) % 7));
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
  QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, rect.center());

  ActivitiesWindow& activities = app_->Activities();
  EXPECT_TRUE(activities.isVisible());
  EXPECT_EQ(activities.Date(), QDate(2026, 1, 7));
  EXPECT_EQ(activities.Subjects(), QStringList{QStringLiteral("Dentist")});
  EXPECT_TRUE(calendar.isVisible());

  calendar.MarkMonthCalendar();
  EXPECT_EQ(Find<QComboBox>(activities, activities_names::kAppointments)->count(), 0);
  EXPECT_EQ(Find<QLineEdit>(activities, activities_names::kId)->text(), QStringLiteral("ID"));
  EXPECT_TRUE(Find<QLineEdit>(activities, activities_names::kStart)->text().isEmpty());
  EXPECT_FALSE(Find<QPushButton>(activities, activities_names::kDelete)->isEnabled());
  EXPECT_FALSE(Find<QPushButton>(activities, activities_names::kEdit)->isEnabled());
}

// --- Activities ----------------------------------------------------------------

TEST_F(CalendarWindowsTest, ActivitiesListsTheDayInEntryOrder) {
  ActivitiesWindow& empty = OpenDay(QDate(2026, 1, 7));
  EXPECT_EQ(Find<QComboBox>(empty, activities_names::kAppointments)->count(), 0);
  EXPECT_EQ(Find<QComboBox>(empty, activities_names::kMemos)->count(), 0);
  EXPECT_EQ(Find<QLineEdit>(empty, activities_names::kId)->text(), QStringLiteral("ID"));
  EXPECT_TRUE(Find<QPlainTextEdit>(empty, activities_names::kDescription)->toPlainText().isEmpty());
  EXPECT_FALSE(Find<QPushButton>(empty, activities_names::kEdit)->isEnabled());

  Store(QStringLiteral("20260107-1"), QStringLiteral(" Review "), QStringLiteral("14:00"),
        QStringLiteral("15:00"));
  Store(QStringLiteral("20260108-1"), QStringLiteral("Other day"), QStringLiteral("08:00"),
        QStringLiteral("09:00"));
  Store(QStringLiteral("20260107-2"), QStringLiteral("Standup"), QStringLiteral(" 09:00"),
        QStringLiteral("09:30"), true, QStringLiteral("10"));
  AddBirthday(QStringLiteral("Smith, John"), QStringLiteral("07/01/1990"), QStringLiteral("1"));
  AddBirthday(QStringLiteral("Doe, Jane"), QStringLiteral("07/01/1985"), QStringLiteral("0"));
  ActivitiesWindow& activities = OpenDay(QDate(2026, 1, 7));
  QComboBox* subjects = Find<QComboBox>(activities, activities_names::kAppointments);
  EXPECT_EQ(Items(subjects), (QStringList{"Review", "Standup"}));
  EXPECT_EQ(activities.StartTimes(), (QStringList{"14:00", "09:00"}));
  EXPECT_EQ(activities.EndTimes(), (QStringList{"15:00", "09:30"}));
  EXPECT_EQ(Items(Find<QComboBox>(activities, activities_names::kMemos)),
            QStringList{QStringLiteral("Birthday - Smith, John ( 36 ) ")});
  EXPECT_EQ(Find<QLineEdit>(activities, activities_names::kId)->text(),
            QStringLiteral("20260107-1"));
  EXPECT_TRUE(Find<QPushButton>(activities, activities_names::kEdit)->isEnabled());
  EXPECT_FALSE(Find<QLineEdit>(activities, activities_names::kMinutes)->isVisible());
  EXPECT_FALSE(Find<QLabel>(activities, activities_names::kMinutesCaption)->isVisible());

  subjects->setCurrentIndex(1);
  EXPECT_EQ(Find<QLineEdit>(activities, activities_names::kId)->text(),
            QStringLiteral("20260107-2"));
  EXPECT_EQ(Find<QLineEdit>(activities, activities_names::kStart)->text(), QStringLiteral("09:00"));
  EXPECT_TRUE(Find<QCheckBox>(activities, activities_names::kReminder)->isChecked());
  EXPECT_TRUE(Find<QLineEdit>(activities, activities_names::kMinutes)->isVisible());
  EXPECT_EQ(Find<QLineEdit>(activities, activities_names::kMinutes)->text(), QStringLiteral("10"));
  EXPECT_EQ(Find<QPlainTextEdit>(activities, activities_names::kDescription)->toPlainText(),
            QStringLiteral("Notes"));

  // The user's own change of date refills the window.
  Find<QDateEdit>(activities, activities_names::kDate)->setDate(QDate(2026, 1, 8));
  EXPECT_EQ(Items(subjects), QStringList{QStringLiteral("Other day")});
}

TEST_F(CalendarWindowsTest, AddStoresThroughTheEditorAndReturnsToActivities) {
  Store(QStringLiteral("20260107-1"), QStringLiteral("One"), QStringLiteral("08:00"),
        QStringLiteral("09:00"));
  Store(QStringLiteral("20260107-2"), QStringLiteral("Two"), QStringLiteral("10:00"),
        QStringLiteral("11:00"));
  ActivitiesWindow& activities = OpenDay(QDate(2026, 1, 7));
  Click(activities, activities_names::kAdd);
  AppointmentEditorWindow& editor = app_->AppointmentEditor();
  EXPECT_FALSE(app_->EditMode());
  EXPECT_FALSE(activities.isVisible());
  EXPECT_TRUE(editor.isVisible());
  EXPECT_EQ(editor.windowTitle(), QStringLiteral("Add Appointment"));
  EXPECT_EQ(Find<QLineEdit>(editor, appointment_editor_names::kId)->text(),
            QStringLiteral("20260107-3"));
  EXPECT_EQ(Find<QLineEdit>(editor, appointment_editor_names::kSubject)->text(),
            QStringLiteral("Subject"));
  EXPECT_EQ(Find<QPlainTextEdit>(editor, appointment_editor_names::kDescription)->toPlainText(),
            QStringLiteral("Description"));

  QComboBox* start = Find<QComboBox>(editor, appointment_editor_names::kStart);
  QComboBox* end = Find<QComboBox>(editor, appointment_editor_names::kEnd);
  EXPECT_EQ(start->count(), 34);
  EXPECT_EQ(end->count(), 35);
  EXPECT_EQ(start->itemText(33), QStringLiteral("23:30"));
  EXPECT_EQ(end->itemText(34), QStringLiteral("24:00"));
  Pick(start, QStringLiteral("23:30"));
  EXPECT_EQ(end->currentText(), QStringLiteral("24:00"));
  Pick(start, QStringLiteral("09:00"));
  EXPECT_EQ(end->currentText(), QStringLiteral("09:30"));
  Find<QCheckBox>(editor, appointment_editor_names::kReminder)->setChecked(true);
  EXPECT_TRUE(Find<QLineEdit>(editor, appointment_editor_names::kMinutes)->isVisible());

  // Untouched subject and description are stored as they stand.
  Click(editor, appointment_editor_names::kOk);
  EXPECT_TRUE(messages_.isEmpty());
  EXPECT_FALSE(editor.isVisible());
  EXPECT_TRUE(activities.isVisible());
  EXPECT_EQ(activities.Subjects(), (QStringList{"One", "Two", "Subject"}));
  const Appointment stored = ReadAppointment(files(), 2);
  EXPECT_EQ(stored.id, QStringLiteral("20260107-3"));
  EXPECT_EQ(stored.start, QStringLiteral("09:00"));
  EXPECT_EQ(stored.end, QStringLiteral("09:30"));
  EXPECT_TRUE(stored.reminder);
  EXPECT_EQ(stored.minutes, QStringLiteral("15"));
  EXPECT_EQ(stored.description, QStringLiteral("Description"));
}

TEST_F(CalendarWindowsTest, EditorChecksRunInOrderAndKeepTheInput) {
  ActivitiesWindow& activities = OpenDay(QDate(2026, 1, 7));
  Click(activities, activities_names::kAdd);
  AppointmentEditorWindow& editor = app_->AppointmentEditor();
  QComboBox* start = Find<QComboBox>(editor, appointment_editor_names::kStart);
  QComboBox* end = Find<QComboBox>(editor, appointment_editor_names::kEnd);
  QLineEdit* subject = Find<QLineEdit>(editor, appointment_editor_names::kSubject);

  Click(editor, appointment_editor_names::kOk);
  start->setEditText(QStringLiteral("10:00"));
  Click(editor, appointment_editor_names::kOk);
  end->setEditText(QStringLiteral("10:00"));
  Click(editor, appointment_editor_names::kOk);
  end->setEditText(QStringLiteral("09:30"));
  Click(editor, appointment_editor_names::kOk);
  start->setEditText(QString());
  QTest::keyClicks(start->lineEdit(), QStringLiteral("9:00"));
  end->setEditText(QStringLiteral("10:00"));
  Click(editor, appointment_editor_names::kOk);
  start->setEditText(QStringLiteral("09:00"));
  subject->clear();
  Click(editor, appointment_editor_names::kOk);
  EXPECT_EQ(messages_, (QStringList{"You need to specify a Start-Time for the Appointment",
                                    "You need to specify an End-Time for the Appointment",
                                    "The duration of the meeting must be greater than 0 minutes!",
                                    "The duration of the meeting must be greater than 0 minutes!",
                                    "The duration of the meeting must be greater than 0 minutes!",
                                    "You need to specify a Subject for the Appointment"}));
  EXPECT_TRUE(editor.isVisible());
  EXPECT_EQ(start->currentText(), QStringLiteral("09:00"));
  EXPECT_EQ(files().ReadCount(Channel::kAppoint), 0);

  // Typed times and minutes are held to what their records take.
  start->setEditText(QString());
  QTest::keyClicks(start->lineEdit(), QStringLiteral("123456789"));
  EXPECT_EQ(start->currentText(), QStringLiteral("12345"));
  QLineEdit* minutes = Find<QLineEdit>(editor, appointment_editor_names::kMinutes);
  minutes->clear();
  QTest::keyClicks(minutes, QStringLiteral("1234567"));
  EXPECT_EQ(minutes->text().size(), AppointmentEditorWindow::kMinutesLimit);
  QPlainTextEdit* description =
      Find<QPlainTextEdit>(editor, appointment_editor_names::kDescription);
  description->clear();
  QTest::keyClicks(description, QString(120, QLatin1Char('d')));
  EXPECT_EQ(description->toPlainText().size(), 100);
}

// Tab runs subject, start, end, Reminder, minutes, All day, Repeats,
// description, OK.
TEST_F(CalendarWindowsTest, EditorTabOrder) {
  ActivitiesWindow& activities = OpenDay(QDate(2026, 1, 7));
  Click(activities, activities_names::kAdd);
  AppointmentEditorWindow& editor = app_->AppointmentEditor();
  Find<QCheckBox>(editor, appointment_editor_names::kReminder)->setChecked(true);
  QWidget* subject = Find<QWidget>(editor, appointment_editor_names::kSubject);
  QStringList order;
  QWidget* w = subject;
  do {
    QWidget* owner = w;
    while (owner && owner->objectName().isEmpty()) owner = owner->parentWidget();
    if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(&editor) && w->isEnabled() &&
        w->focusProxy() == nullptr && owner &&
        (order.isEmpty() || order.last() != owner->objectName())) {
      order.append(owner->objectName());
    }
    w = w->nextInFocusChain();
  } while (w != subject);
  EXPECT_EQ(order,
            (QStringList{appointment_editor_names::kSubject, appointment_editor_names::kStart,
                         appointment_editor_names::kEnd, appointment_editor_names::kReminder,
                         appointment_editor_names::kMinutes, appointment_editor_names::kAllDay,
                         appointment_editor_names::kRepeats, appointment_editor_names::kDescription,
                         appointment_editor_names::kOk}));
}

// Only a pick from the start list moves the end; a typed start that happens
// to be a list time leaves the end alone when the box is left or Return is
// pressed.
TEST_F(CalendarWindowsTest, TypingAStartTimeLeavesTheEndAlone) {
  ActivitiesWindow& activities = OpenDay(QDate(2026, 1, 7));
  Click(activities, activities_names::kAdd);
  AppointmentEditorWindow& editor = app_->AppointmentEditor();
  QComboBox* start = Find<QComboBox>(editor, appointment_editor_names::kStart);
  QComboBox* end = Find<QComboBox>(editor, appointment_editor_names::kEnd);

  QTest::keyClicks(start->lineEdit(), QStringLiteral("10:00"));
  emit start->lineEdit()->editingFinished();  // what leaving the box does
  EXPECT_EQ(start->currentText(), QStringLiteral("10:00"));
  EXPECT_EQ(end->currentText(), QString());
  start->setEditText(QString());
  QTest::keyClicks(start->lineEdit(), QStringLiteral("11:00"));
  QTest::keyClick(start, Qt::Key_Return);
  EXPECT_EQ(end->currentText(), QString());

  // The arrow keys step through the list: that is a pick.
  QTest::keyClick(start, Qt::Key_Down);
  EXPECT_EQ(start->currentText(), QStringLiteral("11:30"));
  EXPECT_EQ(end->currentText(), QStringLiteral("12:00"));
  EXPECT_TRUE(messages_.isEmpty());
}

TEST_F(CalendarWindowsTest, EditRewritesTheSameAppointmentAndIsNotResetByActivation) {
  Store(QStringLiteral("20260107-1"), QStringLiteral("One"), QStringLiteral("08:00"),
        QStringLiteral("09:00"));
  Store(QStringLiteral("20260107-2"), QStringLiteral("Two"), QStringLiteral("10:00"),
        QStringLiteral("11:00"), true, QStringLiteral("30"));
  ActivitiesWindow& activities = OpenDay(QDate(2026, 1, 7));
  Find<QComboBox>(activities, activities_names::kAppointments)->setCurrentIndex(1);
  Click(activities, activities_names::kEdit);
  AppointmentEditorWindow& editor = app_->AppointmentEditor();
  EXPECT_TRUE(app_->EditMode());
  EXPECT_EQ(editor.windowTitle(), QStringLiteral("Edit Appointment"));
  EXPECT_EQ(Find<QLineEdit>(editor, appointment_editor_names::kSubject)->text(),
            QStringLiteral("Two"));
  EXPECT_EQ(Find<QComboBox>(editor, appointment_editor_names::kStart)->currentText(),
            QStringLiteral("10:00"));
  EXPECT_EQ(Find<QComboBox>(editor, appointment_editor_names::kEnd)->currentText(),
            QStringLiteral("11:00"));
  EXPECT_TRUE(Find<QCheckBox>(editor, appointment_editor_names::kReminder)->isChecked());
  EXPECT_EQ(Find<QLineEdit>(editor, appointment_editor_names::kMinutes)->text(),
            QStringLiteral("30"));
  EXPECT_EQ(Find<QLineEdit>(editor, appointment_editor_names::kId)->text(),
            QStringLiteral("20260107-2"));

  // Coming back to the editor from another window keeps what it holds.
  QEvent deactivate(QEvent::WindowDeactivate);
  QEvent activate(QEvent::WindowActivate);
  QCoreApplication::sendEvent(&editor, &deactivate);
  QCoreApplication::sendEvent(&editor, &activate);
  EXPECT_EQ(Find<QLineEdit>(editor, appointment_editor_names::kSubject)->text(),
            QStringLiteral("Two"));

  Find<QLineEdit>(editor, appointment_editor_names::kSubject)
      ->setText(QStringLiteral("Two, moved"));
  Click(editor, appointment_editor_names::kOk);
  EXPECT_EQ(files().ReadCount(Channel::kAppoint), 2);
  EXPECT_EQ(ReadAppointment(files(), 1).id, QStringLiteral("20260107-2"));
  EXPECT_EQ(ReadAppointment(files(), 1).subject, QStringLiteral("Two, moved"));
  EXPECT_EQ(ReadAppointment(files(), 1).description, QStringLiteral("Notes"));
  EXPECT_EQ(ReadAppointment(files(), 0).subject, QStringLiteral("One"));
  EXPECT_TRUE(activities.isVisible());

  // The next Add keeps the Reminder box as it was, with the default minutes.
  Click(activities, activities_names::kAdd);
  EXPECT_TRUE(Find<QCheckBox>(editor, appointment_editor_names::kReminder)->isChecked());
  EXPECT_EQ(Find<QLineEdit>(editor, appointment_editor_names::kMinutes)->text(),
            QStringLiteral("15"));
  EXPECT_TRUE(Find<QComboBox>(editor, appointment_editor_names::kStart)->currentText().isEmpty());
}

TEST_F(CalendarWindowsTest, ClosingTheEditorStoresNothingAndShowsActivitiesAgain) {
  ActivitiesWindow& activities = OpenDay(QDate(2026, 1, 7));
  Click(activities, activities_names::kAdd);
  AppointmentEditorWindow& editor = app_->AppointmentEditor();
  Pick(Find<QComboBox>(editor, appointment_editor_names::kStart), QStringLiteral("09:00"));
  const QByteArray before = FileBytes(Path("Appoint.dat"));
  editor.close();
  EXPECT_FALSE(editor.isVisible());
  EXPECT_TRUE(activities.isVisible());
  EXPECT_EQ(FileBytes(Path("Appoint.dat")), before);
  // Opening again starts afresh.
  Click(activities, activities_names::kAdd);
  EXPECT_TRUE(Find<QComboBox>(editor, appointment_editor_names::kStart)->currentText().isEmpty());

  // A day opened in the calendar meanwhile brings the editor forward
  // instead of the Activities window.
  MonthCalendarWindow& calendar = app_->MonthCalendar();
  emit calendar.calendar().activated(QDate(2026, 1, 9));
  EXPECT_FALSE(activities.isVisible());
  EXPECT_TRUE(editor.isVisible());
  EXPECT_EQ(activities.Date(), QDate(2026, 1, 7));
  editor.close();
  emit calendar.calendar().activated(QDate(2026, 1, 9));
  EXPECT_TRUE(activities.isVisible());
  EXPECT_EQ(activities.Date(), QDate(2026, 1, 9));
}

// Events kept beside the four files mark their days: a repeating one with
// its ring, one that covers whole days with a band, a one-off timed one as
// an appointment; the marks follow a change made while the window is open.
TEST_F(CalendarWindowsTest, KeptEventsMarkTheirDays) {
  auto put = [&](const QByteArray& uid, const QByteArray& lines) {
    store::Operation op(files());
    ASSERT_EQ(
        events::PutEvent(
            op, "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:x\r\nBEGIN:VEVENT\r\nUID:" + uid +
                    "\r\nDTSTAMP:20260101T000000Z\r\n" + lines + "END:VEVENT\r\nEND:VCALENDAR\r\n"),
        events::PutResult::kStored);
    ASSERT_TRUE(op.Commit().stored());
  };
  put("weekly",
      "DTSTART:20260105T100000Z\r\nDTEND:20260105T110000Z\r\nRRULE:FREQ=WEEKLY;COUNT=3\r\n");
  put("trip", "DTSTART;VALUE=DATE:20260120\r\nDTEND;VALUE=DATE:20260123\r\n");
  put("anniversary", "DTSTART;VALUE=DATE:20250114\r\nRRULE:FREQ=YEARLY\r\n");
  Store(QStringLiteral("20260109-1"), QStringLiteral("Plain"), QStringLiteral("08:00"),
        QStringLiteral("09:00"));
  MonthCalendarWindow& calendar = app_->MonthCalendar();
  calendar.show();
  calendar.RefreshMarks();
  const MonthMarks& marks = calendar.calendar().marks();
  EXPECT_EQ(marks.repeating_days, (QSet<int>{5, 12, 14, 19}));
  EXPECT_EQ(marks.all_day_days, (QSet<int>{14, 20, 21, 22}));
  EXPECT_EQ(marks.appointment_days, (QSet<int>{9}));
  put("odd", "DTSTART:20260127T101000Z\r\nDTEND:20260127T102000Z\r\n");
  QCoreApplication::processEvents();
  EXPECT_EQ(calendar.calendar().marks().appointment_days, (QSet<int>{9, 27}));
  // The legend names the events' marks too.
  QAccessibleInterface* legend = QAccessible::queryAccessibleInterface(
      Find<QLabel>(calendar, month_calendar_names::kEventsLegend));
  ASSERT_NE(legend, nullptr);
  EXPECT_EQ(legend->text(QAccessible::Name),
            QStringLiteral("Legend: Repeating event, All-day event"));
  EXPECT_EQ(QAccessible::queryAccessibleInterface(
                Find<QLabel>(calendar, month_calendar_names::kRepeatingMark))
                ->text(QAccessible::Name),
            QStringLiteral("Repeating event"));
  // Pictures to look at: QUORVEL_SCREENS=folder.
  const QString out = qEnvironmentVariable("QUORVEL_SCREENS");
  if (!out.isEmpty()) calendar.grab().save(out + QStringLiteral("/month_marks.png"));
  // Switched to dark while open: the title under the legend turns dark
  // with the words on it, which turn light.
  const QPalette dark = DarkPalette();
  const QPalette light = QApplication::palette();
  QApplication::setPalette(dark);
  QCoreApplication::processEvents();
  const QImage shown = calendar.grab().toImage();
  QLabel* words = Find<QLabel>(calendar, month_calendar_names::kEventsLegend);
  const QPoint under = words->geometry().bottomRight() - QPoint(2, 2);
  EXPECT_LT(shown.pixelColor(under * shown.devicePixelRatio()).lightness(), 128);
  if (!out.isEmpty()) shown.save(out + QStringLiteral("/month_marks_dark.png"));
  // The marks lie on the palette's base, not on white squares, and stand
  // out from it, in the cells (the 14th has a ring and a band) and in the
  // legend.
  auto* view =
      calendar.calendar().findChild<QTableView*>(QStringLiteral("qt_calendar_calendarview"));
  ASSERT_NE(view, nullptr);
  for (const QPalette& palette : {dark, light}) {
    QApplication::setPalette(palette);
    QCoreApplication::processEvents();
    const QColor base = palette.color(QPalette::Base);
    const QImage cells = view->viewport()->grab().toImage();
    // 14 January 2026: a Wednesday, the third row under the day names.
    const QRect cell = view->visualRect(view->model()->index(3, 3));
    const QRect ring(cell.left() + 14 + 2 * 16, cell.top() + 4, 17, 17);
    auto at = [&](const QImage& image, QPoint p) {
      return image.pixelColor(p * image.devicePixelRatio());
    };
    EXPECT_EQ(at(cells, ring.topLeft() + QPoint(1, 1)), base);
    EXPECT_GE(ContrastRatio(at(cells, ring.topLeft() + QPoint(3, 9)), base), 3.0);
    EXPECT_GE(ContrastRatio(at(cells, QPoint(cell.center().x(), cell.top() + 2)), base),
              3.0);  // the band
    for (const char* name :
         {month_calendar_names::kBirthdayMark, month_calendar_names::kRepeatingMark}) {
      const QImage mark = Find<QLabel>(calendar, name)->pixmap().toImage();
      const QColor window = palette.color(QPalette::Window);
      EXPECT_EQ(at(mark, QPoint(1, 1)), window) << name;
      EXPECT_GE(ContrastRatio(at(mark, QPoint(3, 9)), window), 3.0) << name;
    }
  }
  QApplication::setPalette(light);
}

TEST_F(CalendarWindowsTest, DeleteRemovesTheSelectedAppointmentAndOkMarksAndHides) {
  Store(QStringLiteral("20260107-1"), QStringLiteral("One"), QStringLiteral("08:00"),
        QStringLiteral("09:00"));
  Store(QStringLiteral("20260107-2"), QStringLiteral("Two"), QStringLiteral("10:00"),
        QStringLiteral("11:00"));
  Store(QStringLiteral("20260107-3"), QStringLiteral("Three"), QStringLiteral("12:00"),
        QStringLiteral("13:00"));
  MonthCalendarWindow& calendar = app_->MonthCalendar();
  ActivitiesWindow& activities = OpenDay(QDate(2026, 1, 7));
  Click(activities, activities_names::kDelete);
  EXPECT_TRUE(messages_.isEmpty());
  EXPECT_EQ(activities.Subjects(), (QStringList{"Two", "Three"}));
  EXPECT_EQ(Find<QLineEdit>(activities, activities_names::kId)->text(),
            QStringLiteral("20260107-1"));
  EXPECT_EQ(Find<QLineEdit>(activities, activities_names::kStart)->text(), QStringLiteral("10:00"));
  EXPECT_EQ(Id(1), QStringLiteral("20260107-2"));

  EXPECT_TRUE(calendar.HasAppointmentMark(calendar.FirstDayOffset() + 7));
  QWidget* indicator = Find<QWidget>(app_->Main(), main_window_names::kTodayIndicator);
  ASSERT_NE(indicator, nullptr);
  EXPECT_FALSE(indicator->isHidden());  // the clock reads 7 January 2026
  Click(activities, activities_names::kDelete);
  Click(activities, activities_names::kDelete);
  EXPECT_FALSE(Find<QPushButton>(activities, activities_names::kDelete)->isEnabled());
  EXPECT_TRUE(calendar.HasAppointmentMark(calendar.FirstDayOffset() + 7));  // not yet re-marked
  EXPECT_FALSE(indicator->isHidden());  // until the next marking
  Click(activities, activities_names::kOk);
  EXPECT_FALSE(activities.isVisible());
  EXPECT_FALSE(calendar.HasAppointmentMark(calendar.FirstDayOffset() + 7));
  EXPECT_TRUE(indicator->isHidden());
}

// --- Day schedule --------------------------------------------------------------

class DayScheduleTest : public CalendarWindowsTest {
 protected:
  DayScheduleWindow& View(const QDate& date) {
    ActivitiesWindow& activities = OpenDay(date);
    Click(activities, activities_names::kViewSchedule);
    return app_->DaySchedule();
  }
  // Columns of `row` by colour: "." white, "B" blue, "R" red, "D" dark red.
  static QString Colours(DayScheduleWindow& schedule, int row) {
    auto* grid = schedule.findChild<QTableWidget*>(QLatin1String(day_schedule_names::kGrid));
    QString line;
    for (int k = 1; k <= 34; ++k) {
      QTableWidgetItem* item = grid->item(row, k);
      const QBrush brush = item ? item->background() : QBrush();
      if (brush.style() == Qt::NoBrush) {
        line += QLatin1Char('.');
      } else if (brush.color() == DayScheduleWindow::kBusy) {
        line += QLatin1Char('B');
      } else if (brush.color() == DayScheduleWindow::kOccupied) {
        line += QLatin1Char('R');
      } else if (brush.color() == DayScheduleWindow::kOverbooked) {
        line += QLatin1Char('D');
      } else {
        line += QLatin1Char('?');
      }
    }
    return line;
  }
  // The 34 columns with `marks` placed from the column of `from`.
  static QString Line(const char* from, const char* marks) {
    QString line(34, QLatin1Char('.'));
    const int at = static_cast<int>(DayScheduleWindow::TimeLabels().indexOf(QLatin1String(from)));
    line.replace(at, static_cast<int>(qstrlen(marks)), QLatin1String(marks));
    return line;
  }
};

TEST_F(DayScheduleTest, RowsAreColouredByCoverageWithTheTotalBelow) {
  Store(QStringLiteral("20260107-1"), QStringLiteral("A"), QStringLiteral("09:00"),
        QStringLiteral("10:00"));
  Store(QStringLiteral("20260107-2"), QStringLiteral("B"), QStringLiteral("09:30"),
        QStringLiteral("11:00"));
  Store(QStringLiteral("20260107-3"), QStringLiteral("C"), QStringLiteral("23:00"),
        QStringLiteral("24:00"));
  Store(QStringLiteral("20260107-4"), QStringLiteral("D"), QStringLiteral("09:15"),
        QStringLiteral("10:15"));
  Store(QStringLiteral("20260107-5"), QStringLiteral("E"), QStringLiteral("9:00"),
        QStringLiteral("10:00"));
  Store(QStringLiteral("20260107-6"), QStringLiteral("F"), QStringLiteral("12:00"),
        QStringLiteral("12:00"));
  DayScheduleWindow& schedule = View(QDate(2026, 1, 7));
  EXPECT_TRUE(schedule.isVisible());
  EXPECT_TRUE(app_->Activities().isVisible());
  EXPECT_EQ(schedule.windowTitle(), QStringLiteral("Day Schedule for - 07/01/2026"));
  auto* grid = schedule.findChild<QTableWidget*>(QLatin1String(day_schedule_names::kGrid));
  ASSERT_EQ(grid->columnCount(), 35);
  EXPECT_EQ(grid->horizontalHeaderItem(0)->text(), QStringLiteral("Appointment"));
  EXPECT_EQ(grid->horizontalHeaderItem(1)->text(), QStringLiteral("07:00"));
  EXPECT_EQ(grid->horizontalHeaderItem(34)->text(), QStringLiteral("23:30"));
  ASSERT_EQ(grid->rowCount(), 7);
  EXPECT_EQ(grid->item(0, 0)->text(), QStringLiteral("A"));
  EXPECT_EQ(Colours(schedule, 0), Line("09:00", "BB"));
  EXPECT_EQ(Colours(schedule, 1), Line("09:30", "BBB"));
  EXPECT_EQ(Colours(schedule, 2), Line("23:00", "BB"));
  EXPECT_EQ(Colours(schedule, 3), Line("09:30", "BB"));
  EXPECT_EQ(Colours(schedule, 4), Line("07:00", ""));
  EXPECT_EQ(Colours(schedule, 5), Line("07:00", ""));
  EXPECT_EQ(grid->item(6, 0)->text(), QStringLiteral("Total Occupation"));
  EXPECT_EQ(grid->item(6, 0)->background().color(), DayScheduleWindow::kTotalCaption);
  QString total = Line("09:00", "RDDR");
  total.replace(32, 2, QStringLiteral("RR"));
  EXPECT_EQ(Colours(schedule, 6), total);
}

TEST_F(DayScheduleTest, ChangingTheDateRefillsBothWindows) {
  Store(QStringLiteral("20260108-1"), QStringLiteral("First"), QStringLiteral("09:00"),
        QStringLiteral("10:30"));
  Store(QStringLiteral("20260108-2"), QStringLiteral("Second"), QStringLiteral("14:00"),
        QStringLiteral("15:00"));
  DayScheduleWindow& schedule = View(QDate(2026, 1, 7));
  auto* grid = schedule.findChild<QTableWidget*>(QLatin1String(day_schedule_names::kGrid));
  EXPECT_EQ(grid->rowCount(), 0);  // the header only

  Find<QDateEdit>(schedule, day_schedule_names::kDate)->setDate(QDate(2026, 1, 8));
  ActivitiesWindow& activities = app_->Activities();
  EXPECT_EQ(activities.Date(), QDate(2026, 1, 8));
  EXPECT_EQ(activities.Subjects(), (QStringList{"First", "Second"}));
  EXPECT_EQ(Find<QLineEdit>(activities, activities_names::kId)->text(),
            QStringLiteral("20260108-1"));
  ASSERT_EQ(grid->rowCount(), 3);
  EXPECT_EQ(Colours(schedule, 0), Line("09:00", "BBB"));
  EXPECT_EQ(Colours(schedule, 2), Line("09:00", "RRR").replace(14, 2, QStringLiteral("RR")));

  Click(schedule, day_schedule_names::kOk);
  EXPECT_FALSE(schedule.isVisible());
}

TEST_F(CalendarWindowsTest, EnterPressesOkExceptInTheDescription) {
  ActivitiesWindow& activities = OpenDay(QDate(2026, 1, 7));
  Click(activities, activities_names::kAdd);
  AppointmentEditorWindow& editor = app_->AppointmentEditor();
  QLineEdit* subject = Find<QLineEdit>(editor, appointment_editor_names::kSubject);
  QPlainTextEdit* description =
      Find<QPlainTextEdit>(editor, appointment_editor_names::kDescription);
  Pick(Find<QComboBox>(editor, appointment_editor_names::kStart), QStringLiteral("09:00"));

  // Enter in the description is a new line, nothing is stored.
  description->setPlainText(QStringLiteral("Bring"));
  description->moveCursor(QTextCursor::End);
  QTest::keyClick(description, Qt::Key_Return);
  EXPECT_TRUE(editor.isVisible());
  EXPECT_EQ(files().ReadCount(Channel::kAppoint), 0);
  EXPECT_TRUE(description->toPlainText().contains(QLatin1Char('\n')));

  // Enter in the subject stores, as OK does.
  subject->setText(QStringLiteral("Dentist"));
  QTest::keyClick(subject, Qt::Key_Return);
  EXPECT_TRUE(messages_.isEmpty());
  EXPECT_FALSE(editor.isVisible());
  EXPECT_TRUE(activities.isVisible());
  EXPECT_EQ(files().ReadCount(Channel::kAppoint), 1);
  EXPECT_EQ(ReadAppointment(files(), 0).subject, QStringLiteral("Dentist"));
}

// A series as a server sent it (another zone, a left-out and a moved
// occurrence, an alarm) and a three-day trip, among a day's appointments:
// listed by start with the appointments in their own order, scheduled,
// chosen by what they are across a change, and reminded.
TEST_F(DayScheduleTest, AServerSeriesIsListedScheduledAndRemindedAmongTheAppointments) {
  const QDateTime ninth(QDate(2026, 3, 9), QTime(13, 0), Qt::UTC);
  if (ninth.toLocalTime().offsetFromUtc() != 0) GTEST_SKIP() << "the times below are UTC's";
  auto put = [&](const QByteArray& text) {
    store::Operation op(files());
    ASSERT_EQ(events::PutEvent(op, text), events::PutResult::kStored);
    ASSERT_TRUE(op.Commit().stored());
  };
  auto one = [](const QByteArray& uid, const QByteArray& lines) {
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:x\r\nBEGIN:VEVENT\r\nUID:" + uid +
           "\r\nDTSTAMP:20260101T000000Z\r\n" + lines + "END:VEVENT\r\nEND:VCALENDAR\r\n";
  };
  put(kServerSeries);
  put(one("trip", "DTSTART;VALUE=DATE:20260308\r\nDTEND;VALUE=DATE:20260311\r\nSUMMARY:Trip\r\n"));
  Store(QStringLiteral("20260309-1"), QStringLiteral("Early"), QStringLiteral("08:00"),
        QStringLiteral("09:00"));
  Store(QStringLiteral("20260309-2"), QStringLiteral("Late"), QStringLiteral("15:00"),
        QStringLiteral("16:00"));
  Store(QStringLiteral("20260309-3"), QStringLiteral("Lunch"), QStringLiteral("12:00"),
        QStringLiteral("13:30"));
  ActivitiesWindow& activities = OpenDay(QDate(2026, 3, 9));
  const QString standup = QStringLiteral("13:00\u201313:30 Standup \u21BB");
  EXPECT_EQ(activities.ListedItems(),
            (QStringList{"All day Trip", "Early", standup, "Late", "Lunch"}));
  EXPECT_EQ(activities.Subjects(), (QStringList{"Early", "Late", "Lunch"}));
  // The trip comes first; Edit and Delete act on it (asking, for a series).
  EXPECT_EQ(Find<QLineEdit>(activities, activities_names::kStart)->text(),
            QStringLiteral("All day"));
  EXPECT_TRUE(Find<QPushButton>(activities, activities_names::kEdit)->isEnabled());
  EXPECT_TRUE(Find<QPushButton>(activities, activities_names::kDelete)->isEnabled());

  const events::Occurrence* series = nullptr;
  for (const events::Occurrence& o : activities.DayOccurrences()) {
    if (o.summary == QLatin1String("Standup")) series = &o;
  }
  ASSERT_NE(series, nullptr);
  const QString uid = series->uid;
  const QString instance = series->instance;
  ASSERT_TRUE(activities.ChooseOccurrence(uid, instance));
  QAccessibleInterface* list = QAccessible::queryAccessibleInterface(
      Find<QComboBox>(activities, activities_names::kAppointments));
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->role(), QAccessible::ComboBox);
  EXPECT_EQ(list->text(QAccessible::Name), QStringLiteral("Appointments"));
  EXPECT_EQ(list->text(QAccessible::Value), QStringLiteral("13:00 to 13:30 Standup, repeats"));
  QAccessibleInterface* start =
      QAccessible::queryAccessibleInterface(Find<QLineEdit>(activities, activities_names::kStart));
  EXPECT_EQ(start->text(QAccessible::Name), QStringLiteral("Start Time"));
  EXPECT_EQ(start->text(QAccessible::Value), QStringLiteral("13:00"));
  EXPECT_EQ(Find<QLineEdit>(activities, activities_names::kEnd)->text(), QStringLiteral("13:30"));
  EXPECT_TRUE(Find<QCheckBox>(activities, activities_names::kReminder)->isChecked());
  EXPECT_EQ(Find<QLineEdit>(activities, activities_names::kMinutes)->text(), QStringLiteral("15"));

  // Another event arrives (a sync, say): the same occurrence stays chosen.
  put(one("call", "DTSTART:20260309T070000Z\r\nDTEND:20260309T073000Z\r\nSUMMARY:Call\r\n"));
  QCoreApplication::processEvents();
  EXPECT_EQ(activities.ListedItems(), (QStringList{"All day Trip", "07:00\u201307:30 Call", "Early",
                                                   standup, "Late", "Lunch"}));
  ASSERT_TRUE(activities.ChosenOccurrence().has_value());
  EXPECT_EQ(activities.ChosenOccurrence()->uid, uid);
  EXPECT_EQ(activities.ChosenOccurrence()->instance, instance);
  activities.ChooseAppointment(2);
  EXPECT_EQ(Find<QLineEdit>(activities, activities_names::kStart)->text(), QStringLiteral("15:00"));
  EXPECT_TRUE(Find<QPushButton>(activities, activities_names::kEdit)->isEnabled());
  EXPECT_FALSE(activities.ChosenOccurrence().has_value());

  // The trip above the rows, taking no half-hour; the series counts.
  Click(activities, activities_names::kViewSchedule);
  DayScheduleWindow& schedule = app_->DaySchedule();
  auto* grid = schedule.findChild<QTableWidget*>(QLatin1String(day_schedule_names::kGrid));
  ASSERT_EQ(grid->rowCount(), 7);
  EXPECT_EQ(grid->item(0, 0)->text(), QStringLiteral("All day: Trip"));
  EXPECT_EQ(Colours(schedule, 0), Line("07:00", ""));
  EXPECT_EQ(grid->item(3, 0)->text(), QStringLiteral("Standup \u21BB"));
  EXPECT_EQ(Colours(schedule, 3), Line("13:00", "B"));
  EXPECT_EQ(Colours(schedule, 5), Line("12:00", "BBB"));
  EXPECT_EQ(Colours(schedule, 6), Line("07:00", "R.RR......RRD...RR"));
  QAccessibleInterface* table = QAccessible::queryAccessibleInterface(grid);
  ASSERT_NE(table->tableInterface(), nullptr);
  QAccessibleInterface* cell = table->tableInterface()->cellAt(3, 0);
  ASSERT_NE(cell, nullptr);
  EXPECT_EQ(cell->text(QAccessible::Name), QStringLiteral("Standup, repeats"));

  // The reminder, in the program's own check (no notification service).
  app_->SetNotificationBus(QDBusConnection(QStringLiteral("no-such-bus")));
  now_ = QDateTime(QDate(2026, 3, 9), QTime(12, 45));
  app_->KeepReminders();
  ASSERT_TRUE(app_->HasReminder() && app_->Reminder().isVisible());
  QAccessibleInterface* subject = QAccessible::queryAccessibleInterface(
      app_->Reminder().findChild<QLabel*>(QLatin1String(reminder_names::kSubject)));
  EXPECT_EQ(subject->text(QAccessible::Name), QStringLiteral("Subject"));
  EXPECT_EQ(subject->text(QAccessible::Value), QStringLiteral("Standup"));
  EXPECT_EQ(app_->Reminder().findChild<QLabel*>(QLatin1String(reminder_names::kStart))->text(),
            QStringLiteral("13:00"));

  // Other days: the trip's last, the left-out Monday, the moved one.
  const std::pair<QDate, QStringList> days[] = {
      {QDate(2026, 3, 10), {"All day Trip"}},
      {QDate(2026, 3, 16), {}},
      {QDate(2026, 3, 23), {QStringLiteral("15:00\u201315:30 Standup (moved) \u21BB")}},
  };
  for (const auto& [day, listed] : days) {
    activities.SetDate(day);
    activities.FillActivities();
    EXPECT_EQ(activities.ListedItems(), listed) << day.toString(Qt::ISODate).toStdString();
  }
}

}  // namespace
}  // namespace quorvel::testing
