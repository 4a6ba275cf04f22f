#include <QAbstractItemView>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTest>
#include <QTreeView>

#include "addressbook/address_book_window.h"
#include "app/main_window.h"
#include "calendar/activities_window.h"
#include "events/event_file.h"
#include "find/find_window.h"
#include "items/address_file.h"
#include "items/appointment_file.h"
#include "items/note_file.h"
#include "notes/notes_window.h"
#include "search/search.h"
#include "test_support.h"
#include "ui/ui.h"

namespace quorvel::testing {
namespace {

void Activate(QWidget& window) {
  window.show();
  window.activateWindow();
  QApplication::setActiveWindow(&window);
  QApplication::processEvents();
}

// Sample items: two appointments on one day and one on another, two notes,
// two address entries.
class FindWindowTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    Add(QStringLiteral("20260112-1"), QStringLiteral("Team meeting"), QStringLiteral("09:00"));
    Add(QStringLiteral("20260112-2"), QStringLiteral("Dentist Jos\u00e9"), QStringLiteral("14:00"));
    Add(QStringLiteral("20260105-1"), QStringLiteral("Dentist check"), QStringLiteral("10:00"));
    ASSERT_TRUE(
        SaveNote(files(), QStringLiteral("Shopping"), QStringLiteral("Milk\r\nBread")).stored());
    ASSERT_TRUE(
        SaveNote(files(), QStringLiteral("Wi-Fi"), QStringLiteral("Password: s3cret")).stored());
    AddressEntry e;
    e.surname = QStringLiteral("M\u00fcller");
    e.name = QStringLiteral("Jos\u00e9");
    e.address = QStringLiteral("Hauptstra\u00dfe 5");
    ASSERT_TRUE(AddAddressEntry(files(), e).stored());
    e.surname = QStringLiteral("Adams");
    e.name = QStringLiteral("Ann");
    e.address = QStringLiteral("1 Elm Road");
    ASSERT_TRUE(AddAddressEntry(files(), e).stored());
  }
  void Add(const QString& id, const QString& subject, const QString& start) {
    ASSERT_TRUE(AddAppointment(files(), Appointment{id, subject, start, start, false,
                                                    QStringLiteral("15"), QString()})
                    .stored());
  }
  // Stores an event of one VEVENT with `lines`, its UID `uid`.
  void Event(const QString& uid, const QString& lines) {
    store::Operation op(files());
    ASSERT_EQ(events::PutEvent(op, ("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\n"
                                    "BEGIN:VEVENT\r\nUID:" +
                                    uid + "\r\nDTSTAMP:20260101T000000Z\r\n" + lines +
                                    "END:VEVENT\r\nEND:VCALENDAR\r\n")
                                       .toUtf8()),
              events::PutResult::kStored);
    ASSERT_TRUE(op.Commit().stored());
  }
  FindWindow& Window() { return app_->Find(); }
  QLineEdit* Box() { return Window().findChild<QLineEdit*>(QLatin1String(find_names::kBox)); }
  QTreeView* List() { return Window().findChild<QTreeView*>(QLatin1String(find_names::kResults)); }
  // Types `words` into the box and waits for the results.
  void Type(const QString& words) {
    app_->OpenFind();
    Box()->clear();
    QTest::keyClicks(Box(), words);
    for (int i = 0; i < 1000 && Window().Searching(); ++i) QApplication::processEvents();
    ASSERT_FALSE(Window().Searching());
  }
  // The titles of the results under each kind's row, one list per kind.
  QStringList Shown() {
    QStringList rows;
    QAbstractItemModel* model = List()->model();
    for (int g = 0; g < model->rowCount(); ++g) {
      const QModelIndex group = model->index(g, 0);
      rows.append(group.data().toString());
      for (int r = 0; r < model->rowCount(group); ++r) {
        rows.append(QStringLiteral("  ") + model->index(r, 0, group).data().toString() +
                    QStringLiteral(" | ") + model->index(r, 1, group).data().toString());
      }
    }
    return rows;
  }
  // Makes result `row` of group `group` current and presses Enter on it.
  void OpenResult(int group, int row) {
    QAbstractItemModel* model = List()->model();
    List()->setFocus();
    List()->setCurrentIndex(model->index(row, 0, model->index(group, 0)));
    QTest::keyClick(List(), Qt::Key_Return);
  }
};

