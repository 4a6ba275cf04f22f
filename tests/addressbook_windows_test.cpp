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
#include "calendar/month_calendar_window.h"
#include "items/address_file.h"
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
  T* Book(const QString& name) {
    return In<T>(book_, name);
  }
  template <class T = QWidget>
  T* Editor(const QString& name) {
    return In<T>(&app_->AddressEditor(), name);
  }

  void Click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
  void ClickGroup(const QString& group) {
    for (int i = 0; i < AddressBookWindow::kGroupCount; ++i) {
      auto* button = Book<QPushButton>(QLatin1String(address_book_names::kGroups[i]));
      if (button->text() == group) return Click(button);
    }
    ADD_FAILURE() << "no group " << group.toStdString();
  }
  QStringList Listed() {
    QStringList keys;
    auto* combo = Book<QComboBox>(QLatin1String(address_book_names::kNames));
    for (int i = 0; i < combo->count(); ++i) keys.append(combo->itemText(i));
    return keys;
  }
  QString Selected() {
    return Book<QComboBox>(QLatin1String(address_book_names::kNames))->currentText();
  }
  QString Shown(const QString& name) { return Book<QLineEdit>(name)->text(); }
  bool EntryButtonsEnabled() {
    const bool add = Book<QPushButton>(QLatin1String(address_book_names::kAddEntry))->isEnabled();
    const bool edit = Book<QPushButton>(QLatin1String(address_book_names::kEditEntry))->isEnabled();
    const bool del =
        Book<QPushButton>(QLatin1String(address_book_names::kDeleteEntry))->isEnabled();
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
  EXPECT_EQ(Shown(QLatin1String(address_book_names::kPhones[0])), QStringLiteral("222"));
  EXPECT_EQ(Shown(QLatin1String(address_book_names::kPhones[5])), QStringLiteral("other Smith"));
  EXPECT_EQ(Book<QPlainTextEdit>(QLatin1String(address_book_names::kAddress))->toPlainText(),
            QStringLiteral("Address of Smith"));
  EXPECT_EQ(Book<QPlainTextEdit>(QLatin1String(address_book_names::kNotes))->toPlainText(),
            QStringLiteral("line 1\nline 2"));

  // Choosing another key from the list shows that entry.
  auto* combo = Book<QComboBox>(QLatin1String(address_book_names::kNames));
  combo->setFocus();
  QTest::keyClick(combo, Qt::Key_Down);
  EXPECT_EQ(Selected(), QStringLiteral("Sutton, John"));
  EXPECT_EQ(Shown(QLatin1String(address_book_names::kPhones[0])), QStringLiteral("111"));

  ClickGroup(QStringLiteral("T"));
  EXPECT_TRUE(Listed().isEmpty());
  EXPECT_EQ(Selected(), QString());
  EXPECT_EQ(Shown(QLatin1String(address_book_names::kPhones[0])), QString());
  EXPECT_EQ(Shown(QLatin1String(address_book_names::kPhones[5])), QString());
  EXPECT_EQ(Shown(QLatin1String(address_book_names::kEmail)), QString());
  EXPECT_TRUE(
      Book<QPlainTextEdit>(QLatin1String(address_book_names::kAddress))->toPlainText().isEmpty());

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
    return Book<QPushButton>(QLatin1String(address_book_names::kGroups[i]))
        ->palette()
        .color(QPalette::Button);
  };
  EXPECT_EQ(Book<QLabel>(QLatin1String(address_book_names::kCurrentGroup))->text(),
            QStringLiteral("A"));
  EXPECT_TRUE(Book<QLabel>(QLatin1String(address_book_names::kCurrentGroup))->isHidden());
  EXPECT_EQ(Book<QPushButton>(QLatin1String(address_book_names::kGroups[16]))->text(),
            QStringLiteral("QR"));
  EXPECT_EQ(Book<QPushButton>(QLatin1String(address_book_names::kGroups[22]))->text(),
            QStringLiteral("XYZ"));
  EXPECT_EQ(Book<QPushButton>(QLatin1String(address_book_names::kGroups[23]))->text(),
            QStringLiteral("123"));

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
  auto* toggle = Book<QPushButton>(QLatin1String(address_book_names::kViewToggle));
  auto* address = Book<QGroupBox>(QLatin1String(address_book_names::kAddressFrame));
  auto* details = Book<QGroupBox>(QLatin1String(address_book_names::kDetailsFrame));
  EXPECT_EQ(toggle->text(), QStringLiteral("View Details"));
  EXPECT_TRUE(address->isVisible());
  EXPECT_FALSE(details->isVisible());
  EXPECT_EQ(details->geometry(), address->geometry());

  ClickGroup(QStringLiteral("B"));
  Click(toggle);
  EXPECT_EQ(toggle->text(), QStringLiteral("View Address"));
  EXPECT_FALSE(address->isVisible());
  EXPECT_TRUE(details->isVisible());
  EXPECT_TRUE(Book(QLatin1String(address_book_names::kPhonesFrame))->isVisible());

  // Baker has a birthday, Brown does not.
  EXPECT_EQ(Selected(), QStringLiteral("Baker, Ann"));
  EXPECT_TRUE(Book(QLatin1String(address_book_names::kBirthday))->isVisible());
  EXPECT_TRUE(Book(QLatin1String(address_book_names::kBirthdayCaption))->isVisible());
  EXPECT_EQ(Shown(QLatin1String(address_book_names::kBirthday)), QStringLiteral("25/07/2001"));
  EXPECT_EQ(Shown(QLatin1String(address_book_names::kEmail)), QStringLiteral("Baker@example.org"));
  auto* combo = Book<QComboBox>(QLatin1String(address_book_names::kNames));
  combo->setFocus();
  QTest::keyClick(combo, Qt::Key_Down);
  EXPECT_EQ(Selected(), QStringLiteral("Brown, Bob"));
  EXPECT_FALSE(Book(QLatin1String(address_book_names::kBirthday))->isVisible());
  EXPECT_FALSE(Book(QLatin1String(address_book_names::kBirthdayCaption))->isVisible());
  EXPECT_FALSE(Book<QCheckBox>(QLatin1String(address_book_names::kBirthdayFlag))->isChecked());

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
  auto* del = Book<QPushButton>(QLatin1String(address_book_names::kDeleteEntry));

  Click(del);
  EXPECT_TRUE(messages_.isEmpty());
  EXPECT_EQ(StoredKeys(),
            (QStringList{QStringLiteral("Sutton, Anne"), QStringLiteral("Tate, Tom")}));
  EXPECT_EQ(Listed(), QStringList{QStringLiteral("Sutton, Anne")});
  EXPECT_EQ(Selected(), QStringLiteral("Sutton, Anne"));
  EXPECT_EQ(Shown(QLatin1String(address_book_names::kPhones[0])), QStringLiteral("111"));

  Click(del);
  EXPECT_EQ(StoredKeys(), QStringList{QStringLiteral("Tate, Tom")});
  EXPECT_TRUE(Listed().isEmpty());
  EXPECT_EQ(Shown(QLatin1String(address_book_names::kPhones[0])), QString());

  // Nothing selected: nothing removed.
  const QByteArray before = BookBytes();
  Click(del);
  EXPECT_EQ(BookBytes(), before);
}

