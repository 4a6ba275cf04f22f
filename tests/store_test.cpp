#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>

#include "store/data_files.h"
#include "store/text_codec.h"
#include "test_support.h"

namespace quorvel::testing {
namespace {

using store::Channel;
using store::DataFiles;
using store::Operation;
using store::Variant;

class StoreTest : public SeamsFixture {
 protected:
  void Open() {
    files_.SetDataDir(dir_.path());
    files_.OpenDataFiles();
  }
  QByteArray Bytes(const char* name) { return FileBytes(Path(name)); }

  DataFiles files_;
};

TEST_F(StoreTest, FirstOpenCreatesTheFourFilesWithTheirHeaders) {
  Open();
  const QByteArray appoint = Bytes("Appoint.dat");
  ASSERT_EQ(appoint.size(), 1024);
  EXPECT_EQ(appoint.left(896), QByteArray(896, '\0'));
  EXPECT_EQ(appoint.mid(896), QByteArray::fromHex("02000000") + QByteArray(124, '\0'));

  const QByteArray notes = Bytes("Notes.dat");
  ASSERT_EQ(notes.size(), 1500);
  EXPECT_EQ(notes.mid(1000), QByteArray::fromHex("02000000") + QByteArray(496, '\0'));
  EXPECT_EQ(notes.left(1000), QByteArray(1000, '\0'));

  const QByteArray book = Bytes("AddBook.dat");
  ASSERT_EQ(book.size(), 2048);
  EXPECT_EQ(book.mid(1920), QByteArray::fromHex("02000000") + QByteArray(124, '\0'));

  EXPECT_EQ(Bytes("PhotoF.dat"), QByteArray::fromHex("0400") + "none" + QByteArray(122, '\0'));
  EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files).size(), 4);
}

TEST_F(StoreTest, ReopeningAndRestartingLeaveEveryByteAsItWas) {
  Open();
  {
    Operation op(files_);
    op.WriteText(Channel::kAppoint, 1, QStringLiteral("20260107-1"));
    op.WriteCount(Channel::kAppoint, 1);
    op.WriteText(Channel::kPhotoF, 1, QStringLiteral("me.bmp"));
    ASSERT_TRUE(op.Commit().stored());
  }
  QByteArray before;
  for (const char* name : {"Appoint.dat", "Notes.dat", "AddBook.dat", "PhotoF.dat"}) {
    before += Bytes(name);
  }
  files_.OpenDataFiles();
  files_.OpenDataFiles();
  DataFiles restarted;
  restarted.SetDataDir(dir_.path());
  restarted.OpenDataFiles();
  QByteArray after;
  for (const char* name : {"Appoint.dat", "Notes.dat", "AddBook.dat", "PhotoF.dat"}) {
    after += Bytes(name);
  }
  EXPECT_EQ(after, before);
  EXPECT_EQ(restarted.ReadCount(Channel::kAppoint), 1);
  EXPECT_EQ(restarted.ReadText(Channel::kPhotoF, 1), QStringLiteral("me.bmp"));
}

TEST_F(StoreTest, ATruncatedFileHoldsNoItemsAndGetsCountZero) {
  Open();
  {
    Operation op(files_);
    op.WriteText(Channel::kNotes, 1, QStringLiteral("Note"));
    op.WriteCount(Channel::kNotes, 1);
    ASSERT_TRUE(op.Commit().stored());
  }
  files_.CloseDataFiles();
  ASSERT_TRUE(QFile::resize(Path("Notes.dat"), 0));
  ASSERT_TRUE(QFile::resize(Path("PhotoF.dat"), 0));
  files_.OpenDataFiles();
  EXPECT_EQ(files_.ReadCount(Channel::kNotes), 0);
  EXPECT_EQ(Bytes("Notes.dat").size(), 1500);
  EXPECT_EQ(Bytes("Notes.dat").mid(1000, 4), QByteArray::fromHex("02000000"));
  EXPECT_EQ(files_.ReadText(Channel::kPhotoF, 1), QStringLiteral("none"));
}

TEST_F(StoreTest, AFolderEndingInASeparatorGivesTheSameFiles) {
  EXPECT_EQ(store::JoinPath(QStringLiteral("/"), QStringLiteral("Notes.dat")),
            QStringLiteral("/Notes.dat"));
  EXPECT_EQ(store::JoinPath(QStringLiteral("/a/b"), QStringLiteral("Notes.dat")),
            QStringLiteral("/a/b/Notes.dat"));
  files_.SetDataDir(dir_.path() + QLatin1Char('/'));
  files_.OpenDataFiles();
  EXPECT_EQ(files_.PathOf(Channel::kNotes), dir_.filePath(QStringLiteral("Notes.dat")));
  EXPECT_EQ(Bytes("Notes.dat").size(), 1500);
}

