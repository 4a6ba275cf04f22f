// Copies of the whole data folder kept beside it: the four files and the
// extra files, each copy a consistent snapshot and one file of its own.
//
// A copy is taken by the process that holds the folder, between two
// operations, so it never holds half a change; it is written under a
// temporary name, made durable and only then given its name, so a copy
// that is listed is whole (a crash leaves at most a temporary file, which
// the next copy clears away). Each file is compressed with zlib (qCompress)
// and the whole copy is closed by a checksum.
//
// The automatic copies of a data folder live in a folder of their own under
// the account's standard data location, never inside the data folder; the
// newest kKept are kept. Putting a copy back goes through one journaled
// operation, so a crash leaves the files as they were or as in the copy.
#pragma once

#include <optional>
#include <vector>

#include <QCoreApplication>
#include <QDateTime>
#include <QString>

#include "store/data_files.h"
#include "store/outcome.h"

namespace quorvel {

// BackupTexts::tr(...): what backups tell the user, in the "Backups" context.
class BackupTexts {
  Q_DECLARE_TR_FUNCTIONS(Backups)
};

}  // namespace quorvel

namespace quorvel::backups {

inline constexpr int kKept = 14;

// Why a copy was taken.
enum class Reason { kDaily, kImport, kFirstSync, kRestore, kCommand };

struct BackupInfo {
  QString path;       // the copy's file
  QDateTime created;  // local time
  Reason reason = Reason::kDaily;
  int appointments = 0;  // what the copy holds
  int events = 0;        // repeating and all-day appointments (Events.dat)
  int notes = 0;
  int entries = 0;
  qint64 size = 0;      // bytes on disk
  qint64 raw_size = 0;  // bytes of the files it holds
};

// The folder that keeps the automatic copies of the data folder `data_dir`:
// under $XDG_DATA_HOME/quorvel-backups, one folder per data folder (its name
// and a digest of its full path, so two folders never mix).
QString BackupsFolderFor(const QString& data_dir);

// A reason for the user: "Daily", "Before import" …
QString ReasonText(Reason reason);

// Copies the open files into a new file in `folder` (created when missing)
// named for `now`. On success `made` describes the copy. A folder that
// cannot be written refuses with a sentence; the data files are only read.
store::Outcome TakeBackup(store::DataFiles& files, const QString& folder, Reason reason,
                          const QDateTime& now = QDateTime::currentDateTime(),
                          BackupInfo* made = nullptr);
// The same, then removes all but the newest kKept copies in `folder` and
// any temporary file an interrupted copy left there.
store::Outcome TakeAutomaticBackup(store::DataFiles& files, const QString& folder, Reason reason,
                                   const QDateTime& now = QDateTime::currentDateTime());

// The copies in `folder`, newest first. Files that are not whole copies are
// left out.
std::vector<BackupInfo> ListBackups(const QString& folder);
// What one copy file holds, or nothing when it is not a whole copy.
std::optional<BackupInfo> ReadBackupInfo(const QString& path);

// Whether `folder` holds no daily copy from the day of `now` yet.
bool DailyBackupDue(const QString& folder, const QDateTime& now = QDateTime::currentDateTime());

// What the open files hold now, as a BackupInfo without a file.
BackupInfo CurrentCounts(const store::DataFiles& files);

// Puts the copy at `path` back into the open files in one operation: every
// file as the copy holds it, an extra file the copy does not hold emptied.
// First, when `keep_in` is not empty, what the files hold now is itself
// kept there as a copy (as TakeAutomaticBackup does). A damaged or
// unreadable copy, or a copy of the files now that cannot be written,
// refuses with nothing changed.
store::Outcome RestoreBackup(store::DataFiles& files, const QString& path, const QString& keep_in,
                             const QDateTime& now = QDateTime::currentDateTime());

}  // namespace quorvel::backups
