#include "bench/event_figures.h"

#include <algorithm>
#include <set>

#include <QCoreApplication>
#include <QPushButton>
#include <QTableWidget>
#include <QTimeZone>

#include "app/application.h"
#include "calendar/activities_window.h"
#include "calendar/day_schedule_window.h"
#include "calendar/month_calendar_window.h"
#include "events/event_file.h"
#include "events/occurrences.h"
#include "items/appointment_file.h"
#include "reminding/reminder_keeper.h"

namespace quorvel::bench {
namespace {

const QByteArray kBerlin =
    "BEGIN:VTIMEZONE\r\nTZID:Europe/Berlin\r\n"
    "BEGIN:DAYLIGHT\r\nTZOFFSETFROM:+0100\r\nTZOFFSETTO:+0200\r\nTZNAME:CEST\r\n"
    "DTSTART:19700329T020000\r\nRRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU\r\nEND:DAYLIGHT\r\n"
    "BEGIN:STANDARD\r\nTZOFFSETFROM:+0200\r\nTZOFFSETTO:+0100\r\nTZNAME:CET\r\n"
    "DTSTART:19701025T030000\r\nRRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU\r\nEND:STANDARD\r\n"
    "END:VTIMEZONE\r\n";

QByteArray Local(const QDateTime& t) {
  return t.toString(QStringLiteral("yyyyMMddTHHmmss")).toLatin1();
}

// Series `k`: weekly, monthly or yearly, begun before `day`'s month.
QByteArray Series(int k, const QDate& day) {
  const int kind = k % 3;
  QDate first = kind == 0   ? day.addDays(-7 * (5 + k % 20) - k % 7)
                : kind == 1 ? day.addMonths(-(2 + k % 10)).addDays(k % 28 - 14)
                            : day.addYears(-(1 + k % 6)).addDays(k % 30 - 15);
  const QDateTime start(first, QTime(7 + k % 12, (k % 2) * 30));
  auto step = [&](int n) {
    return kind == 0 ? start.addDays(7 * n) : kind == 1 ? start.addMonths(n) : start.addYears(n);
  };
  const char* freq = kind == 0 ? "WEEKLY" : kind == 1 ? "MONTHLY" : "YEARLY";
  const QByteArray uid = "series-" + QByteArray::number(k) + "@bench.example";
  QByteArray text =
      "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//bench//EN\r\n" + kBerlin +
      "BEGIN:VEVENT\r\nUID:" + uid + "\r\nDTSTAMP:20260101T000000Z\r\n" +
      "DTSTART;TZID=Europe/Berlin:" + Local(start) + "\r\n" +
      "DTEND;TZID=Europe/Berlin:" + Local(start.addSecs(3600)) + "\r\n" + "RRULE:FREQ=" + freq +
      "\r\n" + "EXDATE;TZID=Europe/Berlin:" + Local(step(1)) + "\r\n" + "SUMMARY:Series " +
      QByteArray::number(k) + "\r\n" +
      "BEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:x\r\nTRIGGER:-PT15M\r\nEND:VALARM\r\n"
      "END:VEVENT\r\n";
  if (k % 5 == 0) {
    text += "BEGIN:VEVENT\r\nUID:" + uid + "\r\nDTSTAMP:20260101T000000Z\r\n" +
            "RECURRENCE-ID;TZID=Europe/Berlin:" + Local(step(2)) + "\r\n" +
            "DTSTART;TZID=Europe/Berlin:" + Local(step(2).addSecs(3600)) + "\r\n" +
            "DTEND;TZID=Europe/Berlin:" + Local(step(2).addSecs(7200)) + "\r\n" +
            "SUMMARY:Series " + QByteArray::number(k) + " (moved)\r\nEND:VEVENT\r\n";
  }
  return text + "END:VCALENDAR\r\n";
}

QByteArray AllDay(int k, const QDate& day) {
  const QDate first = day.addDays(k % 61 - 30);
  return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//bench//EN\r\nBEGIN:VEVENT\r\nUID:day-" +
         QByteArray::number(k) +
         "@bench.example\r\nDTSTAMP:20260101T000000Z\r\nDTSTART;VALUE=DATE:" +
         first.toString(QStringLiteral("yyyyMMdd")).toLatin1() + "\r\nDTEND;VALUE=DATE:" +
         first.addDays(1 + k % 3).toString(QStringLiteral("yyyyMMdd")).toLatin1() +
         "\r\nSUMMARY:Away " + QByteArray::number(k) + "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
}

struct Shown {
  MonthMarks marks;
  QStringList subjects;
  int listed = 0;
  int rows = 0;
};

}  // namespace

bool PutBenchEvents(store::DataFiles& files, const QDate& day) {
  store::Operation op(files);
  for (int k = 0; k < 500; ++k) {
    if (events::PutEvent(op, Series(k, day)) != events::PutResult::kStored) return false;
  }
  for (int k = 0; k < 200; ++k) {
    if (events::PutEvent(op, AllDay(k, day)) != events::PutResult::kStored) return false;
  }
  return op.Commit().stored();
}

bool RemoveBenchEvents(store::DataFiles& files) {
  store::Operation op(files);
  for (int k = 0; k < 500; ++k) {
    if (!events::RemoveEvent(op, QStringLiteral("series-%1@bench.example").arg(k))) return false;
  }
  for (int k = 0; k < 200; ++k) {
    if (!events::RemoveEvent(op, QStringLiteral("day-%1@bench.example").arg(k))) return false;
  }
  return op.Commit().stored();
}

int BenchEventsHolding(const QString& word) {
  int holding = 0;
  for (int k = 0; k < 500; ++k) {
    const QString summary =
        QStringLiteral("Series %1").arg(k) + (k % 5 == 0 ? QStringLiteral(" (moved)") : QString());
    holding += summary.contains(word, Qt::CaseInsensitive);
  }
  for (int k = 0; k < 200; ++k)
    holding += QStringLiteral("Away %1").arg(k).contains(word, Qt::CaseInsensitive);
  return holding;
}

void EventFigures(Table& table, Application& app, const QDate& day, int runs) {
  Row marking{QStringLiteral("Month marking with 500 series and 200 all-day events"),
              QStringLiteral("the same without them"),
              Unit::kMs,
              Goal{Goal::kRatioAtMost, 2},
              {},
              {},
              {}};
  Row filling{QStringLiteral("Fill Activities for the busiest day, with the events"),
              QStringLiteral("the same without them"),
              Unit::kMs,
              Goal{Goal::kRatioAtMost, 2},
              {},
              {},
              {}};
  Row opening{QStringLiteral("Open the busiest day's schedule, with the events"),
              QStringLiteral("the same without them"),
              Unit::kMs,
              Goal{Goal::kRatioAtMost, 2},
              {},
              {},
              {}};
  Row minute{QStringLiteral("The minute's reminder check, with the events' alarms"),
             QStringLiteral("the same without them"),
             Unit::kMs,
             Goal{Goal::kRatioAtMost, 2},
             {},
             {},
             {}};
  MonthCalendarWindow& calendar = app.MonthCalendar();
  ActivitiesWindow& activities = app.Activities();
  DayScheduleWindow& schedule = app.DaySchedule();
  auto* grid = schedule.findChild<QTableWidget*>(QLatin1String(day_schedule_names::kGrid));
  auto* view = activities.findChild<QPushButton*>(QLatin1String(activities_names::kViewSchedule));
  const QDateTime at(day, QTime(9, 0));
  int shown = 0;
  auto keeper_for = [&] {
    auto keeper = std::make_unique<reminding::ReminderKeeper>(
        app.files().DataDir(), [at] { return at; }, nullptr,
        [&](const reminding::Reminder&, bool) { ++shown; });
    keeper->Start();
    return keeper;
  };

  // The first marking after a change reads the month again: with the
  // events, after one of them changed; its floor, without them, after one
  // appointment changed.
  Row cold{QStringLiteral("Month marking right after one event changed (reads the month again)"),
           QStringLiteral("the same without the events, after one appointment changed"),
           Unit::kMs,
           Goal{Goal::kRatioAtMost, 2},
           {},
           {},
           {}};
  int changes = 0;
  // Each measured twice: without the events (the floor), then with them.
  Shown floor;
  for (bool with_events : {false, true}) {
    if (with_events) {
      store::Operation op(app.files());
      for (int k = 0; k < 500; ++k) {
        if (events::PutEvent(op, Series(k, day)) != events::PutResult::kStored)
          marking.Wrong(QStringLiteral("not stored"));
      }
      for (int k = 0; k < 200; ++k) {
        if (events::PutEvent(op, AllDay(k, day)) != events::PutResult::kStored)
          marking.Wrong(QStringLiteral("not stored"));
      }
      if (!op.Commit().stored()) marking.Wrong(QStringLiteral("not committed"));
      QCoreApplication::processEvents();
    }
    // What the events alone put on the month and the day, read straight.
    const QDate month_first(calendar.calendar().yearShown(), calendar.calendar().monthShown(), 1);
    std::set<int> series_days, all_day_days;
    const auto month = events::ReadOccurrences(app.files(), month_first,
                                               month_first.addDays(month_first.daysInMonth() - 1),
                                               QTimeZone::systemTimeZone());
    for (const events::Occurrence& o : month) {
      for (QDate d = std::max(o.first_day(), month_first);
           d <= o.last_day() && d.month() == month_first.month(); d = d.addDays(1)) {
        if (o.repeats) series_days.insert(d.day());
        if (o.all_day) all_day_days.insert(d.day());
      }
    }
    const int on_day =
        int(events::ReadOccurrences(app.files(), day, day, QTimeZone::systemTimeZone()).size());
    if (with_events && (series_days.empty() || on_day == 0))
      marking.Wrong(QStringLiteral("no events shown"));

    Sample& marks = with_events ? marking.figure : marking.floor;
    marks = Measure(
        runs, [] {}, [&] { calendar.MarkMonthCalendar(); },
        [&](Row& r) {
          const MonthMarks& m = calendar.calendar().marks();
          if (!with_events) floor.marks = m;
          if (m.appointment_days != floor.marks.appointment_days)
            r.Wrong(QStringLiteral("appointment marks"));
          if (std::set<int>(m.repeating_days.begin(), m.repeating_days.end()) != series_days) {
            r.Wrong(QStringLiteral("series marks"));
          }
          if (std::set<int>(m.all_day_days.begin(), m.all_day_days.end()) != all_day_days) {
            r.Wrong(QStringLiteral("all-day marks"));
          }
        },
        marking);
    if (!with_events) {
      cold.floor = Measure(
          std::max(2, runs / 3),
          [&] {
            std::optional<Appointment> a = ReadDayAppointments(app.files(), day).first;
            if (!a) return cold.Wrong(QStringLiteral("no appointment"));
            a->subject = QStringLiteral("Changed %1").arg(++changes);
            if (!UpdateAppointment(app.files(), *a).stored())
              cold.Wrong(QStringLiteral("not stored"));
          },
          [&] { calendar.MarkMonthCalendar(); },
          [&](Row& r) {
            if (calendar.calendar().marks().appointment_days != floor.marks.appointment_days) {
              r.Wrong(QStringLiteral("appointment marks"));
            }
          },
          cold);
    }
    activities.SetDate(day);
    Sample& fill = with_events ? filling.figure : filling.floor;
    fill = Measure(
        runs, [] {}, [&] { activities.FillActivities(); },
        [&](Row& r) {
          if (!with_events) floor.subjects = activities.Subjects();
          if (activities.Subjects() != floor.subjects || floor.subjects.isEmpty())
            r.Wrong(QStringLiteral("subjects"));
          if (activities.ListedItems().size() != floor.subjects.size() + on_day)
            r.Wrong(QStringLiteral("listed"));
        },
        filling);
    Sample& open = with_events ? opening.figure : opening.floor;
    open = Measure(
        runs, [] {}, [&] { view->click(); },
        [&](Row& r) {
          if (grid->rowCount() != activities.ListedItems().size() + 1)
            r.Wrong(QStringLiteral("rows"));
        },
        opening);
    schedule.hide();

    shown = 0;
    auto keeper = keeper_for();
    const int first = shown;
    const QDateTime next = keeper->NextWake();
    Sample& check = with_events ? minute.figure : minute.floor;
    check = Measure(
        runs, [] {}, [&] { keeper->Check(); },
        [&](Row& r) {
          // Nothing twice, and the next moment as the first check found it.
          if (shown != first) r.Wrong(QStringLiteral("shown again"));
          if (keeper->NextWake() != next || !next.isValid()) r.Wrong(QStringLiteral("next moment"));
        },
        minute);
  }
  int version = 0;
  cold.figure = Measure(
      std::max(2, runs / 3),
      [&] {
        store::Operation op(app.files());
        QByteArray text = Series(1, day);
        text.replace("SUMMARY:Series 1\r\n",
                     "SUMMARY:Series 1 v" + QByteArray::number(++version) + "\r\n");
        if (events::PutEvent(op, text) != events::PutResult::kStored || !op.Commit().stored()) {
          cold.Wrong(QStringLiteral("not stored"));
        }
      },
      [&] { calendar.MarkMonthCalendar(); },
      [&](Row& r) {
        if (calendar.calendar().marks().appointment_days != floor.marks.appointment_days) {
          r.Wrong(QStringLiteral("appointment marks"));
        }
      },
      cold);
  QCoreApplication::processEvents();
  for (Row* row : {&marking, &cold, &filling, &opening, &minute}) table.Add(std::move(*row));
}

}  // namespace quorvel::bench
