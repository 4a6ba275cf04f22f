#include "ui/accessibility.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QLineEdit>
#include <QTimer>

#include "ui/picture.h"

namespace quorvel {

namespace {

class AccessibilityTexts {
  Q_DECLARE_TR_FUNCTIONS(Accessibility)
};

bool IsDialog(const QString& name) {
  return name == QLatin1String("Form5") || name == QLatin1String("Form7") ||
         name == QLatin1String("Form8") || name == QLatin1String("frmSplash");
}

// A top-level window of the program: named by its title.
class WindowAccessible : public QAccessibleWidget {
 public:
  explicit WindowAccessible(QWidget* window)
      : QAccessibleWidget(
            window, IsDialog(window->objectName()) ? QAccessible::Dialog : QAccessible::Window) {}
  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name && widget()->accessibleName().isEmpty()) {
      return widget()->windowTitle();
    }
    return QAccessibleWidget::text(t);
  }
};

// A picture; as a hot spot, a button whose press does what a double-click
// does. (Whether it is one is asked each time: the interface may be made
// while the picture is still being set up.)
class PictureAccessible : public QAccessibleWidget {
 public:
  explicit PictureAccessible(Picture* picture) : QAccessibleWidget(picture, QAccessible::Graphic) {}
  bool HotSpot() const { return widget()->focusPolicy() != Qt::NoFocus; }
  QAccessible::Role role() const override {
    return HotSpot() ? QAccessible::Button : QAccessible::Graphic;
  }
  QStringList actionNames() const override {
    if (!HotSpot()) return QAccessibleWidget::actionNames();
    return QStringList{pressAction()} + QAccessibleWidget::actionNames();
  }
  void doAction(const QString& name) override {
    if (name == pressAction() && HotSpot()) {
      static_cast<Picture*>(widget())->Activate();
      return;
    }
    QAccessibleWidget::doAction(name);
  }
};

// A combo box as Qt presents one (its drop-down list as its first child,
// Qt's own interface for that list presenting the items; the line edit of
// an editable one as the second; opening and closing the list as its
// actions), except that its name is its own: Qt names a combo box after the
// entry it shows on Linux, where a label's relation names it.
class ComboAccessible : public QAccessibleWidget {
 public:
  explicit ComboAccessible(NamedComboBox* combo)
      : QAccessibleWidget(combo, QAccessible::ComboBox) {}

  int childCount() const override { return combo()->isEditable() ? 2 : 1; }
  QAccessibleInterface* child(int index) const override {
    if (index == 0) {
      combo()->WatchListSelection();
      return QAccessible::queryAccessibleInterface(combo()->view());
    }
    if (index == 1 && combo()->isEditable()) {
      return QAccessible::queryAccessibleInterface(combo()->lineEdit());
    }
    return nullptr;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    if (child == nullptr) return -1;
    if (child->object() == combo()->view()) return 0;
    if (combo()->isEditable() && child->object() == combo()->lineEdit()) return 1;
    return -1;
  }
  QAccessibleInterface* childAt(int x, int y) const override {
    if (combo()->isEditable() &&
        combo()->lineEdit()->rect().contains(combo()->lineEdit()->mapFromGlobal(QPoint(x, y)))) {
      return child(1);
    }
    return nullptr;
  }

  QString text(QAccessible::Text t) const override {
    switch (t) {
      case QAccessible::Name:
        if (!combo()->accessibleName().isEmpty()) return combo()->accessibleName();
        break;
      case QAccessible::Value:
        if (combo()->isEditable()) return combo()->lineEdit()->text();
        // An entry may say in words what its text shows by a sign.
        if (const QString heard = combo()->currentData(Qt::AccessibleTextRole).toString();
            !heard.isEmpty()) {
          return heard;
        }
        return combo()->currentText();
      case QAccessible::Accelerator:
        return QKeySequence(Qt::Key_Down).toString(QKeySequence::NativeText);
      default:
        break;
    }
    return QAccessibleWidget::text(t);
  }

  QStringList actionNames() const override { return QStringList{showMenuAction(), pressAction()}; }
  QString localizedActionDescription(const QString& name) const override {
    if (name == showMenuAction() || name == pressAction()) {
      return AccessibilityTexts::tr("Opens or closes the list to choose from");
    }
    return QString();
  }
  // As in Qt: the action opens the list, or closes it when it is open.
  void doAction(const QString& name) override {
    if (name != showMenuAction() && name != pressAction()) return;
    if (combo()->view()->isVisible()) {
      combo()->hidePopup();
    } else {
      combo()->showPopup();
    }
  }
  QStringList keyBindingsForAction(const QString&) const override { return QStringList(); }

 private:
  NamedComboBox* combo() const { return static_cast<NamedComboBox*>(widget()); }
};