TEST_F(AddressBookWindowTest, AddThroughTheEditorStoresTheEntryAndRefillsTheList) {
  ClickGroup(QStringLiteral("S"));
  Click(Book<QPushButton>(QLatin1String(address_book_names::kAddEntry)));
  AddressEditorWindow& editor = app_->AddressEditor();
  EXPECT_TRUE(editor.isVisible());
  EXPECT_EQ(editor.windowTitle(), QStringLiteral("Add Address Book Entry"));
  EXPECT_FALSE(EntryButtonsEnabled());
  EXPECT_FALSE(app_->EditMode());
  EXPECT_EQ(Editor<QDateEdit>(QLatin1String(address_editor_names::kBirthday))->date(),
            app_->MonthCalendar().SelectedDate());
  EXPECT_EQ(Editor<QDateEdit>(QLatin1String(address_editor_names::kBirthday))->displayFormat(),
            QStringLiteral("dd/MM/yyyy"));
  EXPECT_FALSE(Editor<QCheckBox>(QLatin1String(address_editor_names::kBirthdayFlag))->isChecked());

  // No surname: a message, and the editor stays as it was.
  QTest::keyClicks(Editor(QLatin1String(address_editor_names::kName)), QStringLiteral("John"));
  Click(Editor<QPushButton>(QLatin1String(address_editor_names::kOk)));
  EXPECT_EQ(messages_, QStringList{QStringLiteral("You need to supply a Surname!")});
  EXPECT_TRUE(editor.isVisible());
  EXPECT_EQ(files().ReadCount(Channel::kAddBook), 0);
  EXPECT_EQ(Editor<QLineEdit>(QLatin1String(address_editor_names::kName))->text(),
            QStringLiteral("John"));

  QTest::keyClicks(Editor(QLatin1String(address_editor_names::kSurname)), QStringLiteral("Smith"));
  QTest::keyClicks(Editor(QLatin1String(address_editor_names::kPhones[3])),
                   QStringLiteral("07700 900"));
  Editor<QDateEdit>(QLatin1String(address_editor_names::kBirthday))->setDate(QDate(1990, 8, 7));
  Click(Editor<QPushButton>(QLatin1String(address_editor_names::kOk)));
  EXPECT_FALSE(editor.isVisible());
  EXPECT_TRUE(EntryButtonsEnabled());
  ASSERT_EQ(StoredKeys(), QStringList{QStringLiteral("Smith, John")});
  const AddressEntry stored = ReadAddressEntry(files(), 0);
  EXPECT_EQ(stored.phones[3], QStringLiteral("07700 900"));
  EXPECT_EQ(stored.birthday_date, QStringLiteral("07/08/1990"));
  EXPECT_EQ(stored.birthday_flag, QStringLiteral("0"));
  EXPECT_EQ(Listed(), QStringList{QStringLiteral("Smith, John")});
  EXPECT_EQ(Shown(QLatin1String(address_book_names::kPhones[3])), QStringLiteral("07700 900"));
}

