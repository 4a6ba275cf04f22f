// The reminders kept beside the program: due moments, what is remembered,
// desktop notifications on a private session bus served by a recording
// notification service, the agent process beside the program.
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <mutex>
#include <thread>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include "app/application.h"
#include "app/instance.h"
#include "app/main_window.h"
#include "app/reminder_agent.h"
#include "calendar/activities_window.h"
#include "calendar/reminder_window.h"
#include "events/event_file.h"
#include "reminding/agent.h"
#include "reminding/desktop_notifier.h"
#include "reminding/due.h"
#include "reminding/keeper_lock.h"
#include "reminding/memory.h"
#include "reminding/reminder_keeper.h"
#include "server_series.h"
#include "store_sweep.h"
#include "test_support.h"
#include "ui/ui.h"

namespace quorvel::testing {
namespace {

using reminding::Remembered;
using store::Channel;

bool WaitFor(const std::function<bool()>& done, int ms = 5000) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(5);
  }
  return true;
}

// A dbus-daemon of the test's own, ended with the test.
class PrivateBus {
 public:
  PrivateBus() {
    daemon_.setProgram(QStringLiteral("dbus-daemon"));
    daemon_.setArguments({QStringLiteral("--session"), QStringLiteral("--nofork"),
                          QStringLiteral("--print-address=1")});
    daemon_.start();
    if (!daemon_.waitForStarted(5000)) return;
    while (!daemon_.canReadLine() && daemon_.waitForReadyRead(5000)) {
    }
    address_ = QString::fromLatin1(daemon_.readLine().trimmed());
  }
  ~PrivateBus() {
    for (const QString& name : names_) QDBusConnection::disconnectFromBus(name);
    daemon_.terminate();
    daemon_.waitForFinished(5000);
  }
  const QString& address() const { return address_; }
  // A connection of its own, named after `name` (a name in use would give
  // an earlier test's connection).
  QDBusConnection Connect(const QString& name) {
    static int serial = 0;
    names_ << name + QLatin1Char('-') + QString::number(++serial);
    return QDBusConnection::connectToBus(address_, names_.last());
  }

 private:
  QStringList names_;
  QProcess daemon_;
  QString address_;
};

struct Notified {
  uint id;
  QString summary;
  QString body;
  QStringList actions;
  QVariantMap hints;
  int timeout;
};

// org.freedesktop.Notifications as a recording test service, on a thread
// of its own so that the caller's blocking calls are answered.
class RecordingService : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

 public:
  QStringList capabilities{QStringLiteral("actions"), QStringLiteral("body"),
                           QStringLiteral("persistence")};

  std::vector<Notified> Calls() {
    std::lock_guard guard(mutex_);
    return calls_;
  }
  std::vector<uint> Closed() {
    std::lock_guard guard(mutex_);
    return closed_;
  }

 public slots:
  QStringList GetCapabilities() { return capabilities; }
  uint Notify(const QString&, uint, const QString&, const QString& summary, const QString& body,
              const QStringList& actions, const QVariantMap& hints, int timeout) {
    std::lock_guard guard(mutex_);
    calls_.push_back({next_, summary, body, actions, hints, timeout});
    return next_++;
  }
  void CloseNotification(uint id) {
    std::lock_guard guard(mutex_);
    closed_.push_back(id);
  }

 private:
  std::mutex mutex_;
  std::vector<Notified> calls_;
  std::vector<uint> closed_;
  uint next_ = 1;
};

class NotificationServer {
 public:
  explicit NotificationServer(PrivateBus& bus)
      : connection_(bus.Connect(QStringLiteral("notification-server"))) {
    service_.moveToThread(&thread_);
    thread_.start();
    connection_.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &service_,
                               QDBusConnection::ExportAllSlots);
    connection_.registerService(QStringLiteral("org.freedesktop.Notifications"));
  }
  ~NotificationServer() {
    connection_.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
    connection_.unregisterObject(QStringLiteral("/org/freedesktop/Notifications"));
    thread_.quit();
    thread_.wait();
  }
  RecordingService& service() { return service_; }
  // The user clicks `action` on notification `id`.
  void Invoke(uint id, const QString& action) {
    QDBusMessage signal = QDBusMessage::createSignal(
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("ActionInvoked"));
    signal << id << action;
    connection_.send(signal);
    QDBusMessage closed = QDBusMessage::createSignal(
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("NotificationClosed"));
    closed << id << uint(2);
    connection_.send(closed);
  }
  // The login manager says the computer woke up.
  void Resumed() {
    QDBusMessage signal = QDBusMessage::createSignal(
        QStringLiteral("/org/freedesktop/login1"), QStringLiteral("org.freedesktop.login1.Manager"),
        QStringLiteral("PrepareForSleep"));
    signal << false;
    connection_.send(signal);
  }

 private:
  QDBusConnection connection_;
  QThread thread_;
  RecordingService service_;
};

