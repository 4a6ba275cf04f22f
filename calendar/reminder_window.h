// The pop-up that reminds of an appointment about to begin.
#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace quorvel {

class Organiser;
struct ReminderRow;

// Object names of the reminder and its controls.
namespace reminder_names {
inline constexpr char kWindow[] = "Form8";
inline constexpr char kIntro[] = "Label1";  // "You have a meeting in"
inline constexpr char kLead[] = "Label2";   // the minutes left
inline constexpr char kMinutesWord[] = "Label3";
inline constexpr char kSubjectCaption[] = "Label4";
inline constexpr char kSubject[] = "Label7(0)";
inline constexpr char kStartCaption[] = "Label5";
inline constexpr char kStart[] = "Label7(1)";
inline constexpr char kEndCaption[] = "Label6";
inline constexpr char kEnd[] = "Label7(2)";
inline constexpr char kOk[] = "Command1";
}  // namespace reminder_names

class ReminderWindow : public QWidget {
  Q_OBJECT

 public:
  explicit ReminderWindow(Organiser& app);

  // Fills the pop-up from `row` and shows it without blocking, in front.
  void ShowReminder(const ReminderRow& row);

 private:
  Organiser& app_;
  QLabel* lead_ = nullptr;     // Label2
  QLabel* subject_ = nullptr;  // Label7(0)
  QLabel* start_ = nullptr;    // Label7(1)
  QLabel* end_ = nullptr;      // Label7(2)
  QPushButton* ok_ = nullptr;  // Command1
};

}  // namespace quorvel
