// The help pages quote the program's captions and messages: each quoted
// text must be one that a window of the program really shows.
#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSet>
#include <QTableWidget>
#include <QTextBrowser>
#include <QTranslator>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include "addressbook/address_book_window.h"
#include "addressbook/address_editor_window.h"
#include "app/main_window.h"
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

// Every text a window shows: its caption, and the captions, labels, frame
// titles, tool tips, preset box texts, table headings and cells, and menu
// items of its controls.
void CollectTexts(const QWidget& window, QSet<QString>& texts) {
  texts.insert(window.windowTitle());
  for (const QWidget* child : window.findChildren<QWidget*>()) {
    texts.insert(child->toolTip());
    if (auto* button = qobject_cast<const QAbstractButton*>(child)) texts.insert(button->text());
    if (auto* label = qobject_cast<const QLabel*>(child)) texts.insert(label->text());
    if (auto* frame = qobject_cast<const QGroupBox*>(child)) texts.insert(frame->title());
    if (auto* box = qobject_cast<const QLineEdit*>(child)) texts.insert(box->text());
    if (auto* pad = qobject_cast<const QPlainTextEdit*>(child)) texts.insert(pad->toPlainText());
    if (auto* table = qobject_cast<const QTableWidget*>(child)) {
      for (int c = 0; c < table->columnCount(); ++c) {
        if (table->horizontalHeaderItem(c)) texts.insert(table->horizontalHeaderItem(c)->text());
        for (int r = 0; r < table->rowCount(); ++r) {
          if (table->item(r, c)) texts.insert(table->item(r, c)->text());
        }
      }
    }
    if (auto* menu = qobject_cast<const QMenu*>(child)) {
      for (const QAction* action : menu->actions()) texts.insert(action->text());
    }
  }
}

class HelpPagesTest : public AppFixture {
 protected:
  // Every text between `open` and `close` quotes on the help pages is a
  // caption the windows show (or one of `examples`).
  void CheckQuotedCaptions(const QString& open, const QString& close,
                           std::initializer_list<const char*> examples);
};

TEST_F(HelpPagesTest, QuotedCaptionsAreTheProgramsOwn) {
  CheckQuotedCaptions(QStringLiteral("\""), QStringLiteral("\""), {"note", "Surname, Name"});
}

// The German pages quote the German captions, in German quotation marks.
TEST_F(HelpPagesTest, GermanPagesQuoteTheGermanCaptions) {
  // German for this test only, also when an assertion ends it early.
  struct German {
    German() {
      QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
      if (translator.load(QStringLiteral(":/i18n/quorvel_de.qm"))) {
        QCoreApplication::installTranslator(&translator);
      }
    }
    ~German() {
      QCoreApplication::removeTranslator(&translator);
      QLocale::setDefault(original);
    }
    const QLocale original;
    QTranslator translator;
  } german;
  ASSERT_FALSE(german.translator.isEmpty());
  ASSERT_TRUE(app_->HelpPage().HelpFile(1)->toPlainText().startsWith(
      QStringLiteral("Quorvel – Erste Schritte")));
  CheckQuotedCaptions(QStringLiteral("„"), QStringLiteral("“"),
                      {"Notiz", "notiz", "Nachname, Vorname"});
}

void HelpPagesTest::CheckQuotedCaptions(const QString& open, const QString& close,
                                        std::initializer_list<const char*> examples) {
  // One appointment and one entry, so that the filled states show too.
  Appointment a;
  a.id = NextAppointmentId(files(), now_.date());
  a.subject = QStringLiteral("Dentist");
  a.start = QStringLiteral("09:00");
  a.end = QStringLiteral("09:30");
  a.minutes = QStringLiteral("15");
  ASSERT_TRUE(AddAppointment(files(), a).stored());
  AddressEntry entry;
  entry.name = QStringLiteral("Anne");
  entry.surname = QStringLiteral("Sutton");
  ASSERT_TRUE(AddAddressEntry(files(), entry).stored());

  QSet<QString> texts;
  CollectTexts(app_->Main(), texts);
  CollectTexts(app_->MonthCalendar(), texts);
  ActivitiesWindow& activities = app_->Activities();
  activities.SetDate(now_.date());
  activities.FillActivities();
  CollectTexts(activities, texts);
  AppointmentEditorWindow& editor = app_->AppointmentEditor();
  editor.OpenForAdd(a.id);
  CollectTexts(editor, texts);
  editor.OpenForEdit(a);
  CollectTexts(editor, texts);
  DayScheduleWindow& schedule = app_->DaySchedule();
  schedule.SetDate(now_.date());
  schedule.FillDaySchedule();
  CollectTexts(schedule, texts);
  CollectTexts(app_->Reminder(), texts);
  CollectTexts(app_->Notes(), texts);
  AddressBookWindow& book = app_->AddressBook();
  CollectTexts(book, texts);
  book.findChild<QAbstractButton*>(QLatin1String(address_book_names::kViewToggle))->click();
  CollectTexts(book, texts);
  AddressEditorWindow& entry_editor = app_->AddressEditor();
  entry_editor.PrepareAdd(now_.date());
  CollectTexts(entry_editor, texts);
  entry_editor.PrepareEdit(entry.Key(), entry);
  CollectTexts(entry_editor, texts);
  texts.insert(DuplicateEntryMessage());
  // The topic titles that pages refer each other to, as the tree gives them.
  HelpTopicsWindow& topics = app_->HelpTopics();
  for (QTreeWidgetItemIterator it(topics.findChild<QTreeWidget*>()); *it != nullptr; ++it) {
    texts.insert((*it)->text(0));
  }
  // Texts that stand for what the user types or sees listed.
  for (const char* example : examples) texts.insert(QString::fromUtf8(example));

  const QRegularExpression quoted(QRegularExpression::escape(open) + QStringLiteral("([^") + close +
                                  QStringLiteral("]+)") + QRegularExpression::escape(close));
  HelpPageWindow& viewer = app_->HelpPage();
  int checked = 0;
  for (int n : {1, 11, 12, 13, 14, 15, 21, 22, 23, 24, 31, 32, 33, 34}) {
    const QString text = viewer.HelpFile(n)->toPlainText();
    for (const QRegularExpressionMatch& match : quoted.globalMatch(text)) {
      const QString caption = match.captured(1);
      // A caption that ends in a space is the start of a longer one.
      const bool found = caption.endsWith(QLatin1Char(' '))
                             ? std::any_of(texts.begin(), texts.end(),
                                           [&](const QString& t) { return t.startsWith(caption); })
                             : texts.contains(caption);
      EXPECT_TRUE(found) << "page " << n << ": \"" << caption.toStdString() << "\"";
      ++checked;
    }
  }
  EXPECT_GT(checked, 60);
}

}  // namespace
}  // namespace quorvel::testing
