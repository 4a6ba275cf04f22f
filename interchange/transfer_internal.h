// What export (transfer.cpp) and storing an import (transfer_store.cpp) both use.
#pragma once

#include "items/appointment_file.h"

namespace quorvel::interchange {

// The same appointment in every field, its ID's ordinal aside (a removal
// renumbers it).
bool SameAppointment(const Appointment& a, const Appointment& b);

}  // namespace quorvel::interchange
