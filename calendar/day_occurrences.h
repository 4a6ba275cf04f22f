// The kept events' occurrences as the calendar windows show them: read
// from Events.dat a month at a time and kept until Events.dat changes, so
// that a window filling a day or a month does not expand every series
// again.
#pragma once

#include <vector>

#include <QDate>
#include <QString>

#include "events/occurrences.h"
#include "store/data_files.h"

namespace quorvel {

// Every occurrence touching `day` in the system's zone, by start.
std::vector<events::Occurrence> OccurrencesOn(const store::DataFiles& files, const QDate& day);
// Every occurrence touching the month of `day`, by start.
const std::vector<events::Occurrence>& OccurrencesInMonth(const store::DataFiles& files, const QDate& day);

// The occurrence's times as a day's list shows them, cut to the day: a
// start before the day shows "00:00", an end after it "24:00".
QString StartOnDay(const events::Occurrence& o, const QDate& day);
QString EndOnDay(const events::Occurrence& o, const QDate& day);

}  // namespace quorvel
