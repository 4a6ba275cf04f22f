#include "calendar/day_schedule_window.h"

#include "app/application.h"

namespace quorvel {

DayScheduleWindow::DayScheduleWindow(Application& app) : app_(app) { setObjectName(QStringLiteral("Form6")); }


}  // namespace quorvel
