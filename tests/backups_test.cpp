// The automatic backups: whole, consistent copies that put every file back
// exactly, the newest fourteen kept, damaged ones refused, and a crash or a
// kill during a backup or a restore leaving old or new state.
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QThread>

#include "backups/backups.h"
#include "events/event_file.h"
#include "items/address_file.h"
#include "items/appointment_file.h"
#include "items/note_file.h"
#include "items/sync_state.h"
#include "store_sweep.h"
#include "test_support.h"

namespace quorvel::testing {
namespace {

using backups::BackupInfo;
using backups::Reason;
using store::Channel;
using store::DataFiles;

Appointment Appt(const QString& id, const QString& subject) {
  return Appointment{id,
                     subject,
                     QStringLiteral("09:00"),
                     QStringLiteral("09:30"),
                     false,
                     QStringLiteral("15"),
                     QString()};
}

// `n` more of each, never named as one already there.
void AddSome(DataFiles& files, int n) {
  static int added = 0;
  for (int k = 0; k < n; ++k) {
    const int i = added++;
    ASSERT_TRUE(
        AddAppointment(
            files, Appt(QStringLiteral("2026%1-1").arg(1010 + i % 18 + 100 * (i / 18 % 9)), "A"))
            .stored());
    ASSERT_TRUE(SaveNote(files, QStringLiteral("Note %1").arg(i), QString(200, 'n')).stored());
    AddressEntry e;
    e.surname = QStringLiteral("Surname%1").arg(i);
    ASSERT_TRUE(AddAddressEntry(files, e).stored());
  }
}

void SetUpSync(DataFiles& files, const QString& token) {
  sync::SyncState state;
  state.settings.server = QUrl(QStringLiteral("http://localhost:1/"));
  state.calendar_token = token;
  store::Operation op(files);
  sync::SaveState(files, op, state);
  ASSERT_TRUE(op.Commit().stored());
}

class BackupsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(data_.isValid());
    ASSERT_TRUE(kept_.isValid());
    files_.SetDataDir(data_.path());
    ASSERT_EQ(files_.OpenDataFiles(), store::OpenResult::kOpened);
  }
  FolderState Folder() const { return ReadFolder(data_.path()); }

  QTemporaryDir data_;
  QTemporaryDir kept_;  // the backups folder
  DataFiles files_;
  QDateTime now_ = QDateTime(QDate(2026, 12, 9), QTime(8, 0));
};

TEST_F(BackupsTest, ACopyPutsEveryFileBackExactlyAndKeepsWhatItReplaced) {
  AddSome(files_, 3);
  SetUpSync(files_, QStringLiteral("t1"));
  auto put_event = [&](const QByteArray& uid) {
    store::Operation op(files_);
    ASSERT_EQ(events::PutEvent(
                  op, "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:x\r\nBEGIN:VEVENT\r\nUID:" + uid +
                          "\r\nDTSTAMP:20260101T000000Z\r\nDTSTART;VALUE=DATE:20261201\r\n"
                          "RRULE:FREQ=YEARLY\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n"),
              events::PutResult::kStored);
    ASSERT_TRUE(op.Commit().stored());
  };
  put_event("yearly");
  const FolderState taken = Folder();
  BackupInfo made;
  ASSERT_TRUE(backups::TakeBackup(files_, kept_.path(), Reason::kDaily, now_, &made).stored());
  EXPECT_EQ(Folder(), taken);  // only read
  EXPECT_EQ(made.appointments, 3);
  EXPECT_EQ(made.events, 1);  // counted apart: the restore question names them
  EXPECT_EQ(made.notes, 3);
  EXPECT_EQ(made.entries, 3);
  EXPECT_EQ(made.created, now_);
  qint64 raw = 0;
  for (const auto& [name, bytes] : taken) raw += bytes.size();
  EXPECT_EQ(made.raw_size, raw);
  EXPECT_LT(made.size, raw);  // compressed

  // Everything changes: items added and removed, the sync state too.
  AddSome(files_, 2);
  ASSERT_TRUE(DeleteNote(files_, 0).stored());
  ASSERT_TRUE(DeleteAppointment(files_, ReadAppointment(files_, 0).id).stored());
  SetUpSync(files_, QStringLiteral("t2"));
  put_event("another");
  EXPECT_EQ(backups::CurrentCounts(files_).events, 2);
  const FolderState changed = Folder();

  ASSERT_TRUE(backups::RestoreBackup(files_, made.path, kept_.path(), now_.addSecs(60)).stored());
  EXPECT_EQ(Folder(), taken);
  EXPECT_EQ(files_.ReadCount(Channel::kNotes), 3);  // the open set reads the copy
  // What was replaced was kept first, and puts the change back.
  const std::vector<BackupInfo> list = backups::ListBackups(kept_.path());
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].reason, Reason::kRestore);
  EXPECT_EQ(list[0].notes, 4);
  EXPECT_EQ(list[0].events, 2);
  ASSERT_TRUE(backups::RestoreBackup(files_, list[0].path, QString()).stored());
  EXPECT_EQ(Folder(), changed);
}

