// The calendar with the events Events.dat keeps beside a full Appoint.dat:
// 500 series (weekly, monthly, yearly, each with a left-out occurrence, a
// fifth with a moved one, all with an alarm) and 200 all-day events.
// Marking a month, filling Activities for the busiest day, opening its day
// schedule and the reminder keeper's check, each beside the same without
// the events, measured first; and the first marking after a change.
#pragma once

#include <QDate>

#include "bench/measure.h"

namespace quorvel {
class Application;
}

namespace quorvel::bench {

// Adds the five rows to `table`. `app` shows the full files of its folder,
// which holds no events yet: they are added to it. `day` is the busiest.
void EventFigures(Table& table, Application& app, const QDate& day, int runs);

}  // namespace quorvel::bench
