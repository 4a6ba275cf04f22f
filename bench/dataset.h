// The benchmark's data: appointments, address entries and notes generated
// at a fraction of the files' capacity, the file images the program stores
// for them, and the answers every measured action must give.
#pragma once

#include <array>
#include <set>
#include <vector>

#include <QByteArray>
#include <QDate>
#include <QString>

#include "items/address_file.h"
#include "items/appointment_file.h"
#include "items/note_file.h"
#include "store/data_files.h"

namespace quorvel::bench {

struct Dataset {
  std::vector<Appointment> appointments;
  std::vector<AddressEntry> entries;
  std::vector<Note> notes;
  // The day with the most appointments; its month is the busiest month.
  QDate busiest_day;
};

// `fraction` of 4096 appointments, 2048 entries and 10922 notes (at least
// a handful of each). Appointment 0 falls on the busiest day and entry 0
// is listed under "A".
Dataset Generate(double fraction);

// The whole file as the program leaves it holding exactly these items,
// zero-filled up to `size` bytes (0: just long enough).
QByteArray AppointImage(const std::vector<Appointment>& items, qint64 size = 0);
QByteArray AddBookImage(const std::vector<AddressEntry>& items, qint64 size = 0);
QByteArray NotesImage(const std::vector<Note>& items, qint64 size = 0);

// The appointments after deleting `index`: later ordinals of its date move
// down by one.
std::vector<Appointment> WithoutAppointment(std::vector<Appointment> items, int index);

// Days of `year`/`month` with an appointment, and with a birthday whose
// flag is set.
std::set<int> AppointmentDays(const Dataset& data, int year, int month);
std::set<int> BirthdayDays(const Dataset& data, int year, int month);
// The subjects of `date`'s appointments in file order, trimmed.
QStringList SubjectsOn(const Dataset& data, const QDate& date);
// How many birthday lines the Activities window lists for `date`.
int BirthdayCountOn(const Dataset& data, const QDate& date);

}  // namespace quorvel::bench
