// frmSplash: the window shown while the program starts, and the About box.
#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace quorvel {

class Application;

// Object names of the About window and its controls.
namespace splash_names {
inline constexpr char kWindow[] = "frmSplash";
inline constexpr char kFrame[] = "Frame1";  // the border around everything
inline constexpr char kLogo[] = "imgLogo";
inline constexpr char kProductName[] = "lblProductName";
inline constexpr char kVersion[] = "lblVersion";
inline constexpr char kContact[] = "lblContact";  // "Contact us:"
inline constexpr char kEmail[] = "lblEmail";
inline constexpr char kWebsite[] = "lblWebsite";
inline constexpr char kDataFolderCaption[] = "lblDataFolderCaption";
inline constexpr char kDataFolder[] = "lblDataFolder";
inline constexpr char kClose[] = "Command1";
}  // namespace splash_names

class SplashWindow : public QWidget {
  Q_OBJECT

 public:
  static constexpr const char* kSupportEmail = "support@quorvel.org";
  static constexpr const char* kWebAddress = "https://www.quorvel.org";

  explicit SplashWindow(Application& app);

  // Shows or hides the "Close" button Command1. While it is hidden the
  // window cannot be closed at all (the program is starting). As the About
  // box, with "Close" shown, the window also names the data folder.
  void SetCloseVisible(bool visible);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  Application& app_;
  QPushButton* close_ = nullptr;
  QLabel* folder_caption_ = nullptr;
  QLabel* folder_ = nullptr;
};

}  // namespace quorvel
