// A data folder whose entries someone else touched: links, hard links,
// journals from elsewhere, files replaced while the program runs, a folder
// gone or named in bytes that are not text. Nothing outside the folder ever
// changes, no data file changes unless an operation meant it to, and the
// user is told what happened in plain words.
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include "store/data_files.h"
#include "store/fatal.h"
#include "store/journal.h"
#include "store_sweep.h"
#include "test_support.h"

namespace quorvel::testing {
namespace {

using store::Channel;
using store::DataFiles;
using store::Operation;

void Link(const QString& target, const QString& name) {
  ASSERT_EQ(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(name).constData()),
            0);
}

void HardLink(const QString& existing, const QString& name) {
  ASSERT_EQ(::link(QFile::encodeName(existing).constData(), QFile::encodeName(name).constData()),
            0);
}

void Write(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(bytes);
}

void AddNote(DataFiles& files, const QString& title) {
  Operation op(files);
  const int count = op.ReadCount(Channel::kNotes);
  op.WriteText(Channel::kNotes, store::FieldRecord(Channel::kNotes, count, 1), title);
  op.WriteText(Channel::kNotes, store::FieldRecord(Channel::kNotes, count, 2), title + " body");
  op.WriteCount(Channel::kNotes, count + 1);
  op.Commit();
}

void AddAppointments(const QString& dir, int count) {
  Fill(dir, [count](DataFiles& files) {
    Operation op(files);
    for (int i = 0; i < count; ++i) {
      for (int f = 1; f <= 7; ++f) {
        op.WriteText(Channel::kAppoint, store::FieldRecord(Channel::kAppoint, i, f),
                     QStringLiteral("appointment %1 field %2").arg(i).arg(f));
      }
    }
    op.WriteCount(Channel::kAppoint, count);
    ASSERT_TRUE(op.Commit().stored());
  });
}

class StoreFolderTest : public SeamsFixture {
 protected:
  void SetUp() override {
    SeamsFixture::SetUp();
    store::SetNoticeHandler([this](const QString& text) { notices_.append(text); });
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("data")));
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("outside")));
    data_ = dir_.filePath(QStringLiteral("data"));
    outside_ = dir_.filePath(QStringLiteral("outside"));
    Write(Outside("victim"), QByteArray(4096, 'v'));
  }
  void TearDown() override {
    store::SetNoticeHandler({});
    SeamsFixture::TearDown();
  }
  QString Data(const char* name) const { return QDir(data_).filePath(QString::fromLatin1(name)); }
  QString Outside(const char* name) const {
    return QDir(outside_).filePath(QString::fromLatin1(name));
  }
  // Opening is refused with a message holding each of `words`, and neither
  // folder changed.
  void ExpectRefused(const QStringList& words) {
    const FolderState data = ReadFolder(data_);
    const FolderState outside = ReadFolder(outside_);
    const QStringList entries =
        QDir(data_).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    DataFiles files;
    files.SetDataDir(data_);
    fatal_.clear();
    EXPECT_THROW(files.OpenDataFiles(), store::FatalError);
    ASSERT_EQ(fatal_.size(), 1);
    for (const QString& word : words) {
      EXPECT_TRUE(fatal_.front().contains(word)) << fatal_.front().toStdString();
    }
    EXPECT_FALSE(files.IsOpen(Channel::kAppoint));
    EXPECT_EQ(ReadFolder(data_), data);
    EXPECT_EQ(ReadFolder(outside_), outside);
    EXPECT_EQ(QDir(data_).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot),
              entries);
  }

  QString data_, outside_;
  QStringList notices_;
};

