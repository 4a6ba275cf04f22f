// Appointments as iCalendar events and back.
#include <gtest/gtest.h>

#include "interchange/mapping.h"

namespace quorvel::interchange {
namespace {

std::string S(const QString& s) { return s.toStdString(); }

Appointment Make(const QString& id, const QString& start, const QString& end,
                 const QString& subject, bool reminder = false,
                 const QString& minutes = QStringLiteral("15"),
                 const QString& description = QString()) {
  Appointment a;
  a.id = id;
  a.start = start;
  a.end = end;
  a.subject = subject;
  a.reminder = reminder;
  a.minutes = minutes;
  a.description = description;
  return a;
}

const QDateTime kStamp(QDate(2026, 1, 7), QTime(12, 0), QTimeZone::utc());

EventOptions Berlin() {
  EventOptions o;
  o.first_day = QDate(2026, 1, 1);
  o.zone = QTimeZone("Europe/Berlin");
  return o;
}

QByteArray Calendar(const QByteArray& body) {
  return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Test//Test//EN\r\n" + body +
         "END:VCALENDAR\r\n";
}

// "date start-end subject" for each appointment read.
QStringList Lines(const EventReading& r) {
  QStringList lines;
  for (const EventAppointment& e : r.appointments) {
    lines.append(QStringLiteral("%1 %2-%3 %4")
                     .arg(e.date.toString(Qt::ISODate), e.appointment.start, e.appointment.end,
                          e.appointment.subject));
  }
  return lines;
}

// The UIDs of the events kept whole, and how many VEVENTs each holds.
QStringList Kept(const EventReading& r) {
  QStringList out;
  for (const KeptEvent& k : r.kept)
    out << QStringLiteral("%1x%2").arg(k.uid).arg(k.text.count("BEGIN:VEVENT"));
  return out;
}

TEST(EventExportTest, AppointmentsBecomeEventsAndComeBackUnchanged) {
  const std::vector<Appointment> stored = {
      Make("20260107-1", "09:00", "09:30", "Dentist, Dr. Ångström", true, "15",
           "Bring the card\r\nand the form; ask about €"),
      Make("20260107-2", "23:30", "24:00", "Late call"),
      Make("20260108-1", "noon", "later", "Lunch", false, "30", "Notes"),  // no clock times
      Make("20260108-2", "10:00", "11:00", "Lunch", true, "soon"),
      Make("20260108-3", "10:00", "11:00", "Lunch"),  // same day, start and subject
  };
  AddressEntry born;
  born.surname = QStringLiteral("Smith");
  born.name = QStringLiteral("John");
  born.birthday_date = QStringLiteral("29/02/1980");
  born.birthday_flag = QStringLiteral("1");
  AddressEntry unborn = born;
  unborn.surname = QStringLiteral("Nobirthday");
  unborn.birthday_flag = QStringLiteral("0");

  const CalendarExport out = WriteCalendar(stored, {born, unborn}, kStamp);
  EXPECT_EQ(out.appointments, 5);
  EXPECT_EQ(out.birthdays, 1);
  const QByteArray& ics = out.ics;
  EXPECT_TRUE(ics.contains("DTSTART:20260107T090000\r\n")) << ics.toStdString();
  EXPECT_TRUE(ics.contains("DTEND:20260108T000000\r\n"));  // "24:00"
  EXPECT_TRUE(ics.contains("TRIGGER:-PT15M\r\n"));
  EXPECT_TRUE(ics.contains("SUMMARY:Dentist\\, Dr. \xC3\x85ngstr\xC3\xB6m\r\n"));
  EXPECT_TRUE(
      ics.contains("DESCRIPTION:Bring the card\\nand the form\\; ask about \xE2\x82\xAC\r\n"));
  EXPECT_TRUE(ics.contains("DTSTART;VALUE=DATE:20260108\r\n"));
  EXPECT_TRUE(ics.contains("DESCRIPTION:Time: noon - later\\nNotes\r\n"));
  EXPECT_TRUE(ics.contains("RRULE:FREQ=YEARLY\r\n"));
  EXPECT_TRUE(ics.contains("DTSTART;VALUE=DATE:19800229\r\n"));
  EXPECT_EQ(ics.count("BEGIN:VEVENT"), 6);
  EXPECT_EQ(ics.count("BEGIN:VALARM"), 1);  // "soon" is no number of minutes
  for (const QByteArray& line : ics.split('\n')) EXPECT_LE(line.size(), 76);
  // UIDs stay unique and stable.
  EXPECT_TRUE(ics.contains(("UID:" + AppointmentUid(stored[3], 0)).toUtf8()));
  EXPECT_TRUE(ics.contains(("UID:" + AppointmentUid(stored[4], 1)).toUtf8()));
  EXPECT_EQ(AppointmentUid(stored[0]),
            AppointmentUid(Make("20260107-5", "09:00", "10:00", "Dentist, Dr. Ångström")));

  const EventReading back = ReadEvents(ics, Berlin());
  ASSERT_TRUE(back.ok()) << S(back.error);
  EXPECT_TRUE(back.skipped.empty());
  EXPECT_TRUE(back.left_out.isEmpty()) << S(back.left_out.join('|'));
  ASSERT_EQ(back.appointments.size(), stored.size());
  for (size_t i = 0; i < stored.size(); ++i) {
    Appointment a = back.appointments[i].appointment;
    a.id = stored[i].id;
    EXPECT_EQ(back.appointments[i].date, QDate::fromString(stored[i].id.left(8), "yyyyMMdd"));
    EXPECT_EQ(a.start, stored[i].start) << i;
    EXPECT_EQ(a.end, stored[i].end) << i;
    EXPECT_EQ(a.subject, stored[i].subject) << i;
    EXPECT_EQ(a.reminder, stored[i].reminder) << i;
    EXPECT_EQ(a.minutes, stored[i].minutes) << i;
    EXPECT_EQ(a.description, stored[i].description) << i;
  }
  ASSERT_EQ(back.birthdays.size(), 1u);
  EXPECT_EQ(back.birthdays[0].key, QStringLiteral("Smith, John"));

  // One appointment alone, as a CalDAV server would store it.
  const QByteArray one = WriteAppointmentEvent(stored[0], QStringLiteral("abc"), kStamp);
  EXPECT_EQ(one.count("BEGIN:VEVENT"), 1);
  EXPECT_TRUE(one.contains("UID:abc\r\n"));
  EXPECT_TRUE(WriteAppointmentEvent(Make("garbage", "09:00", "10:00", "x"), "u", kStamp).isEmpty());
}

TEST(EventImportTest, TimeZonesAreConvertedToLocalTime) {
  const EventReading r = ReadEvents(
      Calendar(
          "BEGIN:VTIMEZONE\r\nTZID:Eastern\r\nBEGIN:STANDARD\r\nDTSTART:19701101T020000\r\n"
          "RRULE:FREQ=YEARLY;BYMONTH=11;BYDAY=1SU\r\nTZOFFSETFROM:-0400\r\nTZOFFSETTO:-0500\r\n"
          "END:STANDARD\r\nBEGIN:DAYLIGHT\r\nDTSTART:19700308T020000\r\n"
          "RRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=2SU\r\nTZOFFSETFROM:-0500\r\nTZOFFSETTO:-0400\r\n"
          "END:DAYLIGHT\r\nEND:VTIMEZONE\r\n"
          "BEGIN:VEVENT\r\nUID:1\r\nDTSTAMP:20260101T000000Z\r\nDTSTART;TZID=Eastern:"
          "20260115T090000\r\n"
          "DTEND;TZID=Eastern:20260115T100000\r\nSUMMARY:Own zone\r\nEND:VEVENT\r\n"
          "BEGIN:VEVENT\r\nUID:2\r\nDTSTAMP:20260101T000000Z\r\nDTSTART:20260701T070000Z\r\n"
          "DURATION:PT45M\r\nSUMMARY:UTC in summer\r\nEND:VEVENT\r\n"
          "BEGIN:VEVENT\r\nUID:3\r\nDTSTAMP:20260101T000000Z\r\n"
          "DTSTART;TZID=Asia/Tokyo:20260301T080000\r\nDTEND;TZID=Asia/Tokyo:20260301T083000\r\n"
          "SUMMARY:Olson name without VTIMEZONE\r\nEND:VEVENT\r\n"
          "BEGIN:VEVENT\r\nUID:4\r\nDTSTAMP:20260101T000000Z\r\nDTSTART:20260301T080000\r\n"
          "DTEND:20260301T083000\r\nSUMMARY:Floating\r\nEND:VEVENT\r\n"
          "BEGIN:VEVENT\r\nUID:5\r\nDTSTAMP:20260101T000000Z\r\nDTSTART;TZID=Nowhere/"
          "Atlantis:20260301T080000\r\n"
          "DTEND;TZID=Nowhere/Atlantis:20260301T083000\r\nSUMMARY:Unknown zone\r\nEND:VEVENT\r\n"),
      Berlin());
  ASSERT_TRUE(r.ok()) << S(r.error);
  EXPECT_EQ(
      Lines(r),
      (QStringList{"2026-01-15 15:00-16:00 Own zone", "2026-07-01 09:00-09:45 UTC in summer",
                   "2026-03-01 00:00-00:30 Olson name without VTIMEZONE",
                   "2026-03-01 08:00-08:30 Floating", "2026-03-01 08:00-08:30 Unknown zone"}));
  EXPECT_TRUE(r.left_out.isEmpty()) << S(r.left_out.join('|'));
  EXPECT_EQ(r.notes, QStringList{QStringLiteral(
                         "The time zone \"Nowhere/Atlantis\" is not known: the times of 1 "
                         "event that uses it were read as local times.")});
}

TEST(EventImportTest, SeriesAreKeptWholeWithTheirChangedOccurrences) {
  const EventReading r = ReadEvents(
      Calendar(
          // Weekly on Monday since 2025, one week left out, one moved, one
          // cancelled; Berlin time keeps 09:00 across the change to summer.
          "BEGIN:VEVENT\r\nUID:w\r\nDTSTAMP:20260101T000000Z\r\n"
          "DTSTART;TZID=Europe/Berlin:20250106T090000\r\nDTEND;TZID=Europe/"
          "Berlin:20250106T093000\r\n"
          "RRULE:FREQ=WEEKLY;BYDAY=MO;UNTIL=20260413T235959Z\r\n"
          "EXDATE;TZID=Europe/Berlin:20260309T090000\r\nSUMMARY:Standup\r\nEND:VEVENT\r\n"
          "BEGIN:VEVENT\r\nUID:w\r\nDTSTAMP:20260101T000000Z\r\n"
          "RECURRENCE-ID;TZID=Europe/Berlin:20260316T090000\r\n"
          "DTSTART;TZID=Europe/Berlin:20260317T140000\r\nDTEND;TZID=Europe/"
          "Berlin:20260317T143000\r\n"
          "SUMMARY:Standup (moved)\r\nEND:VEVENT\r\n"
          "BEGIN:VEVENT\r\nUID:w\r\nDTSTAMP:20260101T000000Z\r\n"
          "RECURRENCE-ID;TZID=Europe/Berlin:20260323T090000\r\nSTATUS:CANCELLED\r\n"
          "DTSTART;TZID=Europe/Berlin:20260323T090000\r\nSUMMARY:Standup\r\nEND:VEVENT\r\n"
          // Yearly all-day, and a monthly event by COUNT that ends before the window.
          "BEGIN:VEVENT\r\nUID:y\r\nDTSTAMP:20260101T000000Z\r\nDTSTART;VALUE=DATE:20000310\r\n"
          "RRULE:FREQ=YEARLY\r\nSUMMARY:Anniversary\r\nEND:VEVENT\r\n"
          "BEGIN:VEVENT\r\nUID:m\r\nDTSTAMP:20260101T000000Z\r\nDTSTART:20240101T100000\r\n"
          "DTEND:20240101T110000\r\nRRULE:FREQ=MONTHLY;COUNT=3\r\nSUMMARY:Old "
          "series\r\nEND:VEVENT\r\n"
          "BEGIN:VEVENT\r\nUID:s\r\nDTSTAMP:20260101T000000Z\r\nDTSTART:20260301T100000\r\n"
          "DTEND:20260301T100001\r\nRRULE:FREQ=SECONDLY\r\nSUMMARY:Every second\r\nEND:VEVENT\r\n"
          // One changed occurrence of a series the file does not hold.
          "BEGIN:VEVENT\r\nUID:o\r\nDTSTAMP:20260101T000000Z\r\nRECURRENCE-ID:20260402T100000\r\n"
          "DTSTART:20260402T110000\r\nDTEND:20260402T120000\r\nSUMMARY:Invited "
          "once\r\nEND:VEVENT\r\n"),
      Berlin());
  ASSERT_TRUE(r.ok()) << S(r.error);
  // None of them is made appointments, however far it reaches.
  EXPECT_TRUE(r.appointments.empty()) << S(Lines(r).join('|'));
  EXPECT_TRUE(r.skipped.empty());
  EXPECT_EQ(Kept(r), (QStringList{"wx3", "yx1", "mx1", "sx1", "ox1"})) << S(Kept(r).join('|'));
  EXPECT_EQ(r.kept[0].name, QStringLiteral("\"Standup\" on 06/01/2025 at 09:00"));
}

TEST(EventImportTest, AllDayMultiDayAndOddEventsAreHandledAndReported) {
  QString long_subject(101, QLatin1Char('x'));
  QString long_description(120, QLatin1Char('d'));
  const QByteArray file = Calendar(
      "BEGIN:VEVENT\r\nUID:a\r\nDTSTAMP:20260101T000000Z\r\nDTSTART;VALUE=DATE:20260801\r\n"
      "DTEND;VALUE=DATE:20260802\r\nSUMMARY:Holiday\r\nLOCATION:Lake\\, north shore\r\n"
      "BEGIN:VALARM\r\nACTION:DISPLAY\r\nTRIGGER:-PT1H\r\nDESCRIPTION:x\r\nEND:VALARM\r\nEND:"
      "VEVENT\r\n"
      "BEGIN:VEVENT\r\nUID:b\r\nDTSTAMP:20260101T000000Z\r\nDTSTART:20260810T220000\r\n"
      "DTEND:20260812T013000\r\nSUMMARY:Night shift\r\n"
      "BEGIN:VALARM\r\nACTION:DISPLAY\r\nTRIGGER:-PT1H\r\nDESCRIPTION:x\r\nEND:VALARM\r\nEND:"
      "VEVENT\r\n"
      "BEGIN:VEVENT\r\nUID:c\r\nDTSTAMP:20260101T000000Z\r\nDTSTART:20260901T100000\r\n"
      "SUMMARY:No end\r\nDESCRIPTION:" +
      long_description.toUtf8() +
      "\r\n"
      "BEGIN:VALARM\r\nACTION:DISPLAY\r\nTRIGGER:-P1W\r\nEND:VALARM\r\nEND:VEVENT\r\n"
      "BEGIN:VEVENT\r\nUID:d\r\nDTSTAMP:20260101T000000Z\r\nDTSTART:20260901T100000\r\n"
      "DTEND:20260901T110000\r\nSUMMARY:" +
      long_subject.toUtf8() +
      "\r\nEND:VEVENT\r\n"
      "BEGIN:VEVENT\r\nUID:e\r\nDTSTAMP:20260101T000000Z\r\nDTSTART:20260901T100000\r\n"
      "DTEND:20260901T110000\r\nSUMMARY:\xE4\xBC\x9A\xE8\xAD\xB0\r\nEND:VEVENT\r\n"
      "BEGIN:VEVENT\r\nUID:f\r\nDTSTAMP:20260101T000000Z\r\nDTSTART;VALUE=DATE:20260101\r\n"
      "DTEND;VALUE=DATE:20260401\r\nSUMMARY:Quarter\r\nEND:VEVENT\r\n"
      "BEGIN:VEVENT\r\nUID:g\r\nDTSTAMP:20260101T000000Z\r\nDTSTART:20260901T100000\r\n"
      "DTEND:20260901T110000\r\nEND:VEVENT\r\n"
      "BEGIN:VEVENT\r\nUID:h\r\nDTSTAMP:20260101T000000Z\r\nDTSTART:20260901T100000\r\n"
      "DTEND:20260901T110000\r\nSTATUS:CANCELLED\r\nSUMMARY:Called off\r\nEND:VEVENT\r\n"
      "BEGIN:VEVENT\r\nUID:k\r\nDTSTAMP:20260101T000000Z\r\nDTSTART:20260901T100000\r\n"
      "DTEND:20260901T110000\r\nRRULE:FREQ=FORTNIGHTLY\r\nSUMMARY:Odd rule\r\nEND:VEVENT\r\n"
      "BEGIN:VEVENT\r\nUID:l\r\nDTSTAMP:20260101T000000Z\r\nDTSTART:20260901T100000\r\n"
      "DTEND:20260901T090000\r\nSUMMARY:Backwards\r\nEND:VEVENT\r\n"
      "BEGIN:VTODO\r\nUID:t\r\nDTSTAMP:20260101T000000Z\r\nSUMMARY:A task\r\nEND:VTODO\r\n"
      // Month 0, day 59: libical takes it, but it is no day (this once
      // looped for ever).
      "BEGIN:VEVENT\r\nUID:i\r\nDTSTAMP:20260101T000000Z\r\nDTSTART:10130059T100000\r\n"
      "SUMMARY:Nowhen\r\nEND:VEVENT\r\n"
      "BEGIN:VEVENT\r\nUID:j\r\nDTSTAMP:20260101T000000Z\r\nDTSTART;VALUE=DATE:20261340\r\n"
      "SUMMARY:Nowhen either\r\nEND:VEVENT\r\n");
  const EventReading r = ReadEvents(file, Berlin());
  ASSERT_TRUE(r.ok()) << S(r.error);
  EXPECT_EQ(Lines(r),
            (QStringList{"2026-08-01 00:00-24:00 Holiday", "2026-09-01 10:00-10:30 No end"}))
      << S(Lines(r).join('|'));
  EXPECT_EQ(r.appointments[0].appointment.description,
            QStringLiteral("Location: Lake, north shore"));
  EXPECT_TRUE(r.appointments[0].appointment.reminder);
  EXPECT_EQ(r.appointments[0].appointment.minutes, QStringLiteral("60"));
  EXPECT_FALSE(r.appointments[1].appointment.reminder);
  EXPECT_TRUE(r.appointments[1].appointment.description.isEmpty());
  const QString left = r.left_out.join(QLatin1Char('|'));
  EXPECT_TRUE(left.contains(QStringLiteral("its description"))) << S(left);
  EXPECT_TRUE(left.contains(QStringLiteral("its reminder"))) << S(left);
  EXPECT_TRUE(left.contains(QStringLiteral("half an hour"))) << S(left);

  // Over midnight, too long a subject, characters the file cannot store,
  // over 31 days, no subject, cancelled, a rule that cannot be read, an
  // end before the start: events all the same, kept whole.
  EXPECT_EQ(Kept(r), (QStringList{"bx1", "dx1", "ex1", "fx1", "gx1", "hx1", "kx1", "lx1"}))
      << S(Kept(r).join('|'));
  // Only what has no day at all is left out.
  QStringList reasons;
  for (const Skipped& s : r.skipped) reasons.append(s.reason);
  EXPECT_EQ(reasons, QStringList(2, QStringLiteral("its start is not a valid date")))
      << S(reasons.join('|'));

  // An import reads the same file its own way: what an appointment would
  // hold only in part is kept whole too, and what has no subject or is
  // cancelled is left out.
  EventOptions import = Berlin();
  import.keep_whole = true;
  const EventReading imported = ReadEvents(file, import);
  EXPECT_TRUE(imported.appointments.empty()) << S(Lines(imported).join('|'));
  EXPECT_EQ(Kept(imported), (QStringList{"ax1", "bx1", "cx1", "dx1", "ex1", "fx1"}))
      << S(Kept(imported).join('|'));
  reasons.clear();
  for (const Skipped& s : imported.skipped) reasons.append(s.reason);
  EXPECT_EQ(reasons, (QStringList{"it has no subject", "it is cancelled",
                                  "its repeat rule cannot be read: \"FREQ=FORTNIGHTLY\"",
                                  "it ends before it starts", "its start is not a valid date",
                                  "its start is not a valid date"}))
      << S(reasons.join('|'));
}

TEST(EventImportTest, MalformedFilesAreRefusedWithAClearMessage) {
  const QByteArray good = Calendar(
      "BEGIN:VEVENT\r\nUID:1\r\nDTSTAMP:20260101T000000Z\r\nDTSTART:20260101T100000\r\n"
      "SUMMARY:x\r\nEND:VEVENT\r\n");
  struct Case {
    QByteArray bytes;
    const char* says;
  };
  const Case cases[] = {
      {good.left(good.size() - 20), "cut short"},
      {QByteArray("BEGIN:VCALENDAR\r\n\0\0\x89PNG", 22), "binary"},
      {Calendar("BEGIN:VEVENT\r\nSUMMARY:Caf\xE9\r\nEND:VEVENT\r\n"),
       "line 5 holds bytes that are not UTF-8 text"},
      // A line without its colon is a damaged line, not a missing subject.
      {Calendar("BEGIN:VEVENT\r\nUID:1\r\nDTSTART:20260101T100000\r\nSUMMARY Team meeting\r\n"
                "END:VEVENT\r\n"),
       "line 7 is malformed: it has no colon after its name (\"SUMMARY Team meeting\")."},
      {Calendar("BEGIN:VEVENT\r\nUID:1\r\nDTSTART:20260101T100000\r\nSUMMARY:x\r\n"),
       "line 8 ends VCALENDAR, but the VEVENT that begins at line 4 has not ended."},
      {Calendar("END:VEVENT\r\n"), "line 4 ends VEVENT, which never began."},
      {"BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nEND:VEVENT\r\nEND:VCALENDAR\r\nX\r\n "
       "\r\nEND:VCALENDAR\r\n",
       "line 5 is malformed"},
      {"BEGIN:VCARD\r\nVERSION:3.0\r\nEND:VCARD\r\n", "does not begin with BEGIN:VCALENDAR"},
      {"", "does not begin"},
  };
  for (const Case& c : cases) {
    const EventReading r = ReadEvents(c.bytes, Berlin());
    EXPECT_FALSE(r.ok()) << c.bytes.toStdString();
    EXPECT_TRUE(r.error.contains(QString::fromLatin1(c.says))) << S(r.error);
    EXPECT_FALSE(r.error.contains(QStringLiteral("libical"))) << S(r.error);
    EXPECT_TRUE(r.appointments.empty());
  }
  const EventReading ok = ReadEvents("\xEF\xBB\xBF" + good, Berlin());
  EXPECT_TRUE(ok.ok()) << S(ok.error);
}

}  // namespace
}  // namespace quorvel::interchange
