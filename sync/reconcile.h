// The parts of a sync's decision that need no network: which local item
// each link stands for, and whether a run would delete too much.
#pragma once

#include <optional>
#include <vector>

#include <QByteArray>
#include <QString>

#include "items/sync_state.h"

namespace quorvel::sync {

// One local item as the decision sees it.
struct LocalIdentity {
  QString ident;      // position (appointments) or key (entries)
  QByteArray digest;  // of what syncs
  QString day;        // appointments: yyyyMMdd
  QString subject;    // appointments
  QString start;      // appointments
};

// What a link's item looked like when last synced (read from its kept
// resource), for telling an edit from another item in its place.
struct KeptIdentity {
  QString day;
  QString subject;
  QString start;
};

// Links the appointments in `links` to the items of `locals` by what they
// hold, not where they sit: a link keeps its position when the item there
// is the one it last synced (same digest); otherwise it moves to an item
// elsewhere with that digest; otherwise the item at its position counts as
// an edit of it only when no other link claims it and it is on the day of
// its kept resource (a link that keeps none goes by its position); failing
// that, the one unclaimed item on that day, when there is only one. A link left without an
// item gets index -3 when it had one (the item vanished without this
// program deleting it: the file was changed by another program), and
// keeps -1 when this program deleted it. `kept` gives each link's kept
// identity (nothing when none is kept).
void RematchAppointments(std::vector<Link>& links, const std::vector<LocalIdentity>& locals,
                         const std::vector<std::optional<KeptIdentity>>& kept);

// Entries are linked by their unique key; an entry renamed by another
// program is found again by its digest.
void RematchEntries(std::vector<Link>& links, const std::vector<LocalIdentity>& locals);

// Whether deleting `deletions` of the `total` items a side holds is more
// than a sync may do without asking: more than five, or most of a side
// (at least two).
bool TooManyDeletions(int deletions, int total);

}  // namespace quorvel::sync