QDateTime At(int h, int m, int s = 0) { return QDateTime(QDate(2026, 1, 7), QTime(h, m, s)); }

// ------------------------------------------------------------ due moments

TEST(ReminderDueTest, MomentsEndsAndKeysFromTheStoredTexts) {
  QTemporaryDir dir;
  store::DataFiles files;
  files.SetDataDir(dir.path());
  ASSERT_EQ(files.OpenDataFiles(), store::OpenResult::kOpened);
  SeedAppointments(files, {
                              {"20260107-1", "  Dentist  ", "10:00", "10:30", true, " 15 "},
                              {"20260107-2", "Early", "07:00", "24:00", true, "480"},
                              {"20260107-3", "Off", "12:00", "12:30", false, "15"},
                              {"20260107-4", "Odd lead", "13:00", "13:30", true, "1/4"},
                              {"20260107-5", "Odd start", "1400", "14:30", true, "15"},
                              {"20260107-6", "No end", "15:00", "", true, "0"},
                          });
  files.CloseDataFiles();
  const auto bytes = reminding::ReadAppointFile(dir.path());
  ASSERT_TRUE(bytes);
  const auto reminders = reminding::RemindersIn(*bytes);
  ASSERT_EQ(reminders.size(), 3u);
  EXPECT_EQ(reminders[0].subject, QStringLiteral("Dentist"));
  EXPECT_EQ(reminders[0].lead, QStringLiteral("15"));
  EXPECT_EQ(reminders[0].due, At(9, 45));
  EXPECT_EQ(reminders[0].ends, At(10, 30));
  // Eight hours ahead of seven o'clock is the evening before, not never.
  EXPECT_EQ(reminders[1].due, QDateTime(QDate(2026, 1, 6), QTime(23, 0)));
  EXPECT_EQ(reminders[1].ends, QDateTime(QDate(2026, 1, 8), QTime(0, 0)));
  // No usable end: shown for a few minutes from its moment.
  EXPECT_EQ(reminders[2].ends, reminders[2].starts);
  EXPECT_TRUE(reminding::Current(reminders[2], At(15, 4)));
  EXPECT_FALSE(reminding::Current(reminders[2], At(15, 6)));
  // Current from the moment until the end; missed once a minute late.
  EXPECT_FALSE(reminding::Current(reminders[0], At(9, 44, 59)));
  EXPECT_TRUE(reminding::Current(reminders[0], At(9, 45)));
  EXPECT_FALSE(reminding::Missed(reminders[0], At(9, 46)));
  EXPECT_TRUE(reminding::Missed(reminders[0], At(9, 46, 1)));
  EXPECT_FALSE(reminding::Current(reminders[0], At(10, 30)));
  // Each reminder its own key; the same texts give the same key.
  EXPECT_NE(reminders[0].key, reminders[1].key);
  EXPECT_EQ(reminding::RemindersIn(*bytes)[0].key, reminders[0].key);

  // Mid-change (a journal beside the file): not read at all.
  QFile journal(dir.filePath(QStringLiteral("Appoint.dat-journal")));
  ASSERT_TRUE(journal.open(QIODevice::WriteOnly));
  journal.close();
  EXPECT_FALSE(reminding::ReadAppointFile(dir.path()));
  // A folder with no appointments yet: none.
  QTemporaryDir empty;
  EXPECT_EQ(reminding::ReadAppointFile(empty.path()), QByteArray());
}

TEST(ReminderMemoryTest, KeptAcrossOpeningsUntilItMayBeForgotten) {
  QTemporaryDir dir;
  reminding::Memory memory;
  const QByteArray a(16, 'a'), b(16, 'b'), c(16, 'c');
  memory[a] = {Remembered::Fate::kShown, QDateTime(), At(12, 0)};
  memory[b] = {Remembered::Fate::kSnoozed, At(9, 55), At(12, 0)};
  memory[c] = {Remembered::Fate::kDismissed, QDateTime(), At(8, 0)};
  {
    store::DataFiles files;
    files.SetDataDir(dir.path());
    files.OpenAlone(Channel::kRemind);
    ASSERT_TRUE(reminding::SaveMemory(files, memory, At(7, 0)));
  }
  store::DataFiles files;
  files.SetDataDir(dir.path());
  files.OpenAlone(Channel::kRemind);
  EXPECT_EQ(reminding::LoadMemory(files), memory);
  // What ended is forgotten at the next save, and its record cleared.
  ASSERT_TRUE(reminding::SaveMemory(files, memory, At(9, 0)));
  const reminding::Memory kept = reminding::LoadMemory(files);
  EXPECT_EQ(kept.size(), 2u);
  EXPECT_FALSE(kept.count(c));
  EXPECT_EQ(RecordBytes(dir.filePath(QStringLiteral("Remind.dat")), 64, 4), QByteArray(64, '\0'));
  // Only the memory file was made: the four stay the program's.
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("Remind.dat")});
  // A file this program did not write remembers nothing.
  QFile other(dir.filePath(QStringLiteral("Remind.dat")));
  ASSERT_TRUE(other.open(QIODevice::WriteOnly));
  other.write(QByteArray(640, 'x'));
  other.close();
  EXPECT_TRUE(reminding::LoadMemory(files).empty());
}

