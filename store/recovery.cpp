// Start-up's half of the journal: an operation that never finished is
// rolled back before anything reads the file, but only with a journal that
// belongs to this very file. Anything else under a journal's name is set
// aside, never applied, and the user is told.
#include <algorithm>
#include <cerrno>
#include <optional>
#include <utility>

#include "store/data_files.h"
#include "store/fatal.h"
#include "store/journal.h"

namespace quorvel::store {
namespace {

// Whether a journal of an earlier version (which names no file) can belong
// to a file of `size` bytes: an operation only ever grew a file by at most
// one item's group of records (the header record, for a new file).
bool LegacyFits(Channel channel, const Journal& journal, qint64 size) {
  const ChannelInfo& info = Info(channel);
  const qint64 growth = qint64(std::max(info.group_size, 1)) * info.record_length;
  return size - journal.original_length <= growth;
}

}  // namespace

void DataFiles::RollBack(Channel channel) {
  const Open& file = Require(channel);
  const QByteArray journal_path = JournalPath(file.path);
  SystemError error;
  Entry entry;
  if (!file_system_->Inspect(journal_path, &entry, &error)) Fail(Doing::kRestoring, channel, error);
  if (entry.kind == EntryKind::kMissing) return;
  // A link, a folder or a file with other names was never written by this
  // program: journals are only ever created as new files.
  if (entry.kind != EntryKind::kRegular || entry.identity.links > 1) {
    SetAside(channel, journal_path);
    return;
  }

  const int length = Info(channel).record_length;
  std::optional<Journal> journal;
  bool ours = true;
  {
    const int handle = file_system_->Open(journal_path, /*create=*/false, &error);
    if (handle < 0) {
      // Swapped for something else since it was looked at.
      SetAside(channel, journal_path);
      return;
    }
    const qint64 size = file_system_->Size(handle, &error);
    if (size < 0) Fail(Doing::kRestoring, channel, error);
    const qint64 wanted = std::min(size, LargestJournalSize(length) + 1);
    QByteArray bytes(wanted, Qt::Uninitialized);
    const qint64 got = file_system_->Read(handle, 0, bytes.data(), wanted, &error);
    if (got < 0) Fail(Doing::kRestoring, channel, error);
    bytes.truncate(got);
    if (!file_system_->Close(handle, &error)) Fail(Doing::kRestoring, channel, error);
    ours = LooksLikeJournal(bytes);
    if (ours && size <= LargestJournalSize(length)) journal = DecodeJournal(bytes, length);
  }
  if (!ours) {
    SetAside(channel, journal_path);
    return;
  }
  if (journal) {
    // Files only grow while an operation runs: a journal recording a longer
    // file than there is belongs to some other file.
    const qint64 size = file_system_->Size(file.handle, &error);
    if (size < 0) Fail(Doing::kRestoring, channel, error);
    const bool belongs =
        journal->original_length <= size &&
        (journal->legacy ? LegacyFits(channel, *journal, size)
                         : journal->file_name == Info(channel).file_name &&
                               SameFile(journal->identity, file.identity));
    if (!belongs) {
      SetAside(channel, journal_path);
      return;
    }
    // The operation may have written any of its records: put back every one
    // it was going to overwrite, then cut off what it appended.
    for (const Journal::Entry& e : journal->entries) {
      if (!file_system_->Write(file.handle, qint64(e.record - 1) * journal->record_length,
                               e.bytes.constData(), e.bytes.size(), &error)) {
        Fail(Doing::kRestoring, channel, error);
      }
    }
    if (!file_system_->Truncate(file.handle, journal->original_length, &error)) {
      Fail(Doing::kRestoring, channel, error);
    }
    Sync(channel);
  }
  // Only now may the journal go: the file is whole again (or a torn journal
  // shows the file was never touched).
  if (!file_system_->Remove(journal_path, &error)) Fail(Doing::kRestoring, channel, error);
  SyncFolder();
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
