#include "calendar/appointment_editor_window.h"

#include "app/application.h"

namespace quorvel {

AppointmentEditorWindow::AppointmentEditorWindow(Application& app) : app_(app) { setObjectName(QStringLiteral("Form5")); }


}  // namespace quorvel
