// Text in the data files is Windows-1252, one byte per character.
#pragma once

#include <optional>

#include <QByteArray>
#include <QString>

namespace quorvel::store {

// The bytes of `text` in Windows-1252, or nothing when a character of it has
// no place in that code page. Never substitutes a replacement character.
std::optional<QByteArray> EncodeText(const QString& text);

// The characters of Windows-1252 `bytes`.
QString DecodeText(QByteArrayView bytes);

// Whether decoding `bytes` and encoding the characters again gives the same
// bytes back, as it does for every byte with a character in the code page.
// Answered from the bytes alone, without decoding them.
bool RoundTrips(QByteArrayView bytes);

// The first character of `text` that Windows-1252 cannot hold, if any.
std::optional<QChar> FirstUnstorableCharacter(const QString& text);

}  // namespace quorvel::store
