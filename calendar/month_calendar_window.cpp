#include "calendar/month_calendar_window.h"

#include <algorithm>

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimeZone>
#include <QToolButton>

#include "calendar/activities_window.h"
#include "calendar/appointment_editor_window.h"
#include "calendar/day_occurrences.h"
#include "calendar/month_calendar_marks.h"
#include "events/occurrences.h"
#include "ui/data_changes.h"
#include "ui/organiser.h"
#include "ui/seams.h"
#include "ui/ui.h"

namespace quorvel {

namespace {

namespace names = month_calendar_names;

using month_marks::LegendPixmap;
using month_marks::Mark;

QLabel* LegendMark(QWidget* parent, const char* name, const QRect& rect, const QString& tip) {
  auto* label = new QLabel(parent);
  label->setObjectName(QLatin1String(name));
  label->setGeometry(rect);
  label->setAccessibleName(tip);
  return label;
}

const struct {
  const char* name;
  Mark mark;
} kLegendMarks[] = {{names::kBirthdayMark, Mark::kBirthday},
                    {names::kAppointmentMark, Mark::kAppointment},
                    {names::kRepeatingMark, Mark::kRepeating},
                    {names::kAllDayMark, Mark::kAllDay}};

// The marks of the events kept beside the four files: a one-off timed
// event marks its days as an appointment does; a repeating one and one
// that covers whole days have marks of their own.
void AddEventMarks(const store::DataFiles& files, int year, int month, const QDate& today,
                   MonthMarks& marks) {
  const QDate first(year, month, 1);
  if (!first.isValid()) return;
  const QDate last = first.addDays(first.daysInMonth() - 1);
  if (!files.IsOpen(store::Channel::kEvents)) return;
  if (today.isValid() && (today < first || today > last) && !OccurrencesOn(files, today).empty()) {
    marks.today = true;
  }
  // Read a month at a time and kept until Events.dat changes.
  const MonthOccurrences& kept = OccurrencesInMonth(files, first);
  for (std::size_t i = 0; i < kept.occurrences.size(); ++i) {
    const events::Occurrence& o = kept.occurrences[i];
    const auto [first_day, last_day] = kept.days[i];
    for (QDate day = std::max(first_day, first); day <= last_day && day <= last;
         day = day.addDays(1)) {
      if (day == today) marks.today = true;
      if (o.repeats) marks.repeating_days.insert(day.day());
      if (o.all_day || first_day != last_day) marks.all_day_days.insert(day.day());
      if (!o.repeats && !o.all_day && first_day == last_day)
        marks.appointment_days.insert(day.day());
    }
  }
}

}  // namespace

MonthCalendarWindow::MonthCalendarWindow(Organiser& app) : app_(app) {
  setObjectName(QLatin1String(names::kWindow));
  setWindowTitle(tr("Calendar"));
  setFixedSize(Px(7890), Px(5385));

  calendar_ = new MonthCalendarView(this);
  calendar_->setObjectName(QLatin1String(names::kCalendar));
  calendar_->setAccessibleName(tr("Calendar"));
  calendar_->setGeometry(TwipsRect(-120, 0, 7935, 5295));

  // Legend: the marks and the words beside them, over the title; the
  // marks drawn as the cells draw them, again when the palette changes.
  LegendMark(this, names::kBirthdayMark, TwipsRect(240, 0, 255, 255), tr("Birthday"));
  LegendMark(this, names::kAppointmentMark, TwipsRect(240, 240, 255, 255), tr("Appointment"));
  // The legend's words are text in the palette's colour, readable on a
  // light or a dark window.
  auto* legend = new QLabel(tr("Birthday\nAppointment"), this);
  legend->setObjectName(QLatin1String(names::kLegend));
  legend->setGeometry(TwipsRect(480, 0, 1695, 495));
  legend->setFont(ArialFont(9));
  legend->setContentsMargins(3, 0, 0, 0);
  legend->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  legend->setAccessibleName(tr("Legend: Birthday, Appointment"));
  // The kept events' marks beside them: a series' day, an all-day day.
  LegendMark(this, names::kRepeatingMark, TwipsRect(1800, 0, 255, 255), tr("Repeating event"));
  LegendMark(this, names::kAllDayMark, TwipsRect(1800, 240, 255, 255), tr("All-day event"));
  auto* events_legend = new QLabel(tr("Repeating\nAll day"), this);
  events_legend->setObjectName(QLatin1String(names::kEventsLegend));
  events_legend->setGeometry(TwipsRect(2040, 0, 1260, 495));
  events_legend->setFont(ArialFont(9));
  events_legend->setContentsMargins(3, 0, 0, 0);
  events_legend->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  events_legend->setAccessibleName(tr("Legend: Repeating event, All-day event"));
  PaintLegend();

  auto* spinner = new QWidget(this);
  spinner->setObjectName(QLatin1String(names::kMonthArrows));
  spinner->setGeometry(TwipsRect(4920, 120, 852, 240));
  auto* spin_layout = new QHBoxLayout(spinner);
  spin_layout->setContentsMargins(0, 0, 0, 0);
  spin_layout->setSpacing(0);
  const struct {
    const char* name;
    Qt::ArrowType arrow;
    const char* tip;
    int step;
  } kButtons[] = {{names::kPreviousMonth, Qt::LeftArrow, QT_TR_NOOP("Previous month"), -1},
                  {names::kNextMonth, Qt::RightArrow, QT_TR_NOOP("Next month"), 1}};
  for (const auto& b : kButtons) {
    auto* button = new QToolButton(spinner);
    button->setObjectName(QLatin1String(b.name));
    button->setArrowType(b.arrow);
    button->setToolTip(tr(b.tip));
    button->setAccessibleName(tr(b.tip));
    button->setAutoRepeat(true);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    spin_layout->addWidget(button);
    const int step = b.step;
    connect(button, &QToolButton::clicked, this, [this, step] { StepMonth(step); });
  }

  auto* close = new QPushButton(tr("Close"), this);
  close->setObjectName(QLatin1String(names::kClose));
  close->setGeometry(TwipsRect(6600, 120, 1095, 375));
  connect(close, &QPushButton::clicked, this, &QWidget::hide);
  // Keyboard order: the calendar (title selectors, then the days), the
  // month arrows, Close.
  QWidget* previous = calendar_;
  for (QWidget* next :
       {static_cast<QWidget*>(
            spinner->findChild<QToolButton*>(QLatin1String(names::kPreviousMonth))),
        static_cast<QWidget*>(spinner->findChild<QToolButton*>(QLatin1String(names::kNextMonth))),
        static_cast<QWidget*>(close)}) {
    setTabOrder(previous, next);
    previous = next;
  }

  connect(calendar_, &QCalendarWidget::selectionChanged, this, [this] {
    if (!marking_) MarkMonthCalendar();
  });
  // The title's month and year selectors move the selected date along, to
  // the same day of the new month (or its last day).
  connect(calendar_, &QCalendarWidget::currentPageChanged, this, [this](int year, int month) {
    if (marking_) return;
    const QDate selected = calendar_->selectedDate();
    if (selected.year() != year || selected.month() != month) {
      const QDate first(year, month, 1);
      marking_ = true;
      calendar_->setSelectedDate(first.addDays(std::min(selected.day(), first.daysInMonth()) - 1));
      marking_ = false;
    }
    MarkMonthCalendar();
  });
  connect(calendar_, &QCalendarWidget::activated, this,
          [this](QDate date) { OpenActivitiesFor(date); });

  // Load: today selected, its month marked.
  {
    const QSignalBlocker block(calendar_);
    calendar_->setSelectedDate(Now().date());
    calendar_->setCurrentPage(Now().date().year(), Now().date().month());
  }
  MarkMonthCalendar();

  connect(&app_.Changes(), &DataChanges::DataChanged, this, [this](store::ChangedFiles changed) {
    if (changed.HasAny(
            {store::Channel::kAppoint, store::Channel::kAddBook, store::Channel::kEvents}) &&
        !MarksCurrent()) {
      RefreshMarks();
    }
  });
}

void MonthCalendarWindow::PaintLegend() {
  const QColor back = palette().color(QPalette::Window);
  for (const auto& m : kLegendMarks) {
    if (auto* label = findChild<QLabel*>(QLatin1String(m.name))) {
      label->setPixmap(LegendPixmap(m.mark, label->size(), devicePixelRatioF(), back));
    }
  }
}

void MonthCalendarWindow::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::PaletteChange) PaintLegend();
}

