#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include "addressbook/address_book_window.h"
#include "app/main_window.h"
#include "app/splash_window.h"
#include "app/startup.h"
#include "calendar/month_calendar_window.h"
#include "help/help_topics_window.h"
#include "notes/notes_window.h"
#include "test_support.h"
#include "ui/picture.h"
#include "ui/ui.h"

namespace quorvel::testing {
namespace {

using store::Channel;

// Stores appointments with the given IDs as the whole appointment file.
void SeedAppointments(store::DataFiles& files, const QStringList& ids) {
  store::Operation op(files);
  for (int k = 0; k < ids.size(); ++k) {
    op.WriteText(Channel::kAppoint, store::FieldRecord(Channel::kAppoint, k, 1), ids[k]);
  }
  op.WriteCount(Channel::kAppoint, static_cast<int>(ids.size()));
  ASSERT_TRUE(op.Commit().stored());
}

TEST(SplashWaitTest, LastsUntilTheRoundedSecondPlusTwo) {
  EXPECT_EQ(SplashWaitMs(QTime(8, 0, 0, 0)), 2000);
  EXPECT_EQ(SplashWaitMs(QTime(8, 0, 0, 499)), 1501);
  EXPECT_EQ(SplashWaitMs(QTime(8, 0, 0, 501)), 2499);
  // Halves go to the even second: 28800.5 -> 28800, 28801.5 -> 28802.
  EXPECT_EQ(SplashWaitMs(QTime(8, 0, 0, 500)), 1500);
  EXPECT_EQ(SplashWaitMs(QTime(8, 0, 1, 500)), 2500);
  // Just before midnight the wait is as long as at any other time.
  EXPECT_EQ(SplashWaitMs(QTime(23, 59, 59, 700)), 2300);
  EXPECT_EQ(SplashWaitMs(QTime(23, 59, 59, 999)), 2001);
}

class StartTest : public SeamsFixture {
 protected:
  void SetUp() override {
    SeamsFixture::SetUp();
    previous_dir_ = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir_.path()));
    now_ = QDateTime(QDate(2026, 1, 7), QTime(8, 0, 0, 499));
    app_ = std::make_unique<Application>();
    app_->SetProcessEnd([this] { ended_ = true; });
  }
  void TearDown() override {
    app_.reset();
    QDir::setCurrent(previous_dir_);
    SeamsFixture::TearDown();
  }

  QString previous_dir_;
  std::unique_ptr<Application> app_;
  bool ended_ = false;
};

TEST_F(StartTest, FirstStartShowsTheSplashCreatesTheFilesThenShowsTheMainWindow) {
  struct Seen {
    bool checked = false, splash_visible = false, close_hidden = false, main_visible = true;
    bool files_there = false, splash_closable = true;
  } seen;
  QTimer::singleShot(300, [&] {
    seen.checked = true;
    SplashWindow& splash = app_->Splash();
    seen.splash_visible = splash.isVisible();
    seen.close_hidden =
        splash.findChild<QPushButton*>(QLatin1String(splash_names::kClose))->isHidden();
    seen.main_visible = app_->Main().isVisible();
    seen.files_there = QFile::exists(Path("Appoint.dat"));
    // Nothing may close the splash while the program starts.
    seen.splash_closable = splash.close();
  });

  QElapsedTimer timer;
  timer.start();
  app_->Start();
  const qint64 took = timer.elapsed();

  EXPECT_TRUE(seen.checked);
  EXPECT_TRUE(seen.splash_visible);
  EXPECT_TRUE(seen.close_hidden);
  EXPECT_FALSE(seen.main_visible);
  EXPECT_TRUE(seen.files_there);
  EXPECT_FALSE(seen.splash_closable);

  EXPECT_GE(took, 1501);
  EXPECT_LT(took, 2400);
  ASSERT_TRUE(app_->HasSplash());
  EXPECT_FALSE(app_->Splash().isVisible());
  EXPECT_FALSE(
      app_->Splash().findChild<QPushButton*>(QLatin1String(splash_names::kClose))->isHidden());
  EXPECT_TRUE(app_->Main().isVisible());
  EXPECT_TRUE(app_->Main()
                  .findChild<QWidget*>(QLatin1String(main_window_names::kTodayIndicator))
                  ->isHidden());

  EXPECT_EQ(QFileInfo(Path("Appoint.dat")).size(), 1024);
  EXPECT_EQ(QFileInfo(Path("Notes.dat")).size(), 1500);
  EXPECT_EQ(QFileInfo(Path("AddBook.dat")).size(), 2048);
  EXPECT_EQ(FileBytes(Path("PhotoF.dat")),
            QByteArray::fromHex("0400") + "none" + QByteArray(122, '\0'));
  for (Channel channel : store::kAllChannels) EXPECT_TRUE(app_->files().IsOpen(channel));
}

