// The server's resource as last seen, for every linked item: the exact
// bytes it sent (or took from this side), kept in SyncKept.dat so that a
// local edit changes only what the user changed and everything else goes
// back as it came.
//
// SyncKept.dat is a file of 4096-byte records of raw bytes. A resource
// takes a run of whole records; its link in Sync.dat names the first
// record, the length and a digest of the bytes. Records no link names are
// free and zero. The file changes only inside a store::Operation, in the
// same one as the items and their links, so a crash at any point leaves
// item, link and kept resource agreeing (the rollback journal covers it as
// it covers every other file).
#pragma once

#include <map>
#include <optional>

#include <QByteArray>
#include <QString>

#include "items/sync_state.h"
#include "store/data_files.h"

namespace quorvel::sync {

// The most bytes SyncKept.dat can hold: 32767 records of 4096 bytes.
qint64 KeptCapacity();

// The kept bytes of `link`, or nothing when none are kept or they no longer
// match their digest (then the server's copy is fetched again).
std::optional<QByteArray> ReadKept(const store::DataFiles& files, const Link& link);

// Stages in `op` the kept resources of `after`: each link whose href is in
// `renewed` keeps those bytes (a run of free records is found for them;
// unchanged bytes stay where they are), every other link keeps what it
// had, and the records only links of `before` used are zeroed. Returns the
// hrefs whose bytes found no room (their links keep nothing).
QStringList StageKept(store::Operation& op, const SyncState& before, SyncState& after,
                      const std::map<QString, QByteArray>& renewed);

}  // namespace quorvel::sync
