// libFuzzer target over the import parsers: every input is read as an
// iCalendar file (libical, time zones, events kept whole) and as a vCard
// file (the strict reader and the mapping to address book entries). Whatever the
// input, reading must end, without a crash, with either a reading or a
// sentence saying why the file was refused.
#include <cstddef>
#include <cstdint>

#include <QByteArray>

#include "events/event_file.h"
#include "interchange/mapping.h"
#include "interchange/vcard.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  quorvel::interchange::EventOptions options;
  options.first_day = QDate(2026, 1, 7);
  options.zone = QTimeZone("Europe/Berlin");
  // As sync reads a resource, then as an import reads a file: every
  // appointment has a subject and a start before its end, every event
  // kept whole is one event of its UID, as Events.dat takes it.
  for (const bool whole : {false, true}) {
    options.keep_whole = whole;
    const quorvel::interchange::EventReading events =
        quorvel::interchange::ReadEvents(bytes, options);
    if (!events.ok() && events.error.isEmpty()) __builtin_trap();
    for (const auto& e : events.appointments) {
      if (e.appointment.subject.isEmpty() || !(e.appointment.start < e.appointment.end))
        __builtin_trap();
    }
    for (const auto& e : events.kept) {
      if (e.uid.isEmpty() || quorvel::events::UidOf(e.text) != e.uid) __builtin_trap();
    }
  }
  const quorvel::interchange::ContactReading contacts =
      quorvel::interchange::ReadContacts(bytes, QDate(2026, 1, 7));
  if (!contacts.ok() && contacts.error.isEmpty()) __builtin_trap();
  for (const auto& entry : contacts.entries) {
    if (entry.surname.isEmpty()) __builtin_trap();
    // What was read goes back out and in again without a refusal.
    const auto again = quorvel::interchange::ReadContacts(quorvel::interchange::WriteContact(entry),
                                                          QDate(2026, 1, 7));
    if (!again.ok() || again.entries.size() != 1) __builtin_trap();
  }
  return 0;
}
