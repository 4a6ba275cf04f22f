// Undo, Redo and Restore… as a person uses them: the menu items and keys
// (a text box keeps its own Ctrl+Z), what the windows show afterwards, the
// Restore window by keyboard and through the accessibility interfaces, in
// English and German.
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>

#include "app/interchange_actions.h"
#include "app/main_window.h"
#include "app/restore_window.h"
#include "backups/backups.h"
#include "calendar/activities_window.h"
#include "calendar/month_calendar_window.h"
#include "items/appointment_file.h"
#include "items/note_file.h"
#include "notes/notes_window.h"
#include "store_sweep.h"
#include "test_support.h"
#include "ui/data_changes.h"
#include "ui/ui.h"
#include "undo/undo_history.h"

namespace quorvel::testing {
namespace {

class UndoWindowsTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    MainWindow& main = app_->Main();
    main.show();
    undo_ = main.findChild<QAction*>(QLatin1String(main_window_names::kUndo));
    redo_ = main.findChild<QAction*>(QLatin1String(main_window_names::kRedo));
    restore_ = main.findChild<QAction*>(QLatin1String(main_window_names::kRestore));
    ASSERT_TRUE(undo_ && redo_ && restore_);
    SetRestoreQuestion([this](const QString& text) {
      questions_ << text;
      return answer_;
    });
  }
  void TearDown() override {
    SetRestoreQuestion({});
    AppFixture::TearDown();
  }
  // Presses `keys` in `widget`'s window, as the keyboard does.
  void Press(QWidget* widget, const QKeySequence& keys) {
    QApplication::setActiveWindow(widget->window());
    widget->setFocus();
    QApplication::processEvents();
    QTest::keySequence(widget, keys);
    QApplication::processEvents();
  }

  QAction* undo_ = nullptr;
  QAction* redo_ = nullptr;
  QAction* restore_ = nullptr;
  QStringList questions_;
  bool answer_ = true;
};

