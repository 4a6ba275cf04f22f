#include "calendar/activities_window.h"

#include "app/application.h"

namespace quorvel {

ActivitiesWindow::ActivitiesWindow(Application& app) : app_(app) { setObjectName(QStringLiteral("Form4")); }

void ActivitiesWindow::FillActivities() {}

}  // namespace quorvel
