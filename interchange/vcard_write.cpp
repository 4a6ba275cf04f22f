// vCard 3.0 written: values escaped, lines folded, cards built by Writer.
#include "interchange/vcard.h"

namespace quorvel::interchange::vcard {

QString Escape(const QString& text) {
  QString out;
  out.reserve(text.size() + 8);
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c == QLatin1Char('\\') || c == QLatin1Char(',') || c == QLatin1Char(';')) {
      out.append(QLatin1Char('\\'));
      out.append(c);
    } else if (c == QLatin1Char('\r')) {
      out.append(QLatin1String("\\n"));
      if (i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) ++i;
    } else if (c == QLatin1Char('\n')) {
      out.append(QLatin1String("\\n"));
    } else {
      out.append(c);
    }
  }
  return out;
}

QByteArray FoldLine(const QString& line) {
  const QByteArray utf8 = line.toUtf8();
  QByteArray out;
  out.reserve(utf8.size() + utf8.size() / 70 * 3 + 2);
  qsizetype pos = 0;
  int limit = 75;  // octets on the first line; later ones start with a space
  while (utf8.size() - pos > limit) {
    qsizetype cut = pos + limit;
    // Never inside a character: continuation bytes are 10xxxxxx.
    while (cut > pos && (static_cast<unsigned char>(utf8[cut]) & 0xC0) == 0x80) --cut;
    out += utf8.mid(pos, cut - pos);
    out += "\r\n ";
    pos = cut;
    limit = 74;
  }
  out += utf8.mid(pos);
  out += "\r\n";
  return out;
}

void Writer::Begin() { bytes_ += "BEGIN:VCARD\r\nVERSION:3.0\r\n"; }

void Writer::Add(const QString& name, const QString& params, const QString& value) {
  QString line = name;
  if (!params.isEmpty()) line += QLatin1Char(';') + params;
  line += QLatin1Char(':') + value;
  bytes_ += FoldLine(line);
}

void Writer::End() { bytes_ += "END:VCARD\r\n"; }

}  // namespace quorvel::interchange::vcard