TEST_F(FindWindowTest, ResultsAreGroupedByKindAndSayWhatAndWhen) {
  Type(QStringLiteral("jose"));
  EXPECT_EQ(Shown(), (QStringList{QStringLiteral("Appointments (1)"),
                                  QStringLiteral("  12/01/2026 14:00 | Dentist Jos\u00e9"),
                                  QStringLiteral("Address entries (1)"),
                                  QStringLiteral("  Group M | M\u00fcller, Jos\u00e9")}));
  Type(QStringLiteral("dentist"));
  // Today is 07/01/2026: the 12th is upcoming, the 5th has passed.
  EXPECT_EQ(Shown(), (QStringList{QStringLiteral("Appointments (2)"),
                                  QStringLiteral("  12/01/2026 14:00 | Dentist Jos\u00e9"),
                                  QStringLiteral("  05/01/2026 10:00 | Dentist check")}));
  // The matching text is marked, and a screen reader hears the whole row.
  QAbstractItemModel* model = List()->model();
  const QModelIndex first = model->index(0, 1, model->index(0, 0));
  EXPECT_EQ(first.data(FindResultsModel::kMarksRole).toList(), QVariantList{QPoint(0, 7)});
  EXPECT_EQ(model->index(0, 0, model->index(0, 0)).data(Qt::AccessibleTextRole).toString(),
            QStringLiteral("Appointment, 12/01/2026 14:00, Dentist Jos\u00e9"));
  Type(QStringLiteral("strasse"));
  EXPECT_EQ(Shown(), (QStringList{QStringLiteral("Address entries (1)"),
                                  QStringLiteral("  Group M | M\u00fcller, Jos\u00e9")}));
  const QModelIndex text = model->index(0, 2, model->index(0, 0));
  EXPECT_EQ(text.data().toString(), QStringLiteral("Hauptstra\u00dfe 5"));
  EXPECT_EQ(text.data(FindResultsModel::kMarksRole).toList(), QVariantList{QPoint(5, 6)});
  Type(QStringLiteral("nothing like this"));
  EXPECT_TRUE(Shown().isEmpty());
  EXPECT_EQ(Window().findChild<QLabel*>(QLatin1String(find_names::kStatus))->text(),
            QStringLiteral("Nothing found."));
}

TEST_F(FindWindowTest, EachKindOpensWhereItLives) {
  // An appointment: Activities on its day, the appointment chosen.
  Type(QStringLiteral("dentist jose"));
  OpenResult(0, 0);
  ActivitiesWindow& activities = app_->Activities();
  EXPECT_TRUE(activities.isVisible());
  EXPECT_EQ(activities.Date(), QDate(2026, 1, 12));
  auto* subjects = activities.findChild<QComboBox*>(QLatin1String(activities_names::kAppointments));
  EXPECT_EQ(subjects->currentText(), QStringLiteral("Dentist Jos\u00e9"));
  EXPECT_EQ(activities.findChild<QLineEdit*>(QLatin1String(activities_names::kStart))->text(),
            QStringLiteral("14:00"));

  // A note: the pad holds it, its title in the title box.
  Type(QStringLiteral("password"));
  OpenResult(0, 0);
  NotesWindow& notes = app_->Notes();
  EXPECT_TRUE(notes.isVisible());
  EXPECT_EQ(notes.PadText(), QStringLiteral("Password: s3cret"));
  EXPECT_EQ(notes.findChild<QLineEdit*>(QLatin1String(notes_names::kTitle))->text(),
            QStringLiteral("Wi-Fi"));

  // An entry: its letter group chosen and the entry shown.
  Type(QStringLiteral("mull"));
  OpenResult(0, 0);
  AddressBookWindow& book = app_->AddressBook();
  EXPECT_TRUE(book.isVisible());
  EXPECT_EQ(book.CurrentGroup(), QStringLiteral("M"));
  EXPECT_EQ(book.findChild<QComboBox*>(QLatin1String(address_book_names::kNames))->currentText(),
            QStringLiteral("M\u00fcller, Jos\u00e9"));
  EXPECT_TRUE(messages_.isEmpty()) << messages_.join(QLatin1Char('|')).toStdString();
}

