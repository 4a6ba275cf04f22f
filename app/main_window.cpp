#include "app/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>

#include "addressbook/address_book_window.h"
#include "app/application.h"
#include "app/interchange_actions.h"
#include "app/reminder_agent.h"
#include "app/splash_window.h"
#include "app/sync_window.h"
#include "app/undo_actions.h"
#include "calendar/month_calendar_window.h"
#include "calendar/reminders.h"
#include "help/help_topics_window.h"
#include "items/sync_state.h"
#include "notes/notes_window.h"
#include "sync/background_sync.h"
#include "sync/setup.h"
#include "ui/artwork.h"
#include "ui/picture.h"
#include "ui/seams.h"
#include "ui/ui.h"

namespace quorvel {
namespace {

namespace names = main_window_names;

constexpr int kClientWidth = 5040;     // twips
constexpr int kClientHeight = 5025;    // twips
constexpr int kTileSize = 810;         // twips
constexpr int kTilesTop = 2400;        // twips: the floor starts at the cabinet's top
constexpr int kTimerInterval = 60000;  // ms

// Wall colour behind the desk.
const QColor kWall(203, 216, 220);

// A name plate inside the cabinet: a click on it (left button) is reported.
class NamePlate : public QLabel {
 public:
  NamePlate(const QString& text, QWidget* parent, std::function<void()> on_click)
      : QLabel(text, parent), on_click_(std::move(on_click)) {}

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
      on_click_();
    }
    event->accept();
  }
  void mousePressEvent(QMouseEvent* event) override { event->accept(); }

 private:
  std::function<void()> on_click_;
};

}  // namespace

