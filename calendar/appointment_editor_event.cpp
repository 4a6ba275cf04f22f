// The appointment editor's OK for a repeating or all-day appointment: kept
// as an event beside the appointment file.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "calendar/appointment_editor_window.h"
#include "events/edit.h"
#include "events/repeat.h"
#include "items/appointment_event_store.h"
#include "ui/organiser.h"
#include "ui/seams.h"

namespace quorvel {

namespace {

// A time of the lists ("24:00" is the midnight that ends the day), or
// nothing for a text that is no time.
std::optional<QDateTime> TimeOn(QDate day, const QString& text, const QTimeZone& zone) {
  if (text == QStringLiteral("24:00")) return QDateTime(day.addDays(1), QTime(0, 0), zone);
  const QTime time = QTime::fromString(text, QStringLiteral("H:mm"));
  if (!time.isValid()) return std::nullopt;
  return QDateTime(day, time, zone);
}

}  // namespace

void AppointmentEditorWindow::OkEvent() {
  const Appointment a = Values();
  const bool all_day = all_day_->isChecked();
  const QDate day = day_.isValid() ? day_ : QDate::currentDate();
  const QTimeZone zone = QTimeZone::systemTimeZone();
  events::NewEvent event;
  event.all_day = all_day;
  if (all_day) {
    event.start = QDateTime(day, QTime(0, 0), zone);
    event.end = QDateTime(day.addDays(1), QTime(0, 0), zone);
  } else {
    if (!TimesStated(a)) return;
    const std::optional<QDateTime> from = TimeOn(day, a.start, zone);
    const std::optional<QDateTime> to = TimeOn(day, a.end, zone);
    if (!from || !to || *from >= *to) {
      ShowMessage(
          tr("A repeating appointment needs its times as hours and minutes, such as 09:30."));
      return;
    }
    event.start = *from;
    event.end = *to;
  }
  if (a.subject.isEmpty()) {
    ShowMessage(tr("You need to specify a Subject for the Appointment"));
    return;
  }
  if (reminder_->isChecked()) {
    bool number = false;
    event.alarm_minutes = a.minutes.trimmed().toInt(&number);
    if (!number || event.alarm_minutes < 0) {
      ShowMessage(tr("The minutes before the meeting must be a number."));
      return;
    }
  }
  event.repeat = Repetition();
  if (event.repeat.end == events::Repeat::End::kUntil && event.repeat.until < day) {
    ShowMessage(tr("The repeating cannot end before the day it begins."));
    return;
  }
  event.summary = a.subject;
  event.description = description_->toPlainText();
  const QByteArray text = events::NewEventText(event, Now().toUTC());

  // A plain appointment made repeating leaves the file in the same step
  // the event is stored.
  QString refusal;
  switch (StoreEventFor(app_.files(), text, app_.EditMode() && opened_ ? &*opened_ : nullptr,
                        &refusal)) {
    case EventStoreResult::kStored:
      break;
    case EventStoreResult::kAppointmentGone:
      ShowMessage(QString::fromLatin1(kAppointmentNotStored));
      return;
    case EventStoreResult::kNotStored:
      ShowMessage(
          tr("The appointment cannot be stored: the file of repeating and all-day appointments is "
             "full."));
      return;
    case EventStoreResult::kRefused:
      ShowMessage(refusal);
      return;
  }
  ReturnToActivities();
}

void AppointmentEditorWindow::OkOccurrence() {
  const Appointment a = Values();
  const events::Occurrence shown = *occurrence_;
  events::EventChange change;
  if (!shown.all_day) {
    if (a.start.isEmpty()) {
      ShowMessage(tr("You need to specify a Start-Time for the Appointment"));
      return;
    }
    if (a.end.isEmpty()) {
      ShowMessage(tr("You need to specify an End-Time for the Appointment"));
      return;
    }
    const QTimeZone zone = shown.start.timeZone();
    const std::optional<QDateTime> from = TimeOn(day_, a.start, zone);
    const std::optional<QDateTime> to = TimeOn(day_, a.end, zone);
    if (!from || !to || *from >= *to) {
      ShowMessage(tr("The duration of the meeting must be greater than 0 minutes!"));
      return;
    }
    if (*from != shown.start || *to != shown.end) {
      change.start = *from;
      change.end = *to;
    }
  }
  if (a.subject.isEmpty()) {
    ShowMessage(tr("You need to specify a Subject for the Appointment"));
    return;
  }
  int minutes = -1;
  if (reminder_->isChecked()) {
    bool number = false;
    minutes = a.minutes.trimmed().toInt(&number);
    if (!number || minutes < 0) {
      ShowMessage(tr("The minutes before the meeting must be a number."));
      return;
    }
  }
  // Only what the user changed is written; the rest of the event stays as
  // it came.
  if (a.subject != shown.summary) change.summary = a.subject;
  if (description_->toPlainText() != shown.description)
    change.description = description_->toPlainText();
  if (minutes != shown.alarm_minutes) change.alarm_minutes = minutes;
  std::optional<QByteArray> rule;
  if (whole_series_) {
    const events::Repeat repeat = Repetition();
    if (!(repeat == shown_repeat_)) {
      if (repeat.end == events::Repeat::End::kUntil && repeat.until < day_) {
        ShowMessage(tr("The repeating cannot end before the day it begins."));
        return;
      }
      rule = events::RuleFor(repeat, shown.start, shown.all_day);
    }
  }
  const QDateTime stamp = Now().toUTC();
  const bool whole = whole_series_;
  QString refusal;
  const EventStoreResult result = ChangeStoredEvent(
      app_.files(), shown.uid,
      [&](const QByteArray& text) -> std::optional<QByteArray> {
        std::optional<QByteArray> out =
            whole ? events::ChangeSeries(text, change, shown.start, stamp)
                  : events::ChangeOccurrence(text, shown.instance, change, stamp);
        if (out && rule) out = events::SetRepeatRule(*out, *rule, stamp);
        return out;
      },
      &refusal);
  switch (result) {
    case EventStoreResult::kStored:
      break;
    case EventStoreResult::kAppointmentGone:
      ShowMessage(QString::fromLatin1(kAppointmentNotStored));
      ReturnToActivities();
      return;
    case EventStoreResult::kNotStored:
      ShowMessage(
          tr("The appointment cannot be stored: the file of repeating and all-day appointments is "
             "full."));
      return;
    case EventStoreResult::kRefused:
      ShowMessage(refusal);
      return;
  }
  ReturnToActivities();
}

}  // namespace quorvel
