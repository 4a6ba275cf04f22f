// One user action's writes: staged in place, record by record, then put on
// disk all or nothing per file through a rollback journal.
#include <cerrno>
#include <algorithm>
#include <cstring>

#include <QRandomGenerator>

#include "store/data_files.h"
#include "store/fatal.h"
#include "store/journal.h"
#include "store/scan.h"
#include "store/text_codec.h"

namespace quorvel::store {
namespace {

// Records read from the disk in one call when an operation first needs one
// of them.
constexpr int kBlockRecords = 256;
// Unchanged bytes between two changed stretches that are written again
// rather than split into two write calls.
constexpr int kBridgedBytes = 8 * 1024;

// A record never written, of any file's record length (the sync keeper's
// are the longest).
constexpr int kLongestRecord = 4096;
const char* NeverWritten() {
  static const char kZeros[kLongestRecord] = {};
  return kZeros;
}

// Whether any of records `first` … `last` is staged in `staged`.
bool StagedInRange(const std::vector<bool>& staged, int first, int last) {
  last = std::min(last, int(staged.size()) - 1);
  for (int r = std::max(first, 1); r <= last; ++r) {
    if (staged[r]) return true;
  }
  return false;
}

// Gives `change` its images: the old bytes stay where the journal holds
// them; the new ones stay in the staged bytes when the changed records fill
// at least half of the stretch that was staged (the rest of it, mostly
// changed too, costs less to keep than to copy), else each is copied out.
// The records a cut changes keep their images after them.
void FinishChange(FileChange& change, const QByteArray& staged, const QByteArray& journal,
                  const QByteArray& cut_images) {
  const int length = Info(change.channel).record_length;
  change.before = journal;
  qsizetype lowest = -1;
  qsizetype highest = -1;
  std::size_t staged_images = 0;
  for (const qsizetype at : change.after_at) {
    if (at < 0) continue;
    if (lowest < 0) lowest = at;
    highest = at;
    ++staged_images;
  }
  const qsizetype span = highest < 0 ? 0 : highest - lowest + length;
  // (With a cut, which only an undo or a restore makes, they are copied.)
  if (staged_images > 0 && cut_images.isEmpty() && 2 * qsizetype(staged_images) * length >= span) {
    change.after = staged;
    change.bytes = span;
  } else {
    change.after.reserve(qsizetype(staged_images) * length + cut_images.size());
    for (qsizetype& at : change.after_at) {
      if (at < 0) continue;
      const qsizetype into = change.after.size();
      change.after.append(staged.constData() + at, length);
      at = into;
    }
    change.bytes = change.after.size();
  }
  const qsizetype cut_base = change.after.size();
  if (!cut_images.isEmpty()) {
    change.after.append(cut_images);
    change.bytes += cut_images.size();
  }
  for (qsizetype& at : change.after_at) {
    if (at <= -2) at = cut_base + (-2 - at);
  }
  change.bytes += journal.size() +
                  qint64(change.records.size()) *
                      qint64(sizeof(int) + 2 * sizeof(qsizetype));
}

}  // namespace

QByteArrayView FileChange::Image(const QByteArray& store, const std::vector<qsizetype>& at,
                                 std::size_t i) const {
  const int length = Info(channel).record_length;
  Q_ASSERT(length <= kLongestRecord);
  return QByteArrayView(at[i] < 0 ? NeverWritten() : store.constData() + at[i], length);
}

Operation::Operation(DataFiles& files) : files_(files) {
  Q_ASSERT(!files_.operation_active_);
  files_.operation_active_ = true;
}

Operation::~Operation() {
  if (!released_) files_.operation_active_ = false;
}

Operation::File& Operation::Touch(Channel channel) const {
  File& file = changes_[ChannelIndex(channel)];
  if (file.size < 0) file.size = files_.FileSize(channel);
  return file;
}

void Operation::LoadBlocks(Channel channel, int first_block, int last_block) const {
  File& file = Touch(channel);
  const int length = Info(channel).record_length;
  if (int(file.blocks.size()) <= last_block) file.blocks.resize(last_block + 1);
  // Each stretch of blocks not read yet is read with one call.
  for (int b = first_block; b <= last_block;) {
    if (!file.blocks[b].isNull()) {
      ++b;
      continue;
    }
    int e = b;
    while (e < last_block && file.blocks[e + 1].isNull()) ++e;
    const QByteArray run = files_.ReadRecords(channel, b * kBlockRecords + 1,
                                              (e - b + 1) * kBlockRecords);
    const qsizetype block_bytes = qsizetype(kBlockRecords) * length;
    // Blocks share the run's bytes; none of them is ever changed.
    for (int i = b; i <= e; ++i) {
      file.blocks[i] = QByteArray::fromRawData(run.constData() + (i - b) * block_bytes,
                                               block_bytes);
    }
    file.reads.push_back(run);
    b = e + 1;
  }
}

const char* Operation::OnDisk(Channel channel, int record) const {
  if (record < 1 || record > kLargestRecordNumber) return NeverWritten();
  const int block = (record - 1) / kBlockRecords;
  File& file = Touch(channel);
  if (int(file.blocks.size()) <= block || file.blocks[block].isNull()) {
    LoadBlocks(channel, block, block);
  }
  return file.blocks[block].constData() +
         qsizetype((record - 1) % kBlockRecords) * Info(channel).record_length;
}

const char* Operation::At(Channel channel, int record) const {
  File& file = Touch(channel);
  if (record >= 1 && record < int(file.staged.size()) && file.staged[record]) {
    return file.bytes.constData() + qsizetype(record - 1) * Info(channel).record_length;
  }
  return OnDisk(channel, record);
}

QString Operation::ReadText(Channel channel, int record) const {
  return DecodeTextAt(At(channel, record), Info(channel).record_length);
}

QByteArrayView Operation::ReadTextBytes(Channel channel, int record) const {
  return TextBytesAt(At(channel, record), Info(channel).record_length);
}

void Operation::ScanItems(Channel channel, int count,
                          const std::function<void(int item, const char* group)>& visit) const {
  const ChannelInfo& info = Info(channel);
  const int length = info.record_length;
  const int group_bytes = info.group_size * length;
  const int per_run = std::max(1, kScanRunBytes / group_bytes);
  File& file = Touch(channel);
  QByteArray run;
  for (int first = 0; first < count; first += per_run) {
    const int items = std::min(per_run, count - first);
    const int from = FieldRecord(channel, first, 1);
    const int to = from + items * info.group_size - 1;
    run.resize(qsizetype(items) * group_bytes);
    char* into = run.data();
    bool untouched = !StagedInRange(file.staged, from, to);
    const int last_block = int(file.blocks.size()) - 1;
    for (int b = (from - 1) / kBlockRecords; untouched && b <= std::min(last_block, (to - 1) / kBlockRecords); ++b) {
      untouched = file.blocks[b].isNull();
    }
    if (untouched) {
      files_.ReadInto(channel, from, to - from + 1, into);
    } else {
      for (int r = from; r <= to; ++r) std::memcpy(into + qsizetype(r - from) * length, At(channel, r), length);
    }
    for (int i = 0; i < items; ++i) visit(first + i, into + qsizetype(i) * group_bytes);
  }
}

std::int16_t Operation::ReadInteger(Channel channel, int record) const {
  return DecodeIntegerAt(At(channel, record), Info(channel).record_length);
}

Variant Operation::ReadVariant(Channel channel, int record) const {
  return DecodeVariantAt(At(channel, record), Info(channel).record_length);
}

int Operation::ReadCount(Channel channel) const {
  return CountOf(channel, ReadVariant(channel, CountRecord(channel)));
}

void Operation::Reserve(Channel channel, int record) {
  File& file = Touch(channel);
  if (int(file.staged.size()) <= record) file.staged.resize(record + 1, false);
  if (file.room >= record) return;
  // Left uninitialised: only staged records (and, at commit, the unchanged
  // ones between them) are ever read back, so room that is never staged
  // costs no zero-filling, and the system maps its pages only when touched.
  // Room grows at least twice over, so that adding one record after
  // another does not copy again each time.
  const int length = Info(channel).record_length;
  const int room = std::min(std::max(record, 2 * file.room), kLargestRecordNumber);
  QByteArray bytes(qsizetype(room) * length, Qt::Uninitialized);
  if (file.highest != 0) {
    const size_t from = size_t(file.lowest - 1) * length;
    std::memcpy(bytes.data() + from, file.bytes.constData() + from,
                size_t(file.highest - file.lowest + 1) * length);
  }
  file.bytes = std::move(bytes);
  file.room = room;
}

char* Operation::Stage(Channel channel, int record) {
  Q_ASSERT(!committed_);
  if (refused()) return nullptr;
  if (record < 1 || record > kLargestRecordNumber) {
    Refuse(QStringLiteral("The data file is full: no more can be stored in it."));
    return nullptr;
  }
  Reserve(channel, record);
  File& file = Touch(channel);
  const int length = Info(channel).record_length;
  file.staged[record] = true;
  file.lowest = file.lowest == 0 ? record : std::min(file.lowest, record);
  file.highest = std::max(file.highest, record);
  return file.bytes.data() + qsizetype(record - 1) * length;
}

QByteArray Operation::ReadRecord(Channel channel, int record) const {
  return QByteArray(At(channel, record), Info(channel).record_length);
}

void Operation::MoveItems(Channel channel, int first, int items, int to,
                          std::initializer_list<ValueKind> fields) {
  if (refused() || items <= 0 || first == to || fields.size() == 0) return;
  const int length = Info(channel).record_length;
  const int last_field = int(fields.size());
  const int from_first = FieldRecord(channel, first, 1);
  const int from_last = FieldRecord(channel, first + items - 1, last_field);
  const int to_last = FieldRecord(channel, to + items - 1, last_field);
  Q_ASSERT(first >= 0 && to >= 0);
  if (first < 0 || to < 0) return;
  // Every place is staged before any is written, so no pointer below moves;
  // the items moved are read from the disk in as few calls as possible.
  // Room reaches the moved items' old places too, which a delete blanks
  // next: staging those then moves nothing either.
  Reserve(channel, std::min(std::max(to_last, from_last), kLargestRecordNumber));
  LoadBlocks(channel, (from_first - 1) / kBlockRecords,
             (std::min(from_last, kLargestRecordNumber) - 1) / kBlockRecords);
  // Within that room, and with those blocks read, a record is found and
  // staged here directly, without the checks each Stage() and At() call
  // would repeat for every record; a place past the file's last record
  // number goes to Stage(), which refuses it.
  File& file = Touch(channel);
  const auto source = [&](int record) -> const char* {
    if (record < int(file.staged.size()) && file.staged[record]) {
      return file.bytes.constData() + qsizetype(record - 1) * length;
    }
    if (record > kLargestRecordNumber) return NeverWritten();
    return file.blocks[(record - 1) / kBlockRecords].constData() +
           qsizetype((record - 1) % kBlockRecords) * length;
  };
  const auto place = [&](int record) -> char* {
    if (record > file.room) return Stage(channel, record);
    file.staged[record] = true;
    file.lowest = file.lowest == 0 ? record : std::min(file.lowest, record);
    file.highest = std::max(file.highest, record);
    return file.bytes.data() + qsizetype(record - 1) * length;
  };
  // Moving down goes upwards and moving up downwards, so that no item is
  // overwritten before it has moved.
  const bool down = to < first;
  for (int n = 0; n < items; ++n) {
    const int i = down ? n : items - 1 - n;
    int field = 1;
    for (const ValueKind kind : fields) {
      const char* from = source(FieldRecord(channel, first + i, field));
      if (kind == ValueKind::kText) {
        const QByteArrayView text = TextBytesAt(from, length);
        if (!RoundTrips(text)) {
          Refuse(TextRefusal(channel, DecodeText(text)));
          return;
        }
        char* into = place(FieldRecord(channel, to + i, field));
        if (!into) return;
        EncodeTextAt(into, length, text);
      } else {
        char* into = place(FieldRecord(channel, to + i, field));
        if (!into) return;
        std::memset(into + 2, 0, size_t(length - 2));
        std::memcpy(into, from, 2);
      }
      ++field;
    }
  }
}

void Operation::WriteRecord(Channel channel, int record, const QByteArray& bytes) {
  const int length = Info(channel).record_length;
  Q_ASSERT(bytes.size() <= length);
  char* room = Stage(channel, record);
  if (!room) return;
  const qsizetype used = std::min<qsizetype>(bytes.size(), length);
  std::memcpy(room, bytes.constData(), size_t(used));
  std::memset(room + used, 0, size_t(length - used));
}

void Operation::WriteText(Channel channel, int record, const QString& text) {
  if (refused()) return;
  // Checked and encoded once; the reason is worked out only for a refusal.
  const std::optional<QByteArray> bytes = EncodeText(text);
  if (!bytes || bytes->size() > TextCapacity(channel)) {
    Refuse(TextRefusal(channel, text));
    return;
  }
  if (char* at = Stage(channel, record)) EncodeTextAt(at, Info(channel).record_length, *bytes);
}

void Operation::WriteInteger(Channel channel, int record, std::int16_t value) {
  if (char* at = Stage(channel, record)) {
    std::memset(at, 0, Info(channel).record_length);
    at[0] = static_cast<char>(static_cast<std::uint16_t>(value) & 0xFF);
    at[1] = static_cast<char>(static_cast<std::uint16_t>(value) >> 8);
  }
}

void Operation::WriteVariant(Channel channel, int record, const Variant& value) {
  if (char* at = Stage(channel, record)) EncodeVariantAt(at, Info(channel).record_length, value);
}

void Operation::WriteCount(Channel channel, int count) {
  WriteVariant(channel, CountRecord(channel),
               Variant{Variant::kInt16, static_cast<std::int16_t>(count)});
}

void Operation::SetLength(Channel channel, qint64 length) {
  Q_ASSERT(!committed_ && length >= 0);
  Touch(channel).cut = length;
}

void Operation::Refuse(const QString& reason) {
  if (!refused()) refusal_ = reason.isNull() ? QStringLiteral("") : reason;
}

Outcome Operation::Commit() {
  Q_ASSERT(!committed_);
  committed_ = true;
  if (refused()) return Outcome::Refused(refusal_);
  ChangedFiles changed;
  const Outcome outcome = Apply(changed);
  // Over before anyone hears of it, so that a listener may start the next.
  files_.operation_active_ = false;
  released_ = true;
  if (outcome.stored()) files_.change_listeners_.Announce(changed);
  return outcome;
}

// One file's part of a commit: what its journal holds, which stretches of
// records are written, and what the recorder is told.
struct Operation::Plan {
  Channel channel;
  bool recording;
  std::vector<std::pair<int, int>> runs;  // changed records, first to last
  JournalWriter journal;
  QByteArray journal_bytes = {};  // once finished
  qint64 cut = -1;                // the length the file is cut to, or -1
  FileChange change = {};         // for the recorder
  QByteArray cut_images = {};     // what the records a cut changes keep
  std::vector<int> journaled = {};

