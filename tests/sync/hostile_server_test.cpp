// `quorvel --sync` against a real Radicale behind a fault-injecting relay:
// redirections to another port with the relay recording whether the
// password arrived there, addresses with a login in them, hrefs pointing
// outside their collection, 5xx with and without Retry-After, resets,
// endless and dripping bodies. Each case checks the exit status, the
// message, that nothing was lost or doubled here or on the server, and that
// a later clean sync converges.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cstdio>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "app/sync_command_line.h"
#include "items/appointment_file.h"
#include "items/sync_state.h"
#include "store/data_files.h"
#include "sync/background_sync.h"
#include "sync/dav_client.h"
#include "sync/setup.h"
#include "tests/sync/radicale.h"
#include "tests/sync/relay.h"

namespace quorvel::sync {
namespace {

using testing::Radicale;
using testing::Relay;
using Fault = Relay::Fault;
using Kind = Relay::Fault::Kind;

struct Outcome {
  int exit_code = -1;
  QString out;
  QString err;
  QString Text() const { return QStringLiteral("[%1] ").arg(exit_code) + out + err; }
};

bool AnyFileHolds(const QString& folder, const QByteArray& text) {
  QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    QFile file(it.next());
    if (file.open(QIODevice::ReadOnly) && file.readAll().contains(text)) return true;
  }
  return false;
}

Fault Make(Kind kind, const QByteArray& method, int times = 1) {
  Fault f;
  f.kind = kind;
  f.method = method;
  f.times = times;
  return f;
}

class HostileServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.failure().isEmpty()) << server_.failure().toStdString();
    ASSERT_TRUE(relay_.url().isValid());
    ASSERT_TRUE(elsewhere_.url().isValid());
    phone_ = std::make_unique<DavClient>(server_.url(), server_.user(), server_.password());
    calendar_ = server_.url().resolved(QUrl(QStringLiteral("/alice/calendar/")));
    DavError error;
    ASSERT_TRUE(phone_->Discover(&error)) << error.Message().toStdString();
    ASSERT_TRUE(phone_->MakeCollection(calendar_, CollectionKind::kCalendar, "Calendar", &error));
    ASSERT_TRUE(phone_->MakeCollection(server_.url().resolved(QUrl("/alice/contacts/")),
                                       CollectionKind::kAddressBook, "Contacts", &error));
    Add(here_.path(), QStringLiteral("Dentist"));
    Add(here_.path(), QStringLiteral("Lunch"));
  }

  // Adds an appointment on 5 March 2027 in the folder (no Quorvel runs there).
  static void Add(const QString& folder, const QString& subject) {
    store::DataFiles files;
    files.SetDataDir(folder);
    ASSERT_EQ(files.OpenDataFiles(), store::OpenResult::kOpened);
    const int count = files.ReadCount(store::Channel::kAppoint);
    ASSERT_TRUE(
        AddAppointment(files, Appointment{QStringLiteral("20270305-%1").arg(count + 1), subject,
                                          QStringLiteral("09:00"), QStringLiteral("09:30"), false,
                                          QString(), QString()})
            .stored());
  }
  static QStringList Local(const QString& folder) {
    store::DataFiles files;
    files.SetDataDir(folder);
    EXPECT_EQ(files.OpenDataFiles(), store::OpenResult::kOpened);
    QStringList subjects;
    for (int k = 0; k < files.ReadCount(store::Channel::kAppoint); ++k) {
      subjects << ReadAppointment(files, k).subject;
    }
    subjects.sort();
    return subjects;
  }
  QStringList OnServer() {
    DavError error;
    auto members = phone_->ListMembers(calendar_, &error);
    EXPECT_TRUE(members) << error.Message().toStdString();
    QStringList hrefs;
    for (const Member& m : members.value_or(std::vector<Member>{})) hrefs << m.href;
    auto got = phone_->Multiget(calendar_, CollectionKind::kCalendar, hrefs, &error);
    QStringList subjects;
    static const QRegularExpression kSummary(QStringLiteral("SUMMARY:([^\r\n]*)"));
    for (const Resource& r : got.value_or(std::vector<Resource>{})) {
      subjects << kSummary.match(QString::fromUtf8(r.data)).captured(1);
    }
    subjects.sort();
    return subjects;
  }

  Outcome Run(const QStringList& arguments, const QString& password = QString()) {
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    environment.insert(QStringLiteral("QUORVEL_SYNC_PASSWORD"),
                       password.isNull() ? server_.password() : password);
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(QUORVEL_BINARY), arguments);
    Outcome outcome;
    if (!program.waitForFinished(240000)) {
      program.kill();
      program.waitForFinished();
      return outcome;
    }
    outcome.exit_code = program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -2;
    outcome.out = QString::fromUtf8(program.readAllStandardOutput());
    outcome.err = QString::fromUtf8(program.readAllStandardError());
    return outcome;
  }
  // The first sync of `folder`, set up through `through`.
  Outcome SetUpThrough(const QString& folder, const QUrl& through) {
    return Run({QStringLiteral("--data-folder"), folder, QStringLiteral("--sync"),
                QStringLiteral("--server"), through.toString(), QStringLiteral("--user"),
                server_.user()});
  }
  Outcome Sync(const QString& folder) {
    return Run({QStringLiteral("--data-folder"), folder, QStringLiteral("--sync")});
  }
  // Syncs cleanly: exit 0, and this folder and the server hold the same.
  void ExpectConverges(const QString& folder) {
    relay_.SetFaults({});
    const Outcome clean = Sync(folder);
    EXPECT_EQ(clean.exit_code, kSyncDone) << clean.Text().toStdString();
    const Outcome again = Sync(folder);
    EXPECT_EQ(again.exit_code, kSyncDone) << again.Text().toStdString();
    EXPECT_EQ(again.out, QStringLiteral("Sync done: 0 received, 0 sent.\n"));
    EXPECT_EQ(Local(folder), OnServer());
  }
  bool ElsewhereGotCredentials() const {
    for (const Relay::Seen& s : elsewhere_.seen()) {
      if (s.authorized) return true;
    }
    return false;
  }
  QString ElsewherePort() const { return QString::number(elsewhere_.url().port()); }

  Radicale server_;
  Relay relay_{server_.url(), Relay::Options{}};
  // Another port on this machine: a server the password must never reach.
  Relay elsewhere_{server_.url(), Relay::Options{}};
  std::unique_ptr<DavClient> phone_;
  QUrl calendar_;
  QTemporaryDir here_;
};

