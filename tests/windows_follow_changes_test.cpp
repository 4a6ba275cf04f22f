// Open windows and editors while the files change behind them (a sync, an
// import, another window): each shows what the files hold, and OK writes
// only the item the user chose.
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

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

using store::Channel;

template <class T = QWidget>
T* In(QWidget& window, const QString& name) {
  T* child = window.findChild<T*>(name);
  EXPECT_NE(child, nullptr) << name.toStdString();
  return child;
}

void Click(QWidget& window, const char* name) {
  auto* button = In<QPushButton>(window, QLatin1String(name));
  if (button) QTest::mouseClick(button, Qt::LeftButton);
}

QStringList Items(QComboBox* combo) {
  QStringList items;
  for (int i = 0; combo && i < combo->count(); ++i) items.append(combo->itemText(i));
  return items;
}

// The day of the tests is today, 7 January 2026.
const QDate kDay(2026, 1, 7);

class WindowsFollowChangesTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    for (const char* subject : {"One", "Two", "Three"}) StoreOn(kDay, QLatin1String(subject));
    now_ = QDateTime(kDay, QTime(8, 0));
  }
  void StoreOn(const QDate& date, const QString& subject, const QString& start = "09:00",
               const QString& end = "10:00") {
    ASSERT_TRUE(
        AddAppointmentOn(
            files(), date,
            Appointment{{}, subject, start, end, false, QStringLiteral("15"), subject + " notes"})
            .stored());
  }
  // What the windows hear of happens on the next turn of the event loop.
  static void Settle() { QCoreApplication::processEvents(); }

  QByteArray Appoint() { return FileBytes(Path("Appoint.dat")); }
  // Appointment groups as stored: (ID, subject) of each, in file order.
  QStringList Stored() {
    QStringList items;
    const int count = files().ReadCount(Channel::kAppoint);
    for (int k = 0; k < count; ++k) {
      const Appointment a = ReadAppointment(files(), k);
      items.append(a.id + ' ' + a.subject);
    }
    return items;
  }
  // A change behind the windows, as a sync makes it: the store's own
  // operations, nothing the windows are told of directly.
  void DeleteBehind(const QString& id) { ASSERT_TRUE(DeleteAppointment(files(), id).stored()); }

  ActivitiesWindow& OpenDay() {
    ActivitiesWindow& activities = app_->Activities();
    activities.SetDate(kDay);
    activities.show();
    activities.FillActivities();
    return activities;
  }
  void Choose(ActivitiesWindow& activities, const QString& subject) {
    auto* subjects = In<QComboBox>(activities, activities_names::kAppointments);
    const int index = subjects->findText(subject);
    ASSERT_GE(index, 0) << subject.toStdString();
    subjects->setCurrentIndex(index);
  }
  QString Chosen(ActivitiesWindow& activities) {
    return In<QComboBox>(activities, activities_names::kAppointments)->currentText();
  }
  QString ShownDescription(ActivitiesWindow& activities) {
    return In<QPlainTextEdit>(activities, activities_names::kDescription)->toPlainText();
  }
  AppointmentEditorWindow& EditChosen(ActivitiesWindow& activities, const QString& subject) {
    Choose(activities, subject);
    Click(activities, activities_names::kEdit);
    AppointmentEditorWindow& editor = app_->AppointmentEditor();
    EXPECT_TRUE(editor.isVisible());
    return editor;
  }
  void TypeSubject(AppointmentEditorWindow& editor, const QString& subject) {
    auto* box = In<QLineEdit>(editor, appointment_editor_names::kSubject);
    box->selectAll();
    QTest::keyClicks(box, subject);
  }
  void PickTimes(AppointmentEditorWindow& editor, const QString& start, const QString& end) {
    In<QComboBox>(editor, appointment_editor_names::kStart)->setEditText(start);
    In<QComboBox>(editor, appointment_editor_names::kEnd)->setEditText(end);
  }
};

