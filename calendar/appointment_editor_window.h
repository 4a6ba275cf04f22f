#pragma once

#include <QWidget>

namespace quorvel {

class Application;

class AppointmentEditorWindow : public QWidget {
  Q_OBJECT

 public:
  explicit AppointmentEditorWindow(Application& app);


 private:
  Application& app_;
};

}  // namespace quorvel
