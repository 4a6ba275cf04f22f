// What the user sees and hears: chosen rows, first lists, fitting columns,
// readable colours in light and dark palettes, Tab out of grids, window
// placement, and what assistive technology is told.
#include <tuple>

#include <QAccessible>
#include <QAccessibleTextInterface>
#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTreeWidget>

#include "addressbook/address_book_window.h"
#include "app/main_window.h"
#include "calendar/activities_window.h"
#include "calendar/appointment_editor_window.h"
#include "calendar/day_schedule_window.h"
#include "calendar/month_calendar_window.h"
#include "calendar/reminder_window.h"
#include "calendar/reminders.h"
#include "help/help_page_window.h"
#include "help/help_topics_window.h"
#include "items/address_file.h"
#include "items/appointment_file.h"
#include "items/note_file.h"
#include "notes/notes_window.h"
#include "test_support.h"
#include "ui/contrast.h"
#include "ui/ui.h"

namespace quorvel::testing {
namespace {

using store::Channel;

class AppearanceTest : public AppFixture {};

TEST_F(AppearanceTest, DeleteRemovesTheNoteTheUserSeesChosen) {
  NotesWindow& notes = app_->Notes();
  notes.show();
  auto* list = Find<QTableView>(notes, notes_names::kList);
  auto* title = Find<QLineEdit>(notes, notes_names::kTitle);
  notes.SetPadText(QStringLiteral("milk"));
  title->setText(QStringLiteral("Shopping"));
  notes.SaveNote();
  // View "Shopping", clear the pad, save it as "Trip".
  list->setCurrentIndex(list->model()->index(0, 1));
  notes.ViewNote();
  QTest::mouseClick(Find<QPushButton>(notes, notes_names::kClearPad), Qt::LeftButton);
  notes.SetPadText(QStringLiteral("tickets"));
  title->setText(QStringLiteral("Trip"));
  QTest::mouseClick(Find<QPushButton>(notes, notes_names::kSaveNote), Qt::LeftButton);
  // The list shows "Trip" chosen, as the pad does; Delete removes it.
  EXPECT_EQ(notes.CurrentNote(), 1);
  EXPECT_TRUE(list->selectionModel()->isRowSelected(1, QModelIndex()));
  EXPECT_FALSE(list->selectionModel()->isRowSelected(0, QModelIndex()));
  QTest::mouseClick(Find<QPushButton>(notes, notes_names::kDeleteNote), Qt::LeftButton);
  EXPECT_EQ(LoadNotesList(files()), QStringList{QStringLiteral("Shopping")});

  // Saving over an existing title chooses that note's row.
  title->setText(QStringLiteral("Shopping"));
  notes.SetPadText(QStringLiteral("bread"));
  QTest::mouseClick(Find<QPushButton>(notes, notes_names::kSaveNote), Qt::LeftButton);
  EXPECT_EQ(notes.CurrentNote(), 0);
}

TEST_F(AppearanceTest, TheDescriptionColumnTakesTheRemainingWidth) {
  for (int i = 1; i <= 20; ++i) {
    ASSERT_TRUE(SaveNote(files(), QStringLiteral("Note %1").arg(i), QStringLiteral("x")).stored());
  }
  NotesWindow& notes = app_->Notes();
  notes.show();
  auto* list = Find<QTableView>(notes, notes_names::kList);
  QApplication::processEvents();
  EXPECT_TRUE(list->verticalScrollBar()->isVisible());
  EXPECT_FALSE(list->horizontalScrollBar()->isVisible());
  EXPECT_EQ(list->columnWidth(0), Px(500));
  EXPECT_EQ(list->columnWidth(0) + list->columnWidth(1), list->viewport()->width());
}

TEST_F(AppearanceTest, TheAddressBookOpensOnAWithItsEntriesListed) {
  AddressEntry adams;
  adams.surname = QStringLiteral("Adams");
  adams.name = QStringLiteral("Ann");
  ASSERT_TRUE(AddAddressEntry(files(), adams).stored());
  AddressBookWindow& book = app_->AddressBook();
  book.show();
  auto* names = Find<QComboBox>(book, address_book_names::kNames);
  ASSERT_EQ(names->count(), 1);
  EXPECT_EQ(names->currentText(), QStringLiteral("Adams, Ann"));
  EXPECT_EQ(
      Find<QPushButton>(book, address_book_names::kGroups[0])->palette().color(QPalette::Button),
      QColor(255, 255, 0));
  // A first click on "A" keeps it so.
  QTest::mouseClick(Find<QPushButton>(book, address_book_names::kGroups[0]), Qt::LeftButton);
  EXPECT_EQ(names->currentText(), QStringLiteral("Adams, Ann"));
}

// Text colour against its background, for every text in the windows that
// draw in fixed colours or on fixed colours, in a light and a dark palette.
TEST_F(AppearanceTest, EveryTextIsReadableInLightAndDarkPalettes) {
  ASSERT_TRUE(
      AddAppointment(files(), Appointment{QStringLiteral("20260107-1"), QStringLiteral("Dentist"),
                                          QStringLiteral("09:00"), QStringLiteral("10:00"), true,
                                          QStringLiteral("15"), QString()})
          .stored());
  const QPalette original = QApplication::palette();
  for (const QPalette& palette : {original, DarkPalette()}) {
    QApplication::setPalette(palette);
    app_ = std::make_unique<Application>();
    app_->SetProcessEnd([this] { ended_ = true; });
    app_->OpenDataIn(dir_.path());
    const bool dark = palette.color(QPalette::Window).lightness() < 128;
    SCOPED_TRACE(dark ? "dark palette" : "light palette");

    // Every visible label and button of the tool windows.
    MonthCalendarWindow& calendar = app_->MonthCalendar();
    calendar.OpenActivitiesFor(QDate(2026, 1, 7));
    Find<QPushButton>(app_->Activities(), activities_names::kViewSchedule)->click();
    app_->Reminder().ShowReminder(ReminderRow{0, QStringLiteral("09:00"), QStringLiteral("10:00"),
                                              QStringLiteral("Dentist"), QStringLiteral("15")});
    app_->AddressBook().show();
    app_->Notes().show();
    for (QWidget* window :
         {static_cast<QWidget*>(&calendar), static_cast<QWidget*>(&app_->Activities()),
          static_cast<QWidget*>(&app_->DaySchedule()), static_cast<QWidget*>(&app_->Reminder()),
          static_cast<QWidget*>(&app_->AddressBook()), static_cast<QWidget*>(&app_->Notes())}) {
      for (QLabel* label : window->findChildren<QLabel*>()) {
        if (!label->isVisibleTo(window) || label->text().isEmpty()) continue;
        QWidget* ground = label;
        while (!ground->autoFillBackground() && !ground->isWindow())
          ground = ground->parentWidget();
        const QColor ink = label->palette().color(label->foregroundRole());
        const QColor paper = ground->palette().color(ground->backgroundRole());
        EXPECT_GE(ContrastRatio(ink, paper), kLeastTextContrast)
            << label->objectName().toStdString() << " in " << window->objectName().toStdString();
      }
      for (QPushButton* button : window->findChildren<QPushButton*>()) {
        // Disabled controls are exempt, as the guidelines have it.
        if (!button->isVisibleTo(window) || button->text().isEmpty() || !button->isEnabled()) {
          continue;
        }
        EXPECT_GE(ContrastRatio(button->palette().color(QPalette::ButtonText),
                                button->palette().color(QPalette::Button)),
                  kLeastTextContrast)
            << button->objectName().toStdString() << " in " << window->objectName().toStdString();
      }
    }

    // The weekend's day names over the month grid.
    auto* month = calendar.findChild<QCalendarWidget*>();
    ASSERT_NE(month, nullptr);
    for (Qt::DayOfWeek day : {Qt::Saturday, Qt::Sunday}) {
      EXPECT_GE(ContrastRatio(month->weekdayTextFormat(day).foreground().color(),
                              month->palette().color(QPalette::AlternateBase)),
                kLeastTextContrast)
          << "day name " << day;
    }

    // The day schedule's total caption on its fixed pale cyan.
    auto* grid = Find<QTableWidget>(app_->DaySchedule(), day_schedule_names::kGrid);
    QTableWidgetItem* total = grid->item(grid->rowCount() - 1, 0);
    ASSERT_NE(total, nullptr);
    EXPECT_EQ(total->text(), QStringLiteral("Total Occupation"));
    EXPECT_GE(ContrastRatio(total->foreground().color(), total->background().color()),
              kLeastTextContrast);

    // Help pages: every coloured run of text on the page's colour.
    HelpPageWindow& help = app_->HelpPage();
    for (QTextBrowser* page : help.findChildren<QTextBrowser*>()) {
      const QColor paper = page->palette().color(QPalette::Base);
      for (QTextBlock block = page->document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
          const QTextCharFormat format = it.fragment().charFormat();
          const QColor ink = format.foreground().style() == Qt::NoBrush
                                 ? page->palette().color(QPalette::Text)
                                 : format.foreground().color();
          EXPECT_GE(ContrastRatio(ink, paper), kLeastTextContrast)
              << page->objectName().toStdString() << ": " << it.fragment().text().toStdString();
        }
      }
    }
  }
  QApplication::setPalette(original);
}

TEST_F(AppearanceTest, TabLeavesTheMonthGridAndTheScheduleGrid) {
  MonthCalendarWindow& calendar = app_->MonthCalendar();
  calendar.show();
  QApplication::setActiveWindow(&calendar);
  auto* days = Find<QTableView>(calendar, "qt_calendar_calendarview");
  days->setFocus(Qt::TabFocusReason);
  QTest::keyClick(days, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), Find(calendar, month_calendar_names::kPreviousMonth));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), Find(calendar, month_calendar_names::kNextMonth));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), Find(calendar, month_calendar_names::kClose));

  calendar.OpenActivitiesFor(QDate(2026, 1, 7));
  Find<QPushButton>(app_->Activities(), activities_names::kViewSchedule)->click();
  DayScheduleWindow& schedule = app_->DaySchedule();
  QApplication::setActiveWindow(&schedule);
  auto* grid = Find<QTableWidget>(schedule, day_schedule_names::kGrid);
  grid->setFocus(Qt::TabFocusReason);
  QTest::keyClick(grid, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), Find(schedule, day_schedule_names::kDate));
  EXPECT_EQ(schedule.windowTitle(), QStringLiteral("Day Schedule for - 07/01/2026"));
}

