#include "app/accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLineEdit>

#include "app/picture.h"

namespace quorvel {

namespace {

bool IsDialog(const QString& name) {
  return name == QLatin1String("Form5") || name == QLatin1String("Form7") ||
         name == QLatin1String("Form8") || name == QLatin1String("frmSplash");
}

// A top-level window of the program: named by its title.
class WindowAccessible : public QAccessibleWidget {
 public:
  explicit WindowAccessible(QWidget* window)
      : QAccessibleWidget(window, IsDialog(window->objectName()) ? QAccessible::Dialog
                                                                 : QAccessible::Window) {}
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

class ComboAccessible : public QAccessibleWidget {
 public:
  explicit ComboAccessible(QComboBox* combo) : QAccessibleWidget(combo, QAccessible::ComboBox) {}
  QString text(QAccessible::Text t) const override {
    auto* combo = static_cast<QComboBox*>(widget());
    if (t == QAccessible::Value) return combo->currentText();
    if (t == QAccessible::Name && !combo->accessibleName().isEmpty()) return combo->accessibleName();
    return QAccessibleWidget::text(t);
  }
  QStringList actionNames() const override {
    return QStringList{showMenuAction(), pressAction()};
  }
  void doAction(const QString& name) override {
    if (name == showMenuAction() || name == pressAction()) {
      static_cast<QComboBox*>(widget())->showPopup();
    }
  }
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
    return new ComboAccessible(static_cast<QComboBox*>(widget));
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
