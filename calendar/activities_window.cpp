#include "calendar/activities_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>

#include "calendar/appointment_editor_window.h"
#include "calendar/day_occurrences.h"
#include "calendar/day_schedule_window.h"
#include "calendar/month_calendar_window.h"
#include "calendar/occurrence_actions.h"
#include "items/appointment_file.h"
#include "ui/accessibility.h"
#include "ui/data_changes.h"
#include "ui/date_box.h"
#include "ui/organiser.h"
#include "ui/seams.h"
#include "ui/ui.h"

namespace quorvel {

namespace {

namespace names = activities_names;

QLineEdit* ReadOnlyBox(QWidget* parent, const char* name, const QRect& rect) {
  auto* box = Place(new QLineEdit(parent), name, rect);
  box->setReadOnly(true);
  box->setFocusPolicy(Qt::ClickFocus);
  return box;
}

}  // namespace

QString DescriptionForDisplay(const QString& stored) {
  QString shown = stored;
  shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  return shown;
}

QString DescriptionForStorage(const QString& shown) {
  QString stored = DescriptionForDisplay(shown);
  stored.replace(QLatin1String("\n"), QLatin1String("\r\n"));
  return stored;
}

ActivitiesWindow::ActivitiesWindow(Organiser& app) : app_(app) {
  setObjectName(QLatin1String(names::kWindow));
  setWindowTitle(tr("Activities"));
  setFixedSize(480, 392);
  setFont(ArialFont(9));

  date_ = Place(new DateBox(this), names::kDate, QRect(8, 8, 120, 24));
  // The day changes when a typed date is complete, not at every digit.
  date_->setKeyboardTracking(false);
  date_->setAccessibleName(tr("Date"));
  date_->setDate(Now().date());
  auto* schedule = Place(new QPushButton(tr("View Schedule"), this), names::kViewSchedule,
                         QRect(136, 8, 110, 24));

  auto* frame = Place(new QGroupBox(tr("Appointments"), this), names::kAppointmentsFrame,
                      QRect(8, 40, 464, 236));
  subjects_ = Place(new NamedComboBox(frame), names::kAppointments, QRect(12, 24, 240, 24));
  subjects_->setAccessibleName(tr("Appointments"));
  add_ = Place(new QPushButton(tr("Add"), frame), names::kAdd, QRect(264, 24, 60, 24));
  QPushButton* add = add_;
  delete_ = Place(new QPushButton(tr("Delete"), frame), names::kDelete, QRect(328, 24, 60, 24));
  edit_ = Place(new QPushButton(tr("Edit"), frame), names::kEdit, QRect(392, 24, 60, 24));

  start_ = ReadOnlyBox(frame, names::kStart, QRect(84, 60, 64, 22));
  Caption(frame, QLatin1String(names::kStartCaption), tr("Start Time"), QRect(12, 61, 70, 20),
          start_);
  end_ = ReadOnlyBox(frame, names::kEnd, QRect(236, 60, 64, 22));
  Caption(frame, QLatin1String(names::kEndCaption), tr("End Time"), QRect(170, 61, 64, 20), end_);

  reminder_ = Place(new QCheckBox(frame), names::kReminder, QRect(12, 94, 18, 20));
  reminder_->setEnabled(false);
  Caption(frame, QLatin1String(names::kReminderCaption), tr("Reminder"), QRect(32, 94, 64, 20),
          reminder_);
  minutes_ = ReadOnlyBox(frame, names::kMinutes, QRect(104, 93, 44, 22));
  minutes_->setText(QStringLiteral("15"));
  minutes_label_ = Caption(frame, QLatin1String(names::kMinutesCaption),
                           tr("Minutes before meeting"), QRect(154, 94, 180, 20), minutes_);

  description_ = Place(new QPlainTextEdit(frame), names::kDescription, QRect(12, 124, 440, 100));
  description_->setReadOnly(true);
  description_->setFocusPolicy(Qt::ClickFocus);
  description_->setPlainText(tr("Description"));
  description_->setAccessibleName(tr("Description"));

  auto* memos = Place(new QGroupBox(tr("Memos"), this), names::kMemosFrame, QRect(8, 284, 464, 60));
  birthdays_ = Place(new NamedComboBox(memos), names::kMemos, QRect(12, 24, 440, 24));
  birthdays_->setAccessibleName(tr("Memos"));

  auto* ok = Place(new QPushButton(tr("OK"), this), names::kOk, QRect(392, 354, 80, 28));
  ok->setDefault(true);  // Enter presses it where the control in focus has no use for Enter

  id_ = Place(new QLineEdit(QStringLiteral("ID"), this), names::kId, QRect(8, 354, 60, 22));
  id_->hide();
  starts_ = Place(new QComboBox(this), names::kStartTimes, QRect(80, 354, 60, 22));
  ends_ = Place(new QComboBox(this), names::kEndTimes, QRect(150, 354, 60, 22));
  for (QComboBox* hidden : {starts_, ends_}) {
    hidden->setFocusPolicy(Qt::NoFocus);
    hidden->hide();
  }

  ShowReminderMinutes(false);
  delete_->setEnabled(false);
  edit_->setEnabled(false);

  setTabOrder(date_, schedule);
  setTabOrder(schedule, subjects_);
  setTabOrder(subjects_, add);
  setTabOrder(add, delete_);
  setTabOrder(delete_, edit_);
  setTabOrder(edit_, birthdays_);
  setTabOrder(birthdays_, ok);

  connect(date_, &DateBox::dateChanged, this, [this] { FillActivities(); });
  connect(subjects_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (index >= 0) ShowSelectedAppointment();
  });
  connect(reminder_, &QCheckBox::toggled, this, [this](bool on) { ShowReminderMinutes(on); });
  connect(add, &QPushButton::clicked, this, [this] { Add(); });
  connect(edit_, &QPushButton::clicked, this, [this] { Edit(); });
  connect(delete_, &QPushButton::clicked, this, [this] { Delete(); });
  connect(schedule, &QPushButton::clicked, this, [this] { ViewSchedule(); });
  connect(ok, &QPushButton::clicked, this, [this] { Ok(); });
  connect(&app_.Changes(), &DataChanges::DataChanged, this, [this](store::ChangedFiles changed) {
    if (changed.HasAny(
            {store::Channel::kAppoint, store::Channel::kAddBook, store::Channel::kEvents})) {
      Refresh();
    }
  });
}