// Case 8: the editor opened by Edit on "Two"; "One" is removed behind it,
// which renumbers Two and Three. OK stores over Two, wherever it is now.
TEST_F(WindowsFollowChangesTest, EditStoresOverTheAppointmentOpenedWhereverItHasMoved) {
  ActivitiesWindow& activities = OpenDay();
  AppointmentEditorWindow& editor = EditChosen(activities, "Two");
  TypeSubject(editor, "Two edited");

  DeleteBehind("20260107-1");
  Settle();
  const QByteArray before = Appoint();
  ASSERT_EQ(Stored(), (QStringList{"20260107-1 Two", "20260107-2 Three"}));

  editor.Ok();
  EXPECT_TRUE(messages_.isEmpty()) << messages_.join('|').toStdString();
  EXPECT_TRUE(questions_.isEmpty());
  EXPECT_EQ(Stored(), (QStringList{"20260107-1 Two edited", "20260107-2 Three"}));
  // Only Two's subject record changed: Three and everything else is as it was.
  const QByteArray after = Appoint();
  ASSERT_EQ(after.size(), before.size());
  for (qsizetype at = 0; at < after.size(); at += 128) {
    const int record = int(at / 128) + 1;
    if (record == 2) continue;
    EXPECT_EQ(after.mid(at, 128), before.mid(at, 128)) << "record " << record;
  }
  EXPECT_NE(after.mid(128, 128), before.mid(128, 128));
  EXPECT_FALSE(editor.isVisible());
  EXPECT_EQ(activities.Subjects(), (QStringList{"Two edited", "Three"}));
}

// When the appointment opened was changed or deleted meanwhile, OK says so
// and offers a new appointment or nothing; it never writes over another.
TEST_F(WindowsFollowChangesTest, EditOfAnAppointmentDeletedOrChangedMeanwhileAsksAndWritesNoOther) {
  ActivitiesWindow& activities = OpenDay();
  AppointmentEditorWindow& editor = EditChosen(activities, "Two");
  TypeSubject(editor, "Two edited");
  DeleteBehind("20260107-2");
  Settle();
  const QByteArray before = Appoint();

  // Closing the box goes back to the editor, nothing written.
  choice_ = -1;
  editor.Ok();
  ASSERT_EQ(questions_.size(), 1);
  EXPECT_EQ(questions_[0],
            "The appointment \"Two\" was changed or deleted while you were editing it (by a sync, "
            "for example), so your changes cannot be stored over it.\n\nSave them as a new "
            "appointment, or discard them?");
  EXPECT_EQ(offered_, (QStringList{"Save as New", "Discard"}));
  EXPECT_TRUE(editor.isVisible());
  EXPECT_EQ(Appoint(), before);

  // Discard: nothing written, back to the day.
  choice_ = 1;
  editor.Ok();
  EXPECT_EQ(Appoint(), before);
  EXPECT_FALSE(editor.isVisible());
  EXPECT_TRUE(activities.isVisible());
  EXPECT_FALSE(activities.EditorOpen());
  EXPECT_EQ(activities.Subjects(), (QStringList{"One", "Three"}));

  // Changed behind the editor (its description, say, by the phone): the
  // same question; Save as New keeps both under IDs of their own.
  Appointment three = ReadAppointment(files(), 1);
  AppointmentEditorWindow& again = EditChosen(activities, "Three");
  TypeSubject(again, "Three here");
  three.description = QStringLiteral("changed on the phone");
  ASSERT_TRUE(UpdateAppointment(files(), three).stored());
  Settle();
  choice_ = 0;
  again.Ok();
  ASSERT_EQ(questions_.size(), 3);
  EXPECT_TRUE(questions_[2].startsWith("The appointment \"Three\" was changed or deleted"));
  EXPECT_TRUE(messages_.isEmpty()) << messages_.join('|').toStdString();
  EXPECT_EQ(Stored(), (QStringList{"20260107-1 One", "20260107-2 Three", "20260107-3 Three here"}));
  EXPECT_EQ(ReadAppointment(files(), 1).description, "changed on the phone");
  EXPECT_EQ(ReadAppointment(files(), 2).description, "Three notes");
  EXPECT_FALSE(again.isVisible());
  EXPECT_EQ(activities.Subjects(), (QStringList{"One", "Three", "Three here"}));
}

