// The day schedule: the Activities window's appointments as bars on a
// half-hour time line from 07:00 to 24:00, with the day's total occupation;
// the day's all-day events are listed above them.
#pragma once

#include <QDate>
#include <QWidget>

class QTableWidget;

namespace quorvel {

class Organiser;
class DateBox;

// Object names of the Day Schedule window and its controls.
namespace day_schedule_names {
inline constexpr char kWindow[] = "Form6";
inline constexpr char kGrid[] = "MSFlexGrid1";  // the appointments against the hours
inline constexpr char kDate[] = "DTPicker1";
inline constexpr char kOk[] = "Command1";
}  // namespace day_schedule_names

class DayScheduleWindow : public QWidget {
  Q_OBJECT

 public:
  explicit DayScheduleWindow(Organiser& app);

  // Refills the grid and the caption from the Activities window.
  void FillDaySchedule();

  // The date shown; setting it does not refill anything.
  QDate Date() const;
  void SetDate(const QDate& date);

  // The 34 half-hours the columns 1 to 34 stand for, "07:00" … "23:30".
  static QStringList TimeLabels();

  static const QColor kBusy;          // an appointment's half-hours
  static const QColor kOccupied;      // one appointment in the total row
  static const QColor kOverbooked;    // two or more
  static const QColor kTotalCaption;  // the total row's caption cell

 private:
  Organiser& app_;
  QTableWidget* grid_;
  DateBox* date_;
};

}  // namespace quorvel
