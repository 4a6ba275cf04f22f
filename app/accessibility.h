// What assistive technology needs beyond Qt's defaults: the program's
// windows announced as windows and dialogs (plain widgets are "filler"),
// the main window's picture hot spots as buttons with a press action,
// combo boxes that keep their own name when they show a value (Qt names
// them after their text on Linux), and value labels named by their caption
// with the value readable as their text.
#pragma once

#include <QComboBox>
#include <QLabel>

namespace quorvel {

// Installs the interfaces below; once per process, before windows exist.
void InstallAccessibility();

// A combo box announced by its accessible name, its text as its value.
class NamedComboBox : public QComboBox {
  Q_OBJECT

 public:
  using QComboBox::QComboBox;
};

// A label showing a value; its caption is its accessible name.
class ValueLabel : public QLabel {
  Q_OBJECT

 public:
  ValueLabel(const QString& caption, QWidget* parent);
  QString Caption() const { return caption_; }

 private:
  QString caption_;
};

}  // namespace quorvel
