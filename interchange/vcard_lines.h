// vCard content lines and value decoding, for the reader (vcard.cpp) and ContentLines.
#pragma once

#include <vector>

#include <QByteArray>
#include <QString>

namespace quorvel::interchange::vcard {

struct Line {
  QByteArray text;
  int number = 0;                // of its first physical line, from 1
  qsizetype begin = 0, end = 0;  // its physical lines' bytes, line breaks included
};

// Where the name and parameters end: the first colon outside double quotes,
// or -1.
qsizetype ColonOf(const QByteArray& line);

// Physical lines joined into content lines: a line starting with a space or
// tab continues the previous one (the space is dropped); a quoted-printable
// value ending in "=" continues on the next line; the unindented data lines
// vCard 2.1 writes after a BASE64 property belong to it.
std::vector<Line> Unfold(const QByteArray& bytes);

// Quoted-printable bytes decoded; false when an "=" is not followed by two
// hex digits.
bool DecodeQuotedPrintable(const QByteArray& in, QByteArray* out);

// `bytes` in the character set `charset` (UTF-8 when empty); false when the
// set is unknown or the bytes are not valid in it.
bool DecodeCharset(const QByteArray& bytes, const QString& charset, QString* out, QString* why,
                   bool legacy = false);

}  // namespace quorvel::interchange::vcard
