#!/usr/bin/env python3
"""Reads an exported iCalendar file with python3-icalendar and
python3-vobject, and prints the UIDs of its events once each.

Exit 3 when this python lacks either module; 1 when the parsers disagree
or refuse the file."""
import sys

try:
    import icalendar
    import vobject
except ImportError as error:
    print(error, file=sys.stderr)
    sys.exit(3)

# python3-icalendar 4.0.3 hands a VTIMEZONE rule's UNTIL (in UTC, as RFC 5545
# requires) to dateutil beside a local DTSTART, which dateutil 2.7 and later
# refuse: such a zone is read as UTC here, the file's events are still read.
_to_tz = icalendar.cal.Timezone.to_tz


def _tolerant_to_tz(self):
    try:
        return _to_tz(self)
    except ValueError as error:
        if "UNTIL" not in str(error):
            raise
        import pytz
        return pytz.utc


icalendar.cal.Timezone.to_tz = _tolerant_to_tz

with open(sys.argv[1], "rb") as f:
    data = f.read()

calendar = icalendar.Calendar.from_ical(data)
by_icalendar = []
for event in calendar.walk("VEVENT"):
    event.decoded("DTSTART")  # every start must be a date or a time
    uid = str(event.get("UID"))
    if uid not in by_icalendar:
        by_icalendar.append(uid)

by_vobject = []
parsed = vobject.readOne(data.decode("utf-8"))
for event in getattr(parsed, "vevent_list", []):
    event.dtstart.value  # noqa: B018 - parsing the start checks it
    uid = event.uid.value
    if uid not in by_vobject:
        by_vobject.append(uid)

if sorted(by_icalendar) != sorted(by_vobject):
    print("icalendar and vobject disagree:", by_icalendar, by_vobject, file=sys.stderr)
    sys.exit(1)
for uid in by_icalendar:
    print(uid)
