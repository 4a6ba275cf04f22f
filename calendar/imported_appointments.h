// What imported appointments came as. An event another program wrote that
// Appoint.dat can hold becomes an appointment there; the event itself (its
// VCALENDAR with the VTIMEZONEs it uses, exactly as it came) is kept beside
// it in Imported.dat, so that an export gives it back with its UID and
// everything the appointment has no field for, patched with what was
// changed here since.
//
// Appointments have no lasting identity of their own, so a kept event is
// linked to its appointment by the appointment's position in Appoint.dat,
// as the sync's links are: removing an appointment drops its kept event and
// moves the later links down, in the same operation (RemoveAppointment
// calls NoteImportedRemoved). An undo or redo puts Imported.dat back
// together with Appoint.dat, byte for byte.
//
// Imported.dat holds runs of records (events/record_runs.h): one per kept
// event, under its UID (what the import made of the event, then the
// event's text), and one under a key no UID has, listing the links.
#pragma once

#include <map>
#include <vector>

#include <QByteArray>
#include <QString>

#include "calendar/appointment_file.h"
#include "store/data_files.h"

namespace quorvel {

struct ImportedAppointment {
  int index = -1;  // the appointment's position in Appoint.dat
  QString uid;
  QByteArray text;      // the VCALENDAR of its event as it came
  Appointment as_read;  // what the import made of the event
};

// Every kept event of the folder, by its appointment's position (none when
// Imported.dat is missing; a link whose event is damaged is left out).
std::map<int, ImportedAppointment> ReadImported(const store::DataFiles& files);

// Whether an export may give `uid` as a kept event's UID: not empty, not
// too long, no control characters.
bool KeepableUid(const QString& uid);

// Keeps events beside appointments an operation stores, written together
// by Finish() (the file is walked once, however many there are).
class ImportedKeeper {
 public:
  explicit ImportedKeeper(store::Operation& op) : op_(op) {}
  // The event `text` of `uid` beside the appointment that `as_read` is,
  // now at `index`.
  void Add(int index, const QString& uid, const QByteArray& text, const Appointment& as_read);
  // Stages everything added; the UIDs that could not be kept (too large,
  // no room left): their appointments stay, without their events.
  std::vector<QString> Finish();

 private:
  store::Operation& op_;
  std::vector<ImportedAppointment> added_;
};

// Called inside the operation that removes the appointment at `index`
// (later ones moving down one place).
void NoteImportedRemoved(store::Operation& op, int index);

}  // namespace quorvel
