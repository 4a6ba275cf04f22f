// Events kept whole beside the four files, and their occurrences: real
// files, real libical, time zones other than the viewer's.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "events/event_file.h"
#include "events/occurrences.h"
#include "items/appointment_file.h"
#include "store/data_files.h"
#include "store_sweep.h"
#include "test_support.h"

namespace quorvel::events {
namespace {

using store::Channel;

const QByteArray kBerlin =
    "BEGIN:VTIMEZONE\r\nTZID:Europe/Berlin\r\n"
    "BEGIN:DAYLIGHT\r\nTZOFFSETFROM:+0100\r\nTZOFFSETTO:+0200\r\nTZNAME:CEST\r\n"
    "DTSTART:19700329T020000\r\nRRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU\r\nEND:DAYLIGHT\r\n"
    "BEGIN:STANDARD\r\nTZOFFSETFROM:+0200\r\nTZOFFSETTO:+0100\r\nTZNAME:CET\r\n"
    "DTSTART:19701025T030000\r\nRRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU\r\nEND:STANDARD\r\n"
    "END:VTIMEZONE\r\n";

QByteArray Calendar(const QByteArray& events, const QByteArray& zones = QByteArray()) {
  return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//phone//EN\r\n" + zones + events +
         "END:VCALENDAR\r\n";
}
QByteArray Event(const QByteArray& uid, const QByteArray& lines) {
  return "BEGIN:VEVENT\r\nUID:" + uid + "\r\nDTSTAMP:20260101T000000Z\r\n" + lines +
         "END:VEVENT\r\n";
}

// Each occurrence as "yyyy-MM-dd HH:mm–HH:mm" in the viewer's zone (all
// day: "yyyy-MM-dd all day ×N"), with "*" when changed on its own.
QStringList Shown(const Expansion& e) {
  QStringList out;
  for (const Occurrence& o : e.occurrences) {
    QString line = o.start.toString(QStringLiteral("yyyy-MM-dd"));
    if (o.all_day) {
      line += QStringLiteral(" all day x%1").arg(o.first_day().daysTo(o.last_day()) + 1);
    } else {
      line += o.start.toString(QStringLiteral(" HH:mm")) + QStringLiteral("-") +
              o.end.toString(QStringLiteral("HH:mm"));
    }
    if (o.changed) line += QLatin1Char('*');
    out << line;
  }
  return out;
}

TEST(OccurrencesTest, RulesExceptionsZonesAndSpans) {
  const QTimeZone berlin("Europe/Berlin");
  const QTimeZone new_york("America/New_York");
  const QTimeZone tokyo("Asia/Tokyo");
  struct Case {
    const char* what;
    QByteArray text;
    QDate from, to;
    QTimeZone zone;
    QStringList expected;
  };
  const std::vector<Case> cases = {
      {"weekly 10:00 Berlin keeps its wall time across the change to summer time",
       Calendar(Event("w",
                      "DTSTART;TZID=Europe/Berlin:20260319T100000\r\n"
                      "DTEND;TZID=Europe/Berlin:20260319T110000\r\nRRULE:FREQ=WEEKLY\r\n"),
                kBerlin),
       {2026, 3, 16},
       {2026, 4, 5},
       berlin,
       {"2026-03-19 10:00-11:00", "2026-03-26 10:00-11:00", "2026-04-02 10:00-11:00"}},
      {"the same series seen from New York, whose change comes two weeks earlier",
       Calendar(Event("w",
                      "DTSTART;TZID=Europe/Berlin:20260319T100000\r\n"
                      "DTEND;TZID=Europe/Berlin:20260319T110000\r\nRRULE:FREQ=WEEKLY\r\n"),
                kBerlin),
       {2026, 3, 16},
       {2026, 4, 5},
       new_york,
       {"2026-03-19 05:00-06:00", "2026-03-26 05:00-06:00", "2026-04-02 04:00-05:00"}},
      {"a zone known by name only (no VTIMEZONE in the file)",
       Calendar(Event("t",
                      "DTSTART;TZID=Asia/Tokyo:20260105T080000\r\n"
                      "DTEND;TZID=Asia/Tokyo:20260105T090000\r\nRRULE:FREQ=DAILY;COUNT=2\r\n")),
       {2026, 1, 1},
       {2026, 1, 31},
       berlin,
       {"2026-01-05 00:00-01:00", "2026-01-06 00:00-01:00"}},
      {"an evening in Tokyo is the morning before in Berlin",
       Calendar(Event("t", "DTSTART:20260110T020000Z\r\nDTEND:20260110T030000Z\r\n")),
       {2026, 1, 10},
       {2026, 1, 10},
       tokyo,
       {"2026-01-10 11:00-12:00"}},
      {"monthly on the 31st skips the months without one",
       Calendar(Event("m",
                      "DTSTART:20260131T090000Z\r\nDTEND:20260131T093000Z\r\n"
                      "RRULE:FREQ=MONTHLY\r\n")),
       {2026, 1, 1},
       {2026, 5, 31},
       QTimeZone::utc(),
       {"2026-01-31 09:00-09:30", "2026-03-31 09:00-09:30", "2026-05-31 09:00-09:30"}},
      {"yearly on 29 February comes only in leap years",
       Calendar(Event("y",
                      "DTSTART;VALUE=DATE:20240229\r\nDTEND;VALUE=DATE:20240301\r\n"
                      "RRULE:FREQ=YEARLY\r\n")),
       {2024, 1, 1},
       {2028, 12, 31},
       berlin,
       {"2024-02-29 all day x1", "2028-02-29 all day x1"}},
      {"EXDATE leaves one out, UNTIL ends the series",
       Calendar(Event("x",
                      "DTSTART;TZID=Europe/Berlin:20261102T180000\r\n"
                      "DTEND;TZID=Europe/Berlin:20261102T190000\r\n"
                      "RRULE:FREQ=WEEKLY;UNTIL=20261123T170000Z\r\n"
                      "EXDATE;TZID=Europe/Berlin:20261109T180000\r\n"),
                kBerlin),
       {2026, 11, 1},
       {2026, 12, 31},
       berlin,
       {"2026-11-02 18:00-19:00", "2026-11-16 18:00-19:00", "2026-11-23 18:00-19:00"}},
      {"an occurrence moved on its own, another cancelled",
       Calendar(Event("o",
                      "DTSTART:20260601T080000Z\r\nDTEND:20260601T090000Z\r\n"
                      "RRULE:FREQ=DAILY;COUNT=4\r\nSUMMARY:Stand-up\r\n") +
                Event("o",
                      "RECURRENCE-ID:20260602T080000Z\r\nDTSTART:20260602T120000Z\r\n"
                      "DTEND:20260602T130000Z\r\nSUMMARY:Stand-up (late)\r\n") +
                Event("o",
                      "RECURRENCE-ID:20260603T080000Z\r\nDTSTART:20260603T080000Z\r\n"
                      "DTEND:20260603T090000Z\r\nSTATUS:CANCELLED\r\n")),
       {2026, 6, 1},
       {2026, 6, 30},
       QTimeZone::utc(),
       {"2026-06-01 08:00-09:00", "2026-06-02 12:00-13:00*", "2026-06-04 08:00-09:00"}},
      {"a three-day all-day event touches the window from before it",
       Calendar(Event("a", "DTSTART;VALUE=DATE:20260730\r\nDTEND;VALUE=DATE:20260802\r\n")),
       {2026, 8, 1},
       {2026, 8, 31},
       berlin,
       {"2026-07-30 all day x3"}},
      {"RDATE adds a day the rule does not give; a floating time reads as written",
       Calendar(Event("r",
                      "DTSTART:20260901T070000\r\nDTEND:20260901T073000\r\n"
                      "RRULE:FREQ=WEEKLY;COUNT=2\r\nRDATE:20260903T070000\r\n")),
       {2026, 9, 1},
       {2026, 9, 30},
       new_york,
       {"2026-09-01 07:00-07:30", "2026-09-03 07:00-07:30", "2026-09-08 07:00-07:30"}},
      {"a calendar's own zone is its own, whatever zone it is named after",
       Calendar(Event("z",
                      "DTSTART;TZID=Europe/Berlin:20260105T100000\r\n"
                      "DTEND;TZID=Europe/Berlin:20260105T110000\r\n"),
                "BEGIN:VTIMEZONE\r\nTZID:Europe/Berlin\r\nBEGIN:STANDARD\r\nTZOFFSETFROM:+0500\r\n"
                "TZOFFSETTO:+0500\r\nDTSTART:19700101T000000\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n"),
       {2026, 1, 5},
       {2026, 1, 5},
       berlin,
       {"2026-01-05 06:00-07:00"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Expansion e = OccurrencesBetween(c.text, c.from, c.to, c.zone);
    EXPECT_TRUE(e.problem.isNull()) << e.problem.toStdString();
    EXPECT_EQ(Shown(e), c.expected) << Shown(e).join(" | ").toStdString();
  }

  // What an occurrence tells beyond its time.
  const Expansion moved =
      OccurrencesBetween(cases[7].text, {2026, 6, 2}, {2026, 6, 2}, QTimeZone::utc());
  ASSERT_EQ(moved.occurrences.size(), 1u);
  EXPECT_EQ(moved.occurrences[0].instance, QStringLiteral("20260602T080000Z"));
  EXPECT_EQ(moved.occurrences[0].summary, QStringLiteral("Stand-up (late)"));
  EXPECT_TRUE(moved.occurrences[0].repeats);
  const Expansion alarm = OccurrencesBetween(
      Calendar(Event("al",
                     "DTSTART:20260101T100000Z\r\nBEGIN:VALARM\r\nACTION:DISPLAY\r\n"
                     "TRIGGER:-PT15M\r\nEND:VALARM\r\n")),
      {2026, 1, 1}, {2026, 1, 1}, QTimeZone::utc());
  ASSERT_EQ(alarm.occurrences.size(), 1u);
  EXPECT_EQ(alarm.occurrences[0].alarm_minutes, 15);
  EXPECT_FALSE(alarm.occurrences[0].repeats);
  EXPECT_TRUE(alarm.occurrences[0].instance.isEmpty());

  // A rule that steps every second for ever is not followed to the end;
  // a text that is no calendar says so.
  EXPECT_FALSE(OccurrencesBetween(
                   Calendar(Event("s", "DTSTART:20200101T000000Z\r\nRRULE:FREQ=SECONDLY\r\n")),
                   {2030, 1, 1}, {2030, 1, 1}, QTimeZone::utc())
                   .problem.isNull());
  EXPECT_FALSE(OccurrencesBetween("no calendar", {2030, 1, 1}, {2030, 1, 1}, QTimeZone::utc())
                   .problem.isNull());
}

class EventFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    files_.SetDataDir(dir_.path());
    ASSERT_EQ(files_.OpenDataFiles(), store::OpenResult::kOpened);
  }
  PutResult Put(const QByteArray& text) {
    store::Operation op(files_);
    const PutResult result = PutEvent(op, text);
    EXPECT_TRUE(op.Commit().stored());
    return result;
  }
  QStringList Uids() const {
    QStringList out;
    for (const StoredEvent& e : ReadEvents(files_).events) out << e.uid;
    return out;
  }

  QTemporaryDir dir_;
  store::DataFiles files_;
};

TEST_F(EventFileTest, KeptWholeByUidWhereverTheyLie) {
  EXPECT_FALSE(files_.IsOpen(Channel::kEvents));  // made with the first event only
  EXPECT_TRUE(ReadEvents(files_).events.empty());
  const QByteArray weekly = Calendar(Event("weekly",
                                           "DTSTART:20260105T090000Z\r\nRRULE:FREQ=WEEKLY\r\n"
                                           "X-PHONE-COLOUR:teal\r\n"));
  // Long enough to take several records.
  const QByteArray trip =
      Calendar(Event("trip",
                     "DTSTART;VALUE=DATE:20260801\r\nDTEND;VALUE=DATE:20260815\r\n"
                     "DESCRIPTION:" +
                         QByteArray(9000, 'x') + "\r\n"));
  const QByteArray unicode =
      Calendar(Event("ü-1", "DTSTART;VALUE=DATE:20261224\r\nSUMMARY:会議\r\n"));
  for (const QByteArray& text : {weekly, trip, unicode}) EXPECT_EQ(Put(text), PutResult::kStored);
  EXPECT_EQ(Uids(), (QStringList{"weekly", "trip", "ü-1"}));
  EXPECT_EQ(FindEvent(files_, "trip")->text, trip);
  EXPECT_EQ(FindEvent(files_, QStringLiteral("ü-1"))->text, unicode);
  EXPECT_EQ(files_.FileSize(Channel::kEvents) % 4096, 0);

  // Replaced under its UID: grown past its run, it moves; nothing else
  // changes and no copy is left behind.
  const QByteArray longer = Calendar(Event("weekly",
                                           "DTSTART:20260105T090000Z\r\nRRULE:FREQ=WEEKLY\r\n"
                                           "DESCRIPTION:" +
                                               QByteArray(5000, 'y') + "\r\n"));
  EXPECT_EQ(Put(longer), PutResult::kStored);
  EXPECT_EQ(Uids().size(), 3);
  EXPECT_EQ(FindEvent(files_, "weekly")->text, longer);
  EXPECT_EQ(FindEvent(files_, "trip")->text, trip);
  {
    store::Operation op(files_);
    EXPECT_TRUE(RemoveEvent(op, "trip"));
    EXPECT_FALSE(RemoveEvent(op, "nothing"));
    ASSERT_TRUE(op.Commit().stored());
  }
  EXPECT_EQ(Uids(), (QStringList{"ü-1", "weekly"}));
  EXPECT_FALSE(FindEvent(files_, "trip"));
  EXPECT_FALSE(
      testing::FileBytes(dir_.filePath("Events.dat")).contains("xxxxxxxx"));  // its text is gone

  // Refused: not one event, or too large.
  EXPECT_EQ(Put("BEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n"), PutResult::kNotAnEvent);
  EXPECT_EQ(Put(Calendar(Event("a", "DTSTART:20260101T000000Z\r\n") +
                         Event("b", "DTSTART:20260101T000000Z\r\n"))),
            PutResult::kNotAnEvent);
  EXPECT_EQ(Put(Calendar(Event("big", "DTSTART:20260101T000000Z\r\nDESCRIPTION:" +
                                          QByteArray(LargestEventText(), 'z') + "\r\n"))),
            PutResult::kTooLarge);

  // A damaged run is left out and counted; the others still read, and the
  // file opens again with them.
  files_.CloseDataFiles();
  {
    QFile file(dir_.filePath("Events.dat"));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    const QByteArray bytes = file.readAll();
    const qsizetype at = bytes.indexOf("DESCRIPTION:y");
    ASSERT_GT(at, 0);
    file.seek(at);
    file.write("#");
  }
  ASSERT_EQ(files_.OpenDataFiles(), store::OpenResult::kOpened);
  const EventsRead read = ReadEvents(files_);
  EXPECT_EQ(read.damaged, 1);
  ASSERT_EQ(read.events.size(), 1u);
  EXPECT_EQ(read.events[0].uid, QStringLiteral("ü-1"));
}

// One operation changes an event together with an appointment: a crash at
// any point leaves both as before or both as after.
class EventFileSweepTest : public testing::SeamsFixture {};

TEST_F(EventFileSweepTest, AnEventAndAnAppointmentChangeTogether) {
  const int points = testing::RunSweep(
      "an event stored with an appointment",
      {[](const QString& dir) {
         store::DataFiles files;
         files.SetDataDir(dir);
         ASSERT_EQ(files.OpenDataFiles(), store::OpenResult::kOpened);
         store::Operation op(files);
         ASSERT_EQ(PutEvent(op, Calendar(Event("old", "DTSTART;VALUE=DATE:20260101\r\n"))),
                   PutResult::kStored);
         ASSERT_TRUE(op.Commit().stored());
       },
       [](store::DataFiles& files) {
         store::Operation op(files);
         PutEvent(op, Calendar(Event("old", "DTSTART;VALUE=DATE:20260102\r\nSUMMARY:moved\r\n")));
         PutEvent(op,
                  Calendar(Event("new", "DTSTART;VALUE=DATE:20260103\r\nRRULE:FREQ=YEARLY\r\n")));
         ASSERT_TRUE(AddAppointment(
                         op, Appointment{"20260104-1", "Dentist", "09:00", "09:30", false, {}, {}})
                         .stored());
         op.Commit();
       }});
  EXPECT_GT(points, 50);
}

}  // namespace
}  // namespace quorvel::events
