#include "interchange/vcard.h"
#include "interchange/texts.h"

#include <QStringDecoder>

namespace quorvel::interchange::vcard {
namespace {

struct Line {
  QByteArray text;
  int number = 0;  // of its first physical line, from 1
  qsizetype begin = 0, end = 0;  // its physical lines' bytes, line breaks included
};

bool IsFoldSpace(char c) { return c == ' ' || c == '\t'; }

// Where the name and parameters end: the first colon outside double quotes,
// or -1.
qsizetype ColonOf(const QByteArray& line) {
  bool quoted = false;
  for (qsizetype i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '"') quoted = !quoted;
    if (c == ':' && !quoted) return i;
  }
  return -1;
}

bool MentionsQuotedPrintable(const QByteArray& head) {
  return head.toUpper().contains("QUOTED-PRINTABLE");
}

bool MentionsBase64(const QByteArray& head) {
  const QByteArray upper = head.toUpper();
  return upper.contains("BASE64") || upper.contains("ENCODING=B");
}

// Physical lines joined into content lines: a line starting with a space or
// tab continues the previous one (the space is dropped); a quoted-printable
// value ending in "=" continues on the next line; the unindented data lines
// vCard 2.1 writes after a BASE64 property belong to it.
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

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Quoted-printable bytes decoded; false when an "=" is not followed by two
// hex digits.
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

// `bytes` in the character set `charset` (UTF-8 when empty); false when the
// set is unknown or the bytes are not valid in it.
bool DecodeCharset(const QByteArray& bytes, const QString& charset, QString* out,
                   QString* why, bool legacy = false) {
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



// The parameters of a property head (after the name), split at semicolons
// outside quotes.
std::vector<std::pair<QString, QStringList>> ParseParams(const QString& text) {
  std::vector<std::pair<QString, QStringList>> params;
  QStringList pieces;
  QString current;
  bool quoted = false;
  for (const QChar c : text) {
    if (c == QLatin1Char('"')) quoted = !quoted;
    if (c == QLatin1Char(';') && !quoted) {
      pieces.append(current);
      current.clear();
    } else {
      current.append(c);
    }
  }
  pieces.append(current);
  for (const QString& piece : pieces) {
    if (piece.isEmpty()) continue;
    const qsizetype eq = piece.indexOf(QLatin1Char('='));
    if (eq < 0) {  // vCard 2.1: a bare type, or a bare encoding
      const QString bare = piece.trimmed().toUpper();
      if (bare == QLatin1String("QUOTED-PRINTABLE") || bare == QLatin1String("BASE64") ||
          bare == QLatin1String("8BIT") || bare == QLatin1String("7BIT")) {
        params.push_back({QStringLiteral("ENCODING"), {bare}});
      } else {
        params.push_back({QStringLiteral("TYPE"), {bare}});
      }
      continue;
    }
    const QString name = piece.left(eq).trimmed().toUpper();
    QStringList values;
    QString value;
    bool in_quotes = false;
    for (const QChar c : piece.mid(eq + 1)) {
      if (c == QLatin1Char('"')) {
        in_quotes = !in_quotes;
      } else if (c == QLatin1Char(',') && !in_quotes) {
        values.append(value);
        value.clear();
      } else {
        value.append(c);
      }
    }
    values.append(value);
    params.push_back({name, values});
  }
  return params;
}

// Whether the card that begins at `unfolded[begin]` says VERSION:2.1
// before it ends.
bool IsLegacyCard(const std::vector<Line>& unfolded, std::size_t begin) {
  for (std::size_t i = begin + 1; i < unfolded.size(); ++i) {
    const QByteArray upper = unfolded[i].text.trimmed().toUpper();
    if (upper.startsWith("END:VCARD") || upper.startsWith("BEGIN:VCARD")) return false;
    if (upper.startsWith("VERSION:")) return upper.mid(8).trimmed() == "2.1";
  }
  return false;
}

QString LineError(int number, const QString& what) {
  return InterchangeTexts::tr("It is not a valid vCard file: line %1 %2.").arg(number).arg(what);
}

}  // namespace

QStringList Property::Types() const {
  QStringList types;
  for (const auto& [name, values] : params) {
    if (name != QLatin1String("TYPE")) continue;
    for (const QString& v : values) {
      for (const QString& part : v.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        types.append(part.trimmed().toUpper());
      }
    }
  }
  return types;
}

bool Property::HasType(const QString& type) const { return Types().contains(type.toUpper()); }

QString Property::Param(const QString& name) const {
  for (const auto& [n, values] : params) {
    if (n == name && !values.isEmpty()) return values.first();
  }
  return QString();
}

bool Property::IsBinary() const {
  const QString encoding = Param(QStringLiteral("ENCODING")).toUpper();
  return encoding == QLatin1String("B") || encoding == QLatin1String("BASE64");
}

QString Property::Text() const { return Unescape(value); }

std::vector<const Property*> Card::All(const QString& name) const {
  std::vector<const Property*> found;
  for (const Property& p : properties) {
    if (p.name == name) found.push_back(&p);
  }
  return found;
}

const Property* Card::First(const QString& name) const {
  for (const Property& p : properties) {
    if (p.name == name) return &p;
  }
  return nullptr;
}

QString UnreadableError(const Property& property) {
  return LineError(property.line_number, property.unreadable);
}

namespace {

// The file's bytes as UTF-8 text without a byte order mark, or why not.
QString Decoded(const QByteArray& input, QByteArray* bytes) {
  *bytes = input;
  if (bytes->startsWith("\xEF\xBB\xBF")) {
    bytes->remove(0, 3);
  } else if (bytes->startsWith("\xFF\xFE") || bytes->startsWith("\xFE\xFF")) {
    // A UTF-16 file (some Windows programs write them): read as UTF-8.
    QStringDecoder utf16(QStringDecoder::Utf16, QStringConverter::Flag::ConvertInitialBom);
    const QString text = utf16.decode(*bytes);
    if (utf16.hasError()) {
      return InterchangeTexts::tr("It is not a valid vCard file: its UTF-16 text is damaged.");
    }
    *bytes = text.toUtf8();
  }
  if (bytes->contains('\0')) {
    return InterchangeTexts::tr("It is not a vCard file: it holds binary data.");
  }
  return QString();
}

// One content line's name (upper case), group and parameter text.
struct Head {
  QString name;
  QString group;
  QString params;  // after the first semicolon; null when there is none
};

QString ReadHead(const Line& line, qsizetype colon, bool legacy, Head* head) {
  QString text;
  QString why;
  if (!DecodeCharset(line.text.left(colon), QString(), &text, &why, legacy)) {
    return LineError(line.number, why);
  }
  const qsizetype semicolon = text.indexOf(QLatin1Char(';'));
  QString name = (semicolon < 0 ? text : text.left(semicolon)).trimmed();
  const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
  if (dot >= 0) {
    head->group = name.left(dot);
    name = name.mid(dot + 1);
  }
  head->name = name.toUpper();
  if (semicolon >= 0) head->params = text.mid(semicolon + 1);
  if (head->name.isEmpty()) {
    return LineError(line.number, InterchangeTexts::tr("has no property name"));
  }
  return QString();
}

// Reads the cards line by line; each step returns why the file is refused,
// or a null string.
class CardReader {
 public:
  explicit CardReader(ReadResult& result) : result_(result) {}

