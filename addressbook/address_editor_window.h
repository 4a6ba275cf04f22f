#pragma once

#include <QWidget>

namespace quorvel {

class Application;

class AddressEditorWindow : public QWidget {
  Q_OBJECT

 public:
  explicit AddressEditorWindow(Application& app);


 private:
  Application& app_;
};

}  // namespace quorvel
