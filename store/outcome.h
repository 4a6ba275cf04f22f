// What an operation that may change a data file did.
#pragma once

#include <QString>

namespace quorvel::store {

class Outcome {
 public:
  static Outcome Stored() { return Outcome(QString()); }
  // Nothing was written; `reason` is a sentence for the user.
  static Outcome Refused(const QString& reason) { return Outcome(reason); }
  // Refused because the disk had no room for it; nothing was written.
  static Outcome NoRoom(const QString& reason) {
    Outcome outcome(reason);
    outcome.no_room_ = true;
    return outcome;
  }

  bool stored() const { return reason_.isNull(); }
  bool refused() const { return !stored(); }
  const QString& reason() const { return reason_; }
  bool no_room() const { return no_room_; }

 private:
  explicit Outcome(const QString& reason) : reason_(reason) {}
  QString reason_;
  bool no_room_ = false;
};

}  // namespace quorvel::store