TEST_F(StoreFolderTest, ADataFileThatIsALinkIsRefusedAndNothingOutsideIsWritten) {
  // 1: Appoint.dat leads to a file outside, with and without a journal
  // planted beside it; 2: Notes.dat leads nowhere.
  Link(Outside("victim"), Data("Appoint.dat"));
  ExpectRefused({QStringLiteral("Appoint.dat"), QStringLiteral("symbolic link")});
  Write(Data("Appoint.dat-journal"), store::EncodeJournal(JournalFor(Outside("victim"), 128, 4096,
                                                                     {{1, QByteArray(128, 'X')}})));
  ExpectRefused({QStringLiteral("Appoint.dat"), QStringLiteral("symbolic link")});
  QFile::remove(Data("Appoint.dat"));
  QFile::remove(Data("Appoint.dat-journal"));

  Link(Outside("created"), Data("Notes.dat"));
  ExpectRefused({QStringLiteral("Notes.dat"), QStringLiteral("symbolic link")});
  EXPECT_FALSE(QFileInfo::exists(Outside("created")));
  EXPECT_FALSE(QFileInfo::exists(Data("Appoint.dat")));  // nothing created first
}

TEST_F(StoreFolderTest, AJournalNameThatIsALinkIsSetAsideAndNeverFollowed) {
  Fill(data_, [](DataFiles&) {});
  const FolderState before = ReadFolder(data_);
  Link(Outside("created"), Data("Notes.dat-journal"));
  Link(Outside("victim"), Data("Appoint.dat-journal"));
  DataFiles files;
  files.SetDataDir(data_);
  ASSERT_EQ(files.OpenDataFiles(), store::OpenResult::kOpened);
  EXPECT_FALSE(QFileInfo::exists(Outside("created")));
  EXPECT_EQ(FileBytes(Outside("victim")), QByteArray(4096, 'v'));
  EXPECT_EQ(ReadFolder(data_), before);  // the links are no files: not listed
  EXPECT_TRUE(QFileInfo(Data("Notes.dat-journal.not-used")).isSymLink());
  EXPECT_TRUE(QFileInfo(Data("Appoint.dat-journal.not-used")).isSymLink());
  ASSERT_EQ(notices_.size(), 2);
  EXPECT_TRUE(notices_[0].contains(QStringLiteral("Appoint.dat-journal")));
  EXPECT_TRUE(notices_[0].contains(QStringLiteral("It was not used")));
}

TEST_F(StoreFolderTest, TwoDataNamesForOneFileOrAFileWithNamesElsewhereAreRefused) {
  // 3: Notes.dat a hard link of Appoint.dat.
  AddAppointments(data_, 3);
  QFile::remove(Data("Notes.dat"));
  HardLink(Data("Appoint.dat"), Data("Notes.dat"));
  ExpectRefused(
      {QStringLiteral("Notes.dat"), QStringLiteral("Appoint.dat"), QStringLiteral("same file")});
  QFile::remove(Data("Notes.dat"));
  // A snapshot copy outside shares AddBook.dat's bytes: writing in place
  // would change the copy too.
  HardLink(Data("AddBook.dat"), Outside("snapshot"));
  ExpectRefused({QStringLiteral("AddBook.dat"), QStringLiteral("hard link")});
}

TEST_F(StoreFolderTest, AJournalPlantedWhileRunningStopsTheSaveAndNothingIsWritten) {
  // 4: a link planted under the journal's name; the save must not follow it
  // and must not report success.
  DataFiles files;
  files.SetDataDir(data_);
  ASSERT_EQ(files.OpenDataFiles(), store::OpenResult::kOpened);
  AddNote(files, QStringLiteral("first"));
  const FolderState before = ReadFolder(data_);
  Link(Outside("victim"), Data("Notes.dat-journal"));
  fatal_.clear();
  EXPECT_THROW(AddNote(files, QStringLiteral("second")), store::FatalError);
  ASSERT_EQ(fatal_.size(), 1);
  EXPECT_TRUE(fatal_.front().contains(QStringLiteral("Notes.dat-journal")));
  EXPECT_TRUE(fatal_.front().contains(QStringLiteral("not saved")));
  EXPECT_EQ(FileBytes(Outside("victim")), QByteArray(4096, 'v'));
  EXPECT_EQ(ReadFolder(data_), before);
}

