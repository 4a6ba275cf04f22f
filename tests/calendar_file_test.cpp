#include "items/appointment_file.h"
#include "test_support.h"

namespace quorvel::testing {
namespace {

using store::Channel;

// A text record as stored: 2-byte length, the bytes, zeros to 128.
QByteArray TextRecord(const QByteArray& text) {
  QByteArray bytes;
  bytes.append(char(text.size() & 0xff));
  bytes.append(char(text.size() >> 8));
  bytes.append(text);
  return bytes + QByteArray(128 - bytes.size(), '\0');
}
QByteArray IntegerRecord(quint16 value) {
  QByteArray bytes;
  bytes.append(char(value & 0xff));
  bytes.append(char(value >> 8));
  return bytes + QByteArray(126, '\0');
}
QByteArray CountRecord(int count) {
  return QByteArray::fromHex("0200") + IntegerRecord(quint16(count)).left(126);
}
const QByteArray kEmptyRecord(128, '\0');

class AppointmentFileTest : public SeamsFixture {
 protected:
  void SetUp() override {
    SeamsFixture::SetUp();
    files_.SetDataDir(dir_.path());
    files_.OpenDataFiles();
  }
  QByteArray Rec(int record) { return RecordBytes(Path("Appoint.dat"), 128, record); }
  QByteArray File() { return FileBytes(Path("Appoint.dat")); }

  static Appointment Make(const QString& id, const QString& subject = QStringLiteral("Meeting"),
                          const QString& start = QStringLiteral("09:00"),
                          const QString& end = QStringLiteral("09:30"), bool reminder = true) {
    return Appointment{
        id, subject, start, end, reminder, QStringLiteral("15"), QStringLiteral("Room 4")};
  }
  void Add(const Appointment& a) { ASSERT_TRUE(AddAppointment(files_, a).stored()); }
  QString Id(int k) { return files_.ReadText(Channel::kAppoint, 8 * k + 1); }

  void AddBirthday(const QString& key, const QString& born, const QString& flag) {
    SeedBirthday(files_, key, born, flag);
  }