class ReminderMemorySweep : public SeamsFixture {};

TEST_F(ReminderMemorySweep, ASaveIsAllOrNothingThroughEveryCrashAndFailure) {
  reminding::Memory memory;
  memory[QByteArray(16, 'a')] = {Remembered::Fate::kShown, QDateTime(), At(12, 0)};
  memory[QByteArray(16, 'b')] = {Remembered::Fate::kSnoozed, At(9, 55), At(12, 0)};
  RunSweep("saving what the reminders remember",
           {[&](const QString& dir) {
              store::DataFiles files;
              files.SetDataDir(dir);
              ASSERT_EQ(files.OpenDataFiles(), store::OpenResult::kOpened);
              files.OpenExtraFile(Channel::kRemind);
              reminding::Memory first;
              first[QByteArray(16, 'c')] = {Remembered::Fate::kDismissed, QDateTime(), At(8, 0)};
              ASSERT_TRUE(reminding::SaveMemory(files, first, At(7, 0)));
            },
            [&](store::DataFiles& files) {
              files.OpenExtraFile(Channel::kRemind);
              reminding::SaveMemory(files, memory, At(9, 0));
            }});
}

TEST(KeeperLockTest, OneKeeperAtATimeAndTheWaiterTakesOver) {
  QTemporaryDir dir;
  auto first = std::make_unique<reminding::KeeperLock>(dir.path());
  reminding::KeeperLock second(dir.path());
  ASSERT_TRUE(first->TryTake());
  EXPECT_FALSE(second.TryTake());
  QSignalSpy taken(&second, &reminding::KeeperLock::Taken);
  second.WaitForIt();
  QCoreApplication::processEvents();
  EXPECT_EQ(taken.count(), 0);
  first.reset();
  EXPECT_TRUE(WaitFor([&] { return taken.count() == 1; }));
  EXPECT_TRUE(second.held());
  // Another spelling of the same folder meets the same lock.
  reminding::KeeperLock third(dir.path() + QStringLiteral("/."));
  EXPECT_FALSE(third.TryTake());
}

// ------------------------------------------------ notifications and actions

class KeeperTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(bus_.address().isEmpty());
    store::DataFiles files;
    files.SetDataDir(dir_.path());
    ASSERT_EQ(files.OpenDataFiles(), store::OpenResult::kOpened);
    SeedAppointments(files, {{"20260107-1", "Dentist", "10:00", "10:30", true, "15"}});
  }
  std::unique_ptr<reminding::ReminderKeeper> MakeKeeper() {
    auto keeper = std::make_unique<reminding::ReminderKeeper>(
        dir_.path(), [this] { return now_; }, &notifier_,
        [this](const reminding::Reminder& r, bool missed) {
          popups_.push_back(r.subject + (missed ? QStringLiteral(" (missed)") : QString()));
        });
    keeper->FollowSleep(client_);
    return keeper;
  }
  std::vector<Notified> Calls() { return server_.service().Calls(); }

  QTemporaryDir dir_;
  PrivateBus bus_;
  NotificationServer server_{bus_};
  QDBusConnection client_ = bus_.Connect(QStringLiteral("notification-client"));
  reminding::DesktopNotifier notifier_{client_};
  QDateTime now_ = At(9, 44);
  QStringList popups_;
};

