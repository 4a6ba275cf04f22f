#include "items/address_file.h"
#include "test_support.h"

namespace quorvel::testing {
namespace {

using store::Channel;

// One text record as it lies on disk: 2-byte length, the bytes, zeros.
QByteArray TextRecord(const QByteArray& text) {
  QByteArray bytes;
  bytes.append(char(text.size() & 0xff)).append(char(text.size() >> 8)).append(text);
  return bytes + QByteArray(128 - bytes.size(), '\0');
}

QByteArray CountRecordBytes(int count) {
  return QByteArray::fromHex("0200") + char(count & 0xff) + char(count >> 8) +
         QByteArray(124, '\0');
}

AddressEntry Entry(const QString& name, const QString& surname, const QString& tag = {}) {
  AddressEntry entry;
  entry.name = name;
  entry.surname = surname;
  entry.address = QStringLiteral("1 High Street\r\nLeeds") + tag;
  entry.phones = {QStringLiteral("0113 1") + tag, QStringLiteral("B1") + tag,
                  QStringLiteral("B2") + tag,     QStringLiteral("07700") + tag,
                  QStringLiteral("F") + tag,      QStringLiteral("O") + tag};
  entry.birthday_date = QStringLiteral("05/03/1975");
  entry.birthday_flag = QStringLiteral("1");
  entry.email = QStringLiteral("e@x") + tag;
  entry.home_page = QStringLiteral("www") + tag;
  entry.notes = QStringLiteral("n") + tag;
  return entry;
}

class AddressFileTest : public AppFixture {
 protected:
  QString BookPath() const { return Path(QStringLiteral("AddBook.dat")); }
  QByteArray Book() const { return FileBytes(BookPath()); }
  QByteArray Rec(int record) const { return RecordBytes(BookPath(), 128, record); }
  // The fifteen records of entry `item` as bytes.
  QByteArray Group(int item) const {
    QByteArray bytes;
    for (int f = 1; f <= 15; ++f) bytes += Rec(16 * item + f);
    return bytes;
  }
  QByteArray GroupOf(const AddressEntry& entry) const {
    QByteArray bytes;
    for (const QString& field : entry.Fields()) bytes += TextRecord(field.toLatin1());
    return bytes;
  }
  void Add(const AddressEntry& entry) { ASSERT_TRUE(AddAddressEntry(files(), entry).stored()); }

