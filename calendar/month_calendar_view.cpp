// The month calendar's day grid (MonthCalendarView) and its marks, in the cells and the legend.
#include <QEvent>
#include <QPainter>
#include <QPixmap>
#include <QPolygonF>
#include <QTableView>
#include <QTextCharFormat>
#include <QToolButton>
#include <QtMath>

#include "calendar/month_calendar_marks.h"
#include "calendar/month_calendar_window.h"
#include "ui/contrast.h"
#include "ui/seams.h"
#include "ui/ui.h"

namespace quorvel {

namespace {

const QColor kBirthdayBlue(0, 0, 255);
const QColor kAppointmentRed(255, 0, 0);

// One mark: a disc of 18 × 17 pixels shown in a 17-pixel square.
constexpr int kMarkSize = 17;
constexpr int kMarkStep = 16;  // 240 twips: the appointment mark's offset

// The marks keep their red and blue where these stand out from the
// background (3:1, as for any graphic that must be made out); on a dark
// one they are lightened just enough.
constexpr double kLeastMarkContrast = 3.0;
QColor MarkColour(const QColor& designed, const QColor& back) {
  return ReadableOn(designed, back, kLeastMarkContrast);
}

// Each mark lies on a square of `back`: the cell's own base, so that a
// selected day's marks read as well as any other's.
void PaintDisc(QPainter& painter, const QRect& square, const QColor& colour, const QColor& back) {
  painter.save();
  painter.fillRect(square, back);
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setPen(Qt::NoPen);
  painter.setBrush(colour);
  painter.drawEllipse(QRectF(square).adjusted(1.5, 2.0, -1.5, -1.0));
  painter.restore();
}

// A repeating event's mark: a ring, open at the top right, with the
// arrow's head: a mark that reads apart from the filled disc.
void PaintRing(QPainter& painter, const QRect& square, const QColor& colour, const QColor& back) {
  painter.save();
  painter.fillRect(square, back);
  painter.setRenderHint(QPainter::Antialiasing, true);
  QPen pen(colour, 2.2);
  pen.setCapStyle(Qt::FlatCap);
  painter.setPen(pen);
  painter.setBrush(Qt::NoBrush);
  const QRectF ring = QRectF(square).adjusted(3.5, 4.0, -3.5, -3.0);
  painter.drawArc(ring, 90 * 16, 290 * 16);
  const QPointF tip(ring.center().x() + 1.0, ring.top());
  painter.setPen(Qt::NoPen);
  painter.setBrush(colour);
  painter.drawPolygon(
      QPolygonF({tip + QPointF(3.5, 0), tip + QPointF(-1.5, -3.5), tip + QPointF(-1.5, 3.5)}));
  painter.restore();
}

}  // namespace

namespace month_marks {

QPixmap LegendPixmap(Mark mark, const QSize& size, qreal ratio, const QColor& back) {
  QPixmap pixmap(QSize(qCeil(size.width() * ratio), qCeil(size.height() * ratio)));
  pixmap.setDevicePixelRatio(ratio);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  const QRect square(QPoint(0, 0), size);
  const QColor red = MarkColour(kAppointmentRed, back);
  switch (mark) {
    case Mark::kBirthday:
      PaintDisc(painter, square, MarkColour(kBirthdayBlue, back), back);
      break;
    case Mark::kAppointment:
      PaintDisc(painter, square, red, back);
      break;
    case Mark::kRepeating:
      PaintRing(painter, square, red, back);
      break;
    case Mark::kAllDay:
      painter.fillRect(QRect(0, size.height() / 2 - 1, size.width(), 3), red);
      break;
  }
  return pixmap;
}

}  // namespace month_marks

MonthCalendarView::MonthCalendarView(QWidget* parent) : QCalendarWidget(parent) {
  setFirstDayOfWeek(Qt::Sunday);
  setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
  setHorizontalHeaderFormat(QCalendarWidget::ShortDayNames);
  setGridVisible(true);
  setFont(ArialFont(10));
  QTextCharFormat header;
  header.setFontWeight(QFont::Bold);
  setHeaderTextFormat(header);
  KeepWeekendNamesReadable();
  // Months are stepped by the window's own spinner, which lies over the
  // title; the month and year selectors in the title stay.
  for (const char* name : {"qt_calendar_prevmonth", "qt_calendar_nextmonth"}) {
    if (auto* button = findChild<QToolButton*>(QLatin1String(name))) button->hide();
  }
  if (auto* bar = findChild<QWidget*>(QStringLiteral("qt_calendar_navigationbar"))) {
    bar->setFixedHeight(Px(570));
    // A plain title: the legend and the spinner lie over it.
    bar->setStyleSheet(
        QStringLiteral("#qt_calendar_navigationbar { background-color: palette(window); }"
                       "QToolButton { color: palette(window-text); }"
                       // The month's drop-down arrow beside its name, not under it.
                       "QToolButton#qt_calendar_monthbutton { padding-right: 14px; }"
                       "QToolButton#qt_calendar_monthbutton::menu-indicator {"
                       " subcontrol-origin: padding; subcontrol-position: right center; }"));
  }
  // Tab leaves the day grid; the arrow keys move inside it.
  if (auto* view = findChild<QTableView*>(QStringLiteral("qt_calendar_calendarview"))) {
    view->setTabKeyNavigation(false);
  }
}

void MonthCalendarView::SetMarks(int year, int month, const MonthMarks& marks) {
  year_ = year;
  month_ = month;
  marks_ = marks;
  if (auto* view = findChild<QTableView*>(QStringLiteral("qt_calendar_calendarview"))) {
    view->viewport()->update();
  }
}

void MonthCalendarView::KeepWeekendNamesReadable() {
  // The day names lie on the palette's alternate base; the cells are
  // painted below and take no colour from these formats.
  const QColor header = palette().color(QPalette::AlternateBase);
  for (Qt::DayOfWeek day : {Qt::Saturday, Qt::Sunday}) {
    QTextCharFormat format = weekdayTextFormat(day);
    format.setForeground(ReadableOn(QColor(Qt::red), header));
    setWeekdayTextFormat(day, format);
  }
}

void MonthCalendarView::changeEvent(QEvent* event) {
  QCalendarWidget::changeEvent(event);
  if (event->type() == QEvent::PaletteChange) {
    KeepWeekendNamesReadable();
    // The title's style sheet took the palette's colours when it was set:
    // set again, the title follows a change between light and dark, and the
    // legend over it stays readable.
    if (auto* bar = findChild<QWidget*>(QStringLiteral("qt_calendar_navigationbar"))) {
      const QString sheet = bar->styleSheet();
      bar->setStyleSheet(QString());
      bar->setStyleSheet(sheet);
    }
  }
}

// The day number sits in the lower part of the cell so that the marks in
// its upper left never cover it; days of the neighbouring months are grey,
// today is bold.
void MonthCalendarView::paintCell(QPainter* painter, const QRect& rect, QDate date) const {
  const bool in_month = date.year() == yearShown() && date.month() == monthShown();
  const bool selected = date == selectedDate();
  painter->save();
  painter->fillRect(rect, palette().brush(selected ? QPalette::Highlight : QPalette::Base));
  QFont number = font();
  number.setBold(date == Now().date());
  painter->setFont(number);
  QColor ink = palette().color(selected ? QPalette::HighlightedText : QPalette::Text);
  if (!in_month && !selected) ink = palette().color(QPalette::Disabled, QPalette::Text);
  painter->setPen(ink);
  painter->drawText(rect.adjusted(0, rect.height() / 3, 0, 0), Qt::AlignCenter,
                    QString::number(date.day()));
  painter->restore();

  if (date.year() != year_ || date.month() != month_) return;
  const QColor back = palette().color(QPalette::Base);
  const QColor red = MarkColour(kAppointmentRed, back);
  const QRect birthday(rect.left() + 14, rect.top() + 4, kMarkSize, kMarkSize);
  if (marks_.birthday_days.contains(date.day())) {
    PaintDisc(*painter, birthday, MarkColour(kBirthdayBlue, back), back);
  }
  if (marks_.appointment_days.contains(date.day())) {
    PaintDisc(*painter, birthday.translated(kMarkStep, 0), red, back);
  }
  if (marks_.repeating_days.contains(date.day())) {
    PaintRing(*painter, birthday.translated(2 * kMarkStep, 0), red, back);
  }
  // A day an all-day event covers: a band across the top of the cell,
  // joining the days of a longer one (readable on a selected day's
  // highlight too).
  if (marks_.all_day_days.contains(date.day())) {
    const QColor under = palette().color(selected ? QPalette::Highlight : QPalette::Base);
    painter->fillRect(QRect(rect.left(), rect.top() + 1, rect.width(), 3),
                      MarkColour(kAppointmentRed, under));
  }
}

}  // namespace quorvel
