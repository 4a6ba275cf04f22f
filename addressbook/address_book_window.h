#pragma once

#include <QWidget>

namespace quorvel {

class Application;

class AddressBookWindow : public QWidget {
  Q_OBJECT

 public:
  explicit AddressBookWindow(Application& app);


 private:
  Application& app_;
};

}  // namespace quorvel
