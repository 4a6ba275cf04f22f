// Setting sync up: checking the addresses, choosing the collections and
// storing the settings.
#pragma once

#include <optional>

#include "items/sync_state.h"
#include "store/data_files.h"
#include "sync/dav_client.h"

namespace quorvel::sync {

// Why the addresses in `settings` cannot be used, or no error. The server's
// must be https:// (http:// only on this computer) and hold no user name or
// password; the calendar and address book, when given, must be on that same
// server (scheme, host and port), so the password goes nowhere else.
DavError CheckAddresses(const SyncSettings& settings);

// `settings` with an empty calendar or address book filled in from the
// server: the first one found, or a new one named "Quorvel" in the home when
// the account has none. Collections given are checked, and made when they
// do not exist yet.
std::optional<SyncSettings> CompleteSettings(DavClient& client, SyncSettings settings,
                                             DavError* error);

// Stores `settings`; links and tokens of a collection that changed are
// dropped (they describe another collection). Returns the refusal, or null.
// Addresses CheckAddresses refuses are never stored.
QString SaveSettings(store::DataFiles& files, const SyncSettings& settings);

// Sync.dat written by an older version may hold a user name and password
// inside a stored address. Stores the addresses without them (the user name
// becomes the account's when it has none) and moves the password into the
// desktop's secret store, unless one is saved there already. Returns a
// sentence for the user when something was moved or could not be (the
// password never stays in the file), or a null string when the addresses
// held no login.
QString MoveLoginOutOfAddresses(store::DataFiles& files);

}  // namespace quorvel::sync
