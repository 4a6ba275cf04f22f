#include "app/main_window.h"

#include "app/application.h"

namespace quorvel {

MainWindow::MainWindow(Application& app) : app_(app) { setObjectName(QStringLiteral("Form")); }

void MainWindow::ShowTodayIndicator(bool visible) { (void)visible; }

}  // namespace quorvel
