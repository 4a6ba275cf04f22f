#include "store/data_files.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>

#include <QDir>

#include "store/fatal.h"
#include "store/journal.h"
#include "store/text_codec.h"

namespace quorvel::store {
namespace {

constexpr int kLargestRecordNumber = 32767;

void PutU16(QByteArray& bytes, int at, std::uint16_t value) {
  bytes[at] = static_cast<char>(value & 0xFF);
  bytes[at + 1] = static_cast<char>(value >> 8);
}

std::uint16_t GetU16At(const char* bytes) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[0]) |
                                    static_cast<unsigned char>(bytes[1]) << 8);
}

QString Abbreviated(const QString& text) {
  constexpr int kShown = 40;
  QString shown = text.left(kShown).simplified();
  if (text.size() > kShown) shown += QStringLiteral("…");
  return shown;
}

}  // namespace

const ChannelInfo& Info(Channel channel) {
  // Record numbers are 16-bit signed: field records of the last item must
  // not pass 32767, so the count is limited to (32767 - (N - 1)) / N + 1.
  static const ChannelInfo kAppoint{"Appoint.dat", 128, 8, 4096};
  static const ChannelInfo kNotes{"Notes.dat", 500, 3, 10922};
  static const ChannelInfo kAddBook{"AddBook.dat", 128, 16, 2048};
  static const ChannelInfo kPhotoF{"PhotoF.dat", 128, 0, 0};
  switch (channel) {
    case Channel::kAppoint: return kAppoint;
    case Channel::kNotes: return kNotes;
    case Channel::kAddBook: return kAddBook;
    case Channel::kPhotoF: break;
  }
  return kPhotoF;
}

QByteArray EncodeTextRecord(const QByteArray& text, int length) {
  QByteArray record(length, '\0');
  PutU16(record, 0, static_cast<std::uint16_t>(text.size()));
  std::memcpy(record.data() + 2, text.constData(), text.size());
  return record;
}

QByteArray EncodeIntegerRecord(std::int16_t value, int length) {
  QByteArray record(length, '\0');
  PutU16(record, 0, static_cast<std::uint16_t>(value));
  return record;
}

QByteArray EncodeVariantRecord(const Variant& value, int length) {
  QByteArray record(length, '\0');
  PutU16(record, 0, value.tag);
  if (value.tag == Variant::kInt16) {
    PutU16(record, 2, static_cast<std::uint16_t>(value.value));
  } else if (value.tag == Variant::kInt32) {
    const auto bits = static_cast<std::uint32_t>(value.value);
    PutU16(record, 2, static_cast<std::uint16_t>(bits & 0xFFFF));
    PutU16(record, 4, static_cast<std::uint16_t>(bits >> 16));
  }
  return record;
}

QByteArrayView TextBytesAt(const char* record, int length) {
  if (length < 2) return {};
  const int size = std::min<int>(GetU16At(record), length - 2);
  return QByteArrayView(record + 2, size);
}

QString DecodeTextAt(const char* record, int length) {
  return DecodeText(TextBytesAt(record, length));
}

std::int16_t DecodeIntegerAt(const char* record, int length) {
  if (length < 2) return 0;
  return static_cast<std::int16_t>(GetU16At(record));
}

Variant DecodeVariantAt(const char* record, int length) {
  Variant value;
  if (length < 6) return value;
  switch (GetU16At(record)) {
    case Variant::kInt16:
      value.tag = Variant::kInt16;
      value.value = static_cast<std::int16_t>(GetU16At(record + 2));
      break;
    case Variant::kInt32:
      value.tag = Variant::kInt32;
      value.value = static_cast<std::int32_t>(
          static_cast<std::uint32_t>(GetU16At(record + 2)) |
          static_cast<std::uint32_t>(GetU16At(record + 4)) << 16);
      break;
    default:  // no value, or a tag this program never writes
      break;
  }
  return value;
}

QString DecodeTextRecord(const QByteArray& record) {
  return DecodeTextAt(record.constData(), int(record.size()));
}

