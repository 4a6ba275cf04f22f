// The vCard reader: content lines into cards, and the helpers that unescape their values.
#include "interchange/vcard.h"
#include "interchange/texts.h"
#include "interchange/vcard_lines.h"

#include <QStringDecoder>

namespace quorvel::interchange::vcard {
namespace {

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
      return InterchangeTexts::tr(
                 "It is not a complete vCard file: the vCard that begins at line %1 never ends "
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
    } else if (!DecodeCharset(value_bytes, property.Param(QStringLiteral("CHARSET")),
                              &property.value, &why, legacy_)) {
      property.unreadable = why;
      property.value.clear();
    }
    if (head.name == QLatin1String("VERSION")) return Version(property);
    card_->properties.push_back(std::move(property));
    return QString();
  }

  QString BeginOrEnd(const std::vector<Line>& unfolded, std::size_t index, bool begin,
                     const QByteArray& raw) {
    const Line& line = unfolded[index];
    if (raw.trimmed().toUpper() != "VCARD") {
      return LineError(line.number,
                       begin ? InterchangeTexts::tr("begins something other than a vCard")
                             : InterchangeTexts::tr("ends something other than a vCard"));
    }
    if (begin) {
      if (card_)
        return LineError(line.number, InterchangeTexts::tr("begins a vCard inside another"));
      result_.cards.push_back(Card{});
      card_ = &result_.cards.back();
      card_->first_line = line.number;
      legacy_ = IsLegacyCard(unfolded, index);
      return QString();
    }
    if (!card_)
      return LineError(line.number, InterchangeTexts::tr("ends a vCard that never began"));
    if (card_->version.isEmpty()) {
      return InterchangeTexts::tr(
                 "It is not a valid vCard file: the vCard at line %1 has no VERSION.")
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
      return InterchangeTexts::tr(
                 "It is not a vCard file this program reads: line %1 names vCard version %2 "
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
    } else if (next == QLatin1Char('\\') || next == QLatin1Char(',') || next == QLatin1Char(';') ||
               next == QLatin1Char(':')) {
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

}  // namespace quorvel::interchange::vcard