TEST_F(KeeperTest, ArrivesWithItsActionsAndSnoozeBringsItBack) {
  auto keeper = MakeKeeper();
  keeper->Start();
  EXPECT_TRUE(Calls().empty());
  // Asleep until the moment, not ticking.
  EXPECT_EQ(keeper->NextWake(), At(9, 45));
  now_ = At(9, 45);
  keeper->Check();
  ASSERT_EQ(Calls().size(), 1u);
  const Notified n = Calls()[0];
  EXPECT_EQ(n.summary, QStringLiteral("Dentist"));
  EXPECT_TRUE(n.body.contains(QStringLiteral("10:00 to 10:30"))) << n.body.toStdString();
  EXPECT_TRUE(n.body.contains(QStringLiteral("15 minutes"))) << n.body.toStdString();
  EXPECT_EQ(n.actions, (QStringList{"snooze-5", "Snooze 5 min", "snooze-10", "Snooze 10 min",
                                    "snooze-15", "Snooze 15 min", "dismiss", "Dismiss", "open",
                                    "Open", "default", "Open"}));
  // Stays until dismissed.
  EXPECT_EQ(n.timeout, 0);
  EXPECT_EQ(n.hints.value(QStringLiteral("urgency")).toInt(), 2);
  keeper->Check();
  EXPECT_EQ(Calls().size(), 1u);

  server_.Invoke(n.id, QStringLiteral("snooze-10"));
  ASSERT_TRUE(WaitFor([&] { return !server_.service().Closed().empty(); }));
  EXPECT_EQ(server_.service().Closed()[0], n.id);
  EXPECT_EQ(keeper->NextWake(), At(9, 55));
  now_ = At(9, 54, 59);
  keeper->Check();
  EXPECT_EQ(Calls().size(), 1u);
  now_ = At(9, 55);
  keeper->Check();
  ASSERT_EQ(Calls().size(), 2u);
  EXPECT_EQ(Calls()[1].summary, QStringLiteral("Dentist"));
  EXPECT_TRUE(popups_.isEmpty());
}

TEST_F(KeeperTest, DismissEndsItForGoodAndARestartShowsNothingTwice) {
  {
    auto keeper = MakeKeeper();
    now_ = At(9, 45, 10);
    keeper->Start();
    ASSERT_EQ(Calls().size(), 1u) << popups_.join(QLatin1Char(',')).toStdString();
    server_.Invoke(Calls()[0].id, QStringLiteral("dismiss"));
    ASSERT_TRUE(WaitFor([&] {
      return keeper->memory().begin() != keeper->memory().end() &&
             keeper->memory().begin()->second.fate == Remembered::Fate::kDismissed;
    }));
    now_ = At(10, 0);
    keeper->Check();
  }
  // Started again during the appointment: nothing comes back.
  auto again = MakeKeeper();
  again->Start();
  EXPECT_EQ(Calls().size(), 1u);

  // One shown but not yet acted on stays shown after a restart too.
  store::DataFiles files;
  files.SetDataDir(dir_.path());
  ASSERT_EQ(files.OpenDataFiles(), store::OpenResult::kOpened);
  SeedAppointments(files, {{"20260107-2", "Call", "10:15", "10:30", true, "5"}});
  ASSERT_TRUE(WaitFor([&] { return again->NextWake() == At(10, 10); }));
  now_ = At(10, 10);
  again->Check();
  ASSERT_EQ(Calls().size(), 2u);
  again.reset();
  auto third = MakeKeeper();
  third->Start();
  EXPECT_EQ(Calls().size(), 2u);
}

TEST_F(KeeperTest, OpenAsksForTheDay) {
  auto keeper = MakeKeeper();
  QSignalSpy opened(keeper.get(), &reminding::ReminderKeeper::OpenRequested);
  now_ = At(9, 45);
  keeper->Start();
  ASSERT_EQ(Calls().size(), 1u);
  server_.Invoke(Calls()[0].id, QStringLiteral("open"));
  ASSERT_TRUE(WaitFor([&] { return opened.count() == 1; }));
  EXPECT_EQ(opened[0][0].toDate(), QDate(2026, 1, 7));
  now_ = At(10, 0);
  keeper->Check();
  EXPECT_EQ(Calls().size(), 1u);
}

TEST_F(KeeperTest, AJumpPastItsMomentShowsItMissedUntilTheAppointmentEnded) {
  auto keeper = MakeKeeper();
  now_ = At(9, 0);
  keeper->Start();
  // The computer slept through 09:45 and wakes at 10:05.
  now_ = At(10, 5);
  server_.Resumed();
  ASSERT_TRUE(WaitFor([&] { return Calls().size() == 1; }));
  EXPECT_EQ(Calls()[0].summary, QStringLiteral("Missed: Dentist"));
  EXPECT_TRUE(Calls()[0].body.contains(QStringLiteral("Missed"))) << Calls()[0].body.toStdString();

  // Woken only after the appointment ended: nothing.
  store::DataFiles files;
  files.SetDataDir(dir_.path());
  ASSERT_EQ(files.OpenDataFiles(), store::OpenResult::kOpened);
  SeedAppointments(files, {{"20260107-2", "Lunch", "12:00", "12:30", true, "15"}});
  ASSERT_TRUE(WaitFor([&] { return keeper->NextWake() == At(11, 45); }));
  now_ = At(12, 31);
  server_.Resumed();
  QThread::msleep(100);
  WaitFor([] { return false; }, 300);
  EXPECT_EQ(Calls().size(), 1u);
}

