// Crash and failure sweeps over one store operation: the operation is run
// once per crash point (with each way a crash can leave the disk) and once
// per failing system call, and every time the folder, reopened with the
// real file system, must hold every data file exactly as it was before the
// operation or every one exactly as it is after it.
#pragma once

#include <functional>
#include <iostream>
#include <map>
#include <memory>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "faulty_file_system.h"
#include "store/data_files.h"
#include "store/fatal.h"
#include "store/journal.h"
#include "test_support.h"

namespace quorvel::testing {

// Every file of a folder, by name.
using FolderState = std::map<QString, QByteArray>;

inline FolderState ReadFolder(const QString& dir) {
  FolderState state;
  for (const QString& name : QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::NoSymLinks)) {
    state[name] = FileBytes(QDir(dir).filePath(name));
  }
  return state;
}

inline void WriteFolder(const QString& dir, const FolderState& state) {
  for (const QString& name : QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::NoSymLinks)) {
    QFile::remove(QDir(dir).filePath(name));
  }
  for (const auto& [name, bytes] : state) {
    QFile file(QDir(dir).filePath(name));
    if (!file.open(QIODevice::WriteOnly)) std::abort();
    file.write(bytes);
  }
}

// The identity of the file at `path`, as the store records it.
inline store::FileIdentity IdentityOf(const QString& path) {
  store::PosixFileSystem fs;
  store::SystemError error;
  store::FileIdentity identity;
  const int handle = fs.Open(QFile::encodeName(path), false, &error);
  if (handle < 0 || !fs.Identify(handle, &identity, &error)) std::abort();
  fs.Close(handle, &error);
  return identity;
}

// A journal as the store writes it for the data file at `path`.
inline store::Journal JournalFor(const QString& path, int record_length, qint64 original_length,
                                 std::vector<store::Journal::Entry> entries) {
  store::Journal journal;
  journal.record_length = record_length;
  journal.original_length = original_length;
  journal.identity = IdentityOf(path);
  journal.file_name = QFileInfo(path).fileName().toLatin1();
  journal.entries = std::move(entries);
  return journal;
}

// A temporary folder in memory where the system offers one: the sweeps
// flush thousands of times.
inline std::unique_ptr<QTemporaryDir> SweepFolder() {
  if (QFileInfo(QStringLiteral("/dev/shm")).isWritable()) {
    auto dir = std::make_unique<QTemporaryDir>(QStringLiteral("/dev/shm/quorvel-sweep-XXXXXX"));
    if (dir->isValid()) return dir;
  }
  return std::make_unique<QTemporaryDir>();
}

struct SweepTotals {
  int crash_points = 0;  // crash point x disk image, each checked
  int failures = 0;      // failing calls, each checked
};
inline SweepTotals& Totals() {
  static SweepTotals totals;
  return totals;
}

struct Sweep {
  // Prepares the folder (with the real file system); may leave it empty.
  std::function<void(const QString& dir)> prepare;
  // The operation under test, on an open file set. Empty: the operation is
  // opening the folder itself.
  std::function<void(store::DataFiles&)> operation;
};

