#include "app/artwork.h"

#include <QSvgRenderer>

#include "app/picture.h"

namespace quorvel {

QIcon ProgramIcon() {
  static const QIcon icon = [] {
    QSvgRenderer renderer(QStringLiteral(":/resources/icon.svg"));
    QIcon result;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
      result.addPixmap(RenderSvg(renderer, QSize(size, size), 1.0));
    }
    return result;
  }();
  return icon;
}

}  // namespace quorvel