TEST_F(KeeperTest, NoNotificationServiceMeansThePopUp) {
  PrivateBus empty;
  QDBusConnection lonely = empty.Connect(QStringLiteral("lonely-client"));
  reminding::DesktopNotifier nobody(lonely);
  reminding::ReminderKeeper keeper(
      dir_.path(), [this] { return now_; }, &nobody,
      [this](const reminding::Reminder& r, bool missed) {
        popups_.push_back(r.subject + (missed ? QStringLiteral(" (missed)") : QString()));
      });
  now_ = At(9, 47);
  keeper.Start();
  EXPECT_EQ(popups_, QStringList{QStringLiteral("Dentist (missed)")});
  keeper.Check();
  EXPECT_EQ(popups_.size(), 1);
}

// The alarms of a series kept as a server sent it, seen from Berlin: the
// moments follow New York's clock change and then Europe's; the left-out
// occurrence has none, the moved one its own; each comes once, across a
// restart, and one slept through comes marked missed.
TEST_F(KeeperTest, ASeriesAlarmsFollowItsZoneComeOnceAndAreNeverLost) {
  {
    store::DataFiles files;
    files.SetDataDir(dir_.path());
    ASSERT_EQ(files.OpenDataFiles(), store::OpenResult::kOpened);
    store::Operation op(files);
    ASSERT_EQ(events::PutEvent(op, kServerSeries), events::PutResult::kStored);
    ASSERT_TRUE(op.Commit().stored());
  }
  const QTimeZone berlin("Europe/Berlin");
  auto in_berlin = [&](int month, int day, int h, int m) {
    return QDateTime(QDate(2026, month, day), QTime(h, m), berlin);
  };
  auto keeper = MakeKeeper();
  keeper->SetZone(berlin);
  now_ = in_berlin(3, 2, 14, 30);
  keeper->Start();
  EXPECT_TRUE(Calls().empty());
  EXPECT_EQ(keeper->NextWake(), in_berlin(3, 2, 14, 45));  // 09:00 EST is 15:00 in Berlin
  now_ = in_berlin(3, 2, 14, 45);
  keeper->Check();
  ASSERT_EQ(Calls().size(), 1u);
  EXPECT_EQ(Calls()[0].summary, QStringLiteral("Standup"));
  EXPECT_TRUE(Calls()[0].body.contains(QStringLiteral("15:00 to 15:30")))
      << Calls()[0].body.toStdString();
  EXPECT_TRUE(Calls()[0].body.contains(QStringLiteral("15 minutes")))
      << Calls()[0].body.toStdString();
  struct Step {
    const char* what;
    QDateTime now;
    QDateTime next_wake;
    int calls;
  };
  const Step steps[] = {
      {"started again during the occurrence: nothing twice", in_berlin(3, 2, 14, 50),
       in_berlin(3, 9, 13, 45), 1},
      {"New York has gone to summer time, Berlin not yet", in_berlin(3, 9, 13, 45),
       in_berlin(3, 23, 15, 30), 2},
      {"the left-out Monday has no alarm", in_berlin(3, 16, 13, 45), in_berlin(3, 23, 15, 30), 2},
      {"the moved one, half an hour ahead", in_berlin(3, 23, 15, 30), in_berlin(3, 30, 14, 45), 3},
  };
  for (const Step& step : steps) {
    keeper = MakeKeeper();
    keeper->SetZone(berlin);
    now_ = step.now;
    keeper->Start();
    EXPECT_EQ(Calls().size(), std::size_t(step.calls)) << step.what;
    EXPECT_EQ(keeper->NextWake(), step.next_wake)
        << step.what << " " << keeper->NextWake().toString(Qt::ISODate).toStdString();
  }
  ASSERT_EQ(Calls().size(), 3u);
  EXPECT_TRUE(Calls()[1].body.contains(QStringLiteral("14:00 to 14:30")))
      << Calls()[1].body.toStdString();
  EXPECT_EQ(Calls()[2].summary, QStringLiteral("Standup (moved)"));
  EXPECT_TRUE(Calls()[2].body.contains(QStringLiteral("16:00 to 16:30")))
      << Calls()[2].body.toStdString();
  // Nothing ran at 14:45 on the 30th (both zones on summer time now): shown
  // late, marked missed, while the occurrence is on.
  keeper.reset();
  now_ = in_berlin(3, 30, 15, 10);
  keeper = MakeKeeper();
  keeper->SetZone(berlin);
  keeper->Start();
  ASSERT_EQ(Calls().size(), 4u);
  EXPECT_EQ(Calls()[3].summary, QStringLiteral("Missed: Standup"));
  EXPECT_TRUE(Calls()[3].body.contains(QStringLiteral("15:00 to 15:30")))
      << Calls()[3].body.toStdString();
  EXPECT_TRUE(popups_.isEmpty());

  // Alarms that lead their occurrence by more than the days looked ahead
  // come on time: sixty days before a one-off, a hundred before each of a
  // yearly all-day event's days.
  {
    store::DataFiles files;
    files.SetDataDir(dir_.path());
    ASSERT_EQ(files.OpenDataFiles(), store::OpenResult::kOpened);
    store::Operation op(files);
    for (const QByteArray& text :
         {QByteArray(
              "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//t//"
              "EN\r\nBEGIN:VEVENT\r\nUID:passport@t\r\n"
              "DTSTAMP:20260101T000000Z\r\nDTSTART:20260620T070000Z\r\nDTEND:20260620T080000Z\r\n"
              "SUMMARY:Passport\r\nBEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:x\r\n"
              "TRIGGER:-P60D\r\nEND:VALARM\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n"),
          QByteArray(
              "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//t//EN\r\nBEGIN:VEVENT\r\nUID:fair@t\r\n"
              "DTSTAMP:20260101T000000Z\r\nDTSTART;VALUE=DATE:20250810\r\nDTEND;VALUE=DATE:"
              "20250811\r\n"
              "RRULE:FREQ=YEARLY\r\nSUMMARY:Fair\r\nBEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:"
              "x\r\n"
              "TRIGGER:-P100D\r\nEND:VALARM\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n")}) {
      ASSERT_EQ(events::PutEvent(op, text), events::PutResult::kStored);
    }
    ASSERT_TRUE(op.Commit().stored());
  }
  struct Far {
    const char* what;
    QDateTime started, due, next_after;  // nothing ahead after the last
    const char* summary;
  };
  const Far far_ahead[] = {
      {"sixty days before June 20th, 09:00", in_berlin(4, 21, 8, 0), in_berlin(4, 21, 9, 0),
       in_berlin(5, 2, 0, 0), "Passport"},
      {"a hundred days before August 10th", in_berlin(5, 1, 23, 0), in_berlin(5, 2, 0, 0),
       QDateTime(), "Fair"},
  };
  for (const Far& step : far_ahead) {
    const std::size_t before = Calls().size();
    keeper.reset();
    now_ = step.started;
    keeper = MakeKeeper();
    keeper->SetZone(berlin);
    keeper->Start();
    EXPECT_EQ(Calls().size(), before) << step.what;
    EXPECT_EQ(keeper->NextWake(), step.due) << step.what;
    now_ = step.due;
    keeper->Check();
    ASSERT_EQ(Calls().size(), before + 1) << step.what;
    EXPECT_EQ(Calls().back().summary, QString::fromLatin1(step.summary)) << step.what;
    EXPECT_EQ(keeper->NextWake(), step.next_after) << step.what;
  }
}

