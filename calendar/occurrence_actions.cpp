#include "calendar/occurrence_actions.h"

#include <QCoreApplication>

#include "events/edit.h"
#include "items/appointment_event_store.h"
#include "items/appointment_file.h"
#include "ui/seams.h"

namespace quorvel {
namespace {

class OccurrenceActionTexts {
  Q_DECLARE_TR_FUNCTIONS(OccurrenceActions)
};

}  // namespace

OccurrenceScope AskOccurrenceScope(const events::Occurrence& occurrence, bool deleting) {
  if (!occurrence.repeats || occurrence.instance.isEmpty()) return OccurrenceScope::kAll;
  const QString question =
      deleting ? OccurrenceActionTexts::tr(
                     "\"%1\" repeats. Delete only this occurrence, or all of them?")
               : OccurrenceActionTexts::tr(
                     "\"%1\" repeats. Change only this occurrence, or all of them?");
  const int choice =
      AskChoice(question.arg(occurrence.summary), {OccurrenceActionTexts::tr("This Occurrence"),
                                                   OccurrenceActionTexts::tr("All Occurrences"),
                                                   OccurrenceActionTexts::tr("Cancel")});
  if (choice == 0) return OccurrenceScope::kThisOne;
  if (choice == 1) return OccurrenceScope::kAll;
  return OccurrenceScope::kCancelled;
}

bool DeleteOccurrenceAsked(store::DataFiles& files, const events::Occurrence& occurrence) {
  const OccurrenceScope scope = AskOccurrenceScope(occurrence, true);
  if (scope == OccurrenceScope::kCancelled) return false;
  QString refusal;
  EventStoreResult result;
  if (scope == OccurrenceScope::kAll) {
    result = RemoveStoredEvent(files, occurrence.uid, &refusal);
  } else {
    const QString instance = occurrence.instance;
    const QDateTime stamp = Now().toUTC();
    result = ChangeStoredEvent(
        files, occurrence.uid,
        [&](const QByteArray& text) { return events::DeleteOccurrence(text, instance, stamp); },
        &refusal);
  }
  switch (result) {
    case EventStoreResult::kStored:
      return true;
    case EventStoreResult::kAppointmentGone:
      ShowMessage(QString::fromLatin1(kAppointmentNotStored));
      return false;
    case EventStoreResult::kNotStored:
      ShowMessage(
          OccurrenceActionTexts::tr("The appointment cannot be stored: the file of repeating and "
                                    "all-day appointments is full."));
      return false;
    case EventStoreResult::kRefused:
      ShowMessage(refusal);
      return false;
  }
  return false;
}

}  // namespace quorvel
