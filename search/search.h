// Finding appointments, notes and address entries by what they say; the
// events kept whole in Events.dat (repeating, all-day) are found as
// appointments.
//
// A query is the words typed; an item matches when every word occurs in
// one of its texts, case and accents aside (see search/fold.h). Words in
// double quotes are one word, spaces included.
//
// The texts are searched in a folded copy of the files (FoldedCopy),
// read in steps of bounded time so that a window stays responsive however
// slow the disk is, and read again, file by file, whenever the store
// announces a change to a file: what is found is what the files hold. The
// copy also holds each item in the order results list it, so a search only
// compares and picks. What a result shows (its excerpt with the matching
// text marked) is worked out only for the results that are shown
// (Describe).
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <QDate>
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
  int item = -1;     // its place in its file when found (from 0)
  QString identity;  // the appointment's ID (an event's UID), the note's title, the entry's key
  QString title;     // subject, note title, entry key (leading and trailing spaces removed)
  QDate date;        // appointments: the date its ID names (invalid if none)
  QString start;     // appointments: start time
  int ordinal = 0;   // appointments: the ordinal its ID names
  QString group;     // entries: the address book's letter group ("" if none)
  // An event kept in Events.dat, found as an appointment: `date` and
  // `start` are those of its nearest occurrence (the first from today on,
  // else the last; a start on an earlier day is "00:00" of today; all day
  // has none), `instance` names that occurrence as the event's
  // occurrences do, `texts` are its description and location.
  bool event = false;
  bool all_day = false;
  bool repeats = false;
  QString instance;
  QStringList texts;
};

// The matches of one kind, in order: chosen items of the copy they were
// found in, which stays with them (a later change to the files makes a new
// copy and leaves this one as it was).
class MatchList {
 public:
  class Iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = Match;
    using difference_type = std::ptrdiff_t;
    using pointer = const Match*;
    using reference = const Match&;
    Iterator() = default;
    Iterator(const MatchList* list, std::size_t at) : list_(list), at_(at) {}
    const Match& operator*() const { return (*list_)[at_]; }
    const Match* operator->() const { return &(*list_)[at_]; }
    Iterator& operator++() {
      ++at_;
      return *this;
    }
    Iterator operator++(int) {
      Iterator before = *this;
      ++at_;
      return before;
    }
    friend bool operator==(const Iterator& a, const Iterator& b) { return a.at_ == b.at_; }

   private:
    const MatchList* list_ = nullptr;
    std::size_t at_ = 0;
  };

  MatchList() = default;
  // Places from items->size() on choose from `more` (the kept events).
  MatchList(std::shared_ptr<const std::vector<Match>> items, std::vector<std::uint32_t> chosen,
            std::shared_ptr<const std::vector<Match>> more = nullptr)
      : items_(std::move(items)), more_(std::move(more)), chosen_(std::move(chosen)) {}

  std::size_t size() const { return chosen_.size(); }
  bool empty() const { return chosen_.empty(); }
  const Match& operator[](std::size_t i) const {
    const std::uint32_t at = chosen_[i];
    return at < items_->size() ? (*items_)[at] : (*more_)[at - items_->size()];
  }
  const Match& front() const { return (*this)[0]; }
  const Match& back() const { return (*this)[size() - 1]; }
  Iterator begin() const { return Iterator(this, 0); }
  Iterator end() const { return Iterator(this, size()); }

 private:
  std::shared_ptr<const std::vector<Match>> items_;
  std::shared_ptr<const std::vector<Match>> more_;
  std::vector<std::uint32_t> chosen_;
};

struct Results {
  MatchList appointments;  // with the events: upcoming from `today` (nearest first), then past
                           // (latest first)
  MatchList notes;         // by title, case and accents aside
  MatchList entries;       // by letter group, then key as the address book lists them
  std::size_t size() const { return appointments.size() + notes.size() + entries.size(); }
  bool empty() const { return size() == 0; }
};

class EventsCopy;

// The searched texts of the three files and of the kept events, folded,
// and every item's Match, in the order results list them.
//
// The copy of a file is current until a change to that file is announced
// (Outdate): the owner passes on every announcement of the store's (see
// store::DataFiles::AddChangeListener), and the next Update reads that file
// again. Nothing else changes the files while this process holds the
// folder, so what Find finds in a current copy is what the files hold.
class FoldedCopy {
 public:
  explicit FoldedCopy(const store::DataFiles& files);
  ~FoldedCopy();
  FoldedCopy(const FoldedCopy&) = delete;
  FoldedCopy& operator=(const FoldedCopy&) = delete;