// ------------------------------------------------------------ the program

class ProgramRemindersTest : public AppFixture {};

TEST_F(ProgramRemindersTest, WithoutAServiceTheDesignedPopUpAndOpenShowsTheDay) {
  app_->SetNotificationBus(QDBusConnection(QStringLiteral("no-such-bus")));
  SeedAppointments(files(), {{"20260107-1", "Dentist", "10:00", "10:30", true, "15"}});
  now_ = At(9, 45, 20);
  app_->KeepReminders();
  ASSERT_TRUE(app_->HasReminder() && app_->Reminder().isVisible());
  EXPECT_EQ(app_->Reminder().windowTitle(), QStringLiteral("Reminder"));
  EXPECT_EQ(app_->Reminder().findChild<QLabel*>(QLatin1String(reminder_names::kSubject))->text(),
            QStringLiteral("Dentist"));
  // Open (from a notification or a later start with a day): that day's
  // Activities.
  app_->OpenDay(QDate(2026, 1, 9));
  EXPECT_TRUE(app_->Activities().isVisible());
  EXPECT_EQ(app_->Activities().Date(), QDate(2026, 1, 9));
}

TEST(InstanceOpenDayTest, ARunningInstanceIsAskedForTheDay) {
  QTemporaryDir dir;
  QDate asked;
  InstanceServer server(dir.path(), [&](const QDate& day) { asked = day; });
  ASSERT_TRUE(server.listening());
  bool answered = false;
  std::thread client([&] { answered = RaiseRunningInstance(dir.path(), 5000, QDate(2026, 1, 9)); });
  WaitFor([&] { return asked.isValid(); });
  client.join();
  EXPECT_TRUE(answered);
  EXPECT_EQ(asked, QDate(2026, 1, 9));
}