TEST_F(StoreTest, NeverWrittenRecordsReadEmptyAndWritingPastTheEndExtends) {
  Open();
  EXPECT_EQ(files_.ReadText(Channel::kAppoint, 30), QString());
  EXPECT_EQ(files_.ReadInteger(Channel::kAppoint, 30), 0);
  EXPECT_FALSE(files_.ReadVariant(Channel::kAppoint, 30).has_value());
  {
    Operation op(files_);
    op.WriteInteger(Channel::kAppoint, 21, -1);
    ASSERT_TRUE(op.Commit().stored());
  }
  const QByteArray appoint = Bytes("Appoint.dat");
  ASSERT_EQ(appoint.size(), 21 * 128);
  EXPECT_EQ(appoint.mid(1024, 19 * 128 - 1024), QByteArray(19 * 128 - 1024, '\0'));
  EXPECT_EQ(appoint.mid(20 * 128), QByteArray::fromHex("ffff") + QByteArray(126, '\0'));
  EXPECT_EQ(files_.ReadInteger(Channel::kAppoint, 21), -1);
  EXPECT_EQ(files_.ReadText(Channel::kAppoint, 17), QString());
}

TEST_F(StoreTest, ABulkReadGivesTheSameRecordsAsOneByOneAndZerosPastTheEnd) {
  Open();
  {
    Operation op(files_);
    op.WriteText(Channel::kAppoint, 9, QStringLiteral("20260107-1 caf\u00e9"));
    op.WriteInteger(Channel::kAppoint, 14, -1);
    op.WriteCount(Channel::kAppoint, 2);
    ASSERT_TRUE(op.Commit().stored());
  }
  const int length = 128;
  // Runs inside, across and wholly past the end (the file has 15 records),
  // and runs reaching below record 1 or beyond the last record number.
  for (const auto& [first, count] :
       std::vector<std::pair<int, int>>{{1, 15}, {8, 3}, {14, 5}, {40, 2}, {-1, 4}, {32766, 3}}) {
    const QByteArray run = files_.ReadRecords(Channel::kAppoint, first, count);
    ASSERT_EQ(run.size(), count * length) << first;
    for (int i = 0; i < count; ++i) {
      const QByteArray one = files_.ReadRecord(Channel::kAppoint, first + i);
      EXPECT_EQ(run.mid(i * length, length), one) << first << "+" << i;
    }
  }
  const QByteArray run = files_.ReadRecords(Channel::kAppoint, 8, 7);
  EXPECT_EQ(store::DecodeVariantAt(run.constData(), length).value, 2);
  EXPECT_EQ(store::TextBytesAt(run.constData() + length, length), "20260107-1 caf\xe9");
  EXPECT_EQ(store::DecodeTextAt(run.constData() + length, length),
            QStringLiteral("20260107-1 caf\u00e9"));
  EXPECT_EQ(store::DecodeIntegerAt(run.constData() + 6 * length, length), -1);
  EXPECT_TRUE(files_.ReadRecords(Channel::kAppoint, 1, 0).isEmpty());
}

TEST_F(StoreTest, TextsThatFillTheirRecordFitAndOneByteMoreIsRefused) {
  Open();
  struct Case {
    Channel channel;
    const char* file;
    int capacity;
  };
  for (const Case& c :
       {Case{Channel::kAppoint, "Appoint.dat", 126}, Case{Channel::kNotes, "Notes.dat", 498},
        Case{Channel::kAddBook, "AddBook.dat", 126}}) {
    const QString fits(c.capacity, QLatin1Char('x'));
    {
      Operation op(files_);
      op.WriteText(c.channel, 1, fits);
      ASSERT_TRUE(op.Commit().stored()) << c.file;
    }
    EXPECT_EQ(files_.ReadText(c.channel, 1), fits);
    const QByteArray before = Bytes(c.file);
    Operation op(files_);
    op.WriteText(c.channel, 2, QStringLiteral("written first"));
    op.WriteText(c.channel, 1, fits + QLatin1Char('y'));
    const store::Outcome outcome = op.Commit();
    EXPECT_TRUE(outcome.refused()) << c.file;
    EXPECT_TRUE(outcome.reason().contains(QString::number(c.capacity))) << c.file;
    EXPECT_EQ(Bytes(c.file), before) << c.file;
  }
}

