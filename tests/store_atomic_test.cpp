// All-or-nothing operations: crash and failure sweeps over opening and over
// operations shaped like the ones every file's owner performs (append an
// item, delete one by moving the later ones down, rewrite one), plus the
// journal's own edge cases.
#include <iostream>
#include <string>

#include <QDir>
#include <QFile>

#include "store/data_files.h"
#include "store/journal.h"
#include "store/text_codec.h"
#include "store_sweep.h"
#include "test_support.h"

namespace quorvel::testing {
namespace {

using store::Channel;
using store::DataFiles;
using store::Operation;

int FieldsOf(Channel channel) { return store::Info(channel).group_size - 1; }

QString FieldText(Channel channel, int item, int field) {
  // Long enough that a torn record shows, short enough for every record.
  return QStringLiteral("%1 item %2 field %3 %4")
      .arg(store::Info(channel).file_name)
      .arg(item)
      .arg(field)
      .arg(QString(20 + 7 * field % 60, QLatin1Char('a' + item % 26)));
}

void AppendItem(DataFiles& files, Channel channel, int tag) {
  Operation op(files);
  const int count = op.ReadCount(channel);
  for (int f = 1; f <= FieldsOf(channel); ++f) {
    op.WriteText(channel, store::FieldRecord(channel, count, f), FieldText(channel, tag, f));
  }
  op.WriteCount(channel, count + 1);
  op.Commit();
}

// Moves every later item down one place, blanks the old last group and
// lowers the count.
void DeleteItem(DataFiles& files, Channel channel, int item) {
  Operation op(files);
  const int count = op.ReadCount(channel);
  for (int j = item + 1; j < count; ++j) {
    for (int f = 1; f <= FieldsOf(channel); ++f) {
      op.WriteText(channel, store::FieldRecord(channel, j - 1, f),
                   op.ReadText(channel, store::FieldRecord(channel, j, f)));
    }
  }
  for (int f = 1; f <= FieldsOf(channel); ++f) {
    op.WriteText(channel, store::FieldRecord(channel, count - 1, f), QString());
  }
  op.WriteCount(channel, count - 1);
  op.Commit();
}

void RewriteItem(DataFiles& files, Channel channel, int item, int tag) {
  Operation op(files);
  for (int f = 1; f <= FieldsOf(channel); ++f) {
    // Every other field keeps its text: those records are never written.
    const int source = f % 2 == 0 ? item : tag;
    op.WriteText(channel, store::FieldRecord(channel, item, f), FieldText(channel, source, f));
  }
  op.Commit();
}

std::function<void(const QString&)> WithItems(Channel channel, int count) {
  return [channel, count](const QString& dir) {
    Fill(dir, [&](DataFiles& files) {
      for (int i = 0; i < count; ++i) AppendItem(files, channel, i);
    });
  };
}

class StoreAtomicTest : public SeamsFixture {};

TEST_F(StoreAtomicTest, OpeningIsAllOrNothingAtEveryCrashPoint) {
  RunSweep("first open of an empty folder", {[](const QString&) {}, {}});
  RunSweep("open of a folder whose headers were cut off",
           {[](const QString& dir) {
              WithItems(Channel::kNotes, 2)(dir);
              QFile::resize(QDir(dir).filePath(QStringLiteral("Notes.dat")), 0);
              QFile::resize(QDir(dir).filePath(QStringLiteral("PhotoF.dat")), 0);
              QFile::resize(QDir(dir).filePath(QStringLiteral("Appoint.dat")), 1000);
            },
            {}});
}

TEST_F(StoreAtomicTest, RollingBackIsItselfSafeAtEveryCrashPoint) {
  // The folder as a crash left it in the middle of moving records down: the
  // delete's journal, and records of Appoint.dat and AddBook.dat half moved.
  RunSweep(
      "open rolling back a half-done delete",
      {[](const QString& dir) {
         WithItems(Channel::kAppoint, 4)(dir);
         Fill(dir, [](DataFiles& files) {
           for (int i = 0; i < 3; ++i) AppendItem(files, Channel::kAddBook, i);
         });
         auto fs = std::make_shared<FaultyFileSystem>();
         {
           DataFiles files(fs);
           files.SetDataDir(dir);
           files.OpenDataFiles();
           fs->Arm();
           fs->CrashAtChange(9);  // two journals, folder flush, then both files' writes
           try {
             Operation op(files);
             const int count = op.ReadCount(Channel::kAppoint);
             for (int j = 1; j < count; ++j) {
               for (int f = 1; f <= 7; ++f) {
                 op.WriteText(
                     Channel::kAppoint, store::FieldRecord(Channel::kAppoint, j - 1, f),
                     op.ReadText(Channel::kAppoint, store::FieldRecord(Channel::kAppoint, j, f)));
               }
             }
             op.WriteCount(Channel::kAppoint, count - 1);
             op.WriteText(Channel::kAddBook, 1, QStringLiteral("moved"));
             op.Commit();
           } catch (const SimulatedCrash&) {
           }
         }
         ASSERT_TRUE(fs->crashed());
         fs->Materialize(CrashImage::kKeepAll);
         ASSERT_TRUE(QFile::exists(QDir(dir).filePath(QStringLiteral("Appoint.dat-journal"))));
         ASSERT_TRUE(QFile::exists(QDir(dir).filePath(QStringLiteral("AddBook.dat-journal"))));
       },
       {}});
}

TEST_F(StoreAtomicTest, AppendingIsAllOrNothingInEveryFile) {
  for (Channel channel : {Channel::kAppoint, Channel::kNotes, Channel::kAddBook}) {
    const std::string name = std::string("append to ") + store::Info(channel).file_name;
    RunSweep(name.c_str(),
             {WithItems(channel, 2), [channel](DataFiles& f) { AppendItem(f, channel, 9); }});
  }
}

TEST_F(StoreAtomicTest, CompactingDeletesAreAllOrNothingInEveryFile) {
  RunSweep(
      "delete first of three appointments",
      {WithItems(Channel::kAppoint, 3), [](DataFiles& f) { DeleteItem(f, Channel::kAppoint, 0); }});
  RunSweep("delete middle of three notes", {WithItems(Channel::kNotes, 3), [](DataFiles& f) {
                                              DeleteItem(f, Channel::kNotes, 1);
                                            }});
  RunSweep("delete first of three entries", {WithItems(Channel::kAddBook, 3), [](DataFiles& f) {
                                               DeleteItem(f, Channel::kAddBook, 0);
                                             }});
  RunSweep("delete the only entry", {WithItems(Channel::kAddBook, 1),
                                     [](DataFiles& f) { DeleteItem(f, Channel::kAddBook, 0); }});
}

TEST_F(StoreAtomicTest, RewritesAreAllOrNothingInEveryFile) {
  for (Channel channel : {Channel::kAppoint, Channel::kNotes, Channel::kAddBook}) {
    const std::string name = std::string("rewrite in ") + store::Info(channel).file_name;
    RunSweep(name.c_str(),
             {WithItems(channel, 3), [channel](DataFiles& f) { RewriteItem(f, channel, 1, 7); }});
  }
}

TEST_F(StoreAtomicTest, OperationsOnSeveralOrOddSizedFilesAreAllOrNothingPerFile) {
  RunSweep("one operation on three files",
           {WithItems(Channel::kAppoint, 2), [](DataFiles& f) {
              Operation op(f);
              op.WriteText(Channel::kAppoint, 1, QStringLiteral("changed"));
              op.WriteText(Channel::kAddBook, 1, QStringLiteral("Smith"));
              op.WriteCount(Channel::kAddBook, 1);
              op.WriteText(Channel::kPhotoF, 1, QStringLiteral("me.bmp"));
              op.Commit();
            }});
  RunSweep("append to a file that ends inside a record",
           {[](const QString& dir) {
              WithItems(Channel::kAppoint, 1)(dir);
              QFile::resize(QDir(dir).filePath(QStringLiteral("Appoint.dat")), 8 * 128 + 300);
            },
            [](DataFiles& f) { AppendItem(f, Channel::kAppoint, 4); }});
}

class StoreJournalTest : public SeamsFixture {
 protected:
  void SetUp() override {
    SeamsFixture::SetUp();
    files_.SetDataDir(dir_.path());
    files_.OpenDataFiles();
  }
  QByteArray Bytes(const char* name) { return FileBytes(Path(name)); }
  void WriteFile(const QString& name, const QByteArray& bytes) {
    QFile file(Path(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
  }

  DataFiles files_;
};

TEST_F(StoreJournalTest, ACleanOperationLeavesNoJournalAndTheUsualBytes) {
  AppendItem(files_, Channel::kAppoint, 1);
  AppendItem(files_, Channel::kAppoint, 2);
  DeleteItem(files_, Channel::kAppoint, 0);
  EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files).size(), 4);
  const QByteArray appoint = Bytes("Appoint.dat");
  ASSERT_EQ(appoint.size(), 2 * 8 * 128 - 128);  // record 16 is never written
  EXPECT_EQ(appoint.mid(896, 4), QByteArray::fromHex("02000100"));
  EXPECT_EQ(appoint.left(128),
            store::EncodeTextRecord(*store::EncodeText(FieldText(Channel::kAppoint, 2, 1)), 128));
  EXPECT_EQ(appoint.mid(8 * 128, 7 * 128),
            QByteArray::fromHex("0000").leftJustified(128, '\0').repeated(7));
}

TEST_F(StoreJournalTest, AJournalLeftBehindPutsTheFileBackBeforeAnythingReadsIt) {
  AppendItem(files_, Channel::kNotes, 1);
  const QByteArray before = Bytes("Notes.dat");
  const store::Journal journal = JournalFor(Path(QStringLiteral("Notes.dat")), 500, before.size(),
                                            {{1, before.left(500)}, {3, before.mid(1000, 500)}});
  // Half an operation: item 0 overwritten, count raised, a group appended.
  {
    Operation op(files_);
    op.WriteText(Channel::kNotes, 1, QStringLiteral("half written"));
    op.WriteText(Channel::kNotes, 7, QStringLiteral("appended"));
    op.WriteCount(Channel::kNotes, 3);
    op.Commit();
  }
  files_.CloseDataFiles();
  WriteFile(QStringLiteral("Notes.dat-journal"), store::EncodeJournal(journal));
  files_.OpenDataFiles();
  EXPECT_EQ(files_.ReadCount(Channel::kNotes), 1);
  EXPECT_EQ(Bytes("Notes.dat"), before);
  EXPECT_FALSE(QFile::exists(Path("Notes.dat-journal")));
}

TEST_F(StoreJournalTest, TornEmptyOrDamagedJournalsAreRemovedAndTheFileKept) {
  AppendItem(files_, Channel::kAddBook, 1);
  const QByteArray kept = Bytes("AddBook.dat");
  const QString book = Path(QStringLiteral("AddBook.dat"));
  const QByteArray whole = store::EncodeJournal(
      JournalFor(book, 128, 0, {{1, QByteArray(128, 'x')}, {2, QByteArray(128, 'y')}}));
  QByteArray flipped = whole;
  flipped[70] = char(flipped[70] ^ 1);
  const QByteArray wrong_length =
      store::EncodeJournal(JournalFor(book, 500, 0, {{1, QByteArray(500, 'x')}}));
  // Torn or damaged: never completely written, so the file was never touched.
  for (const QByteArray& bad : {QByteArray(), whole.left(whole.size() - 1), whole.left(10),
                                whole.left(2), flipped, wrong_length, whole + "x"}) {
    files_.CloseDataFiles();
    WriteFile(QStringLiteral("AddBook.dat-journal"), bad);
    files_.OpenDataFiles();
    EXPECT_EQ(Bytes("AddBook.dat"), kept) << bad.size();
    EXPECT_FALSE(QFile::exists(Path("AddBook.dat-journal")));
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files).size(), 4);
  }
  // Intact but recording a far longer file than there is, or not a journal
  // at all: not this program's, so set aside rather than removed.
  const QByteArray longer = store::EncodeJournal(JournalFor(book, 128, qint64(1) << 40, {}));
  for (const QByteArray& foreign : {longer, QByteArray(4096, '\0')}) {
    files_.CloseDataFiles();
    WriteFile(QStringLiteral("AddBook.dat-journal"), foreign);
    files_.OpenDataFiles();
    EXPECT_EQ(Bytes("AddBook.dat"), kept) << foreign.size();
    EXPECT_FALSE(QFile::exists(Path("AddBook.dat-journal")));
    EXPECT_EQ(FileBytes(Path("AddBook.dat-journal.not-used")), foreign);
    QFile::remove(Path("AddBook.dat-journal.not-used"));
  }
  EXPECT_TRUE(store::DecodeJournal(whole, 128).has_value());
  EXPECT_FALSE(store::DecodeJournal(whole, 500).has_value());
}

