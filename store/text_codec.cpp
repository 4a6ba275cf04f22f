#include "store/text_codec.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace quorvel::store {
namespace {

constexpr const char* kCodePage = "windows-1252";

}  // namespace

std::optional<QByteArray> EncodeText(const QString& text) {
  QStringEncoder encoder(kCodePage, QStringConverter::Flag::Stateless);
  if (!encoder.isValid()) {
    return std::nullopt;
  }
  QByteArray bytes = encoder.encode(text);
  // An unmappable character comes out as a substitute byte; a round trip
  // is the one check that catches every such case.
  if (encoder.hasError() || bytes.size() != text.size() ||
      DecodeText(bytes) != text) {
    return std::nullopt;
  }
  return bytes;
}

QString DecodeText(const QByteArray& bytes) {
  QStringDecoder decoder(kCodePage, QStringConverter::Flag::Stateless);
  return decoder.decode(bytes);
}

std::optional<QChar> FirstUnstorableCharacter(const QString& text) {
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text.at(i);
    if (c.isHighSurrogate() || c.isLowSurrogate() || !EncodeText(QString(c))) {
      return c;
    }
  }
  return std::nullopt;
}

}  // namespace quorvel::store