TEST_F(BackupsTest, AnExtraFileTheCopyDoesNotHoldIsEmptiedAndOneItHoldsComesBack) {
  AddSome(files_, 1);
  BackupInfo without_sync;
  ASSERT_TRUE(
      backups::TakeBackup(files_, kept_.path(), Reason::kImport, now_, &without_sync).stored());
  SetUpSync(files_, QStringLiteral("t1"));
  BackupInfo with_sync;
  ASSERT_TRUE(
      backups::TakeBackup(files_, kept_.path(), Reason::kFirstSync, now_.addSecs(1), &with_sync)
          .stored());
  const FolderState synced = Folder();
  ASSERT_TRUE(backups::RestoreBackup(files_, without_sync.path, QString()).stored());
  EXPECT_EQ(FileBytes(data_.filePath(QStringLiteral("Sync.dat"))), QByteArray());
  EXPECT_FALSE(sync::LoadState(files_)->settings.server.isValid());  // not set up
  // A folder that never had the file gets it back from the copy.
  files_.CloseDataFiles();
  QFile::remove(data_.filePath(QStringLiteral("Sync.dat")));
  ASSERT_EQ(files_.OpenDataFiles(), store::OpenResult::kOpened);
  ASSERT_TRUE(backups::RestoreBackup(files_, with_sync.path, QString()).stored());
  EXPECT_EQ(Folder(), synced);
}

TEST_F(BackupsTest, TheNewestFourteenAreKeptAndEachOfThemPutsItsDayBack) {
  std::map<QString, FolderState> states;  // by backup file
  for (int i = 0; i < 16; ++i) {
    AddSome(files_, 1);
    // A leftover of a copy that was interrupted, ignored and cleared.
    if (i == 5) {
      QFile partial(QDir(kept_.path()).filePath(QStringLiteral("2026-12-09_x.qbackup.AbCdEf")));
      ASSERT_TRUE(partial.open(QIODevice::WriteOnly));
      partial.write("QBACKUP1 torn");
    }
    ASSERT_TRUE(backups::TakeAutomaticBackup(files_, kept_.path(), Reason::kDaily, now_.addDays(i))
                    .stored());
    states[backups::ListBackups(kept_.path()).front().path] = Folder();
  }
  const std::vector<BackupInfo> list = backups::ListBackups(kept_.path());
  ASSERT_EQ(list.size(), std::size_t(backups::kKept));
  EXPECT_EQ(QDir(kept_.path()).entryList(QDir::Files).size(), backups::kKept);
  for (std::size_t i = 0; i < list.size(); ++i) {
    EXPECT_EQ(list[i].created, now_.addDays(15 - int(i)));  // newest first
    EXPECT_EQ(list[i].appointments, 16 - int(i));
  }
  // Each one, in an order unlike the list's, puts back exactly its state.
  for (std::size_t k = 0; k < list.size(); ++k) {
    const BackupInfo& b = list[(k * 5) % list.size()];
    ASSERT_TRUE(backups::RestoreBackup(files_, b.path, QString()).stored()) << b.path.toStdString();
    EXPECT_EQ(Folder(), states[b.path]) << b.path.toStdString();
  }
}

