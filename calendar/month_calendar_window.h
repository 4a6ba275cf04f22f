#pragma once

#include <QDate>
#include <QWidget>

namespace quorvel {

class Application;

class MonthCalendarWindow : public QWidget {
  Q_OBJECT

 public:
  explicit MonthCalendarWindow(Application& app);

  // Re-reads the shown month's marks, refreshes the today indicator and
  // resets the Activities window's lists.
  void MarkMonthCalendar();
  QDate SelectedDate() const;

 private:
  Application& app_;
};

}  // namespace quorvel
