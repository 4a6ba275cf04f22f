// The four record files and the operation scope through which they change.
//
// Every data file is a sequence of fixed-length records numbered from 1, one
// value per record: a text (2-byte length, then Windows-1252 bytes), a 16-bit
// integer, or a variant (2-byte tag, then a 16- or 32-bit integer, or nothing).
// Items are stored in groups of N records; record N holds the item count.
//
// Where the parts live: store/record_codec.* (one value in one record, the
// files' fixed facts), store/data_files.cpp (opening the set and reading),
// store/operation.cpp (staging and committing a change), store/recovery.cpp
// (rolling back an unfinished change at start), store/journal.* (the
// rollback journal's bytes), store/folder_lock.cpp (one program per folder),
// store/file_system.* (the system calls), store/messages.* (what the user
// is told).
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include <QByteArray>
#include <QString>

#include "store/change_listeners.h"
#include "store/file_system.h"
#include "store/journal.h"
#include "store/messages.h"
#include "store/operation.h"  // the one way to change them comes with the files
#include "store/outcome.h"
#include "store/record_codec.h"

namespace quorvel::store {

class Operation;

// What one committed operation changed in one file: the records whose bytes
// changed, each as it was and as it became (zero-filled past the end of the
// file), and the file's length before and after.
//
// The images are not copied out record by record: the old bytes are read
// where the operation's journal holds them (the journal's bytes, shared),
// and the new ones where the operation staged them, shared too when the
// changed records fill most of the stretch it staged (a change of a few
// records far apart keeps only their copies).
struct FileChange {
  Channel channel = Channel::kAppoint;
  qint64 size_before = 0;
  qint64 size_after = 0;
  std::vector<int> records;  // ascending

  // Record entry `i` of `records` as it was, and as it became: record
  // length bytes, valid as long as this change is.
  QByteArrayView Before(std::size_t i) const { return Image(before, before_at, i); }
  QByteArrayView After(std::size_t i) const { return Image(after, after_at, i); }
  // The memory the images hold on to, in bytes.
  qint64 bytes = 0;

  // Where the images lie: entry i in `before` at before_at[i] (-1: zeros),
  // likewise in `after`.
  QByteArray before;
  std::vector<qsizetype> before_at;
  QByteArray after;
  std::vector<qsizetype> after_at;

 private:
  QByteArrayView Image(const QByteArray& store, const std::vector<qsizetype>& at,
                       std::size_t i) const;
};
// What one committed operation changed, file by file in channel order.
struct CommittedChange {
  std::vector<FileChange> files;
};

// What OpenDataFiles found.
enum class OpenResult {
  kOpened,  // the four files are open and this process holds the folder
  // Another running Quorvel holds the folder: nothing was opened, created or
  // written, and the set stays closed. Show FolderInUseMessage and end.
  kInUse,
};

// The sentence shown when the folder `dir` is in use by another Quorvel.
QString FolderInUseMessage(const QString& dir);

// The open file set. Reads go to the disk every time; nothing is cached from
// one call to the next. Writes happen only inside an Operation.
class DataFiles {
 public:
  explicit DataFiles(std::shared_ptr<FileSystem> file_system = std::make_shared<PosixFileSystem>());
  ~DataFiles();
  DataFiles(const DataFiles&) = delete;
  DataFiles& operator=(const DataFiles&) = delete;

  void SetDataDir(const QString& dir) { data_dir_ = dir; }
  const QString& DataDir() const { return data_dir_; }
  QString PathOf(Channel channel) const;

