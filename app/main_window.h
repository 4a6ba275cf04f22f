// The main window: a drawn desk whose objects open the tools, a cabinet
// with three drawers, the "File" pop-up menu and the one-minute timer.
#pragma once

#include <memory>

#include <QPixmap>
#include <QSvgRenderer>
#include <QPointer>
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
