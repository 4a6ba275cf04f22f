#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "addressbook/address_book_window.h"
#include "addressbook/address_editor_window.h"
#include "items/address_file.h"
#include "calendar/month_calendar_window.h"
#include "test_support.h"

namespace quorvel::testing {
namespace {

using store::Channel;

class AddressBookWindowTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    book_ = &app_->AddressBook();
    book_->show();
  }

  void Store(const QString& name, const QString& surname, const QString& home = {},
             const QString& flag = QStringLiteral("0"),
             const QString& date = QStringLiteral("05/03/1975")) {
    AddressEntry entry;
    entry.name = name;
    entry.surname = surname;
    entry.address = QStringLiteral("Address of ") + surname;
    entry.phones[0] = home;
    entry.phones[5] = QStringLiteral("other ") + surname;
    entry.birthday_date = date;
    entry.birthday_flag = flag;
    entry.email = surname + QStringLiteral("@example.org");
    entry.notes = QStringLiteral("line 1\r\nline 2");
    ASSERT_TRUE(AddAddressEntry(files(), entry).stored());
  }

  template <class T = QWidget>
  T* In(QWidget* window, const QString& name) {
    T* widget = window->findChild<T*>(name);
    EXPECT_NE(widget, nullptr) << name.toStdString();
    return widget;
  }
  template <class T = QWidget>
  T* Book(const QString& name) { return In<T>(book_, name); }
  template <class T = QWidget>
  T* Editor(const QString& name) { return In<T>(&app_->AddressEditor(), name); }

  void Click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
  void ClickGroup(const QString& group) {
    for (int i = 0; i < AddressBookWindow::kGroupCount; ++i) {
      auto* button = Book<QPushButton>(QStringLiteral("Command4(%1)").arg(i));
      if (button->text() == group) return Click(button);
    }
    ADD_FAILURE() << "no group " << group.toStdString();
  }
  QStringList Listed() {
    QStringList keys;
    auto* combo = Book<QComboBox>(QStringLiteral("Combo1"));
    for (int i = 0; i < combo->count(); ++i) keys.append(combo->itemText(i));
    return keys;
  }
  QString Selected() { return Book<QComboBox>(QStringLiteral("Combo1"))->currentText(); }
  QString Shown(const QString& name) { return Book<QLineEdit>(name)->text(); }
  bool EntryButtonsEnabled() {
    const bool add = Book<QPushButton>(QStringLiteral("Command3"))->isEnabled();
    const bool edit = Book<QPushButton>(QStringLiteral("Command2"))->isEnabled();
    const bool del = Book<QPushButton>(QStringLiteral("Command1"))->isEnabled();
    EXPECT_TRUE(add == edit && edit == del);
    return add;
  }
  QByteArray BookBytes() { return FileBytes(Path(QStringLiteral("AddBook.dat"))); }
  QStringList StoredKeys() {
    QStringList keys;
    const int count = files().ReadCount(Channel::kAddBook);
    for (int k = 0; k < count; ++k) keys.append(ReadAddressKey(files(), k));
    return keys;
  }

  AddressBookWindow* book_ = nullptr;
};

