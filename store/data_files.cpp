#include "store/data_files.h"

#include <algorithm>
#include <cstring>

#include <QDir>

#include "store/fatal.h"
#include "store/text_codec.h"

namespace quorvel::store {
namespace {

constexpr int kLargestRecordNumber = 32767;

void PutU16(QByteArray& bytes, int at, std::uint16_t value) {
  bytes[at] = static_cast<char>(value & 0xFF);
  bytes[at + 1] = static_cast<char>(value >> 8);
}

std::uint16_t GetU16(const QByteArray& bytes, int at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                    static_cast<unsigned char>(bytes[at + 1]) << 8);
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

QString DecodeTextRecord(const QByteArray& record) {
  if (record.size() < 2) return QString();
  const int length = std::min<int>(GetU16(record, 0), record.size() - 2);
  return DecodeText(record.mid(2, length));
}

std::int16_t DecodeIntegerRecord(const QByteArray& record) {
  if (record.size() < 2) return 0;
  return static_cast<std::int16_t>(GetU16(record, 0));
}

Variant DecodeVariantRecord(const QByteArray& record) {
  Variant value;
  if (record.size() < 6) return value;
  switch (GetU16(record, 0)) {
    case Variant::kInt16:
      value.tag = Variant::kInt16;
      value.value = static_cast<std::int16_t>(GetU16(record, 2));
      break;
    case Variant::kInt32:
      value.tag = Variant::kInt32;
      value.value = static_cast<std::int32_t>(
          static_cast<std::uint32_t>(GetU16(record, 2)) |
          static_cast<std::uint32_t>(GetU16(record, 4)) << 16);
      break;
    default:  // no value, or a tag this program never writes
      break;
  }
  return value;
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

void DataFiles::OpenDataFiles() {
  CloseDataFiles();
  for (Channel channel : kAllChannels) {
    const QString path = PathOf(channel);
    QString error;
    const int handle = file_system_->Open(path, &error);
    if (handle < 0) ReportFatal(error, path);
    open_[channel] = Open{handle, path};
  }
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

bool DataFiles::WriteRecord(Channel channel, int record, const QByteArray& bytes) {
  const Open& file = Require(channel);
  const int length = Info(channel).record_length;
  const qint64 offset = qint64(record - 1) * length;
  QString error;
  // A record already holding exactly these bytes is left alone.
  QByteArray current(length, '\0');
  const qint64 got = file_system_->Read(file.handle, offset, current.data(), length, &error);
  if (got < 0) ReportFatal(error, file.path);
  if (got == length && current == bytes) return false;
  if (!file_system_->Write(file.handle, offset, bytes.constData(), length, &error)) {
    ReportFatal(error, file.path);
  }
  return true;
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
  std::vector<Channel> touched;
  for (const auto& [where, bytes] : writes_) {
    if (files_.WriteRecord(where.first, where.second, bytes) &&
        std::find(touched.begin(), touched.end(), where.first) == touched.end()) {
      touched.push_back(where.first);
    }
  }
  for (Channel channel : touched) files_.Sync(channel);
  return Outcome::Stored();
}

}  // namespace quorvel::store
