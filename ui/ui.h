// Geometry, fonts and window showing shared by every window.
#pragma once

#include <QDate>
#include <QFont>
#include <QRect>
#include <QString>

#include "store/date_text.h"

class QLabel;
class QWidget;

namespace quorvel {

inline constexpr int kTwipsPerPixel = 15;

// Pixels for a length in twips, rounded to the nearest pixel.
constexpr int Px(int twips) {
  return (twips + (twips >= 0 ? kTwipsPerPixel / 2 : -kTwipsPerPixel / 2)) / kTwipsPerPixel;
}
// Twips for a length in pixels.
constexpr int Twips(int pixels) { return pixels * kTwipsPerPixel; }

// A rectangle given as left, top, width, height in twips.
QRect TwipsRect(int left, int top, int width, int height);

// Names `widget` with its design name and puts it at `rect`.
template <class Widget>
Widget* Place(Widget* widget, const char* name, const QRect& rect) {
  widget->setObjectName(QLatin1String(name));
  widget->setGeometry(rect);
  return widget;
}

// A label for `buddy` named `object_name` at `rect`; the box takes the
// caption, without its colon, as its accessible name.
QLabel* Caption(QWidget* parent, const QString& object_name, const QString& text, const QRect& rect,
                QWidget* buddy);

// Widens `widget` to show its whole caption when its designed width is too
// small for it (a longer text in another language), but never past `right`
// (in its parent's pixels). A caption that fits keeps the designed geometry.
void WidenToText(QWidget& widget, int right);

// Arial (Liberation Sans here) at `points`.
QFont ArialFont(double points, bool bold = false);

// Shows a tool window without blocking: restored if minimised, in front and
// active if it was already open.
void OpenToolWindow(QWidget& window);

// Centres `window` over `anchor`, kept on the anchor's screen.
void PlaceOver(QWidget& window, const QWidget& anchor);

// Moves a top-level window to the middle of the screen it is on.
void CentreOnScreen(QWidget& window);

}  // namespace quorvel