TEST_F(AddressBookWindowTest, LetterGroupsListTheirKeysSortedAndShowTheFirst) {
  Store(QStringLiteral("John"), QStringLiteral("Sutton"), QStringLiteral("111"));
  Store(QStringLiteral("John"), QStringLiteral("Smith"), QStringLiteral("222"));
  Store(QStringLiteral("Ray"), QStringLiteral("Quinn"));
  Store(QStringLiteral("Ann"), QStringLiteral("Roberts"));
  Store(QStringLiteral("Zoe"), QStringLiteral("Zeta"));
  Store(QStringLiteral("Xi"), QStringLiteral("Xu"));
  Store(QString(), QStringLiteral("7 Up"));
  Store(QString(), QStringLiteral("1st Floor"));
  Store(QStringLiteral("Piet"), QStringLiteral("van Dyke"));

  ClickGroup(QStringLiteral("S"));
  EXPECT_EQ(book_->CurrentGroup(), QStringLiteral("S"));
  EXPECT_EQ(Listed(), (QStringList{QStringLiteral("Smith, John"), QStringLiteral("Sutton, John")}));
  EXPECT_EQ(Selected(), QStringLiteral("Smith, John"));
  EXPECT_EQ(Shown(QStringLiteral("Text3(0)")), QStringLiteral("222"));
  EXPECT_EQ(Shown(QStringLiteral("Text3(5)")), QStringLiteral("other Smith"));
  EXPECT_EQ(Book<QPlainTextEdit>(QStringLiteral("Text1"))->toPlainText(),
            QStringLiteral("Address of Smith"));
  EXPECT_EQ(Book<QPlainTextEdit>(QStringLiteral("Text7"))->toPlainText(),
            QStringLiteral("line 1\nline 2"));

  // Choosing another key from the list shows that entry.
  auto* combo = Book<QComboBox>(QStringLiteral("Combo1"));
  combo->setFocus();
  QTest::keyClick(combo, Qt::Key_Down);
  EXPECT_EQ(Selected(), QStringLiteral("Sutton, John"));
  EXPECT_EQ(Shown(QStringLiteral("Text3(0)")), QStringLiteral("111"));

  ClickGroup(QStringLiteral("T"));
  EXPECT_TRUE(Listed().isEmpty());
  EXPECT_EQ(Selected(), QString());
  EXPECT_EQ(Shown(QStringLiteral("Text3(0)")), QString());
  EXPECT_EQ(Shown(QStringLiteral("Text3(5)")), QString());
  EXPECT_EQ(Shown(QStringLiteral("Text5")), QString());
  EXPECT_TRUE(Book<QPlainTextEdit>(QStringLiteral("Text1"))->toPlainText().isEmpty());

  ClickGroup(QStringLiteral("QR"));
  EXPECT_EQ(Listed(), (QStringList{QStringLiteral("Quinn, Ray"), QStringLiteral("Roberts, Ann")}));
  ClickGroup(QStringLiteral("XYZ"));
  EXPECT_EQ(Listed(), (QStringList{QStringLiteral("Xu, Xi"), QStringLiteral("Zeta, Zoe")}));
  ClickGroup(QStringLiteral("123"));
  EXPECT_EQ(Listed(), (QStringList{QStringLiteral("1st Floor, "), QStringLiteral("7 Up, ")}));

  // A surname starting with a lower-case letter is in no group.
  for (int i = 0; i < AddressBookWindow::kGroupCount; ++i) {
    ClickGroup(AddressBookWindow::GroupText(i));
    EXPECT_FALSE(Listed().contains(QStringLiteral("van Dyke, Piet"))) << i;
  }
}

TEST_F(AddressBookWindowTest, TheChosenGroupIsYellowAndAFirstClickOnAChangesNothing) {
  Store(QStringLiteral("Ann"), QStringLiteral("Adams"));
  Store(QStringLiteral("Bob"), QStringLiteral("Brown"));
  const QColor face = QApplication::palette().color(QPalette::Button);
  auto color = [this](int i) {
    return Book<QPushButton>(QStringLiteral("Command4(%1)").arg(i))->palette().color(QPalette::Button);
  };
  EXPECT_EQ(Book<QLabel>(QStringLiteral("Label2"))->text(), QStringLiteral("A"));
  EXPECT_TRUE(Book<QLabel>(QStringLiteral("Label2"))->isHidden());
  EXPECT_EQ(Book<QPushButton>(QStringLiteral("Command4(16)"))->text(), QStringLiteral("QR"));
  EXPECT_EQ(Book<QPushButton>(QStringLiteral("Command4(22)"))->text(), QStringLiteral("XYZ"));
  EXPECT_EQ(Book<QPushButton>(QStringLiteral("Command4(23)"))->text(), QStringLiteral("123"));

  ClickGroup(QStringLiteral("A"));
  EXPECT_EQ(color(0), QColor(255, 255, 0));
  EXPECT_TRUE(Listed().isEmpty());  // the group already read "A"

  ClickGroup(QStringLiteral("B"));
  EXPECT_EQ(color(1), QColor(255, 255, 0));
  EXPECT_EQ(color(0), face);
  EXPECT_EQ(Listed(), QStringList{QStringLiteral("Brown, Bob")});

  ClickGroup(QStringLiteral("A"));
  EXPECT_EQ(Listed(), QStringList{QStringLiteral("Adams, Ann")});
  for (int i = 1; i < AddressBookWindow::kGroupCount; ++i) EXPECT_EQ(color(i), face) << i;
}

