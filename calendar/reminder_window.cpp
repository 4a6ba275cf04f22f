#include "calendar/reminder_window.h"

#include "app/application.h"

namespace quorvel {

ReminderWindow::ReminderWindow(Application& app) : app_(app) { setObjectName(QStringLiteral("Form8")); }


}  // namespace quorvel
