// The store against real processes: a writer killed midway through a large
// delete, and a second program started in a folder that is in use.
#include <QDir>
#include <QProcess>
#include <QThread>

#include "app/application.h"
#include "app/main_window.h"
#include "store/data_files.h"
#include "store_sweep.h"
#include "test_support.h"

namespace quorvel::testing {
namespace {

using store::Channel;
using store::DataFiles;

class StoreProcessTest : public SeamsFixture {
 protected:
  // Runs the helper to its end; returns its standard output.
  QByteArray RunChild(const QStringList& args, int* exit_code = nullptr) {
    QProcess child;
    child.start(QStringLiteral(QUORVEL_STORE_CHILD), args);
    EXPECT_TRUE(child.waitForFinished(120000)) << args.join(' ').toStdString();
    if (exit_code != nullptr) *exit_code = child.exitCode();
    return child.readAllStandardOutput();
  }
  // Starts the helper and waits until it prints `line`.
  void StartChild(QProcess& child, const QStringList& args, const QByteArray& line) {
    child.start(QStringLiteral(QUORVEL_STORE_CHILD), args);
    ASSERT_TRUE(child.waitForStarted());
    QByteArray out;
    while (!out.contains(line)) {
      ASSERT_TRUE(child.waitForReadyRead(60000)) << out.toStdString();
      out += child.readAllStandardOutput();
    }
  }
  // What a new start finds in `dir`, after its rollback.
  FolderState RestartIn(const QString& dir) {
    DataFiles files;
    files.SetDataDir(dir);
    EXPECT_EQ(files.OpenDataFiles(), store::OpenResult::kOpened);
    files.CloseDataFiles();
    return ReadFolder(dir);
  }
  void Kill(QProcess& child) {
    child.kill();  // SIGKILL
    ASSERT_TRUE(child.waitForFinished(60000));
  }
};

TEST_F(StoreProcessTest, AWriterKilledDuringALargeDeleteLeavesBeforeOrAfter) {
  const QString dir = dir_.path();
  int code = -1;
  RunChild({QStringLiteral("fill"), dir, QStringLiteral("1500")}, &code);
  ASSERT_EQ(code, 0);
  const FolderState before = ReadFolder(dir);
  const QByteArray done = RunChild({QStringLiteral("delete"), dir, QStringLiteral("0")}, &code);
  ASSERT_EQ(code, 0);
  const FolderState after = ReadFolder(dir);
  ASSERT_NE(before, after);
  const int changes = done.mid(done.indexOf("changes ") + 8).trimmed().toInt();
  // journal created, written (in 1 KiB pieces), flushed, folder flushed;
  // the records written in 1 KiB pieces; ...
  ASSERT_GT(changes, 1000);

  // The last changes: both files flushed, the first journal removed (the
  // operation counts as done from here on), the second removed, the folder
  // flushed.
  std::vector<int> points = {1,           2,           3,           4,           5,
                             6,           7,           100,         changes / 2, changes - 5,
                             changes - 4, changes - 3, changes - 2, changes - 1};
  int as_before = 0;
  int as_after = 0;
  for (int point : points) {
    WriteFolder(dir, before);
    QProcess child;
    StartChild(child, {QStringLiteral("delete"), dir, QStringLiteral("0"), QString::number(point)},
               "paused");
    Kill(child);
    const FolderState now = RestartIn(dir);
    EXPECT_TRUE(now == before || now == after) << "killed after change " << point;
    as_before += now == before;
    as_after += now == after;
  }
  EXPECT_GT(as_before, 0);
  EXPECT_GT(as_after, 0);  // killed after the data was flushed: kept

  // And at moments nobody chose, while the records are being moved.
  for (int delay_ms : {5, 20, 60}) {
    WriteFolder(dir, before);
    QProcess child;
    child.start(QStringLiteral(QUORVEL_STORE_CHILD),
                {QStringLiteral("delete"), dir, QStringLiteral("0")});
    ASSERT_TRUE(child.waitForStarted());
    QThread::msleep(delay_ms);
    Kill(child);
    const FolderState now = RestartIn(dir);
    EXPECT_TRUE(now == before || now == after) << "killed after " << delay_ms << " ms";
  }
}

TEST_F(StoreProcessTest, ASecondProgramInAFolderInUseIsRefusedAndWritesNothing) {
  const QString dir = dir_.path();
  QProcess holder;
  StartChild(holder, {QStringLiteral("hold"), dir}, "holding");
  // An operation of the first program left unfinished: its journal must
  // not be touched by the second.
  QFile journal(Path(QStringLiteral("Notes.dat-journal")));
  ASSERT_TRUE(journal.open(QIODevice::WriteOnly));
  journal.write("partial");
  journal.close();
  const FolderState before = ReadFolder(dir);

  int code = -1;
  RunChild({QStringLiteral("open"), dir}, &code);
  EXPECT_EQ(code, 3);
  EXPECT_EQ(ReadFolder(dir), before);

  {
    Application app;
    bool ended = false;
    app.SetProcessEnd([&] { ended = true; });
    app.OpenDataIn(dir);
    EXPECT_TRUE(ended);
    ASSERT_EQ(messages_.size(), 1);
    EXPECT_EQ(messages_.front(), store::FolderInUseMessage(dir));
    EXPECT_TRUE(messages_.front().contains(QStringLiteral("already running")));
    EXPECT_FALSE(app.files().IsOpen(Channel::kAppoint));
  }
  EXPECT_EQ(ReadFolder(dir), before);

  // The whole start-up stops at the first refused pass: no main window.
  {
    messages_.clear();
    Application app;
    bool ended = false;
    app.SetProcessEnd([&] { ended = true; });
    const QString started_in = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir));
    app.Start();
    QDir::setCurrent(started_in);
    EXPECT_TRUE(ended);
    EXPECT_EQ(messages_.size(), 1);
    EXPECT_FALSE(app.Main().isVisible());
  }
  EXPECT_EQ(ReadFolder(dir), before);

  // The lock ends with the process, however it ends.
  Kill(holder);
  RunChild({QStringLiteral("open"), dir}, &code);
  EXPECT_EQ(code, 0);
  EXPECT_FALSE(QFile::exists(Path(QStringLiteral("Notes.dat-journal"))));
}

TEST_F(StoreProcessTest, TheSameProgramMayOpenItsFolderAgainAndAgain) {
  DataFiles files;
  files.SetDataDir(dir_.path());
  for (int pass = 0; pass < 5; ++pass) {
    ASSERT_EQ(files.OpenDataFiles(), store::OpenResult::kOpened);
  }
  int code = -1;
  RunChild({QStringLiteral("open"), dir_.path()}, &code);
  EXPECT_EQ(code, 3);
  files.CloseDataFiles();
  RunChild({QStringLiteral("open"), dir_.path()}, &code);
  EXPECT_EQ(code, 0);
}

}  // namespace
}  // namespace quorvel::testing