MainWindow::MainWindow(Application& app)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      app_(app),
      tile_renderer_(QStringLiteral(":/resources/floor_tile.svg")) {
  setObjectName(QLatin1String(names::kWindow));
  setWindowTitle(QStringLiteral("Quorvel"));
  setAccessibleName(QStringLiteral("Quorvel"));
  setWindowIcon(ProgramIcon());
  setFixedSize(Px(kClientWidth), Px(kClientHeight));

  // Children are created from the back to the front: a later sibling is drawn
  // over an earlier one. The floor tiles are painted by the window itself,
  // behind every control.
  AddPicture(names::kCabinet, "cabinet.svg", 120, 2400, 1335, 1455);
  AddPicture(names::kWorkSurface, "work_surface.svg", 120, 240, 4695, 2175);
  AddPicture(names::kCalendarPicture, "calendar.svg", 1680, 1200, 1575, 1095, tr("Calendar"));
  AddPicture(names::kTelephone, "telephone.svg", 3480, 1320, 1215, 540, tr("Contacts"));
  AddPicture(names::kContactsCard, "contacts.svg", 4080, 480, 600, 600, tr("Contacts"));
  AddPicture(names::kCalendarIcon, "calendar_icon.svg", 2880, 840, 480, 600, tr("Calendar"));
  AddPicture(names::kClipboard, "clipboard.svg", 360, 960, 735, 900, tr("Notes"));
  Picture* file_tab = AddPicture(names::kFileTab, "file_tab.svg", 240, 120, 840, 600, tr("File"));
  AddNamePlate(names::kCalendarPlate, tr("Calendar"), 1, 2520);
  AddNamePlate(names::kContactsPlate, tr("Contacts"), 2, 3000);
  AddNamePlate(names::kNotesPlate, tr("Notes"), 3, 3480);
  Picture* front3 = AddPicture(names::kDrawer3, "drawer3.svg", 120, 3360, 1335, 495);
  Picture* front2 = AddPicture(names::kDrawer2, "drawer2.svg", 120, 2880, 1335, 495);
  Picture* front1 = AddPicture(names::kDrawer1, "drawer1.svg", 120, 2400, 1335, 495);
  AddPicture(names::kBookcase, "bookcase.svg", 3480, 2400, 1335, 1455);
  today_indicator_ = AddPicture(names::kTodayIndicator, "today.svg", 2520, 960, 480, 465,
                                tr("You have an appointment today!"));
  today_indicator_->hide();
  QWidget* handle3 = AddHandle(names::kNotesHandle, tr("Notes"), 3, 3600);
  QWidget* handle2 = AddHandle(names::kAddressBookHandle, tr("Address Book"), 2, 3120);
  QWidget* handle1 = AddHandle(names::kCalendarHandle, tr("Calendar"), 1, 2640);

  drawers_ = std::make_unique<DrawerCabinet>(std::array<DrawerCabinet::Drawer, 3>{{
      {front1, handle1, 2400, 2640},
      {front2, handle2, 2880, 3120},
      {front3, handle3, 3360, 3600},
  }});

  for (const char* name : {names::kCalendarPicture, names::kCalendarIcon, names::kTodayIndicator}) {
    auto* spot = findChild<Picture*>(QLatin1String(name));
    connect(spot, &Picture::doubleClicked, this, &MainWindow::OpenCalendar);
    connect(spot, &Picture::keyActivated, this, &MainWindow::OpenCalendar);
  }
  for (const char* name : {names::kTelephone, names::kContactsCard}) {
    auto* spot = findChild<Picture*>(QLatin1String(name));
    connect(spot, &Picture::doubleClicked, this, &MainWindow::OpenAddressBook);
    connect(spot, &Picture::keyActivated, this, &MainWindow::OpenAddressBook);
  }
  auto* clipboard = findChild<Picture*>(QLatin1String(names::kClipboard));
  connect(clipboard, &Picture::doubleClicked, this, &MainWindow::OpenNotes);
  connect(clipboard, &Picture::keyActivated, this, &MainWindow::OpenNotes);

  sync_ = new sync::BackgroundSync(app_.files(), this);
  sync_->set_confirm_deletions(AllowSyncDeletions);
  BuildMenu();
  // Automatic sync, when turned on: once now, then every few minutes.
  QTimer::singleShot(0, this, [this] {
    if (const QString moved = sync::MoveLoginOutOfAddresses(app_.files()); !moved.isNull()) {
      ShowMessage(moved);
    }
    const auto state = sync::LoadState(app_.files());
    if (state && state->settings.auto_sync && state->settings.server.isValid()) {
      sync_->SetAutomatic(true);
      sync_->Start();
    }
  });
  connect(file_tab, &Picture::released, this, [this](Qt::MouseButton button, QPoint pos) {
    if (button == Qt::RightButton) PopUpFileMenu(pos);
  });
  connect(file_tab, &Picture::keyActivated, this, [this, file_tab] {
    PopUpFileMenu(file_tab->mapToGlobal(QPoint(0, file_tab->height())));
  });

  // Keyboard order: left to right across the desk, then the drawer handles.
  QWidget* order[] = {file_tab,
                      clipboard,
                      findChild<QWidget*>(QLatin1String(names::kCalendarPicture)),
                      today_indicator_,
                      findChild<QWidget*>(QLatin1String(names::kCalendarIcon)),
                      findChild<QWidget*>(QLatin1String(names::kContactsCard)),
                      findChild<QWidget*>(QLatin1String(names::kTelephone)),
                      handle1,
                      handle2,
                      handle3};
  for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

  timer_ = new QTimer(this);
  timer_->setObjectName(QLatin1String(names::kTimer));
  timer_->setTimerType(Qt::PreciseTimer);
  timer_->setInterval(kTimerInterval);
  connect(timer_, &QTimer::timeout, this, [this] { CheckReminders(app_); });
  timer_->start();
}

MainWindow::~MainWindow() = default;

Picture* MainWindow::AddPicture(const char* name, const char* resource, int left, int top,
                                int width, int height, const QString& tip) {
  auto* picture = new Picture(QStringLiteral(":/resources/") + QLatin1String(resource), this);
  picture->setObjectName(QLatin1String(name));
  picture->setGeometry(TwipsRect(left, top, width, height));
  if (!tip.isEmpty()) picture->MakeHotSpot(tip);
  return picture;
}

