#include "calendar/month_calendar_window.h"

#include "app/application.h"

namespace quorvel {

MonthCalendarWindow::MonthCalendarWindow(Application& app) : app_(app) { setObjectName(QStringLiteral("Form1")); }

void MonthCalendarWindow::MarkMonthCalendar() { app_.UpdateTodayIndicator(); }

QDate MonthCalendarWindow::SelectedDate() const { return QDate::currentDate(); }

}  // namespace quorvel
