// Finding appointments, notes and address entries by what they say.
//
// A query is the words typed; an item matches when every word occurs in
// one of its texts, case and accents aside (see search/fold.h). Words in
// double quotes are one word, spaces included. The files are read afresh
// for every search, so what is found is what the files hold: there is no
// index to fall behind them.
//
// A search can run at once (Search) or in steps of bounded time (Scan),
// so that a window stays responsive however slow the disk is. What a
// result shows (its excerpt with the matching text marked) is worked out
// only for the results that are shown (Describe).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <QDate>
#include <QElapsedTimer>
#include <QList>
#include <QString>
#include <QStringList>

#include "store/data_files.h"

namespace quorvel::search {

// What was typed, as the words every match must hold.
class Query {
 public:
  Query() = default;
  explicit Query(const QString& typed);

  // Nothing to look for: no word was typed.
  bool empty() const { return words_.empty() && !impossible_; }
  // A word holds a character no stored text can hold: nothing matches.
  bool impossible() const { return impossible_; }
  const std::vector<std::string>& words() const { return words_; }
  const QString& typed() const { return typed_; }

  // Whether every word occurs in `folded` (folded stored text).
  bool Matches(std::string_view folded) const;

 private:
  QString typed_;
  std::vector<std::string> words_;
  bool impossible_ = false;
};

// A marked stretch of a shown text, in characters.
struct Mark {
  int start = 0;
  int length = 0;
  friend bool operator==(const Mark&, const Mark&) = default;
};
// Where the words of `query` occur in `text`: in order, overlaps merged.
QList<Mark> MarksIn(const QString& text, const Query& query);

enum class Kind { kAppointment, kNote, kEntry };

// One item found, with what identifies it and orders it.
struct Match {
  Kind kind = Kind::kAppointment;
  int item = -1;      // its place in its file when found (from 0)
  QString identity;   // the appointment's ID, the note's title, the entry's key
  QString title;      // subject, note title, entry key (leading and trailing spaces removed)
  QDate date;         // appointments: the date its ID names (invalid if none)
  QString start;      // appointments: start time
  int ordinal = 0;    // appointments: the ordinal its ID names
  QString group;      // entries: the address book's letter group ("" if none)
  std::string order;  // notes and entries: the folded title or key
};

struct Results {
  std::vector<Match> appointments;  // upcoming from `today` (nearest first), then past (latest first)
  std::vector<Match> notes;         // by title, case and accents aside
  std::vector<Match> entries;       // by letter group, then key as the address book lists them
  std::size_t size() const { return appointments.size() + notes.size() + entries.size(); }
  bool empty() const { return size() == 0; }
};

// A search in steps: each Step reads and compares for about `budget_ms`
// milliseconds (at least one run of records) and returns true once every
// file has been read; the results are then in order.
class Scan {
 public:
  Scan(const Query& query, const QDate& today) : query_(query), today_(today) {}
  bool Step(const store::DataFiles& files, int budget_ms);
  bool done() const { return file_ >= 3; }
  const Results& results() const { return results_; }
  Results& results() { return results_; }

 private:
  void Visit(store::Channel channel, int item, const char* group);
  void Finish();

  Query query_;
  QDate today_;
  int file_ = 0;     // 0 appointments, 1 notes, 2 entries, 3 done
  int count_ = -1;   // items in the current file, -1 before it is read
  int next_ = 0;     // next item of the current file
  std::string buffer_;
  Results results_;
};

// The whole search at once.
Results Search(const store::DataFiles& files, const Query& query, const QDate& today);

// What one result shows: its title and, where the words occur in another
// text of the item, that text around them; each with the words marked.
struct Excerpt {
  QString title;
  QList<Mark> title_marks;
  QString text;
  QList<Mark> text_marks;
  bool found = true;  // false when the item is no longer where it was found
};
Excerpt Describe(const store::DataFiles& files, const Match& match, const Query& query);

// The address book's letter group that lists `key` ("A" … "P", "QR", "S" …
// "W", "XYZ", "123"), or "" when none does: a key is listed under the group
// whose initials hold its first character exactly.
QString LetterGroupOf(const QString& key);
// The groups in the address book's order.
const QStringList& LetterGroups();

}  // namespace quorvel::search