QLabel* MainWindow::AddNamePlate(const char* name, const QString& text, int drawer, int top) {
  auto* plate = new NamePlate(text, this, [this, drawer] { ClickNamePlate(drawer); });
  plate->setObjectName(QLatin1String(name));
  plate->setAccessibleName(text);
  plate->setGeometry(TwipsRect(240, top, 855, 255));
  plate->setFont(ArialFont(8.25, true));
  plate->setAlignment(Qt::AlignCenter);
  plate->setAutoFillBackground(true);
  QPalette palette = plate->palette();
  palette.setColor(QPalette::Window, QColor(255, 255, 192));
  palette.setColor(QPalette::WindowText, Qt::black);
  plate->setPalette(palette);
  return plate;
}

QWidget* MainWindow::AddHandle(const char* name, const QString& tip, int drawer, int top) {
  auto* handle = new QPushButton(this);
  handle->setObjectName(QLatin1String(name));
  handle->setToolTip(tip);
  handle->setAccessibleName(tip);
  handle->setFlat(true);
  handle->setFocusPolicy(Qt::TabFocus);
  handle->setGeometry(TwipsRect(600, top, 375, 135));
  handle->setStyleSheet(QStringLiteral(
      "QPushButton { background-color: rgb(128, 0, 0); border: 1px solid rgb(72, 0, 0);"
      " border-radius: 1px; padding: 0; }"
      "QPushButton:hover { background-color: rgb(150, 16, 16); }"
      "QPushButton:pressed { background-color: rgb(96, 0, 0); }"
      "QPushButton:focus { border: 1px solid rgb(255, 255, 192); }"));
  connect(handle, &QPushButton::clicked, this, [this, drawer] { drawers_->ClickHandle(drawer); });
  return handle;
}

void MainWindow::BuildMenu() {
  file_menu_ = new QMenu(tr("File"), this);
  file_menu_->setObjectName(QLatin1String(names::kFileMenu));

  QMenu* view = file_menu_->addMenu(tr("View"));
  view->setObjectName(QLatin1String(names::kView));
  view->menuAction()->setObjectName(QLatin1String(names::kView));
  QAction* calendar = view->addAction(tr("Calendar"), this, &MainWindow::OpenCalendar);
  calendar->setObjectName(QLatin1String(names::kViewCalendar));
  QAction* book = view->addAction(tr("Address Book"), this, &MainWindow::OpenAddressBook);
  book->setObjectName(QLatin1String(names::kViewAddressBook));
  QAction* notes = view->addAction(tr("Notes"), this, &MainWindow::OpenNotes);
  notes->setObjectName(QLatin1String(names::kViewNotes));

  QAction* import =
      file_menu_->addAction(tr("Import…"), this, [this] { ImportFromFiles(app_, this); });
  import->setObjectName(QLatin1String(names::kImport));
  QAction* export_ =
      file_menu_->addAction(tr("Export…"), this, [this] { ExportToFile(app_, this); });
  export_->setObjectName(QLatin1String(names::kExport));
  QAction* sync = file_menu_->addAction(tr("Sync…"), this, &MainWindow::OpenSync);
  sync->setObjectName(QLatin1String(names::kSync));
  QAction* find = file_menu_->addAction(tr("Find…"), this, [this] { app_.OpenFind(); });
  find->setObjectName(QLatin1String(names::kFind));
  // Ctrl+F from every window of the program, as F1 and Ctrl+Q below.
  find->setShortcut(QKeySequence::Find);
  find->setShortcutContext(Qt::ApplicationShortcut);
  addAction(find);

  // Whether the reminder agent keeps the reminders while this window is
  // closed; read afresh each time the menu opens.
  QAction* remind = file_menu_->addAction(tr("Remind me when Quorvel is closed"));
  remind->setObjectName(QLatin1String(names::kRemindWhenClosed));
  remind->setCheckable(true);
  connect(file_menu_, &QMenu::aboutToShow, remind, [this, remind] {
    const QSignalBlocker quiet(remind);
    remind->setChecked(AgentStartsAtLogin(app_.FolderInUse(), app_.StandardFolder()));
  });
  connect(remind, &QAction::toggled, this, [this](bool on) {
    if (!SetAgentStartsAtLogin(app_.FolderInUse(), app_.StandardFolder(), on)) {
      ShowMessage(tr("Quorvel could not change the login start of its reminders."));
    }
  });

  file_menu_->addSeparator()->setObjectName(QLatin1String(names::kUndoSeparator));
  AddUndoItems(app_, file_menu_, this);

  file_menu_->addSeparator()->setObjectName(QLatin1String(names::kHelpSeparator));

  QMenu* help = file_menu_->addMenu(tr("Help"));
  help->setObjectName(QLatin1String(names::kHelp));
  help->menuAction()->setObjectName(QLatin1String(names::kHelp));
  QAction* about = help->addAction(tr("About"), this, &MainWindow::ShowAbout);
  about->setObjectName(QLatin1String(names::kAbout));
  QAction* topics =
      help->addAction(tr("Help Topics"), this, [this] { OpenToolWindow(app_.HelpTopics()); });
  topics->setObjectName(QLatin1String(names::kHelpTopics));
  // The desktop's keys, from every window of the program; the menu shows them.
  topics->setShortcut(QKeySequence::HelpContents);
  topics->setShortcutContext(Qt::ApplicationShortcut);
  addAction(topics);

  file_menu_->addSeparator()->setObjectName(QLatin1String(names::kExitSeparator));

  QAction* exit = file_menu_->addAction(tr("Exit"), this, [this] { app_.ExitProgram(); });
  exit->setObjectName(QLatin1String(names::kExit));
  exit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
  exit->setShortcutContext(Qt::ApplicationShortcut);
  addAction(exit);
}

