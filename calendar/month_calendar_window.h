// The month calendar: one month of days, Sunday first, with a red disc on
// every day that has an appointment and a blue one on every birthday.
#pragma once

#include <QCalendarWidget>
#include <QDate>
#include <QWidget>

#include "items/appointment_file.h"

class QPushButton;

namespace quorvel {

class Organiser;

// Object names of the month calendar and its controls.
namespace month_calendar_names {
inline constexpr char kWindow[] = "Form1";
inline constexpr char kCalendar[] = "Calendar1";           // the month's day grid
inline constexpr char kBirthdayMark[] = "Picture1(0)";     // the legend's birthday disc
inline constexpr char kAppointmentMark[] = "Picture2(0)";  // and its appointment disc
inline constexpr char kLegend[] = "Picture3";              // the words beside those two marks
inline constexpr char kRepeatingMark[] = "Picture4(0)";    // the legend's ring of a repeating event
inline constexpr char kAllDayMark[] = "Picture4(1)";       // the legend's band of an all-day event
inline constexpr char kEventsLegend[] = "Picture5";        // the words beside those two marks
inline constexpr char kMonthArrows[] = "UpDown1";          // holds the two arrows below
inline constexpr char kPreviousMonth[] = "Down";
inline constexpr char kNextMonth[] = "Up";
inline constexpr char kClose[] = "Command1";
}  // namespace month_calendar_names

// The month view. Marks are drawn into the day cells of the shown month:
// the birthday disc at the cell's upper left, the appointment disc to its
// right.
class MonthCalendarView : public QCalendarWidget {
  Q_OBJECT

 public:
  explicit MonthCalendarView(QWidget* parent = nullptr);

  // Marks of the month `year`/`month`; other months' cells carry none.
  void SetMarks(int year, int month, const MonthMarks& marks);
  const MonthMarks& marks() const { return marks_; }

 protected:
  void paintCell(QPainter* painter, const QRect& rect, QDate date) const override;
  void changeEvent(QEvent* event) override;

 private:
  // Qt draws the weekend's day names in plain red, which is hard to read on
  // a dark header (about 3:1) and short of 4.5:1 even on white.
  void KeepWeekendNamesReadable();

  int year_ = 0;
  int month_ = 0;
  MonthMarks marks_;
};

class MonthCalendarWindow : public QWidget {
  Q_OBJECT

 public:
  explicit MonthCalendarWindow(Organiser& app);

  // Re-reads the shown month's marks, refreshes the today indicator and
  // resets the Activities window's lists.
  void MarkMonthCalendar();
  // Re-reads the shown month's marks and the today indicator only, leaving
  // the Activities window as it is (after a change made elsewhere).
  void RefreshMarks();
  QDate SelectedDate() const;

  // Steps the shown month back or forward by one, to its first day.
  void StepMonth(int months);

  // Cells are numbered 1 to 42 row by row from the top left; day d of the
  // shown month lies in cell f + d, f being the weekday of day 1
  // (Monday 1 … Sunday 7).
  int FirstDayOffset() const;
  bool HasAppointmentMark(int cell) const;
  bool HasBirthdayMark(int cell) const;

  MonthCalendarView& calendar() { return *calendar_; }

  // Opens the Activities window for `date`, as a double-click on it does.
  void OpenActivitiesFor(const QDate& date);

 protected:
  void changeEvent(QEvent* event) override;

 private:
  // The legend's marks, drawn for the palette as it is now.
  void PaintLegend();

  // Whether the marks shown are those of the files as they are now, for
  // the month shown and today.
  bool MarksCurrent() const;

  Organiser& app_;
  MonthCalendarView* calendar_;
  bool marking_ = false;
  // What the marks were last read from: the files, the month and today.
  store::FilesSeen marked_seen_;
  int marked_year_ = 0;
  int marked_month_ = 0;
  QDate marked_today_;
};

}  // namespace quorvel
