#include "help/help_page_window.h"

#include "app/application.h"

namespace quorvel {

HelpPageWindow::HelpPageWindow(Application& app) : app_(app) { setObjectName(QStringLiteral("Form13")); }


}  // namespace quorvel
