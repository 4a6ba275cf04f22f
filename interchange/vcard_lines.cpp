// vCard content lines: physical lines unfolded, values decoded from their encoding and charset.
#include "interchange/vcard_lines.h"
#include "interchange/texts.h"
#include "interchange/vcard.h"

#include <QStringDecoder>

namespace quorvel::interchange::vcard {
namespace {

bool IsFoldSpace(char c) { return c == ' ' || c == '\t'; }

bool MentionsQuotedPrintable(const QByteArray& head) {
  return head.toUpper().contains("QUOTED-PRINTABLE");
}

bool MentionsBase64(const QByteArray& head) {
  const QByteArray upper = head.toUpper();
  return upper.contains("BASE64") || upper.contains("ENCODING=B");
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

qsizetype ColonOf(const QByteArray& line) {
  bool quoted = false;
  for (qsizetype i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '"') quoted = !quoted;
    if (c == ':' && !quoted) return i;
  }
  return -1;
}

std::vector<Line> Unfold(const QByteArray& bytes) {
  std::vector<Line> lines;
  bool qp_open = false;      // the last line is quoted-printable and ends in "="
  bool base64_open = false;  // the last line is a base64 value
  int number = 0;
  qsizetype pos = 0;
  while (pos < bytes.size()) {
    const qsizetype begin = pos;
    qsizetype end = pos;
    while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
    QByteArray physical = bytes.mid(pos, end - pos);
    pos = end;
    if (pos < bytes.size() && bytes[pos] == '\r') ++pos;
    if (pos < bytes.size() && bytes[pos] == '\n') ++pos;
    ++number;

    if (qp_open && !lines.empty()) {
      lines.back().text.chop(1);  // the soft line break's "="
      lines.back().text += physical;
      lines.back().end = pos;
    } else if (!physical.isEmpty() && IsFoldSpace(physical[0]) && !lines.empty()) {
      lines.back().text += physical.mid(1);
      lines.back().end = pos;
    } else if (physical.trimmed().isEmpty()) {
      base64_open = false;
      continue;
    } else if (base64_open && ColonOf(physical) < 0) {
      lines.back().text += physical.trimmed();
      lines.back().end = pos;
    } else {
      lines.push_back(Line{physical, number, begin, pos});
    }
    const QByteArray& text = lines.back().text;
    const qsizetype colon = ColonOf(text);
    const QByteArray head = colon < 0 ? text : text.left(colon);
    qp_open = colon >= 0 && text.endsWith('=') && MentionsQuotedPrintable(head);
    base64_open = colon >= 0 && MentionsBase64(head);
  }
  return lines;
}

bool DecodeQuotedPrintable(const QByteArray& in, QByteArray* out) {
  out->clear();
  out->reserve(in.size());
  for (qsizetype i = 0; i < in.size(); ++i) {
    if (in[i] != '=') {
      out->append(in[i]);
      continue;
    }
    if (i + 2 >= in.size()) return false;
    const int hi = HexDigit(in[i + 1]);
    const int lo = HexDigit(in[i + 2]);
    if (hi < 0 || lo < 0) return false;
    out->append(static_cast<char>(hi * 16 + lo));
    i += 2;
  }
  return true;
}

bool DecodeCharset(const QByteArray& bytes, const QString& charset, QString* out, QString* why,
                   bool legacy) {
  const QString name = charset.isEmpty() ? QStringLiteral("UTF-8") : charset;
  QStringDecoder decoder(name.toLatin1().constData(), QStringConverter::Flag::Stateless);
  if (!decoder.isValid()) {
    *why = InterchangeTexts::tr("names a character set this program does not know (%1)").arg(name);
    return false;
  }
  *out = decoder.decode(bytes);
  if (decoder.hasError() && legacy && charset.isEmpty()) {
    // vCard 2.1 without a CHARSET: 8-bit text as the Windows programs
    // that wrote it meant it.
    QStringDecoder windows("windows-1252", QStringConverter::Flag::Stateless);
    *out = windows.decode(bytes);
    if (!windows.hasError()) return true;
  }
  if (decoder.hasError()) {
    *why = InterchangeTexts::tr("holds bytes that are not valid %1 text").arg(name);
    return false;
  }
  return true;
}

std::vector<ContentLine> ContentLines(const QByteArray& bytes) {
  std::vector<ContentLine> out;
  for (const Line& line : Unfold(bytes))
    out.push_back(ContentLine{line.text, line.begin, line.end});
  return out;
}

}  // namespace quorvel::interchange::vcard
