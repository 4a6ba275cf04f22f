// Keeps the reminders of one data folder (the appointments' and those the
// alarms of the events in Events.dat ask for): sleeps until the next
// reminder is due, shows it (as a desktop notification, or through a fallback where
// no notification service answers), and remembers in Remind.dat what was
// shown, dismissed and snoozed, so that nothing comes twice and nothing is
// lost to a restart. Wakes when the appointments change, when the computer
// resumes and when the clock is set; costs nothing in between.
//
// A reminder whose moment passed while nothing kept the reminders (the
// computer slept, nothing was running) is shown as soon as a keeper runs,
// marked missed, until its appointment has ended.
//
// Only the holder of the folder's KeeperLock may run a keeper.
#pragma once

#include <functional>
#include <map>
#include <vector>

#include <QDBusConnection>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimeZone>

#include "reminding/due.h"
#include "reminding/memory.h"
#include "store/data_files.h"

class QTimer;

namespace quorvel::reminding {

class DesktopNotifier;

class ReminderKeeper : public QObject {
  Q_OBJECT

 public:
  using Clock = std::function<QDateTime()>;
  // Shows a reminder where no notification service answers.
  using Fallback = std::function<void(const Reminder& reminder, bool missed)>;

  // `notifier` may be null (no session bus): every reminder goes to
  // `fallback`. Without a fallback a reminder no service took waits for
  // the next check.
  ReminderKeeper(const QString& folder, Clock clock, DesktopNotifier* notifier, Fallback fallback,
                 QObject* parent = nullptr);
  ~ReminderKeeper() override;

  // Opens Remind.dat beside the data files (without holding the folder),
  // follows the folder's changes and makes the first check.
  void Start();
  // Shows what is due now and sleeps until the next moment.
  void Check();
  // Wakes on the login manager's resume signal on `system_bus`.
  void FollowSleep(const QDBusConnection& system_bus);

  // The zone the events' occurrences are shown in: the system's unless set.
  void SetZone(const QTimeZone& zone) { zone_ = zone; }

  // The moment the keeper sleeps until; invalid when nothing is ahead.
  QDateTime NextWake() const { return next_wake_; }
  const Memory& memory() const { return memory_; }

  static constexpr int kSnoozeMinutes[] = {5, 10, 15};

 signals:
  // The user asked to see the day of a reminder's appointment.
  void OpenRequested(const QDate& day);

 private slots:
  void OnAction(uint id, const QString& action);
  void OnClosed(uint id, uint reason);
  void OnPrepareForSleep(bool going_to_sleep);

 private:
  bool Present(const Reminder& reminder, bool missed, const QStringList& capabilities);
  void Remember(const QByteArray& key, Remembered entry);
  void Save();
  void Schedule(const QDateTime& now);
  void FollowClockChanges();
  void Watch();
  const Reminder* Find(const QByteArray& key) const;
  // The events' reminders from `today` on; false while Events.dat is
  // being changed.
  bool ReadEventReminders(const QDate& today);

  QString folder_;
  Clock clock_;
  DesktopNotifier* notifier_;
  Fallback fallback_;
  store::DataFiles files_;
  Memory memory_;
  std::vector<Reminder> reminders_;
  QTimeZone zone_ = QTimeZone::systemTimeZone();
  // Events.dat's stamp when last read, and what its occurrences asked for
  // from that day on: read and expanded again only when either changes.
  QByteArray events_stamp_;
  QDate events_from_;
  QByteArray events_zone_;
  std::vector<Reminder> event_reminders_;
  // Each event's text and reminders over those days: an event whose text
  // is unchanged is not expanded again.
  std::map<QString, std::pair<QByteArray, std::vector<Reminder>>> by_event_;
  std::map<uint, QByteArray> on_screen_;  // notification id -> key
  QTimer* timer_;
  QTimer* settle_;  // a change to the files is read once it is over
  QDateTime next_wake_;
  int clock_handle_ = -1;
  int watch_handle_ = -1;  // the folder's changes (inotify)
  int unread_retries_ = 0;
  bool started_ = false;
};

}  // namespace quorvel::reminding
