#include "ui/contrast.h"

#include <algorithm>
#include <cmath>

#include <QRegularExpression>

namespace quorvel {

namespace {

double Linear(double channel) {
  return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

QColor Mix(const QColor& from, const QColor& to, double t) {
  return QColor::fromRgbF(float(from.redF() + (to.redF() - from.redF()) * t),
                          float(from.greenF() + (to.greenF() - from.greenF()) * t),
                          float(from.blueF() + (to.blueF() - from.blueF()) * t));
}

}  // namespace

double RelativeLuminance(const QColor& colour) {
  const QColor rgb = colour.toRgb();
  return 0.2126 * Linear(rgb.redF()) + 0.7152 * Linear(rgb.greenF()) + 0.0722 * Linear(rgb.blueF());
}

double ContrastRatio(const QColor& a, const QColor& b) {
  const double la = RelativeLuminance(a);
  const double lb = RelativeLuminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor ReadableOn(const QColor& preferred, const QColor& background, double least) {
  if (ContrastRatio(preferred, background) >= least) return preferred;
  const QColor black(0, 0, 0);
  const QColor white(255, 255, 255);
  const QColor target =
      ContrastRatio(black, background) >= ContrastRatio(white, background) ? black : white;
  for (int step = 1; step <= 20; ++step) {
    const QColor mixed = Mix(preferred, target, step / 20.0);
    if (ContrastRatio(mixed, background) >= least) return mixed;
  }
  return target;
}

QString WithReadableColours(const QString& html, const QColor& background) {
  static const QRegularExpression kColour(QStringLiteral("color:\\s*(#[0-9a-fA-F]{6})"));
  QString result;
  qsizetype last = 0;
  for (auto it = kColour.globalMatch(html); it.hasNext();) {
    const QRegularExpressionMatch match = it.next();
    result += html.mid(last, match.capturedStart() - last);
    const QColor readable = ReadableOn(QColor(match.captured(1)), background);
    result += QStringLiteral("color:") + readable.name();
    last = match.capturedEnd();
  }
  result += html.mid(last);
  return result;
}

}  // namespace quorvel
