#include "app/application.h"

#include <cstdlib>

#include <algorithm>
#include <type_traits>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

#include "addressbook/address_book_window.h"
#include "addressbook/address_editor_window.h"
#include "app/instance.h"
#include "app/main_window.h"
#include "app/reminder_agent.h"
#include "app/restore_window.h"
#include "app/splash_window.h"
#include "app/startup.h"
#include "backups/backups.h"
#include "calendar/activities_window.h"
#include "calendar/appointment_editor_window.h"
#include "calendar/day_schedule_window.h"
#include "calendar/month_calendar_window.h"
#include "calendar/reminder_window.h"
#include "calendar/reminders.h"
#include "events/event_file.h"
#include "find/find_window.h"
#include "help/help_page_window.h"
#include "help/help_topics_window.h"
#include "items/appointment_file.h"
#include "items/note_file.h"
#include "notes/notes_window.h"
#include "reminding/desktop_notifier.h"
#include "reminding/keeper_lock.h"
#include "reminding/reminder_keeper.h"
#include "search/search.h"
#include "ui/accessibility.h"
#include "ui/data_changes.h"
#include "ui/seams.h"
#include "ui/ui.h"
#include "ui/window_keys.h"
#include "undo/undo_history.h"

namespace quorvel {

Application::Application()
    : changes_(std::make_unique<DataChanges>(files_)),
      history_(std::make_unique<undo::UndoHistory>(files_)),
      reminders_(std::make_unique<ReminderSchedule>(Now())) {
  InstallAccessibility();
  QObject::connect(
      changes_.get(), &DataChanges::DataChanged, changes_.get(),
      [this](store::ChangedFiles changed) {
        // The month calendar's marks come with the indicator:
        // while there is one, it refreshes both.
        if (changed.Has(store::Channel::kAppoint) && !main_.isNull() && !HasMonthCalendar()) {
          UpdateTodayIndicator();
        }
      });
}

Application::~Application() {
  StopKeepingReminders();
  // Tool windows first, the main window last.
  delete find_;
  delete restore_;
  delete help_page_;
  delete help_topics_;
  delete address_editor_;
  delete address_book_;
  delete notes_;
  delete reminder_;
  delete day_schedule_;
  delete appointment_editor_;
  delete activities_;
  delete month_calendar_;
  delete splash_;
  delete main_;
}

template <class Window>
Window& Application::Lazy(QPointer<Window>& slot) {
  if (slot.isNull()) {
    slot = new Window(*this);
    // Esc and Enter as on the rest of the desktop, in every secondary
    // window; the two editors and the splash keep their own handling.
    if constexpr (!std::is_same_v<Window, MainWindow> && !std::is_same_v<Window, SplashWindow> &&
                  !std::is_same_v<Window, AppointmentEditorWindow> &&
                  !std::is_same_v<Window, AddressEditorWindow>) {
      AddWindowKeys(*slot);
    }
  }
  return *slot;
}

MainWindow& Application::Main() { return Lazy(main_); }
SplashWindow& Application::Splash() { return Lazy(splash_); }
MonthCalendarWindow& Application::MonthCalendar() { return Lazy(month_calendar_); }
ActivitiesWindow& Application::Activities() { return Lazy(activities_); }
AppointmentEditorWindow& Application::AppointmentEditor() { return Lazy(appointment_editor_); }
DayScheduleWindow& Application::DaySchedule() { return Lazy(day_schedule_); }
ReminderWindow& Application::Reminder() { return Lazy(reminder_); }
NotesWindow& Application::Notes() { return Lazy(notes_); }
AddressBookWindow& Application::AddressBook() { return Lazy(address_book_); }
AddressEditorWindow& Application::AddressEditor() { return Lazy(address_editor_); }
HelpTopicsWindow& Application::HelpTopics() { return Lazy(help_topics_); }
HelpPageWindow& Application::HelpPage() { return Lazy(help_page_); }
RestoreWindow& Application::Restore() { return Lazy(restore_); }

QString Application::BackupsFolder() const { return backups::BackupsFolderFor(files_.DataDir()); }

store::Outcome Application::RestoreFrom(const QString& path) {
  const store::Outcome outcome = backups::RestoreBackup(files_, path, BackupsFolder(), Now());
  // The open windows follow through the change announcement.
  if (outcome.stored()) history_->Clear();
  return outcome;
}

FindWindow& Application::Find() {
  if (find_.isNull()) {
    find_ = new FindWindow(files_);
    AddWindowKeys(*find_);
    QObject::connect(find_, &FindWindow::OpenRequested, find_,
                     [this](const search::Match& match) { OpenFound(match); });
    // Shown results follow every change to the files they come from; a
    // hidden window searches again when it is shown.
    QObject::connect(changes_.get(), &DataChanges::DataChanged, find_,
                     [this](store::ChangedFiles changed) {
                       if (find_->isVisible() &&
                           changed.HasAny({store::Channel::kAppoint, store::Channel::kNotes,
                                           store::Channel::kAddBook, store::Channel::kEvents})) {
                         find_->Refresh();
                       }
                     });
  }
  return *find_;
}

void Application::OpenFind() { Find().Open(); }

namespace {

// Where a found appointment is now: its ordinal on its day, or 0. The
// result names it by ID, subject and start; when the ID now belongs to
// another appointment (one before it on the day was deleted), the one with
// the same subject and start is it.
int OrdinalNow(const store::DataFiles& files, const search::Match& match) {
  const int k = FindAppointment(files, match.identity);
  if (k >= 0) {
    const Appointment a = ReadAppointment(files, k);
    if (store::TrimSpaces(a.subject) == match.title && store::TrimSpaces(a.start) == match.start) {
      return match.ordinal;
    }
  }
  const DayAppointments day = ReadDayAppointments(files, match.date);
  for (qsizetype i = 0; i < day.subjects.size(); ++i) {
    if (day.subjects[i] == match.title && day.starts.value(i) == match.start) return int(i) + 1;
  }
  return 0;
}

// Where a found note is now: its place, or -1. The note at the place it was
// found, if it still has its title; else the last one with that title (the
// one saving under that title changes).
int NoteNow(const store::DataFiles& files, const search::Match& match) {
  const QStringList titles = LoadNotesList(files);
  if (match.item < titles.size() && titles[match.item] == match.identity) return match.item;
  return int(titles.lastIndexOf(match.identity));
}

}  // namespace

void Application::OpenFound(const search::Match& match) {
  bool found = false;
  switch (match.kind) {
    case search::Kind::kAppointment: {
      if (match.event) {
        // An event kept whole: its occurrence chosen among the day's.
        if (!match.date.isValid() || !events::FindEvent(files_, match.identity)) break;
        found = true;
        MonthCalendar().OpenActivitiesFor(match.date);
        if (!Activities().EditorOpen())
          Activities().ChooseOccurrence(match.identity, match.instance);
        break;
      }
      const int ordinal = match.date.isValid() ? OrdinalNow(files_, match) : 0;
      if (ordinal == 0) break;
      found = true;
      MonthCalendar().OpenActivitiesFor(match.date);
      if (!Activities().EditorOpen()) Activities().ChooseAppointment(ordinal);
      break;
    }
    case search::Kind::kNote: {
      const int index = NoteNow(files_, match);
      if (index < 0) break;
      found = true;
      Notes().ShowNote(index);
      OpenToolWindow(Notes());
      break;
    }
    case search::Kind::kEntry: {
      if (match.identity.isEmpty() || FindAddressEntry(files_, match.identity) < 0) break;
      found = true;
      OpenToolWindow(AddressBook());
      AddressBook().ShowEntry(match.identity);
      break;
    }
  }
  if (!found) {
    ShowMessage(FindWindow::tr("This item is no longer stored. The results have been read again."));
    if (HasFind()) find_->Refresh();
  }
}

bool Application::OpenDataIn(const QString& dir) {
  files_.SetDataDir(dir);
  if (files_.OpenDataFiles() == store::OpenResult::kInUse) {
    // Another Quorvel holds this folder: nothing was written. Its window
    // comes to the front instead of a second one, with the day this start
    // was to open; where it cannot answer (a command without a window
    // holds the folder), say so. Then end.
    if (RaiseRunningInstance(dir, 3000, open_day_)) {
      if (process_end_) {
        process_end_();
      } else {
        std::_Exit(EXIT_SUCCESS);
      }
      return false;
    }
    ShowMessage(store::FolderInUseMessage(dir));
    if (process_end_) {
      process_end_();
    } else {
      std::_Exit(EXIT_FAILURE);
    }
    return false;
  }
  // Opening may set up the files' headers: nothing a person could undo.
  history_->Clear();
  return true;
}

void Application::Start() {
  Splash().SetCloseVisible(false);
  CentreOnScreen(Splash());
  Splash().show();

  const QString folder = data_folder_.isNull() ? QDir::currentPath() : data_folder_;
  folder_in_use_ = folder;
  const qint64 wait_ms = SplashWaitMs(Now().time());
  QElapsedTimer elapsed;
  elapsed.start();
  do {
    if (!OpenDataIn(folder)) {
      Splash().hide();
      return;
    }
    if (!instance_) {
      instance_ = std::make_unique<InstanceServer>(folder, [this](const QDate& day) {
        RaiseMainWindow();
        if (day.isValid()) OpenDay(day);
      });
    }
    UpdateTodayIndicator();
    QCoreApplication::processEvents();
    const qint64 left = wait_ms - elapsed.elapsed();
    if (left > 0)
      QThread::msleep(static_cast<unsigned long>(std::min<qint64>(left, kStartPassPauseMs)));
  } while (elapsed.elapsed() < wait_ms);

  // The day's copy of the files, before anything is changed.
  if (backups::DailyBackupDue(BackupsFolder(), Now())) {
    const store::Outcome kept =
        backups::TakeAutomaticBackup(files_, BackupsFolder(), backups::Reason::kDaily, Now());
    if (kept.refused()) ShowMessage(kept.reason());
  }

  Splash().hide();
  Splash().SetCloseVisible(true);
  CentreOnScreen(Main());
  Main().show();
  KeepReminders();
  if (open_day_.isValid()) OpenDay(std::exchange(open_day_, QDate()));
}

void Application::OpenDay(const QDate& day) {
  ActivitiesWindow& activities = Activities();
  activities.SetDate(day);
  OpenToolWindow(activities);
  activities.FillActivities();
  activities.FocusStart();
}

void Application::KeepReminders() {
  if (keeper_) {
    keeper_->Check();
    return;
  }
  if (!files_.IsOpen(store::Channel::kAppoint)) return;
  const QString folder = folder_in_use_.isEmpty() ? files_.DataDir() : folder_in_use_;
  if (!keeper_lock_) keeper_lock_ = std::make_unique<reminding::KeeperLock>(folder);
  // While an agent keeps them, it shows them; asked again every tick.
  if (!keeper_lock_->TryTake()) return;
  QDBusConnection bus = notification_bus_ ? *notification_bus_
                        : qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")
                            ? QDBusConnection(QStringLiteral("quorvel-no-bus"))
                            : QDBusConnection::sessionBus();
  if (bus.isConnected()) notifier_ = std::make_unique<reminding::DesktopNotifier>(bus);
  keeper_ = std::make_unique<reminding::ReminderKeeper>(
      folder, Now, notifier_.get(), [this](const reminding::Reminder& r, bool missed) {
        // Where no notification service answers: the pop-up. A later one
        // refills it, so the last stays on screen.
        ReminderRow row;
        row.start = r.start;
        row.end = r.end;
        row.subject = DisplaySubject(r.subject);
        row.lead = r.lead;
        row.missed = missed;
        Reminder().ShowReminder(row);
      });
  QObject::connect(keeper_.get(), &reminding::ReminderKeeper::OpenRequested,
                   [this](const QDate& day) {
                     RaiseMainWindow();
                     OpenDay(day);
                   });
  if (!qEnvironmentVariableIsEmpty("DBUS_SYSTEM_BUS_ADDRESS") ||
      QFileInfo::exists(QStringLiteral("/run/dbus/system_bus_socket"))) {
    keeper_->FollowSleep(QDBusConnection::systemBus());
  }
  keeper_->Start();
}

void Application::StopKeepingReminders() {
  keeper_.reset();
  notifier_.reset();
  keeper_lock_.reset();
}

void Application::CloseForExit() {
  StopKeepingReminders();
  // "Remind me when Quorvel is closed": the agent takes over now rather
  // than at the next login.
  if (!folder_in_use_.isEmpty() && AgentStartsAtLogin(folder_in_use_, standard_folder_)) {
    StartAgent(folder_in_use_, standard_folder_);
  }
  instance_.reset();
  files_.CloseDataFiles();
}

void Application::ExitProgram() {
  CloseForExit();
  if (process_end_) {
    process_end_();
  } else {
    std::_Exit(EXIT_SUCCESS);
  }
}

void Application::RaiseMainWindow() {
  if (!main_.isNull() && main_->isVisible()) OpenToolWindow(*main_);
}

void Application::UpdateTodayIndicator() {
  ShowTodayIndicator(HasAppointmentOn(files_, Now().date()));
}

void Application::ShowTodayIndicator(bool shown) { Main().ShowTodayIndicator(shown); }

}  // namespace quorvel
