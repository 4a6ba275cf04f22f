// What an operation that may change a data file did.
#pragma once

#include <QString>

namespace quorvel::store {

class Outcome {
 public:
  static Outcome Stored() { return Outcome(QString()); }
  // Nothing was written; `reason` is a sentence for the user.
  static Outcome Refused(const QString& reason) { return Outcome(reason); }

  bool stored() const { return reason_.isNull(); }
  bool refused() const { return !stored(); }
  const QString& reason() const { return reason_; }

 private:
  explicit Outcome(const QString& reason) : reason_(reason) {}
  QString reason_;
};

}  // namespace quorvel::store