TEST_F(HostileServerTest, RedirectionsNeverTakeThePasswordElsewhere) {
  const QString elsewhere = elsewhere_.url().resolved(QUrl("/alice/")).toString();
  // Set-up: every PROPFIND is sent on to another port.
  Fault away = Make(Kind::kRedirect, "PROPFIND", -1);
  away.status = 307;
  away.location = QUrl(elsewhere);
  relay_.SetFaults({away});
  Outcome redirected = SetUpThrough(here_.path(), relay_.url());
  EXPECT_EQ(redirected.exit_code, kSyncFailed) << redirected.Text().toStdString();
  EXPECT_TRUE(redirected.err.contains(QStringLiteral("another address (") + elsewhere))
      << redirected.err.toStdString();
  EXPECT_TRUE(elsewhere_.seen().empty());
  EXPECT_FALSE(AnyFileHolds(here_.path(), ElsewherePort().toUtf8()));

  // A principal named on another server is not used either.
  Fault foreign = Make(Kind::kRewrite, "PROPFIND", -1);
  const QByteArray moved = elsewhere_.url().resolved(QUrl("/alice/")).toEncoded();
  foreign.rewrite = [moved](const QByteArray& body) {
    QByteArray changed = body;
    return changed.replace(">/alice/<", ">" + moved + "<");
  };
  relay_.SetFaults({foreign});
  Outcome named = SetUpThrough(here_.path(), relay_.url());
  EXPECT_EQ(named.exit_code, kSyncFailed) << named.Text().toStdString();
  EXPECT_TRUE(named.err.contains(QStringLiteral("is not on the server you named")))
      << named.err.toStdString();
  EXPECT_TRUE(elsewhere_.seen().empty());
  EXPECT_FALSE(AnyFileHolds(here_.path(), ElsewherePort().toUtf8()));
  EXPECT_TRUE(OnServer().isEmpty());

  // Set up cleanly; then a write is redirected: not followed, and named.
  relay_.SetFaults({});
  Outcome first = SetUpThrough(here_.path(), relay_.url());
  ASSERT_EQ(first.exit_code, kSyncDone) << first.Text().toStdString();
  Add(here_.path(), QStringLiteral("Train"));
  Fault put_away = Make(Kind::kRedirect, "PUT", -1);
  put_away.status = 301;
  put_away.location = elsewhere_.url().resolved(QUrl("/alice/calendar/x.ics"));
  relay_.SetFaults({put_away});
  Outcome write = Sync(here_.path());
  EXPECT_EQ(write.exit_code, kSyncFailed) << write.Text().toStdString();
  EXPECT_TRUE(write.err.contains(put_away.location.toString())) << write.err.toStdString();
  EXPECT_TRUE(elsewhere_.seen().empty());
  EXPECT_FALSE(ElsewhereGotCredentials());
  EXPECT_EQ(OnServer(), (QStringList{"Dentist", "Lunch"}));
  EXPECT_EQ(Local(here_.path()), (QStringList{"Dentist", "Lunch", "Train"}));
  ExpectConverges(here_.path());
}

