#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

int main(int argc, char** argv) {
  // Off screen, except while the pictures of the windows are taken on an X
  // server (tests/screens_test.cpp): a picture of the screen itself shows
  // only the windows the X server has.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    const bool on_x =
        !qEnvironmentVariableIsEmpty("QUORVEL_SCREENS") && !qEnvironmentVariableIsEmpty("DISPLAY");
    qputenv("QT_QPA_PLATFORM", on_x ? "xcb" : "offscreen");
  }
  // The automatic backups (and anything else kept in the account's data
  // location) go to a folder of this run, never the account's own.
  QTemporaryDir data_home;
  qputenv("XDG_DATA_HOME", data_home.path().toLocal8Bit());
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
