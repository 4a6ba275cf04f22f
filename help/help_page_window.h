#pragma once

#include <QWidget>

namespace quorvel {

class Application;

class HelpPageWindow : public QWidget {
  Q_OBJECT

 public:
  explicit HelpPageWindow(Application& app);


 private:
  Application& app_;
};

}  // namespace quorvel
