#include "store/data_files.h"

#include <cstring>
#include <utility>

#include <QDir>
#include <QFile>

#include "store/fatal.h"
#include "store/journal.h"

namespace quorvel::store {

DataFiles::DataFiles(std::shared_ptr<FileSystem> file_system)
    : file_system_(std::move(file_system)) {}

DataFiles::~DataFiles() {
  // Closing quietly: a failure here can lose nothing, every write was
  // already made durable when its operation ended.
  SystemError ignored;
  for (Open& file : open_) {
    if (file.handle >= 0) file_system_->Close(file.handle, &ignored);
  }
  if (folder_handle_ >= 0) file_system_->Close(folder_handle_, &ignored);
}

QString DataFiles::PathOf(Channel channel) const {
  return JoinPath(data_dir_, QString::fromLatin1(Info(channel).file_name));
}

QString DataFiles::FolderShown() const { return ShownPath(native_dir_); }

QString DataFiles::NameOf(Channel channel) const {
  return QString::fromLatin1(Info(channel).file_name);
}

void DataFiles::Fail(Doing doing, Channel channel, const SystemError& error) const {
  ReportFatal(FailureMessage(doing, NameOf(channel), FolderShown(), error));
}

QString FolderInUseMessage(const QString& dir) {
  return QStringLiteral(
             "Quorvel is already running with the data in this folder:\n\n%1\n\n"
             "Only one Quorvel at a time can use a folder. Please switch to the "
             "one that is already open.")
      .arg(QDir::toNativeSeparators(dir));
}

std::array<bool, 4> DataFiles::CheckEntries() {
  std::array<Entry, 4> entries;
  std::array<bool, 4> missing{};
  for (Channel channel : kAllChannels) {
    Entry& entry = entries[ChannelIndex(channel)];
    const QByteArray path = native_dir_ + '/' + Info(channel).file_name;
    SystemError error;
    if (!file_system_->Inspect(path, &entry, &error)) Fail(Doing::kOpening, channel, error);
    if (entry.kind == EntryKind::kMissing) {
      missing[ChannelIndex(channel)] = true;
      continue;
    }
    if (entry.kind != EntryKind::kRegular) {
      ReportFatal(NotARegularFileMessage(NameOf(channel), FolderShown(), entry.kind));
    }
    for (Channel other : kAllChannels) {
      if (other == channel) break;
      const Entry& seen = entries[ChannelIndex(other)];
      if (seen.kind == EntryKind::kRegular && SameFile(seen.identity, entry.identity)) {
        ReportFatal(SameFileMessage(NameOf(channel), NameOf(other), FolderShown()));
      }
    }
  }
  for (Channel channel : kAllChannels) {
    const Entry& entry = entries[ChannelIndex(channel)];
    if (entry.kind == EntryKind::kRegular && entry.identity.links > 1) {
      ReportFatal(HardLinkedMessage(NameOf(channel), FolderShown()));
    }
  }
  return missing;
}

void DataFiles::NoRoomToSetUp(const std::array<bool, 4>& created) {
  // Quietly: the program ends either way, and the message says why.
  SystemError ignored;
  bool removed = false;
  for (Channel channel : kEveryChannel) {
    Open& file = open_[ChannelIndex(channel)];
    if (file.handle < 0) continue;
    // Only an empty file this start created is removed, never one with data.
    const bool ours = ChannelIndex(channel) < int(created.size()) &&
                      created[ChannelIndex(channel)] &&
                      file_system_->Size(file.handle, &ignored) == 0;
    file_system_->Close(std::exchange(file.handle, -1), &ignored);
    if (ours) removed = file_system_->Remove(file.path, &ignored) || removed;
  }
  if (removed) file_system_->SyncDir(native_dir_, &ignored);
  if (folder_handle_ >= 0) file_system_->Close(std::exchange(folder_handle_, -1), &ignored);
  ReportFatal(NoRoomToSetUpMessage(FolderShown()));
}

// Closes what is open and opens the folder anew. The folder is resolved
// once, here: every name below is looked up in it.
void DataFiles::OpenFolder() {
  CloseDataFiles();
  CountEveryChange();
  if (data_dir_.isEmpty()) ReportFatal(FolderGoneMessage(QString()));
  native_dir_ = NativeFolder(data_dir_);
  while (native_dir_.size() > 1 && native_dir_.endsWith('/')) native_dir_.chop(1);
  SystemError error;
  folder_handle_ = file_system_->OpenFolder(native_dir_, &error);
  if (folder_handle_ < 0) ReportFatal(FolderUnusableMessage(FolderShown(), error));
}

OpenResult DataFiles::OpenDataFiles() {
  OpenFolder();
  SystemError error;
  // Nothing is looked at, opened, read or rolled back before this process
  // holds the folder.
  switch (file_system_->Lock(folder_handle_, &error)) {
    case LockResult::kLocked:
    case LockResult::kUnsupported:
      break;
    case LockResult::kInUse:
      CloseDataFiles();
      return OpenResult::kInUse;
    case LockResult::kFailed:
      CloseDataFiles();
      ReportFatal(FolderUnusableMessage(FolderShown(), error));
  }
  const std::array<bool, 4> missing = CheckEntries();
  for (Channel channel : kAllChannels) {
    Open& file = open_[ChannelIndex(channel)];
    file.path = PathFor(channel);
    file.handle = file_system_->Open(file.path, /*create=*/true, &error);
    if (file.handle < 0) {
      // Swapped for a link or something else since it was looked at.
      Entry entry;
      SystemError ignored;
      if (file_system_->Inspect(file.path, &entry, &ignored) && entry.kind != EntryKind::kRegular &&
          entry.kind != EntryKind::kMissing) {
        ReportFatal(NotARegularFileMessage(NameOf(channel), FolderShown(), entry.kind));
      }
      if (IsNoRoom(error)) NoRoomToSetUp(missing);
      Fail(Doing::kOpening, channel, error);
    }
    if (!file_system_->Identify(file.handle, &file.identity, &error)) {
      Fail(Doing::kOpening, channel, error);
    }
  }
  for (Channel extra : {Channel::kSync, Channel::kKept, Channel::kEvents, Channel::kImported}) {
    Entry entry;
    const QByteArray path = PathFor(extra);
    if (!file_system_->Inspect(path, &entry, &error)) Fail(Doing::kOpening, extra, error);
    if (entry.kind != EntryKind::kMissing) OpenFile(extra);
  }
  Recover();

  Operation op(*this);
  for (Channel channel : {Channel::kAppoint, Channel::kNotes, Channel::kAddBook}) {
    Variant count = op.ReadVariant(channel, CountRecord(channel));
    if (!count.has_value()) count = Variant{Variant::kInt16, 0};
    op.WriteVariant(channel, CountRecord(channel), count);
  }
  QString photo = op.ReadText(Channel::kPhotoF, 1);
  if (photo.isEmpty()) photo = QStringLiteral("none");
  op.WriteText(Channel::kPhotoF, 1, photo);
  const Outcome outcome = op.Commit();
  if (outcome.no_room()) NoRoomToSetUp(missing);
  if (outcome.refused()) ReportFatal(outcome.reason());
  return OpenResult::kOpened;
}

void DataFiles::OpenAlone(Channel channel) {
  OpenFolder();
  OpenFile(channel);
  Recover();
}

QByteArray DataFiles::PathFor(Channel channel) const {
  return native_dir_ + (native_dir_.endsWith('/') ? "" : "/") + Info(channel).file_name;
}

void DataFiles::OpenExtraFile(Channel channel) {
  if (IsOpen(channel)) return;
  CountChange(channel);
  OpenFile(channel);
  Recover();
}

void DataFiles::OpenFile(Channel channel) {
  Open& file = open_[ChannelIndex(channel)];
  const QByteArray path = PathFor(channel);
  SystemError error;
  Entry entry;
  if (!file_system_->Inspect(path, &entry, &error)) Fail(Doing::kOpening, channel, error);
  if (entry.kind != EntryKind::kMissing && entry.kind != EntryKind::kRegular) {
    ReportFatal(NotARegularFileMessage(NameOf(channel), FolderShown(), entry.kind));
  }
  if (entry.kind == EntryKind::kRegular && entry.identity.links > 1) {
    ReportFatal(HardLinkedMessage(NameOf(channel), FolderShown()));
  }
  const int handle = file_system_->Open(path, /*create=*/true, &error);
  if (handle < 0) Fail(Doing::kOpening, channel, error);
  file.path = path;
  file.handle = handle;
  if (!file_system_->Identify(file.handle, &file.identity, &error)) {
    Fail(Doing::kOpening, channel, error);
  }
}

void DataFiles::CloseDataFiles() {
  for (Channel channel : kEveryChannel) {
    Open& file = open_[ChannelIndex(channel)];
    if (file.handle < 0) continue;
    const int handle = std::exchange(file.handle, -1);
    SystemError error;
    if (!file_system_->Close(handle, &error)) Fail(Doing::kClosing, channel, error);
  }
  if (folder_handle_ >= 0) {
    SystemError ignored;  // a folder handle holds nothing to lose
    file_system_->Close(std::exchange(folder_handle_, -1), &ignored);
  }
}

bool DataFiles::IsOpen(Channel channel) const { return open_[ChannelIndex(channel)].handle >= 0; }

bool DataFiles::RemoveEmptyExtraFile(Channel channel) {
  if (channel != Channel::kEvents && channel != Channel::kImported) return false;
  Open& file = open_[ChannelIndex(channel)];
  if (operation_active_ || file.handle < 0 || FileSize(channel) != 0) return false;
  CheckStillThere(channel);
  SystemError error;
  if (!file_system_->Close(std::exchange(file.handle, -1), &error))
    Fail(Doing::kClosing, channel, error);
  // An empty file left behind (the removal failed) holds nothing and is
  // opened again as it is.
  const bool removed = file_system_->Remove(file.path, &error);
  if (removed) SyncFolder();
  CountChange(channel);
  return removed;
}

const DataFiles::Open& DataFiles::Require(Channel channel) const {
  const Open& file = open_[ChannelIndex(channel)];
  if (file.handle < 0) {
    ReportFatal(FailureMessage(Doing::kReading, NameOf(channel), FolderShown(),
                               SystemError{0, QStringLiteral("the file is not open")}));
  }
  return file;
}

void DataFiles::ReadInto(Channel channel, int first_record, int count, char* buffer) const {
  const int length = Info(channel).record_length;
  const qint64 total = qint64(count) * length;
  // Only records 1 to 32767 exist; the rest read as never written.
  const int from = std::max(first_record, 1);
  const int to = int(std::min<qint64>(qint64(first_record) + count - 1, kLargestRecordNumber));
  if (from > to) {
    std::memset(buffer, 0, size_t(total));
    return;
  }
  const qint64 start = qint64(from - first_record) * length;
  const Open& file = Require(channel);
  SystemError error;
  const qint64 got = file_system_->Read(file.handle, qint64(from - 1) * length, buffer + start,
                                        qint64(to - from + 1) * length, &error);
  if (got < 0) Fail(Doing::kReading, channel, error);
  // Only what the file did not fill is zeroed: a scan touches each byte once.
  std::memset(buffer, 0, size_t(start));
  std::memset(buffer + start + got, 0, size_t(total - start - got));
}

QByteArray DataFiles::ReadRecord(Channel channel, int record) const {
  return ReadRecords(channel, record, 1);
}

QByteArray DataFiles::ReadRecords(Channel channel, int first_record, int count) const {
  if (count <= 0) return QByteArray();
  QByteArray bytes(qint64(count) * Info(channel).record_length, Qt::Uninitialized);
  ReadInto(channel, first_record, count, bytes.data());
  return bytes;
}

void DataFiles::ReadRecords(Channel channel, int first_record, int count, QByteArray& into) const {
  into.resize(count <= 0 ? 0 : qsizetype(count) * Info(channel).record_length);
  if (count > 0) ReadInto(channel, first_record, count, into.data());
}

qint64 DataFiles::FileSize(Channel channel) const {
  const Open& file = Require(channel);
  SystemError error;
  const qint64 size = file_system_->Size(file.handle, &error);
  if (size < 0) Fail(Doing::kReading, channel, error);
  return size;
}

QString DataFiles::ReadText(Channel channel, int record) const {
  return DecodeTextRecord(ReadRecord(channel, record));
}

std::int16_t DataFiles::ReadInteger(Channel channel, int record) const {
  return DecodeIntegerRecord(ReadRecord(channel, record));
}

Variant DataFiles::ReadVariant(Channel channel, int record) const {
  return DecodeVariantRecord(ReadRecord(channel, record));
}

int DataFiles::ReadCount(Channel channel) const {
  return CountOf(channel, ReadVariant(channel, CountRecord(channel)));
}

void DataFiles::CheckStillThere(Channel channel) {
  const Open& file = Require(channel);
  Entry entry;
  SystemError error;
  if (!file_system_->Inspect(file.path, &entry, &error)) Fail(Doing::kSaving, channel, error);
  if (entry.kind != EntryKind::kRegular || !SameFile(entry.identity, file.identity)) {
    ReportFatal(ReplacedMessage(NameOf(channel), FolderShown()));
  }
}

void DataFiles::Sync(Channel channel) {
  const Open& file = Require(channel);
  SystemError error;
  if (!file_system_->Sync(file.handle, &error)) Fail(Doing::kSaving, channel, error);
}

void DataFiles::SyncFolder() {
  SystemError error;
  if (!file_system_->SyncDir(native_dir_, &error)) {
    ReportFatal(
        FailureMessage(Doing::kSaving, QStringLiteral("the list of files"), FolderShown(), error));
  }
}

}  // namespace quorvel::store
