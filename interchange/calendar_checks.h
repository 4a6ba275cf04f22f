// Whether bytes are an iCalendar file to read; the notes on what else a read calendar held.
#pragma once

#include <libical/ical.h>

#include <map>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "interchange/event_zones.h"

namespace quorvel::interchange::ical {

QString NotCalendar(const QString& why);

// Why bytes are not an iCalendar file to read, or a null string.
QString ShapeProblem(const QByteArray& bytes);

// Why the content lines of a file that passed ShapeProblem are not
// iCalendar, naming the line; a null string when they are. Every line is a
// name, parameters and a colon before the value; BEGIN and END pair up.
QString StructureProblem(const QByteArray& bytes);

// What the reader does not take, counted by kind: to-dos, journal entries,
// free/busy blocks and anything else that is no event or time zone. Journal
// entries are named rather than made notes: a note has no date and nothing
// that identifies it, so a second import of the file could not tell that
// they came in already, and no export takes them back to their program.
void CountOthers(icalcomponent* calendar, std::map<QString, int>* others);

// The file's sentences about what was not taken and how its zones were read.
QStringList Notes(const std::map<QString, int>& others, const Zones::Report& zones);

}  // namespace quorvel::interchange::ical
