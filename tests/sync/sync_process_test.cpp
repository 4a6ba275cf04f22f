// `quorvel --sync` as a real process against a real Radicale: the one-line
// summary and exit 0, and for each kind of failure a clear message on
// standard error, nothing on standard output and a non-zero exit.
#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>

#include "items/appointment_file.h"
#include "store/data_files.h"
#include "tests/sync/radicale.h"

namespace quorvel::sync {
namespace {

using testing::Radicale;

struct Outcome {
  int exit_code = -1;
  QString out;
  QString err;
};

Outcome RunQuorvel(const QStringList& arguments, const QString& password) {
  QProcess program;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.remove(QStringLiteral("DISPLAY"));
  environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
  environment.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
  environment.insert(QStringLiteral("QUORVEL_SYNC_PASSWORD"), password);
  program.setProcessEnvironment(environment);
  program.start(QStringLiteral(QUORVEL_BINARY), arguments);
  Outcome outcome;
  if (!program.waitForFinished(180000)) {
    program.kill();
    program.waitForFinished();
    return outcome;
  }
  outcome.exit_code = program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -2;
  outcome.out = QString::fromUtf8(program.readAllStandardOutput());
  outcome.err = QString::fromUtf8(program.readAllStandardError());
  return outcome;
}

// Whether `secret` appears in any file under `folder`.
bool AnyFileHolds(const QString& folder, const QByteArray& secret) {
  QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    QFile file(it.next());
    if (file.open(QIODevice::ReadOnly) && file.readAll().contains(secret)) return true;
  }
  return false;
}

TEST(SyncProcessTest, SyncsFromTheCommandLineAndFailsClearly) {
  Radicale server;
  ASSERT_TRUE(server.failure().isEmpty()) << server.failure().toStdString();
  QTemporaryDir here;
  QTemporaryDir there;
  {
    store::DataFiles files;
    files.SetDataDir(here.path());
    ASSERT_EQ(files.OpenDataFiles(), store::OpenResult::kOpened);
    store::Operation op(files);
    ASSERT_TRUE(
        AddAppointment(op, Appointment{QStringLiteral("20270305-1"), QStringLiteral("Dentist"),
                                       QStringLiteral("09:00"), QStringLiteral("09:30"), false,
                                       QString(), QString()})
            .stored());
    ASSERT_TRUE(op.Commit().stored());
  }
  const QString url = server.url().toString();
  auto sync_args = [&](const QString& folder, const QString& server_url) {
    return QStringList{QStringLiteral("--data-folder"),
                       folder,
                       QStringLiteral("--sync"),
                       QStringLiteral("--server"),
                       server_url,
                       QStringLiteral("--user"),
                       server.user()};
  };

  // A new server: the account's calendar and address book are made, the
  // appointment goes up, and the other folder gets it.
  Outcome first = RunQuorvel(sync_args(here.path(), url), server.password());
  EXPECT_EQ(first.exit_code, 0) << first.err.toStdString();
  EXPECT_EQ(first.out, QStringLiteral("Sync done: 0 received, 1 sent.\n"));
  EXPECT_TRUE(first.err.isEmpty()) << first.err.toStdString();
  Outcome second = RunQuorvel(sync_args(there.path(), url), server.password());
  EXPECT_EQ(second.exit_code, 0) << second.err.toStdString();
  EXPECT_EQ(second.out, QStringLiteral("Sync done: 1 received, 0 sent.\n"));
  // The saved settings serve the next run; the password is in no file.
  Outcome again = RunQuorvel(
      {QStringLiteral("--data-folder"), here.path(), QStringLiteral("--sync")}, server.password());
  EXPECT_EQ(again.exit_code, 0) << again.err.toStdString();
  EXPECT_EQ(again.out, QStringLiteral("Sync done: 0 received, 0 sent.\n"));
  EXPECT_FALSE(AnyFileHolds(here.path(), server.password().toUtf8()));
  EXPECT_FALSE(AnyFileHolds(there.path(), server.password().toUtf8()));

  // Failures: each says what went wrong, on standard error only.
  QTcpServer closed;  // a port where nothing answers
  ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
  const QString down = QStringLiteral("http://127.0.0.1:%1/").arg(closed.serverPort());
  closed.close();
  const struct {
    const char* what;
    QStringList arguments;
    QString password;
    QString says;
    int exit_code = 1;  // 2: refused as a usage error before anything is sent
  } failures[] = {
      {"wrong password", sync_args(here.path(), url), QStringLiteral("wrong"),
       QStringLiteral("refused the user name or password")},
      {"unknown server", sync_args(here.path(), QStringLiteral("https://no-such-host.invalid/")),
       server.password(), QStringLiteral("server could not be found")},
      {"server down", sync_args(here.path(), down), server.password(),
       QStringLiteral("server did not answer")},
      {"plain http elsewhere", sync_args(here.path(), QStringLiteral("http://example.org/")),
       server.password(), QStringLiteral("must start with https://"), 2},
  };
  for (const auto& f : failures) {
    SCOPED_TRACE(f.what);
    const Outcome outcome = RunQuorvel(f.arguments, f.password);
    EXPECT_EQ(outcome.exit_code, f.exit_code);
    EXPECT_TRUE(outcome.out.isEmpty()) << outcome.out.toStdString();
    const QString first_line = outcome.err.section(QLatin1Char('\n'), 0, 0);
    EXPECT_TRUE(first_line.contains(f.says)) << outcome.err.toStdString();
    if (f.exit_code == 1) {
      EXPECT_TRUE(first_line.startsWith(QStringLiteral("Sync failed: ")));
      EXPECT_EQ(outcome.err.count(QLatin1Char('\n')), 1) << outcome.err.toStdString();
    }
  }
}

}  // namespace
}  // namespace quorvel::sync