std::int16_t DecodeIntegerRecord(const QByteArray& record) {
  return DecodeIntegerAt(record.constData(), int(record.size()));
}

Variant DecodeVariantRecord(const QByteArray& record) {
  return DecodeVariantAt(record.constData(), int(record.size()));
}

QString JoinPath(const QString& dir, const QString& file_name) {
  if (dir.endsWith(QLatin1Char('/')) || dir.endsWith(QDir::separator())) {
    return dir + file_name;
  }
  return dir + QLatin1Char('/') + file_name;
}

QString TextRefusal(Channel channel, const QString& text) {
  if (const auto bad = FirstUnstorableCharacter(text)) {
    return QStringLiteral(
               "The character \"%1\" in \"%2\" cannot be stored. Quorvel keeps "
               "its text in the Western European character set; please "
               "replace this character and try again.")
        .arg(*bad, Abbreviated(text));
  }
  if (text.size() > TextCapacity(channel)) {
    return QStringLiteral(
               "The text \"%1\" is too long to be stored: it has %2 characters "
               "and at most %3 fit. Please shorten it and try again.")
        .arg(Abbreviated(text))
        .arg(text.size())
        .arg(TextCapacity(channel));
  }
  return QString();
}

// ---------------------------------------------------------------- DataFiles

DataFiles::DataFiles(std::shared_ptr<FileSystem> file_system)
    : file_system_(std::move(file_system)) {}

DataFiles::~DataFiles() {
  // Closing quietly: a failure here can lose nothing, every write was
  // already made durable when its operation ended.
  for (auto& [channel, file] : open_) {
    QString ignored;
    file_system_->Close(file.handle, &ignored);
  }
}

QString DataFiles::PathOf(Channel channel) const {
  return JoinPath(data_dir_, QString::fromLatin1(Info(channel).file_name));
}

QString FolderInUseMessage(const QString& dir) {
  return QStringLiteral(
             "Quorvel is already running with the data in this folder:\n\n%1\n\n"
             "Only one Quorvel at a time can use a folder. Please switch to the "
             "one that is already open.")
      .arg(QDir::toNativeSeparators(dir));
}

OpenResult DataFiles::OpenDataFiles() {
  CloseDataFiles();
  for (Channel channel : kAllChannels) {
    const QString path = PathOf(channel);
    QString error;
    const int handle = file_system_->Open(path, &error);
    if (handle < 0) {
      CloseDataFiles();
      ReportFatal(error, path);
    }
    open_[channel] = Open{handle, path};
    if (channel != Channel::kAppoint) continue;
    // Appoint.dat stands for the folder. Nothing else is opened, read or
    // rolled back before this process holds it.
    switch (file_system_->Lock(handle, &error)) {
      case LockResult::kLocked:
      case LockResult::kUnsupported:
        break;
      case LockResult::kInUse:
        CloseDataFiles();
        return OpenResult::kInUse;
      case LockResult::kFailed:
        CloseDataFiles();
        ReportFatal(error, path);
    }
  }
  for (Channel channel : kAllChannels) RollBack(channel);

  Operation op(*this);
  for (Channel channel : {Channel::kAppoint, Channel::kNotes, Channel::kAddBook}) {
    Variant count = op.ReadVariant(channel, CountRecord(channel));
    if (!count.has_value()) count = Variant{Variant::kInt16, 0};
    op.WriteVariant(channel, CountRecord(channel), count);
  }
  QString photo = op.ReadText(Channel::kPhotoF, 1);
  if (photo.isEmpty()) photo = QStringLiteral("none");
  op.WriteText(Channel::kPhotoF, 1, photo);
  op.Commit();
  return OpenResult::kOpened;
}

void DataFiles::CloseDataFiles() {
  for (Channel channel : kAllChannels) {
    auto it = open_.find(channel);
    if (it == open_.end()) continue;
    const Open file = it->second;
    open_.erase(it);
    QString error;
    if (!file_system_->Close(file.handle, &error)) ReportFatal(error, file.path);
  }
}

bool DataFiles::IsOpen(Channel channel) const { return open_.count(channel) != 0; }