  // The files in `changed` are to be read again. Safe on any thread.
  void Outdate(store::ChangedFiles changed);
  // The day the events' nearest occurrences are counted from; another day
  // outdates them.
  void SetToday(const QDate& today);
  // Reads what is out of date for about `budget_ms` milliseconds (at least
  // one run of records); true once the copy of every file is current.
  bool Update(int budget_ms);
  bool current() const;
  // How many changes were announced to the copy (Outdate): while it stays
  // the same and the copy is current, the files hold what they held.
  unsigned changes() const;
  // The items that match `query`, in order, the events dated from `today`;
  // reads first what is out of date. At capacity a broad query takes a few
  // milliseconds.
  Results Find(const Query& query, const QDate& today);
  // Forgets what was read of the three files (its memory); the next
  // Update reads them again. What was read of the events is kept.
  void Clear();

 private:
  // The folded texts of one run of records' items in file order (each
  // text ended by a 0 byte, which no folded text holds) and where each
  // item's texts end.
  struct Folded {
    std::string text;
    std::vector<std::uint32_t> ends;
  };
  // One file's copy: the folded texts of its items, a Folded a run, and
  // the items' Matches in the order results list them.
  // Reading the file again takes over what it can of the copy before: a
  // run whose bytes are those of the old copy's run at its place keeps its
  // Folded as it is (shared, not copied); in another run, an item whose
  // bytes are those of an item of the old copy, at its place or one away
  // (an item added, removed or moved), keeps its folded text and its
  // Match; and the order is kept when no item's place in it changed.
  struct Copy {
    std::vector<std::shared_ptr<const Folded>> folded;
    std::shared_ptr<const std::vector<Match>> items;
    // The items' records as read, in file order: runs of RunItems() items
    // (the last may be shorter).
    std::vector<QByteArray> runs;
    std::vector<std::string> orders;    // notes and entries: folded title or key, in file order
    std::vector<std::uint32_t> listed;  // file order: the item's place in `items`
  };
  // A file being read.
  struct Reading {
    bool started = false;
    unsigned version = 0;  // the file's change count when reading began
    int count = 0;
    int next = 0;
    std::vector<std::shared_ptr<const Folded>> folded;
    std::vector<Match> items;
    std::vector<std::string> orders;  // notes and entries: folded title or key
    std::vector<QByteArray> runs;
    // Whether every item is where it was in the old copy and sorts as it
    // did there: then the old order holds.
    bool same_order = true;
  };
  struct File {
    std::atomic<unsigned> changes{0};
    bool ready = false;
    unsigned version = 0;  // `changes` when the copy was read
    Copy copy;
    Reading reading;
  };
  bool Current(const File& file) const;
  // Reads one run of records of file `k`; true when it was the last.
  bool ReadRun(int k);
  // Folds item `item` (its records at `group`) of file `k` into `into`,
  // or takes it from the old copy.
  void FoldItem(int k, int item, const char* group, Folded& into);
  // Takes the run of items from `item` on (their records `run`) from the
  // old copy of file `k` when its run at that place holds the same bytes,
  // the old copy's bytes with it.
  bool ReuseRun(int k, int item, const QByteArray& run);
  // Takes item `item` (its records `group`) from the old copy of file `k`
  // into `into` when that holds it unchanged; false when it is to be
  // folded anew.
  bool Reuse(int k, int item, QByteArrayView group, Folded& into);
  // The Match and order of the old copy's item `was`, as item `item`.
  void TakeOld(int k, int was, int item);
  void Finish(int k);
  // Sorts `order` (places in `r.items`) as results list the items of `kind`.
  static void SortItems(Kind kind, const Reading& r, std::vector<std::uint32_t>& order);
  // Which items of file `k` (by their place in the file) match `query`.
  std::vector<bool> Hits(int k, const Query& query) const;
  // Those of them in order, as places in the copy's items.
  std::vector<std::uint32_t> Chosen(int k, const Query& query, const QDate& today) const;

  const store::DataFiles& files_;
  std::array<File, 3> copies_;  // appointments, notes, entries
  // The run being read: read into the same room each time, and kept (its
  // room given up) only when its bytes differ from the old copy's.
  QByteArray run_;
  std::unique_ptr<EventsCopy> events_;
};

// One search at once, in a copy read for it.
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
