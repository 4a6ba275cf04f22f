#pragma once

#include <QWidget>

namespace quorvel {

class Application;

class ReminderWindow : public QWidget {
  Q_OBJECT

 public:
  explicit ReminderWindow(Application& app);


 private:
  Application& app_;
};

}  // namespace quorvel
