// Time zones inside iCalendar objects, for the writers of this folder: the
// events' own helpers, under this folder's names.
#pragma once

#include "events/ical_time.h"

namespace quorvel::interchange {

using events::TimeIn;
using events::ZoneInCalendar;
using events::ZoneOf;

}  // namespace quorvel::interchange