TEST_F(AddressBookWindowTest, AddingADuplicateKeepsTheEditorOpenWithTheTypedValues) {
  Store(QStringLiteral("John"), QStringLiteral("Smith"));
  const QByteArray before = BookBytes();
  Click(Book<QPushButton>(QLatin1String(address_book_names::kAddEntry)));
  QTest::keyClicks(Editor(QLatin1String(address_editor_names::kName)), QStringLiteral("John"));
  QTest::keyClicks(Editor(QLatin1String(address_editor_names::kSurname)), QStringLiteral("Smith"));
  QTest::keyClicks(Editor(QLatin1String(address_editor_names::kEmail)),
                   QStringLiteral("new@example.org"));
  Click(Editor<QPushButton>(QLatin1String(address_editor_names::kOk)));
  EXPECT_EQ(messages_, QStringList{QStringLiteral("Entry Already Exists!")});
  EXPECT_EQ(BookBytes(), before);
  EXPECT_TRUE(app_->AddressEditor().isVisible());
  EXPECT_EQ(Editor<QLineEdit>(QLatin1String(address_editor_names::kEmail))->text(),
            QStringLiteral("new@example.org"));
  EXPECT_FALSE(EntryButtonsEnabled());

  // A different first name is a different entry.
  QTest::keyClicks(Editor(QLatin1String(address_editor_names::kName)), QStringLiteral("ny"));
  Click(Editor<QPushButton>(QLatin1String(address_editor_names::kOk)));
  EXPECT_EQ(StoredKeys(),
            (QStringList{QStringLiteral("Smith, John"), QStringLiteral("Smith, Johnny")}));
  EXPECT_TRUE(EntryButtonsEnabled());

  // Cancel after Add stores nothing.
  Click(Book<QPushButton>(QLatin1String(address_book_names::kAddEntry)));
  QTest::keyClicks(Editor(QLatin1String(address_editor_names::kSurname)), QStringLiteral("Other"));
  const QByteArray two = BookBytes();
  Click(Editor<QPushButton>(QLatin1String(address_editor_names::kCancel)));
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

  Click(Book<QPushButton>(QLatin1String(address_book_names::kEditEntry)));
  AddressEditorWindow& editor = app_->AddressEditor();
  EXPECT_TRUE(editor.isVisible());
  EXPECT_EQ(editor.windowTitle(), QStringLiteral("Edit Address Book Entry"));
  EXPECT_TRUE(app_->EditMode());
  EXPECT_FALSE(EntryButtonsEnabled());
  EXPECT_EQ(BookBytes(), before);  // still stored while the editor is open
  EXPECT_EQ(Editor<QLineEdit>(QLatin1String(address_editor_names::kName))->text(),
            QStringLiteral("John"));
  EXPECT_EQ(Editor<QLineEdit>(QLatin1String(address_editor_names::kSurname))->text(),
            QStringLiteral("Smith"));
  EXPECT_EQ(Editor<QPlainTextEdit>(QLatin1String(address_editor_names::kNotes))->toPlainText(),
            QStringLiteral("line 1\nline 2"));
  EXPECT_EQ(Editor<QLineEdit>(QLatin1String(address_editor_names::kPhones[0]))->text(),
            QStringLiteral("222"));
  EXPECT_EQ(Editor<QDateEdit>(QLatin1String(address_editor_names::kBirthday))->date(),
            QDate(2001, 7, 25));
  EXPECT_TRUE(Editor<QCheckBox>(QLatin1String(address_editor_names::kBirthdayFlag))->isChecked());

  const AddressEntry original = ReadAddressEntry(files(), 0);
  Click(Editor<QPushButton>(QLatin1String(address_editor_names::kOk)));
  EXPECT_TRUE(messages_.isEmpty());
  EXPECT_FALSE(editor.isVisible());
  EXPECT_TRUE(EntryButtonsEnabled());
  EXPECT_EQ(StoredKeys(),
            (QStringList{QStringLiteral("Sutton, Anne"), QStringLiteral("Smith, John")}));
  EXPECT_EQ(ReadAddressEntry(files(), 1).Fields(), original.Fields());
  EXPECT_EQ(Selected(), QStringLiteral("Smith, John"));
}