TEST_F(AddressBookWindowTest, ViewToggleSwapsAddressAndDetailsAndBirthdayFollowsTheFlag) {
  Store(QStringLiteral("Ann"), QStringLiteral("Baker"), {}, QStringLiteral("1"),
        QStringLiteral("25/07/2001"));
  Store(QStringLiteral("Bob"), QStringLiteral("Brown"), {}, QStringLiteral("0"),
        QStringLiteral("01/12/1980"));
  auto* toggle = Book<QPushButton>(QStringLiteral("Command5"));
  auto* address = Book<QGroupBox>(QStringLiteral("Frame2"));
  auto* details = Book<QGroupBox>(QStringLiteral("Frame4"));
  EXPECT_EQ(toggle->text(), QStringLiteral("View Details"));
  EXPECT_TRUE(address->isVisible());
  EXPECT_FALSE(details->isVisible());
  EXPECT_EQ(details->geometry(), address->geometry());

  ClickGroup(QStringLiteral("B"));
  Click(toggle);
  EXPECT_EQ(toggle->text(), QStringLiteral("View Address"));
  EXPECT_FALSE(address->isVisible());
  EXPECT_TRUE(details->isVisible());
  EXPECT_TRUE(Book(QStringLiteral("Frame3"))->isVisible());

  // Baker has a birthday, Brown does not.
  EXPECT_EQ(Selected(), QStringLiteral("Baker, Ann"));
  EXPECT_TRUE(Book(QStringLiteral("Text8"))->isVisible());
  EXPECT_TRUE(Book(QStringLiteral("Label1(0)"))->isVisible());
  EXPECT_EQ(Shown(QStringLiteral("Text8")), QStringLiteral("25/07/2001"));
  EXPECT_EQ(Shown(QStringLiteral("Text5")), QStringLiteral("Baker@example.org"));
  auto* combo = Book<QComboBox>(QStringLiteral("Combo1"));
  combo->setFocus();
  QTest::keyClick(combo, Qt::Key_Down);
  EXPECT_EQ(Selected(), QStringLiteral("Brown, Bob"));
  EXPECT_FALSE(Book(QStringLiteral("Text8"))->isVisible());
  EXPECT_FALSE(Book(QStringLiteral("Label1(0)"))->isVisible());
  EXPECT_FALSE(Book<QCheckBox>(QStringLiteral("Check1"))->isChecked());

  Click(toggle);
  EXPECT_EQ(toggle->text(), QStringLiteral("View Details"));
  EXPECT_TRUE(address->isVisible());
  EXPECT_FALSE(details->isVisible());
}

TEST_F(AddressBookWindowTest, DeleteRemovesTheSelectedEntryAndRefillsTheGroup) {
  Store(QStringLiteral("John"), QStringLiteral("Smith"), QStringLiteral("222"));
  Store(QStringLiteral("Anne"), QStringLiteral("Sutton"), QStringLiteral("111"));
  Store(QStringLiteral("Tom"), QStringLiteral("Tate"));
  ClickGroup(QStringLiteral("S"));
  auto* del = Book<QPushButton>(QStringLiteral("Command1"));

  Click(del);
  EXPECT_TRUE(messages_.isEmpty());
  EXPECT_EQ(StoredKeys(), (QStringList{QStringLiteral("Sutton, Anne"), QStringLiteral("Tate, Tom")}));
  EXPECT_EQ(Listed(), QStringList{QStringLiteral("Sutton, Anne")});
  EXPECT_EQ(Selected(), QStringLiteral("Sutton, Anne"));
  EXPECT_EQ(Shown(QStringLiteral("Text3(0)")), QStringLiteral("111"));

  Click(del);
  EXPECT_EQ(StoredKeys(), QStringList{QStringLiteral("Tate, Tom")});
  EXPECT_TRUE(Listed().isEmpty());
  EXPECT_EQ(Shown(QStringLiteral("Text3(0)")), QString());

  // Nothing selected: nothing removed.
  const QByteArray before = BookBytes();
  Click(del);
  EXPECT_EQ(BookBytes(), before);
}