const DataFiles::Open& DataFiles::Require(Channel channel) const {
  auto it = open_.find(channel);
  if (it == open_.end()) {
    ReportFatal(QStringLiteral("The data file is not open."), PathOf(channel));
  }
  return it->second;
}

QByteArray DataFiles::ReadRecord(Channel channel, int record) const {
  const int length = Info(channel).record_length;
  QByteArray bytes(length, '\0');
  if (record < 1 || record > kLargestRecordNumber) return bytes;
  const Open& file = Require(channel);
  QString error;
  const qint64 got = file_system_->Read(
      file.handle, qint64(record - 1) * length, bytes.data(), length, &error);
  if (got < 0) ReportFatal(error, file.path);
  return bytes;  // bytes past the end of the file stay zero: never written
}

QByteArray DataFiles::ReadRecords(Channel channel, int first_record, int count) const {
  const int length = Info(channel).record_length;
  if (count <= 0) return QByteArray();
  QByteArray bytes(qint64(count) * length, '\0');
  // Only records 1 to 32767 exist; the rest read as never written.
  const int from = std::max(first_record, 1);
  const int to = std::min<qint64>(qint64(first_record) + count - 1, kLargestRecordNumber);
  if (from > to) return bytes;
  const Open& file = Require(channel);
  QString error;
  const qint64 got = file_system_->Read(file.handle, qint64(from - 1) * length,
                                        bytes.data() + qint64(from - first_record) * length,
                                        qint64(to - from + 1) * length, &error);
  if (got < 0) ReportFatal(error, file.path);
  return bytes;
}

