// A weekly series as a CalDAV server hands it out: in New York's zone with
// its VTIMEZONE, one occurrence left out, one moved with its own alarm, a
// display alarm for the rest.
#pragma once

#include <QByteArray>

namespace quorvel::testing {

// Mondays 2 to 30 March 2026, 09:00 to 09:30 New York time: 9 March is
// after New York's clocks went forward and before Europe's; 16 March is
// left out; 23 March is moved to 11:00 with an alarm 30 minutes ahead;
// 30 March is after Europe's change too.
inline const QByteArray kServerSeries =
    "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Server//CalDAV//EN\r\n"
    "BEGIN:VTIMEZONE\r\nTZID:America/New_York\r\n"
    "BEGIN:DAYLIGHT\r\nTZOFFSETFROM:-0500\r\nTZOFFSETTO:-0400\r\nTZNAME:EDT\r\n"
    "DTSTART:20070311T020000\r\nRRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=2SU\r\nEND:DAYLIGHT\r\n"
    "BEGIN:STANDARD\r\nTZOFFSETFROM:-0400\r\nTZOFFSETTO:-0500\r\nTZNAME:EST\r\n"
    "DTSTART:20071104T020000\r\nRRULE:FREQ=YEARLY;BYMONTH=11;BYDAY=1SU\r\nEND:STANDARD\r\n"
    "END:VTIMEZONE\r\n"
    "BEGIN:VEVENT\r\nUID:standup-7f3a@server.example\r\nDTSTAMP:20260201T120000Z\r\n"
    "DTSTART;TZID=America/New_York:20260302T090000\r\n"
    "DTEND;TZID=America/New_York:20260302T093000\r\n"
    "RRULE:FREQ=WEEKLY;COUNT=5\r\n"
    "EXDATE;TZID=America/New_York:20260316T090000\r\n"
    "SUMMARY:Standup\r\nX-SERVER-COLOUR:teal\r\n"
    "BEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:Standup\r\nTRIGGER:-PT15M\r\nEND:VALARM\r\n"
    "END:VEVENT\r\n"
    "BEGIN:VEVENT\r\nUID:standup-7f3a@server.example\r\nDTSTAMP:20260201T120000Z\r\n"
    "RECURRENCE-ID;TZID=America/New_York:20260323T090000\r\n"
    "DTSTART;TZID=America/New_York:20260323T110000\r\n"
    "DTEND;TZID=America/New_York:20260323T113000\r\n"
    "SUMMARY:Standup (moved)\r\n"
    "BEGIN:VALARM\r\nACTION:AUDIO\r\nTRIGGER:-PT30M\r\nEND:VALARM\r\n"
    "END:VEVENT\r\n"
    "END:VCALENDAR\r\n";

}  // namespace quorvel::testing
