#include "undo/undo_history.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <set>

#include "items/address_file.h"
#include "items/sync_state.h"
#include "store/record_codec.h"
#include "store/scan.h"

namespace quorvel::undo {
namespace {

using store::Channel;
using store::FileChange;

int Length(Channel channel) { return store::Info(channel).record_length; }

// The files that keep the program's own bookkeeping rather than what a
// person wrote: the sync's links and its copies of the server's resources,
// what the reminders remember. A change to them alone is no step, and an
// undo puts them back only as a whole with the links (see Apply).
bool Bookkeeping(Channel channel) {
  return channel == Channel::kSync || channel == Channel::kKept || channel == Channel::kRemind;
}

// The image of record entry `i` of `change`, as it was (`before`) or became.
QByteArrayView Image(const FileChange& change, std::size_t i, bool before) {
  return before ? change.Before(i) : change.After(i);
}

// Whether the file holds exactly what `change` left (`before` false) or
// found (`before` true) in every record it changed, and has that length.
bool Holds(const store::DataFiles& files, const FileChange& change, bool before) {
  // An extra file an undo removed once it was empty again.
  if (!files.IsOpen(change.channel)) return (before ? change.size_before : change.size_after) == 0;
  if (files.FileSize(change.channel) != (before ? change.size_before : change.size_after)) {
    return false;
  }
  if (change.records.empty()) return true;
  const int length = Length(change.channel);
  const int first = change.records.front();
  const QByteArray now =
      files.ReadRecords(change.channel, first, change.records.back() - first + 1);
  for (std::size_t i = 0; i < change.records.size(); ++i) {
    const QByteArrayView at(now.constData() + qsizetype(change.records[i] - first) * length,
                            length);
    if (at != Image(change, i, before)) return false;
  }
  return true;
}

// Stages, in `op`, the file as `change` found it (`before`) or left it.
void Stage(store::Operation& op, const FileChange& change, bool before) {
  const int length = Length(change.channel);
  const qint64 size = before ? change.size_before : change.size_after;
  for (std::size_t i = 0; i < change.records.size(); ++i) {
    const int record = change.records[i];
    if (qint64(record - 1) * length >= size) continue;  // cut off below
    op.WriteRecord(change.channel, record, Image(change, i, before).toByteArray());
  }
  op.SetLength(change.channel, size);
}

// A file as it is now (`from`) and as turning `change` into its `before`
// (or after) side leaves it (`to`), each from record 1 to the end of the
// larger of the two item counts.
struct Sides {
  QByteArray from;
  QByteArray to;
  int from_count = 0;
  int to_count = 0;
};

Sides SidesOf(const store::DataFiles& files, const FileChange& change, bool before) {
  const Channel file = change.channel;
  const int group = store::Info(file).group_size;
  const int length = Length(file);
  const int count_record = store::CountRecord(file);
  Sides s;
  s.from_count = files.ReadCount(file);
  s.to_count = s.from_count;
  for (std::size_t i = 0; i < change.records.size(); ++i) {
    if (change.records[i] == count_record) {
      s.to_count =
          store::CountOf(file, store::DecodeVariantRecord(Image(change, i, before).toByteArray()));
    }
  }
  const int records = std::max(s.from_count, s.to_count) * group;
  s.from = files.ReadRecords(file, 1, std::max(records, 1));
  s.to = s.from;
  for (std::size_t i = 0; i < change.records.size(); ++i) {
    const int r = change.records[i];
    if (r > records) break;
    std::memcpy(s.to.data() + qsizetype(r - 1) * length, Image(change, i, before).data(),
                size_t(length));
  }
  return s;
}

// Where each appointment now in Appoint.dat stands once `change` is turned
// into its `before` (or after) side: unchanged items at the start and the
// end keep their order; the changed ones between are paired in order, and
// those left over are gone. Compared by what an appointment is (its date
// and fields), not its ID, which a removal renumbers.
std::function<int(int)> AppointmentPlaces(const store::DataFiles& files, const FileChange& change,
                                          bool before) {
  constexpr Channel kFile = Channel::kAppoint;
  const int group = store::Info(kFile).group_size;
  const int length = Length(kFile);
  const Sides s = SidesOf(files, change, before);
  const int from_count = s.from_count;
  const int to_count = s.to_count;
  // The ID's date (its first 8 characters, after the 2-byte length: the
  // ordinal after it may be renumbered), then fields 2 to 7 whole.
  auto same = [&](int a, int b) {
    const char* x = s.from.constData() + qsizetype(a) * group * length;
    const char* y = s.to.constData() + qsizetype(b) * group * length;
    return std::memcmp(x + 2, y + 2, 8) == 0 &&
           std::memcmp(x + length, y + length, size_t(6 * length)) == 0;
  };
  int prefix = 0;
  while (prefix < from_count && prefix < to_count && same(prefix, prefix)) ++prefix;
  int suffix = 0;
  while (prefix + suffix < from_count && prefix + suffix < to_count &&
         same(from_count - 1 - suffix, to_count - 1 - suffix)) {
    ++suffix;
  }
  const int paired = std::min(from_count, to_count) - prefix - suffix;
  return [=](int i) {
    if (i < prefix) return i;
    if (i >= from_count) return -1;
    if (i >= from_count - suffix) return i - from_count + to_count;
    return i - prefix < paired ? i : -1;
  };
}

// The address entries whose key `change`, turned into its `before` (or
// after) side, takes away in favour of another: linked key → the key the
// same entry has afterwards. An entry is known by its key, so undoing a
// rename would otherwise leave the link on a key no entry has, and the
// next sync would delete the card and send the entry as a new one. Each
// linked key that goes is paired with a key that comes (and no link has),
// the two that agree in the most other fields first.
std::map<QString, QString> EntryRenames(const store::DataFiles& files, const FileChange& change,
                                        bool before, const std::set<QString>& linked) {
  constexpr Channel kFile = Channel::kAddBook;
  const int group = store::Info(kFile).group_size;
  const int length = Length(kFile);
  const Sides s = SidesOf(files, change, before);
  auto field = [&](const QByteArray& bytes, int item, int f) {
    return store::FieldText(kFile, bytes.constData() + qsizetype(item) * group * length, f);
  };
  std::set<QString> from_keys, to_keys;
  for (int k = 0; k < s.from_count; ++k) from_keys.insert(field(s.from, k, kFieldKey));
  for (int k = 0; k < s.to_count; ++k) to_keys.insert(field(s.to, k, kFieldKey));
  std::vector<int> gone, come;
  for (int k = 0; k < s.from_count; ++k) {
    const QString key = field(s.from, k, kFieldKey);
    if (linked.count(key) && !to_keys.count(key)) gone.push_back(k);
  }
  for (int k = 0; k < s.to_count; ++k) {
    const QString key = field(s.to, k, kFieldKey);
    if (!linked.count(key) && !from_keys.count(key)) come.push_back(k);
  }
  struct Pair {
    int alike;
    std::size_t gone;
    std::size_t come;
  };
  std::vector<Pair> pairs;
  for (std::size_t g = 0; g < gone.size(); ++g) {
    for (std::size_t c = 0; c < come.size(); ++c) {
      int alike = 0;
      for (int f = kFieldKey + 1; f <= kAddressFieldCount; ++f) {
        alike += field(s.from, gone[g], f) == field(s.to, come[c], f);
      }
      pairs.push_back({alike, g, c});
    }
  }
  std::stable_sort(pairs.begin(), pairs.end(),
                   [](const Pair& a, const Pair& b) { return a.alike > b.alike; });
  std::map<QString, QString> renamed;
  std::vector<bool> gone_done(gone.size()), come_done(come.size());
  for (const Pair& p : pairs) {
    if (gone_done[p.gone] || come_done[p.come]) continue;
    gone_done[p.gone] = come_done[p.come] = true;
    renamed[field(s.from, gone[p.gone], kFieldKey)] = field(s.to, come[p.come], kFieldKey);
  }
  return renamed;
}

}  // namespace

UndoHistory::UndoHistory(store::DataFiles& files, int step_limit, qint64 byte_limit)
    : files_(files), step_limit_(step_limit), byte_limit_(byte_limit) {
  files_.SetCommitRecorder([this](const store::CommittedChange& change) { Record(change); });
}

UndoHistory::~UndoHistory() { files_.SetCommitRecorder({}); }

void UndoHistory::Record(const store::CommittedChange& change) {
  if (applying_) return;
  Step step;
  bool items = false;
  for (const FileChange& file : change.files) {
    items = items || !Bookkeeping(file.channel);
    step.bytes += file.bytes;
    step.files.push_back(file);
  }
  // The program's own bookkeeping alone (a sync that only sent) is nothing
  // a person changed.
  if (!items) return;
  redo_.clear();
  if (step.bytes > byte_limit_) {
    // Too large to keep: and what came before it can no longer be reached.
    undo_.clear();
    bytes_ = 0;
    Changed();
    return;
  }
  bytes_ += step.bytes;
  undo_.push_back(std::move(step));
  while (int(undo_.size()) > step_limit_ || bytes_ > byte_limit_) {
    bytes_ -= undo_.front().bytes;
    undo_.erase(undo_.begin());
  }
  Changed();
}

void UndoHistory::Clear() {
  undo_.clear();
  redo_.clear();
  bytes_ = 0;
  Changed();
}

void UndoHistory::Changed() {
  if (changed_) changed_();
}

store::Outcome UndoHistory::Undo() {
  if (undo_.empty()) return store::Outcome::Refused(UndoTexts::tr("There is nothing to undo."));
  const store::Outcome outcome = Apply(undo_.back(), /*undo=*/true);
  if (outcome.refused()) return outcome;
  bytes_ -= undo_.back().bytes;
  redo_.push_back(std::move(undo_.back()));
  undo_.pop_back();
  Changed();
  return outcome;
}

store::Outcome UndoHistory::Redo() {
  if (redo_.empty()) return store::Outcome::Refused(UndoTexts::tr("There is nothing to redo."));
  const store::Outcome outcome = Apply(redo_.back(), /*undo=*/false);
  if (outcome.refused()) return outcome;
  bytes_ += redo_.back().bytes;
  undo_.push_back(std::move(redo_.back()));
  redo_.pop_back();
  Changed();
  return outcome;
}

store::Outcome UndoHistory::Apply(const Step& step, bool undo) {
  // The files must hold what the other side of the change left, record for
  // record: anything else was changed since and would be overwritten.
  const FileChange* sync = nullptr;
  const FileChange* kept = nullptr;
  const FileChange* appointments = nullptr;
  const FileChange* entries = nullptr;
  for (const FileChange& file : step.files) {
    if (file.channel == Channel::kSync) sync = &file;
    if (file.channel == Channel::kKept) kept = &file;
    if (Bookkeeping(file.channel)) continue;
    if (file.channel == Channel::kAppoint) appointments = &file;
    if (file.channel == Channel::kAddBook) entries = &file;
    if (!Holds(files_, file, /*before=*/!undo)) {
      const QString name = QString::fromLatin1(store::Info(file.channel).file_name);
      return store::Outcome::Refused(
          (undo ? UndoTexts::tr("This change cannot be undone: %1 has changed since it was made "
                                "(by a sync or another program), and undoing it would overwrite "
                                "that. Nothing was changed.")
                : UndoTexts::tr("This change cannot be redone: %1 has changed since it was undone "
                                "(by a sync or another program), and redoing it would overwrite "
                                "that. Nothing was changed."))
              .arg(name));
    }
  }

  for (const FileChange& file : step.files) {
    if (!Bookkeeping(file.channel) && !files_.IsOpen(file.channel))
      files_.OpenExtraFile(file.channel);
  }
  store::Operation op(files_);
  for (const FileChange& file : step.files) {
    if (!Bookkeeping(file.channel)) Stage(op, file, /*before=*/undo);
  }
  // The sync's files come back byte for byte only when nothing has changed
  // them since and the change was made here (its server tokens stayed the
  // same): a change a sync received is undone as a change made here, to be
  // sent, with the links and the server's copies as the sync left them.
  bool exact = false;
  if (sync && sync::HasSyncFile(files_) && Holds(files_, *sync, /*before=*/!undo) &&
      (!kept || Holds(files_, *kept, /*before=*/!undo))) {
    const qint64 size = files_.FileSize(Channel::kSync);
    const int length = Length(Channel::kSync);
    QByteArray now = files_.ReadRecords(Channel::kSync, 1, int((size + length - 1) / length));
    now.truncate(size);
    QByteArray other = now;
    const qint64 other_size = undo ? sync->size_before : sync->size_after;
    other.resize(std::max<qint64>(
                     other_size, qint64(sync->records.empty() ? 0 : sync->records.back()) * length),
                 '\0');
    for (std::size_t i = 0; i < sync->records.size(); ++i) {
      std::memcpy(other.data() + qsizetype(sync->records[i] - 1) * length,
                  Image(*sync, i, undo).data(), size_t(length));
    }
    other.truncate(other_size);
    const auto a = sync::StateInFile(now);
    const auto b = sync::StateInFile(other);
    exact = a && b && a->calendar_token == b->calendar_token &&
            a->address_book_token == b->address_book_token;
  }
  if (exact) {
    Stage(op, *sync, /*before=*/undo);
    if (kept) Stage(op, *kept, /*before=*/undo);
  } else if (sync::HasSyncFile(files_)) {
    // The links follow the items to where the undo or redo puts them.
    if (appointments) {
      sync::NoteAppointmentsMoved(op, AppointmentPlaces(files_, *appointments, /*before=*/undo));
    }
    if (entries) {
      std::set<QString> linked;
      if (const std::optional<sync::SyncState> state = sync::LoadState(files_)) {
        for (const sync::Link& link : state->entries) linked.insert(link.key);
      }
      sync::NoteEntriesRenamed(op, EntryRenames(files_, *entries, /*before=*/undo, linked));
    }
  }
  applying_ = true;
  const store::Outcome outcome = op.Commit();
  applying_ = false;
  // An extra file the change made goes again when the undo empties it.
  if (outcome.stored()) {
    for (const FileChange& file : step.files) {
      if (!Bookkeeping(file.channel) && (undo ? file.size_before : file.size_after) == 0) {
        files_.RemoveEmptyExtraFile(file.channel);
      }
    }
  }
  return outcome;
}

QString UndoHistory::Label(const Step& step, bool undo) {
  int kinds = 0;
  Channel only = Channel::kSync;
  for (const FileChange& file : step.files) {
    if (Bookkeeping(file.channel)) continue;
    // The photo file goes with the address book, the events imported
    // appointments came as with the appointments.
    const Channel kind = file.channel == Channel::kPhotoF     ? Channel::kAddBook
                         : file.channel == Channel::kImported ? Channel::kAppoint
                                                              : file.channel;
    if (kind != only) {
      ++kinds;
      only = kind;
    }
  }
  if (kinds == 1 && only == Channel::kAppoint) {
    return undo ? UndoTexts::tr("Undo Appointment Change")
                : UndoTexts::tr("Redo Appointment Change");
  }
  if (kinds == 1 && only == Channel::kNotes) {
    return undo ? UndoTexts::tr("Undo Note Change") : UndoTexts::tr("Redo Note Change");
  }
  if (kinds == 1 && only == Channel::kAddBook) {
    return undo ? UndoTexts::tr("Undo Address Book Change")
                : UndoTexts::tr("Redo Address Book Change");
  }
  return undo ? UndoTexts::tr("Undo Changes") : UndoTexts::tr("Redo Changes");
}

QString UndoHistory::UndoText() const {
  return undo_.empty() ? UndoTexts::tr("Undo") : Label(undo_.back(), true);
}

QString UndoHistory::RedoText() const {
  return redo_.empty() ? UndoTexts::tr("Redo") : Label(redo_.back(), false);
}

}  // namespace quorvel::undo
