#include "search/fold.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "store/text_codec.h"

namespace quorvel::search {
namespace {

// Letters and signs whose plain form Unicode's decompositions do not give.
QString SpecialFold(char16_t c) {
  switch (c) {
    case u'\u00df':
    case u'\u1e9e':
      return QStringLiteral("ss");
    case u'\u00e6':
    case u'\u00c6':
      return QStringLiteral("ae");
    case u'\u0153':
    case u'\u0152':
      return QStringLiteral("oe");
    case u'\u00fe':
    case u'\u00de':
      return QStringLiteral("th");
    case u'\u00f0':
    case u'\u00d0':
    case u'\u0111':
    case u'\u0110':
      return QStringLiteral("d");
    case u'\u00f8':
    case u'\u00d8':
      return QStringLiteral("o");
    case u'\u0142':
    case u'\u0141':
      return QStringLiteral("l");
    case u'\u0131':
      return QStringLiteral("i");
    case u'\u2018':
    case u'\u2019':
    case u'\u201a':
    case u'\u201b':
    case u'\u2032':
      return QStringLiteral("'");
    case u'\u201c':
    case u'\u201d':
    case u'\u201e':
    case u'\u2033':
      return QStringLiteral("\"");
    case u'\u2010':
    case u'\u2011':
    case u'\u2012':
    case u'\u2013':
    case u'\u2014':
    case u'\u2212':
      return QStringLiteral("-");
    case u'\u2026':
      return QStringLiteral("...");
    default:
      return QString();
  }
}

// A character's folded form in characters, before it is put into bytes.
QString FoldCharacter(QChar c) {
  if (c.isSpace() || c.category() == QChar::Other_Control) return QStringLiteral(" ");
  const QString special = SpecialFold(c.unicode());
  if (!special.isEmpty()) return special;
  const QString decomposed = QString(c).normalized(QString::NormalizationForm_KD);
  QString plain;
  for (const QChar part : decomposed) {
    const QChar::Category category = part.category();
    if (category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining ||
        category == QChar::Mark_Enclosing) {
      continue;
    }
    plain += part;
  }
  if (plain.isEmpty()) plain = QString(c);
  return plain.toCaseFolded();
}

std::array<FoldedByte, 256> MakeTable() {
  std::array<FoldedByte, 256> table{};
  for (int b = 0; b < 256; ++b) {
    const char byte = static_cast<char>(b);
    const QString character = store::DecodeText(QByteArrayView(&byte, 1));
    std::optional<QByteArray> folded = store::EncodeText(FoldCharacter(character.at(0)));
    // What has no plain form in the code page stays as it is, its case
    // folded where the folded letter is there too.
    if (!folded || folded->isEmpty() || folded->size() > 3) {
      folded = store::EncodeText(character.toCaseFolded());
      if (!folded || folded->size() != 1) folded = QByteArray(1, byte);
    }
    FoldedByte& entry = table[b];
    entry.size = static_cast<unsigned char>(folded->size());
    for (qsizetype i = 0; i < folded->size(); ++i) entry.bytes[i] = folded->at(i);
  }
  return table;
}

const std::array<FoldedByte, 256>& Table() {
  static const std::array<FoldedByte, 256> table = MakeTable();
  return table;
}

// The one byte each byte folds to, 0 for those that fold to more than one:
// the common case in one load.
std::array<char, 256> MakeSingles() {
  std::array<char, 256> singles{};
  for (int b = 0; b < 256; ++b) {
    const FoldedByte& f = Table()[std::size_t(b)];
    singles[std::size_t(b)] = f.size == 1 ? f.bytes[0] : '\0';
  }
  return singles;
}

const std::array<char, 256>& Singles() {
  static const std::array<char, 256> singles = MakeSingles();
  return singles;
}

// Eight bytes in one word, for AppendFolded's fast path (little-endian:
// the first byte is the lowest).
constexpr std::uint64_t kOnes = 0x0101010101010101, kHighs = 0x8080808080808080;
// The high bit of each byte of `t` that is 0.
constexpr std::uint64_t ZeroBytes(std::uint64_t t) {
  constexpr std::uint64_t kLows = 0x7f7f7f7f7f7f7f7f;
  return ~(((t & kLows) + kLows) | t | kLows);
}

// Whether printable ASCII folds to itself, capitals made small (it does,
// unless the table changed), on a machine that keeps the first byte of a
// word lowest.
bool AsciiFoldsPlainly() {
  if constexpr (std::endian::native != std::endian::little) return false;
  for (int b = 0x20; b < 0x7f; ++b) {
    const char plain = static_cast<char>(b >= 'A' && b <= 'Z' ? b + 0x20 : b);
    if (Singles()[std::size_t(b)] != plain) return false;
  }
  return true;
}

}  // namespace

const FoldedByte& FoldOf(unsigned char byte) { return Table()[byte]; }

void AppendFolded(QByteArrayView bytes, std::string& out) {
  if (bytes.isEmpty()) return;
  const std::array<FoldedByte, 256>& table = Table();
  const std::array<char, 256>& singles = Singles();
  static const bool ascii_plain = AsciiFoldsPlainly();
  const std::size_t before = out.size();
  bool space = before > 0 && out.back() == ' ';
  // Room for the most a byte folds to; cut to what was written.
  out.resize(before + std::size_t(bytes.size()) * 3);
  char* const start = out.data();
  char* write = start + before;
  const char* read = bytes.data();
  const char* const end = read + bytes.size();
  while (read < end) {
    // What is folded byte by byte: the eight that could not go at once, or
    // the last few.
    const char* slow_end = end;
    if (ascii_plain && end - read >= 8) {
      // Eight bytes at once when each is printable ASCII and no space
      // follows a space: then folding is making capitals small.
      std::uint64_t x;
      std::memcpy(&x, read, 8);
      const std::uint64_t spaces = ZeroBytes(x ^ (kOnes * ' '));
      if ((x & kHighs) == 0 && ((x + kOnes * (0x80 - 0x20)) & kHighs) == kHighs &&
          ((x + kOnes) & kHighs) == 0 && (spaces & (spaces << 8)) == 0 &&
          !(space && (spaces & 0x80) != 0)) {
        const std::uint64_t capitals =
            (x + kOnes * (0x80 - 'A')) & ~(x + kOnes * (0x80 - 'Z' - 1)) & kHighs;
        x |= capitals >> 2;
        std::memcpy(write, &x, 8);
        write += 8;
        read += 8;
        space = (spaces >> 63) != 0;
        continue;
      }
      slow_end = read + 8;
    }
    for (; read < slow_end; ++read) {
      const unsigned char u = static_cast<unsigned char>(*read);
      const char single = singles[u];
      if (single != '\0') {
        // A space after a space is written over by what comes next.
        const bool is_space = single == ' ';
        *write = single;
        write += !(is_space && space);
        space = is_space;
      } else {
        const FoldedByte& f = table[u];
        std::memcpy(write, f.bytes, 3);
        write += f.size;
        space = false;
      }
    }
  }
  out.resize(std::size_t(write - start));
}

namespace {

// Appends `c` folded: as its code page byte, or when the code page has
// none, as its plain form ("ō" is "o"); false when it has neither.
bool AppendFoldedCharacter(QChar c, std::string& out) {
  const std::optional<QByteArray> byte = store::EncodeText(QString(c));
  if (byte && byte->size() == 1) {
    AppendFolded(*byte, out);
    return true;
  }
  const std::optional<QByteArray> plain = store::EncodeText(FoldCharacter(c));
  if (!plain || plain->isEmpty()) return false;
  AppendFolded(*plain, out);
  return true;
}

}  // namespace

void AppendFoldedText(const QString& text, std::string& out) {
  if (const std::optional<QByteArray> bytes = store::EncodeText(text)) {
    AppendFolded(*bytes, out);
    return;
  }
  for (const QChar c : text) {
    if (!AppendFoldedCharacter(c, out)) out.push_back('\0');
  }
}

QByteArray HeldBytes(const QString& text) {
  if (const std::optional<QByteArray> bytes = store::EncodeText(text)) return *bytes;
  QByteArray held;
  held.reserve(text.size());
  for (const QChar c : text) {
    std::optional<QByteArray> byte = store::EncodeText(QString(c));
    if (!byte || byte->size() != 1) byte = store::EncodeText(FoldCharacter(c));
    held.append(byte && byte->size() == 1 ? byte->at(0) : '\x01');
  }
  return held;
}

FoldedText FoldWithOrigins(QByteArrayView bytes) {
  FoldedText folded;
  folded.text.reserve(std::size_t(bytes.size()));
  folded.from.reserve(std::size_t(bytes.size()));
  for (qsizetype i = 0; i < bytes.size(); ++i) {
    const std::size_t before = folded.text.size();
    AppendFolded(bytes.sliced(i, 1), folded.text);
    for (std::size_t k = before; k < folded.text.size(); ++k) folded.from.push_back(int(i));
  }
  return folded;
}

std::optional<std::string> FoldTyped(const QString& text) {
  std::string out;
  for (const QChar c : text) {
    if (!AppendFoldedCharacter(c, out)) return std::nullopt;
  }
  const std::size_t first = out.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  const std::size_t last = out.find_last_not_of(' ');
  return out.substr(first, last - first + 1);
}

}  // namespace quorvel::search