// The agent's processes beside the program, on a faked clock and a private
// bus (the session's and the system's).
class ReminderAgentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (QStandardPaths::findExecutable(QStringLiteral("faketime")).isEmpty()) {
      GTEST_SKIP() << "faketime is not installed";
    }
    ASSERT_FALSE(bus_.address().isEmpty());
    store::DataFiles files;
    files.SetDataDir(dir_.path());
    ASSERT_EQ(files.OpenDataFiles(), store::OpenResult::kOpened);
    SeedAppointments(files, {{"20260107-1", "Dentist", "10:00", "10:30", true, "15"}});
    files.CloseDataFiles();
    appoint_ = FileBytes(dir_.filePath(QStringLiteral("Appoint.dat")));
  }
  void TearDown() override {
    SetClock({});
    if (agent_.state() == QProcess::NotRunning) return;
    StopAgent(dir_.path());
    agent_.waitForFinished(10000);
  }

  // `quorvel --reminders` on the folder from `time` on; with `display`, on
  // a desktop where windows may be shown. Returns once the agent answers,
  // its first look at the reminders made.
  void StartAgentAt(const char* time, bool display) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus_.address());
    env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), bus_.address());
    // faketime comes in through LD_PRELOAD, ahead of the sanitizer's runtime
    // in a sanitized build, which would otherwise refuse to start.
    QString asan = env.value(QStringLiteral("ASAN_OPTIONS"));
    if (!asan.isEmpty()) asan += QLatin1Char(':');
    env.insert(QStringLiteral("ASAN_OPTIONS"), asan + QStringLiteral("verify_asan_link_order=0"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    if (display) {
      env.insert(QStringLiteral("DISPLAY"), QStringLiteral(":99"));
    } else {
      env.remove(QStringLiteral("DISPLAY"));
    }
    agent_.setProcessEnvironment(env);
    agent_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    agent_.start(QStringLiteral("faketime"),
                 {QString::fromLatin1(time), QStringLiteral(QUORVEL_BINARY),
                  QStringLiteral("--reminders"), QStringLiteral("--data-folder"), dir_.path()});
    ASSERT_TRUE(agent_.waitForStarted(5000));
    ASSERT_TRUE(WaitFor([&] { return AgentRunning(dir_.path()); }, 20000));
  }
  // The program the answering agent runs (beneath faketime): its own small
  // one, or the organiser with windows.
  QString AgentImage() {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(reminding::AgentSocketPath(dir_.path()));
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    const int handle = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ucred peer{};
    socklen_t length = sizeof peer;
    const bool known =
        ::connect(handle, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockopt(handle, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0;
    ::close(handle);
    if (!known) return QString();
    return QFileInfo(QStringLiteral("/proc/%1/exe").arg(peer.pid)).canonicalFilePath();
  }
  reminding::Memory Kept() {
    store::DataFiles files;
    files.SetDataDir(dir_.path());
    files.OpenAlone(Channel::kRemind);
    return reminding::LoadMemory(files);
  }
  // The program on the folder, as the user starts it while the agent runs.
  static void OpenProgram(Application& app, const QString& folder) {
    app.SetProcessEnd([] {});
    app.SetNotificationBus(QDBusConnection(QStringLiteral("no-such-bus")));
    ASSERT_TRUE(app.OpenDataIn(folder));
  }

  QTemporaryDir dir_;
  PrivateBus bus_;
  QProcess agent_;
  QByteArray appoint_;  // as stored: the agent never writes it
};

// The agent keeps the reminders while it runs, the program shows nothing of
// its own; once the agent ends the program takes over without repeating
// anything. Open on the agent's notification opens the day in the program.
TEST_F(ReminderAgentTest, AgentAndProgramTogetherGiveExactlyOneReminder) {
  NotificationServer server(bus_);
  // Two seconds before the moment.
  StartAgentAt("2026-01-07 09:44:58", false);
  EXPECT_EQ(AgentImage(), QFileInfo(QStringLiteral(QUORVEL_AGENT_BINARY)).canonicalFilePath());

  // The program on the same folder, its own clock past the moment too.
  SetClock([] { return At(9, 45, 30); });
  {
    Application app;
    OpenProgram(app, dir_.path());
    app.KeepReminders();
    EXPECT_FALSE(app.KeepsReminders());
    ASSERT_TRUE(WaitFor([&] { return server.service().Calls().size() == 1; }, 10000));
    EXPECT_EQ(server.service().Calls()[0].summary, QStringLiteral("Dentist"));
    app.KeepReminders();
    EXPECT_FALSE(app.HasReminder() && app.Reminder().isVisible());

    // Open: the agent starts the program on the folder, which finds this
    // one holding it and asks it for the day.
    QDate asked;
    InstanceServer instance(dir_.path(), [&](const QDate& day) { asked = day; });
    server.Invoke(server.service().Calls()[0].id, QStringLiteral("open"));
    EXPECT_TRUE(WaitFor([&] { return asked.isValid(); }, 20000));
    EXPECT_EQ(asked, QDate(2026, 1, 7));

    // The agent ends; the program keeps the reminders and repeats nothing.
    StopAgent(dir_.path());
    ASSERT_TRUE(agent_.waitForFinished(10000));
    EXPECT_EQ(agent_.exitCode(), 0);
    app.KeepReminders();
    EXPECT_TRUE(app.KeepsReminders());
    EXPECT_FALSE(app.HasReminder() && app.Reminder().isVisible());
    EXPECT_EQ(FileBytes(dir_.filePath(QStringLiteral("Appoint.dat"))), appoint_);
    app.ExitProgram();
  }
  EXPECT_EQ(server.service().Calls().size(), 1u);
}

// No notification service: the agent becomes the program with windows and
// shows the designed pop-up; neither the program beside it nor a later
// start shows it again.
TEST_F(ReminderAgentTest, WithoutAServiceTheAgentStartsAgainWithWindowsForOnePopUp) {
  StartAgentAt("2026-01-07 09:45:10", true);
  // The same process, now the organiser, has shown it.
  EXPECT_EQ(AgentImage(), QFileInfo(QStringLiteral(QUORVEL_BINARY)).canonicalFilePath());
  const reminding::Memory shown = Kept();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown.begin()->second.fate, Remembered::Fate::kShown);

  SetClock([] { return At(9, 46); });
  {
    Application app;
    OpenProgram(app, dir_.path());
    app.KeepReminders();
    EXPECT_FALSE(app.KeepsReminders());
    StopAgent(dir_.path());
    ASSERT_TRUE(agent_.waitForFinished(10000));
    EXPECT_EQ(agent_.exitCode(), 0);
    app.KeepReminders();
    EXPECT_TRUE(app.KeepsReminders());
    EXPECT_FALSE(app.HasReminder() && app.Reminder().isVisible());
    app.ExitProgram();
  }

  // Started again with nothing to show: it stays the small program.
  StartAgentAt("2026-01-07 09:50:00", true);
  EXPECT_EQ(AgentImage(), QFileInfo(QStringLiteral(QUORVEL_AGENT_BINARY)).canonicalFilePath());
  EXPECT_EQ(Kept(), shown);
  EXPECT_EQ(FileBytes(dir_.filePath(QStringLiteral("Appoint.dat"))), appoint_);
}

}  // namespace
}  // namespace quorvel::testing

