// "Import…" and "Export…" in the main window's menu.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTimer>

#include "addressbook/address_book_window.h"
#include "app/interchange_actions.h"
#include "app/main_window.h"
#include "calendar/month_calendar_window.h"
#include "items/appointment_file.h"
#include "test_support.h"

namespace quorvel::testing {
namespace {

class InterchangeMenuTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    SetFileChooser([this](const FileDialogRequest& request, QString* filter) {
      requests_.push_back(request);
      if (!answer_filter_.isEmpty()) *filter = answer_filter_;
      return answer_;
    });
  }
  void TearDown() override {
    SetFileChooser({});
    AppFixture::TearDown();
  }
  void Trigger(const char* name) {
    QAction* action = app_->Main().FileMenu().findChild<QAction*>(QLatin1String(name));
    ASSERT_NE(action, nullptr) << name;
    action->trigger();
  }

  std::vector<FileDialogRequest> requests_;
  QStringList answer_;
  QString answer_filter_;
};

TEST_F(InterchangeMenuTest, ExportWritesTheChosenKindAndImportRefreshesTheWindows) {
  Appointment a;
  a.id = QStringLiteral("20260107-1");
  a.start = QStringLiteral("09:00");
  a.end = QStringLiteral("10:00");
  a.subject = QStringLiteral("Dentist");
  a.minutes = QStringLiteral("15");
  ASSERT_TRUE(AddAppointment(files(), a).stored());

  // Export: a save dialog offering both kinds; no extension takes the
  // chosen filter's.
  answer_ = {Path(QStringLiteral("everything"))};
  answer_filter_ = QStringLiteral("iCalendar files (*.ics)");
  Trigger(main_window_names::kExport);
  ASSERT_EQ(requests_.size(), 1u);
  EXPECT_TRUE(requests_[0].save);
  EXPECT_TRUE(requests_[0].filters.contains(QStringLiteral("*.ics")));
  EXPECT_TRUE(requests_[0].filters.contains(QStringLiteral("*.vcf")));
  ASSERT_EQ(messages_.size(), 1);
  EXPECT_EQ(messages_[0], QStringLiteral("1 appointment and 0 birthdays exported to %1.")
                              .arg(Path(QStringLiteral("everything.ics"))));
  EXPECT_TRUE(FileBytes(Path(QStringLiteral("everything.ics"))).contains("SUMMARY:Dentist"));

  // Cancelled: nothing happens.
  answer_.clear();
  Trigger(main_window_names::kExport);
  Trigger(main_window_names::kImport);
  EXPECT_EQ(messages_.size(), 1);

  // Import with the month calendar and the address book open.
  app_->MonthCalendar().show();
  app_->AddressBook().show();
  QFile vcf(Path(QStringLiteral("friends.vcf")));
  ASSERT_TRUE(vcf.open(QIODevice::WriteOnly));
  vcf.write("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Adams;Ann\r\nBDAY:1980-01-20\r\nEND:VCARD\r\n");
  vcf.close();
  QFile ics(Path(QStringLiteral("more.ics")));
  ASSERT_TRUE(ics.open(QIODevice::WriteOnly));
  ics.write(
      "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:x\r\nBEGIN:VEVENT\r\nUID:1\r\n"
      "DTSTAMP:20260101T000000Z\r\nDTSTART:20260112T090000\r\nDTEND:20260112T100000\r\n"
      "SUMMARY:Imported\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
  ics.close();
  answer_ = {vcf.fileName(), ics.fileName()};
  Trigger(main_window_names::kImport);
  EXPECT_FALSE(requests_.back().save);
  ASSERT_EQ(messages_.size(), 2);
  EXPECT_EQ(messages_[1], QStringLiteral("%1: 0 appointments and 1 contact imported.\n"
                                         "%2: 1 appointment and 0 contacts imported.")
                              .arg(vcf.fileName(), ics.fileName()));
  // The shown month (January 2026, today) has the new marks.
  MonthCalendarWindow& calendar = app_->MonthCalendar();
  const int offset = calendar.FirstDayOffset();
  EXPECT_TRUE(calendar.HasAppointmentMark(offset + 12));
  EXPECT_TRUE(calendar.HasBirthdayMark(offset + 20));
  // The address book lists the new entry in its group.
  app_->AddressBook().FillNameList();
  QComboBox* names =
      app_->AddressBook().findChild<QComboBox*>(QLatin1String(address_book_names::kNames));
  ASSERT_NE(names, nullptr);
  EXPECT_EQ(names->findText(QStringLiteral("Adams, Ann")), 0);

  // A file that cannot be read: the reason, nothing stored.
  answer_ = {Path(QStringLiteral("nothing-here.ics"))};
  Trigger(main_window_names::kImport);
  ASSERT_EQ(messages_.size(), 3);
  EXPECT_TRUE(messages_[2].startsWith(QStringLiteral("Nothing was imported.")))
      << messages_[2].toStdString();
}

TEST_F(InterchangeMenuTest, TheSummaryListsEveryItemSkippedInABoxThatScrolls) {
  QByteArray ics = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:x\r\n";
  for (int k = 0; k < 40; ++k) {
    ics += QStringLiteral(
               "BEGIN:VEVENT\r\nUID:%1\r\nDTSTAMP:20260101T000000Z\r\nDTSTART:20260112T090000\r\n"
               "DTEND:20260112T100000\r\nSUMMARY:Meeting %1\r\nEND:VEVENT\r\n")
               .arg(k)
               .toUtf8();
  }
  ics += "BEGIN:VTODO\r\nUID:t\r\nSUMMARY:Task\r\nEND:VTODO\r\nEND:VCALENDAR\r\n";
  QFile file(Path(QStringLiteral("meetings.ics")));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(ics);
  file.close();
  answer_ = {file.fileName()};
  Trigger(main_window_names::kImport);
  ASSERT_EQ(messages_.size(), 1);

  // Again, with the box itself: the line and the note above, all forty
  // items skipped in a read-only list that scrolls.
  SetMessageSink({});
  QString text;
  QStringList items;
  bool scrolls = false;
  QString list_name;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    const QLabel* label = box->findChild<QLabel*>();
    if (label) text = label->text();
    auto* list = box->findChild<QPlainTextEdit*>(QStringLiteral("Details"));
    if (list) {
      list->resize(400, 200);
      items = list->toPlainText().split(QLatin1Char('\n'));
      scrolls = list->isReadOnly() && list->verticalScrollBar()->maximum() > 0;
      list_name = list->accessibleName();
    }
    box->accept();
  });
  Trigger(main_window_names::kImport);
  EXPECT_EQ(text, QStringLiteral("%1: 0 appointments and 0 contacts imported; 40 skipped.\n"
                                 "1 to-do was not imported: Quorvel has no to-do list.")
                      .arg(file.fileName()));
  ASSERT_EQ(items.size(), 41) << items.join(QLatin1Char('\n')).toStdString();
  EXPECT_EQ(items[0], QStringLiteral("Skipped:"));
  EXPECT_EQ(items[40], QStringLiteral("- \"Meeting 39\" on 12/01/2026 at 09:00 (already present)"));
  EXPECT_TRUE(scrolls);
  EXPECT_EQ(list_name, QStringLiteral("Details"));
}

