#include "store/text_codec.h"

#include <array>
#include <cstdint>
#include <cstring>

#include <QStringDecoder>
#include <QStringEncoder>

namespace quorvel::store {
namespace {

constexpr const char* kCodePage = "windows-1252";

bool IsAscii(const QString& text) {
  for (const QChar c : text) {
    if (c.unicode() >= 0x80) return false;
  }
  return true;
}

bool IsAscii(QByteArrayView bytes) {
  for (const char b : bytes) {
    if (static_cast<unsigned char>(b) >= 0x80) return false;
  }
  return true;
}

// Reads are many, so the decoder is made once: opening a code page
// converter costs far more than converting a record's few bytes. Every byte
// has a character, so decoding never fails and leaves nothing behind.
QStringDecoder& Decoder() {
  static QStringDecoder decoder(kCodePage, QStringConverter::Flag::Stateless);
  return decoder;
}

}  // namespace

std::optional<QByteArray> EncodeText(const QString& text) {
  if (IsAscii(text)) return text.toLatin1();  // the code page's first half is ASCII
  // A fresh encoder each time: its error flag stays set once raised.
  QStringEncoder encoder(kCodePage, QStringConverter::Flag::Stateless);
  if (!encoder.isValid()) return std::nullopt;
  QByteArray bytes = encoder.encode(text);
  // An unmappable character comes out as a substitute byte; a round trip is
  // the one check that catches every such case.
  if (encoder.hasError() || bytes.size() != text.size() || DecodeText(bytes) != text) {
    return std::nullopt;
  }
  return bytes;
}

QString DecodeText(QByteArrayView bytes) {
  if (IsAscii(bytes)) return QString::fromLatin1(bytes);
  QStringDecoder& decoder = Decoder();
  decoder.resetState();
  return decoder.decode(bytes);
}

bool RoundTrips(QByteArrayView bytes) {
  // One byte stands for one character and back, so a text round-trips when
  // each of its bytes does; that is worked out once per byte value.
  static const std::array<bool, 256> kByteRoundTrips = [] {
    std::array<bool, 256> table{};
    for (int b = 0; b < 256; ++b) {
      const char byte = static_cast<char>(b);
      const std::optional<QByteArray> again = EncodeText(DecodeText(QByteArrayView(&byte, 1)));
      table[b] = again && *again == QByteArrayView(&byte, 1);
    }
    return table;
  }();
  // ASCII, the common case, round-trips as a whole: eight bytes at a time.
  const char* at = bytes.data();
  qsizetype left = bytes.size();
  while (left >= 8) {
    std::uint64_t word;
    std::memcpy(&word, at, 8);
    if (word & 0x8080808080808080u) break;
    at += 8;
    left -= 8;
  }
  for (; left > 0; ++at, --left) {
    if (!kByteRoundTrips[static_cast<unsigned char>(*at)]) return false;
  }
  return true;
}

std::optional<QChar> FirstUnstorableCharacter(const QString& text) {
  if (EncodeText(text)) return std::nullopt;
  for (const QChar c : text) {
    if (c.isSurrogate() || !EncodeText(QString(c))) return c;
  }
  return std::nullopt;
}

}  // namespace quorvel::store