  // Closes the set, then opens (creating what is missing) the four files in
  // channel order and makes sure every count record holds a value and
  // PhotoF.dat holds a text. Leaves existing data untouched.
  //
  // One process per folder: opening takes a lock on the folder itself (the
  // system releases it when the process ends, however it ends). When
  // another process holds it, returns OpenResult::kInUse having written
  // nothing. The same process may open the folder again at any time.
  //
  // Only regular files in the folder itself are used: a data file that is a
  // link, not a regular file, the same file as another data file or a file
  // with names elsewhere ends the program with a message before anything is
  // created or written. A folder that no longer exists does the same.
  //
  // A disk with no room to set the files up ends the program with a message
  // naming the folder, having removed the files this start created: the
  // folder is left as it was found.
  //
  // Before anything reads a file, the rollback journals left by an
  // operation that never finished (the program ended or the machine went
  // down) put every file it changed back as it was before that operation;
  // an operation that had begun removing its journals had finished, and its
  // change stays in every file. A journal that does not belong to this very
  // file is never applied: it is set aside under another name and the user
  // is told.
  OpenResult OpenDataFiles();
  // Opens the extra file `channel` alone (creating it when missing), with
  // the checks of an extra file and rolling back a journal an unfinished
  // operation left beside it, without holding the folder: the four files
  // stay closed and the Quorvel that holds the folder is not kept out. For
  // a file of its own that a process changes beside a folder another
  // Quorvel may hold; the caller makes sure by a lock of its own that no
  // other process changes or rolls back that file meanwhile.
  void OpenAlone(Channel channel);
  // Closes channels 11 to 14 in that order, then the sync file if open; a
  // closed channel is skipped.
  void CloseDataFiles();
  // Opens (creating it when missing) an extra file such as the sync file,
  // with the same checks as the four, rolling back a journal an unfinished
  // operation left beside it. Does nothing when it is open already.
  // OpenDataFiles opens the sync file by itself when the folder has one.
  void OpenExtraFile(Channel channel);
  bool IsOpen(Channel channel) const;
  // Closes and removes the extra file `channel` when it is open, empty and
  // no operation is under way (an undo took back the change that made it):
  // the folder is again as it was before the file came. The next operation
  // that needs it creates it again. Not for the four files, nor the sync
  // file or what the reminders remember, whose presence means something.
  // Whether it was removed.
  bool RemoveEmptyExtraFile(Channel channel);

  QString ReadText(Channel channel, int record) const;
  std::int16_t ReadInteger(Channel channel, int record) const;
  Variant ReadVariant(Channel channel, int record) const;
  // The item count, 0 when the count record holds no value; never negative
  // and never beyond what the file's record numbers allow.
  int ReadCount(Channel channel) const;

  // The raw bytes of one record, zero-filled where the file ends early.
  QByteArray ReadRecord(Channel channel, int record) const;
  // The raw bytes of `count` records from `first_record` on, read with one
  // system call: count × record length bytes, record r at offset
  // (r - first_record) × record length, zero-filled where the file ends
  // early (records never written). For scans that only read.
  QByteArray ReadRecords(Channel channel, int first_record, int count) const;
  // The same into `into`, whose room is used again when it is not shared:
  // a scan that reads run after run into one buffer touches no new memory.
  void ReadRecords(Channel channel, int first_record, int count, QByteArray& into) const;
  // Length of the file in bytes.
  qint64 FileSize(Channel channel) const;

  FileSystem& file_system() { return *file_system_; }

  // Called after every committed operation that changed a file, with the
  // before and after images of what it changed (for undo). Nothing is
  // recorded while no recorder is set; an empty function removes it.
  using CommitRecorder = std::function<void(const CommittedChange&)>;
  void SetCommitRecorder(CommitRecorder recorder) { recorder_ = std::move(recorder); }

  // Hears of every change: after each operation whose Commit() changed at
  // least one file of the set (the four or an extra file), once, with the
  // files it changed, when the change is durable and the operation is over
  // (the listener may start one of its own). An operation that was refused,
  // or whose writes left every byte as it was, is not announced. Returns
  // the number RemoveChangeListener takes. Listeners run on the thread that
  // committed; see ChangeListeners for the order.
  // How many times `channel`'s file has changed: every committed operation
  // that changed it, and every opening of the set, counts one, from
  // whichever thread. A view that takes the number before it reads the file
  // knows later, without reading it again, whether the file still holds
  // what it read (only an Operation changes the open files).
  std::uint64_t ChangeCount(Channel channel) const {
    return change_counts_[ChannelIndex(channel)].load(std::memory_order_acquire);
  }

