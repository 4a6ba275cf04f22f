// The main window: a drawn desk whose objects open the tools, a cabinet
// with three drawers, the "File" pop-up menu and the one-minute timer.
#pragma once

#include <memory>

#include <QPixmap>
#include <QPointer>
#include <QSvgRenderer>
#include <QWidget>

#include "app/drawers.h"

class QLabel;
class QMenu;

namespace quorvel::sync {
class BackgroundSync;
}
class QTimer;

namespace quorvel {

class Application;
class Picture;

// Object names of the main window, its pictures, controls and menu items.
namespace main_window_names {
inline constexpr char kWindow[] = "frmMain";
inline constexpr char kCabinet[] = "Image18";
inline constexpr char kWorkSurface[] = "Image1";
inline constexpr char kCalendarPicture[] = "Image8";  // opens the calendar
inline constexpr char kTelephone[] = "Image9";        // opens the address book
inline constexpr char kContactsCard[] = "Image11";    // opens the address book
inline constexpr char kCalendarIcon[] = "Image13";    // opens the calendar
inline constexpr char kClipboard[] = "Image14";       // opens the notes
inline constexpr char kFileTab[] = "Image12";         // pops up the File menu
inline constexpr char kCalendarPlate[] = "Label4";    // the name plate of drawer 1
inline constexpr char kContactsPlate[] = "Label5";    // of drawer 2
inline constexpr char kNotesPlate[] = "Label6";       // of drawer 3
inline constexpr char kDrawer3[] = "Image7";          // the drawers' fronts, drawer 1 at the top
inline constexpr char kDrawer2[] = "Image6";
inline constexpr char kDrawer1[] = "Image5";
inline constexpr char kBookcase[] = "Image4";
inline constexpr char kTodayIndicator[] = "Image43";      // shown when today has an appointment
inline constexpr char kNotesHandle[] = "Command6";        // the handle of drawer 3
inline constexpr char kAddressBookHandle[] = "Command5";  // of drawer 2
inline constexpr char kCalendarHandle[] = "Command4";     // of drawer 1
inline constexpr char kTimer[] = "Timer1";                // checks the reminders
// The File menu and its items.
inline constexpr char kFileMenu[] = "mnuFile";
inline constexpr char kView[] = "View";  // the submenu and its item in the File menu
inline constexpr char kViewCalendar[] = "Calendar";
inline constexpr char kViewAddressBook[] = "AddBook";
inline constexpr char kViewNotes[] = "Notes";
inline constexpr char kImport[] = "Import";
inline constexpr char kExport[] = "Export";
inline constexpr char kSync[] = "Sync";
inline constexpr char kFind[] = "Find";
inline constexpr char kRemindWhenClosed[] = "RemindWhenClosed";
inline constexpr char kUndoSeparator[] = "SpaceUndo";  // before Undo, Redo and Restore…
inline constexpr char kUndo[] = "Undo";
inline constexpr char kRedo[] = "Redo";
inline constexpr char kRestore[] = "Restore";  // opens the Restore window
inline constexpr char kHelpSeparator[] = "Space";
inline constexpr char kHelp[] = "Help";  // the submenu and its item in the File menu
inline constexpr char kAbout[] = "About";
inline constexpr char kHelpTopics[] = "HTopics";
inline constexpr char kExitSeparator[] = "Space2";
inline constexpr char kExit[] = "Exit";
}  // namespace main_window_names

class MainWindow : public QWidget {
  Q_OBJECT

 public:
  explicit MainWindow(Application& app);
  ~MainWindow() override;

  // Shows or hides the today indicator Image43.
  void ShowTodayIndicator(bool visible);

  // The pop-up menu mnuFile.
  QMenu& FileMenu() { return *file_menu_; }
  DrawerCabinet& Drawers() { return *drawers_; }

  // Opens the pop-up menu at `global_pos`.
  void PopUpFileMenu(const QPoint& global_pos);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  Picture* AddPicture(const char* name, const char* resource, int left, int top, int width,
                      int height, const QString& tip = QString());
  QLabel* AddNamePlate(const char* name, const QString& text, int drawer, int top);
  QWidget* AddHandle(const char* name, const QString& tip, int drawer, int top);
  void BuildMenu();
  void OpenCalendar();
  void OpenAddressBook();
  void OpenNotes();
  void ShowAbout();
  void ClickNamePlate(int drawer);
  void OpenSync();

  Application& app_;
  QSvgRenderer tile_renderer_;
  QPixmap tile_cache_;
  Picture* today_indicator_ = nullptr;
  QMenu* file_menu_ = nullptr;
  QTimer* timer_ = nullptr;
  std::unique_ptr<DrawerCabinet> drawers_;
  sync::BackgroundSync* sync_ = nullptr;
  QPointer<QWidget> sync_window_;
};

}  // namespace quorvel
