// Typing dates, Enter, limits and first focus as a user meets them.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextCursor>

#include "addressbook/address_book_window.h"
#include "addressbook/address_editor_window.h"
#include "calendar/activities_window.h"
#include "calendar/day_schedule_window.h"
#include "calendar/month_calendar_window.h"
#include "items/address_file.h"
#include "items/appointment_file.h"
#include "items/note_file.h"
#include "test_support.h"
#include "ui/date_box.h"

namespace quorvel::testing {
namespace {

using store::Channel;

void Activate(QWidget& window) {
  window.show();
  window.activateWindow();
  QApplication::setActiveWindow(&window);
}

// Tab from `from` into the next control, as the keyboard user does.
QWidget* TabFrom(QWidget* from) {
  from->setFocus(Qt::OtherFocusReason);
  QTest::keyClick(from, Qt::Key_Tab);
  return QApplication::focusWidget();
}

// Clicks the part of a date box (0 day, 1 month, 2 year) on its text.
void ClickDatePart(QDateEdit* box, int part) {
  QLineEdit* edit = box->findChild<QLineEdit*>();
  const QString text = edit->text();
  const int position = part == 0 ? 1 : part == 1 ? 4 : 8;
  // The frame and the text margin come before the text.
  const QPoint at(4 + edit->fontMetrics().horizontalAdvance(text.left(position)),
                  edit->height() / 2);
  QTest::mouseClick(edit, Qt::LeftButton, {}, at);
  EXPECT_EQ(text, edit->text());
}

class EntryEditorTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    app_->AddressBook().show();
    editor_ = &app_->AddressEditor();
    editor_->PrepareAdd(QDate(2026, 12, 7));
    Activate(*editor_);
    date_ = Find<QDateEdit>(*editor_, address_editor_names::kBirthday);
  }
  // Tabs from the Birthday box into the date box and types `keys`.
  void TypeBirthday(const QString& keys) {
    ASSERT_EQ(TabFrom(Find(*editor_, address_editor_names::kBirthdayFlag)), date_);
    QTest::keyClicks(date_, keys);
  }
  void Leave() { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); }
  void ClickOk() {
    QTest::mouseClick(Find<QPushButton>(*editor_, address_editor_names::kOk), Qt::LeftButton);
  }

  AddressEditorWindow* editor_ = nullptr;
  QDateEdit* date_ = nullptr;
};

TEST_F(EntryEditorTest, ABirthdayTypedAsShownBecomesExactlyThatDate) {
  // Qt's own box turned this into 07/12/0000 and, on leaving, 07/12/2026.
  TypeBirthday(QStringLiteral("07/08/1990"));
  Leave();
  EXPECT_EQ(date_->date(), QDate(1990, 8, 7));

  for (const QString& typed :
       {QStringLiteral("7/8/1991"), QStringLiteral("07081992"), QStringLiteral("29.2.1996")}) {
    TypeBirthday(typed);
    Leave();
  }
  EXPECT_EQ(date_->date(), QDate(1996, 2, 29));
  EXPECT_TRUE(messages_.isEmpty());

  // A click into a part and digits replace that part.
  ClickDatePart(date_, 0);
  QTest::keyClicks(date_, QStringLiteral("15"));
  Leave();
  EXPECT_EQ(date_->date(), QDate(1996, 2, 15));
  ClickDatePart(date_, 2);
  QTest::keyClicks(date_, QStringLiteral("1985"));
  Leave();
  EXPECT_EQ(date_->date(), QDate(1985, 2, 15));

  QTest::keyClicks(Find(*editor_, address_editor_names::kSurname), QStringLiteral("Smith"));
  ClickOk();
  ASSERT_EQ(files().ReadCount(Channel::kAddBook), 1);
  EXPECT_EQ(ReadAddressEntry(files(), 0).birthday_date, QStringLiteral("15/02/1985"));
  EXPECT_TRUE(messages_.isEmpty());
}

