// The sync settings and the links between local items and server resources,
// kept in the extra file Sync.dat beside the data files. The file changes
// only inside a store::Operation, so the links change in the same step as
// the items they describe and a crash loses neither.
//
// Appointments have no lasting identity of their own (IDs renumber when an
// earlier one of the same day is deleted), so an appointment is linked by
// its position in Appoint.dat: deleting one moves the later links down with
// the groups (NoteAppointmentRemoved). Address entries are linked by their
// key, which is unique; a rename moves the link (NoteEntryRenamed).
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <vector>

#include <QByteArray>
#include <QString>
#include <QUrl>

#include "store/data_files.h"

namespace quorvel::sync {

struct SyncSettings {
  QUrl server;
  QString user;
  QUrl calendar;      // the calendar collection; empty: appointments not synced
  QUrl address_book;  // the address book collection; empty: entries not synced
  bool auto_sync = false;
  bool operator==(const SyncSettings&) const = default;
};

// One local item as last agreed with the server.
struct Link {
  int index = -1;     // appointments: position in the file; -1 once deleted here
  QString key;        // address entries: the entry's key
  QString href;       // the resource's path on the server
  QString etag;       // its entity tag when last seen
  QByteArray digest;  // a digest of the local item as last synced
  QString uid;        // the UID inside the resource
  // Where the server's resource as last seen lies in SyncKept.dat (see
  // sync/kept_store.h): its first record (0: none kept), its length in
  // bytes and a digest of its bytes.
  int kept_first = 0;
  int kept_length = 0;
  QByteArray kept_digest = {};
  bool operator==(const Link&) const = default;
};

// A server resource the data files cannot hold, already reported.
struct Skip {
  QString href;
  QString etag;
  bool operator==(const Skip&) const = default;
};

struct SyncState {
  SyncSettings settings;
  QString calendar_token;  // sync-token (or ctag) of the last sync
  QString address_book_token;
  std::vector<Link> appointments;
  std::vector<Link> entries;
  std::vector<Skip> skipped;
  // Events kept whole in Events.dat: `key` and `uid` are the event's UID,
  // `digest` one of its text as last synced (see EventDigest, plan.h).
  std::vector<Link> events;
  bool operator==(const SyncState&) const = default;
};

QByteArray EncodeState(const SyncState& state);
// The state in `bytes` (as EncodeState wrote it), or nothing when damaged.
std::optional<SyncState> DecodeState(const QByteArray& bytes);

// Whether the folder has sync set up (Sync.dat is open).
bool HasSyncFile(const store::DataFiles& files);
// The stored state: an empty state when there is none; nothing when the
// file is damaged.
std::optional<SyncState> LoadState(const store::DataFiles& files);
std::optional<SyncState> LoadState(const store::Operation& op);
// Stages `state` in `op` (creating Sync.dat when the folder has none).
void SaveState(store::DataFiles& files, store::Operation& op, const SyncState& state);

// Hooks for the operations that move items, called inside their operation.
// The appointment at `index` was removed and later ones moved down one.
void NoteAppointmentRemoved(store::Operation& op, int index);
// The entry with key `old_key` is now stored under `new_key`.
void NoteEntryRenamed(store::Operation& op, const QString& old_key, const QString& new_key);
// The same for several at once (old key → new key), as an undo or a redo
// renames them: a link moves once, so keys that trade places stay apart.
void NoteEntriesRenamed(store::Operation& op, const std::map<QString, QString>& renamed);

// An undo or a redo turned Appoint.dat into another version of itself: the
// appointment now at position i is afterwards at `place(i)`, or gone when
// that is -1. The links follow the appointments, so the next sync sends the
// change as one made here (an edit, a removal, or a new appointment).
void NoteAppointmentsMoved(store::Operation& op, const std::function<int(int)>& place);

// The state held by `file`, the whole bytes of a Sync.dat; an empty state
// for an empty file, nothing when damaged.
std::optional<SyncState> StateInFile(const QByteArray& file);

// In-memory forms of the same moves.
void ShiftAfterRemoval(SyncState& state, int index);

}  // namespace quorvel::sync
