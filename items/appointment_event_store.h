// A repeating or all-day appointment made in the editor, kept as an event
// beside the appointment file: stored in one operation together with the
// removal of the plain appointment it was made from (its sync link going
// with it), so a crash leaves either the appointment or the event.
#pragma once

#include <functional>
#include <optional>

#include <QByteArray>

#include "items/appointment_file.h"
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

// The kept event `uid` changed by `edit` (its text as stored in, the new
// text out; nothing when it cannot be changed so) in one operation.
// kAppointmentGone when there is no such event or `edit` gives nothing.
EventStoreResult ChangeStoredEvent(
    store::DataFiles& files, const QString& uid,
    const std::function<std::optional<QByteArray>(const QByteArray&)>& edit,
    QString* refusal = nullptr);
// The kept event `uid` removed, every occurrence of it.
EventStoreResult RemoveStoredEvent(store::DataFiles& files, const QString& uid,
                                   QString* refusal = nullptr);

}  // namespace quorvel