QByteArray LegacyJournal(qint64 original_length,
                         const std::vector<store::Journal::Entry>& entries) {
  QByteArray out("QVJ1");
  auto put = [&out](quint64 value, int width) {
    for (int i = 0; i < width; ++i) out.append(char((value >> (8 * i)) & 0xFF));
  };
  put(128, 4);
  put(quint64(original_length), 8);
  put(entries.size(), 4);
  for (const auto& entry : entries) {
    put(quint64(entry.record), 4);
    out.append(entry.bytes);
  }
  put(store::Crc32(out.constData(), out.size()), 4);
  return out;
}

TEST_F(StoreFolderTest, JournalsThatDoNotBelongAreSetAsideAndOnesThatDoAreApplied) {
  AddAppointments(data_, 50);
  const QByteArray appoint = FileBytes(Data("Appoint.dat"));
  auto open = [this] {
    DataFiles files;
    files.SetDataDir(data_);
    EXPECT_EQ(files.OpenDataFiles(), store::OpenResult::kOpened);
    return files.ReadCount(Channel::kAppoint);
  };
  // 5: an earlier version's journal, 24 bytes, claiming the file was empty.
  const QByteArray empty = LegacyJournal(0, {});
  ASSERT_EQ(empty.size(), 24);
  Write(Data("Appoint.dat-journal"), empty);
  EXPECT_EQ(open(), 50);
  EXPECT_EQ(FileBytes(Data("Appoint.dat")), appoint);
  EXPECT_EQ(FileBytes(Data("Appoint.dat-journal.not-used")), empty);
  ASSERT_EQ(notices_.size(), 1);
  EXPECT_TRUE(notices_.front().contains(QStringLiteral("does not belong")));
  EXPECT_TRUE(notices_.front().contains(QStringLiteral("Appoint.dat is unchanged")));

  // 6: a well-formed journal of another folder's Appoint.dat (copied or
  // synced in), and this folder's Notes.dat journal under Appoint.dat's name.
  ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("other")));
  const QString other = dir_.filePath(QStringLiteral("other"));
  AddAppointments(other, 50);
  const QByteArray foreign = store::EncodeJournal(
      JournalFor(QDir(other).filePath(QStringLiteral("Appoint.dat")), 128, appoint.size(),
                 {{2, store::EncodeTextRecord("someone else's subject", 128)}}));
  const QByteArray renamed = store::EncodeJournal(
      JournalFor(Data("Notes.dat"), 128, appoint.size(), {{2, QByteArray(128, 'n')}}));
  // The same in the first format, which names no file: it fits this file's
  // length exactly, as any journal of a same-sized file would.
  const QByteArray foreign_legacy =
      LegacyJournal(appoint.size(), {{2, store::EncodeTextRecord("someone else's subject", 128)}});
  for (const QByteArray& journal : {foreign, renamed, foreign_legacy}) {
    QFile::remove(Data("Appoint.dat-journal.not-used"));
    Write(Data("Appoint.dat-journal"), journal);
    notices_.clear();
    EXPECT_EQ(open(), 50);
    EXPECT_EQ(FileBytes(Data("Appoint.dat")), appoint);
    EXPECT_EQ(FileBytes(Data("Appoint.dat-journal.not-used")), journal);
    ASSERT_EQ(notices_.size(), 1);
    EXPECT_TRUE(notices_.front().contains(QStringLiteral("Appoint.dat is unchanged")));
  }
  EXPECT_EQ(FileBytes(Outside("victim")), QByteArray(4096, 'v'));

  // A second one set aside while the first is still kept gets its own name.
  Write(Data("Appoint.dat-journal"), foreign);
  EXPECT_EQ(open(), 50);
  EXPECT_EQ(FileBytes(Data("Appoint.dat-journal.not-used-2")), foreign);

  // This file's own journal: the half-done change is rolled back exactly as
  // before.
  QByteArray half = appoint;
  half.replace(128, 128, store::EncodeTextRecord("half written", 128));
  const QByteArray grown = half + QByteArray(1024, 'a');  // changed and grown
  Write(Data("Appoint.dat"), grown);
  Write(Data("Appoint.dat-journal"),
        store::EncodeJournal(
            JournalFor(Data("Appoint.dat"), 128, appoint.size(), {{2, appoint.mid(128, 128)}})));
  notices_.clear();
  EXPECT_EQ(open(), 50);
  EXPECT_EQ(FileBytes(Data("Appoint.dat")), appoint);
  EXPECT_FALSE(QFileInfo::exists(Data("Appoint.dat-journal")));
  EXPECT_TRUE(notices_.isEmpty());

  // One in the first format that would undo exactly that change cannot be
  // told from a foreign one: it is set aside too, and the file left as the
  // half-done change left it.
  QFile::remove(Data("Appoint.dat-journal.not-used"));
  Write(Data("Appoint.dat"), grown);
  const QByteArray own_legacy = LegacyJournal(appoint.size(), {{2, appoint.mid(128, 128)}});
  Write(Data("Appoint.dat-journal"), own_legacy);
  EXPECT_EQ(open(), 50);
  EXPECT_EQ(FileBytes(Data("Appoint.dat")), grown);
  EXPECT_FALSE(QFileInfo::exists(Data("Appoint.dat-journal")));
  EXPECT_EQ(FileBytes(Data("Appoint.dat-journal.not-used")), own_legacy);
  ASSERT_EQ(notices_.size(), 1);
  EXPECT_TRUE(notices_.front().contains(QStringLiteral("does not belong")));
}

