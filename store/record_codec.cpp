#include "store/record_codec.h"

#include <algorithm>
#include <cstring>

#include <QDir>

#include "store/text_codec.h"

namespace quorvel::store {
namespace {

void PutU16At(char* bytes, std::uint16_t value) {
  bytes[0] = static_cast<char>(value & 0xFF);
  bytes[1] = static_cast<char>(value >> 8);
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
  static const ChannelInfo kSync{"Sync.dat", 512, 0, 0};
  static const ChannelInfo kKept{"SyncKept.dat", 4096, 0, 0};
  static const ChannelInfo kRemind{"Remind.dat", 64, 0, 0};
  static const ChannelInfo kEvents{"Events.dat", 4096, 0, 0};
  static const ChannelInfo kImported{"Imported.dat", 4096, 0, 0};
  switch (channel) {
    case Channel::kAppoint:
      return kAppoint;
    case Channel::kNotes:
      return kNotes;
    case Channel::kAddBook:
      return kAddBook;
    case Channel::kPhotoF:
      break;
    case Channel::kSync:
      return kSync;
    case Channel::kKept:
      return kKept;
    case Channel::kRemind:
      return kRemind;
    case Channel::kEvents:
      return kEvents;
    case Channel::kImported:
      return kImported;
  }
  return kPhotoF;
}

int CountOf(Channel channel, const Variant& count) {
  if (!count.has_value()) return 0;
  return std::clamp(count.value, 0, Info(channel).max_items);
}

void EncodeTextAt(char* record, int length, QByteArrayView text) {
  std::memset(record, 0, length);
  PutU16At(record, static_cast<std::uint16_t>(text.size()));
  if (!text.isEmpty()) std::memcpy(record + 2, text.data(), text.size());
}

void EncodeVariantAt(char* record, int length, const Variant& value) {
  std::memset(record, 0, length);
  PutU16At(record, value.tag);
  if (value.tag == Variant::kInt16) {
    PutU16At(record + 2, static_cast<std::uint16_t>(value.value));
  } else if (value.tag == Variant::kInt32) {
    const auto bits = static_cast<std::uint32_t>(value.value);
    PutU16At(record + 2, static_cast<std::uint16_t>(bits & 0xFFFF));
    PutU16At(record + 4, static_cast<std::uint16_t>(bits >> 16));
  }
}

QByteArray EncodeTextRecord(const QByteArray& text, int length) {
  QByteArray record(length, Qt::Uninitialized);
  EncodeTextAt(record.data(), length, text);
  return record;
}

QByteArray EncodeIntegerRecord(std::int16_t value, int length) {
  QByteArray record(length, '\0');
  PutU16At(record.data(), static_cast<std::uint16_t>(value));
  return record;
}

QByteArray EncodeVariantRecord(const Variant& value, int length) {
  QByteArray record(length, Qt::Uninitialized);
  EncodeVariantAt(record.data(), length, value);
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
      value.value =
          static_cast<std::int32_t>(static_cast<std::uint32_t>(GetU16At(record + 2)) |
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

}  // namespace quorvel::store
