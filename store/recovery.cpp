// Start-up's half of the journal: an operation that never finished is
// rolled back before anything reads the file, but only with a journal that
// belongs to this very file. Anything else under a journal's name is set
// aside, never applied, and the user is told.
#include <algorithm>
#include <array>
#include <cerrno>
#include <optional>
#include <utility>
#include <vector>

#include "store/data_files.h"
#include "store/fatal.h"
#include "store/journal.h"

namespace quorvel::store {
namespace {

// Whether `journal` holds every record between `size` and the length it
// records, as a journal of an operation that cut its file does.
bool HoldsCutBytes(const Journal& journal, qint64 size) {
  if (journal.legacy || journal.record_length <= 0) return false;
  const qint64 first = size / journal.record_length + 1;
  const qint64 last = (journal.original_length + journal.record_length - 1) / journal.record_length;
  if (last - first + 1 > qint64(journal.entries.size())) return false;
  std::vector<bool> held(std::size_t(last - first + 1), false);
  for (const Journal::Entry& e : journal.entries) {
    if (e.record >= first && e.record <= last) held[std::size_t(e.record - first)] = true;
  }
  return std::all_of(held.begin(), held.end(), [](bool h) { return h; });
}

std::uint32_t Bit(Channel channel) { return ChangedFiles::Bit(channel); }

}  // namespace

DataFiles::Found DataFiles::Examine(Channel channel, bool act) {
  const QByteArray journal_path = JournalPath(PathFor(channel));
  SystemError error;
  Entry entry;
  if (!file_system_->Inspect(journal_path, &entry, &error)) Fail(Doing::kRestoring, channel, error);
  if (entry.kind == EntryKind::kMissing) return {};
  // A link, a folder or a file with other names was never written by this
  // program: journals are only ever created as new files.
  if (entry.kind != EntryKind::kRegular || entry.identity.links > 1) {
    if (act) SetAside(channel, journal_path);
    return {};
  }
  const int length = Info(channel).record_length;
  const int handle = file_system_->Open(journal_path, /*create=*/false, &error);
  if (handle < 0) {
    // Swapped for something else since it was looked at.
    if (act) SetAside(channel, journal_path);
    return {};
  }
  const qint64 size = file_system_->Size(handle, &error);
  if (size < 0) Fail(Doing::kRestoring, channel, error);
  const qint64 wanted = std::min(size, LargestJournalSize(length) + 1);
  QByteArray bytes(wanted, Qt::Uninitialized);
  const qint64 got = file_system_->Read(handle, 0, bytes.data(), wanted, &error);
  if (got < 0) Fail(Doing::kRestoring, channel, error);
  bytes.truncate(got);
  if (!file_system_->Close(handle, &error)) Fail(Doing::kRestoring, channel, error);
  if (!LooksLikeJournal(bytes)) {
    if (act) SetAside(channel, journal_path);
    return {};
  }
  Found found;
  found.present = true;
  if (size <= LargestJournalSize(length)) found.journal = DecodeJournal(bytes, length);
  return found;
}

bool DataFiles::Belongs(Channel channel, const Journal& journal) const {
  // A journal of the first format names no file at all: a well-formed one
  // copied in from another folder looks exactly like this file's own, and
  // the bytes it would put back cannot be told from this file's earlier
  // ones (after a half-done write the file holds the new bytes there). So
  // it is never applied, only set aside like any other that is not this
  // file's.
  if (journal.legacy) return false;
  // Files only grow while an operation runs, unless it cuts them back, and
  // then the journal holds every record cut off: a journal recording a
  // longer file than there is, without the bytes in between, belongs to
  // some other file.
  const Open& file = Require(channel);
  SystemError error;
  const qint64 size = file_system_->Size(file.handle, &error);
  if (size < 0) Fail(Doing::kRestoring, channel, error);
  return (journal.original_length <= size || HoldsCutBytes(journal, size)) &&
         journal.file_name == Info(channel).file_name && SameFile(journal.identity, file.identity);
}

void DataFiles::Restore(Channel channel, const Journal& journal) {
  // The operation may have written any of its records: put back every one
  // it was going to overwrite, then cut off what it appended.
  const Open& file = Require(channel);
  SystemError error;
  for (const Journal::Entry& e : journal.entries) {
    if (!file_system_->Write(file.handle, qint64(e.record - 1) * journal.record_length,
                             e.bytes.constData(), e.bytes.size(), &error)) {
      Fail(Doing::kRestoring, channel, error);
    }
  }
  if (!file_system_->Truncate(file.handle, journal.original_length, &error)) {
    Fail(Doing::kRestoring, channel, error);
  }
  Sync(channel);
}

void DataFiles::Recover() {
  // What lies under every journal name, including the names of files not
  // open (yet): an operation's journals are judged together.
  std::array<Found, kChannelCount> found;
  for (Channel channel : kEveryChannel) {
    found[ChannelIndex(channel)] = Examine(channel, IsOpen(channel));
    // Looked at only to judge the others: left for when its file is opened.
    if (!IsOpen(channel)) found[ChannelIndex(channel)].present = false;
  }
  auto intact_in = [&](Channel channel, std::uint64_t operation) {
    const Found& f = found[ChannelIndex(channel)];
    return f.journal && !f.journal->legacy && f.journal->operation == operation;
  };
  // An operation creates all its journals before it touches any data file
  // and removes them only once every file holds the change: when one of
  // them is missing or torn, no file needs to be put back.
  auto whole = [&](Channel channel, const Journal& journal) {
    if (journal.operation == 0) return true;
    // Bits for files this program does not know are not judged: a file
    // whose journals are all here is put back rather than left half written.
    if (!(journal.channels & Bit(channel))) return false;
    for (Channel other : kEveryChannel) {
      if ((journal.channels & Bit(other)) && !intact_in(other, journal.operation)) return false;
    }
    return true;
  };
  // Every file is put back before any journal goes, so a crash in between
  // finds them all still there and does it again.
  for (Channel channel : kEveryChannel) {
    Found& f = found[ChannelIndex(channel)];
    if (!f.present || !f.journal) continue;
    if (!Belongs(channel, *f.journal)) {
      SetAside(channel, JournalPath(Require(channel).path));
      f.present = false;
      continue;
    }
    if (whole(channel, *f.journal)) Restore(channel, *f.journal);
  }
  // Only now may the journals go: every file is whole again (or a torn
  // journal shows the file was never touched).
  bool removed = false;
  for (Channel channel : kEveryChannel) {
    if (!found[ChannelIndex(channel)].present) continue;
    SystemError error;
    if (!file_system_->Remove(JournalPath(Require(channel).path), &error)) {
      Fail(Doing::kRestoring, channel, error);
    }
    removed = true;
  }
  if (removed) SyncFolder();
}

void DataFiles::SetAside(Channel channel, const QByteArray& journal_path) {
  SystemError error;
  QByteArray kept;
  for (int n = 1; n <= 1000; ++n) {
    kept = journal_path + ".not-used" + (n > 1 ? "-" + QByteArray::number(n) : QByteArray());
    if (file_system_->Rename(journal_path, kept, &error)) break;
    if (error.code != EEXIST) Fail(Doing::kRestoring, channel, error);
    kept.clear();
  }
  if (kept.isEmpty()) Fail(Doing::kRestoring, channel, error);
  SyncFolder();
  const QByteArray name = Info(channel).file_name;
  ReportNotice(JournalSetAsideMessage(NameOf(channel), QString::fromLatin1(name + "-journal"),
                                      ShownPath(kept.mid(kept.lastIndexOf('/') + 1)),
                                      FolderShown()));
}

}  // namespace quorvel::store