// What is in `dir`, every name.
QStringList Names(const QString& dir) {
  return QDir(dir).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
}

TEST_F(StoreFolderTest, AFullDiskAtTheFirstStartNamesTheFolderEndsAndLeavesNothingHalfMade) {
  // Opening on a full disk ends with one message, having left `data_` as it
  // was (`names` and their bytes).
  auto open_full = [this](int new_names) {
    const FolderState before = ReadFolder(data_);
    const QStringList names = Names(data_);
    auto fs = std::make_shared<FaultyFileSystem>();
    fs->FillDisk(new_names);
    DataFiles files(fs);
    files.SetDataDir(data_);
    fatal_.clear();
    EXPECT_THROW(files.OpenDataFiles(), store::FatalError);
    ASSERT_EQ(fatal_.size(), 1);
    const QString& message = fatal_.front();
    EXPECT_TRUE(message.contains(data_)) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("set up"))) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("Quorvel ends"))) << message.toStdString();
    // Not the refusal of a change the user never made.
    EXPECT_FALSE(message.contains(QStringLiteral("this change"))) << message.toStdString();
    EXPECT_FALSE(files.IsOpen(Channel::kAppoint));
    EXPECT_EQ(Names(data_), names);
    EXPECT_EQ(ReadFolder(data_), before);
  };
  // An empty folder: no room for the first byte, then none for the third
  // name (no free inode), then none even for the first.
  for (int new_names : {1 << 30, 2, 0}) {
    open_full(new_names);
    EXPECT_TRUE(Names(data_).isEmpty());
  }

  // A folder that holds only Appoint.dat: it stays exactly as it was.
  AddAppointments(data_, 3);
  for (const char* name : {"Notes.dat", "AddBook.dat", "PhotoF.dat"}) QFile::remove(Data(name));
  const QByteArray appoint = FileBytes(Data("Appoint.dat"));
  open_full(1 << 30);
  EXPECT_EQ(Names(data_), QStringList{QStringLiteral("Appoint.dat")});
  EXPECT_EQ(FileBytes(Data("Appoint.dat")), appoint);

  // With room again the start completes the folder as a first start does.
  QTemporaryDir fresh;
  Fill(fresh.path(), [](DataFiles&) {});
  Fill(data_, [](DataFiles&) {});
  for (const char* name : {"Notes.dat", "AddBook.dat", "PhotoF.dat"}) {
    EXPECT_EQ(FileBytes(Data(name)), FileBytes(QDir(fresh.path()).filePath(QLatin1String(name))))
        << name;
  }

  // A folder already set up opens on a full disk; a change is then refused
  // with nothing written, and the program goes on.
  auto fs = std::make_shared<FaultyFileSystem>();
  fs->FillDisk();
  DataFiles files(fs);
  files.SetDataDir(data_);
  fatal_.clear();
  ASSERT_EQ(files.OpenDataFiles(), store::OpenResult::kOpened);
  EXPECT_TRUE(fatal_.isEmpty());
  const FolderState set_up = ReadFolder(data_);
  Operation op(files);
  op.WriteText(Channel::kNotes, 1, QStringLiteral("no room for this"));
  op.WriteCount(Channel::kNotes, 1);
  const store::Outcome outcome = op.Commit();
  EXPECT_TRUE(outcome.no_room());
  EXPECT_TRUE(outcome.reason().contains(QStringLiteral("nothing was changed")));
  EXPECT_EQ(ReadFolder(data_), set_up);
  EXPECT_EQ(files.ReadCount(Channel::kNotes), 0);
}

