#include "ui/picture.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace quorvel {

QPixmap RenderSvg(QSvgRenderer& renderer, const QSize& size, qreal dpr) {
  QPixmap pixmap(size * dpr);
  pixmap.fill(Qt::transparent);
  {
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(pixmap.size())));
  }
  pixmap.setDevicePixelRatio(dpr);
  return pixmap;
}

Picture::Picture(const QString& resource, QWidget* parent) : QWidget(parent), renderer_(resource) {
  Q_ASSERT(renderer_.isValid());
}

void Picture::MakeHotSpot(const QString& tip) {
  setToolTip(tip);
  setAccessibleName(tip);
  setFocusPolicy(Qt::TabFocus);
}

void Picture::paintEvent(QPaintEvent* /*event*/) {
  const qreal dpr = devicePixelRatioF();
  if (cache_.isNull() || cache_.size() != size() * dpr) {
    cache_ = RenderSvg(renderer_, size(), dpr);
  }
  QPainter painter(this);
  painter.drawPixmap(0, 0, cache_);
  if (hasFocus()) {
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = rect();
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
  }
}

void Picture::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) emit doubleClicked();
  event->accept();
}

void Picture::mouseReleaseEvent(QMouseEvent* event) {
  // The release belongs to the widget that took the press; count it as over
  // the picture only when the pointer is still inside.
  if (rect().contains(event->position().toPoint())) {
    emit released(event->button(), event->globalPosition().toPoint());
  }
  event->accept();
}

void Picture::keyPressEvent(QKeyEvent* event) {
  const bool menu_key = event->key() == Qt::Key_Menu ||
                        (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier);
  const bool press_key = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier &&
                         (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
                          event->key() == Qt::Key_Space);
  if (focusPolicy() != Qt::NoFocus && (menu_key || press_key)) {
    emit keyActivated();
    event->accept();
    return;
  }
  QWidget::keyPressEvent(event);
}

}  // namespace quorvel