// Case 9: the ID of an added appointment is chosen when it is stored, not
// when the editor opened; choosing it shows it, and Delete removes it.
TEST_F(WindowsFollowChangesTest, AddTakesTheDaysNextIdAtTheMomentItIsStored) {
  ActivitiesWindow& activities = OpenDay();
  Click(activities, activities_names::kAdd);
  AppointmentEditorWindow& editor = app_->AppointmentEditor();
  ASSERT_TRUE(editor.isVisible());
  TypeSubject(editor, "Added");
  PickTimes(editor, "11:00", "12:00");

  // Proposed 20260107-4; One goes behind the editor.
  DeleteBehind("20260107-1");
  Settle();
  editor.Ok();
  EXPECT_TRUE(messages_.isEmpty()) << messages_.join('|').toStdString();
  EXPECT_EQ(Stored(), (QStringList{"20260107-1 Two", "20260107-2 Three", "20260107-3 Added"}));

  // And again with one added behind it (proposed -4, taken meanwhile).
  Click(activities, activities_names::kAdd);
  TypeSubject(editor, "Added too");
  PickTimes(editor, "13:00", "14:00");
  StoreOn(kDay, "From the phone");
  Settle();
  editor.Ok();
  EXPECT_EQ(Stored(), (QStringList{"20260107-1 Two", "20260107-2 Three", "20260107-3 Added",
                                   "20260107-4 From the phone", "20260107-5 Added too"}));

  // Each listed appointment shows its own details; Delete takes the one chosen.
  Choose(activities, "Added too");
  EXPECT_EQ(In<QLineEdit>(activities, activities_names::kStart)->text(), "13:00");
  Choose(activities, "From the phone");
  EXPECT_EQ(ShownDescription(activities), "From the phone notes");
  Click(activities, activities_names::kDelete);
  EXPECT_EQ(Stored(), (QStringList{"20260107-1 Two", "20260107-2 Three", "20260107-3 Added",
                                   "20260107-4 Added too"}));
}

// Case 10: Activities, the day schedule and the month calendar show what
// the file holds after a change behind them; Activities keeps the chosen
// appointment, and Delete removes that one even when it has moved.
TEST_F(WindowsFollowChangesTest, ActivitiesScheduleAndCalendarFollowAndKeepTheChoice) {
  MonthCalendarWindow& calendar = app_->MonthCalendar();
  calendar.show();
  ActivitiesWindow& activities = OpenDay();
  Choose(activities, "Three");
  Click(activities, activities_names::kViewSchedule);  // View Schedule
  DayScheduleWindow& schedule = app_->DaySchedule();
  ASSERT_TRUE(schedule.isVisible());
  const int offset = calendar.FirstDayOffset();
  EXPECT_FALSE(calendar.HasAppointmentMark(offset + 20));

  DeleteBehind("20260107-1");
  StoreOn(QDate(2026, 1, 20), "Elsewhere");
  Settle();
  EXPECT_EQ(activities.Subjects(), (QStringList{"Two", "Three"}));
  EXPECT_EQ(Chosen(activities), "Three");
  EXPECT_EQ(ShownDescription(activities), "Three notes");
  EXPECT_EQ(In<QLineEdit>(activities, activities_names::kId)->text(), "20260107-2");
  auto* grid = In<QTableWidget>(schedule, day_schedule_names::kGrid);
  ASSERT_EQ(grid->rowCount(), 3);
  EXPECT_EQ(grid->item(0, 0)->text(), "Two");
  EXPECT_EQ(grid->item(1, 0)->text(), "Three");
  EXPECT_TRUE(calendar.HasAppointmentMark(offset + 20));
  EXPECT_TRUE(calendar.HasAppointmentMark(offset + 7));

  // The chosen one changed in place: still chosen, its new details shown.
  Appointment three = ReadAppointment(files(), 1);
  three.description = QStringLiteral("new notes");
  ASSERT_TRUE(UpdateAppointment(files(), three).stored());
  Settle();
  EXPECT_EQ(Chosen(activities), "Three");
  EXPECT_EQ(ShownDescription(activities), "new notes");

  // The day emptied behind the window: empty lists, no details, the
  // today indicator off; nothing left to Delete or Edit.
  DeleteBehind("20260107-2");
  DeleteBehind("20260107-1");
  Settle();
  EXPECT_TRUE(activities.Subjects().isEmpty());
  EXPECT_FALSE(In<QPushButton>(activities, activities_names::kDelete)->isEnabled());
  EXPECT_EQ(grid->rowCount(), 0);
  EXPECT_FALSE(calendar.HasAppointmentMark(offset + 7));
  EXPECT_TRUE(messages_.isEmpty()) << messages_.join('|').toStdString();
}