TEST_F(HostileServerTest, AddressesWithALoginOrOnAnotherServerAreRefused) {
  // A password typed into the address: refused before anything is sent,
  // and written nowhere.
  QUrl with_login = relay_.url();
  with_login.setUserName(server_.user());
  with_login.setPassword(QStringLiteral("typed-secret"));
  Outcome login = Run({QStringLiteral("--data-folder"), here_.path(), QStringLiteral("--sync"),
                       QStringLiteral("--server"), with_login.toString(), QStringLiteral("--user"),
                       server_.user()});
  EXPECT_EQ(login.exit_code, kSyncUsage) << login.Text().toStdString();
  EXPECT_TRUE(login.err.contains(QStringLiteral("must not hold a user name or password")))
      << login.err.toStdString();
  EXPECT_TRUE(relay_.seen().empty());
  EXPECT_FALSE(AnyFileHolds(here_.path(), "typed-secret"));

  // The settings functions refuse the same, and collections elsewhere.
  SyncSettings settings;
  settings.server = relay_.url();
  settings.user = server_.user();
  EXPECT_FALSE(CheckAddresses(settings));
  settings.calendar = elsewhere_.url().resolved(QUrl("/alice/calendar/"));
  EXPECT_EQ(CheckAddresses(settings).kind, DavErrorKind::kForeignAddress);
  settings.calendar = with_login.resolved(QUrl("/alice/calendar/"));
  EXPECT_EQ(CheckAddresses(settings).kind, DavErrorKind::kLoginInAddress);
  settings.calendar = QUrl();
  settings.server = with_login;
  EXPECT_EQ(CheckAddresses(settings).kind, DavErrorKind::kLoginInAddress);
  {
    store::DataFiles files;
    files.SetDataDir(here_.path());
    ASSERT_EQ(files.OpenDataFiles(), store::OpenResult::kOpened);
    EXPECT_FALSE(SaveSettings(files, settings).isNull());
    EXPECT_FALSE(HasSyncFile(files));
    // A sync file another program left with the calendar on another
    // server: not a single request goes there.
    SyncState state;
    state.settings.server = relay_.url();
    state.settings.user = server_.user();
    state.settings.calendar = elsewhere_.url().resolved(QUrl("/alice/calendar/"));
    store::Operation op(files);
    SaveState(files, op, state);
    ASSERT_TRUE(op.Commit().stored());
  }
  Outcome foreign = Sync(here_.path());
  EXPECT_EQ(foreign.exit_code, kSyncFailed) << foreign.Text().toStdString();
  EXPECT_TRUE(foreign.err.contains(QStringLiteral("is not on the server you named")))
      << foreign.err.toStdString();
  EXPECT_TRUE(elsewhere_.seen().empty());
  EXPECT_EQ(Local(here_.path()).size(), 2);

  // A sync file of an older version with the login inside the server's
  // address: the password leaves the file at once, the sync goes on.
  {
    store::DataFiles files;
    files.SetDataDir(here_.path());
    ASSERT_EQ(files.OpenDataFiles(), store::OpenResult::kOpened);
    SyncState state;
    state.settings.server = with_login;
    state.settings.calendar = relay_.url().resolved(QUrl("/alice/calendar/"));
    state.settings.address_book = relay_.url().resolved(QUrl("/alice/contacts/"));
    store::Operation op(files);
    SaveState(files, op, state);
    ASSERT_TRUE(op.Commit().stored());
  }
  ASSERT_TRUE(AnyFileHolds(here_.path(), "typed-secret"));
  const Outcome old = Sync(here_.path());
  EXPECT_EQ(old.exit_code, kSyncDone) << old.Text().toStdString();
  EXPECT_TRUE(old.err.contains(QStringLiteral("was removed from Sync.dat")))
      << old.err.toStdString();
  EXPECT_FALSE(AnyFileHolds(here_.path(), "typed-secret"));
  EXPECT_EQ(OnServer(), (QStringList{"Dentist", "Lunch"}));
}

