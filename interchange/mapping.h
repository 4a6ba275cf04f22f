// Appointments and address book entries as iCalendar events and vCards, and
// back. Pure conversions: nothing here touches the data files (see
// transfer.h for export and import against them).
//
// iCalendar goes through libical (parsing, writing, time zones, recurrence);
// vCard through the reader and writer in vcard.h.
#pragma once

#include <optional>
#include <vector>

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTimeZone>

#include "interchange/vcard.h"
#include "items/address_file.h"
#include "items/appointment_file.h"
#include "items/imported_appointments.h"

namespace quorvel::interchange {

// Something of an imported file that was not taken, and why: `item` names
// it for the user ("Dentist on 07/01/2026", "Smith, John"), `reason` is a
// short clause ("its subject is longer than 100 characters").
struct Skipped {
  QString item;
  QString reason;
};

// ---------------------------------------------------------------- iCalendar

// How events become appointments.
struct EventOptions {
  // Today, for what needs a date of its own (an imported card without a
  // birthday gets it, as the entry editor gives one).
  QDate first_day = QDate::currentDate();
  // Times with a zone (UTC or TZID) are converted to wall-clock time here.
  QTimeZone zone = QTimeZone::systemTimeZone();
  // Without keep_whole (how sync reads a server's resource) every event
  // that is no one appointment is kept whole (see EventReading::kept):
  // series and their changed occurrences, events over several days,
  // cancelled ones, those whose subject is missing or does not fit, whose
  // repeat rule cannot be read or whose end comes before its start.
  // With it (an import), so is every event Appoint.dat would hold only in
  // part (all-day, without length, a location, a description or reminder
  // that does not fit); the cancelled ones, those without a subject, with
  // an unreadable rule or ending before they start are skipped there.
  // An event without a valid start is skipped either way.
  bool keep_whole = false;
};

// An event kept whole: the VCALENDAR of its UID (every VEVENT of it and the
// VTIMEZONEs they use) as it came. Where the zone database overruled a
// time zone's own definition, or a Windows zone name was read as its IANA
// zone, the kept VTIMEZONE under the file's TZID holds the zone database's
// rules, so that the event shows the times the summary speaks of.
struct KeptEvent {
  QString uid;
  QByteArray text;
  QString name;        // "\"Weekly review\" on 19/01/2026"
  int sequence = 0;    // SEQUENCE of the event (not of a changed occurrence)
  QDateTime modified;  // LAST-MODIFIED, or invalid
  // A one-off timed event: its day key, start and subject, as an
  // appointment of Appoint.dat holding it would be known (an import made
  // before events were kept whole put it there); empty otherwise.
  QString plain_key;
};

// One appointment taken from an event. `appointment.id` is empty: the ID is
// given when it is stored (the next ordinal of `date`).
struct EventAppointment {
  QDate date;
  Appointment appointment;
  QString uid;  // the event's UID, for the caller's records
  // With EventOptions::keep_whole: the event as it came (the VCALENDAR of
  // its UID with the VTIMEZONEs it uses, as KeptEvent::text), to be kept
  // beside the appointment; empty when the file holds another event of
  // the same UID. An event without a UID is given one, as a kept event is.
  QByteArray kept;
};

// A birthday event this program exported (it carries the entry's key): the
// address book is where birthdays live, so it is not an appointment.
struct BirthdayEvent {
  QString key;
  QDate date;
};

struct EventReading {
  std::vector<EventAppointment> appointments;
  std::vector<KeptEvent> kept;  // see EventOptions::keep_whole
  std::vector<BirthdayEvent> birthdays;
  std::vector<Skipped> skipped;
  QStringList left_out;  // details of taken events that were not kept
  // Sentences about the file as a whole: what it holds that is no event
  // (to-dos, journal entries, free/busy blocks), time zones that could not
  // be resolved or whose definition the zone database overruled.
  QStringList notes;
  QString error;  // the whole file was refused; a sentence
  bool ok() const { return error.isNull(); }
};

// Every event of an iCalendar file as appointments or kept whole (see
// EventOptions::keep_whole): time zones converted to `options.zone`, a
// one-day all-day event as "00:00" to "24:00". Each
// appointment passes the appointment editor's checks (subject present and
// at most 100 characters, description at most 100, start before end,
// reminder minutes at most four digits) and holds only characters the data
// files can store; events that cannot are in `skipped`.
EventReading ReadEvents(const QByteArray& ics, const EventOptions& options = {});

// The UID an appointment with none kept is exported under.
using ::quorvel::AppointmentUid;
// The UID of the yearly birthday event of the entry with `key`.
QString BirthdayUid(const QString& key);

struct CalendarExport {
  QByteArray ics;
  int appointments = 0;
  int birthdays = 0;
  QStringList problems;  // stored data that could not be exported
};

// One iCalendar file: a VEVENT per appointment (floating local times, or an
// all-day event when a time is not HH:MM) and, for every entry whose
// birthday flag is on, a yearly all-day birthday event. `stamp` is the
// DTSTAMP of every event.
CalendarExport WriteCalendar(const std::vector<Appointment>& appointments,
                             const std::vector<AddressEntry>& entries, const QDateTime& stamp);
// The same with the events kept whole (each a VCALENDAR as kept): their
// VEVENTs go out as they are kept, with the VTIMEZONEs they use, and
// `uids` (when not empty, one for each appointment) gives the appointments
// their UIDs instead of AppointmentUid. `as_kept` (when not empty, one for
// each appointment) gives, in place of an appointment, the VCALENDAR of the
// event it goes out as (an imported one); empty texts stand for none.
CalendarExport WriteCalendar(const std::vector<Appointment>& appointments,
                             const std::vector<AddressEntry>& entries,
                             const std::vector<QByteArray>& kept, const QStringList& uids,
                             const QDateTime& stamp, const std::vector<QByteArray>& as_kept = {});

// One VCALENDAR holding the single VEVENT of `appointment` under `uid`, as a
// CalDAV server stores it; empty when the appointment's ID names no date.
// With a valid `zone` its times are that zone's (TZID and a complete
// VTIMEZONE; UTC times for UTC), so every device shows the same instant;
// otherwise floating local times.
QByteArray WriteAppointmentEvent(const Appointment& appointment, const QString& uid,
                                 const QDateTime& stamp, const QTimeZone& zone = QTimeZone());

// ------------------------------------------------------------------- vCard

// A text of a card longer than the field of the address book it goes to:
// it comes in shortened to `limit` characters only when the user agrees.
struct Shortened {
  QString item;    // the entry's key
  QString field;   // "its notes"
  int length = 0;  // as stored (a line break counts as two)
  int limit = 0;
};

struct ContactReading {
  std::vector<AddressEntry> entries;  // texts that do not fit cut to their field
  std::vector<Shortened> shortened;
  std::vector<QString> uids;  // the card's UID beside each entry, may be empty
  std::vector<Skipped> skipped;
  QStringList left_out;
  QString error;
  bool ok() const { return error.isNull(); }
};

// Every card of a vCard file (2.1, 3.0 or 4.0) as an address book entry.
// Each entry passes the entry editor's limits and holds only storable
// characters. An entry without a birthday gets `today` as its (unused)
// birthday date, as the editor does.
// With `shorten`, a text longer than its field comes in cut to it and is
// named in `shortened` (for the user to agree to); without, it is left out
// and named in `left_out`.
ContactReading ReadContacts(const QByteArray& vcf, const QDate& today = QDate::currentDate(),
                            bool shorten = false);

// One card as an entry; nothing when it cannot be one (`skip_reason` says
// why). Details that do not fit are added to `left_out`.
std::optional<AddressEntry> EntryFromCard(const vcard::Card& card, const QDate& today,
                                          QString* skip_reason, QStringList* left_out,
                                          std::vector<Shortened>* shortened = nullptr);

// The UID an entry is exported under: the same for the same key.
QString ContactUid(const QString& key);

// One vCard 3.0 for the entry.
QByteArray WriteContact(const AddressEntry& entry);
// A vCard 3.0 file of every entry.
QByteArray WriteContacts(const std::vector<AddressEntry>& entries);

// ---------------------------------------------------------------- checks

// Why `text` cannot go into a field of at most `limit` characters as
// stored (a line break counts as two), or a null string when it can.
// `what` names the field ("its subject").
QString FieldProblem(const QString& what, const QString& text, int limit);

}  // namespace quorvel::interchange
