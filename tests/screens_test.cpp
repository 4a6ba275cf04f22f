// Pictures of the windows for a person to look at, in the light palette or
// a dark one. Disabled in ordinary test runs; to take them:
//
//   QUORVEL_SCREENS=/tmp/shots [QUORVEL_SCREENS_DARK=1] [QT_SCALE_FACTOR=2]
//     [QUORVEL_SCREENS_LANGUAGE=de]
//     xvfb-run -a -s '-screen 0 1280x900x24' build/tests/quorvel_tests
//     --gtest_also_run_disabled_tests --gtest_filter='Screens.*'
//
// With QUORVEL_SCREENS and a display the windows go to the X server (not
// off screen, as in the other tests), so that its own picture shows them.
#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QStyleFactory>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QTranslator>

#include "addressbook/address_editor_window.h"
#include "app/restore_window.h"
#include "backups/backups.h"
#include "every_window.h"
#include "test_support.h"
#include "ui/ui.h"

namespace quorvel::testing {
namespace {

class Screens : public SeamsFixture {};

TEST_F(Screens, DISABLED_EveryChangedWindow) {
  const QString out = qEnvironmentVariable("QUORVEL_SCREENS");
  ASSERT_FALSE(out.isEmpty());
  QDir().mkpath(out);
  const QPalette original = QApplication::palette();
  if (qEnvironmentVariableIsSet("QUORVEL_SCREENS_DARK")) {
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(DarkPalette());
  }
  const QLocale original_locale;
  QTranslator translator;
  const QString language = qEnvironmentVariable("QUORVEL_SCREENS_LANGUAGE");
  if (!language.isEmpty()) {
    ASSERT_TRUE(translator.load(QStringLiteral(":/i18n/quorvel_%1.qm").arg(language)));
    QCoreApplication::installTranslator(&translator);
    QLocale::setDefault(QLocale(language));
  }
  now_ = QDateTime(QDate(2026, 1, 7), QTime(9, 45));
  auto app = std::make_unique<Application>();
  app->SetProcessEnd([] {});
  app->OpenDataIn(dir_.path());
  StoreSampleData(app->files());
  VisitEveryWindow(*app, [&](QWidget& window, const char* name) {
    window.grab().save(out + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png"));
  });
  AddressEditorWindow& editor = app->AddressEditor();

  // The message box as the program shows it, over its window.
  SetMessageSink({});
  QTimer::singleShot(300, [&] {
    if (QWidget* box = QApplication::activeModalWidget()) {
      box->grab().save(out + QStringLiteral("/message_box.png"));
      box->close();
    }
  });
  OpenToolWindow(editor);
  ShowMessage(QStringLiteral("You need to supply a Surname!"));
  app.reset();
  QApplication::setPalette(original);
  QCoreApplication::removeTranslator(&translator);
  QLocale::setDefault(original_locale);
}

// The Restore window over two backups, taken from the X server itself
// ("import -window root") as well as rendered.
TEST_F(Screens, DISABLED_RestoreWindow) {
  const QString out = qEnvironmentVariable("QUORVEL_SCREENS");
  ASSERT_FALSE(out.isEmpty());
  QDir().mkpath(out);
  const QPalette original = QApplication::palette();
  if (qEnvironmentVariableIsSet("QUORVEL_SCREENS_DARK")) {
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(DarkPalette());
  }
  QTranslator translator;
  const QString language = qEnvironmentVariable("QUORVEL_SCREENS_LANGUAGE");
  if (!language.isEmpty()) {
    ASSERT_TRUE(translator.load(QStringLiteral(":/i18n/quorvel_%1.qm").arg(language)));
    QCoreApplication::installTranslator(&translator);
    QLocale::setDefault(QLocale(language));
  }
  auto app = std::make_unique<Application>();
  app->SetProcessEnd([] {});
  app->OpenDataIn(dir_.path());
  StoreSampleData(app->files());
  backups::TakeAutomaticBackup(app->files(), app->BackupsFolder(), backups::Reason::kDaily,
                               QDateTime(QDate(2026, 1, 6), QTime(8, 0)));
  backups::TakeAutomaticBackup(app->files(), app->BackupsFolder(), backups::Reason::kImport,
                               QDateTime(QDate(2026, 1, 7), QTime(9, 12)));
  RestoreWindow& window = app->Restore();
  OpenToolWindow(window);
  CentreOnScreen(window);
  EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
  for (int i = 0; i < 20; ++i) {
    QApplication::processEvents();
    QThread::msleep(20);
  }
  window.grab().save(out + QStringLiteral("/restore.png"));
  // Off screen there is nothing on the X server to take: its picture
  // would be black.
  if (QGuiApplication::platformName() == QLatin1String("xcb")) {
    QProcess::execute(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"),
                                                 out + QStringLiteral("/restore_root.png")});
  } else {
    ADD_FAILURE() << "the screen's own picture needs an X server: run under xvfb-run";
  }
  app.reset();
  QApplication::setPalette(original);
  QCoreApplication::removeTranslator(&translator);
}

}  // namespace
}  // namespace quorvel::testing