TEST_F(HostileServerTest, HrefsOutsideTheCollectionAreIgnoredAndNamed) {
  ASSERT_EQ(SetUpThrough(here_.path(), relay_.url()).exit_code, kSyncDone);
  DavError error;
  ASSERT_TRUE(phone_->Put(DavClient::PathOf(calendar_) + "phone.ics", CollectionKind::kCalendar,
                          "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//phone//EN\r\n"
                          "BEGIN:VEVENT\r\nUID:phone\r\nDTSTAMP:20260101T000000Z\r\n"
                          "DTSTART:20270306T100000\r\nDTEND:20270306T110000\r\n"
                          "SUMMARY:Phone\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n",
                          QString(), &error))
      << error.Message().toStdString();
  const QByteArray other = elsewhere_.url().resolved(QUrl("/alice/calendar/far.ics")).toEncoded();
  Fault outside = Make(Kind::kRewrite, "REPORT");
  outside.path_part = "/alice/calendar/";
  outside.rewrite = [other](const QByteArray& body) {
    QByteArray extra;
    for (const QByteArray& href :
         {QByteArray("..%2F..%2Fbob%2Fcalendar%2Fevil.ics"),
          QByteArray("/alice/calendar/../../bob/calendar/dots.ics"),
          QByteArray("/alice/calendar/sub%2F..%2F..%2F..%2Fbob%2Fdeep.ics"), other}) {
      extra += "<response xmlns=\"DAV:\"><href>" + href +
               "</href><propstat><prop><getetag>\"1\"</getetag></prop>"
               "<status>HTTP/1.1 200 OK</status></propstat></response>";
    }
    QByteArray changed = body;
    return changed.insert(changed.lastIndexOf("</"), extra);
  };
  relay_.SetFaults({outside});
  const std::size_t before = relay_.seen().size();
  Outcome listed = Sync(here_.path());
  EXPECT_EQ(relay_.hits(), 1);
  EXPECT_EQ(listed.exit_code, kSyncLeftOut) << listed.Text().toStdString();
  EXPECT_TRUE(listed.out.startsWith(QStringLiteral("Sync done: 1 received, 0 sent, 4 ignored")))
      << listed.out.toStdString();
  EXPECT_TRUE(listed.out.contains(QStringLiteral("evil.ics"))) << listed.out.toStdString();
  const auto seen = relay_.seen();
  for (std::size_t i = before; i < seen.size(); ++i) {
    EXPECT_FALSE(seen[i].body.contains("bob") || seen[i].path.contains("bob") ||
                 seen[i].body.contains("far.ics"))
        << seen[i].method.toStdString() << " " << seen[i].body.toStdString();
  }
  EXPECT_TRUE(elsewhere_.seen().empty());
  EXPECT_EQ(Local(here_.path()), (QStringList{"Dentist", "Lunch", "Phone"}));
  ExpectConverges(here_.path());
}

