#include "ui/ui.h"

#include <algorithm>

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QWidget>

namespace quorvel {

QLabel* Caption(QWidget* parent, const QString& object_name, const QString& text, const QRect& rect,
                QWidget* buddy) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(object_name);
  label->setGeometry(rect);
  if (buddy != nullptr) {
    label->setBuddy(buddy);
    buddy->setAccessibleName(text.endsWith(QLatin1Char(':')) ? text.chopped(1) : text);
  }
  return label;
}

QRect TwipsRect(int left, int top, int width, int height) {
  return QRect(Px(left), Px(top), Px(width), Px(height));
}

void WidenToText(QWidget& widget, int right) {
  const int need = widget.sizeHint().width();
  if (need <= widget.width()) return;
  widget.resize(std::max(widget.width(), std::min(need, right - widget.x())), widget.height());
}

QFont ArialFont(double points, bool bold) {
  QFont font(QStringLiteral("Liberation Sans"));
  font.setPointSizeF(points);
  font.setBold(bold);
  return font;
}

namespace {

// The window a newly opened one belongs over: the program's active window,
// else its main window.
QWidget* Anchor(const QWidget& window) {
  QWidget* active = QApplication::activeWindow();
  if (active != nullptr && active != &window && active->isVisible()) return active;
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (top != &window && top->isVisible() && top->objectName() == QLatin1String("frmMain")) {
      return top;
    }
  }
  return nullptr;
}

}  // namespace

void PlaceOver(QWidget& window, const QWidget& anchor) {
  QRect frame = window.frameGeometry();
  frame.moveCenter(anchor.frameGeometry().center());
  if (const QScreen* screen = anchor.screen()) {
    const QRect room = screen->availableGeometry();
    frame.moveLeft(std::max(room.left(), std::min(frame.left(), room.right() - frame.width() + 1)));
    frame.moveTop(std::max(room.top(), std::min(frame.top(), room.bottom() - frame.height() + 1)));
  }
  window.move(frame.topLeft());
}

void OpenToolWindow(QWidget& window) {
  // The first showing goes over the window it was opened from, not to the
  // screen's corner where it would cover the others.
  if (!window.property("quorvel_placed").toBool()) {
    window.setProperty("quorvel_placed", true);
    if (const QWidget* anchor = Anchor(window)) PlaceOver(window, *anchor);
  }
  window.setWindowState((window.windowState() & ~Qt::WindowMinimized));
  window.show();
  window.raise();
  window.activateWindow();
}

void CentreOnScreen(QWidget& window) {
  QScreen* screen = window.screen() != nullptr ? window.screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  QRect frame = window.frameGeometry();
  frame.moveCenter(screen->availableGeometry().center());
  window.move(frame.topLeft());
}

}  // namespace quorvel