TEST_F(WindowsFollowChangesTest, DeleteRemovesTheChosenAppointmentEvenIfItMovedBeforeTheRefresh) {
  ActivitiesWindow& activities = OpenDay();
  Choose(activities, "Two");
  // Deleted behind the window, and Delete pressed before it heard of it.
  DeleteBehind("20260107-1");
  Click(activities, activities_names::kDelete);
  EXPECT_EQ(Stored(), (QStringList{"20260107-1 Three"}));
  Settle();
  EXPECT_EQ(activities.Subjects(), (QStringList{"Three"}));
}

TEST_F(WindowsFollowChangesTest, TheTodayIndicatorFollowsChangesToToday) {
  MainWindow& main = app_->Main();
  main.show();
  app_->UpdateTodayIndicator();
  auto* indicator = In<QWidget>(main, main_window_names::kTodayIndicator);
  ASSERT_NE(indicator, nullptr);
  EXPECT_FALSE(indicator->isHidden());
  for (const char* id : {"20260107-3", "20260107-2", "20260107-1"}) DeleteBehind(id);
  Settle();
  EXPECT_TRUE(indicator->isHidden());
  StoreOn(kDay, "Back");
  Settle();
  EXPECT_FALSE(indicator->isHidden());
}

// Pictures for a person to look at: the day's windows after a change
// behind them, and the question OK asks. Disabled in ordinary runs:
//   QUORVEL_SCREENS=/tmp/shots QT_QPA_PLATFORM=xcb xvfb-run -a -s '-screen 0 1024x768x24'
//     build/tests/quorvel_tests --gtest_also_run_disabled_tests
//     --gtest_filter='WindowsFollowChangesTest.DISABLED_*'
TEST_F(WindowsFollowChangesTest, DISABLED_Pictures) {
  const QString out = qEnvironmentVariable("QUORVEL_SCREENS");
  ASSERT_FALSE(out.isEmpty());
  QDir().mkpath(out);
  const auto shoot = [&](const QString& name) {
    QTest::qWait(400);
    QProcess::execute("import", {"-window", "root", out + '/' + name + ".png"});
  };
  ActivitiesWindow& activities = OpenDay();
  activities.move(20, 20);
  Choose(activities, "Three");
  Click(activities, activities_names::kViewSchedule);
  app_->DaySchedule().move(20, 440);
  shoot("before");
  DeleteBehind("20260107-1");
  Settle();
  shoot("after_one_deleted_behind");
  AppointmentEditorWindow& editor = EditChosen(activities, "Three");
  editor.move(520, 20);
  TypeSubject(editor, "Three edited");
  DeleteBehind("20260107-2");
  Settle();
  SetChoiceSink({});
  QTimer::singleShot(600, [&] {
    shoot("question");
    if (QWidget* box = QApplication::activeModalWidget()) {
      for (auto* button : box->findChildren<QPushButton*>()) {
        if (button->text() == "Discard") button->click();
      }
    }
  });
  editor.Ok();
  shoot("after_discard");
}

class AddressBookFollowsTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    for (const char* surname : {"Adams", "Archer", "Avery"}) Store("Ann", surname);
    book_ = &app_->AddressBook();
    book_->show();
    book_->FillNameList();
  }
  void Store(const QString& name, const QString& surname, const QString& home = "555") {
    AddressEntry entry;
    entry.name = name;
    entry.surname = surname;
    entry.phones[0] = home;
    entry.email = surname + "@example.org";
    ASSERT_TRUE(AddAddressEntry(files(), entry).stored());
  }
  void Choose(const QString& key) {
    auto* names = In<QComboBox>(*book_, address_book_names::kNames);
    const int index = names->findText(key);
    ASSERT_GE(index, 0) << key.toStdString();
    names->setCurrentIndex(index);
    emit names->activated(index);
  }
  QStringList Listed() { return Items(In<QComboBox>(*book_, address_book_names::kNames)); }
  QString Chosen() { return In<QComboBox>(*book_, address_book_names::kNames)->currentText(); }
  QString Home() { return In<QLineEdit>(*book_, address_book_names::kPhones[0])->text(); }
  QByteArray Book() { return FileBytes(Path("AddBook.dat")); }
  AddressEntry Entry(const QString& key) {
    return ReadAddressEntry(files(), FindAddressEntry(files(), key));
  }
  AddressEditorWindow& EditChosen(const QString& key) {
    Choose(key);
    Click(*book_, address_book_names::kEditEntry);
    AddressEditorWindow& editor = app_->AddressEditor();
    EXPECT_TRUE(editor.isVisible());
    return editor;
  }
  void TypeHome(AddressEditorWindow& editor, const QString& home) {
    auto* box = In<QLineEdit>(editor, address_editor_names::kPhones[0]);
    box->selectAll();
    QTest::keyClicks(box, home);
  }

  AddressBookWindow* book_ = nullptr;
};

