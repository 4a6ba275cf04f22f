// Crash and failure sweeps over the owners' real operations on their files.
#include "calendar/appointment_file.h"
#include "notes/note_file.h"
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

class StoreOwnerOpsTest : public SeamsFixture {};

TEST_F(StoreOwnerOpsTest, AppointmentOperationsAreAllOrNothingAtEveryCrashPoint) {
  RunSweep("AddAppointment", {WithAppointments(), [](DataFiles& f) {
             AddAppointment(f, MakeAppointment(QStringLiteral("20260107-3"), "Call", true));
           }});
  RunSweep("UpdateAppointment", {WithAppointments(), [](DataFiles& f) {
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
