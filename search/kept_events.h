// The kept events' part of the folded copy (see search::FoldedCopy): the
// words of each event in Events.dat folded, and each event's Match dated
// by its nearest occurrence from a day. Also the ordering the copy of the
// appointments shares with it.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <QByteArray>
#include <QDate>
#include <QElapsedTimer>

#include "events/event_file.h"
#include "search/search.h"

namespace quorvel::search {

// Which items match `query` in a folded copy: `text` holds each item's
// folded texts, each ended by a 0 byte; item i's end at ends[i].
std::vector<bool> HitsIn(const std::string& text, const std::vector<std::uint32_t>& ends,
                         const Query& query);

// Whether appointment `a` is listed before `b` on a calendar (by date,
// within a day by start time, all day first, then as the day lists them;
// those without a date last, by ID).
bool CalendarBefore(const Match& a, const Match& b);

// The places in `items` (sorted by CalendarBefore) whose item (by
// Match::item) is in `hits`, in the order results list appointments:
// upcoming from `today`, nearest first; then the past, latest day first,
// each day as it lists its appointments; then those without a date.
std::vector<std::uint32_t> ByDay(const std::vector<Match>& items, const std::vector<bool>& hits,
                                 const QDate& today);

// Appointments `first` (places in their items) and events `second` (places
// in theirs, to be counted from `offset`) as one list in the order ByDay
// gives; an appointment before an event listed at the same time.
std::vector<std::uint32_t> MergeByDay(const std::vector<Match>& first_items,
                                      const std::vector<std::uint32_t>& first,
                                      const std::vector<Match>& second_items,
                                      const std::vector<std::uint32_t>& second,
                                      std::uint32_t offset, const QDate& today);

class EventsCopy {
 public:
  explicit EventsCopy(const store::DataFiles& files) : files_(files) {}

  // Events.dat is to be read again. Safe on any thread.
  void Outdate() { changes_.fetch_add(1); }
  unsigned changes() const { return changes_.load(); }
  void SetToday(const QDate& today) { today_ = today; }
  bool current() const;
  // Reads on while `clock` is under `budget_ns` (at least one event); true
  // once current.
  bool Update(const QElapsedTimer& clock, qint64 budget_ns);

  // Every event's Match in the order results list them.
  const std::shared_ptr<const std::vector<Match>>& items() const { return items_; }
  // The places in items() of the events that match, in order.
  std::vector<std::uint32_t> Chosen(const Query& query) const;

 private:
  // One event as read: its text, where its folded words end, its Match.
  struct Event {
    QString uid;
    QByteArray source;
    std::string folded;
    Match match;
  };
  void Start();
  void Finish();

  const store::DataFiles& files_;
  std::atomic<unsigned> changes_{0};
  QDate today_ = QDate::currentDate();
  // The copy: the events in file order, their folded words one after the
  // other, and the day the Matches were dated from.
  bool ready_ = false;
  unsigned version_ = 0;
  QDate dated_;
  std::vector<Event> events_;
  std::string text_;
  std::vector<std::uint32_t> ends_;
  std::shared_ptr<const std::vector<Match>> items_ = std::make_shared<std::vector<Match>>();
  // Being read: Events.dat as it was when the reading began.
  bool reading_ = false;
  unsigned reading_version_ = 0;
  QDate reading_day_;
  std::vector<events::StoredEvent> stored_;
  std::vector<Event> read_;
};

}  // namespace quorvel::search
