#include "store/journal.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace quorvel::store {
namespace {

constexpr char kMagic[4] = {'Q', 'V', 'J', '3'};
constexpr char kUnboundMagic[4] = {'Q', 'V', 'J', '2'};
constexpr char kLegacyMagic[4] = {'Q', 'V', 'J', '1'};
constexpr int kLargestRecordNumber = 32767;
constexpr int kNameSize = 16;
// magic, record length, original length, device, inode, birth, name,
// operation, channels, count
constexpr qint64 kOperationAt = 4 + 4 + 8 + 8 + 8 + 8 + kNameSize;
constexpr qint64 kHeaderSize = kOperationAt + 8 + 4 + 4;
// The same without operation and channels.
constexpr qint64 kUnboundHeaderSize = kOperationAt + 4;
constexpr qint64 kLegacyHeaderSize = 4 + 4 + 8 + 4;
constexpr qint64 kTrailerSize = 4;

void PutLE(QByteArray& out, std::uint64_t value, int width) {
  char bytes[8];
  for (int i = 0; i < width; ++i) bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  out.append(bytes, width);
}

// Overwrites `width` bytes at `at` with `value`, little-endian.
void SetLE(QByteArray& out, qint64 at, std::uint64_t value, int width) {
  for (int i = 0; i < width; ++i) out[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::uint64_t GetLE(const QByteArray& in, qint64 at, int width) {
  std::uint64_t value = 0;
  for (int i = 0; i < width; ++i) {
    value |= std::uint64_t(static_cast<unsigned char>(in[at + i])) << (8 * i);
  }
  return value;
}

// Eight tables: the checksum consumes eight bytes per step.
using CrcTables = std::array<std::array<std::uint32_t, 256>, 8>;
const CrcTables& Tables() {
  static const CrcTables tables = [] {
    CrcTables t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[0][n] = c;
    }
    for (std::uint32_t n = 0; n < 256; ++n) {
      for (int k = 1; k < 8; ++k) t[k][n] = (t[k - 1][n] >> 8) ^ t[0][t[k - 1][n] & 0xFF];
    }
    return t;
  }();
  return tables;
}

}  // namespace

std::uint32_t Crc32(const char* data, qint64 length) {
  const CrcTables& t = Tables();
  const auto* p = reinterpret_cast<const unsigned char*>(data);
  std::uint32_t crc = 0xFFFFFFFFu;
  while (length >= 8) {
    const std::uint32_t low = crc ^ (std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 |
                                     std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24);
    crc = t[7][low & 0xFF] ^ t[6][(low >> 8) & 0xFF] ^ t[5][(low >> 16) & 0xFF] ^ t[4][low >> 24] ^
          t[3][p[4]] ^ t[2][p[5]] ^ t[1][p[6]] ^ t[0][p[7]];
    p += 8;
    length -= 8;
  }
  while (length-- > 0) crc = t[0][(crc ^ *p++) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

QString JournalPath(const QString& data_path) { return data_path + QStringLiteral("-journal"); }
QByteArray JournalPath(const QByteArray& data_path) { return data_path + "-journal"; }

qint64 LargestJournalSize(int record_length) {
  return kHeaderSize + qint64(kLargestRecordNumber) * (4 + record_length) + kTrailerSize;
}

JournalWriter::JournalWriter(const Journal& header, qsizetype expected_entries)
    : record_length_(header.record_length) {
  out_.reserve(kHeaderSize + expected_entries * (4 + record_length_) + kTrailerSize);
  out_.append(kMagic, 4);
  PutLE(out_, static_cast<std::uint32_t>(header.record_length), 4);
  PutLE(out_, static_cast<std::uint64_t>(header.original_length), 8);
  PutLE(out_, header.identity.device, 8);
  PutLE(out_, header.identity.inode, 8);
  PutLE(out_, static_cast<std::uint64_t>(header.identity.birth), 8);
  QByteArray name = header.file_name.left(kNameSize);
  name.resize(kNameSize, '\0');
  out_.append(name);
  PutLE(out_, header.operation, 8);
  PutLE(out_, header.channels, 4);
  PutLE(out_, 0, 4);  // the count, filled in by Finish
}

void JournalWriter::Bind(std::uint64_t operation, std::uint32_t channels) {
  SetLE(out_, kOperationAt, operation, 8);
  SetLE(out_, kOperationAt + 8, channels, 4);
}

qsizetype JournalWriter::Add(int record, const char* bytes) {
  // One resize and one copy per entry: within the reserved room nothing
  // moves, and a large journal is built at the speed of a copy.
  const qsizetype at = out_.size();
  out_.resize(at + 4 + record_length_);
  char* into = out_.data() + at;
  const auto number = static_cast<std::uint32_t>(record);
  for (int i = 0; i < 4; ++i) into[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
  std::memcpy(into + 4, bytes, size_t(record_length_));
  ++count_;
  return at + 4;
}

QByteArray JournalWriter::Finish() {
  SetLE(out_, kHeaderSize - 4, count_, 4);
  PutLE(out_, Crc32(out_.constData(), out_.size()), 4);
  return std::move(out_);
}

QByteArray EncodeJournal(const Journal& journal) {
  JournalWriter writer(journal, qsizetype(journal.entries.size()));
  for (const Journal::Entry& entry : journal.entries)
    writer.Add(entry.record, entry.bytes.constData());
  return writer.Finish();
}

bool LooksLikeJournal(const QByteArray& bytes) {
  const qsizetype n = std::min<qsizetype>(bytes.size(), 4);
  return std::memcmp(bytes.constData(), kMagic, n) == 0 ||
         std::memcmp(bytes.constData(), kUnboundMagic, n) == 0 ||
         std::memcmp(bytes.constData(), kLegacyMagic, n) == 0;
}

std::optional<Journal> DecodeJournal(const QByteArray& bytes, int record_length) {
  if (record_length <= 0 || bytes.size() < kLegacyHeaderSize + kTrailerSize) return std::nullopt;
  Journal journal;
  qint64 header = kHeaderSize;
  if (std::memcmp(bytes.constData(), kLegacyMagic, 4) == 0) {
    journal.legacy = true;
    header = kLegacyHeaderSize;
  } else if (std::memcmp(bytes.constData(), kUnboundMagic, 4) == 0) {
    header = kUnboundHeaderSize;
  } else if (std::memcmp(bytes.constData(), kMagic, 4) != 0) {
    return std::nullopt;
  }
  if (bytes.size() < header + kTrailerSize) return std::nullopt;
  if (GetLE(bytes, 4, 4) != std::uint64_t(record_length)) return std::nullopt;
  const std::uint64_t original_length = GetLE(bytes, 8, 8);
  const std::uint64_t count = GetLE(bytes, header - 4, 4);
  if (count > std::uint64_t(kLargestRecordNumber)) return std::nullopt;
  if (original_length > (std::uint64_t(1) << 62)) return std::nullopt;
  const qint64 body = header + qint64(count) * (4 + record_length);
  if (bytes.size() != body + kTrailerSize) return std::nullopt;
  if (GetLE(bytes, body, 4) != Crc32(bytes.constData(), body)) return std::nullopt;

  journal.record_length = record_length;
  journal.original_length = static_cast<qint64>(original_length);
  if (!journal.legacy) {
    journal.identity.device = GetLE(bytes, 16, 8);
    journal.identity.inode = GetLE(bytes, 24, 8);
    journal.identity.birth = static_cast<qint64>(GetLE(bytes, 32, 8));
    const QByteArray name = bytes.mid(40, kNameSize);
    journal.file_name = name.left(name.indexOf('\0') < 0 ? kNameSize : name.indexOf('\0'));
  }
  if (header == kHeaderSize) {
    journal.operation = GetLE(bytes, kOperationAt, 8);
    journal.channels = static_cast<std::uint32_t>(GetLE(bytes, kOperationAt + 8, 4));
  }
  journal.entries.reserve(count);
  qint64 at = header;
  for (std::uint64_t i = 0; i < count; ++i) {
    const std::uint64_t record = GetLE(bytes, at, 4);
    if (record < 1 || record > std::uint64_t(kLargestRecordNumber)) return std::nullopt;
    journal.entries.push_back({static_cast<int>(record), bytes.mid(at + 4, record_length)});
    at += 4 + record_length;
  }
  return journal;
}

}  // namespace quorvel::store