TEST_F(AppearanceTest, TheFullyExpandedHelpTreeFitsItsBox) {
  HelpTopicsWindow& topics = app_->HelpTopics();
  topics.show();
  auto* tree = Find<QTreeWidget>(topics, help_topics_names::kTree);
  tree->expandAll();
  QApplication::processEvents();
  int rows = 0;
  for (QTreeWidgetItemIterator it(tree); *it != nullptr; ++it) ++rows;
  ASSERT_EQ(rows, 18);
  EXPECT_EQ(tree->verticalScrollBar()->maximum(), 0);
}

TEST_F(AppearanceTest, ToolWindowsOpenOverTheMainWindow) {
  MainWindow& main = app_->Main();
  main.move(400, 300);
  main.show();
  QApplication::setActiveWindow(&main);
  NotesWindow& notes = app_->Notes();
  OpenToolWindow(notes);
  EXPECT_LE((notes.geometry().center() - main.geometry().center()).manhattanLength(), 24)
      << notes.geometry().center().x() << "," << notes.geometry().center().y() << " over "
      << main.geometry().center().x() << "," << main.geometry().center().y();
}

TEST_F(AppearanceTest, AssistiveTechnologyHearsRolesNamesAndValues) {
  MainWindow& main = app_->Main();
  main.show();
  QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&main);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->role(), QAccessible::Window);
  EXPECT_EQ(QAccessible::queryAccessibleInterface(&app_->Notes())->role(), QAccessible::Window);
  EXPECT_EQ(QAccessible::queryAccessibleInterface(&app_->AppointmentEditor())->role(),
            QAccessible::Dialog);

  // The six hot spots are buttons that can be pressed.
  for (const char* name : {main_window_names::kCalendarPicture, main_window_names::kCalendarIcon,
                           main_window_names::kTodayIndicator, main_window_names::kTelephone,
                           main_window_names::kContactsCard, main_window_names::kClipboard}) {
    QAccessibleInterface* spot = QAccessible::queryAccessibleInterface(Find(main, name));
    ASSERT_NE(spot, nullptr) << name;
    EXPECT_STREQ(Find(main, name)->metaObject()->className(), "quorvel::Picture");
    EXPECT_NE(Find(main, name)->focusPolicy(), Qt::NoFocus) << name;
    EXPECT_EQ(spot->role(), QAccessible::Button) << name;
    ASSERT_NE(spot->actionInterface(), nullptr) << name;
    EXPECT_TRUE(
        spot->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()))
        << name;
  }
  QAccessible::queryAccessibleInterface(Find(main, main_window_names::kClipboard))
      ->actionInterface()
      ->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_TRUE(app_->Notes().isVisible());

  // A time list keeps its name once it shows a time.
  AppointmentEditorWindow& editor = app_->AppointmentEditor();
  auto* start = Find<QComboBox>(editor, appointment_editor_names::kStart);
  start->setCurrentIndex(start->findText(QStringLiteral("09:00")));
  QAccessibleInterface* start_access = QAccessible::queryAccessibleInterface(start);
  EXPECT_EQ(start_access->role(), QAccessible::ComboBox);
  EXPECT_EQ(start_access->text(QAccessible::Name), QStringLiteral("Start Time"));
  EXPECT_EQ(start_access->text(QAccessible::Value), QStringLiteral("09:00"));

  // So do the day's subject list and the address book's name list once
  // they show an item.
  ASSERT_TRUE(
      AddAppointment(files(), Appointment{QStringLiteral("20260107-1"), QStringLiteral("Dentist"),
                                          QStringLiteral("09:00"), QStringLiteral("10:00"), false,
                                          QStringLiteral("15"), QString()})
          .stored());
  app_->MonthCalendar().OpenActivitiesFor(QDate(2026, 1, 7));
  QAccessibleInterface* subjects = QAccessible::queryAccessibleInterface(
      Find<QComboBox>(app_->Activities(), activities_names::kAppointments));
  EXPECT_EQ(subjects->text(QAccessible::Name), QStringLiteral("Appointments"));
  EXPECT_EQ(subjects->text(QAccessible::Value), QStringLiteral("Dentist"));

  // The reminder's values are read with their captions as names.
  ReminderWindow& reminder = app_->Reminder();
  reminder.ShowReminder(ReminderRow{0, QStringLiteral("09:00"), QStringLiteral("10:00"),
                                    QStringLiteral("Dentist"), QStringLiteral("15")});
  const std::pair<const char*, const char*> values[] = {
      {reminder_names::kSubject, "Subject"},
      {reminder_names::kStart, "Start Time"},
      {reminder_names::kEnd, "End Time"},
      {reminder_names::kLead, "Minutes before the meeting"}};
  const QStringList expected = {QStringLiteral("Dentist"), QStringLiteral("09:00"),
                                QStringLiteral("10:00"), QStringLiteral("15")};
  for (int i = 0; i < 4; ++i) {
    QAccessibleInterface* value =
        QAccessible::queryAccessibleInterface(Find(reminder, values[i].first));
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->text(QAccessible::Name), QLatin1String(values[i].second));
    ASSERT_NE(value->textInterface(), nullptr);
    EXPECT_EQ(value->textInterface()->text(0, value->textInterface()->characterCount()),
              expected[i]);
  }
}

