// The store's change announcement and the windows' signal made of it.
#include <thread>
#include <vector>

#include <QCoreApplication>
#include <QDir>
#include <QSignalSpy>
#include <QThread>

#include "items/appointment_file.h"
#include "store/data_files.h"
#include "test_support.h"
#include "ui/data_changes.h"

namespace quorvel::testing {
namespace {

using store::ChangedFiles;
using store::Channel;
using store::DataFiles;
using store::Operation;

class StoreChangesTest : public SeamsFixture {
 protected:
  void SetUp() override {
    SeamsFixture::SetUp();
    files_.SetDataDir(dir_.path());
    files_.OpenDataFiles();
  }
  // Records every announcement from now on.
  void Listen() {
    files_.AddChangeListener([this](ChangedFiles changed) { heard_.push_back(changed); });
  }
  void Write(std::initializer_list<Channel> channels, const QString& text) {
    Operation op(files_);
    for (Channel channel : channels) op.WriteText(channel, 1, text);
    ASSERT_TRUE(op.Commit().stored());
  }

  DataFiles files_;
  std::vector<ChangedFiles> heard_;
};

TEST_F(StoreChangesTest, EachCommitThatChangesFilesIsAnnouncedOnceWithExactlyThoseFiles) {
  Listen();
  Write({Channel::kAppoint, Channel::kNotes}, QStringLiteral("a"));
  Write({Channel::kAddBook}, QStringLiteral("b"));
  files_.OpenExtraFile(Channel::kSync);
  {
    Operation op(files_);
    op.WriteRecord(Channel::kSync, 1, QByteArray("state"));
    ASSERT_TRUE(op.Commit().stored());
  }
  // The file operations the windows use go the same way.
  ASSERT_TRUE(
      AddAppointment(
          files_,
          Appointment{QStringLiteral("20260107-1"), QStringLiteral("One"), {}, {}, false, {}, {}})
          .stored());
  ASSERT_EQ(heard_.size(), 4u);
  EXPECT_EQ(heard_[0], (ChangedFiles{Channel::kAppoint, Channel::kNotes}));
  EXPECT_EQ(heard_[1], ChangedFiles{Channel::kAddBook});
  EXPECT_EQ(heard_[2], ChangedFiles{Channel::kSync});
  // An appointment added keeps its UID beside it, in the same commit.
  EXPECT_EQ(heard_[3], (ChangedFiles{Channel::kAppoint, Channel::kImported}));
  EXPECT_FALSE(heard_[3].Has(Channel::kNotes));
}

TEST_F(StoreChangesTest, NothingIsAnnouncedForARefusalAnUnchangedWriteOrAnUncommittedOperation) {
  Write({Channel::kNotes}, QStringLiteral("same"));
  Listen();
  {
    Operation op(files_);
    op.WriteText(Channel::kAppoint, 1, QStringLiteral("x"));
    op.WriteText(Channel::kNotes, 1, QString(QChar(0x4E2D)));  // not in the code page
    EXPECT_TRUE(op.Commit().refused());
  }
  {
    Operation op(files_);
    op.WriteText(Channel::kNotes, 1, QStringLiteral("same"));
    EXPECT_TRUE(op.Commit().stored());
  }
  {
    Operation op(files_);
    op.WriteText(Channel::kAppoint, 1, QStringLiteral("never committed"));
  }
  EXPECT_TRUE(heard_.empty());
  EXPECT_TRUE(messages_.isEmpty());
}

TEST_F(StoreChangesTest, ListenersHearOnlyOnceTheChangeIsOnDiskAndTheJournalsAreGone) {
  QByteArray seen;
  QStringList left;
  files_.AddChangeListener([&](ChangedFiles) {
    seen = RecordBytes(Path("Notes.dat"), 500, 1);
    left = QDir(dir_.path()).entryList({QStringLiteral("*journal*")}, QDir::Files);
  });
  Write({Channel::kNotes}, QStringLiteral("on disk"));
  EXPECT_EQ(seen.left(9), QByteArray("\x07\x00on disk", 9));
  EXPECT_TRUE(left.isEmpty()) << left.join(' ').toStdString();
}

// A listener that reacts by changing the files (the way a window's refresh
// might store something) must not see its own change delivered in the
// middle of the first, nor make anyone hear a change twice or out of order.
TEST_F(StoreChangesTest, AListenerMayCommitAnOperationAndEveryoneHearsBothInOrder) {
  std::vector<ChangedFiles> first, second;
  files_.AddChangeListener([&](ChangedFiles changed) {
    first.push_back(changed);
    if (first.size() == 1) {
      EXPECT_TRUE(second.empty());  // not yet: this change is still going round
      Operation op(files_);
      op.WriteText(Channel::kAddBook, 1, QStringLiteral("from a listener"));
      EXPECT_TRUE(op.Commit().stored());
      EXPECT_EQ(first.size(), 1u);  // its own change comes after this one
    }
  });
  files_.AddChangeListener([&](ChangedFiles changed) { second.push_back(changed); });
  Write({Channel::kNotes}, QStringLiteral("n"));
  const std::vector<ChangedFiles> expected = {ChangedFiles{Channel::kNotes},
                                              ChangedFiles{Channel::kAddBook}};
  EXPECT_EQ(first, expected);
  EXPECT_EQ(second, expected);
  // And the files take the next operation as usual.
  Write({Channel::kAppoint}, QStringLiteral("after"));
  EXPECT_EQ(second.size(), 3u);
}

TEST_F(StoreChangesTest, AListenerRemovedWhileOthersAreCalledHearsNothingMore) {
  int a = 0, b = 0, c = 0;
  int id_b = 0, id_c = 0;
  const int id_a = files_.AddChangeListener([&](ChangedFiles) {
    ++a;
    files_.RemoveChangeListener(id_c);  // one that has not been called yet
  });
  id_b = files_.AddChangeListener([&](ChangedFiles) {
    ++b;
    files_.RemoveChangeListener(id_b);  // itself
  });
  id_c = files_.AddChangeListener([&](ChangedFiles) { ++c; });
  Write({Channel::kNotes}, QStringLiteral("1"));
  Write({Channel::kNotes}, QStringLiteral("2"));
  EXPECT_EQ(a, 2);
  EXPECT_EQ(b, 1);
  EXPECT_EQ(c, 0);
  files_.RemoveChangeListener(id_a);
  Write({Channel::kNotes}, QStringLiteral("3"));
  EXPECT_EQ(a, 2);
}

TEST_F(StoreChangesTest, WindowsGetOneQueuedSignalForEverythingChangedMeanwhile) {
  DataChanges changes(files_);
  QSignalSpy spy(&changes, &DataChanges::DataChanged);
  Write({Channel::kNotes}, QStringLiteral("1"));
  Write({Channel::kAddBook}, QStringLiteral("2"));
  // Not in the middle of the action that changed the files.
  EXPECT_EQ(spy.count(), 0);
  QCoreApplication::processEvents();
  ASSERT_EQ(spy.count(), 1);
  EXPECT_EQ(spy.at(0).at(0).value<ChangedFiles>(),
            (ChangedFiles{Channel::kNotes, Channel::kAddBook}));
  QCoreApplication::processEvents();
  EXPECT_EQ(spy.count(), 1);
}

TEST_F(StoreChangesTest, AChangeCommittedOnAnotherThreadReachesTheWindowsOnTheirs) {
  DataChanges changes(files_);
  QThread* heard_on = nullptr;
  QObject::connect(&changes, &DataChanges::DataChanged, &changes,
                   [&](ChangedFiles) { heard_on = QThread::currentThread(); });
  std::thread worker([&] { Write({Channel::kAppoint}, QStringLiteral("from the worker")); });
  worker.join();
  EXPECT_EQ(heard_on, nullptr);
  QCoreApplication::processEvents();
  EXPECT_EQ(heard_on, QThread::currentThread());
}

TEST_F(StoreChangesTest, NothingReachesTheWindowsOnceTheFilesAreClosed) {
  DataChanges changes(files_);
  QSignalSpy spy(&changes, &DataChanges::DataChanged);
  Write({Channel::kNotes}, QStringLiteral("last"));
  files_.CloseDataFiles();
  QCoreApplication::processEvents();
  EXPECT_EQ(spy.count(), 0);
  EXPECT_TRUE(fatal_.isEmpty());
}

}  // namespace
}  // namespace quorvel::testing