TEST_F(EntryEditorTest, ATypedTextThatIsNoDateIsRefusedWithAMessage) {
  // Qt's own box made 31/02 into 28/02 without a word.
  for (const QString& typed : {QStringLiteral("31/02/1990"), QStringLiteral("29/02/1991"),
                               QStringLiteral("07/13/1990"), QStringLiteral("07/08/19")}) {
    messages_.clear();
    TypeBirthday(typed);
    Leave();
    QApplication::processEvents();
    EXPECT_EQ(messages_, QStringList{DateBox::NotADateMessage(typed)}) << typed.toStdString();
    EXPECT_EQ(date_->date(), QDate(2026, 12, 7)) << typed.toStdString();
    EXPECT_EQ(date_->text(), QStringLiteral("07/12/2026"));
  }

  // OK pressed straight from a refused date stores nothing.
  messages_.clear();
  QTest::keyClicks(Find(*editor_, address_editor_names::kSurname), QStringLiteral("Smith"));
  TypeBirthday(QStringLiteral("31/04/1990"));
  ClickOk();
  QApplication::processEvents();
  EXPECT_EQ(messages_, QStringList{DateBox::NotADateMessage(QStringLiteral("31/04/1990"))});
  EXPECT_EQ(files().ReadCount(Channel::kAddBook), 0);
  EXPECT_TRUE(editor_->isVisible());

  // Enter in the box with a refused date does not press OK either.
  messages_.clear();
  TypeBirthday(QStringLiteral("00/00/0000"));
  QTest::keyClick(date_, Qt::Key_Return);
  EXPECT_EQ(messages_.size(), 1);
  EXPECT_EQ(files().ReadCount(Channel::kAddBook), 0);
  EXPECT_TRUE(editor_->isVisible());
}

TEST_F(EntryEditorTest, EnterPressesOkExceptInTheMultiLineBoxes) {
  auto* address = Find<QPlainTextEdit>(*editor_, address_editor_names::kAddress);
  QTest::keyClicks(Find(*editor_, address_editor_names::kSurname), QStringLiteral("Smith"));
  address->setFocus();
  QTest::keyClicks(address, QStringLiteral("1 Road"));
  QTest::keyClick(address, Qt::Key_Return);
  QTest::keyClicks(address, QStringLiteral("Town"));
  EXPECT_TRUE(editor_->isVisible());
  EXPECT_EQ(files().ReadCount(Channel::kAddBook), 0);

  // Enter on a focused Cancel is Cancel, not OK.
  Find(*editor_, address_editor_names::kCancel)->setFocus();
  QTest::keyClick(Find(*editor_, address_editor_names::kCancel), Qt::Key_Return);
  EXPECT_FALSE(editor_->isVisible());
  EXPECT_EQ(files().ReadCount(Channel::kAddBook), 0);

  editor_->PrepareAdd(QDate(2026, 12, 7));
  Activate(*editor_);
  QTest::keyClicks(Find(*editor_, address_editor_names::kSurname), QStringLiteral("Jones"));
  QTest::keyClick(Find(*editor_, address_editor_names::kSurname), Qt::Key_Return);
  EXPECT_FALSE(editor_->isVisible());
  ASSERT_EQ(files().ReadCount(Channel::kAddBook), 1);
  EXPECT_EQ(ReadAddressKey(files(), 0), QStringLiteral("Jones, "));
  EXPECT_TRUE(Find<QPushButton>(*editor_, address_editor_names::kOk)->isDefault());
}

TEST_F(EntryEditorTest, TextPutInByAnyRouteIsCutAtTheBoxLimit) {
  // Assistive technology and drops insert without a key press or a paste;
  // the box still keeps only what fits, so OK stores without a refusal.
  QTest::keyClicks(Find(*editor_, address_editor_names::kSurname), QStringLiteral("Smith"));
  for (const char* name : {address_editor_names::kAddress, address_editor_names::kNotes}) {
    auto* box = Find<QPlainTextEdit>(*editor_, name);
    QTextCursor cursor = box->textCursor();
    cursor.insertText(QStringLiteral("ab\n") + QString(130, QLatin1Char('c')));
    EXPECT_EQ(box->toPlainText(), QStringLiteral("ab\n") + QString(96, QLatin1Char('c'))) << name;
    EXPECT_EQ(box->textCursor().position(), 99) << name;
  }
  ClickOk();
  EXPECT_TRUE(messages_.isEmpty());
  ASSERT_EQ(files().ReadCount(Channel::kAddBook), 1);
  EXPECT_EQ(ReadAddressEntry(files(), 0).address.size(), 100);
}

