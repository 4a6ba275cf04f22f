// Events the four files cannot hold — repeating series with their
// exceptions and changed occurrences, all-day and multi-day events — kept
// whole in Events.dat beside them: each as one VCALENDAR text, exactly as it
// came or was last saved (the VEVENTs of its UID and the VTIMEZONEs they
// use).
//
// Events.dat is a file of 4096-byte records. An event takes a run of whole
// records: its first record begins with a header (a mark, the text's length,
// the run's length in records and a digest of the text) and the text follows
// the header across the run. Records no event uses are zero. An event is
// known by its UID, never by where it lies: storing one may move another.
// The file changes only inside a store::Operation, so one operation changes
// it together with the four files and the sync state, and a crash at any
// point leaves it as before or as after (the rollback journal covers it as
// it covers every file).
#pragma once

#include <optional>
#include <vector>

#include <QByteArray>
#include <QString>

#include "store/data_files.h"

namespace quorvel::events {

struct StoredEvent {
  QString uid;
  QByteArray text;       // the VCALENDAR, as stored
  int first_record = 0;  // where it lies now; it moves when the file changes
};

struct EventsRead {
  std::vector<StoredEvent> events;  // in the order they lie in the file
  int damaged = 0;                  // runs whose text no longer matches its digest (left out)
};

// Every event of the folder (none when Events.dat is not there).
EventsRead ReadEvents(const store::DataFiles& files);
// The events in `bytes`, the whole of an Events.dat read as it stands (by
// whoever reads it without opening the folder).
EventsRead EventsIn(const QByteArray& bytes);
std::optional<StoredEvent> FindEvent(const store::DataFiles& files, const QString& uid);

// The most bytes one event's text may take (the rest of the file's 32767
// records allow a few thousand events of ordinary size).
qsizetype LargestEventText();

// The UID of a VCALENDAR text that holds exactly one event (every VEVENT
// of one UID, one of them without RECURRENCE-ID); a null string otherwise.
QString UidOf(const QByteArray& text);

enum class PutResult {
  kStored,      // staged in the operation
  kNotAnEvent,  // the text is not a VCALENDAR of exactly one event
  kTooLarge,    // longer than LargestEventText()
  kNoRoom,      // the file has no run of free records long enough
};

// Stages `text` in `op` under its UID, in place of the event of that UID
// when there is one (creating Events.dat when the folder has none).
PutResult PutEvent(store::Operation& op, const QByteArray& text);
// Stages the removal of the event `uid` (its records become zero); false
// when there is none.
bool RemoveEvent(store::Operation& op, const QString& uid);

}  // namespace quorvel::events