TEST_F(AddressBookWindowTest, AddThroughTheEditorStoresTheEntryAndRefillsTheList) {
  ClickGroup(QStringLiteral("S"));
  Click(Book<QPushButton>(QStringLiteral("Command3")));
  AddressEditorWindow& editor = app_->AddressEditor();
  EXPECT_TRUE(editor.isVisible());
  EXPECT_EQ(editor.windowTitle(), QStringLiteral("Add Address Book Entry"));
  EXPECT_FALSE(EntryButtonsEnabled());
  EXPECT_FALSE(app_->EditMode());
  EXPECT_EQ(Editor<QDateEdit>(QStringLiteral("DTPicker1"))->date(),
            app_->MonthCalendar().SelectedDate());
  EXPECT_EQ(Editor<QDateEdit>(QStringLiteral("DTPicker1"))->displayFormat(),
            QStringLiteral("dd/MM/yyyy"));
  EXPECT_FALSE(Editor<QCheckBox>(QStringLiteral("Check1"))->isChecked());

  // No surname: a message, and the editor stays as it was.
  QTest::keyClicks(Editor(QStringLiteral("Text2(0)")), QStringLiteral("John"));
  Click(Editor<QPushButton>(QStringLiteral("Command1")));
  EXPECT_EQ(messages_, QStringList{QStringLiteral("You need to supply a Surname!")});
  EXPECT_TRUE(editor.isVisible());
  EXPECT_EQ(files().ReadCount(Channel::kAddBook), 0);
  EXPECT_EQ(Editor<QLineEdit>(QStringLiteral("Text2(0)"))->text(), QStringLiteral("John"));

  QTest::keyClicks(Editor(QStringLiteral("Text2(1)")), QStringLiteral("Smith"));
  QTest::keyClicks(Editor(QStringLiteral("Text3(3)")), QStringLiteral("07700 900"));
  Editor<QDateEdit>(QStringLiteral("DTPicker1"))->setDate(QDate(1990, 8, 7));
  Click(Editor<QPushButton>(QStringLiteral("Command1")));
  EXPECT_FALSE(editor.isVisible());
  EXPECT_TRUE(EntryButtonsEnabled());
  ASSERT_EQ(StoredKeys(), QStringList{QStringLiteral("Smith, John")});
  const AddressEntry stored = ReadAddressEntry(files(), 0);
  EXPECT_EQ(stored.phones[3], QStringLiteral("07700 900"));
  EXPECT_EQ(stored.birthday_date, QStringLiteral("07/08/1990"));
  EXPECT_EQ(stored.birthday_flag, QStringLiteral("0"));
  EXPECT_EQ(Listed(), QStringList{QStringLiteral("Smith, John")});
  EXPECT_EQ(Shown(QStringLiteral("Text3(3)")), QStringLiteral("07700 900"));
}

TEST_F(AddressBookWindowTest, AddingADuplicateKeepsTheEditorOpenWithTheTypedValues) {
  Store(QStringLiteral("John"), QStringLiteral("Smith"));
  const QByteArray before = BookBytes();
  Click(Book<QPushButton>(QStringLiteral("Command3")));
  QTest::keyClicks(Editor(QStringLiteral("Text2(0)")), QStringLiteral("John"));
  QTest::keyClicks(Editor(QStringLiteral("Text2(1)")), QStringLiteral("Smith"));
  QTest::keyClicks(Editor(QStringLiteral("Text2(3)")), QStringLiteral("new@example.org"));
  Click(Editor<QPushButton>(QStringLiteral("Command1")));
  EXPECT_EQ(messages_, QStringList{QStringLiteral("Entry Already Exists!")});
  EXPECT_EQ(BookBytes(), before);
  EXPECT_TRUE(app_->AddressEditor().isVisible());
  EXPECT_EQ(Editor<QLineEdit>(QStringLiteral("Text2(3)"))->text(), QStringLiteral("new@example.org"));
  EXPECT_FALSE(EntryButtonsEnabled());

  // A different first name is a different entry.
  QTest::keyClicks(Editor(QStringLiteral("Text2(0)")), QStringLiteral("ny"));
  Click(Editor<QPushButton>(QStringLiteral("Command1")));
  EXPECT_EQ(StoredKeys(), (QStringList{QStringLiteral("Smith, John"), QStringLiteral("Smith, Johnny")}));
  EXPECT_TRUE(EntryButtonsEnabled());

  // Cancel after Add stores nothing.
  Click(Book<QPushButton>(QStringLiteral("Command3")));
  QTest::keyClicks(Editor(QStringLiteral("Text2(1)")), QStringLiteral("Other"));
  const QByteArray two = BookBytes();
  Click(Editor<QPushButton>(QStringLiteral("Command3")));
  EXPECT_EQ(BookBytes(), two);
  EXPECT_FALSE(app_->AddressEditor().isVisible());
  EXPECT_TRUE(EntryButtonsEnabled());
}

