#pragma once

#include <QWidget>

namespace quorvel {

class Application;

class NotesWindow : public QWidget {
  Q_OBJECT

 public:
  explicit NotesWindow(Application& app);


 private:
  Application& app_;
};

}  // namespace quorvel
