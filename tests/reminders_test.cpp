#include <QDBusConnection>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "calendar/reminder_window.h"
#include "calendar/reminders.h"
#include "test_support.h"

namespace quorvel::testing {
namespace {

using store::Channel;

TEST(DueMinuteTest, StartMinusLeadOnTheSameDayOnly) {
  struct Case {
    const char* start;
    const char* lead;
    std::optional<int> due;
  };
  const Case cases[] = {
      {"10:00", "15", 9 * 60 + 45},
      {"10:00", "0", 10 * 60},
      {"10:00", "90", 8 * 60 + 30},
      {"07:30", "45", 6 * 60 + 45},
      {"07:00", "480", {}},
      {"07:00", "420", 0},
      {"07:00", "421", {}},
      {"23:59", "0", 1439},
      {"10:00", " 15 ", 9 * 60 + 45},
      {"10:00", "015", 9 * 60 + 45},
      // Lead times that are not a whole number of minutes.
      {"10:00", "", {}},
      {"10:00", "1.5", {}},
      {"10:00", "-5", {}},
      {"10:00", "15 min", {}},
      {"10:00", "99999999999", {}},
      {"10:00", "\u0661\u0665", {}},
      // Start times not written as HH:MM.
      {"9:00", "15", {}},
      {"1000", "15", {}},
      {"10.00", "15", {}},
      {"", "15", {}},
      {"10:6x", "15", {}},
      {"25:00", "15", {}},
      {"10:60", "15", {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DueMinute(QString::fromUtf8(c.start), QString::fromUtf8(c.lead)), c.due)
        << c.start << " lead " << c.lead;
  }
}

TEST(DisplaySubjectTest, TrimmedThenCutAfterThirtyCharacters) {
  const QString thirty = QStringLiteral("Quarterly budget review: 2026");  // 29
  ASSERT_EQ(thirty.size(), 29);
  EXPECT_EQ(DisplaySubject(thirty + QStringLiteral("!")), thirty + QStringLiteral("!"));
  const QString forty = QStringLiteral("Meeting with the architects about plans");
  ASSERT_EQ(forty.size(), 39);
  EXPECT_EQ(DisplaySubject(forty + QStringLiteral("X")),
            QStringLiteral("Meeting with the architects ab ..."));
  EXPECT_EQ(DisplaySubject(QStringLiteral("   ") + thirty + QStringLiteral("!   ")),
            thirty + QStringLiteral("!"));
  EXPECT_EQ(DisplaySubject(QStringLiteral("  \tTab ")), QStringLiteral("\tTab"));
}

TEST(ReminderScheduleTest, EveryMinuteOnceWhateverTheTicks) {
  using Minute = ReminderSchedule::Minute;
  const QDate day(2026, 1, 7);
  auto at = [&](int h, int m, int s, QDate date = QDate()) {
    return QDateTime(date.isValid() ? date : day, QTime(h, m, s));
  };
  ReminderSchedule schedule(at(9, 40, 20));
  // The first tick also checks the minute the program started in.
  EXPECT_EQ(schedule.MinutesFor(at(9, 41, 20)), (std::vector<Minute>{{day, 580}, {day, 581}}));
  // A tick just before and one just after the next boundary: none skipped.
  EXPECT_EQ(schedule.MinutesFor(at(9, 41, 59)), std::vector<Minute>{});
  EXPECT_EQ(schedule.MinutesFor(at(9, 43, 1)), (std::vector<Minute>{{day, 582}, {day, 583}}));
  // Two ticks in one minute: the second checks nothing.
  EXPECT_EQ(schedule.MinutesFor(at(9, 44, 0)), (std::vector<Minute>{{day, 584}}));
  EXPECT_EQ(schedule.MinutesFor(at(9, 44, 59)), std::vector<Minute>{});
  // A few minutes late: caught up one by one.
  EXPECT_EQ(schedule.MinutesFor(at(9, 49, 30)).size(), 5u);
  // After a long gap (sleep) only the current minute.
  EXPECT_EQ(schedule.MinutesFor(at(11, 0, 30)), (std::vector<Minute>{{day, 660}}));
  // Across midnight each minute keeps its own date.
  ReminderSchedule night(at(23, 58, 40));
  EXPECT_EQ(night.MinutesFor(at(0, 0, 10, day.addDays(1))),
            (std::vector<Minute>{{day, 1438}, {day, 1439}, {day.addDays(1), 0}}));
  // The clock set back: the current minute, then on from there.
  EXPECT_EQ(night.MinutesFor(at(22, 0, 0)), (std::vector<Minute>{{day, 1320}}));
  EXPECT_EQ(night.MinutesFor(at(22, 1, 0)), (std::vector<Minute>{{day, 1321}}));
}

// ------------------------------------------------------------ the whole check

struct Shown {
  QTime at;
  QString lead, subject, start, end;
  bool operator==(const Shown&) const = default;
};

void PrintTo(const Shown& s, std::ostream* os) {
  *os << s.at.toString().toStdString() << " [" << s.lead.toStdString() << "] "
      << s.subject.toStdString() << " " << s.start.toStdString() << "-" << s.end.toStdString();
}

class CheckRemindersTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    // No notification service: the pop-up shows every reminder.
    app_->SetNotificationBus(QDBusConnection(QStringLiteral("no-such-bus")));
  }
  // As on a folder whose reminders were never shown: what was shown is
  // forgotten and the next tick keeps the reminders anew.
  void Forget() {
    app_->StopKeepingReminders();
    ASSERT_TRUE(!QFile::exists(Path("Remind.dat")) || QFile::remove(Path("Remind.dat")));
  }
  void Store(const std::vector<SeededAppointment>& appointments) {
    SeedAppointments(files(), appointments);
  }
  QString Text(const char* name) {
    return app_->Reminder().findChild<QLabel*>(QLatin1String(name))->text();
  }
  // One tick at `time` of the fixture's day; what the pop-up then shows.
  std::optional<Shown> Tick(QTime time) {
    now_ = QDateTime(now_.date(), time);
    CheckReminders(*app_);
    if (!app_->HasReminder() || !app_->Reminder().isVisible()) return std::nullopt;
    title_ = app_->Reminder().windowTitle();
    Shown shown{time, Text(reminder_names::kLead), Text(reminder_names::kSubject),
                Text(reminder_names::kStart), Text(reminder_names::kEnd)};
    QTest::mouseClick(app_->Reminder().findChild<QPushButton*>(QLatin1String(reminder_names::kOk)),
                      Qt::LeftButton);
    EXPECT_FALSE(app_->Reminder().isVisible());
    return shown;
  }
  // A tick in every minute of the day, at `second` past; every pop-up shown.
  std::vector<Shown> WholeDay(int second = 30) {
    Forget();
    app_->Reminders() = ReminderSchedule(QDateTime(now_.date(), QTime(0, 0, second)));
    std::vector<Shown> shown;
    for (int minute = 0; minute < 1440; ++minute) {
      if (auto s = Tick(QTime(minute / 60, minute % 60, second))) shown.push_back(*s);
    }
    return shown;
  }
  static Shown At(int h, int m, const char* lead, const char* subject, const char* start,
                  const char* end) {
    return Shown{QTime(h, m, 30), QString::fromUtf8(lead), QString::fromUtf8(subject),
                 QString::fromUtf8(start), QString::fromUtf8(end)};
  }
  QString title_;  // of the last pop-up shown
};

TEST_F(CheckRemindersTest, ShownInItsDueMinuteOnlyWithItsOwnFields) {
  Store({{"20260107-1", "  Dentist  ", "10:00", "10:30", true, "15"}});
  EXPECT_FALSE(Tick(QTime(9, 44, 30)));
  const std::optional<Shown> shown = Tick(QTime(9, 45, 30));
  ASSERT_TRUE(shown);
  EXPECT_EQ(*shown, At(9, 45, "15", "Dentist", "10:00", "10:30"));
  EXPECT_FALSE(Tick(QTime(9, 46, 30)));
  // The pop-up's fixed texts.
  EXPECT_EQ(app_->Reminder().windowTitle(), QStringLiteral("Reminder"));
  EXPECT_EQ(Text(reminder_names::kIntro), QStringLiteral("You have a meeting in"));
  EXPECT_EQ(Text(reminder_names::kMinutesWord), QStringLiteral("minutes."));
  EXPECT_EQ(Text(reminder_names::kSubjectCaption), QStringLiteral("Subject:"));
  EXPECT_EQ(Text(reminder_names::kStartCaption), QStringLiteral("Start Time"));
  EXPECT_EQ(Text(reminder_names::kEndCaption), QStringLiteral("End Time"));
  // The reminder list is the check's own: the notes window is not loaded.
  EXPECT_FALSE(app_->HasNotes());
}

TEST_F(CheckRemindersTest, OverAWholeDayEachReminderComesOnceAtItsMinute) {
  Store({
      {"20260107-1", "Lead zero", "10:00", "11:00", true, "0"},
      {"20260107-2", "Ninety ahead", "10:00", "10:30", true, "90"},
      {"20260107-3", "Early", "07:30", "08:00", true, "45"},
      {"20260107-4", "Yesterday's", "07:00", "07:30", true, "480"},
      {"20260107-5", "Reminder off", "12:00", "12:30", false, "15"},
      {"20260108-1", "Tomorrow", "12:00", "12:30", true, "15"},
      {"20260106-1", "Yesterday", "12:00", "12:30", true, "15"},
      {"20260107-6", "Odd lead", "13:00", "13:30", true, "1/4"},
      {"20260107-7", "Odd start", "1400", "14:30", true, "15"},
      {"20260107-8", "Subject of exactly thirty chs.", "15:00", "15:30", true, "5"},
      {"20260107-9", "A subject forty characters long, really!", "16:00", "16:30", true, "10"},
  });
  const std::vector<Shown> expected = {
      // Eight hours ahead of seven o'clock fell due the evening before:
      // shown, marked missed, by the day's first check.
      At(0, 0, "480", "Yesterday's", "07:00", "07:30"),
      At(6, 45, "45", "Early", "07:30", "08:00"),
      At(8, 30, "90", "Ninety ahead", "10:00", "10:30"),
      At(10, 0, "0", "Lead zero", "10:00", "11:00"),
      At(14, 55, "5", "Subject of exactly thirty chs.", "15:00", "15:30"),
      At(15, 50, "10", "A subject forty characters lon ...", "16:00", "16:30"),
  };
  EXPECT_EQ(WholeDay(), expected);
  // Ticks that fall right on the minute boundaries change nothing.
  std::vector<Shown> on_the_second = WholeDay(0);
  for (Shown& s : on_the_second) s.at = QTime(s.at.hour(), s.at.minute(), 30);
  EXPECT_EQ(on_the_second, expected);
}

TEST_F(CheckRemindersTest, TwoDueInOneMinuteLeaveTheLaterInTheFile) {
  Store({
      {"20260107-1", "First", "10:00", "10:30", true, "15"},
      {"20260107-2", "Second", "09:50", "10:00", true, "5"},
      {"20260107-3", "Not due", "09:50", "10:00", true, "15"},
  });
  // "Not due" came at 09:35; not shown then, it would come again now as
  // missed, last in the file.
  EXPECT_TRUE(Tick(QTime(9, 35, 30)));
  const std::optional<Shown> shown = Tick(QTime(9, 45, 10));
  ASSERT_TRUE(shown);
  EXPECT_EQ(shown->subject, QStringLiteral("Second"));
  EXPECT_EQ(shown->lead, QStringLiteral("5"));
  EXPECT_EQ(shown->start, QStringLiteral("09:50"));
}

TEST_F(CheckRemindersTest, ASkippedMinuteIsCaughtUpAndADoubledTickShowsNothingTwice) {
  Store({{"20260107-1", "Call", "10:00", "10:15", true, "15"}});
  // The drift: a tick just before 09:45 began, the next just after 09:46.
  EXPECT_FALSE(Tick(QTime(9, 44, 59)));
  const std::optional<Shown> late = Tick(QTime(9, 46, 0));
  ASSERT_TRUE(late);
  EXPECT_EQ(late->subject, QStringLiteral("Call"));
  EXPECT_FALSE(Tick(QTime(9, 46, 59)));

  // Two ticks inside the due minute: shown by the first only.
  Forget();
  EXPECT_FALSE(Tick(QTime(9, 44, 0)));
  EXPECT_TRUE(Tick(QTime(9, 45, 0)));
  EXPECT_FALSE(Tick(QTime(9, 45, 59)));

  // After a long gap (the computer slept) it comes at the first tick,
  // marked missed, while the appointment has not ended.
  Forget();
  EXPECT_FALSE(Tick(QTime(9, 1, 0)));
  EXPECT_TRUE(Tick(QTime(9, 52, 0)));
  EXPECT_EQ(title_, QStringLiteral("Missed Reminder"));
  Forget();
  EXPECT_FALSE(Tick(QTime(10, 15, 0)));
}

TEST_F(CheckRemindersTest, OneDueBeforeTheProgramStartedComesMarkedMissed) {
  Store({{"20260107-1", "Call", "10:00", "10:15", true, "15"}});
  Forget();
  EXPECT_TRUE(Tick(QTime(9, 47, 0)));
  EXPECT_EQ(title_, QStringLiteral("Missed Reminder"));
  // Started during the due minute: its first tick shows it, on time.
  Forget();
  EXPECT_TRUE(Tick(QTime(9, 45, 40)));
  EXPECT_EQ(title_, QStringLiteral("Reminder"));
}

}  // namespace
}  // namespace quorvel::testing
