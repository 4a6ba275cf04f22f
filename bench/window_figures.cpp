// The window figures: month marks, calendar marking, next month, Activities, the notes list.
#include <utility>

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QTableView>

#include "app/main_window.h"
#include "bench/run.h"
#include "calendar/activities_window.h"
#include "calendar/month_calendar_window.h"
#include "notes/notes_window.h"

namespace quorvel::bench {

void Run::CheckMonth(Row& row, const RawMarks& marks, int year, int month) {
  if (marks.appointment_days != AppointmentDays(data_, year, month) ||
      marks.birthday_days != BirthdayDays(data_, year, month)) {
    row.Wrong(QStringLiteral("marks"));
  }
}

void Run::MonthMarksFigure() {
  Row row{QStringLiteral("Month marks, data only (busiest month)"),
          QStringLiteral("bulk read of both files, scan"),
          Unit::kMs,
          Goal{Goal::kAtMost, 1},
          {},
          {},
          {}};
  const QDate day = data_.busiest_day;
  MonthMarks marks;
  row.figure = Measure(
      fast(), [] {}, [&] { marks = ComputeMonthMarks(app_->files(), day.year(), day.month()); },
      [&](Row& r) {
        RawMarks seen;
        for (int d : marks.appointment_days) seen.appointment_days.insert(d);
        for (int d : marks.birthday_days) seen.birthday_days.insert(d);
        CheckMonth(r, seen, day.year(), day.month());
      },
      row);
  RawMarks raw;
  row.floor = Measure(
      fast(), [] {}, [&] { raw = RawMonthScan(*appoint_, *book_, day.year(), day.month(), day); },
      [&](Row& r) { CheckMonth(r, raw, day.year(), day.month()); }, row);
  table_.Add(std::move(row));
}

namespace {

// What the calendar window shows for the month, as marks.
RawMarks ShownMarks(MonthCalendarWindow& calendar) {
  RawMarks shown;
  const int offset = calendar.FirstDayOffset();
  for (int cell = 1; cell <= 42; ++cell) {
    if (calendar.HasAppointmentMark(cell)) shown.appointment_days.insert(cell - offset);
    if (calendar.HasBirthdayMark(cell)) shown.birthday_days.insert(cell - offset);
  }
  return shown;
}

}  // namespace

void Run::MarkingFigure() {
  Row row{QStringLiteral("Month marking as the calendar does it (today indicator, reset, marks)"),
          QStringLiteral("bulk read of both files, scan"),
          Unit::kMs,
          Goal{Goal::kAtMost, 2},
          {},
          {},
          {}};
  const QDate day = data_.busiest_day;
  MonthCalendarWindow& calendar = app_->MonthCalendar();
  QWidget* indicator =
      Child<QWidget>(app_->Main(), QLatin1String(main_window_names::kTodayIndicator));
  row.figure = Measure(
      fast(), [] {}, [&] { calendar.MarkMonthCalendar(); },
      [&](Row& r) {
        CheckMonth(r, ShownMarks(calendar), day.year(), day.month());
        if (!indicator->isVisibleTo(&app_->Main())) r.Wrong(QStringLiteral("today indicator"));
      },
      row);
  RawMarks raw;
  row.floor = Measure(
      fast(), [] {}, [&] { raw = RawMonthScan(*appoint_, *book_, day.year(), day.month(), day); },
      [&](Row& r) {
        CheckMonth(r, raw, day.year(), day.month());
        if (!raw.today) r.Wrong(QStringLiteral("floor's today"));
      },
      row);
  table_.Add(std::move(row));
}

void Run::NextMonthFigure() {
  Row row{QStringLiteral("Next month, calendar repainted"),
          QStringLiteral("bulk read of both files, scan"),
          Unit::kMs,
          Goal{Goal::kAtMost, 5},
          {},
          {},
          {}};
  const QDate day = data_.busiest_day;
  MonthCalendarWindow& calendar = app_->MonthCalendar();
  auto* view = Child<QTableView>(calendar, QStringLiteral("qt_calendar_calendarview"));
  row.figure = Measure(
      fast(), [&] { calendar.StepMonth(-1); },
      [&] {
        calendar.StepMonth(1);
        view->viewport()->repaint();
      },
      [&](Row& r) {
        if (calendar.calendar().monthShown() != day.month()) r.Wrong(QStringLiteral("month"));
        CheckMonth(r, ShownMarks(calendar), day.year(), day.month());
      },
      row);
  RawMarks raw;
  row.floor = Measure(
      fast(), [] {}, [&] { raw = RawMonthScan(*appoint_, *book_, day.year(), day.month(), day); },
      [&](Row& r) { CheckMonth(r, raw, day.year(), day.month()); }, row);
  table_.Add(std::move(row));
}

void Run::FillActivitiesFigure() {
  Row row{QStringLiteral("Fill Activities for the busiest day"),
          QStringLiteral("bulk read of both files, scan"),
          Unit::kMs,
          Goal{Goal::kAtMost, 2},
          {},
          {},
          {}};
  const QDate day = data_.busiest_day;
  const QStringList subjects = SubjectsOn(data_, day);
  const int birthdays = BirthdayCountOn(data_, day);
  ActivitiesWindow& activities = app_->Activities();
  auto* memos = Child<QComboBox>(activities, QLatin1String(activities_names::kMemos));
  auto* id = Child<QLineEdit>(activities, QLatin1String(activities_names::kId));
  row.figure = Measure(
      fast(), [&] { activities.SetDate(day); }, [&] { activities.FillActivities(); },
      [&](Row& r) {
        if (activities.Subjects() != subjects || activities.StartTimes().size() != subjects.size())
          r.Wrong(QStringLiteral("appointments"));
        if (id->text() != DayKey(day) + QStringLiteral("-1"))
          r.Wrong(QStringLiteral("shown appointment"));
        if (memos->count() != birthdays) r.Wrong(QStringLiteral("birthdays"));
      },
      row);
  RawDay raw;
  row.floor = Measure(
      fast(), [] {}, [&] { raw = RawDayScan(*appoint_, *book_, day); },
      [&](Row& r) {
        if (raw.subjects != subjects || raw.birthdays.size() != birthdays)
          r.Wrong(QStringLiteral("floor"));
      },
      row);
  table_.Add(std::move(row));
}

void Run::NotesListFigure() {
  Row row{QStringLiteral("Fill the notes list (%1 titles)").arg(data_.notes.size()),
          QStringLiteral("bulk read of Notes.dat, titles"),
          Unit::kMs,
          Goal{Goal::kAtMost, 5},
          {},
          {},
          {}};
  NotesWindow& window = app_->Notes();
  auto* list = Child<QAbstractItemView>(window, QLatin1String(notes_names::kList));
  const int count = int(data_.notes.size());
  row.figure = Measure(
      fast(), [] {}, [&] { window.LoadNotesList(); },
      [&](Row& r) {
        if (list->model()->rowCount() != count ||
            CellText(list, count - 1, 1) != data_.notes.back().title ||
            CellText(list, count - 1, 0) != QString::number(count)) {
          r.Wrong(QStringLiteral("list"));
        }
      },
      row);
  QStringList titles;
  row.floor = Measure(
      fast(), [] {}, [&] { titles = RawTitles(*notes_); },
      [&](Row& r) {
        if (titles.size() != count || titles.back() != data_.notes.back().title)
          r.Wrong(QStringLiteral("floor"));
      },
      row);
  table_.Add(std::move(row));
}

}  // namespace quorvel::bench
