#include "app/splash_window.h"

#include "app/application.h"

namespace quorvel {

SplashWindow::SplashWindow(Application& app) : app_(app) { setObjectName(QStringLiteral("frmSplash")); }


}  // namespace quorvel
