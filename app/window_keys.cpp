#include "app/window_keys.h"

#include <QApplication>
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

}  // namespace

void AddWindowKeys(QWidget& window, WindowKeys keys) {
  if (keys.escape_closes) {
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), &window);
    escape->setContext(Qt::WindowShortcut);
    QObject::connect(escape, &QShortcut::activated, &window, &QWidget::close);
  }
  window.installEventFilter(new EnterPressesDefault(window));
}

}  // namespace quorvel
