// A picture control: SVG artwork stretched to the control's size, drawn
// sharp at any screen scale. A picture that acts as a hot spot carries a
// tool tip (also its accessible name), takes keyboard focus and reports
// double-clicks, Enter/Space and mouse-button releases.
#pragma once

#include <QPixmap>
#include <QPoint>
#include <QSvgRenderer>
#include <QWidget>

namespace quorvel {

class Picture : public QWidget {
  Q_OBJECT

 public:
  Picture(const QString& resource, QWidget* parent);

  // Makes the picture a hot spot with tool tip `tip`.
  void MakeHotSpot(const QString& tip);
  // Does what Enter on the focused hot spot does (assistive technology's
  // press action).
  void Activate() { emit keyActivated(); }

 signals:
  // Left-button double-click.
  void doubleClicked();
  // Enter, Return or Space while the hot spot has keyboard focus, or the
  // menu key / Shift+F10.
  void keyActivated();
  // A mouse button released over the picture, with the global position.
  void released(Qt::MouseButton button, QPoint global_pos);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QSvgRenderer renderer_;
  QPixmap cache_;
};

// Renders `resource` (an SVG) into a pixmap of `size` logical pixels at
// device pixel ratio `dpr`.
QPixmap RenderSvg(QSvgRenderer& renderer, const QSize& size, qreal dpr);

}  // namespace quorvel