TEST_F(StartTest, StartWithTodaysAppointmentShowsTheIndicatorAndKeepsTheData) {
  {
    store::DataFiles files;
    files.SetDataDir(dir_.path());
    files.OpenDataFiles();
    SeedAppointments(files, {QStringLiteral("20260106-1"), QStringLiteral("20260107-1")});
  }
  const QByteArray before = FileBytes(Path("Appoint.dat"));
  app_->Start();
  EXPECT_TRUE(app_->Main()
                  .findChild<QWidget*>(QLatin1String(main_window_names::kTodayIndicator))
                  ->isVisible());
  EXPECT_EQ(FileBytes(Path("Appoint.dat")), before);
}

class MainWindowTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    main_ = &app_->Main();
    main_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main_));
  }
  template <class T = QWidget>
  T* Child(const char* name) {
    T* child = main_->findChild<T*>(QLatin1String(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
  }
  QAction* MenuItem(const char* name) {
    return main_->FileMenu().findChild<QAction*>(QLatin1String(name));
  }
  static void Flush() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

  MainWindow* main_ = nullptr;
};

TEST_F(MainWindowTest, ControlsSitAtTheirPlacesWithTipsAndStackFrontToBack) {
  EXPECT_EQ(main_->objectName(), QLatin1String(main_window_names::kWindow));
  EXPECT_EQ(main_->windowTitle(), QStringLiteral("Quorvel"));
  EXPECT_EQ(main_->size(), QSize(336, 335));
  EXPECT_EQ(main_->minimumSize(), main_->maximumSize());
  EXPECT_FALSE(main_->windowFlags() &
               (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));

  struct Expected {
    const char* name;
    QRect twips;
    const char* tip;
  };
  const Expected expected[] = {
      {main_window_names::kWorkSurface, QRect(120, 240, 4695, 2175), ""},
      {main_window_names::kCalendarPicture, QRect(1680, 1200, 1575, 1095), "Calendar"},
      {main_window_names::kCalendarIcon, QRect(2880, 840, 480, 600), "Calendar"},
      {main_window_names::kTodayIndicator, QRect(2520, 960, 480, 465),
       "You have an appointment today!"},
      {main_window_names::kTelephone, QRect(3480, 1320, 1215, 540), "Contacts"},
      {main_window_names::kContactsCard, QRect(4080, 480, 600, 600), "Contacts"},
      {main_window_names::kClipboard, QRect(360, 960, 735, 900), "Notes"},
      {main_window_names::kFileTab, QRect(240, 120, 840, 600), "File"},
      {main_window_names::kCabinet, QRect(120, 2400, 1335, 1455), ""},
      {main_window_names::kDrawer1, QRect(120, 2400, 1335, 495), ""},
      {main_window_names::kDrawer2, QRect(120, 2880, 1335, 495), ""},
      {main_window_names::kDrawer3, QRect(120, 3360, 1335, 495), ""},
      {main_window_names::kCalendarHandle, QRect(600, 2640, 375, 135), "Calendar"},
      {main_window_names::kAddressBookHandle, QRect(600, 3120, 375, 135), "Address Book"},
      {main_window_names::kNotesHandle, QRect(600, 3600, 375, 135), "Notes"},
      {main_window_names::kCalendarPlate, QRect(240, 2520, 855, 255), ""},
      {main_window_names::kContactsPlate, QRect(240, 3000, 855, 255), ""},
      {main_window_names::kNotesPlate, QRect(240, 3480, 855, 255), ""},
      {main_window_names::kBookcase, QRect(3480, 2400, 1335, 1455), ""},
  };
  for (const Expected& e : expected) {
    QWidget* widget = Child(e.name);
    ASSERT_NE(widget, nullptr);
    const QRect& t = e.twips;
    EXPECT_EQ(widget->geometry(), TwipsRect(t.x(), t.y(), t.width(), t.height())) << e.name;
    EXPECT_EQ(widget->toolTip(), QLatin1String(e.tip)) << e.name;
    if (*e.tip != '\0') {
      EXPECT_EQ(widget->accessibleName(), QLatin1String(e.tip)) << e.name;
    }
  }
  const std::pair<const char*, const char*> plates[] = {
      {main_window_names::kCalendarPlate, "Calendar"},
      {main_window_names::kContactsPlate, "Contacts"},
      {main_window_names::kNotesPlate, "Notes"}};
  for (const auto& [name, text] : plates) {
    EXPECT_EQ(Child<QLabel>(name)->text(), QLatin1String(text)) << name;
    EXPECT_EQ(Child<QLabel>(name)->accessibleName(), QLatin1String(text)) << name;
    EXPECT_TRUE(Child<QLabel>(name)->font().bold()) << name;
  }

  // Sibling order is drawing order: later siblings are in front.
  const QStringList back_to_front = {
      main_window_names::kCabinet,         main_window_names::kWorkSurface,
      main_window_names::kCalendarPicture, main_window_names::kTelephone,
      main_window_names::kContactsCard,    main_window_names::kCalendarIcon,
      main_window_names::kClipboard,       main_window_names::kFileTab,
      main_window_names::kCalendarPlate,   main_window_names::kContactsPlate,
      main_window_names::kNotesPlate,      main_window_names::kDrawer3,
      main_window_names::kDrawer2,         main_window_names::kDrawer1,
      main_window_names::kBookcase,        main_window_names::kTodayIndicator,
      main_window_names::kNotesHandle,     main_window_names::kAddressBookHandle,
      main_window_names::kCalendarHandle};
  QStringList actual;
  for (QObject* child : main_->children()) {
    if (child->isWidgetType() && !qobject_cast<QMenu*>(child)) actual << child->objectName();
  }
  EXPECT_EQ(actual, back_to_front);

  auto* timer = main_->findChild<QTimer*>(QLatin1String(main_window_names::kTimer));
  ASSERT_NE(timer, nullptr);
  EXPECT_EQ(timer->interval(), 60000);
  EXPECT_EQ(timer->timerType(), Qt::PreciseTimer);
  EXPECT_TRUE(timer->isActive());
  EXPECT_FALSE(timer->isSingleShot());
}

TEST_F(MainWindowTest, TodayIndicatorShowsExactlyWhileTodayHasAnAppointment) {
  auto* indicator = Child(main_window_names::kTodayIndicator);
  app_->UpdateTodayIndicator();
  EXPECT_FALSE(indicator->isVisible());

  SeedAppointments(files(), {QStringLiteral("20260106-1"), QStringLiteral("20260107-1")});
  app_->UpdateTodayIndicator();
  EXPECT_TRUE(indicator->isVisible());

  now_ = QDateTime(QDate(2026, 1, 8), QTime(0, 0));
  app_->UpdateTodayIndicator();
  EXPECT_FALSE(indicator->isVisible());

  // Groups past the count are stale and do not count.
  now_ = QDateTime(QDate(2026, 1, 7), QTime(23, 59));
  SeedAppointments(files(), {QStringLiteral("20260106-1")});
  app_->UpdateTodayIndicator();
  EXPECT_FALSE(indicator->isVisible());
}

TEST_F(MainWindowTest, FileMenuOpensOnRightButtonReleaseOverTheTabOnly) {
  QMenu& menu = main_->FileMenu();
  EXPECT_EQ(menu.objectName(), QLatin1String(main_window_names::kFileMenu));
  auto* tab = Child(main_window_names::kFileTab);
  const QPoint inside = tab->rect().center();

  QTest::mouseRelease(tab, Qt::LeftButton, {}, inside);
  EXPECT_FALSE(menu.isVisible());
  QTest::mouseRelease(tab, Qt::MiddleButton, {}, inside);
  EXPECT_FALSE(menu.isVisible());
  QTest::mouseRelease(tab, Qt::RightButton, {}, tab->rect().bottomRight() + QPoint(5, 5));
  EXPECT_FALSE(menu.isVisible());
  QTest::mouseRelease(Child(main_window_names::kClipboard), Qt::RightButton, {}, QPoint(5, 5));
  EXPECT_FALSE(menu.isVisible());

  QTest::mouseRelease(tab, Qt::RightButton, {}, inside);
  EXPECT_TRUE(menu.isVisible());
  menu.hide();

  // From the keyboard: the menu key on the focused tab.
  QTest::keyClick(tab, Qt::Key_Menu);
  EXPECT_TRUE(menu.isVisible());
  menu.hide();

  // Items, submenus and separators in order.
  QStringList items;
  for (QAction* action : menu.actions()) {
    items << (action->isSeparator() ? QStringLiteral("-") : action->text());
    if (QMenu* sub = action->menu()) {
      for (QAction* inner : sub->actions()) items << QStringLiteral(">") + inner->text();
    }
  }
  EXPECT_EQ(items,
            QStringList({"View", ">Calendar", ">Address Book", ">Notes", "Import…", "Export…",
                         "Sync…", "Find…", "Remind me when Quorvel is closed", "-", "Undo", "Redo",
                         "Restore…", "-", "Help", ">About", ">Help Topics", "-", "Exit"}));
  for (const char* name :
       {main_window_names::kViewCalendar, main_window_names::kViewAddressBook,
        main_window_names::kViewNotes, main_window_names::kImport, main_window_names::kExport,
        main_window_names::kAbout, main_window_names::kHelpTopics, main_window_names::kExit}) {
    EXPECT_NE(MenuItem(name), nullptr) << name;
  }
  EXPECT_NE(menu.findChild<QMenu*>(QLatin1String(main_window_names::kView)), nullptr);
  EXPECT_NE(menu.findChild<QMenu*>(QLatin1String(main_window_names::kHelp)), nullptr);
}

TEST_F(MainWindowTest, MenuItemsOpenTheirToolWindows) {
  MenuItem(main_window_names::kViewCalendar)->trigger();
  EXPECT_TRUE(app_->MonthCalendar().isVisible());
  MenuItem(main_window_names::kViewAddressBook)->trigger();
  EXPECT_TRUE(app_->AddressBook().isVisible());
  MenuItem(main_window_names::kViewNotes)->trigger();
  EXPECT_TRUE(app_->Notes().isVisible());
  MenuItem(main_window_names::kHelpTopics)->trigger();
  EXPECT_TRUE(app_->HelpTopics().isVisible());
}

TEST_F(MainWindowTest, AboutShowsTheSplashWithCloseAndCloseUnloadsIt) {
  MenuItem(main_window_names::kAbout)->trigger();
  ASSERT_TRUE(app_->HasSplash());
  SplashWindow* splash = &app_->Splash();
  EXPECT_TRUE(splash->isVisible());
  EXPECT_EQ(splash->size(), QSize(387, 216));
  auto* close = splash->findChild<QPushButton*>(QLatin1String(splash_names::kClose));
  ASSERT_NE(close, nullptr);
  EXPECT_TRUE(close->isVisible());
  EXPECT_EQ(splash->findChild<QLabel*>(QLatin1String(splash_names::kProductName))->text(),
            "Quorvel");
  // Pale cyan inside a raised edge on the outermost pixels.
  const QImage look = splash->grab().toImage();
  EXPECT_EQ(look.pixelColor(10, 100), QColor(192, 255, 255));
  EXPECT_EQ(look.pixelColor(0, 100), QColor(255, 255, 255));
  EXPECT_EQ(look.pixelColor(386, 100), QColor(64, 64, 64));
  EXPECT_EQ(look.pixelColor(200, 215), QColor(64, 64, 64));

  QTest::mouseClick(close, Qt::LeftButton);
  Flush();
  EXPECT_FALSE(app_->HasSplash());

  MenuItem(main_window_names::kAbout)->trigger();
  ASSERT_TRUE(app_->HasSplash());
  EXPECT_TRUE(app_->Splash().isVisible());
  EXPECT_TRUE(
      app_->Splash().findChild<QPushButton*>(QLatin1String(splash_names::kClose))->isVisible());

  // Escape works as Close.
  QTest::keyClick(&app_->Splash(), Qt::Key_Escape);
  Flush();
  EXPECT_FALSE(app_->HasSplash());
}

TEST_F(MainWindowTest, ExitAndClosingTheMainWindowCloseTheFilesAndEnd) {
  MenuItem(main_window_names::kExit)->trigger();
  EXPECT_TRUE(ended_);
  for (Channel channel : store::kAllChannels) EXPECT_FALSE(app_->files().IsOpen(channel));

  ended_ = false;
  app_->OpenDataIn(dir_.path());
  app_->Notes().show();  // an open tool window is not asked
  main_->close();
  EXPECT_TRUE(ended_);
  for (Channel channel : store::kAllChannels) EXPECT_FALSE(app_->files().IsOpen(channel));
}

TEST_F(MainWindowTest, HotSpotsRestoreTheOneExistingToolWindow) {
  SeedAppointments(files(), {QStringLiteral("20260107-1")});
  app_->UpdateTodayIndicator();

  MonthCalendarWindow* calendar = &app_->MonthCalendar();
  for (const char* name : {main_window_names::kCalendarPicture, main_window_names::kCalendarIcon,
                           main_window_names::kTodayIndicator}) {
    calendar->showMinimized();
    QTest::mouseDClick(Child(name), Qt::LeftButton);
    EXPECT_EQ(&app_->MonthCalendar(), calendar) << name;
    EXPECT_TRUE(calendar->isVisible()) << name;
    EXPECT_FALSE(calendar->isMinimized()) << name;
  }
  for (const char* name : {main_window_names::kTelephone, main_window_names::kContactsCard}) {
    app_->AddressBook().hide();
    QTest::mouseDClick(Child(name), Qt::LeftButton);
    EXPECT_TRUE(app_->AddressBook().isVisible()) << name;
  }
  QTest::mouseDClick(Child(main_window_names::kClipboard), Qt::LeftButton);
  EXPECT_TRUE(app_->Notes().isVisible());

  // A right double-click opens nothing; the keyboard opens as a double-click.
  app_->Notes().hide();
  QTest::mouseDClick(Child(main_window_names::kClipboard), Qt::RightButton);
  EXPECT_FALSE(app_->Notes().isVisible());
  Child(main_window_names::kClipboard)->setFocus();
  QTest::keyClick(Child(main_window_names::kClipboard), Qt::Key_Return);
  EXPECT_TRUE(app_->Notes().isVisible());
}

class DrawerTest : public MainWindowTest {
 protected:
  struct Step {
    int drawer;
    int step;
    bool command5_visible;
    bool command6_visible;
  };
  void SetUp() override {
    MainWindowTest::SetUp();
    cabinet_ = &main_->Drawers();
    cabinet_->SetStepObserver([this](int drawer, int step) {
      steps_.push_back({drawer, step, !Child(main_window_names::kAddressBookHandle)->isHidden(),
                        !Child(main_window_names::kNotesHandle)->isHidden()});
    });
  }
  void Click(const char* name) { QTest::mouseClick(Child(name), Qt::LeftButton); }
  void ExpectDrawer(int drawer, bool out) {
    const int home = 2400 + 480 * (drawer - 1);
    const int offset = out ? 360 : 0;
    EXPECT_EQ(cabinet_->FrontTop(drawer), home + offset) << drawer;
    EXPECT_EQ(cabinet_->HandleTop(drawer), home + 240 + offset) << drawer;
    const char* const fronts[] = {main_window_names::kDrawer1, main_window_names::kDrawer2,
                                  main_window_names::kDrawer3};
    const char* const handles[] = {main_window_names::kCalendarHandle,
                                   main_window_names::kAddressBookHandle,
                                   main_window_names::kNotesHandle};
    EXPECT_EQ(Child(fronts[drawer - 1])->y(), Px(home + offset)) << drawer;
    EXPECT_EQ(Child(handles[drawer - 1])->y(), Px(home + 240 + offset)) << drawer;
  }
  // The drawers the recorded steps moved, one entry per slide.
  std::vector<int> Slides() const {
    std::vector<int> slides;
    for (const Step& s : steps_) {
      if (s.step == 0) slides.push_back(s.drawer);
    }
    return slides;
  }

  DrawerCabinet* cabinet_ = nullptr;
  std::vector<Step> steps_;
};

TEST_F(DrawerTest, HandleSlidesTheDrawerOutInTwelveStepsAndUncoversItsPlate) {
  // A closed drawer's front covers its name plate.
  QWidget* plate = Child(main_window_names::kCalendarPlate);
  const QPoint plate_middle(plate->x() + 6, plate->geometry().center().y());
  EXPECT_EQ(main_->childAt(plate_middle)->objectName(), QLatin1String(main_window_names::kDrawer1));

  bool other_event_ran = false;
  QTimer::singleShot(0, [&] { other_event_ran = true; });
  std::vector<bool> ran_during_slide;
  cabinet_->SetStepObserver([&](int drawer, int step) {
    ran_during_slide.push_back(other_event_ran);
    steps_.push_back(
        {drawer, step, !Child(main_window_names::kAddressBookHandle)->isHidden(), true});
  });
  QElapsedTimer timer;
  timer.start();
  cabinet_->ClickHandle(1);
  EXPECT_GE(timer.elapsed(), 60);
  EXPECT_EQ(ran_during_slide, std::vector<bool>(12, false));

  ASSERT_EQ(steps_.size(), 12u);
  for (const Step& s : steps_) {
    EXPECT_EQ(s.drawer, 1);
    EXPECT_EQ(s.command5_visible, s.step < 8) << s.step;
  }
  ExpectDrawer(1, true);
  EXPECT_TRUE(Child(main_window_names::kAddressBookHandle)->isHidden());
  EXPECT_EQ(main_->childAt(plate_middle), plate);
  // The hidden handle below cannot be reached: the front is there instead.
  EXPECT_EQ(main_->childAt(Child(main_window_names::kAddressBookHandle)->geometry().center())
                ->objectName(),
            main_window_names::kDrawer1);
}

TEST_F(DrawerTest, DrawerOneOutThenCommand6SlidesOneInThenThreeOut) {
  Click(main_window_names::kCalendarHandle);
  steps_.clear();
  Click(main_window_names::kNotesHandle);
  EXPECT_EQ(Slides(), std::vector<int>({1, 3}));
  ASSERT_EQ(steps_.size(), 24u);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(steps_[i].command5_visible, i >= 2) << i;
  ExpectDrawer(1, false);
  ExpectDrawer(2, false);
  ExpectDrawer(3, true);
  EXPECT_FALSE(Child(main_window_names::kAddressBookHandle)->isHidden());
  EXPECT_FALSE(Child(main_window_names::kNotesHandle)->isHidden());
}

TEST_F(DrawerTest, DrawerTwoOutThenCommand4SlidesTwoInThenOneOut) {
  Click(main_window_names::kAddressBookHandle);
  EXPECT_TRUE(Child(main_window_names::kNotesHandle)->isHidden());
  steps_.clear();
  Click(main_window_names::kCalendarHandle);
  EXPECT_EQ(Slides(), std::vector<int>({2, 1}));
  ASSERT_EQ(steps_.size(), 24u);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(steps_[i].command6_visible, i >= 2) << i;
  for (int i = 12; i < 24; ++i) EXPECT_EQ(steps_[i].command5_visible, i - 12 < 8) << i;
  ExpectDrawer(1, true);
  ExpectDrawer(2, false);
  ExpectDrawer(3, false);
  EXPECT_TRUE(Child(main_window_names::kAddressBookHandle)->isHidden());
  EXPECT_FALSE(Child(main_window_names::kNotesHandle)->isHidden());
}

TEST_F(DrawerTest, AnOutDrawersHandleSlidesOnlyThatDrawerIn) {
  Click(main_window_names::kNotesHandle);
  ExpectDrawer(3, true);
  steps_.clear();
  Click(main_window_names::kNotesHandle);
  EXPECT_EQ(Slides(), std::vector<int>({3}));
  for (int drawer = 1; drawer <= 3; ++drawer) ExpectDrawer(drawer, false);
  EXPECT_FALSE(Child(main_window_names::kAddressBookHandle)->isHidden());
  EXPECT_FALSE(Child(main_window_names::kNotesHandle)->isHidden());
}

TEST_F(DrawerTest, AHandleShownAgainMidSlideReachesTheScreenWhole) {
  // The lower rows of a handle lie below the upper front's area at the step
  // that shows the handle again; they must be on screen from that step on.
  QPoint probe;
  std::vector<QColor> seen;
  cabinet_->SetStepObserver([&](int, int) {
    const QImage pixel =
        main_->screen()->grabWindow(main_->winId(), probe.x(), probe.y(), 1, 1).toImage();
    seen.push_back(pixel.pixelColor(0, 0));
  });
  for (int upper : {1, 2}) {
    auto* below =
        Child(upper == 1 ? main_window_names::kAddressBookHandle : main_window_names::kNotesHandle);
    probe = below->geometry().center() + QPoint(0, below->height() / 2 - 1);
    Click(upper == 1 ? main_window_names::kCalendarHandle : main_window_names::kAddressBookHandle);
    seen.clear();
    Click(upper == 1 ? main_window_names::kCalendarHandle : main_window_names::kAddressBookHandle);
    ASSERT_EQ(seen.size(), 12u);
    for (std::size_t step = 2; step < seen.size(); ++step) {
      EXPECT_EQ(seen[step], QColor(128, 0, 0)) << "drawer " << upper << " step " << step;
    }
  }
}

TEST_F(DrawerTest, NamePlatesSlideTheDrawerInAndOpenTheirTools) {
  Click(main_window_names::kCalendarHandle);
  Click(main_window_names::kCalendarPlate);
  ExpectDrawer(1, false);
  EXPECT_TRUE(app_->MonthCalendar().isVisible());
  EXPECT_FALSE(Child(main_window_names::kAddressBookHandle)->isHidden());

  Click(main_window_names::kAddressBookHandle);
  Click(main_window_names::kContactsPlate);
  ExpectDrawer(2, false);
  EXPECT_TRUE(app_->AddressBook().isVisible());

  Click(main_window_names::kNotesHandle);
  app_->Notes().showMinimized();
  Click(main_window_names::kNotesPlate);
  ExpectDrawer(3, false);
  EXPECT_TRUE(app_->Notes().isVisible());
  EXPECT_FALSE(app_->Notes().isMinimized());
  EXPECT_EQ(Slides(), std::vector<int>({1, 1, 2, 2, 3, 3}));
}

}  // namespace
}  // namespace quorvel::testing