  QString ReadAll(const std::vector<Line>& unfolded) {
    for (std::size_t index = 0; index < unfolded.size(); ++index) {
      if (QString error = ReadLine(unfolded, index); !error.isNull()) return error;
    }
    if (card_) {
      return InterchangeTexts::tr("It is not a complete vCard file: the vCard that begins at line %1 never ends "
          "(the file may have been cut short).")
          .arg(card_->first_line);
    }
    return QString();
  }

 private:
  QString ReadLine(const std::vector<Line>& unfolded, std::size_t index) {
    const Line& line = unfolded[index];
    const qsizetype colon = ColonOf(line.text);
    if (colon < 0) return LineError(line.number, InterchangeTexts::tr("has no colon"));
    Head head;
    if (QString error = ReadHead(line, colon, legacy_, &head); !error.isNull()) return error;
    const QByteArray raw = line.text.mid(colon + 1);
    if (head.name == QLatin1String("BEGIN") || head.name == QLatin1String("END")) {
      return BeginOrEnd(unfolded, index, head.name == QLatin1String("BEGIN"), raw);
    }
    if (!card_) return LineError(line.number, InterchangeTexts::tr("stands outside any vCard"));

    Property property;
    property.line = int(index);
    property.line_number = line.number;
    property.group = head.group;
    property.name = head.name;
    if (!head.params.isNull()) property.params = ParseParams(head.params);
    QByteArray value_bytes = raw;
    QString why;
    if (property.Param(QStringLiteral("ENCODING")).toUpper() == QLatin1String("QUOTED-PRINTABLE") &&
        !DecodeQuotedPrintable(raw, &value_bytes)) {
      property.unreadable = InterchangeTexts::tr("holds broken quoted-printable text");
    } else if (!DecodeCharset(value_bytes, property.Param(QStringLiteral("CHARSET")), &property.value,
                              &why, legacy_)) {
      property.unreadable = why;
      property.value.clear();
    }
    if (head.name == QLatin1String("VERSION")) return Version(property);
    card_->properties.push_back(std::move(property));
    return QString();
  }

