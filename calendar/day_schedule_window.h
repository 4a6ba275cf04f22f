#pragma once

#include <QWidget>

namespace quorvel {

class Application;

class DayScheduleWindow : public QWidget {
  Q_OBJECT

 public:
  explicit DayScheduleWindow(Application& app);


 private:
  Application& app_;
};

}  // namespace quorvel
