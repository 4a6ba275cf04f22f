// The one application object: owns the open data files and every window.
// Each window is created the first time it is asked for and shown again,
// never duplicated, afterwards.
#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <QDBusConnection>
#include <QDate>
#include <QPointer>
#include <QString>

#include "store/data_files.h"
#include "store/outcome.h"
#include "ui/organiser.h"

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
class FindWindow;
namespace search {
struct Match;
}
class DataChanges;
class RestoreWindow;
namespace undo {
class UndoHistory;
}

namespace reminding {
class DesktopNotifier;
class KeeperLock;
class ReminderKeeper;
}  // namespace reminding

class Application final : public Organiser {
 public:
  Application();
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  store::DataFiles& files() override { return files_; }
  // DataChanged after every change to the files, whoever made it (a window,
  // a sync, an import): every open window listens and shows what the
  // files hold.
  DataChanges& Changes() override { return *changes_; }

  // The changes of this run, to undo and redo (recorded from the first
  // change after the files were opened).
  undo::UndoHistory& History() { return *history_; }
  // Where the automatic backups of the data folder are kept.
  QString BackupsFolder() const;
  // Puts the backup at `path` back (what the files hold now is kept as a
  // backup first); the history is cleared, and the open windows show the
  // files as they are now once the change announcement reaches them.
  store::Outcome RestoreFrom(const QString& path);

  // The folder the data files live in, chosen once at start-up; without
  // one, the working folder at the time Start() runs.
  void SetDataFolder(const QString& folder) { data_folder_ = folder; }
  // Whether that folder is the account's standard one (the desktop menu's).
  void SetStandardFolder(bool standard) { standard_folder_ = standard; }
  bool StandardFolder() const { return standard_folder_; }
  // The folder in use, once Start() chose it.
  const QString& FolderInUse() const { return folder_in_use_; }
  // A day whose Activities open once the main window shows.
  void SetOpenDay(const QDate& day) { open_day_ = day; }

  // The start-up sequence: splash, files, today indicator, main window.
  void Start();
  // Points the data files at `dir` and opens them, as one pass of the
  // start-up wait does. False when another Quorvel holds the folder: the
  // user has been told and the process ends.
  bool OpenDataIn(const QString& dir);
  // Closes the data files and ends the process at once.
  void ExitProgram();
  // What every end of the process does first: stops listening for later
  // starts (removing the socket) and closes the data files.
  void CloseForExit();
  // Brings the main window to the front, restored if it was minimised (a
  // second start on this folder asks for it). Nothing while starting.
  void RaiseMainWindow();
  // Tests end "the process" without ending the test run.
  void SetProcessEnd(std::function<void()> end) { process_end_ = std::move(end); }

  // Shows the today indicator exactly while an appointment falls on today.
  void UpdateTodayIndicator();
  void ShowTodayIndicator(bool shown) override;

  // Opens `day`'s Activities in front.
  void OpenDay(const QDate& day);

  // Keeps the reminders of the open folder, unless a reminder agent keeps
  // them already (then it shows them and this does nothing until it ends).
  // Called when the main window shows and on every tick of its timer.
  void KeepReminders() override;
  // Lets go of the reminders (the agent may take them over).
  void StopKeepingReminders();
  bool KeepsReminders() const { return keeper_ != nullptr; }
  reminding::ReminderKeeper* Keeper() { return keeper_.get(); }
  // The bus the desktop notifications go to; the session bus unless a
  // test gives another (a connection that is not connected: none).
  void SetNotificationBus(const QDBusConnection& bus) { notification_bus_ = bus; }

  // Which clock minutes the next reminder check covers; starts with the
  // minute the application was created in.
  ReminderSchedule& Reminders() { return *reminders_; }

  // Yes (true) while an editor was opened by Edit, no when by Add.
  bool EditMode() const override { return edit_mode_; }
  void SetEditMode(bool edit) override { edit_mode_ = edit; }

  MainWindow& Main();
  SplashWindow& Splash();
  MonthCalendarWindow& MonthCalendar() override;
  ActivitiesWindow& Activities() override;
  AppointmentEditorWindow& AppointmentEditor() override;
  DayScheduleWindow& DaySchedule() override;
  ReminderWindow& Reminder();
  NotesWindow& Notes();
  AddressBookWindow& AddressBook() override;
  AddressEditorWindow& AddressEditor() override;
  HelpTopicsWindow& HelpTopics() override;
  HelpPageWindow& HelpPage() override;
  RestoreWindow& Restore();

  // Find…: the search window, shown with its box focused (the main
  // window's Ctrl+F, from every window of the program).
  FindWindow& Find();
  void OpenFind();
  // Opens a found item where it lives: an appointment in Activities on its
  // day, a note in the note pad, an entry in the address book. An item that
  // is no longer stored is said so, and the results are read again.
  void OpenFound(const search::Match& match);

  // Whether a window exists at the moment (without creating it).
  bool HasSplash() const { return !splash_.isNull(); }
  bool HasMonthCalendar() const { return !month_calendar_.isNull(); }
  bool HasActivities() const { return !activities_.isNull(); }
  bool HasNotes() const { return !notes_.isNull(); }
  bool HasReminder() const { return !reminder_.isNull(); }
  bool HasHelpTopics() const { return !help_topics_.isNull(); }
  bool HasAddressBook() const { return !address_book_.isNull(); }
  bool HasFind() const { return !find_.isNull(); }

 private:
  template <class Window>
  Window& Lazy(QPointer<Window>& slot);

  store::DataFiles files_;
  std::unique_ptr<DataChanges> changes_;
  std::unique_ptr<undo::UndoHistory> history_;
  std::unique_ptr<ReminderSchedule> reminders_;
  bool edit_mode_ = false;
  std::function<void()> process_end_;
  QString data_folder_;
  std::unique_ptr<InstanceServer> instance_;
  bool standard_folder_ = false;
  QString folder_in_use_;
  QDate open_day_;
  std::optional<QDBusConnection> notification_bus_;
  std::unique_ptr<reminding::KeeperLock> keeper_lock_;
  std::unique_ptr<reminding::DesktopNotifier> notifier_;
  std::unique_ptr<reminding::ReminderKeeper> keeper_;

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
  QPointer<FindWindow> find_;
  QPointer<RestoreWindow> restore_;
};

}  // namespace quorvel
