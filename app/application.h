// The one application object: owns the open data files and every window.
// Each window is created the first time it is asked for and shown again,
// never duplicated, afterwards.
#pragma once

#include <functional>
#include <memory>

#include <QPointer>
#include <QString>

#include "store/data_files.h"

namespace quorvel {

class MainWindow;
class SplashWindow;
class MonthCalendarWindow;
class ActivitiesWindow;
class AppointmentEditorWindow;
class DayScheduleWindow;
class ReminderWindow;
class NotesWindow;
class AddressBookWindow;
class AddressEditorWindow;
class HelpTopicsWindow;
class HelpPageWindow;
class ReminderSchedule;
class InstanceServer;
class DataChanges;

class Application {
 public:
  Application();
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  store::DataFiles& files() { return files_; }
  // DataChanged after every change to the files, whoever made it (a window,
  // a sync, an import): every open window listens and shows what the
  // files hold.
  DataChanges& Changes() { return *changes_; }

  // The folder the data files live in, chosen once at start-up; without
  // one, the working folder at the time Start() runs.
  void SetDataFolder(const QString& folder) { data_folder_ = folder; }

  // The start-up sequence: splash, files, today indicator, main window.
  void Start();
  // Points the data files at `dir` and opens them, as one pass of the
  // start-up wait does. False when another Quorvel holds the folder: the
  // user has been told and the process ends.
  bool OpenDataIn(const QString& dir);
  // Closes the data files and ends the process at once.
  void ExitProgram();
  // Brings the main window to the front, restored if it was minimised (a
  // second start on this folder asks for it). Nothing while starting.
  void RaiseMainWindow();
  // Tests end "the process" without ending the test run.
  void SetProcessEnd(std::function<void()> end) { process_end_ = std::move(end); }

  // Shows the today indicator exactly while an appointment falls on today.
  void UpdateTodayIndicator();

  // Which clock minutes the next reminder check covers; starts with the
  // minute the application was created in.
  ReminderSchedule& Reminders() { return *reminders_; }

  // Yes (true) while an editor was opened by Edit, no when by Add.
  bool EditMode() const { return edit_mode_; }
  void SetEditMode(bool edit) { edit_mode_ = edit; }

  MainWindow& Main();
  SplashWindow& Splash();
  MonthCalendarWindow& MonthCalendar();
  ActivitiesWindow& Activities();
  AppointmentEditorWindow& AppointmentEditor();
  DayScheduleWindow& DaySchedule();
  ReminderWindow& Reminder();
  NotesWindow& Notes();
  AddressBookWindow& AddressBook();
  AddressEditorWindow& AddressEditor();
  HelpTopicsWindow& HelpTopics();
  HelpPageWindow& HelpPage();

  // Whether a window exists at the moment (without creating it).
  bool HasSplash() const { return !splash_.isNull(); }
  bool HasMonthCalendar() const { return !month_calendar_.isNull(); }
  bool HasActivities() const { return !activities_.isNull(); }
  bool HasNotes() const { return !notes_.isNull(); }
  bool HasReminder() const { return !reminder_.isNull(); }
  bool HasHelpTopics() const { return !help_topics_.isNull(); }
  bool HasAddressBook() const { return !address_book_.isNull(); }

 private:
  template <class Window>
  Window& Lazy(QPointer<Window>& slot);

  store::DataFiles files_;
  std::unique_ptr<DataChanges> changes_;
  std::unique_ptr<ReminderSchedule> reminders_;
  bool edit_mode_ = false;
  std::function<void()> process_end_;
  QString data_folder_;
  std::unique_ptr<InstanceServer> instance_;

  QPointer<MainWindow> main_;
  QPointer<SplashWindow> splash_;
  QPointer<MonthCalendarWindow> month_calendar_;
  QPointer<ActivitiesWindow> activities_;
  QPointer<AppointmentEditorWindow> appointment_editor_;
  QPointer<DayScheduleWindow> day_schedule_;
  QPointer<ReminderWindow> reminder_;
  QPointer<NotesWindow> notes_;
  QPointer<AddressBookWindow> address_book_;
  QPointer<AddressEditorWindow> address_editor_;
  QPointer<HelpTopicsWindow> help_topics_;
  QPointer<HelpPageWindow> help_page_;
};

}  // namespace quorvel