QDate ActivitiesWindow::Date() const { return date_->date(); }

void ActivitiesWindow::SetDate(const QDate& date) {
  const QSignalBlocker block(date_);
  date_->setDate(date);
}

void ActivitiesWindow::FocusStart() {
  if (subjects_->count() > 0) {
    subjects_->setFocus(Qt::OtherFocusReason);
  } else {
    add_->setFocus(Qt::OtherFocusReason);
  }
}

void ActivitiesWindow::ChooseAppointment(int ordinal) {
  const int index = IndexOfOrdinal(ordinal);
  if (index < 0) return;
  subjects_->setCurrentIndex(index);
  ShowSelectedAppointment();
  subjects_->setFocus(Qt::OtherFocusReason);
}

int ActivitiesWindow::IndexOfOrdinal(int ordinal) const {
  if (ordinal < 1) return -1;
  for (int i = 0; i < int(items_.size()); ++i) {
    if (items_[std::size_t(i)] == ordinal) return i;
  }
  return -1;
}

QStringList ActivitiesWindow::ListedItems() const {
  QStringList items;
  for (int i = 0; i < subjects_->count(); ++i) items.append(subjects_->itemText(i));
  return items;
}

QStringList ActivitiesWindow::Subjects() const { return subjects_listed_; }

QStringList ActivitiesWindow::StartTimes() const {
  QStringList items;
  for (int i = 0; i < starts_->count(); ++i) items.append(starts_->itemText(i));
  return items;
}

QStringList ActivitiesWindow::EndTimes() const {
  QStringList items;
  for (int i = 0; i < ends_->count(); ++i) items.append(ends_->itemText(i));
  return items;
}

void ActivitiesWindow::ShowReminderMinutes(bool shown) {
  minutes_->setVisible(shown);
  minutes_label_->setVisible(shown);
}

void ActivitiesWindow::ResetActivities() {
  {
    const QSignalBlocker block(subjects_);
    subjects_->clear();
  }
  starts_->clear();
  ends_->clear();
  subjects_listed_.clear();
  occurrences_.clear();
  items_.clear();
  rows_.clear();
  birthdays_->clear();
  id_->setText(QStringLiteral("ID"));
  description_->clear();
  start_->clear();
  end_->clear();
  reminder_->setChecked(false);
  ShowReminderMinutes(false);
  delete_->setEnabled(false);
  edit_->setEnabled(false);
  shown_.reset();
  filled_ = false;
}

void ActivitiesWindow::Refresh() {
  if (!filled_) return;
  // The lists show the files as they are (this window's own change, say):
  // nothing to read again.
  if (filled_seen_.Current(app_.files()) && filled_date_ == Date()) {
    if (schedule_ && schedule_->isVisible()) schedule_->FillDaySchedule();
    return;
  }
  const std::optional<Appointment> chosen = shown_;
  const std::optional<events::Occurrence> chosen_occurrence = ChosenOccurrence();
  const int index = subjects_->currentIndex();
  const int ordinal = index >= 0 && index < int(items_.size()) ? items_[std::size_t(index)] : 0;
  const int listed = static_cast<int>(subjects_listed_.size());
  FillActivities();
  if (chosen_occurrence) {
    // Chosen by what it is; gone, the first item is shown as after a fill.
    SelectOccurrence(chosen_occurrence->uid, chosen_occurrence->instance);
  } else if (chosen && !subjects_listed_.isEmpty()) {
    int now = -1;
    const int found = FindSameAppointment(app_.files(), *chosen);
    if (found >= 0) {
      const QString id = ReadAppointment(app_.files(), found).id;
      now = static_cast<int>(LeadingNumber(id.mid(9)));
    } else if (subjects_listed_.size() == listed) {
      // Changed in place (nothing added or removed): the same place.
      now = ordinal;
    }
    const int at = IndexOfOrdinal(now);
    if (at >= 0 && at != subjects_->currentIndex()) subjects_->setCurrentIndex(at);
  }
  // The day schedule shows this window's lists.
  if (schedule_ && schedule_->isVisible()) schedule_->FillDaySchedule();
}