  store::DataFiles files_;
};

TEST_F(AppointmentFileTest, AddWritesSevenRecordsAndTheCountAfterTheLastGroup) {
  Add(Make(QStringLiteral("20260107-1"), QString()));
  EXPECT_EQ(Rec(1), TextRecord("20260107-1"));
  EXPECT_EQ(Rec(2), TextRecord(""));
  EXPECT_EQ(Rec(3), TextRecord("09:00"));
  EXPECT_EQ(Rec(4), TextRecord("09:30"));
  EXPECT_EQ(Rec(5), IntegerRecord(0xffff));
  EXPECT_EQ(Rec(6), TextRecord("15"));
  EXPECT_EQ(Rec(7), TextRecord("Room 4"));
  EXPECT_EQ(Rec(8), CountRecord(1));
  EXPECT_EQ(Rec(8).left(4), QByteArray::fromHex("02000100"));

  Add(Make(QStringLiteral("20260107-2"), QStringLiteral("Lunch"), QStringLiteral("12:00"),
           QStringLiteral("13:00"), false));
  EXPECT_EQ(Rec(9), TextRecord("20260107-2"));
  EXPECT_EQ(Rec(10), TextRecord("Lunch"));
  EXPECT_EQ(Rec(13), IntegerRecord(0));
  EXPECT_EQ(Rec(8), CountRecord(2));
  // Record 16 is never written: the file ends with group 2's description.
  EXPECT_EQ(File().size(), 15 * 128);
  EXPECT_EQ(Rec(1), TextRecord("20260107-1"));
}

TEST_F(AppointmentFileTest, UpdateRewritesFieldsTwoToSevenAndKeepsTheId) {
  Add(Make(QStringLiteral("20260107-1")));
  Add(Make(QStringLiteral("20260108-1")));
  const QByteArray second = File().mid(8 * 128);
  Appointment changed{QStringLiteral("20260107-1"),
                      QStringLiteral("Dentist"),
                      QStringLiteral("14:00"),
                      QStringLiteral("15:00"),
                      false,
                      QStringLiteral("30"),
                      QStringLiteral("a\r\nb")};
  ASSERT_TRUE(UpdateAppointment(files_, changed).stored());
  EXPECT_EQ(Rec(1), TextRecord("20260107-1"));
  EXPECT_EQ(Rec(2), TextRecord("Dentist"));
  EXPECT_EQ(Rec(3), TextRecord("14:00"));
  EXPECT_EQ(Rec(4), TextRecord("15:00"));
  EXPECT_EQ(Rec(5), IntegerRecord(0));
  EXPECT_EQ(Rec(6), TextRecord("30"));
  EXPECT_EQ(Rec(7), TextRecord("a\r\nb"));
  EXPECT_EQ(File().mid(8 * 128), second);
}

TEST_F(AppointmentFileTest, DeleteClosesTheGapAndRenumbersOnlyTheSameDate) {
  Add(Make(QStringLiteral("20260107-1"), QStringLiteral("A1")));
  Add(Make(QStringLiteral("20260108-1"), QStringLiteral("B1"), QStringLiteral("10:00"),
           QStringLiteral("11:00"), false));
  Add(Make(QStringLiteral("20260107-2"), QStringLiteral("A2")));
  Add(Make(QStringLiteral("20260107-3"), QStringLiteral("A3"), QStringLiteral("16:00"),
           QStringLiteral("17:00"), false));
  const QByteArray first_two = File().left(8 * 128 * 2);

  ASSERT_TRUE(DeleteAppointment(files_, QStringLiteral("20260107-2")).stored());
  // Groups 1 and 2 stay as they were (apart from the count in record 8).
  EXPECT_EQ(File().left(7 * 128), first_two.left(7 * 128));
  EXPECT_EQ(File().mid(8 * 128, 8 * 128), first_two.mid(8 * 128));
  EXPECT_EQ(Rec(8), CountRecord(3));
  // The former A3 moved down into group 3 and became A-2.
  EXPECT_EQ(Rec(17), TextRecord("20260107-2"));
  EXPECT_EQ(Rec(18), TextRecord("A3"));
  EXPECT_EQ(Rec(19), TextRecord("16:00"));
  EXPECT_EQ(Rec(20), TextRecord("17:00"));
  EXPECT_EQ(Rec(21), IntegerRecord(0));
  EXPECT_EQ(Rec(22), TextRecord("15"));
  EXPECT_EQ(Rec(23), TextRecord("Room 4"));
  for (int r = 25; r <= 31; ++r) EXPECT_EQ(Rec(r), kEmptyRecord) << r;
  EXPECT_EQ(Id(1), QStringLiteral("20260108-1"));
  EXPECT_EQ(File().size(), 31 * 128);
}

TEST_F(AppointmentFileTest, TwoDigitOrdinalsAreRenumberedAsNumbers) {
  for (int i = 1; i <= 11; ++i) Add(Make(QStringLiteral("20260107-%1").arg(i)));
  ASSERT_TRUE(DeleteAppointment(files_, QStringLiteral("20260107-9")).stored());
  EXPECT_EQ(files_.ReadCount(Channel::kAppoint), 10);
  for (int k = 0; k < 10; ++k) EXPECT_EQ(Id(k), QStringLiteral("20260107-%1").arg(k + 1));
  EXPECT_EQ(Rec(73), TextRecord("20260107-10"));
  EXPECT_EQ(Rec(81), kEmptyRecord);
  EXPECT_EQ(Rec(65), TextRecord("20260107-9"));

  // Ordinal 1 of 10: every later one moves down, "10" becomes "9".
  ASSERT_TRUE(DeleteAppointment(files_, QStringLiteral("20260107-1")).stored());
  for (int k = 0; k < 9; ++k) EXPECT_EQ(Id(k), QStringLiteral("20260107-%1").arg(k + 1));
}

TEST_F(AppointmentFileTest, DeletingTheOnlyOrTheLastAppointment) {
  Add(Make(QStringLiteral("20260107-1")));
  ASSERT_TRUE(DeleteAppointment(files_, QStringLiteral("20260107-1")).stored());
  for (int r = 1; r <= 7; ++r) EXPECT_EQ(Rec(r), kEmptyRecord) << r;
  EXPECT_EQ(Rec(8), CountRecord(0));

  Add(Make(QStringLiteral("20260107-1")));
  Add(Make(QStringLiteral("20260109-1")));
  const QByteArray before = File().left(7 * 128);
  ASSERT_TRUE(DeleteAppointment(files_, QStringLiteral("20260109-1")).stored());
  EXPECT_EQ(File().left(7 * 128), before);
  for (int r = 9; r <= 15; ++r) EXPECT_EQ(Rec(r), kEmptyRecord) << r;
  EXPECT_EQ(Rec(8), CountRecord(1));
}

TEST_F(AppointmentFileTest, AnIdThatIsNotStoredChangesNothing) {
  Add(Make(QStringLiteral("20260107-1")));
  QByteArray before = File();
  EXPECT_TRUE(DeleteAppointment(files_, QStringLiteral("20260107-2")).refused());
  EXPECT_EQ(File(), before);
  Add(Make(QStringLiteral("20260107-2")));
  before = File();
  EXPECT_TRUE(DeleteAppointment(files_, QStringLiteral("20260107-3")).refused());
  EXPECT_TRUE(DeleteAppointment(files_, QStringLiteral("20260107")).refused());
  EXPECT_TRUE(UpdateAppointment(files_, Make(QStringLiteral("20260107-9"))).refused());
  EXPECT_EQ(File(), before);
}

TEST_F(AppointmentFileTest, RefusalsWriteNothing) {
  Add(Make(QStringLiteral("20260107-1")));
  const QByteArray before = File();

  Appointment long_note = Make(QStringLiteral("20260107-2"));
  long_note.description = QString(1001, QLatin1Char('x'));
  store::Outcome out = AddAppointment(files_, long_note);
  ASSERT_TRUE(out.refused());
  EXPECT_EQ(out.reason(), QStringLiteral("The size of the Note must not exceed 1000 characters"));
  long_note.id = QStringLiteral("20260107-1");
  out = UpdateAppointment(files_, long_note);
  EXPECT_EQ(out.reason(), QStringLiteral("The size of the Note must not exceed 1000 characters"));

  // A field too long for its record refuses the whole add.
  Appointment long_time = Make(QStringLiteral("20260107-2"));
  long_time.minutes = QString(127, QLatin1Char('1'));
  EXPECT_TRUE(AddAppointment(files_, long_time).refused());
  EXPECT_EQ(File(), before);

  {
    store::Operation op(files_);
    op.WriteCount(Channel::kAppoint, 4096);
    ASSERT_TRUE(op.Commit().stored());
  }
  const QByteArray full = File();
  out = AddAppointment(files_, Make(QStringLiteral("20260107-2")));
  ASSERT_TRUE(out.refused());
  EXPECT_EQ(out.reason(), QString::fromLatin1(kAppointmentFileFull));
  EXPECT_EQ(File(), full);
}

TEST_F(AppointmentFileTest, IdsAndKeys) {
  EXPECT_EQ(DayKey(QDate(2026, 1, 7)), QStringLiteral("20260107"));
  EXPECT_EQ(BirthdayKey(QDate(2026, 3, 7)), QStringLiteral("07/03"));
  Add(Make(QStringLiteral("20260107-1")));
  Add(Make(QStringLiteral("20260108-1")));
  Add(Make(QStringLiteral("20260107-2")));
  EXPECT_EQ(NextAppointmentId(files_, QDate(2026, 1, 7)), QStringLiteral("20260107-3"));
  EXPECT_EQ(NextAppointmentId(files_, QDate(2026, 1, 9)), QStringLiteral("20260109-1"));
  EXPECT_TRUE(HasAppointmentOn(files_, QDate(2026, 1, 8)));
  EXPECT_FALSE(HasAppointmentOn(files_, QDate(2027, 1, 8)));
  EXPECT_EQ(LeadingNumber(QStringLiteral(" 15")), 15);
  EXPECT_EQ(LeadingNumber(QStringLiteral("abc")), 0);
  EXPECT_EQ(LeadingNumber(QStringLiteral("10x")), 10);
  EXPECT_EQ(store::TrimSpaces(QStringLiteral("  a b \n ")), QStringLiteral("a b \n"));
}

TEST_F(AppointmentFileTest, MonthMarksFollowAppointmentsAndFlaggedBirthdays) {
  Add(Make(QStringLiteral("20260603-1")));
  Add(Make(QStringLiteral("20260603-2")));
  Add(Make(QStringLiteral("20260630-1")));
  Add(Make(QStringLiteral("20260703-1")));
  AddBirthday(QStringLiteral("Smith, John"), QStringLiteral("25/12/1980"), QStringLiteral("1"));
  AddBirthday(QStringLiteral("Doe, Jane"), QStringLiteral("03/06/1990"), QStringLiteral("0"));
  AddBirthday(QStringLiteral("Leap, Lee"), QStringLiteral("29/02/2000"), QStringLiteral("1"));

  MonthMarks june = ComputeMonthMarks(files_, 2026, 6);
  EXPECT_EQ(june.appointment_days, (QSet<int>{3, 30}));
  EXPECT_TRUE(june.birthday_days.isEmpty());
  EXPECT_EQ(ComputeMonthMarks(files_, 2026, 12).birthday_days, QSet<int>{25});
  EXPECT_TRUE(ComputeMonthMarks(files_, 2027, 2).birthday_days.isEmpty());
  EXPECT_EQ(ComputeMonthMarks(files_, 2028, 2).birthday_days, QSet<int>{29});

  EXPECT_EQ(BirthdaysOn(files_, QDate(2026, 12, 25)),
            QStringList{QStringLiteral("Birthday - Smith, John ( 46 ) ")});
  EXPECT_TRUE(BirthdaysOn(files_, QDate(2026, 6, 3)).isEmpty());
  EXPECT_EQ(BirthdaysOn(files_, QDate(2028, 2, 29)),
            QStringList{QStringLiteral("Birthday - Leap, Lee ( 28 ) ")});
}

}  // namespace
}  // namespace quorvel::testing
