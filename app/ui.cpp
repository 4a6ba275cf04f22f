#include "app/ui.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace quorvel {

QRect TwipsRect(int left, int top, int width, int height) {
  return QRect(Px(left), Px(top), Px(width), Px(height));
}

QFont ArialFont(double points, bool bold) {
  QFont font(QStringLiteral("Liberation Sans"));
  font.setPointSizeF(points);
  font.setBold(bold);
  return font;
}

void OpenToolWindow(QWidget& window) {
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
