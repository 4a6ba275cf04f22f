// A small, strict reader and writer of vCard files (RFC 2426, RFC 6350 and
// the older vCard 2.1 form that phones still write).
//
// Reading undoes line folding, quoted-printable encoding (with its soft line
// breaks) and the CHARSET parameter, so every property value comes out as
// Unicode text with only the vCard backslash escapes still in place; the
// helpers below split and unescape them. Anything that is not a well-formed
// vCard (a line outside BEGIN/END, a property without a colon, a missing END,
// an unknown version) makes the whole read fail with a sentence for the
// user; a value whose bytes are not valid in its character set is marked
// unreadable (see Property::unreadable). A vCard 2.1 value without a
// CHARSET is UTF-8 where its bytes are valid UTF-8, and Windows-1252
// otherwise (what the programs writing 2.1 on Windows used).
//
// Writing produces vCard 3.0: UTF-8, CRLF line ends, lines folded at 75
// octets without splitting a character.
#pragma once

#include <utility>
#include <vector>

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace quorvel::interchange::vcard {

struct Property {
  QString group;  // "item1" in "item1.TEL"; empty when there is none
  QString name;   // upper case: "TEL", "X-ABLABEL"
  // Parameter names in upper case with their values as written (a quoted
  // value without its quotes). vCard 2.1's bare parameters ("TEL;HOME;FAX:")
  // are read as TYPE values.
  std::vector<std::pair<QString, QStringList>> params;
  // The value, decoded from its transfer encoding and character set; the
  // backslash escapes are still in place (see Unescape and Components).
  QString value;
  // Which content line of the file it is (see ContentLines), from 0.
  int line = -1;
  // Where it stands in the file: its first physical line, from 1.
  int line_number = 0;
  // Why the value could not be decoded (its value is then empty): a
  // clause such as "holds bytes that are not valid UTF-8 text". Readers
  // refuse the file over it only where they use the property.
  QString unreadable;

  // Every TYPE value, upper case, comma lists split.
  QStringList Types() const;
  bool HasType(const QString& type) const;
  // The first value of parameter `name`, or a null string.
  QString Param(const QString& name) const;
  // Whether the value is binary (ENCODING=b or BASE64), e.g. a photo.
  bool IsBinary() const;
  // The value unescaped as one text.
  QString Text() const;
};

struct Card {
  QString version;     // "2.1", "3.0" or "4.0"
  int first_line = 0;  // where BEGIN:VCARD stands, from 1
  std::vector<Property> properties;

  // The properties named `name` (upper case), in file order.
  std::vector<const Property*> All(const QString& name) const;
  const Property* First(const QString& name) const;
};

struct ReadResult {
  std::vector<Card> cards;
  QString error;  // null when the file was read; a sentence otherwise
  bool ok() const { return error.isNull(); }
};

// Reads every card of a vCard file.
ReadResult Read(const QByteArray& bytes);

// The error for a file whose `property` is unreadable but needed.
QString UnreadableError(const Property& property);

// The content lines of a vCard file as they stand in its bytes (after a
// UTF-8 byte order mark, which Read skips): each one unfolded, and the
// stretch of bytes its physical lines take, line breaks included. What Read
// calls Property::line indexes this list.
struct ContentLine {
  QByteArray text;
  qsizetype begin = 0;
  qsizetype end = 0;
};
std::vector<ContentLine> ContentLines(const QByteArray& bytes);

// `raw` with its backslash escapes undone: \\ \, \; \: and \n or \N (a line
// break, returned as "\n"). A backslash before anything else stays.
QString Unescape(const QString& raw);
// `raw` split at each `separator` not preceded by a backslash, each part
// unescaped ("Doe;John;;;" with ';' gives five parts).
QStringList Components(const QString& raw, QChar separator);

// A text value escaped for writing: backslash, comma, semicolon and line
// breaks (CR LF, CR or LF become \n).
QString Escape(const QString& text);

// Builds a vCard 3.0 file card by card.
class Writer {
 public:
  void Begin();  // BEGIN:VCARD, VERSION:3.0
  // One property line; `params` like "TYPE=HOME,VOICE" (empty for none) and
  // `value` already escaped.
  void Add(const QString& name, const QString& params, const QString& value);
  void End();
  const QByteArray& bytes() const { return bytes_; }

 private:
  QByteArray bytes_;
};

// One content line in UTF-8, folded at 75 octets (a character's bytes are
// never split), each physical line ended by CR LF.
QByteArray FoldLine(const QString& line);

}  // namespace quorvel::interchange::vcard
