// The calendar with the events Events.dat keeps beside a full Appoint.dat:
// 500 series (weekly, monthly, yearly, each with a left-out occurrence, a
// fifth with a moved one, all with an alarm) and 200 all-day events.
// Marking a month, filling Activities for the busiest day, opening its day
// schedule and the reminder keeper's check, each beside the same without
// the events, measured first; and the first marking after a change.
#pragma once

#include <QDate>
#include <QString>

#include "bench/measure.h"

namespace quorvel {
class Application;
namespace store {
class DataFiles;
}
}  // namespace quorvel

namespace quorvel::bench {

// Adds the five rows to `table`. `app` shows the full files of its folder,
// which holds no events yet: they are added to it. `day` is the busiest.
void EventFigures(Table& table, Application& app, const QDate& day, int runs);

// The same events put in `files` for another figure, around `day`, and
// taken out again; false when the store refused.
bool PutBenchEvents(store::DataFiles& files, const QDate& day);
bool RemoveBenchEvents(store::DataFiles& files);
// How many of them hold `word` (case aside) in a summary.
int BenchEventsHolding(const QString& word);

}  // namespace quorvel::bench
