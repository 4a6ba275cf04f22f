#include "bench/measure.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include <QFile>
#include <QtGlobal>

namespace quorvel::bench {

double Sample::Min() const {
  return values_.empty() ? 0 : *std::min_element(values_.begin(), values_.end());
}

double Sample::Median() const {
  if (values_.empty()) return 0;
  std::vector<double> sorted = values_;
  std::sort(sorted.begin(), sorted.end());
  const std::size_t middle = sorted.size() / 2;
  return sorted.size() % 2 == 1 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
}

double Row::Ratio() const { return floor.Median() > 0 ? figure.Median() / floor.Median() : 0; }

bool Row::Met() const {
  if (!wrong.isEmpty() || figure.empty()) return false;
  switch (goal.kind) {
    case Goal::kAtMost:
      return figure.Median() <= goal.value;
    case Goal::kRatioAtMost:
      return Ratio() <= goal.value;
  }
  return false;
}

Sample Measure(int runs, const std::function<void()>& setup, const std::function<void()>& body,
               const std::function<void(Row&)>& check, Row& row) {
  using Clock = std::chrono::steady_clock;
  Sample sample;
  for (int i = 0; i < runs; ++i) {
    setup();
    const Clock::time_point start = Clock::now();
    body();
    const Clock::time_point end = Clock::now();
    sample.Add(std::chrono::duration<double, std::milli>(end - start).count());
    check(row);
  }
  if (qEnvironmentVariableIsSet("QUORVEL_BENCH_SAMPLES")) {
    std::printf("%s:", qPrintable(row.action));
    for (double v : sample.Values()) std::printf(" %.2f", v);
    std::printf("\n");
  }
  return sample;
}

void Table::Print() const {
  std::printf(
      "\n| Action | min | median | floor | floor min | floor median | ratio | goal | met |\n");
  std::printf("|---|---:|---:|---|---:|---:|---:|---|---|\n");
  for (const Row& row : rows_) {
    const char* unit = row.unit == Unit::kMs ? "ms" : "MiB";
    const QString goal =
        row.goal.kind == Goal::kAtMost
            ? QStringLiteral("≤ %1 %2").arg(row.goal.value).arg(QLatin1String(unit))
            : QStringLiteral("≤ %1 × floor").arg(row.goal.value);
    const QString met = !row.wrong.isEmpty()
                            ? QStringLiteral("WRONG: ") + row.wrong.join(QStringLiteral("; "))
                        : row.Met() ? QStringLiteral("yes")
                                    : QStringLiteral("no");
    std::printf("| %s | %.2f %s | %.2f %s | %s | %.2f | %.2f | %.1f | %s | %s |\n",
                qPrintable(row.action), row.figure.Min(), unit, row.figure.Median(), unit,
                qPrintable(row.floor_name), row.floor.Min(), row.floor.Median(), row.Ratio(),
                qPrintable(goal), qPrintable(met));
  }
  std::fflush(stdout);
}

bool Table::AllRight() const {
  return std::all_of(rows_.begin(), rows_.end(),
                     [](const Row& row) { return row.wrong.isEmpty(); });
}

long ResidentKiB() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toLong();
  }
  return -1;
}

}  // namespace quorvel::bench
