// Timing, checking and the table the benchmark prints.
#pragma once

#include <functional>
#include <vector>

#include <QString>
#include <QStringList>

namespace quorvel::bench {

// Many readings of one figure, in milliseconds or MiB.
class Sample {
 public:
  void Add(double value) { values_.push_back(value); }
  bool empty() const { return values_.empty(); }
  double Min() const;
  double Median() const;
  const std::vector<double>& Values() const { return values_; }

 private:
  std::vector<double> values_;
};

enum class Unit { kMs, kMiB };

struct Goal {
  enum Kind { kAtMost, kRatioAtMost } kind;
  double value;
};

struct Row {
  QString action;
  QString floor_name;
  Unit unit;
  Goal goal;
  Sample figure;
  Sample floor;
  QStringList wrong;  // what a check found; empty when every answer was right

  void Wrong(const QString& what) {
    if (!wrong.contains(what)) wrong.append(what);
  }
  double Ratio() const;
  bool Met() const;
};

// Runs `setup` (not timed), `body` (timed) and `check` (not timed) `runs`
// times.
Sample Measure(int runs, const std::function<void()>& setup, const std::function<void()>& body,
               const std::function<void(Row&)>& check, Row& row);

class Table {
 public:
  void Add(Row row) { rows_.push_back(std::move(row)); }
  void Print() const;
  bool AllRight() const;

 private:
  std::vector<Row> rows_;
};

// The process's resident memory, in KiB.
long ResidentKiB();

}  // namespace quorvel::bench
