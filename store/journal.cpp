#include "store/journal.h"

#include <array>
#include <cstring>

namespace quorvel::store {
namespace {

constexpr char kMagic[4] = {'Q', 'V', 'J', '1'};
constexpr int kLargestRecordNumber = 32767;
constexpr qint64 kHeaderSize = 4 + 4 + 8 + 4;
constexpr qint64 kTrailerSize = 4;

void PutU32(QByteArray& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void PutU64(QByteArray& out, std::uint64_t value) {
  for (int i = 0; i < 8; ++i) out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::uint64_t GetLE(const QByteArray& in, qint64 at, int width) {
  std::uint64_t value = 0;
  for (int i = 0; i < width; ++i) {
    value |= std::uint64_t(static_cast<unsigned char>(in[at + i])) << (8 * i);
  }
  return value;
}

}  // namespace

std::uint32_t Crc32(const char* data, qint64 length) {
  static const std::array<std::uint32_t, 256> kTable = [] {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      table[n] = c;
    }
    return table;
  }();
  std::uint32_t crc = 0xFFFFFFFFu;
  for (qint64 i = 0; i < length; ++i) {
    crc = kTable[(crc ^ static_cast<unsigned char>(data[i])) & 0xFF] ^ (crc >> 8);
  }
  return crc ^ 0xFFFFFFFFu;
}

QString JournalPath(const QString& data_path) {
  return data_path + QStringLiteral("-journal");
}

qint64 LargestJournalSize(int record_length) {
  return kHeaderSize + qint64(kLargestRecordNumber) * (4 + record_length) + kTrailerSize;
}

QByteArray EncodeJournal(const Journal& journal) {
  QByteArray out;
  out.reserve(kHeaderSize + qint64(journal.entries.size()) * (4 + journal.record_length) +
              kTrailerSize);
  out.append(kMagic, 4);
  PutU32(out, static_cast<std::uint32_t>(journal.record_length));
  PutU64(out, static_cast<std::uint64_t>(journal.original_length));
  PutU32(out, static_cast<std::uint32_t>(journal.entries.size()));
  for (const Journal::Entry& entry : journal.entries) {
    PutU32(out, static_cast<std::uint32_t>(entry.record));
    out.append(entry.bytes);
  }
  PutU32(out, Crc32(out.constData(), out.size()));
  return out;
}

std::optional<Journal> DecodeJournal(const QByteArray& bytes, int record_length) {
  if (record_length <= 0 || bytes.size() < kHeaderSize + kTrailerSize) return std::nullopt;
  if (std::memcmp(bytes.constData(), kMagic, 4) != 0) return std::nullopt;
  if (GetLE(bytes, 4, 4) != std::uint64_t(record_length)) return std::nullopt;
  const std::uint64_t original_length = GetLE(bytes, 8, 8);
  const std::uint64_t count = GetLE(bytes, 16, 4);
  if (count > std::uint64_t(kLargestRecordNumber)) return std::nullopt;
  if (original_length > (std::uint64_t(1) << 62)) return std::nullopt;
  const qint64 body = kHeaderSize + qint64(count) * (4 + record_length);
  if (bytes.size() != body + kTrailerSize) return std::nullopt;
  if (GetLE(bytes, body, 4) != Crc32(bytes.constData(), body)) return std::nullopt;

  Journal journal;
  journal.record_length = record_length;
  journal.original_length = static_cast<qint64>(original_length);
  journal.entries.reserve(count);
  qint64 at = kHeaderSize;
  for (std::uint64_t i = 0; i < count; ++i) {
    const std::uint64_t record = GetLE(bytes, at, 4);
    if (record < 1 || record > std::uint64_t(kLargestRecordNumber)) return std::nullopt;
    journal.entries.push_back({static_cast<int>(record), bytes.mid(at + 4, record_length)});
    at += 4 + record_length;
  }
  return journal;
}

}  // namespace quorvel::store
