#include "items/appointment_event_store.h"

#include "events/event_file.h"
#include "items/sync_state.h"

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
  if (events::PutEvent(op, event_text) != events::PutResult::kStored)
    return EventStoreResult::kNotStored;
  const store::Outcome outcome = op.Commit();
  if (outcome.refused()) {
    if (refusal) *refusal = outcome.reason();
    return EventStoreResult::kRefused;
  }
  return EventStoreResult::kStored;
}

namespace {

EventStoreResult Committed(store::Operation& op, QString* refusal) {
  const store::Outcome outcome = op.Commit();
  if (!outcome.refused()) return EventStoreResult::kStored;
  if (refusal) *refusal = outcome.reason();
  return EventStoreResult::kRefused;
}

}  // namespace

EventStoreResult ChangeStoredEvent(
    store::DataFiles& files, const QString& uid,
    const std::function<std::optional<QByteArray>(const QByteArray&)>& edit, QString* refusal) {
  store::Operation op(files);
  const std::optional<events::StoredEvent> stored = events::FindEvent(files, uid);
  if (!stored) return EventStoreResult::kAppointmentGone;
  const std::optional<QByteArray> text = edit(stored->text);
  if (!text || events::UidOf(*text) != uid) return EventStoreResult::kAppointmentGone;
  if (events::PutEvent(op, *text) != events::PutResult::kStored)
    return EventStoreResult::kNotStored;
  return Committed(op, refusal);
}

EventStoreResult RemoveStoredEvent(store::DataFiles& files, const QString& uid, QString* refusal) {
  store::Operation op(files);
  if (!events::RemoveEvent(op, uid)) return EventStoreResult::kAppointmentGone;
  return Committed(op, refusal);
}

}  // namespace quorvel
