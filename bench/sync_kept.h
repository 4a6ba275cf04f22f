// The cost of keeping every synced item's server copy (SyncKept.dat): its
// size with a kept copy for each item of files filled to a fraction of
// their capacity, and the storing step of a sync that renews one copy.
#pragma once

#include <QString>

#include "bench/measure.h"

namespace quorvel::bench {

// Adds the two rows to `table`; files go under `dir`.
void SyncKeptFigures(Table& table, int runs, double fraction, const QString& dir);

}  // namespace quorvel::bench
