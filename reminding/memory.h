// What the reminders remember from one run to the next, in Remind.dat
// beside the data files: which were shown or dismissed, and which are
// snoozed until when. Changed only through store operations, so a crash
// leaves it as before or after a change, never torn.
#pragma once

#include <map>

#include <QByteArray>
#include <QDateTime>

#include "store/data_files.h"

namespace quorvel::reminding {

struct Remembered {
  enum class Fate : quint8 {
    kShown = 1,      // reached the user; not shown again
    kDismissed = 2,  // the user is done with it
    kSnoozed = 3,    // shown again at `until`
  };
  Fate fate = Fate::kShown;
  QDateTime until;   // kSnoozed: when it comes back
  QDateTime forget;  // kept until then (a day after its appointment ended)
  friend bool operator==(const Remembered&, const Remembered&) = default;
};

// By Reminder::key.
using Memory = std::map<QByteArray, Remembered>;

// What `files` (with Remind.dat open) remembers. A file this program did
// not write, or records it cannot read, remember nothing.
Memory LoadMemory(const store::DataFiles& files);

// Writes `memory` in one operation, leaving out what may be forgotten at
// `now`. False when the store refused it (the disk is full).
bool SaveMemory(store::DataFiles& files, const Memory& memory, const QDateTime& now);

}  // namespace quorvel::reminding