TEST_F(HostileServerTest, ServerFailuresSayWhatWasNotDone) {
  ASSERT_EQ(SetUpThrough(here_.path(), relay_.url()).exit_code, kSyncDone);
  Fault busy_short = Make(Kind::kStatus, "PUT", 2);
  busy_short.status = 503;
  busy_short.retry_after = "1";
  Fault busy = Make(Kind::kStatus, "PUT");
  busy.status = 503;
  Fault broken = Make(Kind::kStatus, "PUT");
  broken.status = 500;
  // On every request to the calendar, so that no other way of listing it
  // is left.
  Fault busy_long = Make(Kind::kStatus, "", -1);
  busy_long.path_part = "/alice/calendar/";
  busy_long.status = 503;
  busy_long.retry_after = "3600";
  const struct {
    const char* what;
    Fault fault;
    int exit_code;
    QString says;
  } rounds[] = {
      // Waited for within the run, then stored once.
      {"503 with a short Retry-After", busy_short, kSyncDone, "Sync done: 0 received, 1 sent."},
      {"503 without Retry-After", busy, kSyncRetry, "1 to retry"},
      {"500", broken, kSyncRetry, "1 to retry"},
      {"503 with a long Retry-After on the listing", busy_long, kSyncFailed,
       "server reported an error (503"},
      // Qt sends a request again by itself when the connection closes before
      // any answer; here every attempt is cut.
      {"resets before a write", Make(Kind::kReset, "PUT", -1), kSyncFailed, "did not answer"},
      {"resets before the listing", Make(Kind::kReset, "REPORT", -1), kSyncFailed,
       "did not answer"},
  };
  int n = 0;
  for (const auto& round : rounds) {
    SCOPED_TRACE(round.what);
    Add(here_.path(), QStringLiteral("Item %1").arg(++n));
    relay_.SetFaults({round.fault});
    const Outcome outcome = Sync(here_.path());
    EXPECT_GE(relay_.hits(), 1);
    EXPECT_EQ(outcome.exit_code, round.exit_code) << outcome.Text().toStdString();
    EXPECT_TRUE(outcome.Text().contains(round.says)) << outcome.Text().toStdString();
    EXPECT_TRUE((round.exit_code == kSyncFailed ? outcome.out : outcome.err).isEmpty());
    // Nothing doubled on the server, nothing lost here.
    QStringList server = OnServer();
    EXPECT_EQ(server.removeDuplicates(), 0);
    EXPECT_EQ(Local(here_.path()).size(), 2 + n);
    ExpectConverges(here_.path());
  }
}

// Under AddressSanitizer a program holds freed memory in quarantine (up
// to 256 MiB) and shadow memory beside what it uses: its size says little.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

// The largest resident size, in MiB, any program this process waited for
// has reached.
long LargestChildMiB() {
  rusage usage{};
  return getrusage(RUSAGE_CHILDREN, &usage) == 0 ? usage.ru_maxrss / 1024 : -1;
}

