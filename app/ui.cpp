#include "app/ui.h"

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

}  // namespace quorvel