// What a screen reader finds in a drop-down list: the list's own name, the
// shown entry as the value, and the items as the children of its list, read
// and chosen there, for each list of the windows.
struct DropDown {
  const char* what;
  QComboBox* combo;
  QString name;
  QStringList items;
};

QStringList ChildTexts(QAccessibleInterface* list) {
  QStringList texts;
  for (int i = 0; i < list->childCount(); ++i)
    texts.append(list->child(i)->text(QAccessible::Name));
  return texts;
}

// The row of the list's child announced as selected; -1 for none, -2 for several.
int SelectedChild(QAccessibleInterface* list) {
  int selected = -1;
  for (int i = 0; i < list->childCount(); ++i) {
    if (!list->child(i)->state().selected) continue;
    selected = selected == -1 ? i : -2;
  }
  return selected;
}

TEST_F(AppearanceTest, DropDownListsShowTheirEntryAndItemsToAssistiveTechnology) {
  for (const char* surname : {"Adams", "Baker", "Avery"}) {
    AddressEntry entry;
    entry.surname = QLatin1String(surname);
    entry.name = QStringLiteral("Ann");
    entry.address = QStringLiteral("%1 Street 1").arg(QLatin1String(surname));
    entry.birthday_date = QStringLiteral("07/01/1990");
    entry.birthday_flag = QStringLiteral("1");
    ASSERT_TRUE(AddAddressEntry(files(), entry).stored());
  }
  for (const auto& [id, subject, start] : {std::tuple{"20260107-1", "Dentist", "09:00"},
                                           std::tuple{"20260107-2", "Review", "14:00"}}) {
    ASSERT_TRUE(AddAppointment(files(), Appointment{QLatin1String(id), QLatin1String(subject),
                                                    QLatin1String(start), QStringLiteral("15:00"),
                                                    false, QStringLiteral("15"), QString()})
                    .stored());
  }
  AddressBookWindow& book = app_->AddressBook();
  book.show();
  app_->MonthCalendar().OpenActivitiesFor(QDate(2026, 1, 7));
  ActivitiesWindow& activities = app_->Activities();
  AppointmentEditorWindow& editor = app_->AppointmentEditor();
  editor.show();

  const std::vector<DropDown> lists = {
      {"address book",
       Find<QComboBox>(book, address_book_names::kNames),
       QStringLiteral("Name"),
       {QStringLiteral("Adams, Ann"), QStringLiteral("Avery, Ann")}},
      {"appointments",
       Find<QComboBox>(activities, activities_names::kAppointments),
       QStringLiteral("Appointments"),
       {QStringLiteral("Dentist"), QStringLiteral("Review")}},
      {"memos", Find<QComboBox>(activities, activities_names::kMemos), QStringLiteral("Memos"), {}},
      {"start time", Find<QComboBox>(editor, appointment_editor_names::kStart),
       QStringLiteral("Start Time"), AppointmentEditorWindow::StartTimes()},
      {"end time", Find<QComboBox>(editor, appointment_editor_names::kEnd),
       QStringLiteral("End Time"), AppointmentEditorWindow::EndTimes()},
  };
  for (const DropDown& list : lists) {
    SCOPED_TRACE(list.what);
    QComboBox* combo = list.combo;
    ASSERT_NE(combo, nullptr);
    QAccessibleInterface* access = QAccessible::queryAccessibleInterface(combo);
    ASSERT_NE(access, nullptr);
    EXPECT_EQ(access->role(), QAccessible::ComboBox);
    ASSERT_GE(combo->count(), 2);
    if (!list.items.isEmpty()) {
      QStringList shown;
      for (int i = 0; i < combo->count(); ++i) shown.append(combo->itemText(i));
      EXPECT_EQ(shown, list.items);
    }

    // The list is the first child; its children are the items, the shown one
    // announced as selected.
    EXPECT_EQ(access->childCount(), combo->isEditable() ? 2 : 1);
    QAccessibleInterface* items = access->child(0);
    ASSERT_NE(items, nullptr);
    EXPECT_EQ(items->role(), QAccessible::List);
    EXPECT_EQ(access->indexOfChild(items), 0);
    ASSERT_NE(items->parent(), nullptr);
    EXPECT_EQ(items->parent()->object(), combo);
    ASSERT_EQ(items->childCount(), combo->count());
    QStringList expected;
    for (int i = 0; i < combo->count(); ++i) expected.append(combo->itemText(i));
    EXPECT_EQ(ChildTexts(items), expected);
    combo->setCurrentIndex(1);
    EXPECT_EQ(access->text(QAccessible::Name), list.name);
    EXPECT_EQ(access->text(QAccessible::Value), combo->itemText(1));
    EXPECT_EQ(SelectedChild(items), 1);
    if (combo->isEditable()) {
      ASSERT_NE(access->child(1), nullptr);
      EXPECT_EQ(access->child(1)->object(), combo->lineEdit());
    }

    // Choosing an item through its toggle action, as a click would: the
    // entry is shown and reported as chosen, and the name stays.
    int activated = -1;
    const QMetaObject::Connection watch =
        QObject::connect(combo, &QComboBox::activated, [&activated](int row) { activated = row; });
    QAccessibleInterface* first = items->child(0);
    ASSERT_NE(first->actionInterface(), nullptr);
    first->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    QApplication::processEvents();
    EXPECT_EQ(combo->currentIndex(), 0);
    EXPECT_EQ(activated, 0);
    EXPECT_EQ(access->text(QAccessible::Value), combo->itemText(0));
    EXPECT_EQ(access->text(QAccessible::Name), list.name);
    EXPECT_EQ(SelectedChild(items), 0);

    // Through the list's row selection, as the accessibility bus chooses,
    // and from the opened list, which then closes.
    ASSERT_NE(access->actionInterface(), nullptr);
    access->actionInterface()->doAction(QAccessibleActionInterface::showMenuAction());
    EXPECT_TRUE(combo->view()->isVisible());
    ASSERT_NE(items->tableInterface(), nullptr);
    EXPECT_TRUE(items->tableInterface()->selectRow(1));
    QApplication::processEvents();
    EXPECT_EQ(combo->currentIndex(), 1);
    EXPECT_EQ(activated, 1);
    EXPECT_FALSE(combo->view()->isVisible());
    EXPECT_EQ(access->text(QAccessible::Value), combo->itemText(1));
    QObject::disconnect(watch);
  }

  // The windows follow a choice made so.
  QAccessibleInterface* names =
      QAccessible::queryAccessibleInterface(Find<QComboBox>(book, address_book_names::kNames))
          ->child(0);
  names->child(1)->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
  QApplication::processEvents();
  EXPECT_EQ(Find<QPlainTextEdit>(book, address_book_names::kAddress)->toPlainText(),
            QStringLiteral("Avery Street 1"));
  QAccessibleInterface* subjects = QAccessible::queryAccessibleInterface(
                                       Find<QComboBox>(activities, activities_names::kAppointments))
                                       ->child(0);
  subjects->child(0)->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
  QApplication::processEvents();
  EXPECT_EQ(Find<QLineEdit>(activities, activities_names::kId)->text(),
            QStringLiteral("20260107-1"));
  // Picking a start time proposes an end half an hour later, as a click does.
  auto* start = Find<QComboBox>(editor, appointment_editor_names::kStart);
  auto* end = Find<QComboBox>(editor, appointment_editor_names::kEnd);
  QAccessible::queryAccessibleInterface(start)
      ->child(0)
      ->child(start->findText(QStringLiteral("10:00")))
      ->actionInterface()
      ->doAction(QAccessibleActionInterface::toggleAction());
  QApplication::processEvents();
  EXPECT_EQ(start->currentText(), QStringLiteral("10:00"));
  EXPECT_EQ(end->currentText(), QStringLiteral("10:30"));

  // Moving through the open list with the keys only highlights; Esc leaves
  // the shown entry as it was.
  QComboBox* combo = Find<QComboBox>(activities, activities_names::kAppointments);
  combo->setCurrentIndex(0);
  combo->showPopup();
  QTest::keyClick(combo->view(), Qt::Key_Down);
  QApplication::processEvents();
  EXPECT_TRUE(combo->view()->isVisible());
  EXPECT_EQ(combo->currentIndex(), 0);
  combo->hidePopup();
}

}  // namespace
}  // namespace quorvel::testing
