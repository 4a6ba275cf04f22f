// The pop-up that reminds of an appointment about to begin.
#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace quorvel {

class Organiser;
struct ReminderRow;

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
