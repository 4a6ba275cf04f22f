// A repeating or all-day appointment made in the editor, kept as an event
// beside the appointment file: stored in one operation together with the
// removal of the plain appointment it was made from (its sync link going
// with it), so a crash leaves either the appointment or the event.
#pragma once

#include <optional>

#include <QByteArray>

#include "calendar/appointment_file.h"
#include "store/data_files.h"

namespace quorvel {

enum class EventStoreResult {
  kStored,
  kAppointmentGone,  // `replaced` is no longer stored as it was shown
  kNotStored,        // the events' file has no room for it (nothing written)
  kRefused,          // the commit was refused (`*refusal` says why)
};

// Stores `event_text` (a VCALENDAR of one event), in place of the
// appointment `replaced` was read from when given.
EventStoreResult StoreEventFor(store::DataFiles& files, const QByteArray& event_text,
                               const Appointment* replaced, QString* refusal = nullptr);

}  // namespace quorvel