qint64 DataFiles::FileSize(Channel channel) const {
  const Open& file = Require(channel);
  QString error;
  const qint64 size = file_system_->Size(file.handle, &error);
  if (size < 0) ReportFatal(error, file.path);
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

namespace {

int CountOf(Channel channel, const Variant& count) {
  if (!count.has_value()) return 0;
  return std::clamp(count.value, 0, Info(channel).max_items);
}

}  // namespace

int DataFiles::ReadCount(Channel channel) const {
  return CountOf(channel, ReadVariant(channel, CountRecord(channel)));
}

QString DataFiles::DirPath() const {
  return data_dir_.isEmpty() ? QStringLiteral("/") : data_dir_;
}

namespace {

// Closes a journal's handle when it goes out of scope unclosed (the
// operation ended with an error and the process is ending anyway).
class HandleGuard {
 public:
  HandleGuard(FileSystem& file_system, int handle) : fs_(file_system), handle_(handle) {}
  ~HandleGuard() {
    if (handle_ >= 0) {
      QString ignored;
      fs_.Close(handle_, &ignored);
    }
  }
  HandleGuard(const HandleGuard&) = delete;
  HandleGuard& operator=(const HandleGuard&) = delete;
  int get() const { return handle_; }
  int release() { return std::exchange(handle_, -1); }

 private:
  FileSystem& fs_;
  int handle_;
};

}  // namespace

void DataFiles::RollBack(Channel channel) {
  const Open& file = Require(channel);
  const QString journal_path = JournalPath(file.path);
  QString error;
  const int exists = file_system_->Exists(journal_path, &error);
  if (exists < 0) ReportFatal(error, journal_path);
  if (exists == 0) return;

  std::optional<Journal> journal;
  {
    HandleGuard handle(*file_system_, file_system_->Open(journal_path, &error));
    if (handle.get() < 0) ReportFatal(error, journal_path);
    const qint64 size = file_system_->Size(handle.get(), &error);
    if (size < 0) ReportFatal(error, journal_path);
    const int length = Info(channel).record_length;
    if (size <= LargestJournalSize(length)) {
      QByteArray bytes(size, '\0');
      const qint64 got = file_system_->Read(handle.get(), 0, bytes.data(), size, &error);
      if (got < 0) ReportFatal(error, journal_path);
      bytes.truncate(got);
      journal = DecodeJournal(bytes, length);
    }
    if (!file_system_->Close(handle.release(), &error)) ReportFatal(error, journal_path);
  }
  if (journal) {
    // Files only grow while an operation runs: a journal recording a longer
    // file than there is belongs to some other file and is not applied.
    const qint64 size = file_system_->Size(file.handle, &error);
    if (size < 0) ReportFatal(error, file.path);
    if (journal->original_length > size) journal.reset();
  }
  if (journal) {
    // The operation may have written any of its records: put back every one
    // it was going to overwrite, then cut off what it appended.
    for (const Journal::Entry& entry : journal->entries) {
      if (!file_system_->Write(file.handle, qint64(entry.record - 1) * journal->record_length,
                               entry.bytes.constData(), entry.bytes.size(), &error)) {
        ReportFatal(error, file.path);
      }
    }
    if (!file_system_->Truncate(file.handle, journal->original_length, &error)) {
      ReportFatal(error, file.path);
    }
    Sync(channel);
  }
  // Only now may the journal go: the file is whole again.
  if (!file_system_->Remove(journal_path, &error)) ReportFatal(error, journal_path);
  if (!file_system_->SyncDir(DirPath(), &error)) ReportFatal(error, DirPath());
}

void DataFiles::Apply(const std::vector<Write>& writes) {
  struct Plan {
    Channel channel;
    Journal journal;
    bool changes = false;
  };
  std::vector<Plan> plans;
  // What each written record holds on disk; `whole` is false where the file
  // ends inside or before the record.
  struct OnDisk {
    QByteArray bytes;
    bool whole = false;
    bool changes = false;  // some write of the operation differs from it
  };
  std::map<std::pair<Channel, int>, OnDisk> disk;
  std::vector<std::pair<Channel, int>> first_seen;

  for (const auto& [where, bytes] : writes) {
    auto [it, first_time] = disk.try_emplace(where);
    if (first_time) {
      const Open& file = Require(where.first);
      const int length = Info(where.first).record_length;
      QString error;
      const Channel channel = where.first;
      if (std::none_of(plans.begin(), plans.end(),
                       [channel](const Plan& p) { return p.channel == channel; })) {
        const qint64 size = file_system_->Size(file.handle, &error);
        if (size < 0) ReportFatal(error, file.path);
        plans.push_back(Plan{where.first, Journal{length, size, {}}, false});
      }
      it->second.bytes = QByteArray(length, '\0');
      const qint64 got = file_system_->Read(file.handle, qint64(where.second - 1) * length,
                                            it->second.bytes.data(), length, &error);
      if (got < 0) ReportFatal(error, file.path);
      it->second.whole = got == length;
      first_seen.push_back(where);
    }
    if (!it->second.whole || it->second.bytes != bytes) it->second.changes = true;
  }
  // The journal keeps each record that will change as it is now, unless it
  // lies wholly beyond the end (cutting the file back restores that).
  for (const auto& where : first_seen) {
    const OnDisk& now = disk[where];
    if (!now.changes) continue;
    const Channel channel = where.first;
    Plan& plan = *std::find_if(plans.begin(), plans.end(),
                               [channel](const Plan& p) { return p.channel == channel; });
    plan.changes = true;
    const int length = Info(where.first).record_length;
    if (qint64(where.second - 1) * length < plan.journal.original_length) {
      plan.journal.entries.push_back({where.second, now.bytes});
    }
  }
  // A file none of whose records changes is left alone entirely.
  std::erase_if(plans, [](const Plan& p) { return !p.changes; });
  if (plans.empty()) return;

  // 1. The journals, durable before any data file is touched.
  for (const Plan& plan : plans) {
    const QString path = JournalPath(Require(plan.channel).path);
    QString error;
    HandleGuard handle(*file_system_, file_system_->Open(path, &error));
    if (handle.get() < 0) ReportFatal(error, path);
    const qint64 stale = file_system_->Size(handle.get(), &error);
    if (stale < 0) ReportFatal(error, path);
    if (stale > 0 && !file_system_->Truncate(handle.get(), 0, &error)) ReportFatal(error, path);
    const QByteArray bytes = EncodeJournal(plan.journal);
    if (!file_system_->Write(handle.get(), 0, bytes.constData(), bytes.size(), &error) ||
        !file_system_->Sync(handle.get(), &error) ||
        !file_system_->Close(handle.release(), &error)) {
      ReportFatal(error, path);
    }
  }
  QString error;
  if (!file_system_->SyncDir(DirPath(), &error)) ReportFatal(error, DirPath());

  // 2. The records, in the order they were made.
  for (const auto& [where, bytes] : writes) {
    OnDisk& now = disk[where];
    if (now.whole && now.bytes == bytes) continue;
    const Open& file = Require(where.first);
    const qint64 offset = qint64(where.second - 1) * Info(where.first).record_length;
    if (!file_system_->Write(file.handle, offset, bytes.constData(), bytes.size(), &error)) {
      ReportFatal(error, file.path);
    }
    now = OnDisk{bytes, true};
  }
  for (const Plan& plan : plans) Sync(plan.channel);

  // 3. Done: the journals go.
  for (const Plan& plan : plans) {
    const QString path = JournalPath(Require(plan.channel).path);
    if (!file_system_->Remove(path, &error)) ReportFatal(error, path);
  }
  if (!file_system_->SyncDir(DirPath(), &error)) ReportFatal(error, DirPath());
}

void DataFiles::Sync(Channel channel) {
  const Open& file = Require(channel);
  QString error;
  if (!file_system_->Sync(file.handle, &error)) ReportFatal(error, file.path);
}

// ---------------------------------------------------------------- Operation

Operation::Operation(DataFiles& files) : files_(files) {
  Q_ASSERT(!files_.operation_active_);
  files_.operation_active_ = true;
}

Operation::~Operation() { files_.operation_active_ = false; }

QByteArray Operation::Record(Channel channel, int record) const {
  auto it = latest_.find({channel, record});
  if (it != latest_.end()) return it->second;
  return files_.ReadRecord(channel, record);
}

QString Operation::ReadText(Channel channel, int record) const {
  return DecodeTextRecord(Record(channel, record));
}

std::int16_t Operation::ReadInteger(Channel channel, int record) const {
  return DecodeIntegerRecord(Record(channel, record));
}

Variant Operation::ReadVariant(Channel channel, int record) const {
  return DecodeVariantRecord(Record(channel, record));
}

int Operation::ReadCount(Channel channel) const {
  return CountOf(channel, ReadVariant(channel, CountRecord(channel)));
}

void Operation::Stage(Channel channel, int record, QByteArray bytes) {
  Q_ASSERT(!committed_);
  if (refused()) return;
  if (record < 1 || record > kLargestRecordNumber) {
    Refuse(QStringLiteral("The data file is full: no more can be stored in it."));
    return;
  }
  latest_[{channel, record}] = bytes;
  writes_.push_back({{channel, record}, std::move(bytes)});
}

void Operation::WriteText(Channel channel, int record, const QString& text) {
  const QString refusal = TextRefusal(channel, text);
  if (!refusal.isNull()) {
    Refuse(refusal);
    return;
  }
  Stage(channel, record, EncodeTextRecord(*EncodeText(text), Info(channel).record_length));
}

void Operation::WriteInteger(Channel channel, int record, std::int16_t value) {
  Stage(channel, record, EncodeIntegerRecord(value, Info(channel).record_length));
}

void Operation::WriteVariant(Channel channel, int record, const Variant& value) {
  Stage(channel, record, EncodeVariantRecord(value, Info(channel).record_length));
}

void Operation::WriteCount(Channel channel, int count) {
  WriteVariant(channel, CountRecord(channel),
               Variant{Variant::kInt16, static_cast<std::int16_t>(count)});
}

void Operation::Refuse(const QString& reason) {
  if (!refused()) refusal_ = reason.isNull() ? QStringLiteral("") : reason;
}

Outcome Operation::Commit() {
  Q_ASSERT(!committed_);
  committed_ = true;
  if (refused()) return Outcome::Refused(refusal_);
  files_.Apply(writes_);
  return Outcome::Stored();
}

}  // namespace quorvel::store
