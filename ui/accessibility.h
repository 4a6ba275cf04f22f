// What assistive technology needs beyond Qt's defaults: the program's
// windows announced as windows and dialogs (plain widgets are "filler"),
// the main window's picture hot spots as buttons with a press action,
// combo boxes that keep their own name when they show a value (Qt names
// them after their text on Linux), and value labels named by their caption
// with the value readable as their text.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QPointer>

class QItemSelectionModel;

namespace quorvel {

// Installs the interfaces below; once per process, before windows exist.
void InstallAccessibility();

// A combo box announced by its accessible name, its shown entry as its
// value, and its drop-down list as its child, whose items assistive
// technology reads and chooses as in any Qt combo box.
//
// Choosing works through the list's selection: selecting an item of the
// list from outside the list (as assistive technology does: it selects an
// item without moving the list's cursor) chooses it as a click would, and
// the list's selection follows the shown entry, so the item announced as
// selected is the one shown.
class NamedComboBox : public QComboBox {
  Q_OBJECT

 public:
  explicit NamedComboBox(QWidget* parent = nullptr);

  // Shows entry `row` and reports it as the user's choice (activated), as a
  // click in the drop-down list does; closes the list if it is open.
  virtual void Choose(int row);

  // Follows the list's selection model, which a new model replaces.
  void WatchListSelection();

  void showPopup() override;
  void hidePopup() override;

 private:
  void CheckListSelection();
  void SelectShownEntry();

  QPointer<QItemSelectionModel> watched_;
  bool check_pending_ = false;
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