TEST_F(BackupsTest, ADamagedCopyIsRefusedWithNothingChanged) {
  AddSome(files_, 2);
  BackupInfo made;
  ASSERT_TRUE(backups::TakeBackup(files_, kept_.path(), Reason::kDaily, now_, &made).stored());
  AddSome(files_, 1);
  const FolderState now = Folder();
  const QByteArray whole = FileBytes(made.path);
  for (qsizetype at : {whole.size() / 2, whole.size() - 1, qsizetype(30)}) {
    QByteArray bad = whole;
    bad[at] = char(bad[at] ^ 0x20);
    QFile f(made.path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bad);
    f.close();
    const store::Outcome outcome = backups::RestoreBackup(files_, made.path, kept_.path());
    EXPECT_TRUE(outcome.refused()) << at;
    EXPECT_TRUE(outcome.reason().contains(QStringLiteral("damaged")));
    EXPECT_EQ(Folder(), now);
  }
  // Cut short or not a copy at all: not even listed.
  for (const QByteArray& bad : {whole.left(20), QByteArray("hello"), QByteArray()}) {
    QFile f(made.path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bad);
    f.close();
    // A header cut short is left out; one whose body is cut is listed
    // but refused.
    if (backups::ReadBackupInfo(made.path)) {
      EXPECT_TRUE(backups::RestoreBackup(files_, made.path, QString()).refused());
    }
  }
  EXPECT_EQ(Folder(), now);
}

TEST_F(BackupsTest, EachDataFolderHasItsOwnBackupsFolderOutsideIt) {
  const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  const QString a = backups::BackupsFolderFor(data_.path());
  const QString b = backups::BackupsFolderFor(kept_.path());
  EXPECT_NE(a, b);
  EXPECT_TRUE(a.startsWith(base + QStringLiteral("/quorvel-backups/")));
  EXPECT_EQ(a, backups::BackupsFolderFor(data_.path() + QStringLiteral("/")));
  // The standard data folder itself: its copies still live beside it.
  const QString standard = base + QStringLiteral("/quorvel");
  EXPECT_FALSE(backups::BackupsFolderFor(standard).startsWith(standard + QLatin1Char('/')));
  // Two folders of the same name elsewhere do not mix.
  QTemporaryDir one, two;
  QDir(one.path()).mkdir(QStringLiteral("Data"));
  QDir(two.path()).mkdir(QStringLiteral("Data"));
  EXPECT_NE(backups::BackupsFolderFor(one.path() + QStringLiteral("/Data")),
            backups::BackupsFolderFor(two.path() + QStringLiteral("/Data")));
}

TEST_F(BackupsTest, ADailyCopyIsDueOncePerDay) {
  EXPECT_TRUE(backups::DailyBackupDue(kept_.path(), now_));
  ASSERT_TRUE(backups::TakeAutomaticBackup(files_, kept_.path(), Reason::kImport, now_).stored());
  EXPECT_TRUE(backups::DailyBackupDue(kept_.path(), now_));  // an import's copy is not the day's
  ASSERT_TRUE(backups::TakeAutomaticBackup(files_, kept_.path(), Reason::kDaily, now_).stored());
  EXPECT_FALSE(backups::DailyBackupDue(kept_.path(), now_.addSecs(3600)));
  EXPECT_TRUE(backups::DailyBackupDue(kept_.path(), now_.addDays(1)));
  // A folder that cannot be made refuses with a sentence, the files untouched.
  QFile blocker(kept_.filePath(QStringLiteral("file")));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  const store::Outcome refused =
      backups::TakeBackup(files_, kept_.filePath(QStringLiteral("file/sub")), Reason::kDaily, now_);
  EXPECT_TRUE(refused.refused());
  EXPECT_FALSE(refused.reason().isEmpty());
}

// A restore is one journaled operation: at every crash point every file is
// as before or as in the copy.
class BackupsCrashTest : public SeamsFixture {};

TEST_F(BackupsCrashTest, ARestoreIsAllOrNothingAtEveryCrashPoint) {
  auto kept = std::make_shared<QTemporaryDir>();
  auto path = std::make_shared<QString>();
  RunSweep("restore of a backup over changed files",
           {[kept, path](const QString& dir) {
              Fill(dir, [&](DataFiles& files) {
                AddSome(files, 2);
                BackupInfo made;
                ASSERT_TRUE(backups::TakeBackup(files, kept->path(), Reason::kDaily,
                                                QDateTime::currentDateTime(), &made)
                                .stored());
                *path = made.path;
                AddSome(files, 1);
                ASSERT_TRUE(DeleteNote(files, 0).stored());
                SetUpSync(files, QStringLiteral("t"));
              });
            },
            [path](DataFiles& files) {
              EXPECT_TRUE(backups::RestoreBackup(files, *path, QString()).stored());
            }});
}

