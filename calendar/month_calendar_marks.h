// The legend's pictures of the month calendar's marks, drawn as the day cells draw them.
#pragma once

#include <QColor>
#include <QPixmap>
#include <QSize>

namespace quorvel::month_marks {

enum class Mark { kBirthday, kAppointment, kRepeating, kAllDay };

// A legend picture drawn as the cells draw the mark, on the window's
// colour (the title it lies over), at the screen's pixel ratio.
QPixmap LegendPixmap(Mark mark, const QSize& size, qreal ratio, const QColor& back);

}  // namespace quorvel::month_marks
