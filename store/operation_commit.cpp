// An operation's commit: each file's plan, the journals written and made
// durable, the records written, the journals removed.
#include "store/operation.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <QRandomGenerator>

#include "store/data_files.h"
#include "store/fatal.h"
#include "store/journal.h"
#include "store/operation_blocks.h"

namespace quorvel::store {
namespace {

// Unchanged bytes between two changed stretches that are written again
// rather than split into two write calls.
constexpr int kBridgedBytes = 8 * 1024;

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
  change.bytes +=
      journal.size() + qint64(change.records.size()) * qint64(sizeof(int) + 2 * sizeof(qsizetype));
}

}  // namespace

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
          std::memcpy(file.bytes.data() + qsizetype(g - 1) * length, OnDisk(plan.channel, g),
                      length);
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
  Plan plan{
      channel, bool(files_.recorder_), {}, JournalWriter(header, file.highest - file.lowest + 1)};
  plan.change.channel = channel;
  plan.change.size_before = file.size;
  if (plan.recording) {
    const std::size_t expected = std::size_t(file.highest - file.lowest + 1);
    plan.change.records.reserve(expected);
    plan.change.before_at.reserve(expected);
    plan.change.after_at.reserve(expected);
  }
  JournalStaged(plan);
  const qint64 size_after =
      plan.runs.empty() ? file.size : std::max(file.size, qint64(plan.runs.back().second) * length);
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
        ReportFatal(JournalInTheWayMessage(files_.NameOf(plan.channel) + QStringLiteral("-journal"),
                                           files_.FolderShown()));
      }
      files_.Fail(Doing::kSaving, plan.channel, error);
    }
    created.push_back(path);
    const bool written =
        fs.Write(handle, 0, bytes.constData(), bytes.size(), &error) && fs.Sync(handle, &error);
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
