// The floors: the same work done by hand with one raw read per file and
// the fewest writes (the changed or moved bytes, rewritten in place), but
// with the store's own journal and the store's own flush and folder-flush
// calls, in the steps the store takes (journal written and flushed, folder
// flushed, records written, file flushed, journal removed, folder flushed).
#pragma once

#include <set>
#include <utility>
#include <vector>

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>

namespace quorvel::bench {

class RawFile {
 public:
  RawFile(const QString& dir, const QString& name, int record_length);
  ~RawFile();
  RawFile(const RawFile&) = delete;
  RawFile& operator=(const RawFile&) = delete;

  // The whole file in one read.
  QByteArray ReadAll() const;
  // Replaces the file's content and flushes it (setting up, not measured).
  void Put(const QByteArray& image);

  // Records `first` to `last` (from 1) that may differ between `before`
  // (the file as read) and `after`.
  using Range = std::pair<int, int>;
  // Writes the records of `ranges` that differ, one write call per range,
  // under a journal holding their original bytes.
  void JournaledWrite(const QByteArray& before, const QByteArray& after,
                      const std::vector<Range>& ranges);

  int record_length() const { return length_; }

 private:
  QString dir_;
  QString path_;
  int length_;
  int fd_ = -1;
};

// A record's text as raw bytes (no decoding).
QByteArray RawText(const QByteArray& image, int record_length, int record);
void PutRawText(QByteArray& image, int record_length, int record, const QByteArray& text);
int RawCount(const QByteArray& image, int record_length, int count_record);

// Removes item `index` of `count` from a file image whose items are groups
// of `group_size` records with `fields` fields each, the way the program's
// deletes do: later groups move down, the old last group becomes empty
// texts, the count drops. Returns the records that may have changed.
std::vector<RawFile::Range> RemoveGroup(QByteArray& image, int record_length, int group_size,
                                        int fields, int index, int count);
// After an appointment delete: the later ordinals of `deleted_id`'s date
// move down by one (IDs compared as raw bytes).
void RenumberIds(QByteArray& image, int count, const QByteArray& deleted_id);

// The floor of a delete: one read, the last item whose field 1 holds `key`
// found on raw bytes, its group removed (and with `renumber_ids` the later
// ordinals of its date renumbered), the change written under a journal.
void RawDeleteByKey(RawFile& file, int group_size, int fields, const QByteArray& key,
                    bool renumber_ids);

// Month marks from one bulk read of each file: days with an appointment,
// days with a birthday, and whether `today` has an appointment.
struct RawMarks {
  std::set<int> appointment_days;
  std::set<int> birthday_days;
  bool today = false;
};
RawMarks RawMonthScan(const RawFile& appoint, const RawFile& book, int year, int month,
                      const QDate& today);
// One day from one bulk read of each file: subjects, start and end times
// of its appointments, and its birthday keys.
struct RawDay {
  QStringList subjects, starts, ends, birthdays;
};
RawDay RawDayScan(const RawFile& appoint, const RawFile& book, const QDate& date);
// The notes' titles from one bulk read.
QStringList RawTitles(const RawFile& notes);

// How many items of each file hold `word` (ASCII, lower case) in the texts
// a search looks at, case aside: one bulk read of each file, each text's
// bytes lowered through a table and scanned.
struct RawFound {
  int appointments = 0, notes = 0, entries = 0;
};
RawFound RawSearch(const RawFile& appoint, const RawFile& notes, const RawFile& book,
                   const QByteArray& word);

}  // namespace quorvel::bench