class DayTest : public AppFixture {};

TEST_F(DayTest, ActivitiesTakesATypedDateWholeAndStartsAtTheList) {
  ASSERT_TRUE(
      AddAppointment(files(), Appointment{QStringLiteral("20260108-1"), QStringLiteral("Dentist"),
                                          QStringLiteral("09:00"), QStringLiteral("09:30"), false,
                                          QStringLiteral("15"), QString()})
          .stored());
  MonthCalendarWindow& calendar = app_->MonthCalendar();
  Activate(calendar);
  calendar.OpenActivitiesFor(QDate(2026, 1, 7));
  ActivitiesWindow& activities = app_->Activities();
  Activate(activities);
  // A day without appointments starts at Add, not in the date box.
  EXPECT_EQ(QApplication::focusWidget(), Find(activities, activities_names::kAdd));

  auto* date = Find<QDateEdit>(activities, activities_names::kDate);
  date->setFocus(Qt::TabFocusReason);
  date->setSelectedSection(QDateTimeEdit::DaySection);
  QTest::keyClicks(date, QStringLiteral("08/01/2026"));
  EXPECT_TRUE(activities.Subjects().isEmpty());  // nothing until the date is complete
  QTest::keyClick(date, Qt::Key_Return);
  EXPECT_EQ(activities.Date(), QDate(2026, 1, 8));
  EXPECT_EQ(activities.Subjects(), QStringList{QStringLiteral("Dentist")});
  EXPECT_TRUE(messages_.isEmpty());

  calendar.OpenActivitiesFor(QDate(2026, 1, 8));
  EXPECT_EQ(QApplication::focusWidget(), Find(activities, activities_names::kAppointments));
}

TEST_F(DayTest, TheDayScheduleRefusesADateThatIsNone) {
  MonthCalendarWindow& calendar = app_->MonthCalendar();
  calendar.OpenActivitiesFor(QDate(2026, 1, 7));
  Find<QPushButton>(app_->Activities(), activities_names::kViewSchedule)->click();
  DayScheduleWindow& schedule = app_->DaySchedule();
  Activate(schedule);
  auto* date = Find<QDateEdit>(schedule, day_schedule_names::kDate);
  date->setFocus(Qt::TabFocusReason);
  date->setSelectedSection(QDateTimeEdit::DaySection);
  QTest::keyClicks(date, QStringLiteral("30/02/2026"));
  QTest::keyClick(date, Qt::Key_Return);
  EXPECT_EQ(messages_, QStringList{DateBox::NotADateMessage(QStringLiteral("30/02/2026"))});
  EXPECT_EQ(schedule.Date(), QDate(2026, 1, 7));
  EXPECT_EQ(app_->Activities().Date(), QDate(2026, 1, 7));
}

TEST_F(DayTest, ANoteTooLongIsRefusedInWhatTheUserSees) {
  // 400 characters and 60 line breaks: 520 as stored.
  QString body;
  for (int i = 0; i < 60; ++i)
    body += QString(i < 40 ? 10 : 0, QLatin1Char('x')) + QStringLiteral("\r\n");
  ASSERT_EQ(body.size(), 520);
  const store::Outcome outcome = SaveNote(files(), QStringLiteral("Trip"), body);
  ASSERT_TRUE(outcome.refused());
  EXPECT_EQ(outcome.reason(),
            QStringLiteral("The note is too long to be stored: it holds 400 characters and 60 "
                           "line breaks. 498 characters fit; line breaks count as two. Please "
                           "shorten it by 22 and try again."));
  EXPECT_EQ(files().ReadCount(Channel::kNotes), 0);
}

}  // namespace
}  // namespace quorvel::testing
