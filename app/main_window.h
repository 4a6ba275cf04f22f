#pragma once

#include <QWidget>

namespace quorvel {

class Application;

class MainWindow : public QWidget {
  Q_OBJECT

 public:
  explicit MainWindow(Application& app);

  // Shows or hides the today indicator Image43.
  void ShowTodayIndicator(bool visible);


 private:
  Application& app_;
};

}  // namespace quorvel