  // For each changed record: where the journal holds its old bytes (-1:
  // past the end, zeros) and where its new ones are: staged (an offset into
  // the staged bytes), or for a record the cut changes, in `cut_images` (an
  // offset encoded as -2 - offset), or zeros (-1).
  void Record(int r, qsizetype before_at, qsizetype after_at) {
    if (!recording) return;
    change.records.push_back(r);
    change.before_at.push_back(before_at);
    change.after_at.push_back(after_at);
  }
};

// What the staged records hold on disk now, in as few reads as possible, and
// only the blocks that hold one: a change at each end of a file reads two
// blocks, not everything between.
void Operation::LoadStagedBlocks(Channel channel) const {
  const File& file = changes_[ChannelIndex(channel)];
  const int length = Info(channel).record_length;
  const int last_on_disk = int(std::min<qint64>((file.size + length - 1) / length, file.highest));
  if (file.highest == 0 || file.lowest > last_on_disk) return;
  const int last_block = (last_on_disk - 1) / kBlockRecords;
  const auto staged_in = [&file](int block) {
    return StagedInRange(file.staged, block * kBlockRecords + 1, (block + 1) * kBlockRecords);
  };
  for (int b = (file.lowest - 1) / kBlockRecords; b <= last_block;) {
    if (!staged_in(b)) {
      ++b;
      continue;
    }
    int e = b;
    while (e < last_block && staged_in(e + 1)) ++e;
    LoadBlocks(channel, b, e);
    b = e + 1;
  }
}

// Journals the staged records that differ from the disk and gathers them in
// runs. Changed records a few unchanged ones apart go in one call: the ones
// between are written again with the bytes they hold (a write call costs
// more than a few kilobytes), so a move that leaves a group's spare record
// alone is still one write.
void Operation::JournalStaged(Plan& plan) {
  File& file = changes_[ChannelIndex(plan.channel)];
  const int length = Info(plan.channel).record_length;
  const int bridged = std::max(1, kBridgedBytes / length);
  int run_start = 0;
  int run_end = 0;
  // (A file only cut back stages nothing.)
  for (int r = file.lowest; file.highest != 0 && r <= file.highest; ++r) {
    if (!file.staged[r]) continue;
    const char* now = OnDisk(plan.channel, r);
    const bool whole = qint64(r) * length <= file.size;
    if (whole && std::memcmp(now, At(plan.channel, r), length) == 0) continue;
    // A record wholly past the end needs no journal: cutting the file back
    // restores it.
    qsizetype before_at = -1;
    if (qint64(r - 1) * length < file.size) {
      before_at = plan.journal.Add(r, now);
      plan.journaled.push_back(r);
    }
    plan.Record(r, before_at, qsizetype(r - 1) * length);
    if (run_start != 0 && r - run_end - 1 <= bridged) {
      for (int g = run_end + 1; g < r; ++g) {
        if (!file.staged[g]) {
          std::memcpy(file.bytes.data() + qsizetype(g - 1) * length, OnDisk(plan.channel, g), length);
        }
      }
    } else {
      if (run_start != 0) plan.runs.emplace_back(run_start, run_end);
      run_start = r;
    }
    run_end = r;
  }
  if (run_start != 0) plan.runs.emplace_back(run_start, run_end);
}

// A cut keeps the bytes it takes off in the journal too: recovery writes
// them back and restores the recorded length. Returns the file's length
// after the operation.
qint64 Operation::JournalCut(Plan& plan, qint64 size_after) const {
  const File& file = changes_[ChannelIndex(plan.channel)];
  if (file.cut < 0 || file.cut >= size_after) return size_after;
  const int length = Info(plan.channel).record_length;
  plan.cut = file.cut;
  const int first_cut = int(file.cut / length) + 1;
  const int last_cut = int((file.size + length - 1) / length);
  for (int r = first_cut; r <= last_cut; ++r) {
    if (std::binary_search(plan.journaled.begin(), plan.journaled.end(), r)) continue;
    const qsizetype before_at = plan.journal.Add(r, OnDisk(plan.channel, r));
    // What the record keeps: the bytes before the cut, zeros after.
    const qint64 start = qint64(r - 1) * length;
    qsizetype after_at = -1;
    if (plan.recording && file.cut > start) {
      after_at = -2 - plan.cut_images.size();
      plan.cut_images.append(At(plan.channel, r), qsizetype(file.cut - start));
      plan.cut_images.append(QByteArray(length - (file.cut - start), '\0'));
    }
    plan.Record(r, before_at, after_at);
  }
  return file.cut;
}

void Operation::PlanFile(Channel channel, std::vector<Plan>& plans) {
  const File& file = changes_[ChannelIndex(channel)];
  if (file.highest == 0 && file.cut < 0) return;
  const int length = Info(channel).record_length;
  const DataFiles::Open& open = files_.Require(channel);
  LoadStagedBlocks(channel);
  Journal header;
  header.record_length = length;
  header.original_length = file.size;
  header.identity = open.identity;
  header.file_name = Info(channel).file_name;
  Plan plan{channel, bool(files_.recorder_), {}, JournalWriter(header, file.highest - file.lowest + 1)};
  plan.change.channel = channel;
  plan.change.size_before = file.size;
  if (plan.recording) {
    const std::size_t expected = std::size_t(file.highest - file.lowest + 1);
    plan.change.records.reserve(expected);
    plan.change.before_at.reserve(expected);
    plan.change.after_at.reserve(expected);
  }
  JournalStaged(plan);
  const qint64 size_after = plan.runs.empty()
                                ? file.size
                                : std::max(file.size, qint64(plan.runs.back().second) * length);
  plan.change.size_after = JournalCut(plan, size_after);
  // A file none of whose records changes is left alone entirely.
  if (plan.runs.empty() && plan.cut < 0) return;
  plans.push_back(std::move(plan));
}

// The journals, new files, durable before any data file is touched; the
// paths made go into `created`.
Outcome Operation::WriteJournals(const std::vector<Plan>& plans, std::vector<QByteArray>& created) {
  FileSystem& fs = *files_.file_system_;
  auto abandon = [&] {
    SystemError ignored;
    for (const QByteArray& path : created) fs.Remove(path, &ignored);
    if (!created.empty()) fs.SyncDir(files_.native_dir_, &ignored);
  };
  for (const Plan& plan : plans) {
    const QByteArray& bytes = plan.journal_bytes;
    const QByteArray path = JournalPath(files_.Require(plan.channel).path);
    SystemError error;
    const int handle = fs.CreateNew(path, &error);
    if (handle < 0) {
      abandon();
      if (IsNoRoom(error)) return Outcome::NoRoom(NoRoomMessage());
      if (error.code == EEXIST || error.code == ELOOP) {
        ReportFatal(JournalInTheWayMessage(
            files_.NameOf(plan.channel) + QStringLiteral("-journal"), files_.FolderShown()));
      }
      files_.Fail(Doing::kSaving, plan.channel, error);
    }
    created.push_back(path);
    const bool written = fs.Write(handle, 0, bytes.constData(), bytes.size(), &error) &&
                         fs.Sync(handle, &error);
    SystemError ignored;
    const bool closed = fs.Close(handle, written ? &error : &ignored);
    if (!written || !closed) {
      abandon();
      if (IsNoRoom(error)) return Outcome::NoRoom(NoRoomMessage());
      files_.Fail(Doing::kSaving, plan.channel, error);
    }
  }
  files_.SyncFolder();
  return Outcome::Stored();
}

// The records, each stretch of adjacent ones in one call, then the cuts.
void Operation::WriteRecords(const std::vector<Plan>& plans) {
  FileSystem& fs = *files_.file_system_;
  for (const Plan& plan : plans) {
    const File& file = changes_[ChannelIndex(plan.channel)];
    const int length = Info(plan.channel).record_length;
    const DataFiles::Open& open = files_.Require(plan.channel);
    for (const auto& [first, last] : plan.runs) {
      SystemError error;
      const qint64 offset = qint64(first - 1) * length;
      if (!fs.Write(open.handle, offset, file.bytes.constData() + offset,
                    qint64(last - first + 1) * length, &error)) {
        files_.Fail(Doing::kSaving, plan.channel, error);
      }
    }
  }
  for (const Plan& plan : plans) {
    if (plan.cut < 0) continue;
    SystemError error;
    if (!fs.Truncate(files_.Require(plan.channel).handle, plan.cut, &error)) {
      files_.Fail(Doing::kSaving, plan.channel, error);
    }
  }
  for (const Plan& plan : plans) files_.Sync(plan.channel);
}

// Once the first journal is gone the operation counts as finished, whichever
// of the others a crash leaves behind.
void Operation::RemoveJournals(const std::vector<QByteArray>& created) {
  FileSystem& fs = *files_.file_system_;
  for (const QByteArray& path : created) {
    SystemError error;
    if (!fs.Remove(path, &error)) {
      ReportFatal(FailureMessage(Doing::kSaving, ShownPath(path.mid(path.lastIndexOf('/') + 1)),
                                 files_.FolderShown(), error));
    }
  }
  files_.SyncFolder();
}

Outcome Operation::Apply(ChangedFiles& changed) {
  std::vector<Plan> plans;
  for (Channel channel : kEveryChannel) PlanFile(channel, plans);
  if (plans.empty()) return Outcome::Stored();
  // Every journal names the operation and all the files it changes, so that
  // a start after a crash can tell an operation whose journals are all still
  // there (roll every file back) from one that had begun removing them
  // (every file already holds the change).
  std::uint32_t channels = 0;
  for (const Plan& plan : plans) channels |= ChangedFiles::Bit(plan.channel);
  std::uint64_t id = 0;
  while (id == 0) id = QRandomGenerator::system()->generate64();
  for (Plan& plan : plans) {
    plan.journal.Bind(id, channels);
    plan.journal_bytes = plan.journal.Finish();
  }
  // Each file is still the one that was opened: a change never goes into a
  // file another program has replaced or removed.
  for (const Plan& plan : plans) files_.CheckStillThere(plan.channel);
  std::vector<QByteArray> created;
  if (Outcome journals = WriteJournals(plans, created); !journals.stored()) return journals;
  WriteRecords(plans);
  RemoveJournals(created);

  changed = ChangedFiles(channels);
  for (const Plan& plan : plans) files_.CountChange(plan.channel);
  const bool recording = bool(files_.recorder_);
  CommittedChange committed;
  if (recording) {
    for (Plan& plan : plans) {
      FinishChange(plan.change, changes_[ChannelIndex(plan.channel)].bytes, plan.journal_bytes,
                   plan.cut_images);
      committed.files.push_back(std::move(plan.change));
    }
  }
  // What was read stays with this operation only.
  for (File& file : changes_) file = File{};
  if (recording) files_.recorder_(committed);
  return Outcome::Stored();
}

}  // namespace quorvel::store
