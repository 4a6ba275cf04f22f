#include "calendar/appointment_event_store.h"

#include "events/event_file.h"
#include "sync/sync_state.h"

namespace quorvel {

EventStoreResult StoreEventFor(store::DataFiles& files, const QByteArray& event_text,
                               const Appointment* replaced, QString* refusal) {
  store::Operation op(files);
  if (replaced) {
    const int k = FindSameAppointment(op, *replaced);
    if (k < 0) return EventStoreResult::kAppointmentGone;
    RemoveAppointment(op, k);
    sync::NoteAppointmentRemoved(op, k);
  }
  if (events::PutEvent(op, event_text) != events::PutResult::kStored) return EventStoreResult::kNotStored;
  const store::Outcome outcome = op.Commit();
  if (outcome.refused()) {
    if (refusal) *refusal = outcome.reason();
    return EventStoreResult::kRefused;
  }
  return EventStoreResult::kStored;
}

}  // namespace quorvel
