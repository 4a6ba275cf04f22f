// How Quorvel behaves as a desktop application: the About box names the
// data folder.
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "app/main_window.h"
#include "app/splash_window.h"
#include "test_support.h"

namespace quorvel::testing {
namespace {

using DesktopTest = AppFixture;

TEST_F(DesktopTest, AboutBoxNamesTheDataFolderButTheStartingSplashDoesNot) {
  SplashWindow& splash = app_->Splash();
  splash.SetCloseVisible(false);
  splash.show();
  auto* folder = splash.findChild<QLabel*>(QStringLiteral("lblDataFolder"));
  ASSERT_NE(folder, nullptr);
  EXPECT_FALSE(folder->isVisible());

  splash.SetCloseVisible(true);
  EXPECT_TRUE(folder->isVisible());
  EXPECT_TRUE(splash.findChild<QLabel*>(QStringLiteral("lblDataFolderCaption"))->isVisible());
  EXPECT_EQ(folder->toolTip(), QDir::toNativeSeparators(dir_.path()));
  // A long path is shortened in the middle to fit; the tool tip holds it all.
  EXPECT_LE(folder->fontMetrics().horizontalAdvance(folder->text()), folder->width());
  EXPECT_TRUE(folder->text().endsWith(QDir(dir_.path()).dirName()));
  if (!qEnvironmentVariableIsEmpty("QUORVEL_SHOTS")) {
    splash.grab().save(qEnvironmentVariable("QUORVEL_SHOTS") + QStringLiteral("/about.png"));
  }
}

}  // namespace
}  // namespace quorvel::testing
