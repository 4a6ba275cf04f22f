#include "fuzz/readers.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <string>

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimeZone>

#include "addressbook/address_book_window.h"
#include "app/application.h"
#include "calendar/activities_window.h"
#include "calendar/day_schedule_window.h"
#include "calendar/month_calendar_window.h"
#include "calendar/reminders.h"
#include "events/event_file.h"
#include "events/occurrences.h"
#include "items/address_file.h"
#include "items/appointment_file.h"
#include "items/note_file.h"
#include "notes/notes_window.h"
#include "store/journal.h"
#include "ui/seams.h"

namespace quorvel::fuzz {
namespace {

struct Windows {
  std::unique_ptr<QApplication> qt;
  QString dir;
  std::unique_ptr<Application> app;
};

Windows& State() {
  static Windows windows;
  return windows;
}

void Trap(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

void InitializeReaders() {
  SetMessageSink([](const QString&) {});
  SetClock([] { return QDateTime(QDate(2026, 1, 7), QTime(8, 44)); });
  const char* windows = std::getenv("QUORVEL_FUZZ_WINDOWS");
  if (windows == nullptr || std::string(windows) != "1") return;
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  static int argc = 1;
  static char name[] = "quorvel_store_fuzz";
  static char* argv[] = {name, nullptr};
  State().qt = std::make_unique<QApplication>(argc, argv);
  // libFuzzer ends the process without unwinding, so the folder is named
  // for the process and the folders of ended runs are removed here.
  const QString base = QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                           ? QStringLiteral("/dev/shm")
                           : QDir::tempPath();
  for (const QString& name : QDir(base).entryList({QStringLiteral("quorvel-fuzz-*")}, QDir::Dirs)) {
    const long pid = name.mid(13).toLong();
    if (pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH) {
      QDir(base + '/' + name).removeRecursively();
    }
  }
  State().dir = base + QStringLiteral("/quorvel-fuzz-") + QString::number(::getpid());
  QDir().mkpath(State().dir);
  State().app = std::make_unique<Application>();
  State().app->SetProcessEnd([] { __builtin_trap(); });
  // Every window once on an empty folder: what they allocate for good (fonts,
  // styles) is not taken for a leak of the first input.
  FillWindows({}, 0);
}

void RunReaders(const store::DataFiles& files, std::uint8_t selector) {
  const QDate day = QDate(2026, 1, 1).addDays(selector);
  HasAppointmentOn(files, day);
  CountAppointmentsOn(files, day);
  const QString id = NextAppointmentId(files, day);
  Trap(id.startsWith(DayKey(day)));
  const int appointments = files.ReadCount(store::Channel::kAppoint);
  for (int k : {0, selector % 8, appointments - 1}) {
    if (k >= 0 && k < appointments) ReadAppointment(files, k);
  }
  const MonthMarks marks = ComputeMonthMarks(files, day.year(), day.month());
  for (int d : marks.appointment_days) Trap(d >= 1 && d <= 31);
  for (int d : marks.birthday_days) Trap(d >= 1 && d <= 31);
  BirthdaysOn(files, day);
  for (const ReminderRow& row : RemindersOf(files, day)) {
    Trap(row.due_minute >= 0 && row.due_minute < 1440);
  }
  const int entries = files.ReadCount(store::Channel::kAddBook);
  for (int k : {0, selector % 16, entries - 1}) {
    if (k < 0 || k >= entries) continue;
    const QString key = ReadAddressKey(files, k);
    ReadAddressEntry(files, k);
    Trap(FindAddressEntry(files, key) >= 0);
    ParseBirthdayText(ReadAddressEntry(files, k).birthday_date);
  }
  // The events kept whole: every run read back is whole and named by a UID,
  // and their occurrences stay inside the days asked for.
  for (const events::StoredEvent& e : events::ReadEvents(files).events) {
    Trap(!e.uid.isEmpty() && e.text.size() <= events::LargestEventText());
  }
  for (const events::Occurrence& o :
       events::ReadOccurrences(files, day, day.addDays(selector % 40), QTimeZone::utc())) {
    Trap(o.last_day() >= day && o.first_day() <= day.addDays(selector % 40) && o.end >= o.start);
  }
  const QStringList titles = LoadNotesList(files);
  Trap(titles.size() == files.ReadCount(store::Channel::kNotes));
  for (int i : {0, selector % 4, int(titles.size()) - 1, int(titles.size())}) {
    const auto note = ViewNote(files, i);
    Trap(note.has_value() == (i >= 0 && i < titles.size()));
  }
}

void FillWindows(const QList<QByteArray>& parts, std::uint8_t selector) {
  if (!State().app) return;
  Application& app = *State().app;
  const QString dir = State().dir;
  for (const QString& name : QDir(dir).entryList(QDir::Files)) QFile::remove(dir + '/' + name);
  for (int i = 0; i < parts.size(); ++i) {
    QString name = QString::fromLatin1(store::Info(store::kAllChannels[i % 4]).file_name);
    if (i >= 4) name += QStringLiteral("-journal");
    QFile file(dir + '/' + name);
    Trap(file.open(QIODevice::WriteOnly));
    file.write(parts[i]);
  }
  app.OpenDataIn(dir);
  const QDate day = QDate(2026, 1, 1).addDays(selector);
  app.UpdateTodayIndicator();
  app.MonthCalendar().MarkMonthCalendar();
  app.Activities().SetDate(day);
  app.Activities().FillActivities();
  app.Activities().ShowSelectedAppointment();
  app.DaySchedule().SetDate(day);
  app.DaySchedule().FillDaySchedule();
  app.Notes().LoadNotesList();
  app.AddressBook().FillNameList();
  app.AddressBook().ShowAddressEntry();
  CheckReminders(app);
  app.files().CloseDataFiles();
}

}  // namespace quorvel::fuzz