void ActivitiesWindow::FillActivities() {
  const QDate date = Date();
  ResetActivities();
  filled_ = true;
  filled_seen_ = store::FilesSeen(
      app_.files(), {store::Channel::kAppoint, store::Channel::kAddBook, store::Channel::kEvents});
  filled_date_ = date;

  const store::DataFiles& files = app_.files();
  const DayAppointments day = ReadDayAppointments(files, date);
  occurrences_ = OccurrencesOn(files, date);
  ListDay(day);
  if (!day.subjects.isEmpty()) {
    starts_->addItems(day.starts);
    ends_->addItems(day.ends);
    starts_->setCurrentIndex(0);
    ends_->setCurrentIndex(0);
  }
  if (!items_.empty()) {
    if (const events::Occurrence* o = OccurrenceAt(0)) {
      ShowOccurrence(*o);
    } else {
      delete_->setEnabled(true);
      edit_->setEnabled(true);
      // The first appointment came with the list: no second pass.
      if (day.first) ShowAppointment(*day.first);
    }
  }

  birthdays_->addItems(BirthdaysOn(files, date));
  if (birthdays_->count() > 0) birthdays_->setCurrentIndex(0);
}

void ActivitiesWindow::ShowSelectedAppointment() {
  const int index = subjects_->currentIndex();
  if (index < 0 || index >= int(items_.size())) return;
  if (const events::Occurrence* o = OccurrenceAt(index)) {
    ShowOccurrence(*o);
    return;
  }
  delete_->setEnabled(true);
  edit_->setEnabled(true);
  const QString id =
      DayKey(Date()) + QLatin1Char('-') + QString::number(items_[std::size_t(index)]);
  const int found = FindAppointment(app_.files(), id);
  if (found >= 0) ShowAppointment(ReadAppointment(app_.files(), found));
}

void ActivitiesWindow::ShowAppointment(const Appointment& a) {
  shown_ = a;
  id_->setText(a.id);
  start_->setText(store::TrimSpaces(a.start));
  end_->setText(store::TrimSpaces(a.end));
  minutes_->setText(store::TrimSpaces(a.minutes));
  description_->setPlainText(DescriptionForDisplay(store::TrimSpaces(a.description)));
  reminder_->setChecked(a.reminder);
  ShowReminderMinutes(a.reminder);
}

void ActivitiesWindow::Add() {
  app_.SetEditMode(false);
  AppointmentEditorWindow& editor = app_.AppointmentEditor();
  editor.OpenForAdd(NextAppointmentId(app_.files(), Date()));
  editor_open_ = true;
  hide();
  OpenToolWindow(editor);
}

void ActivitiesWindow::Edit() {
  if (const std::optional<events::Occurrence> o = ChosenOccurrence()) {
    const OccurrenceScope scope = AskOccurrenceScope(*o, false);
    if (scope == OccurrenceScope::kCancelled) return;
    app_.SetEditMode(true);
    AppointmentEditorWindow& editor = app_.AppointmentEditor();
    editor.OpenForOccurrence(*o, scope == OccurrenceScope::kAll);
    editor_open_ = true;
    hide();
    OpenToolWindow(editor);
    return;
  }
  app_.SetEditMode(true);
  Appointment shown;
  shown.id = id_->text();
  shown.subject = subjects_->currentText();
  shown.start = start_->text();
  shown.end = end_->text();
  shown.reminder = reminder_->isChecked();
  shown.minutes = minutes_->text();
  shown.description = DescriptionForStorage(description_->toPlainText());
  AppointmentEditorWindow& editor = app_.AppointmentEditor();
  if (shown_) {
    editor.OpenForEdit(shown, *shown_);
  } else {
    editor.OpenForEdit(shown);
  }
  editor_open_ = true;
  hide();
  OpenToolWindow(editor);
}

void ActivitiesWindow::Delete() {
  if (const std::optional<events::Occurrence> o = ChosenOccurrence()) {
    DeleteOccurrenceAsked(app_.files(), *o);
    FillActivities();
    return;
  }
  // The appointment shown, wherever a sync has moved it since.
  const store::Outcome outcome = shown_ ? DeleteSameAppointment(app_.files(), *shown_)
                                        : DeleteAppointment(app_.files(), id_->text());
  if (outcome.refused()) ShowMessage(outcome.reason());
  FillActivities();
}

void ActivitiesWindow::ViewSchedule() {
  DayScheduleWindow& schedule = app_.DaySchedule();
  schedule_ = &schedule;
  OpenToolWindow(schedule);
  schedule.SetDate(Date());
  schedule.FillDaySchedule();
}

void ActivitiesWindow::Ok() {
  app_.MonthCalendar().MarkMonthCalendar();
  hide();
}

}  // namespace quorvel