TEST_F(FindWindowTest, AnEventIsListedAsAnAppointmentAndOpensOnItsOccurrence) {
  // Today is Wednesday 07/01/2026.
  Event(QStringLiteral("weekly"),
        QStringLiteral("DTSTART:20251201T180000\r\nDTEND:20251201T190000\r\n"
                       "RRULE:FREQ=WEEKLY\r\nSUMMARY:Dentist weekly\r\n"));
  Event(QStringLiteral("away"),
        QStringLiteral("DTSTART;VALUE=DATE:20260108\r\nDTEND;VALUE=DATE:20260110\r\n"
                       "SUMMARY:Away at the dentist\r\n"));
  Type(QStringLiteral("dentist"));
  EXPECT_EQ(Shown(), (QStringList{QStringLiteral("Appointments (4)"),
                                  QStringLiteral("  08/01/2026 All day | Away at the dentist"),
                                  QStringLiteral("  12/01/2026 14:00 | Dentist Jos\u00e9"),
                                  QStringLiteral("  12/01/2026 18:00 | Dentist weekly \u21bb"),
                                  QStringLiteral("  05/01/2026 10:00 | Dentist check")}));
  QAbstractItemModel* model = List()->model();
  EXPECT_EQ(model->index(2, 0, model->index(0, 0)).data(Qt::AccessibleTextRole).toString(),
            QStringLiteral("Appointment, 12/01/2026 18:00, Dentist weekly, repeats"));
  // Opened: Activities on the occurrence's day, that occurrence chosen.
  OpenResult(0, 2);
  ActivitiesWindow& activities = app_->Activities();
  EXPECT_TRUE(activities.isVisible());
  EXPECT_EQ(activities.Date(), QDate(2026, 1, 12));
  std::optional<events::Occurrence> chosen = activities.ChosenOccurrence();
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(chosen->uid, QStringLiteral("weekly"));
  EXPECT_EQ(chosen->instance, QStringLiteral("20260112T180000"));
  Type(QStringLiteral("away"));
  OpenResult(0, 0);
  EXPECT_EQ(activities.Date(), QDate(2026, 1, 8));
  chosen = activities.ChosenOccurrence();
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(chosen->uid, QStringLiteral("away"));
  // Shown results follow a change to Events.dat; one removed after it was
  // found is said to be gone.
  {
    store::Operation op(files());
    ASSERT_TRUE(events::RemoveEvent(op, QStringLiteral("away")));
    ASSERT_TRUE(op.Commit().stored());
  }
  for (int i = 0; i < 20 || Window().Searching(); ++i) QApplication::processEvents();
  EXPECT_TRUE(Shown().isEmpty());
  Type(QStringLiteral("weekly"));
  {
    store::Operation op(files());
    ASSERT_TRUE(events::RemoveEvent(op, QStringLiteral("weekly")));
    ASSERT_TRUE(op.Commit().stored());
  }
  OpenResult(0, 0);
  EXPECT_EQ(messages_, QStringList{QStringLiteral(
                           "This item is no longer stored. The results have been read again.")});
}