TEST_F(UndoWindowsTest, TheMenuItemsFollowTheHistoryAndTheOpenWindowsFollowTheFiles) {
  EXPECT_FALSE(undo_->isEnabled());  // opening the folder is nothing to undo
  EXPECT_FALSE(redo_->isEnabled());
  EXPECT_EQ(undo_->shortcut(), QKeySequence(QKeySequence::Undo));
  EXPECT_EQ(redo_->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
  EXPECT_TRUE(app_->Main()
                  .findChild<QMenu*>(QLatin1String(main_window_names::kFileMenu))
                  ->actions()
                  .contains(undo_));

  NotesWindow& notes = app_->Notes();
  OpenToolWindow(notes);
  const FolderState empty = ReadFolder(dir_.path());
  ASSERT_TRUE(SaveNote(files(), QStringLiteral("Shopping"), QStringLiteral("Milk")).stored());
  notes.LoadNotesList();
  auto* list = notes.findChild<QTableView*>(QLatin1String(notes_names::kList));
  ASSERT_EQ(list->model()->rowCount(), 1);
  EXPECT_TRUE(undo_->isEnabled());
  EXPECT_EQ(undo_->text(), QStringLiteral("Undo Note Change"));

  undo_->trigger();
  EXPECT_EQ(ReadFolder(dir_.path()), empty);
  QApplication::processEvents();
  EXPECT_EQ(list->model()->rowCount(), 0);  // the open window shows it
  EXPECT_FALSE(undo_->isEnabled());
  EXPECT_TRUE(redo_->isEnabled());
  EXPECT_EQ(redo_->text(), QStringLiteral("Redo Note Change"));
  redo_->trigger();
  QApplication::processEvents();
  EXPECT_EQ(list->model()->rowCount(), 1);
  EXPECT_TRUE(messages_.isEmpty()) << messages_.join('\n').toStdString();

  // Refused when something else changed the note since: said, nothing done.
  {
    store::DataFiles other;
    other.SetDataDir(dir_.path());
    ASSERT_EQ(other.OpenDataFiles(), store::OpenResult::kOpened);
    ASSERT_TRUE(SaveNote(other, QStringLiteral("Shopping"), QStringLiteral("Eggs")).stored());
  }
  const FolderState changed = ReadFolder(dir_.path());
  undo_->trigger();
  ASSERT_EQ(messages_.size(), 1);
  EXPECT_TRUE(messages_[0].contains(QStringLiteral("cannot be undone")));
  EXPECT_EQ(ReadFolder(dir_.path()), changed);
}

// An undo, a redo and a restore are each announced once, and an open
// window reads the files again once for each.
TEST_F(UndoWindowsTest, EachUndoRedoAndRestoreRefreshesAnOpenWindowOnce) {
  auto appointment = [](const char* id, const char* subject) {
    return Appointment{QLatin1String(id),
                       QLatin1String(subject),
                       QStringLiteral("10:00"),
                       QStringLiteral("11:00"),
                       false,
                       QStringLiteral("15"),
                       QString()};
  };
  ASSERT_TRUE(AddAppointment(files(), appointment("20260107-1", "Dentist")).stored());
  ASSERT_TRUE(
      backups::TakeAutomaticBackup(files(), app_->BackupsFolder(), backups::Reason::kDaily, now_)
          .stored());
  ASSERT_TRUE(AddAppointment(files(), appointment("20260107-2", "Lunch")).stored());
  app_->MonthCalendar().OpenActivitiesFor(QDate(2026, 1, 7));
  QApplication::processEvents();
  auto* subjects =
      app_->Activities().findChild<QComboBox*>(QLatin1String(activities_names::kAppointments));
  ASSERT_NE(subjects, nullptr);
  ASSERT_EQ(subjects->count(), 2);
  QSignalSpy announced(&app_->Changes(), &DataChanges::DataChanged);
  QSignalSpy refilled(subjects->model(), &QAbstractItemModel::rowsInserted);
  auto once = [&](const char* what, int listed) {
    QApplication::processEvents();
    EXPECT_EQ(announced.count(), 1) << what;
    EXPECT_EQ(refilled.count(), 1) << what;
    EXPECT_EQ(subjects->count(), listed) << what;
    announced.clear();
    refilled.clear();
  };
  undo_->trigger();
  once("undo", 1);
  redo_->trigger();
  once("redo", 2);
  ASSERT_TRUE(app_->RestoreFrom(backups::ListBackups(app_->BackupsFolder()).front().path).stored());
  once("restore", 1);
}

TEST_F(UndoWindowsTest, CtrlZUndoesFromAnyWindowButATextBoxKeepsItsOwnUndo) {
  NotesWindow& notes = app_->Notes();
  OpenToolWindow(notes);
  ASSERT_TRUE(SaveNote(files(), QStringLiteral("One"), QStringLiteral("1")).stored());
  ASSERT_TRUE(SaveNote(files(), QStringLiteral("Two"), QStringLiteral("2")).stored());
  notes.LoadNotesList();
  auto* list = notes.findChild<QTableView*>(QLatin1String(notes_names::kList));
  auto* title = notes.findChild<QLineEdit*>(QLatin1String(notes_names::kTitle));
  ASSERT_TRUE(list && title);

  // In the title box, Ctrl+Z takes back the typing, not a stored change.
  title->clear();
  QApplication::setActiveWindow(&notes);
  title->setFocus();
  QTest::keyClicks(title, QStringLiteral("abc"));
  Press(title, QKeySequence::Undo);
  EXPECT_EQ(title->text(), QString());
  EXPECT_EQ(files().ReadCount(store::Channel::kNotes), 2);

  // Elsewhere in the window (the list), it undoes the newest change, and
  // Ctrl+Shift+Z makes it again.
  Press(list, QKeySequence::Undo);
  EXPECT_EQ(files().ReadCount(store::Channel::kNotes), 1);
  EXPECT_EQ(list->model()->rowCount(), 1);
  Press(list, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
  EXPECT_EQ(files().ReadCount(store::Channel::kNotes), 2);
  // And from the main window.
  Press(&app_->Main(), QKeySequence::Undo);
  EXPECT_EQ(files().ReadCount(store::Channel::kNotes), 1);
}

TEST_F(UndoWindowsTest, TheRestoreWindowListsTheBackupsAndPutsOneBackByKeyboard) {
  const QString folder = app_->BackupsFolder();
  ASSERT_TRUE(SaveNote(files(), QStringLiteral("Old"), QStringLiteral("o")).stored());
  ASSERT_TRUE(backups::TakeAutomaticBackup(files(), folder, backups::Reason::kDaily,
                                           QDateTime(QDate(2026, 1, 5), QTime(9, 0)))
                  .stored());
  const FolderState old_state = ReadFolder(dir_.path());
  ASSERT_TRUE(SaveNote(files(), QStringLiteral("New"), QStringLiteral("n")).stored());
  ASSERT_TRUE(backups::TakeAutomaticBackup(files(), folder, backups::Reason::kImport,
                                           QDateTime(QDate(2026, 1, 6), QTime(9, 0)))
                  .stored());
  ASSERT_TRUE(SaveNote(files(), QStringLiteral("Newest"), QStringLiteral("n")).stored());
  const FolderState newest = ReadFolder(dir_.path());
  NotesWindow& notes = app_->Notes();
  OpenToolWindow(notes);
  auto* notes_list = notes.findChild<QTableView*>(QLatin1String(notes_names::kList));

  restore_->trigger();
  RestoreWindow& window = app_->Restore();
  QApplication::processEvents();
  ASSERT_TRUE(window.isVisible());
  auto* list = window.findChild<QTreeWidget*>(QLatin1String(restore_names::kBackups));
  auto* button = window.findChild<QPushButton*>(QLatin1String(restore_names::kRestore));
  auto* space = window.findChild<QLabel*>(QLatin1String(restore_names::kSpace));
  ASSERT_TRUE(list && button && space);
  ASSERT_EQ(list->topLevelItemCount(), 2);
  EXPECT_EQ(list->topLevelItem(0)->text(1), QStringLiteral("Before import"));
  EXPECT_EQ(list->topLevelItem(0)->text(3), QStringLiteral("2"));  // notes
  EXPECT_EQ(list->topLevelItem(1)->text(1), QStringLiteral("Daily"));
  EXPECT_TRUE(space->text().contains(QStringLiteral("Backups kept: 2,")));

  // Screen reader: roles and names of what can be reached.
  QAccessibleInterface* tree = QAccessible::queryAccessibleInterface(list);
  ASSERT_NE(tree, nullptr);
  EXPECT_EQ(tree->text(QAccessible::Name), QStringLiteral("Backups"));
  EXPECT_TRUE(tree->role() == QAccessible::Tree || tree->role() == QAccessible::List ||
              tree->role() == QAccessible::Table);
  EXPECT_EQ(QAccessible::queryAccessibleInterface(button)->role(), QAccessible::Button);
  EXPECT_EQ(QAccessible::queryAccessibleInterface(button)->text(QAccessible::Name),
            QStringLiteral("Restore…"));
  EXPECT_EQ(QAccessible::queryAccessibleInterface(&window)->text(QAccessible::Name),
            QStringLiteral("Restore"));
  // Keyboard: the list takes the focus first; Tab reaches Restore… then Close.
  QApplication::setActiveWindow(&window);
  list->setFocus();
  QTest::keyClick(list, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), button);
  QTest::keyClick(button, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(),
            window.findChild<QPushButton*>(QLatin1String(restore_names::kClose)));

  // Down to the older one; Enter asks, and "no" changes nothing.
  list->setFocus();
  answer_ = false;
  QTest::keyClick(list, Qt::Key_Down);
  QTest::keyClick(list, Qt::Key_Return);
  ASSERT_EQ(questions_.size(), 1);
  EXPECT_TRUE(questions_[0].contains(QStringLiteral("1 notes")));  // what comes back
  EXPECT_TRUE(questions_[0].contains(QStringLiteral("3 notes")));  // what it replaces
  EXPECT_EQ(ReadFolder(dir_.path()), newest);

  // "Yes": put back; the notes window shows it, what was replaced is listed.
  answer_ = true;
  QTest::keyClick(list, Qt::Key_Return);
  EXPECT_EQ(ReadFolder(dir_.path()), old_state);
  QApplication::processEvents();
  EXPECT_EQ(notes_list->model()->rowCount(), 1);
  ASSERT_EQ(list->topLevelItemCount(), 3);
  EXPECT_EQ(list->topLevelItem(0)->text(1), QStringLiteral("Before restore"));
  EXPECT_EQ(list->topLevelItem(0)->text(3), QStringLiteral("3"));
  EXPECT_FALSE(undo_->isEnabled());  // nothing before a restore can be undone
  ASSERT_FALSE(messages_.isEmpty());
  EXPECT_TRUE(messages_.back().contains(QStringLiteral("was put back")));
  // And the restore itself is reversed the same way.
  list->setCurrentItem(list->topLevelItem(0));
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(ReadFolder(dir_.path()), newest);
}

TEST_F(UndoWindowsTest, AnImportIsBackedUpFirstAndUndoneAsOneChange) {
  ASSERT_TRUE(SaveNote(files(), QStringLiteral("Kept"), QStringLiteral("k")).stored());
  const FolderState before = ReadFolder(dir_.path());
  QTemporaryDir in;
  const QString ics = in.filePath(QStringLiteral("in.ics"));
  {
    QFile f(ics);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:x\r\n"
        "BEGIN:VEVENT\r\nUID:1\r\nDTSTAMP:20260101T000000Z\r\nDTSTART:20260110T090000\r\n"
        "DTEND:20260110T100000\r\nSUMMARY:Imported\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
  }
  SetFileChooser([&](const FileDialogRequest&, QString*) { return QStringList{ics}; });
  app_->Main().findChild<QAction*>(QLatin1String(main_window_names::kImport))->trigger();
  SetFileChooser({});
  EXPECT_EQ(files().ReadCount(store::Channel::kAppoint), 1);
  const auto list = backups::ListBackups(app_->BackupsFolder());
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].reason, backups::Reason::kImport);
  EXPECT_EQ(list[0].appointments, 0);
  EXPECT_EQ(list[0].notes, 1);
  EXPECT_EQ(undo_->text(), QStringLiteral("Undo Appointment Change"));
  undo_->trigger();
  EXPECT_EQ(ReadFolder(dir_.path()), before);
}

