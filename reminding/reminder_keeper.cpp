#include "reminding/reminder_keeper.h"

#include <sys/inotify.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include <QFile>
#include <QLocale>
#include <QSocketNotifier>
#include <QTimer>

#include "events/event_file.h"
#include "reminding/desktop_notifier.h"

namespace quorvel::reminding {
namespace {

// The longest single sleep: the keeper looks again at least this often,
// whatever happens to the clock.
constexpr qint64 kLongestSleepMs = 6 * 60 * 60 * 1000;
// A change to the files is read once they have been still this long.
constexpr int kSettleMs = 150;
constexpr int kUnreadRetries = 5;
// Kept this long after its appointment ended, then forgotten.
constexpr qint64 kKeptAfterEndSecs = 24 * 60 * 60;

const QString kSnoozePrefix = QStringLiteral("snooze-");
const QString kDismiss = QStringLiteral("dismiss");
const QString kOpen = QStringLiteral("open");
const QString kDefault = QStringLiteral("default");

}  // namespace

ReminderKeeper::ReminderKeeper(const QString& folder, Clock clock, DesktopNotifier* notifier,
                               Fallback fallback, QObject* parent)
    : QObject(parent),
      folder_(folder),
      clock_(std::move(clock)),
      notifier_(notifier),
      fallback_(std::move(fallback)),
      timer_(new QTimer(this)),
      settle_(new QTimer(this)) {
  timer_->setSingleShot(true);
  timer_->setTimerType(Qt::PreciseTimer);
  connect(timer_, &QTimer::timeout, this, &ReminderKeeper::Check);
  settle_->setSingleShot(true);
  settle_->setInterval(kSettleMs);
  connect(settle_, &QTimer::timeout, this, &ReminderKeeper::Check);
  if (notifier_ != nullptr) {
    connect(notifier_, &DesktopNotifier::ActionInvoked, this, &ReminderKeeper::OnAction);
    connect(notifier_, &DesktopNotifier::Closed, this, &ReminderKeeper::OnClosed);
  }
}

ReminderKeeper::~ReminderKeeper() {
  if (clock_handle_ >= 0) ::close(clock_handle_);
  if (watch_handle_ >= 0) ::close(watch_handle_);
}

void ReminderKeeper::Start() {
  if (started_) return;
  started_ = true;
  files_.SetDataDir(folder_);
  files_.OpenAlone(store::Channel::kRemind);
  memory_ = LoadMemory(files_);
  Watch();
  FollowClockChanges();
  Check();
}

void ReminderKeeper::Watch() {
  // The folder, not the file: its entries tell of every change to
  // Appoint.dat and Events.dat, written in place or replaced by another, and of its
  // journal coming and going. (Straight from the system: a file system
  // watcher would cost the agent more memory than all the rest.)
  watch_handle_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (watch_handle_ < 0) return;
  constexpr uint32_t kChanges =
      IN_MODIFY | IN_CLOSE_WRITE | IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB;
  if (::inotify_add_watch(watch_handle_, QFile::encodeName(folder_).constData(), kChanges) < 0) {
    ::close(watch_handle_);
    watch_handle_ = -1;
    return;
  }
  auto* notifier = new QSocketNotifier(watch_handle_, QSocketNotifier::Read, this);
  connect(notifier, &QSocketNotifier::activated, this, [this] {
    alignas(inotify_event) char events[4096];
    bool appointments = false;
    ssize_t length;
    while ((length = ::read(watch_handle_, events, sizeof events)) > 0) {
      for (ssize_t at = 0; at < length;) {
        const auto* event = reinterpret_cast<const inotify_event*>(events + at);
        // Only Appoint.dat, Events.dat and their journals; an overflow
        // may hide them.
        appointments = appointments || (event->mask & IN_Q_OVERFLOW) != 0 ||
                       (event->len > 0 && (std::strncmp(event->name, "Appoint.dat", 11) == 0 ||
                                           std::strncmp(event->name, "Events.dat", 10) == 0));
        at += ssize_t(sizeof(inotify_event)) + event->len;
      }
    }
    if (appointments) settle_->start();
  });
}

void ReminderKeeper::FollowClockChanges() {
  // A timer on the wall clock that the system cancels whenever the clock
  // is set: it never runs out, it only tells of a jump.
  clock_handle_ = ::timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
  if (clock_handle_ < 0) return;
  itimerspec far{};
  far.it_value.tv_sec = LONG_MAX / 2;
  if (::timerfd_settime(clock_handle_, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &far,
                        nullptr) != 0) {
    ::close(clock_handle_);
    clock_handle_ = -1;
    return;
  }
  auto* notifier = new QSocketNotifier(clock_handle_, QSocketNotifier::Read, this);
  connect(notifier, &QSocketNotifier::activated, this, [this, far] {
    quint64 expirations = 0;
    // Fails with ECANCELED after a jump; set again for the next one.
    [[maybe_unused]] const ssize_t ignored =
        ::read(clock_handle_, &expirations, sizeof expirations);
    ::timerfd_settime(clock_handle_, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &far, nullptr);
    Check();
  });
}

void ReminderKeeper::FollowSleep(const QDBusConnection& system_bus) {
  QDBusConnection(system_bus)
      .connect(QString(), QStringLiteral("/org/freedesktop/login1"),
               QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"),
               this, SLOT(OnPrepareForSleep(bool)));
}

void ReminderKeeper::OnPrepareForSleep(bool going_to_sleep) {
  if (!going_to_sleep && started_) Check();
}

const Reminder* ReminderKeeper::Find(const QByteArray& key) const {
  const auto it = std::find_if(reminders_.begin(), reminders_.end(),
                               [&](const Reminder& r) { return r.key == key; });
  return it == reminders_.end() ? nullptr : &*it;
}

bool ReminderKeeper::ReadEventReminders(const QDate& today) {
  // Taken before the read: a change during it makes the next look read
  // again.
  const QByteArray stamp = EventsFileStamp(folder_);
  if (stamp.isEmpty()) return false;
  // From the day before: an occurrence that began then may still be on.
  const QDate from = today.addDays(-1);
  if (stamp == events_stamp_ && from == events_from_ && zone_.id() == events_zone_) return true;
  const std::optional<QByteArray> bytes = ReadEventsFile(folder_);
  if (!bytes) return false;
  if (from != events_from_ || zone_.id() != events_zone_) by_event_.clear();
  std::map<QString, std::pair<QByteArray, std::vector<Reminder>>> now;
  event_reminders_.clear();
  for (events::StoredEvent& event : events::EventsIn(*bytes).events) {
    auto it = by_event_.find(event.uid);
    std::pair<QByteArray, std::vector<Reminder>> kept;
    if (it != by_event_.end() && it->second.first == event.text) {
      kept = std::move(it->second);
    } else {
      kept = {event.text, EventReminders(event.text, from, today.addDays(kEventDaysAhead), zone_)};
    }
    event_reminders_.insert(event_reminders_.end(), kept.second.begin(), kept.second.end());
    now[event.uid] = std::move(kept);
  }
  SortByStart(event_reminders_);
  by_event_ = std::move(now);
  events_stamp_ = stamp;
  events_from_ = from;
  events_zone_ = zone_.id();
  return true;
}

void ReminderKeeper::Check() {
  if (!started_) return;
  settle_->stop();
  const QDateTime now = clock_();
  const std::optional<QByteArray> bytes = ReadAppointFile(folder_);
  if (!bytes) {
    // Being changed: the change's end (its journal going) wakes the keeper
    // through the folder; a few retries cover a change that ends without
    // one. A journal left by a program that stopped stays until the
    // program opens the folder again, which wakes the keeper too.
    if (unread_retries_ < kUnreadRetries) {
      ++unread_retries_;
      settle_->start();
    }
    return;
  }
  if (!ReadEventReminders(now.toTimeZone(zone_).date())) {
    if (unread_retries_ < kUnreadRetries) {
      ++unread_retries_;
      settle_->start();
    }
    return;
  }
  unread_retries_ = 0;
  reminders_ = RemindersIn(*bytes);
  reminders_.insert(reminders_.end(), event_reminders_.begin(), event_reminders_.end());

  QStringList capabilities;
  bool asked = false;
  bool changed = false;
  for (const Reminder& r : reminders_) {
    const auto it = memory_.find(r.key);
    bool missed = false;
    if (it != memory_.end()) {
      if (it->second.fate != Remembered::Fate::kSnoozed || now < it->second.until) continue;
    } else {
      if (!Current(r, now)) continue;
      missed = Missed(r, now);
    }
    if (!asked && notifier_ != nullptr) {
      capabilities = notifier_->Capabilities();
      asked = true;
    }
    if (!Present(r, missed, capabilities)) continue;
    memory_[r.key] =
        Remembered{Remembered::Fate::kShown, QDateTime(), r.ends.addSecs(kKeptAfterEndSecs)};
    changed = true;
  }
  if (changed) Save();
  Schedule(now);
}

bool ReminderKeeper::Present(const Reminder& r, bool missed, const QStringList& capabilities) {
  if (notifier_ != nullptr && !capabilities.isEmpty()) {
    DesktopNotifier::Notice notice;
    notice.summary = missed ? tr("Missed: %1").arg(r.subject) : r.subject;
    QString when = r.all_day ? r.start : tr("%1 to %2").arg(r.start, r.end);
    const QDate today = clock_().date();
    if (r.day != today)
      when = QLocale().toString(r.day, QLocale::ShortFormat) + QStringLiteral(", ") + when;
    notice.body = when + QLatin1Char('\n') +
                  (missed ? tr("Missed reminder, set %1 minutes ahead").arg(r.lead)
                          : tr("Reminder %1 minutes ahead").arg(r.lead));
    if (capabilities.contains(QStringLiteral("actions"))) {
      for (int minutes : kSnoozeMinutes) {
        notice.actions << kSnoozePrefix + QString::number(minutes)
                       << tr("Snooze %1 min").arg(minutes);
      }
      notice.actions << kDismiss << tr("Dismiss") << kOpen << tr("Open") << kDefault << tr("Open");
    }
    if (const uint id = notifier_->Notify(notice)) {
      on_screen_[id] = r.key;
      return true;
    }
  }
  if (!fallback_) return false;
  // A fallback may not return (the agent starts again as the program, with
  // windows): what this check showed before is remembered first.
  Save();
  fallback_(r, missed);
  return true;
}

void ReminderKeeper::Remember(const QByteArray& key, Remembered entry) {
  memory_[key] = entry;
  Save();
  Schedule(clock_());
}

void ReminderKeeper::Save() {
  // A full disk loses only the memory of this change: the reminder may come
  // once more after a restart, never not at all.
  SaveMemory(files_, memory_, clock_());
}

void ReminderKeeper::OnAction(uint id, const QString& action) {
  const auto it = on_screen_.find(id);
  if (it == on_screen_.end()) return;
  const QByteArray key = it->second;
  on_screen_.erase(it);
  const Reminder* r = Find(key);
  const QDateTime now = clock_();
  const QDateTime ends = r != nullptr ? r->ends : now;
  notifier_->Close(id);
  if (action.startsWith(kSnoozePrefix)) {
    bool ok = false;
    const int minutes = action.mid(kSnoozePrefix.size()).toInt(&ok);
    if (ok && minutes > 0) {
      const QDateTime until = now.addSecs(qint64(minutes) * 60);
      Remember(key, Remembered{Remembered::Fate::kSnoozed, until,
                               std::max(ends, until).addSecs(kKeptAfterEndSecs)});
      return;
    }
  }
  Remember(key,
           Remembered{Remembered::Fate::kDismissed, QDateTime(), ends.addSecs(kKeptAfterEndSecs)});
  if ((action == kOpen || action == kDefault) && r != nullptr) emit OpenRequested(r->day);
}

void ReminderKeeper::OnClosed(uint id, uint reason) {
  const auto it = on_screen_.find(id);
  if (it == on_screen_.end()) return;
  const QByteArray key = it->second;
  on_screen_.erase(it);
  constexpr uint kDismissedByUser = 2;
  if (reason != kDismissedByUser) return;
  const auto remembered = memory_.find(key);
  if (remembered == memory_.end() || remembered->second.fate != Remembered::Fate::kShown) return;
  Remembered entry = remembered->second;
  entry.fate = Remembered::Fate::kDismissed;
  Remember(key, entry);
}

void ReminderKeeper::Schedule(const QDateTime& now) {
  QDateTime next;
  auto consider = [&](const QDateTime& moment) {
    if (moment.isValid() && moment > now && (!next.isValid() || moment < next)) next = moment;
  };
  for (const Reminder& r : reminders_) {
    const auto it = memory_.find(r.key);
    if (it == memory_.end()) {
      consider(r.due);
    } else if (it->second.fate == Remembered::Fate::kSnoozed) {
      consider(it->second.until);
    }
  }
  next_wake_ = next;
  if (!next.isValid()) {
    timer_->start(int(kLongestSleepMs));
    return;
  }
  timer_->start(int(std::clamp<qint64>(now.msecsTo(next), 0, kLongestSleepMs)));
}

}  // namespace quorvel::reminding