TEST_F(AddressBookWindowTest, AnEditThatClashesKeepsBothEntriesAndTheEditorOpen) {
  Store(QStringLiteral("John"), QStringLiteral("Smith"));
  Store(QStringLiteral("Anne"), QStringLiteral("Sutton"));
  ClickGroup(QStringLiteral("S"));
  const QByteArray before = BookBytes();
  Click(Book<QPushButton>(QLatin1String(address_book_names::kEditEntry)));

  auto* name = Editor<QLineEdit>(QLatin1String(address_editor_names::kName));
  auto* surname = Editor<QLineEdit>(QLatin1String(address_editor_names::kSurname));
  name->clear();
  surname->clear();
  QTest::keyClicks(name, QStringLiteral("Anne"));
  QTest::keyClicks(surname, QStringLiteral("Sutton"));
  Click(Editor<QPushButton>(QLatin1String(address_editor_names::kOk)));
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
  Click(Editor<QPushButton>(QLatin1String(address_editor_names::kOk)));
  EXPECT_EQ(StoredKeys(),
            (QStringList{QStringLiteral("Sutton, Anne"), QStringLiteral("Smith, Jack")}));
  EXPECT_EQ(Listed(), (QStringList{QStringLiteral("Smith, Jack"), QStringLiteral("Sutton, Anne")}));
}