// Runs `sweep`; adds gtest failures for every point that leaves a file
// neither before nor after. Returns the number of points checked.
inline int RunSweep(const char* name, const Sweep& sweep) {
  auto folder = SweepFolder();
  const QString dir = folder->path();
  sweep.prepare(dir);
  const FolderState before = ReadFolder(dir);

  // Runs the operation over a FaultyFileSystem set up by `arm`.
  auto run = [&](const std::function<void(FaultyFileSystem&)>& arm) {
    WriteFolder(dir, before);
    auto fs = std::make_shared<FaultyFileSystem>();
    {
      store::DataFiles files(fs);
      files.SetDataDir(dir);
      try {
        if (sweep.operation) {
          files.OpenDataFiles();
          fs->Arm();
          arm(*fs);
          sweep.operation(files);
        } else {
          fs->Arm();
          arm(*fs);
          files.OpenDataFiles();
        }
      } catch (const SimulatedCrash&) {
      } catch (const store::FatalError&) {
      }
    }
    return fs;
  };

  const auto clean = run([](FaultyFileSystem&) {});
  const int changes = clean->changes();
  const int calls = clean->calls();
  const FolderState after = ReadFolder(dir);
  EXPECT_NE(after, before) << name << ": the operation changes nothing";

  int checked = 0;
  auto check = [&](const QString& where) {
    ++checked;
    store::DataFiles files;
    files.SetDataDir(dir);
    try {
      ASSERT_EQ(files.OpenDataFiles(), store::OpenResult::kOpened) << name << where.toStdString();
      // The reminders' file is opened (and rolled back) by its own keeper,
      // not with the four.
      if (QFileInfo::exists(QDir(dir).filePath(QStringLiteral("Remind.dat")))) {
        files.OpenExtraFile(store::Channel::kRemind);
      }
    } catch (const store::FatalError& e) {
      ADD_FAILURE() << name << where.toStdString() << ": reopening failed: " << e.what();
      return;
    }
    files.CloseDataFiles();
    // The operation is all or nothing as a whole: every file as before, or
    // every file as after, never some of each.
    const FolderState now = ReadFolder(dir);
    QStringList not_before, not_after;
    for (const auto& [file, bytes] : now) {
      const auto was = before.find(file);
      const bool as_before = was != before.end() ? was->second == bytes : bytes.isEmpty();
      const auto will = after.find(file);
      const bool as_after = will != after.end() && will->second == bytes;
      EXPECT_TRUE(as_before || as_after)
          << name << where.toStdString() << ": " << file.toStdString()
          << " is neither as before nor as after (" << bytes.size() << " bytes)";
      if (!as_before) not_before << file;
      if (!as_after) not_after << file;
    }
    EXPECT_TRUE(not_before.isEmpty() || not_after.isEmpty())
        << name << where.toStdString() << ": " << not_before.join(QLatin1Char(' ')).toStdString()
        << " as after, but " << not_after.join(QLatin1Char(' ')).toStdString() << " as before";
    EXPECT_EQ(now.size(), after.size()) << name << where.toStdString() << ": files left over";
  };

  // What the machine finds on restart, before anything is rolled back: a
  // data file that is neither as before nor as after has an intact journal
  // beside it.
  auto check_found = [&](const QString& where) {
    const FolderState found = ReadFolder(dir);
    for (store::Channel channel : store::kEveryChannel) {
      const QString file = QString::fromLatin1(store::Info(channel).file_name);
      const QByteArray bytes = found.count(file) ? found.at(file) : QByteArray();
      const QByteArray was = before.count(file) ? before.at(file) : QByteArray();
      if (bytes == was || (after.count(file) && bytes == after.at(file))) continue;
      const QString journal = store::JournalPath(file);
      const auto intact =
          found.count(journal)
              ? store::DecodeJournal(found.at(journal), store::Info(channel).record_length)
              : std::nullopt;
      EXPECT_TRUE(intact.has_value()) << name << where.toStdString() << ": " << file.toStdString()
                                      << " changed halfway without an intact journal";
      // The journal names this very file, so it is applied on restart.
      if (intact) {
        EXPECT_FALSE(intact->legacy);
        EXPECT_EQ(intact->file_name, store::Info(channel).file_name);
        EXPECT_TRUE(store::SameFile(intact->identity, IdentityOf(QDir(dir).filePath(file))))
            << name << where.toStdString() << ": " << file.toStdString()
            << "'s journal records another file";
      }
    }
  };

  for (int n = 1; n <= changes; ++n) {
    for (CrashImage image : kAllCrashImages) {
      const auto fs = run([n](FaultyFileSystem& f) { f.CrashAtChange(n); });
      EXPECT_TRUE(fs->crashed()) << name << " change " << n;
      fs->Materialize(image);
      check_found(QStringLiteral(", crash at change %1, image %2").arg(n).arg(int(image)));
      check(QStringLiteral(", crash at change %1, image %2").arg(n).arg(int(image)));
      ++Totals().crash_points;
    }
  }
  for (int n = 1; n <= calls; ++n) {
    run([n](FaultyFileSystem& f) { f.FailAtCall(n); });
    check(QStringLiteral(", failure of call %1").arg(n));
    ++Totals().failures;
  }
  std::cout << "[ sweep    ] " << name << ": " << changes << " changes x 4 images, " << calls
            << " failing calls\n";
  return checked;
}

// Opens the folder with the real file system, runs `fill` on it and closes.
inline void Fill(const QString& dir, const std::function<void(store::DataFiles&)>& fill) {
  store::DataFiles files;
  files.SetDataDir(dir);
  files.OpenDataFiles();
  fill(files);
  files.CloseDataFiles();
}

}  // namespace quorvel::testing
