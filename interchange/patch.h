// A local edit carried into an item that came from elsewhere: the kept
// iCalendar object or vCard changes only in the properties of the fields
// that changed here, and everything else (unknown properties and
// parameters, other alarms, other numbers and addresses, photos, the vCard
// version) goes back byte for byte or value for value as it came.
//
// `before` is the item as this program read it from `kept` (what the user
// saw), `after` what the user made of it. A field equal in both is not
// touched at all, so a text this program could not hold whole (read as
// empty or without its location) is never written back shortened.
#pragma once

#include <optional>

#include <QByteArray>
#include <QString>
#include <QTimeZone>

#include "items/address_file.h"
#include "items/appointment_file.h"

namespace quorvel::interchange {

// The kept VCALENDAR with its event patched, under `uid` when one is given
// (a copy of the item kept twice). Times keep their form: a TZID time is
// converted into its own zone, UTC stays UTC, floating stays floating, a
// date stays a date while the appointment spans the whole day; local wall
// times are read in `zone`. Nothing when `kept` holds no event to patch.
std::optional<QByteArray> PatchEvent(const QByteArray& kept, const Appointment& before,
                                     const Appointment& after, const QString& uid = QString(),
                                     const QTimeZone& zone = QTimeZone::systemTimeZone());

// The kept vCard with the lines of the changed fields rewritten, added or
// removed in the card's own version; every other line as it was. Under
// `uid` when one is given. Nothing when `kept` is not one card.
std::optional<QByteArray> PatchCard(const QByteArray& kept, const AddressEntry& before,
                                    const AddressEntry& after, const QString& uid = QString());

}  // namespace quorvel::interchange