  QString BeginOrEnd(const std::vector<Line>& unfolded, std::size_t index, bool begin, const QByteArray& raw) {
    const Line& line = unfolded[index];
    if (raw.trimmed().toUpper() != "VCARD") {
      return LineError(line.number, begin ? InterchangeTexts::tr("begins something other than a vCard")
                                          : InterchangeTexts::tr("ends something other than a vCard"));
    }
    if (begin) {
      if (card_) return LineError(line.number, InterchangeTexts::tr("begins a vCard inside another"));
      result_.cards.push_back(Card{});
      card_ = &result_.cards.back();
      card_->first_line = line.number;
      legacy_ = IsLegacyCard(unfolded, index);
      return QString();
    }
    if (!card_) return LineError(line.number, InterchangeTexts::tr("ends a vCard that never began"));
    if (card_->version.isEmpty()) {
      return InterchangeTexts::tr("It is not a valid vCard file: the vCard at line %1 has no VERSION.")
          .arg(card_->first_line);
    }
    card_ = nullptr;
    return QString();
  }

  QString Version(const Property& property) {
    if (!property.unreadable.isNull()) return UnreadableError(property);
    const QString version = property.value.trimmed();
    if (version != QLatin1String("2.1") && version != QLatin1String("3.0") &&
        version != QLatin1String("4.0")) {
      return InterchangeTexts::tr("It is not a vCard file this program reads: line %1 names vCard version %2 "
          "(2.1, 3.0 and 4.0 are read).")
          .arg(property.line_number)
          .arg(version.left(20));
    }
    card_->version = version;
    return QString();
  }

  ReadResult& result_;
  Card* card_ = nullptr;
  bool legacy_ = false;  // the card is vCard 2.1
};

}  // namespace

ReadResult Read(const QByteArray& input) {
  ReadResult result;
  QByteArray bytes;
  result.error = Decoded(input, &bytes);
  if (!result.error.isNull()) return result;
  result.error = CardReader(result).ReadAll(Unfold(bytes));
  return result;
}

std::vector<ContentLine> ContentLines(const QByteArray& bytes) {
  std::vector<ContentLine> out;
  for (const Line& line : Unfold(bytes)) out.push_back(ContentLine{line.text, line.begin, line.end});
  return out;
}

QString Unescape(const QString& raw) {
  QString out;
  out.reserve(raw.size());
  for (qsizetype i = 0; i < raw.size(); ++i) {
    const QChar c = raw[i];
    if (c != QLatin1Char('\\') || i + 1 == raw.size()) {
      out.append(c);
      continue;
    }
    const QChar next = raw[i + 1];
    if (next == QLatin1Char('n') || next == QLatin1Char('N')) {
      out.append(QLatin1Char('\n'));
      ++i;
    } else if (next == QLatin1Char('\\') || next == QLatin1Char(',') ||
               next == QLatin1Char(';') || next == QLatin1Char(':')) {
      out.append(next);
      ++i;
    } else {
      out.append(c);
    }
  }
  return out;
}

QStringList Components(const QString& raw, QChar separator) {
  QStringList parts;
  QString current;
  for (qsizetype i = 0; i < raw.size(); ++i) {
    const QChar c = raw[i];
    if (c == QLatin1Char('\\') && i + 1 < raw.size()) {
      current.append(c);
      current.append(raw[++i]);
    } else if (c == separator) {
      parts.append(Unescape(current));
      current.clear();
    } else {
      current.append(c);
    }
  }
  parts.append(Unescape(current));
  return parts;
}

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

void Writer::Begin() {
  bytes_ += "BEGIN:VCARD\r\nVERSION:3.0\r\n";
}

void Writer::Add(const QString& name, const QString& params, const QString& value) {
  QString line = name;
  if (!params.isEmpty()) line += QLatin1Char(';') + params;
  line += QLatin1Char(':') + value;
  bytes_ += FoldLine(line);
}

void Writer::End() { bytes_ += "END:VCARD\r\n"; }

}  // namespace quorvel::interchange::vcard