TEST_F(HostileServerTest, HugeRepliesStopTheSync) {
  ASSERT_EQ(SetUpThrough(here_.path(), relay_.url()).exit_code, kSyncDone);
  const long ordinary = LargestChildMiB();  // a sync without a huge reply
  Add(here_.path(), QStringLiteral("Train"));
  // Without end and without a length (read until the limit), and with a
  // length of 2 GiB announced (refused at once).
  Fault endless = Make(Kind::kHuge, "REPORT");
  endless.announce_length = false;
  Fault announced = Make(Kind::kHuge, "REPORT");
  announced.huge_bytes = qint64(2) << 30;
  for (const Fault& fault : {endless, announced}) {
    SCOPED_TRACE(fault.announce_length ? "announced" : "endless");
    relay_.SetFaults({fault});
    const Outcome outcome = Sync(here_.path());
    EXPECT_EQ(outcome.exit_code, kSyncFailed) << outcome.Text().toStdString();
    // A body of blanks is refused once it is longer than the longest
    // text a listing may hold.
    EXPECT_TRUE(outcome.err.contains(
        fault.announce_length ? QStringLiteral("larger than Quorvel accepts (more than 32 MiB)")
                              : QStringLiteral("larger than Quorvel accepts (more than 1 MiB)")))
        << outcome.err.toStdString();
    EXPECT_EQ(OnServer(), (QStringList{"Dentist", "Lunch"}));
    EXPECT_EQ(Local(here_.path()).size(), 3);
  }
  // What the syncs above took beyond an ordinary one (the server still
  // runs, so only the syncs count): bounded by the reply limits, far from
  // the gigabytes an unbounded read takes (and from the 280 MiB more that a
  // parser holding a whole run of blanks took).
  const long largest = LargestChildMiB();
  std::printf("largest resident size of a sync: %ld MiB (an ordinary one: %ld MiB)\n", largest,
              ordinary);
  ASSERT_GT(ordinary, 0);
  EXPECT_LT(largest - ordinary, kSanitized ? 400 : 120);
  ExpectConverges(here_.path());
}

// In the process, with deadlines short enough for a test.
TEST_F(HostileServerTest, DeadlinesEndADrippingServer) {
  ASSERT_EQ(SetUpThrough(here_.path(), relay_.url()).exit_code, kSyncDone);
  Add(here_.path(), QStringLiteral("Train"));
  store::DataFiles files;
  files.SetDataDir(here_.path());
  ASSERT_EQ(files.OpenDataFiles(), store::OpenResult::kOpened);
  Fault drip = Make(Kind::kDrip, "", -1);
  drip.path_part = "/alice/calendar/";
  drip.drip_ms = 200;
  relay_.SetFaults({drip});
  TransportLimits request;
  request.request_ms = 1500;
  SyncReport report = SyncNow(files, server_.password(), {}, request);
  EXPECT_EQ(ExitStatusOf(report), kSyncFailed);
  EXPECT_TRUE(report.error.contains(QStringLiteral("longer than 1 seconds to answer one request")))
      << report.error.toStdString();
  // The silence limit alone would never end it: bytes keep coming.
  TransportLimits run;
  run.run_ms = 2000;
  Fault slow_after_first = drip;
  slow_after_first.skip = 1;
  relay_.SetFaults({slow_after_first});
  report = SyncNow(files, server_.password(), {}, run);
  EXPECT_EQ(ExitStatusOf(report), kSyncFailed);
  EXPECT_TRUE(report.error.contains(QStringLiteral("The sync took longer than 2 seconds")))
      << report.error.toStdString();
  EXPECT_EQ(OnServer(), (QStringList{"Dentist", "Lunch"}));
  relay_.SetFaults({});
  report = SyncNow(files, server_.password());
  EXPECT_EQ(ExitStatusOf(report), kSyncDone) << report.Summary().toStdString();
  EXPECT_EQ(OnServer(), (QStringList{"Dentist", "Lunch", "Train"}));
}

}  // namespace
}  // namespace quorvel::sync