// The today indicator comes from the same pass over the IDs as the marks.
void MonthCalendarWindow::MarkMonthCalendar() {
  RefreshMarks();
  app_.Activities().ResetActivities();
}

bool MonthCalendarWindow::MarksCurrent() const {
  return marked_seen_.Current(app_.files()) && marked_year_ == calendar_->yearShown() &&
         marked_month_ == calendar_->monthShown() && marked_today_ == Now().date();
}

void MonthCalendarWindow::RefreshMarks() {
  const int year = calendar_->yearShown();
  const int month = calendar_->monthShown();
  const QDate today = Now().date();
  marked_seen_ = store::FilesSeen(
      app_.files(), {store::Channel::kAppoint, store::Channel::kAddBook, store::Channel::kEvents});
  marked_year_ = year;
  marked_month_ = month;
  marked_today_ = today;
  MonthMarks marks = ComputeMonthMarks(app_.files(), year, month, today);
  AddEventMarks(app_.files(), year, month, today, marks);
  app_.ShowTodayIndicator(marks.today);
  calendar_->SetMarks(year, month, marks);
}

QDate MonthCalendarWindow::SelectedDate() const { return calendar_->selectedDate(); }

void MonthCalendarWindow::StepMonth(int months) {
  const QDate first = QDate(calendar_->yearShown(), calendar_->monthShown(), 1).addMonths(months);
  {
    marking_ = true;
    calendar_->setSelectedDate(first);
    calendar_->setCurrentPage(first.year(), first.month());
    marking_ = false;
  }
  MarkMonthCalendar();
}

int MonthCalendarWindow::FirstDayOffset() const {
  return QDate(calendar_->yearShown(), calendar_->monthShown(), 1).dayOfWeek();
}

bool MonthCalendarWindow::HasAppointmentMark(int cell) const {
  const MonthMarks& marks = calendar_->marks();
  return marks.appointment_days.contains(cell - FirstDayOffset());
}

bool MonthCalendarWindow::HasBirthdayMark(int cell) const {
  return calendar_->marks().birthday_days.contains(cell - FirstDayOffset());
}

// While the appointment editor is open the Activities window stays hidden,
// so that no appointment is deleted or renumbered under the editor; the
// editor comes to the front instead.
void MonthCalendarWindow::OpenActivitiesFor(const QDate& date) {
  ActivitiesWindow& activities = app_.Activities();
  if (activities.EditorOpen()) {
    OpenToolWindow(app_.AppointmentEditor());
    return;
  }
  activities.SetDate(date);
  OpenToolWindow(activities);
  activities.FillActivities();
  activities.FocusStart();
}

}  // namespace quorvel