TEST_F(AddressBookWindowTest, EditKeepsTheEntryUntilOkThenMovesItToTheEnd) {
  Store(QStringLiteral("John"), QStringLiteral("Smith"), QStringLiteral("222"), QStringLiteral("1"),
        QStringLiteral("25/07/2001"));
  Store(QStringLiteral("Anne"), QStringLiteral("Sutton"));
  ClickGroup(QStringLiteral("S"));
  const QByteArray before = BookBytes();

  Click(Book<QPushButton>(QStringLiteral("Command2")));
  AddressEditorWindow& editor = app_->AddressEditor();
  EXPECT_TRUE(editor.isVisible());
  EXPECT_EQ(editor.windowTitle(), QStringLiteral("Edit Address Book Entry"));
  EXPECT_TRUE(app_->EditMode());
  EXPECT_FALSE(EntryButtonsEnabled());
  EXPECT_EQ(BookBytes(), before);  // still stored while the editor is open
  EXPECT_EQ(Editor<QLineEdit>(QStringLiteral("Text2(0)"))->text(), QStringLiteral("John"));
  EXPECT_EQ(Editor<QLineEdit>(QStringLiteral("Text2(1)"))->text(), QStringLiteral("Smith"));
  EXPECT_EQ(Editor<QPlainTextEdit>(QStringLiteral("Text2(5)"))->toPlainText(),
            QStringLiteral("line 1\nline 2"));
  EXPECT_EQ(Editor<QLineEdit>(QStringLiteral("Text3(0)"))->text(), QStringLiteral("222"));
  EXPECT_EQ(Editor<QDateEdit>(QStringLiteral("DTPicker1"))->date(), QDate(2001, 7, 25));
  EXPECT_TRUE(Editor<QCheckBox>(QStringLiteral("Check1"))->isChecked());

  const AddressEntry original = ReadAddressEntry(files(), 0);
  Click(Editor<QPushButton>(QStringLiteral("Command1")));
  EXPECT_TRUE(messages_.isEmpty());
  EXPECT_FALSE(editor.isVisible());
  EXPECT_TRUE(EntryButtonsEnabled());
  EXPECT_EQ(StoredKeys(), (QStringList{QStringLiteral("Sutton, Anne"), QStringLiteral("Smith, John")}));
  EXPECT_EQ(ReadAddressEntry(files(), 1).Fields(), original.Fields());
  EXPECT_EQ(Selected(), QStringLiteral("Smith, John"));
}

TEST_F(AddressBookWindowTest, AnEditThatClashesKeepsBothEntriesAndTheEditorOpen) {
  Store(QStringLiteral("John"), QStringLiteral("Smith"));
  Store(QStringLiteral("Anne"), QStringLiteral("Sutton"));
  ClickGroup(QStringLiteral("S"));
  const QByteArray before = BookBytes();
  Click(Book<QPushButton>(QStringLiteral("Command2")));

  auto* name = Editor<QLineEdit>(QStringLiteral("Text2(0)"));
  auto* surname = Editor<QLineEdit>(QStringLiteral("Text2(1)"));
  name->clear();
  surname->clear();
  QTest::keyClicks(name, QStringLiteral("Anne"));
  QTest::keyClicks(surname, QStringLiteral("Sutton"));
  Click(Editor<QPushButton>(QStringLiteral("Command1")));
  EXPECT_EQ(messages_, QStringList{QStringLiteral("Entry Already Exists!")});
  EXPECT_EQ(BookBytes(), before);
  EXPECT_TRUE(app_->AddressEditor().isVisible());
  EXPECT_EQ(name->text(), QStringLiteral("Anne"));
  EXPECT_EQ(surname->text(), QStringLiteral("Sutton"));
  EXPECT_FALSE(EntryButtonsEnabled());

  // A free key then replaces the entry being edited, not the other one.
  name->clear();
  QTest::keyClicks(name, QStringLiteral("Jack"));
  surname->clear();
  QTest::keyClicks(surname, QStringLiteral("Smith"));
  Click(Editor<QPushButton>(QStringLiteral("Command1")));
  EXPECT_EQ(StoredKeys(), (QStringList{QStringLiteral("Sutton, Anne"), QStringLiteral("Smith, Jack")}));
  EXPECT_EQ(Listed(), (QStringList{QStringLiteral("Smith, Jack"), QStringLiteral("Sutton, Anne")}));
}

