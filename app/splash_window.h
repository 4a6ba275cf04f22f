#pragma once

#include <QWidget>

namespace quorvel {

class Application;

class SplashWindow : public QWidget {
  Q_OBJECT

 public:
  explicit SplashWindow(Application& app);


 private:
  Application& app_;
};

}  // namespace quorvel
