#include "help/help_topics_window.h"

#include "app/application.h"

namespace quorvel {

HelpTopicsWindow::HelpTopicsWindow(Application& app) : app_(app) { setObjectName(QStringLiteral("Form12")); }


}  // namespace quorvel