// A card text longer than its field: the window names it and asks; "Import
// nothing" (the default) stores nothing, "Import the rest shortened" stores
// the import.
TEST_F(InterchangeMenuTest, TextsThatWouldBeShortenedAreNamedAndTheUserChooses) {
  QFile vcf(Path(QStringLiteral("long.vcf")));
  ASSERT_TRUE(vcf.open(QIODevice::WriteOnly));
  vcf.write(
      "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Smith;John\r\n"
      "EMAIL:john.smith.at.the.office@example-company.org\r\nEND:VCARD\r\n");
  vcf.close();
  answer_ = {vcf.fileName()};
  for (int choice : {0, 1}) {
    choice_ = choice;
    Trigger(main_window_names::kImport);
    ASSERT_FALSE(questions_.isEmpty());
    EXPECT_TRUE(questions_.back().contains(
        QStringLiteral("- Smith, John: its e-mail address, 44 characters (the field holds 30)")))
        << questions_.back().toStdString();
    EXPECT_EQ(offered_, (QStringList{QStringLiteral("Import nothing"),
                                     QStringLiteral("Import the rest shortened")}));
    EXPECT_EQ(files().ReadCount(store::Channel::kAddBook), choice == 1 ? 1 : 0);
  }
  ASSERT_EQ(questions_.size(), 2);
  ASSERT_FALSE(messages_.isEmpty());
  EXPECT_TRUE(
      messages_.back().contains(QStringLiteral("Shortened:\n- Smith, John: its e-mail address")))
      << messages_.back().toStdString();

  // Fourteen of them: all in a box that scrolls first, the question names
  // twelve and says how many more.
  QFile many(Path(QStringLiteral("many.vcf")));
  ASSERT_TRUE(many.open(QIODevice::WriteOnly));
  for (int k = 0; k < 14; ++k) {
    many.write(QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Person%1;Ann\r\n"
                              "EMAIL:ann.person.at.the.office@example-company.org\r\nEND:VCARD\r\n")
                   .arg(k)
                   .toUtf8());
  }
  many.close();
  answer_ = {many.fileName()};
  choice_ = 0;
  const qsizetype shown = messages_.size();
  Trigger(main_window_names::kImport);
  ASSERT_EQ(messages_.size(), shown + 1);
  EXPECT_EQ(messages_.back().count(QStringLiteral("its e-mail address")), 14);
  EXPECT_EQ(questions_.back().count(QStringLiteral("its e-mail address")), 12);
  EXPECT_TRUE(questions_.back().contains(
      QStringLiteral("… and 2 more, all listed in the previous message.")));
  EXPECT_EQ(files().ReadCount(store::Channel::kAddBook), 1);
}

}  // namespace
}  // namespace quorvel::testing
