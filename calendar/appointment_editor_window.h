// The appointment editor: enters a new appointment or changes the selected
// one, then returns to the Activities window.
#pragma once

#include <optional>

#include <QDate>
#include <QWidget>

#include "events/occurrences.h"
#include "events/repeat.h"
#include "items/appointment_file.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QGroupBox;
class QPlainTextEdit;
class QPushButton;

namespace quorvel {

class Organiser;
class NamedComboBox;
class RepeatPanel;

// Object names of the appointment editor and its controls (the repeat
// panel's in appointment_repeat_panel.h).
namespace appointment_editor_names {
inline constexpr char kWindow[] = "Form5";
inline constexpr char kFrame[] = "Frame1";  // around everything but OK
inline constexpr char kSubject[] = "Text4";
inline constexpr char kStart[] = "Combo1";  // the start time
inline constexpr char kStartCaption[] = "Label2";
inline constexpr char kEnd[] = "Combo2";
inline constexpr char kEndCaption[] = "Label3";
inline constexpr char kReminder[] = "Check1";  // whether it reminds
inline constexpr char kMinutes[] = "Text2";    // the minutes before it that it reminds
inline constexpr char kMinutesCaption[] = "Label4";
inline constexpr char kAllDay[] = "Check2";
inline constexpr char kRepeatsCaption[] = "Label5";
inline constexpr char kRepeats[] = "Combo3";  // never, daily, weekly, monthly, yearly
inline constexpr char kDescription[] = "Text1";
inline constexpr char kOk[] = "Command2";
inline constexpr char kId[] = "Text3";  // hidden: the appointment's ID
}  // namespace appointment_editor_names

class AppointmentEditorWindow : public QWidget {
  Q_OBJECT

 public:
  explicit AppointmentEditorWindow(Organiser& app);

  // Prepares the editor for a new appointment with `id`: default texts,
  // empty times; the Reminder box keeps its last state.
  void OpenForAdd(const QString& id);
  // Prepares the editor with the values of a stored appointment.
  void OpenForEdit(const Appointment& appointment);
  // The same with `shown` in the boxes, for the appointment `stored` (as
  // read from the file) which OK changes, wherever it is by then.
  void OpenForEdit(const Appointment& shown, const Appointment& stored);

  // Prepares the editor with an occurrence of a kept event; OK changes the
  // whole series (`whole_series`) or that occurrence on its own.
  void OpenForOccurrence(const events::Occurrence& occurrence, bool whole_series);

  // The seven values as they stand in the controls.
  Appointment Values() const;

  // Checks the input, stores it and returns to the Activities window.
  void Ok();

  // How the appointment repeats as the controls stand.
  events::Repeat Repetition() const;

  static QStringList StartTimes();
  static QStringList EndTimes();

  static constexpr int kSubjectLimit = quorvel::kSubjectLimit;
  static constexpr int kDescriptionBoxLimit = quorvel::kDescriptionBoxLimit;
  static constexpr int kTimeLimit = 5;
  static constexpr int kMinutesLimit = quorvel::kMinutesLimit;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void Reset();
  // Offers to keep the edit as a new appointment when the one opened was
  // changed or deleted meanwhile; true when the editor is done.
  bool KeepAsNew(const Appointment& edited);
  void ReturnToActivities();
  void ShowReminderMinutes(bool shown);
  void LimitDescription();
  // Places the rows below the Repeats box and sizes the window to them.
  void Relayout();
  void ShowAllDay(bool all_day);
  // A repeating or all-day appointment, kept as an event.
  void OkEvent();
  // Whether `a` has a start and an end, the end after the start; says
  // what is wrong when not. Every kind of appointment is checked so, first.
  bool TimesStated(const Appointment& a);
  // The kept event opened changed as the controls say.
  void OkOccurrence();

  Organiser& app_;
  QLineEdit* subject_;
  QComboBox* start_;
  QComboBox* end_;
  QCheckBox* reminder_;
  QLineEdit* minutes_;
  QLabel* minutes_label_;
  QPlainTextEdit* description_;
  QCheckBox* all_day_;
  NamedComboBox* repeats_;
  RepeatPanel* repeat_panel_;
  QGroupBox* frame_;
  QPushButton* ok_;
  QLineEdit* id_;
  QString last_description_;
  // The appointment being edited as it was read from the file, or the day
  // of the one being added.
  std::optional<Appointment> opened_;
  QDate day_;
  // The occurrence of a kept event being edited, and how it repeated.
  std::optional<events::Occurrence> occurrence_;
  bool whole_series_ = false;
  events::Repeat shown_repeat_;
};

}  // namespace quorvel