// Case 10: the address book lists and shows what the file holds.
TEST_F(AddressBookFollowsTest, TheListAndTheShownEntryFollowTheFile) {
  Choose("Archer, Ann");
  EXPECT_EQ(Home(), "555");
  // Changed behind the window: still chosen, the new number shown.
  AddressEntry archer = Entry("Archer, Ann");
  archer.phones[0] = "777";
  ASSERT_TRUE(ReplaceAddressEntry(files(), "Archer, Ann", archer).stored());
  Store("Ann", "Abbot");
  QCoreApplication::processEvents();
  EXPECT_EQ(Listed(), (QStringList{"Abbot, Ann", "Adams, Ann", "Archer, Ann", "Avery, Ann"}));
  EXPECT_EQ(Chosen(), "Archer, Ann");
  EXPECT_EQ(Home(), "777");
  // Deleted behind the window: gone from the list, its details no more shown.
  ASSERT_TRUE(DeleteAddressEntry(files(), "Archer, Ann").stored());
  QCoreApplication::processEvents();
  EXPECT_EQ(Listed(), (QStringList{"Abbot, Ann", "Adams, Ann", "Avery, Ann"}));
  EXPECT_EQ(Chosen(), "Abbot, Ann");
  EXPECT_EQ(In<QLineEdit>(*book_, address_book_names::kEmail)->text(), "Abbot@example.org");
}

// Case 10: the entry editor open on an entry deleted meanwhile never adds
// it back on its own, nor writes over an entry changed meanwhile.
TEST_F(AddressBookFollowsTest, TheEntryEditorNeverBringsBackOrOverwritesAnEntryChangedMeanwhile) {
  AddressEditorWindow& editor = EditChosen("Archer, Ann");
  TypeHome(editor, "999");
  ASSERT_TRUE(DeleteAddressEntry(files(), "Archer, Ann").stored());
  QCoreApplication::processEvents();
  const QByteArray before = Book();

  choice_ = -1;
  Click(editor, address_editor_names::kOk);
  ASSERT_EQ(questions_.size(), 1);
  EXPECT_EQ(questions_[0],
            "The entry \"Archer, Ann\" was changed or deleted while you were editing it (by a "
            "sync, for example), so your changes cannot be stored over it.\n\nSave them as a new "
            "entry, or discard them?");
  EXPECT_TRUE(editor.isVisible());
  choice_ = 1;
  Click(editor, address_editor_names::kOk);
  EXPECT_EQ(Book(), before);
  EXPECT_FALSE(editor.isVisible());
  EXPECT_EQ(Listed(), (QStringList{"Adams, Ann", "Avery, Ann"}));

  // Changed meanwhile: the phone's version stays; Save as New would clash
  // with its name, which is said, and the editor stays for a new name.
  AddressEditorWindow& again = EditChosen("Avery, Ann");
  TypeHome(again, "111");
  AddressEntry avery = Entry("Avery, Ann");
  avery.email = "new@example.org";
  ASSERT_TRUE(ReplaceAddressEntry(files(), "Avery, Ann", avery).stored());
  QCoreApplication::processEvents();
  const QByteArray changed = Book();
  choice_ = 0;
  Click(again, address_editor_names::kOk);
  EXPECT_EQ(messages_, QStringList{"Entry Already Exists!"});
  EXPECT_TRUE(again.isVisible());
  EXPECT_EQ(Book(), changed);
  auto* name = In<QLineEdit>(again, address_editor_names::kName);
  name->selectAll();
  QTest::keyClicks(name, "Anna");
  Click(again, address_editor_names::kOk);
  EXPECT_FALSE(again.isVisible());
  EXPECT_EQ(Entry("Avery, Ann").email, "new@example.org");
  EXPECT_EQ(Entry("Avery, Ann").phones[0], "555");
  EXPECT_EQ(Entry("Avery, Anna").phones[0], "111");
  EXPECT_EQ(Listed(), (QStringList{"Adams, Ann", "Avery, Ann", "Avery, Anna"}));

  // Unchanged meanwhile: OK stores as it always did, without a question.
  const int asked = int(questions_.size());
  AddressEditorWindow& plain = EditChosen("Adams, Ann");
  TypeHome(plain, "222");
  Click(plain, address_editor_names::kOk);
  EXPECT_EQ(questions_.size(), asked);
  EXPECT_EQ(Entry("Adams, Ann").phones[0], "222");
}