void MainWindow::PopUpFileMenu(const QPoint& global_pos) { file_menu_->popup(global_pos); }

void MainWindow::OpenCalendar() { OpenToolWindow(app_.MonthCalendar()); }
void MainWindow::OpenAddressBook() { OpenToolWindow(app_.AddressBook()); }
void MainWindow::OpenNotes() { OpenToolWindow(app_.Notes()); }

void MainWindow::ShowAbout() {
  SplashWindow& splash = app_.Splash();
  splash.SetCloseVisible(true);
  if (!splash.isVisible()) CentreOnScreen(splash);
  OpenToolWindow(splash);
}

void MainWindow::ClickNamePlate(int drawer) {
  drawers_->SlideIn(drawer);
  switch (drawer) {
    case 1:
      OpenCalendar();
      break;
    case 2:
      OpenAddressBook();
      break;
    default:
      OpenNotes();
      break;
  }
}

void MainWindow::ShowTodayIndicator(bool visible) { today_indicator_->setVisible(visible); }

void MainWindow::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.fillRect(rect(), kWall);
  const QSize tile(Px(kTileSize), Px(kTileSize));
  const qreal dpr = devicePixelRatioF();
  if (tile_cache_.isNull() || tile_cache_.size() != tile * dpr) {
    tile_cache_ = RenderSvg(tile_renderer_, tile, dpr);
  }
  for (int top = kTilesTop; top < kClientHeight; top += kTileSize) {
    for (int left = 0; left < kClientWidth; left += kTileSize) {
      painter.drawPixmap(Px(left), Px(top), tile_cache_);
    }
  }
}

void MainWindow::closeEvent(QCloseEvent* event) {
  event->accept();
  app_.ExitProgram();
}

void MainWindow::OpenSync() {
  if (!sync_window_) {
    auto* window = new SyncWindow(app_.files(), *sync_, this);
    sync_window_ = window;
  }
  OpenToolWindow(*sync_window_);
}

}  // namespace quorvel