  const AddressEntry a = Entry(QStringLiteral("A"), QStringLiteral("Able"), "a");
  const AddressEntry b = Entry(QStringLiteral("B"), QStringLiteral("Baker"), "b");
  const AddressEntry c = Entry(QStringLiteral("C"), QStringLiteral("Cole"), "c");
};

TEST_F(AddressFileTest, JohnSmithIntoAnEmptyFileWritesFifteenFieldsThenTheCount) {
  AddressEntry entry;
  entry.name = QStringLiteral("John");
  entry.surname = QStringLiteral("Smith");
  entry.address = QStringLiteral("1 High St\r\nYork");
  entry.phones = {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
                  QStringLiteral("4"), QStringLiteral("5"), QStringLiteral("6")};
  entry.birthday_date = BirthdayText(QDate(1980, 12, 1));
  entry.birthday_flag = QStringLiteral("1");
  entry.email = QStringLiteral("john@example.org");
  entry.home_page = QStringLiteral("example.org");
  entry.notes = QStringLiteral("friend");
  Add(entry);

  const char* expected[15] = {"Smith, John",
                              "John",
                              "Smith",
                              "1 High St\r\nYork",
                              "1",
                              "2",
                              "3",
                              "4",
                              "5",
                              "6",
                              "01/12/1980",
                              "1",
                              "john@example.org",
                              "example.org",
                              "friend"};
  for (int r = 1; r <= 15; ++r) EXPECT_EQ(Rec(r), TextRecord(expected[r - 1])) << "record " << r;
  EXPECT_EQ(Rec(16).left(4), QByteArray::fromHex("02000100"));
  EXPECT_EQ(Book().size(), 16 * 128);
  EXPECT_TRUE(messages_.isEmpty());
}

TEST_F(AddressFileTest, KeysAreExactAndDuplicatesAreRefusedWithNothingWritten) {
  Add(Entry(QStringLiteral("John"), QStringLiteral("Smith")));
  const QByteArray before = Book();

  const store::Outcome again =
      AddAddressEntry(files(), Entry(QStringLiteral("John"), QStringLiteral("Smith"), "x"));
  ASSERT_TRUE(again.refused());
  EXPECT_EQ(again.reason(), QStringLiteral("Entry Already Exists!"));
  EXPECT_EQ(Book(), before);

  // Keys are compared case-sensitively.
  Add(Entry(QStringLiteral("john"), QStringLiteral("Smith")));
  EXPECT_EQ(Rec(17), TextRecord("Smith, john"));
  EXPECT_EQ(files().ReadCount(Channel::kAddBook), 2);

  // Without a first name the key ends in the comma and the space.
  Add(Entry(QString(), QStringLiteral("Smith")));
  EXPECT_EQ(Rec(33), TextRecord("Smith, "));
  EXPECT_EQ(Rec(34), TextRecord(""));
  const QByteArray with_three = Book();
  EXPECT_TRUE(AddAddressEntry(files(), Entry(QString(), QStringLiteral("Smith"), "y")).refused());
  EXPECT_EQ(Book(), with_three);
}

TEST_F(AddressFileTest, BirthdayTextIsDayMonthYearAndStoredWhateverTheFlag) {
  EXPECT_EQ(BirthdayText(QDate(1980, 12, 1)), QStringLiteral("01/12/1980"));
  EXPECT_EQ(BirthdayText(QDate(2001, 7, 25)), QStringLiteral("25/07/2001"));
  EXPECT_EQ(ParseBirthdayText(QStringLiteral("25/07/2001")), QDate(2001, 7, 25));
  EXPECT_FALSE(ParseBirthdayText(QStringLiteral("")).isValid());
  EXPECT_FALSE(ParseBirthdayText(QStringLiteral("31/02/2001")).isValid());
  EXPECT_TRUE(BirthdayFlagSet(QStringLiteral("1")));
  EXPECT_FALSE(BirthdayFlagSet(QStringLiteral("0")));
  EXPECT_FALSE(BirthdayFlagSet(QStringLiteral("")));

  AddressEntry entry = Entry(QStringLiteral("Ann"), QStringLiteral("Lee"));
  entry.birthday_date = BirthdayText(QDate(2001, 7, 25));
  entry.birthday_flag = QStringLiteral("0");
  Add(entry);
  EXPECT_EQ(Rec(11), TextRecord("25/07/2001"));
  EXPECT_EQ(Rec(12), TextRecord("0"));
}

TEST_F(AddressFileTest, DeletingTheFirstOfThreeMovesTheOthersDownAndBlanksTheLastGroup) {
  Add(a);
  Add(b);
  Add(c);
  const qint64 size = Book().size();

  ASSERT_TRUE(DeleteAddressEntry(files(), a.Key()).stored());
  EXPECT_EQ(Group(0), GroupOf(b));
  EXPECT_EQ(Group(1), GroupOf(c));
  EXPECT_EQ(Group(2), QByteArray(15 * 128, '\0'));  // fifteen empty texts
  EXPECT_EQ(Rec(16), CountRecordBytes(2));
  EXPECT_EQ(Book().size(), size);  // the file never shrinks
}

TEST_F(AddressFileTest, DeletingTheOnlyEntryLeavesEmptyTextsAndCountZero) {
  Add(Entry(QStringLiteral("John"), QStringLiteral("Smith")));
  ASSERT_TRUE(DeleteAddressEntry(files(), QStringLiteral("Smith, John")).stored());
  EXPECT_EQ(Group(0), QByteArray(15 * 128, '\0'));
  EXPECT_EQ(Rec(16), CountRecordBytes(0));
}

TEST_F(AddressFileTest, DeletingAnEmptyOrUnknownKeyChangesNothing) {
  Add(Entry(QStringLiteral("John"), QStringLiteral("Smith")));
  Add(Entry(QStringLiteral("Ann"), QStringLiteral("Sutton")));
  const QByteArray before = Book();
  EXPECT_TRUE(DeleteAddressEntry(files(), QString()).stored());
  EXPECT_TRUE(DeleteAddressEntry(files(), QStringLiteral("smith, John")).stored());
  EXPECT_TRUE(DeleteAddressEntry(files(), QStringLiteral("Smith, John ")).stored());
  EXPECT_EQ(Book(), before);
}

TEST_F(AddressFileTest, ReplacingMovesTheEntryToTheEndInOneStep) {
  Add(a);
  Add(b);
  Add(c);

  // Unchanged: same values, now last.
  ASSERT_TRUE(ReplaceAddressEntry(files(), a.Key(), a).stored());
  EXPECT_EQ(Group(0), GroupOf(b));
  EXPECT_EQ(Group(1), GroupOf(c));
  EXPECT_EQ(Group(2), GroupOf(a));
  EXPECT_EQ(Rec(16), CountRecordBytes(3));

  // Renamed to a key no other entry has.
  AddressEntry renamed = b;
  renamed.name = QStringLiteral("Bea");
  ASSERT_TRUE(ReplaceAddressEntry(files(), b.Key(), renamed).stored());
  EXPECT_EQ(Group(0), GroupOf(c));
  EXPECT_EQ(Group(1), GroupOf(a));
  EXPECT_EQ(Group(2), GroupOf(renamed));
  EXPECT_EQ(Rec(16), CountRecordBytes(3));
}

TEST_F(AddressFileTest, ReplacingWithAnotherEntrysKeyIsRefusedAndBothStay) {
  Add(a);
  Add(b);
  const QByteArray before = Book();
  AddressEntry clash = a;
  clash.name = b.name;
  clash.surname = b.surname;
  const store::Outcome outcome = ReplaceAddressEntry(files(), a.Key(), clash);
  ASSERT_TRUE(outcome.refused());
  EXPECT_EQ(outcome.reason(), QStringLiteral("Entry Already Exists!"));
  EXPECT_EQ(Book(), before);

  // An entry gone from the file meanwhile is stored again rather than lost.
  ASSERT_TRUE(DeleteAddressEntry(files(), a.Key()).stored());
  ASSERT_TRUE(ReplaceAddressEntry(files(), a.Key(), a).stored());
  EXPECT_EQ(Group(1), GroupOf(a));
  EXPECT_EQ(Rec(16), CountRecordBytes(2));
}

TEST_F(AddressFileTest, AFullFileRefusesAnotherEntryButStillAllowsChanges) {
  {
    store::Operation op(files());
    op.WriteText(Channel::kAddBook, store::FieldRecord(Channel::kAddBook, 2047, 1),
                 QStringLiteral("Last, One"));
    op.WriteCount(Channel::kAddBook, 2048);
    ASSERT_TRUE(op.Commit().stored());
  }
  const QByteArray before = Book();
  const store::Outcome outcome =
      AddAddressEntry(files(), Entry(QStringLiteral("New"), QStringLiteral("Person")));
  ASSERT_TRUE(outcome.refused());
  EXPECT_TRUE(outcome.reason().contains(QStringLiteral("2048")));
  EXPECT_EQ(Book(), before);

  AddressEntry last = Entry(QStringLiteral("One"), QStringLiteral("Last"));
  ASSERT_TRUE(ReplaceAddressEntry(files(), QStringLiteral("Last, One"), last).stored());
  EXPECT_EQ(files().ReadCount(Channel::kAddBook), 2048);
  EXPECT_EQ(ReadAddressKey(files(), 2047), QStringLiteral("Last, One"));
  EXPECT_EQ(ReadAddressEntry(files(), 2047).notes, last.notes);
}

TEST_F(AddressFileTest, AFieldTheFileCannotHoldRefusesTheWholeEntry) {
  Add(Entry(QStringLiteral("John"), QStringLiteral("Smith")));
  const QByteArray before = Book();
  AddressEntry entry = Entry(QStringLiteral("Ann"), QStringLiteral("Lee"));
  entry.notes = QStringLiteral("\u03a9 omega");
  const store::Outcome outcome = AddAddressEntry(files(), entry);
  ASSERT_TRUE(outcome.refused());
  EXPECT_FALSE(outcome.reason().isEmpty());
  EXPECT_EQ(Book(), before);
  EXPECT_TRUE(ReplaceAddressEntry(files(), QStringLiteral("Smith, John"), entry).refused());
  EXPECT_EQ(Book(), before);
}

}  // namespace
}  // namespace quorvel::testing