class NotesFollowTest : public AppFixture {};

TEST_F(NotesFollowTest, TheListFollowsTheFileAndKeepsTheChosenNoteAndThePad) {
  for (const char* title : {"alpha", "beta", "gamma"}) {
    ASSERT_TRUE(SaveNote(files(), QLatin1String(title), "body").stored());
  }
  NotesWindow& notes = app_->Notes();
  notes.show();
  notes.LoadNotesList();
  // Coming to the front takes the chosen row away, as designed: done first.
  QCoreApplication::processEvents();
  auto* list = In<QTableView>(notes, notes_names::kList);
  list->setCurrentIndex(list->model()->index(2, 0));
  notes.ViewNote();
  notes.SetPadText("typed, not saved");
  ASSERT_TRUE(DeleteNote(files(), 0).stored());
  ASSERT_TRUE(SaveNote(files(), "delta", "from elsewhere").stored());
  QCoreApplication::processEvents();
  QStringList titles;
  for (int row = 0; row < list->model()->rowCount(); ++row) {
    titles.append(list->model()->index(row, 1).data().toString());
  }
  EXPECT_EQ(titles, (QStringList{"beta", "gamma", "delta"}));
  EXPECT_EQ(notes.CurrentNote(), 1);
  EXPECT_EQ(notes.PadText(), "typed, not saved");
  EXPECT_EQ(In<QLineEdit>(notes, notes_names::kTitle)->text(), "gamma");
}

TEST_F(NotesFollowTest, AClosedWindowShowsTheFileAsItIsWhenItIsOpenedAgain) {
  ASSERT_TRUE(SaveNote(files(), "alpha", "body").stored());
  NotesWindow& notes = app_->Notes();
  notes.show();
  QCoreApplication::processEvents();
  auto* list = In<QTableView>(notes, notes_names::kList);
  const auto titles = [list] {
    QStringList shown;
    for (int row = 0; row < list->model()->rowCount(); ++row) {
      shown.append(list->model()->index(row, 1).data().toString());
    }
    return shown;
  };
  ASSERT_EQ(titles(), QStringList{"alpha"});
  notes.hide();
  ASSERT_TRUE(SaveNote(files(), "beta", "from elsewhere").stored());
  ASSERT_TRUE(DeleteNote(files(), 0).stored());
  QCoreApplication::processEvents();
  notes.show();
  EXPECT_EQ(titles(), QStringList{"beta"});
  // Opened on one note (as Find opens it) while the list was behind.
  notes.hide();
  ASSERT_TRUE(SaveNote(files(), "gamma", "third").stored());
  QCoreApplication::processEvents();
  notes.ShowNote(1);
  EXPECT_EQ(titles(), (QStringList{"beta", "gamma"}));
  EXPECT_EQ(notes.CurrentNote(), 1);
  EXPECT_EQ(notes.PadText(), "third");
  notes.show();
  QCoreApplication::processEvents();
  EXPECT_EQ(titles(), (QStringList{"beta", "gamma"}));
  EXPECT_EQ(notes.PadText(), "third");
}

}  // namespace
}  // namespace quorvel::testing
