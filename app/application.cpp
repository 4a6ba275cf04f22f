#include "app/application.h"

#include <cstdlib>

#include <algorithm>
#include <type_traits>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QThread>

#include "addressbook/address_book_window.h"
#include "addressbook/address_editor_window.h"
#include "app/accessibility.h"
#include "app/data_changes.h"
#include "app/instance.h"
#include "app/main_window.h"
#include "app/seams.h"
#include "app/splash_window.h"
#include "app/startup.h"
#include "app/ui.h"
#include "app/window_keys.h"
#include "calendar/activities_window.h"
#include "calendar/appointment_editor_window.h"
#include "calendar/appointment_file.h"
#include "calendar/day_schedule_window.h"
#include "calendar/month_calendar_window.h"
#include "calendar/reminder_window.h"
#include "calendar/reminders.h"
#include "help/help_page_window.h"
#include "help/help_topics_window.h"
#include "notes/notes_window.h"

namespace quorvel {

Application::Application()
    : changes_(std::make_unique<DataChanges>(files_)),
      reminders_(std::make_unique<ReminderSchedule>(Now())) {
  InstallAccessibility();
  QObject::connect(changes_.get(), &DataChanges::DataChanged, changes_.get(),
                   [this](store::ChangedFiles changed) {
                     if (changed.Has(store::Channel::kAppoint) && !main_.isNull()) {
                       UpdateTodayIndicator();
                     }
                   });
}

Application::~Application() {
  // Tool windows first, the main window last.
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

bool Application::OpenDataIn(const QString& dir) {
  files_.SetDataDir(dir);
  if (files_.OpenDataFiles() == store::OpenResult::kInUse) {
    // Another Quorvel holds this folder: nothing was written. Its window
    // comes to the front instead of a second one; where it cannot answer
    // (a command without a window holds the folder), say so. Then end.
    if (RaiseRunningInstance(dir)) {
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
  return true;
}

void Application::Start() {
  Splash().SetCloseVisible(false);
  CentreOnScreen(Splash());
  Splash().show();

  const QString folder = data_folder_.isNull() ? QDir::currentPath() : data_folder_;
  const qint64 wait_ms = SplashWaitMs(Now().time());
  QElapsedTimer elapsed;
  elapsed.start();
  do {
    if (!OpenDataIn(folder)) {
      Splash().hide();
      return;
    }
    if (!instance_) {
      instance_ = std::make_unique<InstanceServer>(folder, [this] { RaiseMainWindow(); });
    }
    UpdateTodayIndicator();
    QCoreApplication::processEvents();
    const qint64 left = wait_ms - elapsed.elapsed();
    if (left > 0) QThread::msleep(static_cast<unsigned long>(std::min<qint64>(left, kStartPassPauseMs)));
  } while (elapsed.elapsed() < wait_ms);

  Splash().hide();
  Splash().SetCloseVisible(true);
  CentreOnScreen(Main());
  Main().show();
}

void Application::ExitProgram() {
  instance_.reset();
  files_.CloseDataFiles();
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
  Main().ShowTodayIndicator(HasAppointmentOn(files_, Now().date()));
}

}  // namespace quorvel
