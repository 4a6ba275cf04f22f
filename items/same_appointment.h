// Which stored appointment is the one a window shows: for the item files'
// reads and writes of Appoint.dat.
#pragma once

#include <cstdlib>

#include <QString>

#include "items/appointment_file.h"

namespace quorvel {

// The ordinal after the hyphen: the number the text from the tenth
// character on starts with.
inline int Ordinal(const QString& id) { return static_cast<int>(LeadingNumber(id.mid(9))); }

// Picks, among the stored appointments offered to it, the one `shown` was
// read from.
class SameAppointment {
 public:
  explicit SameAppointment(const Appointment& shown)
      : shown_(shown), day_(shown.id.left(8)), wanted_(Ordinal(shown.id)) {}

  // Whether `id` is of the day at all (only those need reading whole).
  bool OfTheDay(const QString& id) const { return day_.size() == 8 && id.left(8) == day_; }
  void Consider(int k, const Appointment& stored) {
    if (exact_ || !OfTheDay(stored.id)) return;
    if (stored.subject != shown_.subject || stored.start != shown_.start ||
        stored.end != shown_.end || stored.reminder != shown_.reminder ||
        stored.minutes != shown_.minutes || stored.description != shown_.description) {
      return;
    }
    // Of several alike, the one still under the ID shown, else the nearest.
    const int distance = stored.id == shown_.id ? -1 : std::abs(Ordinal(stored.id) - wanted_);
    if (found_ < 0 || distance < distance_) {
      found_ = k;
      distance_ = distance;
      exact_ = distance < 0;
    }
  }
  int found() const { return found_; }

 private:
  const Appointment& shown_;
  QString day_;
  int wanted_;
  int found_ = -1;
  int distance_ = 0;
  bool exact_ = false;
};

}  // namespace quorvel