TEST_F(AddressBookWindowTest, ClosingOrCancellingTheEditorDuringAnEditLosesNothing) {
  Store(QStringLiteral("John"), QStringLiteral("Smith"));
  Store(QStringLiteral("Anne"), QStringLiteral("Sutton"));
  ClickGroup(QStringLiteral("S"));
  const QByteArray before = BookBytes();
  AddressEditorWindow& editor = app_->AddressEditor();

  Click(Book<QPushButton>(QStringLiteral("Command2")));
  QTest::keyClicks(Editor(QStringLiteral("Text2(0)")), QStringLiteral("xx"));
  EXPECT_TRUE(editor.close());
  EXPECT_FALSE(editor.isVisible());
  EXPECT_TRUE(EntryButtonsEnabled());
  EXPECT_EQ(BookBytes(), before);

  Click(Book<QPushButton>(QStringLiteral("Command2")));
  auto* cancel = Editor<QPushButton>(QStringLiteral("Command3"));
  EXPECT_TRUE(cancel->isVisible());
  Click(cancel);
  EXPECT_FALSE(editor.isVisible());
  EXPECT_TRUE(EntryButtonsEnabled());
  EXPECT_EQ(BookBytes(), before);

  // The next Add starts empty again.
  Click(Book<QPushButton>(QStringLiteral("Command3")));
  EXPECT_EQ(editor.windowTitle(), QStringLiteral("Add Address Book Entry"));
  EXPECT_TRUE(Editor<QLineEdit>(QStringLiteral("Text2(0)"))->text().isEmpty());
  EXPECT_TRUE(Editor<QPlainTextEdit>(QStringLiteral("Text2(5)"))->toPlainText().isEmpty());
}

TEST_F(AddressBookWindowTest, EditorLimitsAndTabOrder) {
  AddressEditorWindow& editor = app_->AddressEditor();
  editor.PrepareAdd(QDate(2026, 1, 7));
  editor.show();
  const std::pair<const char*, int> limits[] = {{"Text2(0)", 20}, {"Text2(1)", 20}, {"Text2(3)", 30},
                                                {"Text2(4)", 30}, {"Text3(0)", 20}, {"Text3(5)", 20}};
  for (const auto& [name, limit] : limits) {
    EXPECT_EQ(Editor<QLineEdit>(QLatin1String(name))->maxLength(), limit) << name;
  }

  // The multi-line boxes hold 100 characters, a line break counting two.
  auto* address = Editor<QPlainTextEdit>(QStringLiteral("Text2(2)"));
  address->setFocus();
  QTest::keyClicks(address, QString(97, QLatin1Char('a')));
  QTest::keyClick(address, Qt::Key_Return);
  EXPECT_EQ(address->toPlainText().size(), 98);
  QTest::keyClick(address, Qt::Key_Return);  // would make 101
  QTest::keyClicks(address, QStringLiteral("bcd"));
  EXPECT_EQ(address->toPlainText(), QString(97, QLatin1Char('a')) + QStringLiteral("\nb"));
  EXPECT_EQ(editor.TypedEntry().address, QString(97, QLatin1Char('a')) + QStringLiteral("\r\nb"));

  // A paste keeps what fits.
  auto* notes = Editor<QPlainTextEdit>(QStringLiteral("Text2(5)"));
  QApplication::clipboard()->setText(QStringLiteral("x\r\n") + QString(120, QLatin1Char('y')));
  notes->setFocus();
  notes->paste();
  EXPECT_EQ(editor.TypedEntry().notes, QStringLiteral("x\r\n") + QString(97, QLatin1Char('y')));

  const QStringList order = {QStringLiteral("Text2(0)"), QStringLiteral("Text2(1)"),
                             QStringLiteral("Text2(2)"), QStringLiteral("Check1"),
                             QStringLiteral("DTPicker1"), QStringLiteral("Text2(3)"),
                             QStringLiteral("Text2(4)"), QStringLiteral("Text2(5)"),
                             QStringLiteral("Text3(0)"), QStringLiteral("Text3(1)"),
                             QStringLiteral("Text3(2)"), QStringLiteral("Text3(3)"),
                             QStringLiteral("Text3(4)"), QStringLiteral("Text3(5)"),
                             QStringLiteral("Command1"), QStringLiteral("Command3")};
  QStringList visited;
  QWidget* widget = Editor(order.first());
  for (int guard = 0; guard < 200 && visited.size() < order.size(); ++guard) {
    if (order.contains(widget->objectName()) && !visited.contains(widget->objectName()) &&
        (widget->focusPolicy() & Qt::TabFocus)) {
      visited.append(widget->objectName());
    }
    widget = widget->nextInFocusChain();
  }
  EXPECT_EQ(visited, order);
}