TEST_F(FindWindowTest, AResultOpensTheItemItNamesAfterTheFilesChanged) {
  Type(QStringLiteral("jose dentist"));
  // The first appointment of that day goes: the dentist is now ordinal 1.
  ASSERT_TRUE(DeleteAppointment(files(), QStringLiteral("20260112-1")).stored());
  OpenResult(0, 0);
  auto* subjects =
      app_->Activities().findChild<QComboBox*>(QLatin1String(activities_names::kAppointments));
  EXPECT_EQ(subjects->currentText(), QStringLiteral("Dentist Jos\u00e9"));

  // A note deleted after it was found is said to be gone; the results are
  // read again.
  Type(QStringLiteral("milk"));
  ASSERT_TRUE(DeleteNote(files(), 0).stored());
  OpenResult(0, 0);
  EXPECT_EQ(messages_, QStringList{QStringLiteral(
                           "This item is no longer stored. The results have been read again.")});
  for (int i = 0; i < 100 && Window().Searching(); ++i) QApplication::processEvents();
  EXPECT_TRUE(Shown().isEmpty());
}

TEST_F(FindWindowTest, ShownResultsFollowEveryChangeToTheFiles) {
  Type(QStringLiteral("password"));
  ASSERT_EQ(Shown(), (QStringList{QStringLiteral("Notes (1)"), QStringLiteral("   | Wi-Fi")}));
  QAbstractItemModel* model = List()->model();
  ASSERT_TRUE(SaveNote(files(), QStringLiteral("Bank"), QStringLiteral("Password 1234")).stored());
  for (int i = 0; i < 20 || Window().Searching(); ++i) QApplication::processEvents();
  EXPECT_EQ(Shown(), (QStringList{QStringLiteral("Notes (2)"), QStringLiteral("   | Bank"),
                                  QStringLiteral("   | Wi-Fi")}));
  // The chosen result stays chosen while it is still found.
  List()->setCurrentIndex(model->index(1, 0, model->index(0, 0)));
  ASSERT_TRUE(DeleteAppointment(files(), QStringLiteral("20260112-1")).stored());
  for (int i = 0; i < 20 || Window().Searching(); ++i) QApplication::processEvents();
  EXPECT_EQ(List()->currentIndex().data(Qt::AccessibleTextRole).toString(),
            QStringLiteral("Note, Wi-Fi, Password: s3cret"));
  // A keystroke typed right after a change reads it: the announcement that
  // follows finds the results current and leaves them, and the chosen one,
  // as they are. A change after that is searched for again.
  Box()->clear();
  for (int i = 0; i < 20 || Window().Searching(); ++i) QApplication::processEvents();
  ASSERT_TRUE(SaveNote(files(), QStringLiteral("Safe"), QStringLiteral("password 42")).stored());
  QTest::keyClicks(Box(), QStringLiteral("password"));
  for (int i = 0; i < 1000 && Window().Searching(); ++i) QCoreApplication::sendPostedEvents();
  ASSERT_EQ(Shown(), (QStringList{QStringLiteral("Notes (3)"), QStringLiteral("   | Bank"),
                                  QStringLiteral("   | Safe"), QStringLiteral("   | Wi-Fi")}));
  List()->setCurrentIndex(model->index(2, 0, model->index(0, 0)));
  int resets = 0;
  QObject::connect(model, &QAbstractItemModel::modelReset, [&resets] { ++resets; });
  for (int i = 0; i < 20 || Window().Searching(); ++i) QApplication::processEvents();
  EXPECT_EQ(resets, 0);
  EXPECT_EQ(List()->currentIndex().data(Qt::AccessibleTextRole).toString(),
            QStringLiteral("Note, Wi-Fi, Password: s3cret"));
  ASSERT_TRUE(DeleteNote(files(), 2).stored());  // Bank
  for (int i = 0; i < 20 || Window().Searching(); ++i) QApplication::processEvents();
  EXPECT_EQ(resets, 1);
  EXPECT_EQ(Shown(), (QStringList{QStringLiteral("Notes (2)"), QStringLiteral("   | Safe"),
                                  QStringLiteral("   | Wi-Fi")}));
}