// Real processes killed at a random moment while they take or put back a
// copy: the backups folder always lists only whole copies, and the data
// folder always opens as before or as after.
TEST(BackupsKillTest, AKilledBackupOrRestoreLeavesOldOrNewStateAndAUsableList) {
  QTemporaryDir data, out;
  FolderState before, after;
  QString copy;
  {
    DataFiles files;
    files.SetDataDir(data.path());
    files.OpenDataFiles();
    for (int i = 0; i < 40; ++i) {
      ASSERT_TRUE(
          SaveNote(files, QStringLiteral("Note %1").arg(i), QString(480, QChar('a' + i % 26)))
              .stored());
    }
    BackupInfo made;
    ASSERT_TRUE(backups::TakeBackup(files, out.path(), Reason::kCommand,
                                    QDateTime::currentDateTime(), &made)
                    .stored());
    copy = made.path;
    // The copy's own state, then the state a restore replaces.
    files.CloseDataFiles();
    after = ReadFolder(data.path());
    files.OpenDataFiles();
    for (int i = 0; i < 30; ++i) ASSERT_TRUE(DeleteNote(files, 0).stored());
    ASSERT_TRUE(SaveNote(files, QStringLiteral("Later"), QStringLiteral("l")).stored());
    files.CloseDataFiles();
    before = ReadFolder(data.path());
  }
  auto run = [&](const QStringList& arguments, int delay_us) {
    QProcess program;
    program.start(QStringLiteral(QUORVEL_BINARY), arguments);
    EXPECT_TRUE(program.waitForStarted());
    if (delay_us >= 0) {
      QThread::usleep(static_cast<unsigned long>(delay_us));
      program.kill();
    }
    program.waitForFinished(30000);
  };
  auto check_list = [&] {
    for (const BackupInfo& b : backups::ListBackups(out.path())) {
      EXPECT_TRUE(backups::ReadBackupInfo(b.path).has_value());
      DataFiles scratch;
      QTemporaryDir scratch_dir;
      scratch.SetDataDir(scratch_dir.path());
      scratch.OpenDataFiles();
      EXPECT_TRUE(backups::RestoreBackup(scratch, b.path, QString()).stored())
          << b.path.toStdString();
    }
  };
  auto* random = QRandomGenerator::global();
  for (int round = 0; round < 8; ++round) {
    WriteFolder(data.path(), before);
    run({QStringLiteral("--data-folder"), data.path(), QStringLiteral("--backup"), out.path()},
        int(random->bounded(60000)));
    check_list();
    EXPECT_EQ(ReadFolder(data.path()), before);  // a backup only reads
    run({QStringLiteral("--data-folder"), data.path(), QStringLiteral("--restore"), copy},
        int(random->bounded(80000)));
    // Reopened (rolling back what a kill cut short): old or new.
    {
      DataFiles files;
      files.SetDataDir(data.path());
      ASSERT_EQ(files.OpenDataFiles(), store::OpenResult::kOpened);
    }
    const FolderState now = ReadFolder(data.path());
    FolderState now_four, before_four, after_four;
    for (const char* name : {"Appoint.dat", "Notes.dat", "AddBook.dat", "PhotoF.dat"}) {
      now_four[name] = now.count(name) ? now.at(name) : QByteArray();
      before_four[name] = before.at(name);
      after_four[name] = after.at(name);
    }
    EXPECT_TRUE(now_four == before_four || now_four == after_four) << "round " << round;
  }
  // Unhurried, both work and say so.
  WriteFolder(data.path(), before);
  QProcess program;
  program.start(QStringLiteral(QUORVEL_BINARY),
                {QStringLiteral("--data-folder"), data.path(), QStringLiteral("--restore"), copy});
  ASSERT_TRUE(program.waitForFinished(30000));
  EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
  EXPECT_TRUE(program.readAllStandardOutput().contains("Restored"));
  FolderState restored = ReadFolder(data.path());
  for (const char* name : {"Appoint.dat", "Notes.dat", "AddBook.dat", "PhotoF.dat"}) {
    EXPECT_EQ(restored[name], after.at(name)) << name;
  }
  check_list();
}

}  // namespace
}  // namespace quorvel::testing