TEST_F(AddressBookWindowTest, TheMonthCalendarFollowsBirthdaysAddedEditedAndDeleted) {
  MonthCalendarWindow& calendar = app_->MonthCalendar();  // January 2026, the 7th selected
  const int the_15th = calendar.FirstDayOffset() + 15;
  ASSERT_FALSE(calendar.HasBirthdayMark(the_15th));

  ClickGroup(QStringLiteral("S"));
  Click(Book<QPushButton>(QStringLiteral("Command3")));
  EXPECT_EQ(Editor<QDateEdit>(QStringLiteral("DTPicker1"))->date(), QDate(2026, 1, 7));
  QTest::keyClicks(Editor(QStringLiteral("Text2(1)")), QStringLiteral("Smith"));
  Editor<QDateEdit>(QStringLiteral("DTPicker1"))->setDate(QDate(1980, 1, 15));
  Editor<QCheckBox>(QStringLiteral("Check1"))->setChecked(true);
  Click(Editor<QPushButton>(QStringLiteral("Command1")));
  EXPECT_TRUE(calendar.HasBirthdayMark(the_15th));

  // Untick the birthday in an edit, tick it again in another.
  Click(Book<QPushButton>(QStringLiteral("Command2")));
  Editor<QCheckBox>(QStringLiteral("Check1"))->setChecked(false);
  Click(Editor<QPushButton>(QStringLiteral("Command1")));
  EXPECT_FALSE(calendar.HasBirthdayMark(the_15th));
  Click(Book<QPushButton>(QStringLiteral("Command2")));
  Editor<QCheckBox>(QStringLiteral("Check1"))->setChecked(true);
  Click(Editor<QPushButton>(QStringLiteral("Command1")));
  EXPECT_TRUE(calendar.HasBirthdayMark(the_15th));

  Click(Book<QPushButton>(QStringLiteral("Command1")));
  EXPECT_EQ(files().ReadCount(Channel::kAddBook), 0);
  EXPECT_FALSE(calendar.HasBirthdayMark(the_15th));
}

TEST_F(AddressBookWindowTest, DeleteTakesOneRowOutUnlessTheFileChangedUnderneath) {
  Store(QStringLiteral("Ann"), QStringLiteral("Smith"));
  Store(QStringLiteral("Bob"), QStringLiteral("Smith"));
  Store(QStringLiteral("Cy"), QStringLiteral("Smith"));
  ClickGroup(QStringLiteral("S"));
  auto* combo = Book<QComboBox>(QStringLiteral("Combo1"));
  combo->setCurrentIndex(1);
  QSignalSpy removed(combo->model(), &QAbstractItemModel::rowsRemoved);
  QSignalSpy reset(combo->model(), &QAbstractItemModel::modelReset);
  Click(Book<QPushButton>(QStringLiteral("Command1")));
  EXPECT_EQ(removed.count(), 1);
  EXPECT_EQ(reset.count(), 0);
  EXPECT_EQ(Listed(), (QStringList{QStringLiteral("Smith, Ann"), QStringLiteral("Smith, Cy")}));
  EXPECT_EQ(Selected(), QStringLiteral("Smith, Ann"));

  // Another program adds an entry meanwhile: the list shows what the file
  // holds after the delete.
  Store(QStringLiteral("Dee"), QStringLiteral("Smith"));
  Click(Book<QPushButton>(QStringLiteral("Command1")));
  EXPECT_EQ(reset.count(), 1);
  EXPECT_EQ(Listed(), (QStringList{QStringLiteral("Smith, Cy"), QStringLiteral("Smith, Dee")}));
  EXPECT_EQ(StoredKeys(), (QStringList{QStringLiteral("Smith, Cy"), QStringLiteral("Smith, Dee")}));
  EXPECT_EQ(Selected(), QStringLiteral("Smith, Cy"));
  EXPECT_EQ(combo->accessibleName(), QStringLiteral("Name"));
}

}  // namespace
}  // namespace quorvel::testing
