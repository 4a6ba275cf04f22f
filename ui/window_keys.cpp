#include "ui/window_keys.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QShortcut>
#include <QWidget>

namespace quorvel {
namespace {

// Sees the Enter that no control of the window took: a key event that its
// target ignores travels up to the window.
class EnterPressesDefault : public QObject {
 public:
  explicit EnterPressesDefault(QWidget& window) : QObject(&window), window_(window) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != &window_ || event->type() != QEvent::KeyPress) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) ||
        (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
      return false;
    }
    QPushButton* button = qobject_cast<QPushButton*>(window_.focusWidget());
    if (button == nullptr || button->window() != &window_) button = DefaultButton();
    if (button == nullptr || !button->isVisible() || !button->isEnabled()) return false;
    button->animateClick();
    return true;
  }

 private:
  QPushButton* DefaultButton() const {
    for (QPushButton* button : window_.findChildren<QPushButton*>()) {
      if (button->isDefault() && button->window() == &window_) return button;
    }
    return nullptr;
  }

  QWidget& window_;
};

// Keeps Esc for the drop-down list or menu open over a window. Qt offers
// Esc to the window's shortcuts first, and a combo box's list closes itself
// while being asked whether it wants the key, so the window's Esc would
// then find no list open and close the window too. Claiming the key for
// the open list lets it reach the list, which closes, and nothing else.
class PopupKeepsEscape : public QObject {
 public:
  using QObject::QObject;

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::ShortcutOverride) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Escape || key->modifiers() != Qt::NoModifier) return false;
    QWidget* popup = QApplication::activePopupWidget();
    auto* widget = qobject_cast<QWidget*>(watched);
    if (popup == nullptr || widget == nullptr || widget->window() != popup) return false;
    key->accept();
    return true;
  }
};

}  // namespace

void EscapeCloses(QWidget& window) {
  static PopupKeepsEscape* const popups = [] {
    auto* filter = new PopupKeepsEscape(qApp);
    qApp->installEventFilter(filter);
    return filter;
  }();
  (void)popups;
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), &window);
  escape->setContext(Qt::WindowShortcut);
  QObject::connect(escape, &QShortcut::activated, &window, [&window] {
    // A drop-down list (or a menu) open over the window takes the Esc.
    if (QWidget* popup = QApplication::activePopupWidget()) {
      auto* combo = qobject_cast<QComboBox*>(popup->parentWidget());
      if (combo != nullptr) {
        combo->hidePopup();
      } else {
        popup->close();
      }
      return;
    }
    window.close();
  });
}

void AddWindowKeys(QWidget& window, WindowKeys keys) {
  if (keys.escape_closes) EscapeCloses(window);
  window.installEventFilter(new EnterPressesDefault(window));
}

}  // namespace quorvel
