// Trimming as every window and reader of the data files does it.
#pragma once

#include <QString>

namespace quorvel::store {

// `text` without leading and trailing spaces; tabs and line breaks stay.
inline QString TrimSpaces(const QString& text) {
  qsizetype begin = 0;
  qsizetype end = text.size();
  while (begin < end && text.at(begin) == QLatin1Char(' ')) ++begin;
  while (end > begin && text.at(end - 1) == QLatin1Char(' ')) --end;
  return text.mid(begin, end - begin);
}

}  // namespace quorvel::store
