// Files damaged, cut short, hand-edited or written by other programs: every
// reader stays inside its record and the limits, nothing hangs.
#include <sys/stat.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include "items/appointment_file.h"
#include "items/note_file.h"
#include "store/data_files.h"
#include "store/fatal.h"
#include "store/text_codec.h"
#include "test_support.h"

namespace quorvel::testing {
namespace {

using store::Channel;
using store::DataFiles;

QByteArray Record(QByteArray value, int length) {
  value.append(QByteArray(length - value.size(), '\0'));
  return value;
}

class StoreHostileTest : public SeamsFixture {
 protected:
  void WriteFile(const char* name, const QByteArray& bytes) {
    QFile file(Path(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
  }
};

TEST_F(StoreHostileTest, CountsTextsAndTagsOutOfLineAreReadWithinTheLimits) {
  // Appoint.dat: count -1 as tag 2; one group whose ID claims 65535 bytes.
  QByteArray appoint = Record(QByteArray::fromHex("ffff") + "20260107-1", 128);
  appoint += QByteArray(6 * 128, 'x');
  appoint += Record(QByteArray::fromHex("0200ffff"), 128);
  WriteFile("Appoint.dat", appoint);
  // Notes.dat: count 70000 as tag 3, in a file that ends inside item 1.
  WriteFile("Notes.dat", Record(QByteArray::fromHex("0500") + "Title", 500) +
                             Record(QByteArray::fromHex("0300") + "abc", 500) +
                             Record(QByteArray::fromHex("0300701101 00"), 500) + "partial");
  // AddBook.dat: an unknown tag in the count record, file of odd length.
  WriteFile("AddBook.dat",
            QByteArray(15 * 128, 'z') + Record(QByteArray::fromHex("0900"), 128) + "odd");
  WriteFile("PhotoF.dat", QByteArray::fromHex("ffff"));

  DataFiles files;
  files.SetDataDir(dir_.path());
  ASSERT_EQ(files.OpenDataFiles(), store::OpenResult::kOpened);
  EXPECT_EQ(files.ReadCount(Channel::kAppoint), 0);
  EXPECT_EQ(files.ReadCount(Channel::kNotes), store::Info(Channel::kNotes).max_items);
  EXPECT_EQ(files.ReadCount(Channel::kAddBook), 0);  // an unknown tag is no value: 0 written
  EXPECT_EQ(files.ReadVariant(Channel::kAddBook, 16).tag, store::Variant::kInt16);
  EXPECT_EQ(files.ReadText(Channel::kAppoint, 1).size(), 126);
  EXPECT_EQ(files.ReadText(Channel::kPhotoF, 1).size(), 126);  // kept: not empty

  // The owners' readers over a count of 10922 in a file of three records:
  // all within the file's limits and quick.
  QElapsedTimer timer;
  timer.start();
  const QStringList titles = LoadNotesList(files);
  ASSERT_EQ(titles.size(), 10922);
  EXPECT_EQ(titles.front(), QStringLiteral("Title"));
  EXPECT_EQ(titles.back(), QString());
  EXPECT_FALSE(ViewNote(files, 10922).has_value());
  EXPECT_TRUE(ViewNote(files, 10921).has_value());
  EXPECT_LT(timer.elapsed(), 10000);
  // Deleting the first of them moves 10921 notes down and stays within;
  // the cut-off title of note 1 ("partial" read as a length) moves intact.
  const QString second = files.ReadText(Channel::kNotes, 4);
  EXPECT_EQ(second.size(), 498);
  EXPECT_TRUE(DeleteNote(files, 0).stored());
  EXPECT_EQ(files.ReadCount(Channel::kNotes), 10921);
  EXPECT_EQ(files.ReadText(Channel::kNotes, 1), second);
  EXPECT_EQ(FileBytes(Path("Notes.dat")).size(), qint64(10922 * 3 - 1) * 500);
  EXPECT_FALSE(QFile::exists(Path("Notes.dat-journal")));
}

TEST_F(StoreHostileTest, EveryByteReadsAsACharacterThatWritesBackAsThatByte) {
  for (int b = 0; b < 256; ++b) {
    const QByteArray byte(1, char(b));
    const QString text = store::DecodeText(byte);
    ASSERT_EQ(text.size(), 1) << b;
    EXPECT_EQ(store::EncodeText(text), std::optional<QByteArray>(byte)) << b;
  }
  EXPECT_EQ(store::DecodeText("\x80\x8a\x9f\x81\xe9"),
            QString::fromUtf8("€Š") + QChar(0x178) + QChar(0x81) + QString::fromUtf8("é"));
  // Characters with no byte of their own are refused, never replaced.
  for (char16_t c :
       {char16_t(0x80), char16_t(0x9F), char16_t(0x100), char16_t(0x2260), char16_t(0xFFFD)}) {
    EXPECT_FALSE(store::EncodeText(QString(QChar(c))).has_value()) << int(c);
  }
}

TEST_F(StoreHostileTest, APipeOrAFolderInPlaceOfADataFileIsRefusedWithoutHanging) {
  ASSERT_EQ(::mkfifo(QFile::encodeName(Path("Notes.dat")).constData(), 0644), 0);
  DataFiles files;
  files.SetDataDir(dir_.path());
  QElapsedTimer timer;
  timer.start();
  EXPECT_THROW(files.OpenDataFiles(), store::FatalError);
  EXPECT_LT(timer.elapsed(), 5000);
  ASSERT_EQ(fatal_.size(), 1);
  EXPECT_TRUE(fatal_.front().contains(QStringLiteral("Notes.dat")));
  EXPECT_FALSE(files.IsOpen(Channel::kAppoint));

  // A folder under a journal's name is no journal of this program: set
  // aside, never read, and the user is told.
  QStringList notices;
  store::SetNoticeHandler([&notices](const QString& text) { notices.append(text); });
  ASSERT_TRUE(QFile::remove(Path("Notes.dat")));
  ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("AddBook.dat-journal")));
  EXPECT_EQ(files.OpenDataFiles(), store::OpenResult::kOpened);
  store::SetNoticeHandler({});
  ASSERT_EQ(notices.size(), 1);
  EXPECT_TRUE(notices.front().contains(QStringLiteral("AddBook.dat-journal")));
  EXPECT_TRUE(QFileInfo(Path("AddBook.dat-journal.not-used")).isDir());
  EXPECT_FALSE(QFileInfo::exists(Path("AddBook.dat-journal")));
}

}  // namespace
}  // namespace quorvel::testing
