// What Activities does with an occurrence of a kept event: asks whether an
// edit or a delete is for that occurrence alone or for the whole series,
// and deletes as asked.
#pragma once

#include "events/occurrences.h"
#include "store/data_files.h"

namespace quorvel {

enum class OccurrenceScope { kCancelled, kThisOne, kAll };

// For an occurrence of a series, asks "This occurrence" / "All
// occurrences"; an event that does not repeat is changed whole.
OccurrenceScope AskOccurrenceScope(const events::Occurrence& occurrence, bool deleting);

// Deletes the occurrence (an EXDATE) or its whole event, as the user
// answers; false when cancelled or nothing was deleted (a message said why).
bool DeleteOccurrenceAsked(store::DataFiles& files, const events::Occurrence& occurrence);

}  // namespace quorvel