TEST_F(StoreFolderTest, FilesReplacedWhileRunningAdmitNoSecondProgramAndTakeNoSave) {
  // 7: what sync and restore tools do: new files renamed over the old ones.
  DataFiles files;
  files.SetDataDir(data_);
  ASSERT_EQ(files.OpenDataFiles(), store::OpenResult::kOpened);
  AddNote(files, QStringLiteral("before the sync"));
  for (const char* name : {"Appoint.dat", "Notes.dat"}) {
    const QString incoming = Data(name) + QStringLiteral(".sync-tmp");
    ASSERT_TRUE(QFile::copy(Data(name), incoming));
    ASSERT_EQ(::rename(QFile::encodeName(incoming).constData(),
                       QFile::encodeName(Data(name)).constData()),
              0);
  }
  const FolderState synced = ReadFolder(data_);
  QProcess second;
  second.start(QStringLiteral(QUORVEL_STORE_CHILD), {QStringLiteral("open"), data_});
  ASSERT_TRUE(second.waitForFinished(60000));
  EXPECT_EQ(second.exitCode(), 3);  // refused: the folder is in use

  fatal_.clear();
  EXPECT_THROW(AddNote(files, QStringLiteral("after the sync")), store::FatalError);
  ASSERT_EQ(fatal_.size(), 1);
  EXPECT_TRUE(fatal_.front().contains(QStringLiteral("Notes.dat")));
  EXPECT_TRUE(fatal_.front().contains(QStringLiteral("changed by another program")));
  EXPECT_EQ(ReadFolder(data_), synced);
  files.CloseDataFiles();

  // The next start works with the new files.
  DataFiles next;
  next.SetDataDir(data_);
  ASSERT_EQ(next.OpenDataFiles(), store::OpenResult::kOpened);
  EXPECT_EQ(next.ReadText(Channel::kNotes, 1), QStringLiteral("before the sync"));
}

// Runs `body` with the working folder changed to `dir` (raw bytes).
template <class Body>
void InFolder(const QByteArray& dir, Body body) {
  char previous[4096];
  ASSERT_NE(::getcwd(previous, sizeof previous), nullptr);
  ASSERT_EQ(::chdir(dir.constData()), 0);
  body();
  ASSERT_EQ(::chdir(previous), 0);
}

