// The kept events' occurrences as the calendar windows show them: read
// from Events.dat a month at a time and kept until Events.dat changes, so
// that a window filling a day or a month does not expand every series
// again.
#pragma once

#include <utility>
#include <vector>

#include <QDate>
#include <QString>

#include "events/occurrences.h"
#include "store/data_files.h"

namespace quorvel {

// Every occurrence touching `day` in the system's zone, by start.
std::vector<events::Occurrence> OccurrencesOn(const store::DataFiles& files, const QDate& day);
// Every occurrence touching a month, by start, with the first and last
// day each touches (worked out once: a zone's dates are slow to ask for).
struct MonthOccurrences {
  std::vector<events::Occurrence> occurrences;
  std::vector<std::pair<QDate, QDate>> days;  // item i: occurrence i's first and last day
};
// The month of `day`.
const MonthOccurrences& OccurrencesInMonth(const store::DataFiles& files, const QDate& day);

// The occurrence's times as a day's list shows them, cut to the day: a
// start before the day shows "00:00", an end after it "24:00".
QString StartOnDay(const events::Occurrence& o, const QDate& day);
QString EndOnDay(const events::Occurrence& o, const QDate& day);

}  // namespace quorvel