  int AddChangeListener(ChangeListeners::Listener listener) {
    return change_listeners_.Add(std::move(listener));
  }
  void RemoveChangeListener(int id) { change_listeners_.Remove(id); }

 private:
  friend class Operation;

  struct Open {
    int handle = -1;
    QByteArray path;  // the system's bytes
    FileIdentity identity;
  };

  const Open& Require(Channel channel) const;
  // Reads into `buffer`, zero-filling what lies past the end of the file.
  void ReadInto(Channel channel, int first_record, int count, char* buffer) const;
  QString FolderShown() const;
  QString NameOf(Channel channel) const;
  [[noreturn]] void Fail(Doing doing, Channel channel, const SystemError& error) const;
  // Refuses a folder whose data-file names are not plain files of its own;
  // says which of the four are missing (by ChannelIndex).
  std::array<bool, 4> CheckEntries();
  // The disk has no room to set up the four files: removes those this start
  // created (still empty), says so and ends the program.
  [[noreturn]] void NoRoomToSetUp(const std::array<bool, 4>& created);
  // What lies under a file's journal name.
  struct Found {
    bool present = false;            // a journal of this program's, torn or not
    std::optional<Journal> journal;  // whole and intact
  };
  // The data file's path, whether it is open or not.
  QByteArray PathFor(Channel channel) const;
  // Reads the journal beside `channel`'s file; when `act`, sets aside
  // whatever is there that this program never wrote.
  Found Examine(Channel channel, bool act);
  bool Belongs(Channel channel, const Journal& journal) const;
  // Puts the file back as `journal` recorded it, durably.
  void Restore(Channel channel, const Journal& journal);
  // Rolls back every operation that never finished in the open files: each
  // file whose journal belongs to it is put back when all of its
  // operation's journals are still there, then the journals go. (Journals
  // exist only while an operation commits, so when a file is opened later
  // only its own can be there.)
  void Recover();
  void SetAside(Channel channel, const QByteArray& journal_path);
  // Opens `channel`'s file (creating it) with the checks of an extra file.
  void OpenFile(Channel channel);
  // Ends the program when the name of `channel` no longer leads to the file
  // that is open (another program replaced or removed it).
  void CheckStillThere(Channel channel);
  void Sync(Channel channel);
  void SyncFolder();

  std::shared_ptr<FileSystem> file_system_;
  QString data_dir_;
  QByteArray native_dir_;  // the folder as the system names it
  int folder_handle_ = -1;
  std::array<Open, kChannelCount> open_;  // by ChannelIndex
  bool operation_active_ = false;
  CommitRecorder recorder_;
  ChangeListeners change_listeners_;
  std::array<std::atomic<std::uint64_t>, kChannelCount> change_counts_{};
  void CountChange(Channel channel) {
    change_counts_[ChannelIndex(channel)].fetch_add(1, std::memory_order_release);
  }
  void OpenFolder();
  void CountEveryChange() {
    for (Channel channel : kEveryChannel) CountChange(channel);
  }
};

// What some files held when a view read them, as their change counts: taken
// before the view reads them, it tells later, without reading, whether any
// of them has changed since (DataFiles::ChangeCount).
class FilesSeen {
 public:
  FilesSeen() = default;  // nothing seen: never current
  FilesSeen(const DataFiles& files, ChangedFiles channels) : channels_(channels), taken_(true) {
    for (Channel channel : kEveryChannel) {
      if (channels.Has(channel)) counts_[ChannelIndex(channel)] = files.ChangeCount(channel);
    }
  }
  // Whether none of the files has changed since.
  bool Current(const DataFiles& files) const {
    if (!taken_) return false;
    for (Channel channel : kEveryChannel) {
      if (channels_.Has(channel) && counts_[ChannelIndex(channel)] != files.ChangeCount(channel)) {
        return false;
      }
    }
    return true;
  }

 private:
  ChangedFiles channels_;
  std::array<std::uint64_t, kChannelCount> counts_{};
  bool taken_ = false;
};

}  // namespace quorvel::store
