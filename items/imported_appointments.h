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
//
// An appointment made here has no event kept, but its UID is kept all the
// same: a link with no event under its UID. It is stored when the
// appointment is added, or, for one added before UIDs were kept, when it is
// first changed (the UID it went out under until then), so that a UID once
// exported stays the appointment's whatever is edited or deleted later.
#pragma once

#include <map>
#include <vector>

#include <QByteArray>
#include <QString>

#include "items/appointment_file.h"
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

// The UID an appointment goes out under when none is kept for it: the same
// for the same date, start time and subject, whatever else changes in the
// file. `repeat` (from 0) tells apart appointments that agree in all three.
QString AppointmentUid(const Appointment& appointment, int repeat = 0);

// The UID kept for every appointment that has one (a kept event's or one
// stored for an appointment made here), by its position.
std::map<int, QString> ReadAppointmentUids(const store::DataFiles& files);

// Inside the operation that changes the appointment at `index`, called
// before the change (none of these stores a UID an appointment keeps
// already): after it was added, keeps the UID it goes out under now; before
// it is rewritten as `edited`, keeps the UID it went out under, and those of
// later ones the change would alter (appointments that agree in day, start
// and subject are told apart by their order); before it is removed, keeps
// those of the later ones its removal would alter. Kept UIDs never repeat:
// one another appointment keeps already moves on to the next repeat. When
// the links have no room left nothing is kept; the change goes on and the
// appointments go out under AppointmentUid as before.
void KeepUidOfAdded(store::Operation& op, int index);
void KeepUidsBeforeEdit(store::Operation& op, int index, const Appointment& edited);
void KeepUidsBeforeRemoval(store::Operation& op, int index);

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