TEST_F(StoreTest, CharactersOutsideTheCodePageAreRefusedAndNothingIsWritten) {
  Open();
  const QByteArray before = Bytes("AddBook.dat");
  Operation op(files_);
  op.WriteText(Channel::kAddBook, 1, QStringLiteral("Smith, John"));
  op.WriteText(Channel::kAddBook, 2, QString::fromUtf8("Łódź"));
  op.WriteCount(Channel::kAddBook, 1);
  const store::Outcome outcome = op.Commit();
  EXPECT_TRUE(outcome.refused());
  EXPECT_TRUE(outcome.reason().contains(QString::fromUtf8("Ł")));
  EXPECT_EQ(Bytes("AddBook.dat"), before);
  EXPECT_FALSE(store::EncodeText(QString::fromUtf8("日")).has_value());
  EXPECT_FALSE(store::EncodeText(QString::fromUtf8("🙂")).has_value());
}

TEST_F(StoreTest, WesternEuropeanTextIsStoredOneBytePerCharacter) {
  Open();
  const QString text = QString::fromUtf8("Zoë paid 5 € – “café”");
  {
    Operation op(files_);
    op.WriteText(Channel::kAppoint, 2, text);
    ASSERT_TRUE(op.Commit().stored());
  }
  EXPECT_EQ(Bytes("Appoint.dat").mid(128, 23),
            QByteArray::fromHex("15005a6feb20706169642035208020962093636166e994"));
  EXPECT_EQ(files_.ReadText(Channel::kAppoint, 2), text);
}

TEST_F(StoreTest, CountsAreReadFromEitherTagAndWrittenAsSixteenBits) {
  Open();
  {
    Operation op(files_);
    op.WriteVariant(Channel::kAppoint, 8, Variant{Variant::kInt32, 3});
    ASSERT_TRUE(op.Commit().stored());
  }
  EXPECT_EQ(Bytes("Appoint.dat").mid(896, 6), QByteArray::fromHex("030003000000"));
  EXPECT_EQ(files_.ReadCount(Channel::kAppoint), 3);
  {
    Operation op(files_);
    op.WriteCount(Channel::kAppoint, op.ReadCount(Channel::kAppoint) + 1);
    ASSERT_TRUE(op.Commit().stored());
  }
  EXPECT_EQ(Bytes("Appoint.dat").mid(896, 6), QByteArray::fromHex("020004000000"));
}

TEST_F(StoreTest, DamagedHeadersAndLengthsStayInsideTheirRecord) {
  Open();
  {
    Operation op(files_);
    op.WriteVariant(Channel::kAppoint, 8, Variant{Variant::kInt16, -5});
    op.WriteVariant(Channel::kNotes, 3, Variant{Variant::kInt32, 1000000});
    op.WriteVariant(Channel::kAddBook, 16, Variant{7, 9});
    ASSERT_TRUE(op.Commit().stored());
  }
  EXPECT_EQ(files_.ReadCount(Channel::kAppoint), 0);
  EXPECT_EQ(files_.ReadCount(Channel::kNotes), 10922);
  EXPECT_EQ(files_.ReadCount(Channel::kAddBook), 0);

  QByteArray record = store::EncodeTextRecord("abc", 128);
  record[0] = char(0xFF);
  record[1] = char(0xFF);
  EXPECT_EQ(store::DecodeTextRecord(record).size(), 126);
}

TEST_F(StoreTest, AnOperationLeftUncommittedWritesNothingButSeesItsOwnWrites) {
  Open();
  const QByteArray before = Bytes("Notes.dat");
  {
    Operation op(files_);
    op.WriteText(Channel::kNotes, 1, QStringLiteral("Shopping"));
    op.WriteCount(Channel::kNotes, 1);
    EXPECT_EQ(op.ReadText(Channel::kNotes, 1), QStringLiteral("Shopping"));
    EXPECT_EQ(op.ReadCount(Channel::kNotes), 1);
    EXPECT_EQ(files_.ReadCount(Channel::kNotes), 0);
  }
  EXPECT_EQ(Bytes("Notes.dat"), before);
}

TEST_F(StoreTest, AReadOnlyFolderEndsWithTheSystemsMessageAndDamagesNothing) {
  if (::geteuid() == 0) {
    // root ignores permissions: make the folder unusable another way.
    ASSERT_TRUE(QFile(Path("Notes.dat")).open(QIODevice::WriteOnly));
    ASSERT_TRUE(QFile::remove(Path("Notes.dat")));
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("Notes.dat")));
  } else {
    ASSERT_EQ(::chmod(QFile::encodeName(dir_.path()).constData(), 0555), 0);
  }
  files_.SetDataDir(dir_.path());
  EXPECT_THROW(files_.OpenDataFiles(), store::FatalError);
  ASSERT_EQ(fatal_.size(), 1);
  EXPECT_TRUE(fatal_.front().contains(QStringLiteral("Notes.dat")));
  EXPECT_TRUE(fatal_.front().contains(::geteuid() == 0 ? QStringLiteral("is a folder")
                                                       : QStringLiteral("Permission denied")));
  ::chmod(QFile::encodeName(dir_.path()).constData(), 0755);
}

}  // namespace
}  // namespace quorvel::testing
