// Folding for matching as a person expects: case and accents do not count.
//
// The data files hold Windows-1252 text, one byte per character, so the
// stored side folds byte by byte through one table; what is typed is folded
// into the same bytes. Letters lose their accents and case ("José" and
// "JOSE" both become "jose"); letters that stand for two ("ß", "æ", "œ",
// "þ") become their two ("ss", "ae", "oe", "th"); curly quotes and dashes
// become their plain forms; every run of spaces, tabs and line breaks
// becomes one space.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <QByteArrayView>
#include <QString>

namespace quorvel::search {

// What one stored byte folds to: at most three bytes.
struct FoldedByte {
  unsigned char size = 0;
  char bytes[3] = {};
};
// The table for every byte value.
const FoldedByte& FoldOf(unsigned char byte);

// Appends the folded form of stored text `bytes` to `out`. A run of spaces
// becomes one space, also across calls (`out` ending in a space).
void AppendFolded(QByteArrayView bytes, std::string& out);

// Appends the folded form of `text`, which need not be stored text (an
// event's words): a character the files can hold folds as it would there;
// one they cannot by its plain form where the files hold that, else as a
// 0 byte, which no typed word holds or matches across.
void AppendFoldedText(const QString& text, std::string& out);

// `text` as the files would hold it, one byte for each character: one they
// cannot hold (and have no plain letter for) as a control character, which
// folds to a space.
QByteArray HeldBytes(const QString& text);

// The folded form of `bytes` and, for each folded byte, the index of the
// stored byte (the character) it came from.
struct FoldedText {
  std::string text;
  std::vector<int> from;
};
FoldedText FoldWithOrigins(QByteArrayView bytes);

// The folded form of a typed text, or nothing when it holds a character no
// stored text can hold even after folding (which therefore matches
// nothing). Leading and trailing spaces are dropped.
std::optional<std::string> FoldTyped(const QString& text);

}  // namespace quorvel::search