// A value label: the caption as the name, the value as the text.
class ValueAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
 public:
  explicit ValueAccessible(ValueLabel* label) : QAccessibleWidget(label, QAccessible::StaticText) {}
  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }
  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name) return label()->Caption();
    if (t == QAccessible::Value || t == QAccessible::Description) return label()->text();
    return QAccessibleWidget::text(t);
  }
  // The value as read-only text.
  void selection(int, int* start, int* end) const override { *start = *end = 0; }
  int selectionCount() const override { return 0; }
  void addSelection(int, int) override {}
  void removeSelection(int) override {}
  void setSelection(int, int, int) override {}
  int cursorPosition() const override { return 0; }
  void setCursorPosition(int) override {}
  QString text(int start, int end) const override {
    return label()->text().mid(start, end < 0 ? -1 : end - start);
  }
  int characterCount() const override { return int(label()->text().size()); }
  QRect characterRect(int) const override { return QRect(); }
  int offsetAtPoint(const QPoint&) const override { return -1; }
  void scrollToSubstring(int, int) override {}
  QString attributes(int offset, int* start, int* end) const override {
    *start = 0;
    *end = characterCount();
    (void)offset;
    return QString();
  }

 private:
  ValueLabel* label() const { return static_cast<ValueLabel*>(widget()); }
};

QAccessibleInterface* Factory(const QString& class_name, QObject* object) {
  auto* widget = qobject_cast<QWidget*>(object);
  if (widget == nullptr) return nullptr;
  if (class_name == QLatin1String("quorvel::Picture")) {
    return new PictureAccessible(static_cast<Picture*>(widget));
  }
  if (class_name == QLatin1String("quorvel::NamedComboBox")) {
    return new ComboAccessible(static_cast<NamedComboBox*>(widget));
  }
  if (class_name == QLatin1String("quorvel::ValueLabel")) {
    return new ValueAccessible(static_cast<ValueLabel*>(widget));
  }
  if (widget->isWindow() && class_name.startsWith(QLatin1String("quorvel::"))) {
    return new WindowAccessible(widget);
  }
  return nullptr;
}

}  // namespace

NamedComboBox::NamedComboBox(QWidget* parent) : QComboBox(parent) {
  // A new model (which brings a new selection model) changes the entry too.
  connect(this, &QComboBox::currentIndexChanged, this, [this] {
    WatchListSelection();
    SelectShownEntry();
  });
  WatchListSelection();
}

void NamedComboBox::Choose(int row) {
  if (row < 0 || row >= count()) return;
  const QModelIndex index = model()->index(row, modelColumn(), rootModelIndex());
  if (!(model()->flags(index) & Qt::ItemIsEnabled)) return;
  if (view()->isVisible()) hidePopup();
  setCurrentIndex(row);
  SelectShownEntry();
  emit activated(row);
  emit textActivated(itemText(row));
}

void NamedComboBox::WatchListSelection() {
  QItemSelectionModel* selection = view()->selectionModel();
  if (selection == watched_) return;
  if (watched_ != nullptr) disconnect(watched_, nullptr, this, nullptr);
  watched_ = selection;
  if (selection == nullptr) return;
  // Looked at once the change is complete: the list moves its cursor only
  // after it has changed the selection.
  connect(selection, &QItemSelectionModel::selectionChanged, this, [this] {
    if (check_pending_) return;
    check_pending_ = true;
    QTimer::singleShot(0, this, [this] {
      check_pending_ = false;
      CheckListSelection();
    });
  });
  SelectShownEntry();
}

void NamedComboBox::showPopup() {
  WatchListSelection();
  QComboBox::showPopup();
}

void NamedComboBox::hidePopup() {
  QComboBox::hidePopup();
  SelectShownEntry();
}

void NamedComboBox::CheckListSelection() {
  if (watched_ == nullptr || watched_ != view()->selectionModel()) return;
  const QModelIndexList selected = watched_->selectedIndexes();
  if (selected.size() != 1) return;
  const QModelIndex chosen = selected.first();
  if (chosen.parent() != rootModelIndex() || chosen.column() != modelColumn()) return;
  if (chosen.row() == currentIndex()) return;
  // The keys, the mouse and opening the list move the list's cursor with
  // its selection; an item selected away from the cursor was selected from
  // outside the list.
  if (watched_->currentIndex() == chosen) return;
  Choose(chosen.row());
}

void NamedComboBox::SelectShownEntry() {
  // While the list is open its selection is the user's highlight.
  if (watched_ == nullptr || watched_->model() != model() || view()->isVisible()) return;
  const QModelIndex shown = model()->index(currentIndex(), modelColumn(), rootModelIndex());
  // The cursor too: an item selected anywhere else is a choice.
  if (shown.isValid()) {
    watched_->setCurrentIndex(shown, QItemSelectionModel::ClearAndSelect);
  } else {
    watched_->clear();
  }
}

ValueLabel::ValueLabel(const QString& caption, QWidget* parent)
    : QLabel(parent), caption_(caption) {
  setAccessibleName(caption);
}

void InstallAccessibility() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  QAccessible::installFactory(&Factory);
}

}  // namespace quorvel
