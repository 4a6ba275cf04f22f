// Kept events changed and made here: real libical, the results read back
// as their occurrences, everything not changed still there.
#include <gtest/gtest.h>

#include <functional>

#include "events/edit.h"
#include "events/event_file.h"
#include "events/occurrences.h"
#include "events/repeat.h"

namespace quorvel::events {
namespace {

const QByteArray kBerlin =
    "BEGIN:VTIMEZONE\r\nTZID:Europe/Berlin\r\nX-ZONE-NOTE:kept\r\n"
    "BEGIN:DAYLIGHT\r\nTZOFFSETFROM:+0100\r\nTZOFFSETTO:+0200\r\nTZNAME:CEST\r\n"
    "DTSTART:19700329T020000\r\nRRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU\r\nEND:DAYLIGHT\r\n"
    "BEGIN:STANDARD\r\nTZOFFSETFROM:+0200\r\nTZOFFSETTO:+0100\r\nTZNAME:CET\r\n"
    "DTSTART:19701025T030000\r\nRRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU\r\nEND:STANDARD\r\n"
    "END:VTIMEZONE\r\n";

// What every event here holds beyond what an edit touches.
const QByteArray kExtras =
    "ATTENDEE;CN=Ana;X-SEAT=3;PARTSTAT=ACCEPTED:mailto:ana@example.org\r\n"
    "X-PHONE-COLOUR;X-SHADE=dark:teal\r\n";

QByteArray Calendar(const QByteArray& events, const QByteArray& zones = QByteArray()) {
  return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//phone//EN\r\nX-WR-CALNAME:Home\r\n" + zones +
         events + "END:VCALENDAR\r\n";
}
QByteArray Event(const QByteArray& lines) {
  return "BEGIN:VEVENT\r\nUID:e-1\r\nDTSTAMP:20260101T000000Z\r\nSEQUENCE:2\r\n" + lines + kExtras +
         "END:VEVENT\r\n";
}

// Each occurrence as "yyyy-MM-dd HH:mm-HH:mm subject" in `zone` (all day:
// "yyyy-MM-dd all day xN subject"), "*" when changed on its own.
QStringList Shown(const QByteArray& text, QDate from, QDate to, const QTimeZone& zone) {
  const Expansion e = OccurrencesBetween(text, from, to, zone);
  QStringList out;
  if (!e.problem.isNull()) out << e.problem;
  for (const Occurrence& o : e.occurrences) {
    QString line = o.start.toString(QStringLiteral("yyyy-MM-dd"));
    line += o.all_day ? QStringLiteral(" all day x%1").arg(o.first_day().daysTo(o.last_day()) + 1)
                      : o.start.toString(QStringLiteral(" HH:mm-")) +
                            o.end.toString(QStringLiteral("HH:mm"));
    line += QLatin1Char(' ') + o.summary;
    if (o.alarm_minutes >= 0) line += QStringLiteral(" (%1)").arg(o.alarm_minutes);
    if (o.changed) line += QLatin1Char('*');
    out << line;
  }
  return out;
}

// The unfolded lines of a text.
QStringList Lines(const QByteArray& text) {
  QByteArray unfolded = text;
  unfolded.replace("\r\n ", "");
  return QString::fromUtf8(unfolded).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
}

const QDateTime kStamp(QDate(2026, 12, 9), QTime(22, 0), QTimeZone::utc());
const QTimeZone kZone("Europe/Berlin");

struct EditCase {
  const char* what;
  QByteArray text;
  std::function<std::optional<QByteArray>(const QByteArray&)> edit;
  QDate from, to;
  QStringList shown;      // the occurrences after
  QStringList lines;      // lines the result must hold
  QStringList gone = {};  // lines it must no longer hold
};

void Check(const EditCase& c) {
  SCOPED_TRACE(c.what);
  const std::optional<QByteArray> out = c.edit(c.text);
  ASSERT_TRUE(out);
  EXPECT_EQ(UidOf(*out), QStringLiteral("e-1"));
  EXPECT_EQ(Shown(*out, c.from, c.to, kZone), c.shown)
      << Shown(*out, c.from, c.to, kZone).join(" | ").toStdString();
  const QStringList lines = Lines(*out);
  // Kept: the attendee with its parameters, properties and parameters of
  // other programs, the calendar's own lines and its time zone.
  for (const QString& kept :
       Lines(kExtras) + QStringList{"X-WR-CALNAME:Home", "PRODID:-//phone//EN"} + c.lines) {
    EXPECT_TRUE(lines.contains(kept)) << kept.toStdString() << "\n" << out->toStdString();
  }
  if (c.text.contains("X-ZONE-NOTE")) {
    EXPECT_TRUE(lines.contains(QStringLiteral("X-ZONE-NOTE:kept")));
  }
  for (const QString& gone : c.gone) EXPECT_FALSE(lines.contains(gone)) << gone.toStdString();
  EXPECT_TRUE(lines.contains(QStringLiteral("DTSTAMP:20261209T220000Z")));
  EXPECT_TRUE(lines.contains(QStringLiteral("LAST-MODIFIED:20261209T220000Z")));
}

const QByteArray kWeekly =
    Calendar(Event("DTSTART;TZID=Europe/Berlin:20261102T180000\r\n"
                   "DTEND;TZID=Europe/Berlin:20261102T190000\r\n"
                   "RRULE:FREQ=WEEKLY;BYDAY=MO;COUNT=4\r\nSUMMARY:Choir\r\n"),
             kBerlin);

TEST(EventEditTest, OccurrencesLeftOutInEachFormOfTime) {
  const std::vector<EditCase> cases = {
      {"a zone's series: the EXDATE in its zone",
       kWeekly,
       [](const QByteArray& t) { return DeleteOccurrence(t, "20261109T170000Z", kStamp); },
       {2026, 11, 1},
       {2026, 11, 30},
       {"2026-11-02 18:00-19:00 Choir", "2026-11-16 18:00-19:00 Choir",
        "2026-11-23 18:00-19:00 Choir"},
       {"EXDATE;TZID=Europe/Berlin:20261109T180000", "SEQUENCE:3",
        "RRULE:FREQ=WEEKLY;COUNT=4;BYDAY=MO"}},
      {"an all-day series: the EXDATE a date",
       Calendar(Event("DTSTART;VALUE=DATE:20260710\r\nDTEND;VALUE=DATE:20260711\r\n"
                      "RRULE:FREQ=YEARLY\r\nSUMMARY:Birthday\r\n")),
       [](const QByteArray& t) { return DeleteOccurrence(t, "20270710", kStamp); },
       {2026, 1, 1},
       {2028, 12, 31},
       {"2026-07-10 all day x1 Birthday", "2028-07-10 all day x1 Birthday"},
       {"EXDATE;VALUE=DATE:20270710"}},
      {"a UTC series: the EXDATE in UTC",
       Calendar(Event(
           "DTSTART:20260601T080000Z\r\nDTEND:20260601T083000Z\r\nRRULE:FREQ=DAILY;COUNT=3\r\n"
           "SUMMARY:Stand-up\r\n")),
       [](const QByteArray& t) { return DeleteOccurrence(t, "20260601T080000Z", kStamp); },
       {2026, 6, 1},
       {2026, 6, 30},
       {"2026-06-02 10:00-10:30 Stand-up", "2026-06-03 10:00-10:30 Stand-up"},
       {"EXDATE:20260601T080000Z"}},
      {"changed on its own, then deleted: its VEVENT goes too",
       *ChangeOccurrence(kWeekly, "20261116T170000Z",
                         {.summary = QStringLiteral("Choir (hall B)"),
                          .start = QDateTime({2026, 11, 17}, {19, 0}, kZone),
                          .end = QDateTime({2026, 11, 17}, {20, 30}, kZone)},
                         kStamp),
       [](const QByteArray& t) { return DeleteOccurrence(t, "20261116T170000Z", kStamp); },
       {2026, 11, 1},
       {2026, 11, 30},
       {"2026-11-02 18:00-19:00 Choir", "2026-11-09 18:00-19:00 Choir",
        "2026-11-23 18:00-19:00 Choir"},
       {"EXDATE;TZID=Europe/Berlin:20261116T180000"},
       {"SUMMARY:Choir (hall B)"}},
  };
  for (const EditCase& c : cases) Check(c);
  // Not a series: nothing to leave out.
  EXPECT_FALSE(DeleteOccurrence(Calendar(Event("DTSTART:20260601T080000Z\r\n")), "20260601T080000Z",
                                kStamp));
}

TEST(EventEditTest, SeriesAndOccurrencesChanged) {
  // A series with one occurrence left out and one changed on its own
  // (moved, its own subject kept) and one that only has its own alarm.
  const QByteArray series =
      Calendar(Event("DTSTART;TZID=Europe/Berlin:20261102T180000\r\nDTEND;TZID=Europe/"
                     "Berlin:20261102T190000\r\n"
                     "RRULE:FREQ=WEEKLY;BYDAY=MO;UNTIL=20261130T170000Z\r\nSUMMARY:Choir\r\n"
                     "EXDATE;TZID=Europe/Berlin:20261109T180000\r\n") +
                   Event("RECURRENCE-ID;TZID=Europe/Berlin:20261116T180000\r\n"
                         "DTSTART;TZID=Europe/Berlin:20261116T200000\r\nDTEND;TZID=Europe/"
                         "Berlin:20261116T210000\r\n"
                         "SUMMARY:Choir late\r\n") +
                   Event("RECURRENCE-ID;TZID=Europe/Berlin:20261123T180000\r\n"
                         "DTSTART;TZID=Europe/Berlin:20261123T180000\r\nDTEND;TZID=Europe/"
                         "Berlin:20261123T190000\r\n"
                         "SUMMARY:Choir\r\n"),
               kBerlin);
  const QDateTime first({2026, 11, 2}, {18, 0}, kZone);
  const std::vector<EditCase> cases = {
      {"a new subject and reminder for all: the one with its own subject keeps it",
       series,
       [&](const QByteArray& t) {
         return ChangeSeries(t,
                             {.summary = QStringLiteral("Singing"),
                              .description = QStringLiteral("Bring scores"),
                              .alarm_minutes = 10},
                             first, kStamp);
       },
       {2026, 11, 1},
       {2026, 11, 30},
       {"2026-11-02 18:00-19:00 Singing (10)", "2026-11-16 20:00-21:00 Choir late (10)*",
        "2026-11-23 18:00-19:00 Singing (10)*", "2026-11-30 18:00-19:00 Singing (10)"},
       {"DESCRIPTION:Bring scores", "TRIGGER:-PT10M", "EXDATE;TZID=Europe/Berlin:20261109T180000"}},
      {"the series moved to Tuesdays an hour later and made longer: the left-out and changed ones "
       "follow",
       series,
       [&](const QByteArray& t) {
         return ChangeSeries(t,
                             {.start = QDateTime({2026, 11, 3}, {19, 0}, kZone),
                              .end = QDateTime({2026, 11, 3}, {20, 30}, kZone)},
                             first, kStamp);
       },
       {2026, 11, 1},
       {2026, 12, 31},
       {"2026-11-03 19:00-20:30 Choir", "2026-11-16 20:00-21:00 Choir late*",
        "2026-11-24 19:00-20:00 Choir*", "2026-12-01 19:00-20:30 Choir"},
       {"RRULE:FREQ=WEEKLY;UNTIL=20261201T180000Z;BYDAY=TU",
        "EXDATE;TZID=Europe/Berlin:20261110T190000",
        "RECURRENCE-ID;TZID=Europe/Berlin:20261117T190000",
        "DTSTART;TZID=Europe/Berlin:20261116T200000"}},
      {"one occurrence moved on its own, made from the series",
       series,
       [&](const QByteArray& t) {
         return ChangeOccurrence(t, "20261130T170000Z",
                                 {.summary = QStringLiteral("Concert"),
                                  .alarm_minutes = -1,
                                  .start = QDateTime({2026, 11, 29}, {16, 0}, kZone),
                                  .end = QDateTime({2026, 11, 29}, {18, 0}, kZone)},
                                 kStamp);
       },
       {2026, 11, 1},
       {2026, 11, 30},
       {"2026-11-02 18:00-19:00 Choir", "2026-11-16 20:00-21:00 Choir late*",
        "2026-11-23 18:00-19:00 Choir*", "2026-11-29 16:00-18:00 Concert*"},
       {"RECURRENCE-ID;TZID=Europe/Berlin:20261130T180000",
        "DTSTART;TZID=Europe/Berlin:20261129T160000", "SUMMARY:Concert"}},
      {"an occurrence already changed is patched, not made twice",
       series,
       [&](const QByteArray& t) {
         return ChangeOccurrence(t, "20261116T170000Z", {.description = QStringLiteral("Room 4")},
                                 kStamp);
       },
       {2026, 11, 16},
       {2026, 11, 16},
       {"2026-11-16 20:00-21:00 Choir late*"},
       {"DESCRIPTION:Room 4", "SEQUENCE:3", "DTSTART;TZID=Europe/Berlin:20261116T200000"}},
      {"an all-day holiday moved two days and made a week long",
       Calendar(
           Event("DTSTART;VALUE=DATE:20260801\r\nDTEND;VALUE=DATE:20260804\r\nSUMMARY:Away\r\n")),
       [&](const QByteArray& t) {
         return ChangeSeries(t,
                             {.start = QDateTime({2026, 8, 3}, {0, 0}, kZone),
                              .end = QDateTime({2026, 8, 10}, {0, 0}, kZone)},
                             QDateTime({2026, 8, 1}, {0, 0}, kZone), kStamp);
       },
       {2026, 7, 1},
       {2026, 8, 31},
       {"2026-08-03 all day x7 Away"},
       {"DTSTART;VALUE=DATE:20260803", "DTEND;VALUE=DATE:20260810", "SEQUENCE:3"}},
  };
  for (const EditCase& c : cases) Check(c);
  // Exactly one VEVENT per occurrence changed on its own.
  const std::optional<QByteArray> twice = ChangeOccurrence(
      *ChangeOccurrence(series, "20261116T170000Z", {.summary = QStringLiteral("a")}, kStamp),
      "20261116T170000Z", {.summary = QStringLiteral("b")}, kStamp);
  ASSERT_TRUE(twice);
  EXPECT_EQ(twice->count("BEGIN:VEVENT"), 3);
  EXPECT_FALSE(ChangeOccurrence("not a calendar", "20261116T170000Z", {}, kStamp));
  // A day the series does not have gets no occurrence of its own.
  EXPECT_FALSE(
      ChangeOccurrence(series, "20261117T170000Z", {.summary = QStringLiteral("a")}, kStamp));
}

TEST(RepeatTest, RulesMadeHereAndReadBack) {
  using K = Repeat::Kind;
  using E = Repeat::End;
  struct Case {
    const char* what;
    Repeat repeat;
    QDateTime start;
    bool all_day;
    QDate to;
    QByteArray rule;
    QStringList shown;
  };
  const auto at = [](QDate d) { return QDateTime(d, QTime(9, 0), kZone); };
  const auto day = [](QDate d) { return QDateTime(d, QTime(0, 0), kZone); };
  const std::vector<Case> cases = {
      {"monthly on the 31st: only the months that have one",
       {.kind = K::kMonthlyByDate},
       at({2026, 1, 31}),
       false,
       {2026, 5, 31},
       "FREQ=MONTHLY;BYMONTHDAY=31",
       {"2026-01-31 09:00-10:00 R", "2026-03-31 09:00-10:00 R", "2026-05-31 09:00-10:00 R"}},
      {"yearly on 29 February, all day: leap years only",
       {.kind = K::kYearly},
       day({2024, 2, 29}),
       true,
       {2032, 12, 31},
       "FREQ=YEARLY",
       {"2024-02-29 all day x1 R", "2028-02-29 all day x1 R", "2032-02-29 all day x1 R"}},
      {"every second week on Tuesday and Thursday, three times",
       {.kind = K::kWeekly,
        .interval = 2,
        .weekdays = (1u << 1) | (1u << 3),
        .end = E::kCount,
        .count = 3},
       at({2026, 3, 3}),
       false,
       {2026, 12, 31},
       "FREQ=WEEKLY;INTERVAL=2;BYDAY=TU,TH;COUNT=3",
       {"2026-03-03 09:00-10:00 R", "2026-03-05 09:00-10:00 R", "2026-03-17 09:00-10:00 R"}},
      {"a 5th Thursday is the last; until a day includes that day",
       {.kind = K::kMonthlyByWeekday, .end = E::kUntil, .until = {2026, 4, 30}},
       at({2026, 1, 29}),
       false,
       {2026, 12, 31},
       "FREQ=MONTHLY;BYDAY=-1TH;UNTIL=20260430T215959Z",
       {"2026-01-29 09:00-10:00 R", "2026-02-26 09:00-10:00 R", "2026-03-26 09:00-10:00 R",
        "2026-04-30 09:00-10:00 R"}},
      {"daily until a date, all day",
       {.kind = K::kDaily, .end = E::kUntil, .until = {2026, 3, 12}},
       day({2026, 3, 10}),
       true,
       {2026, 12, 31},
       "FREQ=DAILY;UNTIL=20260312",
       {"2026-03-10 all day x1 R", "2026-03-11 all day x1 R", "2026-03-12 all day x1 R"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(RuleFor(c.repeat, c.start, c.all_day), c.rule);
    Repeat expected = c.repeat;
    if (expected.kind == K::kWeekly && !expected.weekdays)
      expected.weekdays = 1u << (c.start.date().dayOfWeek() - 1);
    EXPECT_EQ(RepeatOf(c.rule, c.start), expected);
    const QDateTime end = c.all_day ? c.start.addDays(1) : c.start.addSecs(3600);
    const QByteArray text = NewEventText({.summary = QStringLiteral("R"),
                                          .description = QStringLiteral("d"),
                                          .start = c.start,
                                          .end = end,
                                          .all_day = c.all_day,
                                          .alarm_minutes = 15,
                                          .repeat = c.repeat},
                                         kStamp);
    ASSERT_FALSE(UidOf(text).isEmpty()) << text.toStdString();
    QStringList shown = Shown(text, c.start.date(), c.to, kZone);
    for (QString& line : shown) line.remove(QStringLiteral(" (15)"));
    EXPECT_EQ(shown, c.shown) << text.toStdString();
    EXPECT_EQ(text.contains("BEGIN:VTIMEZONE"), !c.all_day);
    EXPECT_EQ(text.contains("DTSTART;TZID=Europe/Berlin:"), !c.all_day);
  }
  // Rules the controls cannot say are shown as such and kept as they are.
  for (const QByteArray& rule :
       {QByteArray("FREQ=DAILY;INTERVAL=3"), QByteArray("FREQ=MONTHLY;BYDAY=MO;BYSETPOS=-1"),
        QByteArray("FREQ=MONTHLY;BYDAY=2WE"), QByteArray("FREQ=YEARLY;BYMONTH=6")}) {
    const Repeat r = RepeatOf(rule, at({2026, 1, 13}));
    EXPECT_EQ(r.kind, K::kOther) << rule.toStdString();
    EXPECT_EQ(RuleFor(r, at({2026, 1, 13}), false), rule);
  }
  EXPECT_EQ(RepeatOf("FREQ=MONTHLY;BYDAY=2TU", at({2026, 1, 13})).kind, K::kMonthlyByWeekday);
  // Two new events never share a UID.
  const NewEvent one{.summary = QStringLiteral("x"),
                     .start = at({2026, 1, 1}),
                     .end = at({2026, 1, 1}).addSecs(60)};
  EXPECT_NE(UidOf(NewEventText(one, kStamp)), UidOf(NewEventText(one, kStamp)));
}

}  // namespace
}  // namespace quorvel::events