namespace quorvel::testing {
namespace {

// The menu with its reminder switch and the pop-up of a missed reminder,
// on a real X server, for a person to look at:
//   QUORVEL_SCREENS=/tmp/shots xvfb-run -a build/tests/quorvel_tests
//     --gtest_also_run_disabled_tests --gtest_filter='ReminderScreens.*'
class ReminderScreens : public AppFixture {};

TEST_F(ReminderScreens, DISABLED_MenuAndMissedPopUp) {
  const QString out = qEnvironmentVariable("QUORVEL_SCREENS");
  ASSERT_FALSE(out.isEmpty());
  QDir().mkpath(out);
  app_->SetNotificationBus(QDBusConnection(QStringLiteral("no-such-bus")));
  SeedAppointments(files(),
                   {{"20260107-1", "Dentist with Dr. Miller", "10:00", "10:30", true, "15"}});
  auto shoot = [&](const char* name) {
    WaitFor([] { return false; }, 800);
    QProcess::execute(QStringLiteral("import"),
                      {QStringLiteral("-window"), QStringLiteral("root"),
                       out + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png")});
  };
  CentreOnScreen(app_->Main());
  app_->Main().show();
  auto* menu = app_->Main().findChild<QMenu*>(QLatin1String(main_window_names::kFileMenu));
  ASSERT_NE(menu, nullptr);
  menu->popup(app_->Main().mapToGlobal(QPoint(20, 40)));
  shoot("reminder_menu");
  menu->hide();
  now_ = At(9, 52);
  app_->KeepReminders();
  shoot("reminder_missed");
}

}  // namespace
}  // namespace quorvel::testing

#include "reminding_test.moc"
