#pragma once

#include <QWidget>

namespace quorvel {

class Application;

class ActivitiesWindow : public QWidget {
  Q_OBJECT

 public:
  explicit ActivitiesWindow(Application& app);

  // Fills the window for the date in its date picker.
  void FillActivities();

 private:
  Application& app_;
};

}  // namespace quorvel
