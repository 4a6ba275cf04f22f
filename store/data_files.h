// The four record files and the operation scope through which they change.
//
// Every data file is a sequence of fixed-length records numbered from 1, one
// value per record: a text (2-byte length, then Windows-1252 bytes), a 16-bit
// integer, or a variant (2-byte tag, then a 16- or 32-bit integer, or nothing).
// Items are stored in groups of N records; record N holds the item count.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include <QByteArray>
#include <QString>

#include "store/file_system.h"
#include "store/outcome.h"

namespace quorvel::store {

enum class Channel : int { kAppoint = 11, kNotes = 12, kAddBook = 13, kPhotoF = 14 };

inline constexpr std::array<Channel, 4> kAllChannels = {
    Channel::kAppoint, Channel::kNotes, Channel::kAddBook, Channel::kPhotoF};

// The fixed facts of one file of the set.
struct ChannelInfo {
  const char* file_name;  // "Appoint.dat" …
  int record_length;      // bytes
  int group_size;         // N; 0 for PhotoF.dat, which holds one value
  int max_items;          // largest count the 16-bit record numbers allow
};
const ChannelInfo& Info(Channel channel);

// The longest text, in bytes, a record of `channel` holds.
inline int TextCapacity(Channel channel) { return Info(channel).record_length - 2; }

// Record number of field `field` (from 1) of item `item` (from 0).
inline int FieldRecord(Channel channel, int item, int field) {
  return Info(channel).group_size * item + field;
}
inline int CountRecord(Channel channel) { return Info(channel).group_size; }

struct Variant {
  enum Tag : std::uint16_t { kEmpty = 0, kInt16 = 2, kInt32 = 3 };
  std::uint16_t tag = kEmpty;
  std::int32_t value = 0;
  bool has_value() const { return tag == kInt16 || tag == kInt32; }
};

// Encoding and decoding of one record (exactly `length` bytes, zero-filled).
QByteArray EncodeTextRecord(const QByteArray& text, int length);
QByteArray EncodeIntegerRecord(std::int16_t value, int length);
QByteArray EncodeVariantRecord(const Variant& value, int length);
QString DecodeTextRecord(const QByteArray& record);
std::int16_t DecodeIntegerRecord(const QByteArray& record);
Variant DecodeVariantRecord(const QByteArray& record);

// Decoding straight from raw bytes without copying them: `record` points at
// the first of `length` bytes of one whole record, for example inside what
// DataFiles::ReadRecords returned.
QByteArrayView TextBytesAt(const char* record, int length);  // Windows-1252
QString DecodeTextAt(const char* record, int length);
std::int16_t DecodeIntegerAt(const char* record, int length);
Variant DecodeVariantAt(const char* record, int length);

// `dir` and `file_name` joined by exactly one separator.
QString JoinPath(const QString& dir, const QString& file_name);

class Operation;

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
  explicit DataFiles(std::shared_ptr<FileSystem> file_system =
                         std::make_shared<PosixFileSystem>());
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
  // One process per folder: opening takes an advisory lock on Appoint.dat
  // (the system releases it when the process ends, however it ends). When
  // another process holds it, returns OpenResult::kInUse having written
  // nothing. The same process may open the folder again at any time.
  //
  // Before anything reads a file, a rollback journal left beside it by an
  // operation that never finished (the program ended or the machine went
  // down) puts the file back as it was before that operation.
  OpenResult OpenDataFiles();
  // Closes channels 11 to 14 in that order; a closed channel is skipped.
  void CloseDataFiles();
  bool IsOpen(Channel channel) const;

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
  // Length of the file in bytes.
  qint64 FileSize(Channel channel) const;

  FileSystem& file_system() { return *file_system_; }

 private:
  friend class Operation;

  struct Open {
    int handle = -1;
    QString path;
  };
  using Write = std::pair<std::pair<Channel, int>, QByteArray>;

  const Open& Require(Channel channel) const;
  QString DirPath() const;
  // Puts the file back as its journal recorded it, if a journal is there.
  void RollBack(Channel channel);
  // Puts `writes` on disk in order, all or nothing per file (see Commit).
  void Apply(const std::vector<Write>& writes);
  void Sync(Channel channel);

  std::shared_ptr<FileSystem> file_system_;
  QString data_dir_;
  std::map<Channel, Open> open_;
  bool operation_active_ = false;
};

// One user action's writes. Reads through the operation see its own pending
// writes. Commit() puts them on disk in the order they were made and makes
// them durable; an operation destroyed without Commit() writes nothing.
//
// Commit() is all or nothing for each file: it first writes a journal
// holding the original bytes of every record it will overwrite and the
// file's length, makes it durable, then writes the records (skipping those
// that already hold the same bytes), flushes the file and removes the
// journal. If the program or the machine stops in between, the next
// OpenDataFiles rolls the file back. A system error on the way ends the
// program with the system's message, and the next start rolls back.
// A text that does not fit its record, or holds a character the code page
// cannot store, refuses the whole operation: nothing is written at all.
class Operation {
 public:
  explicit Operation(DataFiles& files);
  ~Operation();
  Operation(const Operation&) = delete;
  Operation& operator=(const Operation&) = delete;

  QString ReadText(Channel channel, int record) const;
  std::int16_t ReadInteger(Channel channel, int record) const;
  Variant ReadVariant(Channel channel, int record) const;
  int ReadCount(Channel channel) const;

  void WriteText(Channel channel, int record, const QString& text);
  void WriteInteger(Channel channel, int record, std::int16_t value);
  void WriteVariant(Channel channel, int record, const Variant& value);
  // The item count, as a variant with tag 2.
  void WriteCount(Channel channel, int count);

  // Refuses the operation with `reason` (nothing will be written).
  void Refuse(const QString& reason);
  bool refused() const { return !refusal_.isNull(); }

  Outcome Commit();

 private:
  QByteArray Record(Channel channel, int record) const;
  void Stage(Channel channel, int record, QByteArray bytes);

  DataFiles& files_;
  std::vector<DataFiles::Write> writes_;
  std::map<std::pair<Channel, int>, QByteArray> latest_;
  QString refusal_;
  bool committed_ = false;
};

// The sentence shown when `text` cannot be stored in `channel`, or a null
// string when it can.
QString TextRefusal(Channel channel, const QString& text);

}  // namespace quorvel::store
