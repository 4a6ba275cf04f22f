// Activities: one day's appointments, the details of the selected one, and
// the day's birthdays from the address book. The occurrences of the events
// kept in Events.dat are listed among the appointments: the all-day ones
// first, each timed one before the first appointment starting after it.
#pragma once

#include <optional>
#include <vector>

#include <QDate>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include "events/occurrences.h"
#include "items/appointment_file.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace quorvel {

class Organiser;
class DateBox;
class DayScheduleWindow;

// Object names of the Activities window and its controls.
namespace activities_names {
inline constexpr char kWindow[] = "Form4";
inline constexpr char kDate[] = "DTPicker1";
inline constexpr char kViewSchedule[] = "Command6";
inline constexpr char kAppointmentsFrame[] = "Frame1";
inline constexpr char kAppointments[] = "Combo3";  // the day's appointments and events
inline constexpr char kAdd[] = "Command3";
inline constexpr char kDelete[] = "Command4";
inline constexpr char kEdit[] = "Command5";
inline constexpr char kStart[] = "Text4";  // the chosen appointment's start time
inline constexpr char kStartCaption[] = "Label2";
inline constexpr char kEnd[] = "Text5";
inline constexpr char kEndCaption[] = "Label3";
inline constexpr char kReminder[] = "Check1";  // whether it reminds
inline constexpr char kReminderCaption[] = "Label1";
inline constexpr char kMinutes[] = "Text2";  // the minutes before it that it reminds
inline constexpr char kMinutesCaption[] = "Label4";
inline constexpr char kDescription[] = "Text1";
inline constexpr char kMemosFrame[] = "Frame2";
inline constexpr char kMemos[] = "Combo4";  // the day's birthdays
inline constexpr char kOk[] = "Command1";
inline constexpr char kId[] = "Text3";           // hidden: the chosen appointment's ID
inline constexpr char kStartTimes[] = "Combo1";  // hidden: the listed appointments' starts
inline constexpr char kEndTimes[] = "Combo2";    // hidden: and their ends
}  // namespace activities_names

class ActivitiesWindow : public QWidget {
  Q_OBJECT

 public:
  explicit ActivitiesWindow(Organiser& app);

  // Fills the window for the date in its date picker.
  void FillActivities();
  // Shows the details of the appointment selected in the subject list.
  void ShowSelectedAppointment();
  // Empties the lists and details, as for a day with nothing on it.
  void ResetActivities();
  // Shows what the files hold now (after a sync, an import or another
  // window's change), keeping the chosen appointment when it is still
  // stored, and the day schedule with it. A window emptied by
  // ResetActivities stays empty.
  void Refresh();

  // The date shown; setting it does not refill the window.
  QDate Date() const;
  void SetDate(const QDate& date);

  // Puts the keyboard focus where the user starts: the subject list when
  // the day has appointments, otherwise Add.
  void FocusStart();
  // Chooses the appointment with `ordinal` (from 1) in the subject list and
  // shows its details, the list focused; nothing when the day has no such
  // appointment.
  void ChooseAppointment(int ordinal);

  // The listed appointments: item i of each list is the appointment with
  // ordinal i + 1 of the date, trimmed of leading and trailing spaces.
  // The occurrences listed beside them are not among these.
  QStringList Subjects() const;
  QStringList StartTimes() const;
  QStringList EndTimes() const;

  // The occurrences listed for the date, by start.
  const std::vector<events::Occurrence>& DayOccurrences() const { return occurrences_; }
  // The occurrence chosen in the list, if one is.
  std::optional<events::Occurrence> ChosenOccurrence() const;
  // Chooses the listed occurrence `instance` of event `uid` and shows its
  // details, the list focused; false when the date lists no such one.
  bool ChooseOccurrence(const QString& uid, const QString& instance);
  // What the list shows, item by item.
  QStringList ListedItems() const;

  // One listed item as the day schedule draws it.
  struct ListedRow {
    QString subject;  // as the list shows it
    QString heard;    // as a screen reader reads it
    QString start;    // "HH:MM", cut to the day
    QString end;
    bool all_day = false;
  };
  // The listed items in list order.
  const std::vector<ListedRow>& ListedRows() const { return rows_; }

  // Whether the appointment editor opened from here is still open; the
  // editor reports its return.
  bool EditorOpen() const { return editor_open_; }
  void EditorClosed() { editor_open_ = false; }

 private:
  void ShowReminderMinutes(bool shown);
  void ShowAppointment(const Appointment& appointment);
  void ShowOccurrence(const events::Occurrence& occurrence);
  // Chooses and shows the occurrence, leaving the focus where it is.
  bool SelectOccurrence(const QString& uid, const QString& instance);
  void ListDay(const DayAppointments& day);
  int IndexOfOrdinal(int ordinal) const;
  // The listed occurrence at list index `index`, or null for an appointment.
  const events::Occurrence* OccurrenceAt(int index) const;
  void Add();
  void Edit();
  void Delete();
  void ViewSchedule();
  void Ok();

  Organiser& app_;
  DateBox* date_;
  QComboBox* subjects_;
  QComboBox* starts_;
  QComboBox* ends_;
  QComboBox* birthdays_;
  QLineEdit* start_;
  QLineEdit* end_;
  QCheckBox* reminder_;
  QLineEdit* minutes_;
  QLabel* minutes_label_;
  QPlainTextEdit* description_;
  QLineEdit* id_;
  QPushButton* delete_;
  QPushButton* edit_;
  QPushButton* add_;
  bool editor_open_ = false;
  bool filled_ = false;  // by FillActivities, since the last reset
  // What the files held, and the date, when it last filled.
  store::FilesSeen filled_seen_;
  QDate filled_date_;
  // The appointment in the details as read from the file: what Edit and
  // Delete act on, wherever it has moved since.
  std::optional<Appointment> shown_;
  QPointer<DayScheduleWindow> schedule_;  // once View Schedule opened it
  QStringList subjects_listed_;           // the appointments' subjects, by ordinal
  std::vector<events::Occurrence> occurrences_;
  // Item i of the list: the appointment's ordinal, or -1 - the index of
  // its occurrence in occurrences_.
  std::vector<int> items_;
  std::vector<ListedRow> rows_;  // item by item, as the day schedule draws them
};

// A description as a text box shows it (line feeds) and as it is stored
// (carriage return and line feed).
QString DescriptionForDisplay(const QString& stored);
QString DescriptionForStorage(const QString& shown);

}  // namespace quorvel
