// Text contrast as the WCAG defines it, and colours kept readable on any
// background, so that text drawn in a fixed colour (or on a fixed one)
// stays readable in light and dark desktop palettes alike.
#pragma once

#include <QColor>
#include <QString>

namespace quorvel {

// The least contrast ratio body text should have against its background.
inline constexpr double kLeastTextContrast = 4.5;

// Relative luminance (0 black … 1 white) of an sRGB colour.
double RelativeLuminance(const QColor& colour);
// Contrast ratio of two colours, from 1 (none) to 21 (black on white).
double ContrastRatio(const QColor& a, const QColor& b);

// `preferred` when it reaches the least contrast on `background`; otherwise
// `preferred` moved towards black or white, whichever background suits,
// just far enough to reach it.
QColor ReadableOn(const QColor& preferred, const QColor& background,
                  double least = kLeastTextContrast);

// `html` with every "color:#rrggbb" made readable on `background`.
QString WithReadableColours(const QString& html, const QColor& background);

}  // namespace quorvel
