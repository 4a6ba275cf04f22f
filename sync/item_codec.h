// One appointment or address entry as one server resource (an iCalendar
// object with one event, a vCard), and back, through the interchange
// mapping; plus the digests that tell whether an item changed.
#pragma once

#include <optional>

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>

#include "items/address_file.h"
#include "items/appointment_file.h"

namespace quorvel::sync {

// What a resource from the server became, or why it cannot be stored.
struct DecodedAppointment {
  QDate date;
  Appointment appointment;  // `id` empty: given when stored
  QString uid;
  QString problem;       // null when the appointment can be stored
  QString name;          // names it for the user ("Dentist on 07/01/2026")
  QStringList left_out;  // its details the files cannot hold
  // An event no appointment can hold (it repeats, spans days, is
  // cancelled, its subject is missing or does not fit…): Events.dat may
  // keep it whole.
  bool whole = false;
};
struct DecodedEntry {
  AddressEntry entry;
  QString uid;
  QString problem;
  QString name;
  QStringList left_out;
};

DecodedAppointment DecodeAppointment(const QByteArray& ics);
DecodedEntry DecodeEntry(const QByteArray& vcf);

// A new resource for an item made here: an event in this machine's time
// zone (TZID and VTIMEZONE), a vCard 3.0.
QByteArray EncodeAppointment(const Appointment& appointment, const QString& uid);
QByteArray EncodeEntry(const AddressEntry& entry, const QString& uid);

// The server's resource `kept` (as last seen) with the item's local changes
// made inside it: only what changed from the item `kept` reads as goes
// into it, everything else stays as the server had it. Under `uid` when
// given. Nothing when `kept` no longer reads as an item the files hold.
std::optional<QByteArray> PatchAppointment(const QByteArray& kept, const Appointment& now,
                                           const QString& uid = QString());
std::optional<QByteArray> PatchEntry(const QByteArray& kept, const AddressEntry& now,
                                     const QString& uid = QString());

// Digests over what syncs: an appointment's date (not its ordinal, which
// moves when another one is deleted) and fields, an entry's fields.
QByteArray Digest(const Appointment& appointment);
QByteArray Digest(const AddressEntry& entry);
// Why the data files cannot hold the item (a text too long for its record,
// a character outside the code page), or a null string.
QString StorageProblem(const Appointment& appointment);
QString StorageProblem(const AddressEntry& entry);

// How items are named in messages.
QString NameOf(const Appointment& appointment);
QString NameOf(const AddressEntry& entry);

}  // namespace quorvel::sync