TEST_F(AddressBookWindowTest, ClosingOrCancellingTheEditorDuringAnEditLosesNothing) {
  Store(QStringLiteral("John"), QStringLiteral("Smith"));
  Store(QStringLiteral("Anne"), QStringLiteral("Sutton"));
  ClickGroup(QStringLiteral("S"));
  const QByteArray before = BookBytes();
  AddressEditorWindow& editor = app_->AddressEditor();

  Click(Book<QPushButton>(QLatin1String(address_book_names::kEditEntry)));
  QTest::keyClicks(Editor(QLatin1String(address_editor_names::kName)), QStringLiteral("xx"));
  EXPECT_TRUE(editor.close());
  EXPECT_FALSE(editor.isVisible());
  EXPECT_TRUE(EntryButtonsEnabled());
  EXPECT_EQ(BookBytes(), before);

  Click(Book<QPushButton>(QLatin1String(address_book_names::kEditEntry)));
  auto* cancel = Editor<QPushButton>(QLatin1String(address_editor_names::kCancel));
  EXPECT_TRUE(cancel->isVisible());
  Click(cancel);
  EXPECT_FALSE(editor.isVisible());
  EXPECT_TRUE(EntryButtonsEnabled());
  EXPECT_EQ(BookBytes(), before);

  // The next Add starts empty again.
  Click(Book<QPushButton>(QLatin1String(address_book_names::kAddEntry)));
  EXPECT_EQ(editor.windowTitle(), QStringLiteral("Add Address Book Entry"));
  EXPECT_TRUE(Editor<QLineEdit>(QLatin1String(address_editor_names::kName))->text().isEmpty());
  EXPECT_TRUE(
      Editor<QPlainTextEdit>(QLatin1String(address_editor_names::kNotes))->toPlainText().isEmpty());
}

TEST_F(AddressBookWindowTest, EditorLimitsAndTabOrder) {
  AddressEditorWindow& editor = app_->AddressEditor();
  editor.PrepareAdd(QDate(2026, 1, 7));
  editor.show();
  const std::pair<const char*, int> limits[] = {
      {address_editor_names::kName, 20},      {address_editor_names::kSurname, 20},
      {address_editor_names::kEmail, 30},     {address_editor_names::kHomePage, 30},
      {address_editor_names::kPhones[0], 20}, {address_editor_names::kPhones[5], 20}};
  for (const auto& [name, limit] : limits) {
    EXPECT_EQ(Editor<QLineEdit>(QLatin1String(name))->maxLength(), limit) << name;
  }

  // The multi-line boxes hold 100 characters, a line break counting two.
  auto* address = Editor<QPlainTextEdit>(QLatin1String(address_editor_names::kAddress));
  address->setFocus();
  QTest::keyClicks(address, QString(97, QLatin1Char('a')));
  QTest::keyClick(address, Qt::Key_Return);
  EXPECT_EQ(address->toPlainText().size(), 98);
  QTest::keyClick(address, Qt::Key_Return);  // would make 101
  QTest::keyClicks(address, QStringLiteral("bcd"));
  EXPECT_EQ(address->toPlainText(), QString(97, QLatin1Char('a')) + QStringLiteral("\nb"));
  EXPECT_EQ(editor.TypedEntry().address, QString(97, QLatin1Char('a')) + QStringLiteral("\r\nb"));

  // A paste keeps what fits.
  auto* notes = Editor<QPlainTextEdit>(QLatin1String(address_editor_names::kNotes));
  QApplication::clipboard()->setText(QStringLiteral("x\r\n") + QString(120, QLatin1Char('y')));
  notes->setFocus();
  notes->paste();
  EXPECT_EQ(editor.TypedEntry().notes, QStringLiteral("x\r\n") + QString(97, QLatin1Char('y')));

  const QStringList order = {QLatin1String(address_editor_names::kName),
                             QLatin1String(address_editor_names::kSurname),
                             QLatin1String(address_editor_names::kAddress),
                             QLatin1String(address_editor_names::kBirthdayFlag),
                             QLatin1String(address_editor_names::kBirthday),
                             QLatin1String(address_editor_names::kEmail),
                             QLatin1String(address_editor_names::kHomePage),
                             QLatin1String(address_editor_names::kNotes),
                             QLatin1String(address_editor_names::kPhones[0]),
                             QLatin1String(address_editor_names::kPhones[1]),
                             QLatin1String(address_editor_names::kPhones[2]),
                             QLatin1String(address_editor_names::kPhones[3]),
                             QLatin1String(address_editor_names::kPhones[4]),
                             QLatin1String(address_editor_names::kPhones[5]),
                             QLatin1String(address_editor_names::kOk),
                             QLatin1String(address_editor_names::kCancel)};
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
  Click(Book<QPushButton>(QLatin1String(address_book_names::kAddEntry)));
  EXPECT_EQ(Editor<QDateEdit>(QLatin1String(address_editor_names::kBirthday))->date(),
            QDate(2026, 1, 7));
  QTest::keyClicks(Editor(QLatin1String(address_editor_names::kSurname)), QStringLiteral("Smith"));
  Editor<QDateEdit>(QLatin1String(address_editor_names::kBirthday))->setDate(QDate(1980, 1, 15));
  Editor<QCheckBox>(QLatin1String(address_editor_names::kBirthdayFlag))->setChecked(true);
  Click(Editor<QPushButton>(QLatin1String(address_editor_names::kOk)));
  EXPECT_TRUE(calendar.HasBirthdayMark(the_15th));

  // Untick the birthday in an edit, tick it again in another.
  Click(Book<QPushButton>(QLatin1String(address_book_names::kEditEntry)));
  Editor<QCheckBox>(QLatin1String(address_editor_names::kBirthdayFlag))->setChecked(false);
  Click(Editor<QPushButton>(QLatin1String(address_editor_names::kOk)));
  EXPECT_FALSE(calendar.HasBirthdayMark(the_15th));
  Click(Book<QPushButton>(QLatin1String(address_book_names::kEditEntry)));
  Editor<QCheckBox>(QLatin1String(address_editor_names::kBirthdayFlag))->setChecked(true);
  Click(Editor<QPushButton>(QLatin1String(address_editor_names::kOk)));
  EXPECT_TRUE(calendar.HasBirthdayMark(the_15th));

  Click(Book<QPushButton>(QLatin1String(address_book_names::kDeleteEntry)));
  EXPECT_EQ(files().ReadCount(Channel::kAddBook), 0);
  EXPECT_FALSE(calendar.HasBirthdayMark(the_15th));
}