TEST_F(UndoWindowsTest, StartTakesTheDaysBackupOnce) {
  app_.reset();
  for (int run = 0; run < 2; ++run) {
    app_ = std::make_unique<Application>();
    app_->SetProcessEnd([this] { ended_ = true; });
    app_->SetDataFolder(dir_.path());
    app_->Start();
    const auto list = backups::ListBackups(app_->BackupsFolder());
    ASSERT_EQ(list.size(), 1u) << run;
    EXPECT_EQ(list[0].reason, backups::Reason::kDaily);
    EXPECT_EQ(list[0].created, now_);
    EXPECT_FALSE(app_->History().CanUndo());
    app_.reset();
  }
  now_ = now_.addDays(1);
  app_ = std::make_unique<Application>();
  app_->SetProcessEnd([this] { ended_ = true; });
  app_->SetDataFolder(dir_.path());
  app_->Start();
  EXPECT_EQ(backups::ListBackups(app_->BackupsFolder()).size(), 2u);
}

TEST_F(UndoWindowsTest, InGermanTheItemsAndTheRestoreWindowSpeakGerman) {
  GermanTexts german;
  ASSERT_TRUE(german.loaded());
  ASSERT_TRUE(backups::TakeAutomaticBackup(files(), app_->BackupsFolder(), backups::Reason::kDaily,
                                           QDateTime(QDate(2026, 1, 5), QTime(9, 0)))
                  .stored());
  ASSERT_TRUE(SaveNote(files(), QStringLiteral("Neu"), QStringLiteral("n")).stored());
  EXPECT_EQ(undo_->text(), QStringLiteral("Notizänderung rückgängig machen"));
  EXPECT_EQ(app_->History().RedoText(), QStringLiteral("Wiederherstellen"));
  RestoreWindow window(*app_);
  window.show();
  QApplication::processEvents();
  EXPECT_EQ(window.windowTitle(), QStringLiteral("Sicherung zurückspielen"));
  auto* list = window.findChild<QTreeWidget*>(QLatin1String(restore_names::kBackups));
  EXPECT_EQ(list->headerItem()->text(0), QStringLiteral("Datum"));
  EXPECT_EQ(list->topLevelItem(0)->text(1), QStringLiteral("Täglich"));
  EXPECT_EQ(list->accessibleName(), QStringLiteral("Sicherungen"));
  EXPECT_EQ(window.findChild<QPushButton*>(QLatin1String(restore_names::kRestore))->text(),
            QStringLiteral("&Zurückspielen…"));
  // Refusals are German too.
  {
    store::DataFiles other;
    other.SetDataDir(dir_.path());
    ASSERT_EQ(other.OpenDataFiles(), store::OpenResult::kOpened);
    ASSERT_TRUE(SaveNote(other, QStringLiteral("Neu"), QStringLiteral("x")).stored());
  }
  const store::Outcome refused = app_->History().Undo();
  ASSERT_TRUE(refused.refused());
  EXPECT_TRUE(refused.reason().contains(QStringLiteral("nicht rückgängig")))
      << refused.reason().toStdString();
}

}  // namespace
}  // namespace quorvel::testing
