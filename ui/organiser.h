// What a tool window may ask of the program that owns it: the open data
// files and their change announcements, whether the editor opened to edit
// or to add, and the other windows, each created the first time it is asked
// for. The application is the one implementation; a window knows nothing
// of what sits above it.
#pragma once

namespace quorvel {

namespace store {
class DataFiles;
}
class DataChanges;
class MonthCalendarWindow;
class ActivitiesWindow;
class AppointmentEditorWindow;
class DayScheduleWindow;
class AddressBookWindow;
class AddressEditorWindow;
class HelpTopicsWindow;
class HelpPageWindow;

class Organiser {
 public:
  virtual store::DataFiles& files() = 0;
  // DataChanged after every change to the files, whoever made it.
  virtual DataChanges& Changes() = 0;

  // Yes (true) while an editor was opened by Edit, no when by Add.
  virtual bool EditMode() const = 0;
  virtual void SetEditMode(bool edit) = 0;

  // The main window's today indicator, shown or hidden.
  virtual void ShowTodayIndicator(bool shown) = 0;
  // The reminder check of a tick of the main window's timer.
  virtual void KeepReminders() = 0;

  virtual MonthCalendarWindow& MonthCalendar() = 0;
  virtual ActivitiesWindow& Activities() = 0;
  virtual AppointmentEditorWindow& AppointmentEditor() = 0;
  virtual DayScheduleWindow& DaySchedule() = 0;
  virtual AddressBookWindow& AddressBook() = 0;
  virtual AddressEditorWindow& AddressEditor() = 0;
  virtual HelpTopicsWindow& HelpTopics() = 0;
  virtual HelpPageWindow& HelpPage() = 0;

 protected:
  Organiser() = default;
  ~Organiser() = default;
  Organiser(const Organiser&) = delete;
  Organiser& operator=(const Organiser&) = delete;
};

}  // namespace quorvel
