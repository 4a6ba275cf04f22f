// The appointment editor's OK: the checks, the appointment file written, back to Activities.
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "calendar/activities_window.h"
#include "calendar/appointment_editor_window.h"
#include "ui/organiser.h"
#include "ui/seams.h"
#include "ui/ui.h"

namespace quorvel {

Appointment AppointmentEditorWindow::Values() const {
  Appointment a;
  a.id = id_->text();
  a.subject = subject_->text();
  a.start = start_->currentText();
  a.end = end_->currentText();
  a.reminder = reminder_->isChecked();
  a.minutes = minutes_->text();
  a.description = DescriptionForStorage(description_->toPlainText());
  return a;
}

bool AppointmentEditorWindow::TimesStated(const Appointment& a) {
  if (a.start.isEmpty()) {
    ShowMessage(tr("You need to specify a Start-Time for the Appointment"));
    return false;
  }
  if (a.end.isEmpty()) {
    ShowMessage(tr("You need to specify an End-Time for the Appointment"));
    return false;
  }
  // Times compare as texts, character by character.
  if (!(a.start < a.end)) {
    ShowMessage(tr("The duration of the meeting must be greater than 0 minutes!"));
    return false;
  }
  return true;
}

void AppointmentEditorWindow::Ok() {
  if (occurrence_) {
    OkOccurrence();
    return;
  }
  if (all_day_->isChecked() || Repetition().kind != events::Repeat::Kind::kNever) {
    OkEvent();
    return;
  }
  const Appointment a = Values();
  if (!TimesStated(a)) return;
  if (a.subject.isEmpty()) {
    ShowMessage(tr("You need to specify a Subject for the Appointment"));
    return;
  }
  std::optional<store::Outcome> outcome;
  if (!app_.EditMode()) {
    outcome =
        day_.isValid() ? AddAppointmentOn(app_.files(), day_, a) : AddAppointment(app_.files(), a);
  } else if (opened_) {
    // Only the appointment that was opened is written, wherever a sync or
    // another window has moved it since.
    outcome = UpdateSameAppointment(app_.files(), *opened_, a);
    if (!outcome) {
      if (KeepAsNew(a)) ReturnToActivities();
      return;
    }
  } else {
    outcome = UpdateAppointment(app_.files(), a);
  }
  if (outcome->refused()) {
    ShowMessage(outcome->reason());
    return;
  }
  ReturnToActivities();
}

bool AppointmentEditorWindow::KeepAsNew(const Appointment& edited) {
  const int choice =
      AskChoice(tr("The appointment \"%1\" was changed or deleted while you were editing it "
                   "(by a sync, for example), so your changes cannot be stored over it.\n\n"
                   "Save them as a new appointment, or discard them?")
                    .arg(store::TrimSpaces(opened_->subject)),
                {tr("Save as New"), tr("Discard")});
  if (choice == 0) {
    const store::Outcome outcome = AddAppointmentOn(app_.files(), day_, edited);
    if (outcome.refused()) {
      ShowMessage(outcome.reason());
      return false;
    }
    return true;
  }
  return choice == 1;  // discarded; closing the box goes back to the editor
}

void AppointmentEditorWindow::ReturnToActivities() {
  ActivitiesWindow& activities = app_.Activities();
  activities.FillActivities();
  hide();
  activities.EditorClosed();
  OpenToolWindow(activities);
}

// The title bar's close control cancels: nothing is stored and the day's
// Activities come back.
void AppointmentEditorWindow::closeEvent(QCloseEvent* event) {
  const bool shown = isVisible();
  event->accept();
  if (!shown) return;
  ActivitiesWindow& activities = app_.Activities();
  activities.EditorClosed();
  OpenToolWindow(activities);
}

}  // namespace quorvel
