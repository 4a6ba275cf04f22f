// One user action's writes to the data files, all or nothing.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <vector>

#include <QByteArray>
#include <QString>

#include "store/change_listeners.h"
#include "store/outcome.h"
#include "store/record_codec.h"

namespace quorvel::store {

class DataFiles;

// What one field of an item holds, for moving items without decoding them.
enum class ValueKind { kText, kInteger };

// One user action's writes. Reads through the operation see its own pending
// writes; each stretch of a file is read from the disk at most once per
// operation. Commit() puts them on disk and makes them durable; an
// operation destroyed without Commit() writes nothing.
//
// Commit() is all or nothing for the operation as a whole, across every file
// it changes: it first checks that each of them is still the one that was
// opened, writes a new journal beside each holding the file's identity and
// length, the operation and the files it changes, and the original bytes of
// every record it will overwrite, makes them durable, then writes the records (skipping those
// that already hold the same bytes; changed ones adjacent or only a few
// kilobytes apart in one call, the unchanged ones between rewritten with the
// bytes they hold), flushes the
// files and removes the journals. If the program or the machine stops before
// the first journal is removed, the next OpenDataFiles rolls every file
// back; once one is gone, the change stands in every file. No room on the disk
// for the journal refuses the operation with nothing changed; any other
// system error on the way ends the program with a message, and the next
// start rolls back. A text that does not fit its record, or holds a
// character the code page cannot store, refuses the whole operation:
// nothing is written at all.
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
  // A text record's Windows-1252 bytes, undecoded, for comparing; valid
  // until the next write through this operation.
  QByteArrayView ReadTextBytes(Channel channel, int record) const;
  // Calls visit(item, group) for items 0 … count - 1 in order, as this
  // operation sees them; `group` points at the item's records (field f at
  // group + (f - 1) × record length) and is valid during the call only.
  // Stretches the operation has neither staged nor read are read in small
  // runs into one buffer and not kept: a search through a whole file costs
  // one pass of the disk's bytes and no more memory than a run.
  void ScanItems(Channel channel, int count,
                 const std::function<void(int item, const char* group)>& visit) const;

  void WriteText(Channel channel, int record, const QString& text);
  void WriteInteger(Channel channel, int record, std::int16_t value);
  void WriteVariant(Channel channel, int record, const Variant& value);
  // The item count, as a variant with tag 2.
  void WriteCount(Channel channel, int count);

  // Moves items `first` … `first + items - 1` to places `to` … `to + items -
  // 1` (the ranges may overlap), field by field: `fields[f - 1]` says what
  // field f holds; the records of a group past the fields listed are left
  // alone. The bytes are moved as they are, with nothing decoded, yet each
  // record comes out exactly as WriteText(ReadText(…)) or
  // WriteInteger(ReadInteger(…)) would write it: the value's bytes, zeros
  // after them. A text whose bytes would not survive decoding and encoding
  // refuses the operation as WriteText would.
  void MoveItems(Channel channel, int first, int items, int to,
                 std::initializer_list<ValueKind> fields);

  // Raw access to whole records, for the extra files: `bytes` is padded
  // with zero bytes to the record length (it must not be longer).
  QByteArray ReadRecord(Channel channel, int record) const;
  void WriteRecord(Channel channel, int record, const QByteArray& bytes);
  bool HasFile(Channel channel) const;

  // Cuts the file to `length` bytes at commit, when it would be longer
  // (an undo puts back the length a file had). The cut-off bytes are
  // journaled like overwritten records, so a crash leaves the file whole.
  void SetLength(Channel channel, qint64 length);
  DataFiles& files() const { return files_; }

  // Refuses the operation with `reason` (nothing will be written).
  void Refuse(const QString& reason);
  bool refused() const { return !refusal_.isNull(); }

  Outcome Commit();

 private:
  // One file's share of the operation.
  struct File {
    qint64 size = -1;  // the file's length when the operation first touched it
    // The file's records as they are on disk, read block by block when first
    // needed; an empty block is not read yet.
    std::vector<QByteArray> blocks;
    std::vector<QByteArray> reads;  // the bytes the blocks share
    // Staged records, record r at (r - 1) × length for r up to `room`;
    // `staged[r]` tells which hold anything.
    QByteArray bytes;
    int room = 0;
    std::vector<bool> staged;
    int lowest = 0, highest = 0;  // staged records lie within
    qint64 cut = -1;              // the length to cut the file to, or -1
  };

  File& Touch(Channel channel) const;
  // The record as the operation sees it (staged, or as on disk).
  const char* At(Channel channel, int record) const;
  const char* OnDisk(Channel channel, int record) const;
  void LoadBlocks(Channel channel, int first_block, int last_block) const;
  // Makes room for staging records up to `record` at once, so that staging
  // any of them later moves no staged bytes.
  void Reserve(Channel channel, int record);
  // Room for the staged bytes of `record`, or nullptr when refused.
  char* Stage(Channel channel, int record);
  // Puts the change on disk; `changed` gets the files it changed.
  Outcome Apply(ChangedFiles& changed);
  // The steps of Apply.
  struct Plan;
  void PlanFile(Channel channel, std::vector<Plan>& plans);
  void LoadStagedBlocks(Channel channel) const;
  void JournalStaged(Plan& plan);
  qint64 JournalCut(Plan& plan, qint64 size_after) const;
  Outcome WriteJournals(const std::vector<Plan>& plans, std::vector<QByteArray>& created);
  void WriteRecords(const std::vector<Plan>& plans);
  void RemoveJournals(const std::vector<QByteArray>& created);

  DataFiles& files_;
  mutable std::array<File, kChannelCount> changes_;  // by ChannelIndex
  QString refusal_;
  bool committed_ = false;
  bool released_ = false;  // the files' one operation is over
};

}  // namespace quorvel::store
