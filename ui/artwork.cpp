#include "ui/artwork.h"

#include <QSvgRenderer>

#include "ui/picture.h"

namespace quorvel {

QIcon ProgramIcon() {
  static const QIcon icon = [] {
    QSvgRenderer renderer(QStringLiteral(":/resources/icon.svg"));
    // At 16 pixels the same drawing, laid on the pixel grid so it stays sharp.
    QSvgRenderer small(QStringLiteral(":/resources/icon-16.svg"));
    QIcon result;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
      result.addPixmap(RenderSvg(size == 16 ? small : renderer, QSize(size, size), 1.0));
    }
    return result;
  }();
  return icon;
}

}  // namespace quorvel