TEST_F(StoreJournalTest, TheJournalsOfOneOperationArePutBackOnlyWhenTheyAreAllThere) {
  QStringList notices;
  store::SetNoticeHandler([&notices](const QString& message) { notices << message; });
  AppendItem(files_, Channel::kAppoint, 1);
  AppendItem(files_, Channel::kAddBook, 1);
  const QByteArray appoint = Bytes("Appoint.dat");
  const QByteArray book = Bytes("AddBook.dat");
  {
    Operation op(files_);
    op.WriteText(Channel::kAppoint, 1, QStringLiteral("changed"));
    op.WriteText(Channel::kAddBook, 1, QStringLiteral("changed too"));
    ASSERT_TRUE(op.Commit().stored());
  }
  const QByteArray appoint_after = Bytes("Appoint.dat");
  const QByteArray book_after = Bytes("AddBook.dat");
  // The journal each file had while the change above was being written.
  auto journal = [&](Channel channel, const QByteArray& before, std::uint64_t operation,
                     std::uint32_t channels) {
    const int length = store::Info(channel).record_length;
    store::Journal j = JournalFor(Path(QString::fromLatin1(store::Info(channel).file_name)), length,
                                  before.size(), {{1, before.left(length)}});
    j.operation = operation;
    j.channels = channels;
    return store::EncodeJournal(j);
  };
  const std::uint32_t both = (1u << 11) | (1u << 13);
  const QByteArray a = journal(Channel::kAppoint, appoint, 7, both);
  const QByteArray b = journal(Channel::kAddBook, book, 7, both);
  // As the version before bound journals together wrote them: no operation.
  auto unbound = [](QByteArray bytes) {
    bytes.replace(0, 4, "QVJ2");
    bytes.remove(56, 12);
    bytes.chop(4);
    const std::uint32_t crc = store::Crc32(bytes.constData(), bytes.size());
    for (int i = 0; i < 4; ++i) bytes.append(char((crc >> (8 * i)) & 0xFF));
    return bytes;
  };
  ASSERT_TRUE(store::DecodeJournal(unbound(a), 128).has_value());
  EXPECT_EQ(store::DecodeJournal(unbound(a), 128)->operation, 0u);
  EXPECT_EQ(store::DecodeJournal(a, 128)->channels, both);

  struct Case {
    const char* what;
    QByteArray appoint_journal, book_journal;
    bool appoint_back, book_back;
  };
  const Case cases[] = {
      {"both journals there", a, b, true, true},
      {"one removed by the commit", QByteArray(), b, false, false},
      {"the other removed by the commit", a, QByteArray(), false, false},
      {"one torn while the journals were written", a, b.left(b.size() - 3), false, false},
      {"journals of two different operations", a, journal(Channel::kAddBook, book, 8, both), false,
       false},
      {"a journal of its own beside one whose partner is gone",
       journal(Channel::kAppoint, appoint, 0, 0), b, true, false},
      {"a bit for a file this version does not know",
       journal(Channel::kAppoint, appoint, 9, both | (1u << 20)),
       journal(Channel::kAddBook, book, 9, both | (1u << 20)), true, true},
      {"journals from before operations were named", unbound(a), QByteArray(), true, false},
  };
  for (const Case& c : cases) {
    files_.CloseDataFiles();
    WriteFile(QStringLiteral("Appoint.dat"), appoint_after);
    WriteFile(QStringLiteral("AddBook.dat"), book_after);
    if (!c.appoint_journal.isNull())
      WriteFile(QStringLiteral("Appoint.dat-journal"), c.appoint_journal);
    if (!c.book_journal.isNull()) WriteFile(QStringLiteral("AddBook.dat-journal"), c.book_journal);
    ASSERT_EQ(files_.OpenDataFiles(), store::OpenResult::kOpened) << c.what;
    EXPECT_EQ(Bytes("Appoint.dat"), c.appoint_back ? appoint : appoint_after) << c.what;
    EXPECT_EQ(Bytes("AddBook.dat"), c.book_back ? book : book_after) << c.what;
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files).size(), 4) << c.what;
  }
  store::SetNoticeHandler({});
  // Nothing was set aside: every journal was this folder's own.
  EXPECT_TRUE(notices.isEmpty()) << notices.join(QLatin1Char('\n')).toStdString();
  EXPECT_TRUE(fatal_.isEmpty());
}