TEST_F(FindWindowTest, TheKeyboardReachesEverything) {
  app_->Main().show();
  Activate(app_->Main());
  QTest::keyClick(&app_->Main(), Qt::Key_F, Qt::ControlModifier);
  ASSERT_TRUE(Window().isVisible());
  Activate(Window());
  EXPECT_EQ(QApplication::focusWidget(), Box());
  QTest::keyClicks(Box(), QStringLiteral("dentist"));
  for (int i = 0; i < 100 && Window().Searching(); ++i) QApplication::processEvents();
  // Down leaves the box for the results, the first one current; arrows
  // move on; Enter opens.
  QTest::keyClick(Box(), Qt::Key_Down);
  EXPECT_EQ(QApplication::focusWidget(), List());
  EXPECT_EQ(List()->currentIndex().row(), 0);
  QTest::keyClick(List(), Qt::Key_Down);
  EXPECT_EQ(List()->currentIndex().row(), 1);
  QTest::keyClick(List(), Qt::Key_Return);
  EXPECT_EQ(app_->Activities().Date(), QDate(2026, 1, 5));
  // Enter in the box opens the current result, the first of a new search.
  app_->OpenFind();
  Activate(Window());
  QTest::keyClicks(Box(), QStringLiteral("dentist"));
  for (int i = 0; i < 100 && Window().Searching(); ++i) QApplication::processEvents();
  QTest::keyClick(Box(), Qt::Key_Return);
  EXPECT_EQ(app_->Activities().Date(), QDate(2026, 1, 12));
  // Esc closes the window.
  app_->OpenFind();
  Activate(Window());
  QTest::keyClick(Box(), Qt::Key_Escape);
  EXPECT_FALSE(Window().isVisible());
  // Ctrl+F from a tool window, and the main window's menu item.
  Activate(app_->Notes());
  QTest::keyClick(&app_->Notes(), Qt::Key_F, Qt::ControlModifier);
  EXPECT_TRUE(Window().isVisible());
  // Again from Find itself: back to the box, its words selected.
  Activate(Window());
  List()->setFocus();
  QTest::keyClick(&Window(), Qt::Key_F, Qt::ControlModifier);
  EXPECT_EQ(QApplication::focusWidget(), Box());
  EXPECT_EQ(Box()->selectedText(), QStringLiteral("dentist"));
  Window().close();
  app_->Main().FileMenu().findChild<QAction*>(QLatin1String(main_window_names::kFind))->trigger();
  EXPECT_TRUE(Window().isVisible());
}

TEST_F(FindWindowTest, BoxAndResultsHaveNamesAndRoles) {
  Type(QStringLiteral("dentist"));
  QAccessibleInterface* box = QAccessible::queryAccessibleInterface(Box());
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->role(), QAccessible::EditableText);
  EXPECT_EQ(box->text(QAccessible::Name), QStringLiteral("Find"));
  EXPECT_EQ(box->text(QAccessible::Value), QStringLiteral("dentist"));
  QAccessibleInterface* list = QAccessible::queryAccessibleInterface(List());
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->role(), QAccessible::Tree);
  EXPECT_EQ(list->text(QAccessible::Name), QStringLiteral("Results"));
  QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&Window());
  EXPECT_EQ(window->role(), QAccessible::Window);
  EXPECT_EQ(window->text(QAccessible::Name), QStringLiteral("Find"));
  QAccessibleInterface* status = QAccessible::queryAccessibleInterface(
      Window().findChild<QLabel*>(QLatin1String(find_names::kStatus)));
  EXPECT_EQ(status->text(QAccessible::Name), QStringLiteral("Found"));
}

TEST(FindGroups, TheLetterGroupOfAKeyIsTheOneTheAddressBookListsItUnder) {
  const QStringList& groups = search::LetterGroups();
  ASSERT_EQ(groups.size(), AddressBookWindow::kGroupCount);
  for (int i = 0; i < AddressBookWindow::kGroupCount; ++i) {
    EXPECT_EQ(groups[i], AddressBookWindow::GroupText(i));
    for (const QChar c : AddressBookWindow::GroupInitials(AddressBookWindow::GroupText(i))) {
      EXPECT_EQ(search::LetterGroupOf(QString(c) + QStringLiteral("x, y")), groups[i])
          << int(c.unicode());
    }
  }
  EXPECT_EQ(search::LetterGroupOf(QStringLiteral("adams, ann")), QString());
  EXPECT_EQ(search::LetterGroupOf(QStringLiteral("\u00d6zil, M")), QString());
}