TEST_F(StoreFolderTest, AVanishedWorkingFolderIsAMessageNeverTheRootOfTheDisk) {
  // 8: started in a folder that was deleted.
  const QByteArray gone = QFile::encodeName(dir_.filePath(QStringLiteral("gone")));
  ASSERT_EQ(::mkdir(gone.constData(), 0755), 0);
  const bool root_had = QFileInfo::exists(QStringLiteral("/Appoint.dat"));
  InFolder(gone, [&] {
    ASSERT_EQ(::rmdir(gone.constData()), 0);
    DataFiles files;
    files.SetDataDir(QDir::currentPath());
    fatal_.clear();
    EXPECT_THROW(files.OpenDataFiles(), store::FatalError);
    ASSERT_EQ(fatal_.size(), 1);
    EXPECT_TRUE(fatal_.front().contains(QStringLiteral("no longer exists")));
  });
  EXPECT_EQ(QFileInfo::exists(QStringLiteral("/Appoint.dat")), root_had);
  // A folder given by name that has gone since.
  DataFiles files;
  files.SetDataDir(QFile::decodeName(gone));
  fatal_.clear();
  EXPECT_THROW(files.OpenDataFiles(), store::FatalError);
  ASSERT_EQ(fatal_.size(), 1);
  EXPECT_TRUE(fatal_.front().contains(QStringLiteral("no longer exists")));
}

TEST_F(StoreFolderTest, AFolderNamedInBytesThatAreNotTextWorksAndIsShownReadably) {
  // 9: a Latin-1 name on a UTF-8 system.
  const QByteArray cafe = QFile::encodeName(dir_.path()) + "/caf\xe9";
  ASSERT_EQ(::mkdir(cafe.constData(), 0755), 0);
  InFolder(cafe, [&] {
    DataFiles files;
    files.SetDataDir(QDir::currentPath());
    ASSERT_EQ(files.OpenDataFiles(), store::OpenResult::kOpened);
    AddNote(files, QStringLiteral("in the caf\u00e9"));
    EXPECT_EQ(files.ReadText(Channel::kNotes, 1), QStringLiteral("in the caf\u00e9"));
    files.CloseDataFiles();
  });
  struct stat info {};
  EXPECT_EQ(::stat((cafe + "/Notes.dat").constData(), &info), 0);
  EXPECT_EQ(info.st_size, 1500);
  ASSERT_EQ(::unlink((cafe + "/PhotoF.dat").constData()), 0);
  ASSERT_EQ(::symlink("/nowhere", (cafe + "/PhotoF.dat").constData()), 0);
  InFolder(cafe, [&] {
    DataFiles files;
    files.SetDataDir(QDir::currentPath());
    fatal_.clear();
    EXPECT_THROW(files.OpenDataFiles(), store::FatalError);
    ASSERT_EQ(fatal_.size(), 1);
    EXPECT_TRUE(fatal_.front().contains(QStringLiteral("caf\u00e9")))
        << fatal_.front().toStdString();
  });
  // The temporary folder cannot name what is inside: clear it by bytes.
  for (const char* name : {"/Appoint.dat", "/Notes.dat", "/AddBook.dat", "/PhotoF.dat"}) {
    ::unlink((cafe + name).constData());
  }
  EXPECT_EQ(::rmdir(cafe.constData()), 0);
}

TEST_F(StoreFolderTest, SettingAForeignJournalAsideIsSafeAtEveryCrashPoint) {
  RunSweep("open setting a foreign journal aside",
           {[](const QString& dir) {
              AddAppointments(dir, 3);
              QTemporaryDir other;
              AddAppointments(other.path(), 3);
              Write(QDir(dir).filePath(QStringLiteral("Appoint.dat-journal")),
                    store::EncodeJournal(JournalFor(
                        QDir(other.path()).filePath(QStringLiteral("Appoint.dat")), 128, 0, {})));
            },
            {}});
}

}  // namespace
}  // namespace quorvel::testing