TEST_F(StoreJournalTest, AnOperationThatChangesNothingTouchesNoFile) {
  AppendItem(files_, Channel::kAppoint, 0);
  auto fs = std::make_shared<FaultyFileSystem>();
  DataFiles files(fs);
  files.SetDataDir(dir_.path());
  files.OpenDataFiles();
  fs->Arm();
  RewriteItem(files, Channel::kAppoint, 0, 0);  // the same texts again
  files.OpenDataFiles();                        // the same headers again
  EXPECT_EQ(fs->changes(), 0);
}

// A file system that keeps no locks, as some network shares.
class LocklessFileSystem : public store::PosixFileSystem {
 public:
  store::LockResult Lock(int, store::SystemError*) override {
    return store::LockResult::kUnsupported;
  }
};

// A system that cannot lock at all.
class LockFailingFileSystem : public store::PosixFileSystem {
 public:
  store::LockResult Lock(int, store::SystemError* error) override {
    *error = store::SystemError{EBADF, QStringLiteral("Bad file descriptor")};
    return store::LockResult::kFailed;
  }
};

TEST_F(StoreJournalTest, AFolderWithoutLocksStillOpensAndAFailingLockEndsTheProgram) {
  files_.CloseDataFiles();
  DataFiles lockless(std::make_shared<LocklessFileSystem>());
  lockless.SetDataDir(dir_.path());
  EXPECT_EQ(lockless.OpenDataFiles(), store::OpenResult::kOpened);
  lockless.CloseDataFiles();

  const FolderState before = ReadFolder(dir_.path());
  DataFiles failing(std::make_shared<LockFailingFileSystem>());
  failing.SetDataDir(dir_.path());
  EXPECT_THROW(failing.OpenDataFiles(), store::FatalError);
  ASSERT_FALSE(fatal_.isEmpty());
  EXPECT_TRUE(fatal_.back().contains(QStringLiteral("Bad file descriptor")));
  EXPECT_FALSE(failing.IsOpen(Channel::kAppoint));
  EXPECT_EQ(ReadFolder(dir_.path()), before);
}

}  // namespace
}  // namespace quorvel::testing

namespace quorvel::testing {
namespace {

// How many crash points and failing calls the sweeps of this run checked.
class SweepReport : public ::testing::Environment {
 public:
  void TearDown() override {
    if (Totals().crash_points + Totals().failures == 0) return;
    std::cout << "[ sweeps   ] " << Totals().crash_points
              << " crash points (change x disk image) and " << Totals().failures
              << " failing calls checked\n";
  }
};
[[maybe_unused]] const ::testing::Environment* const kSweepReport =
    ::testing::AddGlobalTestEnvironment(new SweepReport);

}  // namespace
}  // namespace quorvel::testing