TEST_F(AddressBookWindowTest, DeleteTakesOneRowOutUnlessTheFileChangedUnderneath) {
  Store(QStringLiteral("Ann"), QStringLiteral("Smith"));
  Store(QStringLiteral("Bob"), QStringLiteral("Smith"));
  Store(QStringLiteral("Cy"), QStringLiteral("Smith"));
  ClickGroup(QStringLiteral("S"));
  auto* combo = Book<QComboBox>(QLatin1String(address_book_names::kNames));
  combo->setCurrentIndex(1);
  QSignalSpy removed(combo->model(), &QAbstractItemModel::rowsRemoved);
  QSignalSpy reset(combo->model(), &QAbstractItemModel::modelReset);
  Click(Book<QPushButton>(QLatin1String(address_book_names::kDeleteEntry)));
  EXPECT_EQ(removed.count(), 1);
  EXPECT_EQ(reset.count(), 0);
  EXPECT_EQ(Listed(), (QStringList{QStringLiteral("Smith, Ann"), QStringLiteral("Smith, Cy")}));
  EXPECT_EQ(Selected(), QStringLiteral("Smith, Ann"));

  // Another program adds an entry meanwhile: the list shows what the file
  // holds after the delete.
  Store(QStringLiteral("Dee"), QStringLiteral("Smith"));
  Click(Book<QPushButton>(QLatin1String(address_book_names::kDeleteEntry)));
  EXPECT_EQ(reset.count(), 1);
  EXPECT_EQ(Listed(), (QStringList{QStringLiteral("Smith, Cy"), QStringLiteral("Smith, Dee")}));
  EXPECT_EQ(StoredKeys(), (QStringList{QStringLiteral("Smith, Cy"), QStringLiteral("Smith, Dee")}));
  EXPECT_EQ(Selected(), QStringLiteral("Smith, Cy"));
  EXPECT_EQ(combo->accessibleName(), QStringLiteral("Name"));
}

}  // namespace
}  // namespace quorvel::testing
