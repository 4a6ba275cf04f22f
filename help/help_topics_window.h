#pragma once

#include <QWidget>

namespace quorvel {

class Application;

class HelpTopicsWindow : public QWidget {
  Q_OBJECT

 public:
  explicit HelpTopicsWindow(Application& app);


 private:
  Application& app_;
};

}  // namespace quorvel