// ------------------------------------------------------------ the command line

class SearchCommandTest : public FindWindowTest {
 protected:
  int Run(const QStringList& words, QString* out, QString* err, QString folder = QString()) {
    if (folder.isNull()) folder = dir_.path();
    app_.reset();  // the command holds the folder itself
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    program.setProcessEnvironment(env);
    program.start(
        QStringLiteral(QUORVEL_BINARY),
        QStringList{QStringLiteral("--data-folder"), folder, QStringLiteral("--search")} + words);
    EXPECT_TRUE(program.waitForFinished(20000));
    *out = QString::fromUtf8(program.readAllStandardOutput());
    *err = QString::fromUtf8(program.readAllStandardError());
    return program.exitCode();
  }
};

TEST_F(SearchCommandTest, PrintsTheResultsAsLinesAndSaysWhetherAnythingWasFound) {
  QString out, err;
  // Events in the past whatever the day: an all-day one, an ended series.
  Event(QStringLiteral("party"),
        QStringLiteral("DTSTART;VALUE=DATE:20200301\r\nSUMMARY:Jos\u00e9's party\r\n"
                       "DESCRIPTION:Bring a cake\r\n"));
  Event(QStringLiteral("course"),
        QStringLiteral("DTSTART:20200102T100000\r\nRRULE:FREQ=WEEKLY;COUNT=2\r\n"
                       "SUMMARY:Course\r\nLOCATION:Jose's\r\n"));
  // The words as one argument or several; the order is the window's.
  EXPECT_EQ(Run({QStringLiteral("JOSE")}, &out, &err), 0) << err.toStdString();
  const QString jose = QStringLiteral(
      "appointment\t12/01/2026 14:00\tDentist Jos\u00e9\t\n"
      "appointment\t01/03/2020 all day\tJos\u00e9's party\tBring a cake\n"
      "appointment\t09/01/2020 10:00 repeats\tCourse\tJose's\n"
      "entry\tM\tM\u00fcller, Jos\u00e9\t\n");
  // The appointment's date is relative to the real today here; both lines
  // are there in the window's kind order.
  EXPECT_EQ(out.toStdString(), jose.toStdString());
  EXPECT_EQ(Run({QStringLiteral("wi-fi"), QStringLiteral("s3cret")}, &out, &err), 0);
  EXPECT_EQ(out, QStringLiteral("note\t\tWi-Fi\tPassword: s3cret\n"));
  EXPECT_EQ(Run({QStringLiteral("nowhere")}, &out, &err), 1);
  EXPECT_EQ(out, QString());
  EXPECT_EQ(err, QString());
  // No words at all is a usage error.
  EXPECT_EQ(Run({QStringLiteral(" ")}, &out, &err), 2);
  EXPECT_TRUE(err.contains(QStringLiteral("--search needs the words to find.")))
      << err.toStdString();
  // A folder that cannot be used is an error, never "nothing found": one
  // another Quorvel holds, one that is not there.
  QProcess holder;
  holder.start(QStringLiteral(QUORVEL_STORE_CHILD), {QStringLiteral("hold"), dir_.path()});
  ASSERT_TRUE(holder.waitForStarted());
  ASSERT_TRUE(holder.waitForReadyRead(10000));
  EXPECT_EQ(Run({QStringLiteral("jose")}, &out, &err), 2);
  holder.kill();
  holder.waitForFinished();
  EXPECT_EQ(out, QString());
  EXPECT_EQ(err.trimmed(), store::FolderInUseMessage(dir_.path()));
  EXPECT_EQ(Run({QStringLiteral("jose")}, &out, &err, dir_.filePath(QStringLiteral("gone"))), 2);
  EXPECT_EQ(out, QString());
  EXPECT_FALSE(err.isEmpty());
}

}  // namespace
}  // namespace quorvel::testing
