// Crash and failure sweeps over the owners' real operations on their files.
#include "items/address_file.h"
#include "items/appointment_file.h"
#include "items/note_file.h"
#include "store_sweep.h"
#include "test_support.h"

namespace quorvel::testing {
namespace {

using store::DataFiles;

Appointment MakeAppointment(const QString& id, const QString& subject, bool reminder) {
  Appointment a;
  a.id = id;
  a.subject = subject;
  a.start = QStringLiteral("09:00");
  a.end = QStringLiteral("09:30");
  a.reminder = reminder;
  a.minutes = QStringLiteral("15");
  a.description = QStringLiteral("Description of ") + subject;
  return a;
}

std::function<void(const QString&)> WithAppointments() {
  return [](const QString& dir) {
    Fill(dir, [](DataFiles& files) {
      AddAppointment(files, MakeAppointment(QStringLiteral("20260107-1"), "Dentist", true));
      AddAppointment(files, MakeAppointment(QStringLiteral("20260108-1"), "Team", false));
      AddAppointment(files, MakeAppointment(QStringLiteral("20260107-2"), "Lunch", true));
    });
  };
}

std::function<void(const QString&)> WithNotes() {
  return [](const QString& dir) {
    Fill(dir, [](DataFiles& files) {
      SaveNote(files, QStringLiteral("Shopping"), QStringLiteral("Milk\r\nBread"));
      SaveNote(files, QStringLiteral("Books"), QStringLiteral("One\r\nTwo\r\nThree"));
      SaveNote(files, QStringLiteral("Ideas"), QString(300, QLatin1Char('i')));
    });
  };
}

AddressEntry MakeEntry(const QString& surname, const QString& name) {
  AddressEntry e;
  e.surname = surname;
  e.name = name;
  e.address = QStringLiteral("Main Street 1\r\nSpringfield");
  e.phones[0] = QStringLiteral("555 0100");
  e.phones[3] = QStringLiteral("555 0199");
  e.birthday_date = QStringLiteral("07/01/1980");
  e.birthday_flag = QStringLiteral("1");
  e.email = name.toLower() + QStringLiteral("@example.org");
  e.notes = QStringLiteral("Notes on ") + name;
  return e;
}

std::function<void(const QString&)> WithEntries() {
  return [](const QString& dir) {
    Fill(dir, [](DataFiles& files) {
      AddAddressEntry(files, MakeEntry(QStringLiteral("Smith"), QStringLiteral("John")));
      AddAddressEntry(files, MakeEntry(QStringLiteral("Brown"), QStringLiteral("Anna")));
      AddAddressEntry(files, MakeEntry(QStringLiteral("Young"), QStringLiteral("Carl")));
    });
  };
}

class StoreOwnerOpsTest : public SeamsFixture {};

TEST_F(StoreOwnerOpsTest, AddressOperationsAreAllOrNothingAtEveryCrashPoint) {
  RunSweep("AddAddressEntry", {WithEntries(), [](DataFiles& f) {
                                 AddAddressEntry(
                                     f, MakeEntry(QStringLiteral("Adams"), QStringLiteral("Dora")));
                               }});
  RunSweep("DeleteAddressEntry",
           {WithEntries(), [](DataFiles& f) {
              DeleteAddressEntry(f, AddressKey(QStringLiteral("Smith"), QStringLiteral("John")));
            }});
  RunSweep("ReplaceAddressEntry (edit)",
           {WithEntries(), [](DataFiles& f) {
              AddressEntry edited = MakeEntry(QStringLiteral("Brown"), QStringLiteral("Anne"));
              edited.phones[1] = QStringLiteral("555 0142");
              ReplaceAddressEntry(f, AddressKey(QStringLiteral("Brown"), QStringLiteral("Anna")),
                                  edited);
            }});
}

TEST_F(StoreOwnerOpsTest, AppointmentOperationsAreAllOrNothingAtEveryCrashPoint) {
  RunSweep("AddAppointment", {WithAppointments(), [](DataFiles& f) {
                                AddAppointment(
                                    f, MakeAppointment(QStringLiteral("20260107-3"), "Call", true));
                              }});
  RunSweep("UpdateAppointment",
           {WithAppointments(), [](DataFiles& f) {
              UpdateAppointment(f, MakeAppointment(QStringLiteral("20260108-1"), "Moved", true));
            }});
  RunSweep("DeleteAppointment", {WithAppointments(), [](DataFiles& f) {
                                   DeleteAppointment(f, QStringLiteral("20260107-1"));
                                 }});
}

TEST_F(StoreOwnerOpsTest, NoteOperationsAreAllOrNothingAtEveryCrashPoint) {
  RunSweep("SaveNote (new)", {WithNotes(), [](DataFiles& f) {
                                SaveNote(f, QStringLiteral("Garden"), QStringLiteral("Roses"));
                              }});
  RunSweep("SaveNote (replace)", {WithNotes(), [](DataFiles& f) {
                                    SaveNote(f, QStringLiteral("Books"), QStringLiteral("Four"));
                                  }});
  RunSweep("DeleteNote", {WithNotes(), [](DataFiles& f) { DeleteNote(f, 0); }});
}

}  // namespace
}  // namespace quorvel::testing
