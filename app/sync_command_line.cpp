#include "app/sync_command_line.h"

#include <QCommandLineParser>
#include <QTextStream>

#include "app/texts.h"
#include "items/sync_state.h"
#include "store/data_files.h"
#include "sync/background_sync.h"
#include "sync/password.h"
#include "sync/setup.h"

namespace quorvel::sync {

int ExitStatusOf(const SyncReport& report) {
  if (!report.ok()) return kSyncFailed;
  if (!report.problems.isEmpty()) return kSyncRetry;
  if (!report.skipped.isEmpty() || !report.ignored.isEmpty()) return kSyncLeftOut;
  return kSyncDone;
}

namespace {

int Run(HeadlessContext& context, const QUrl& server, const QString& user, bool allow_deletions) {
  if (const QString moved = MoveLoginOutOfAddresses(context.files); !moved.isNull()) {
    context.err << moved << '\n';
  }
  auto state = LoadState(context.files);
  if (!state) {
    context.err << SyncCommandLineTexts::tr(
                       "Sync failed: the sync state in Sync.dat is damaged. Set up sync again "
                       "to start over.")
                << '\n';
    return kSyncFailed;
  }
  SyncSettings settings = state->settings;
  if (server.isValid()) {
    settings.server = server;
    settings.user = user;
  }
  if (!settings.server.isValid() || settings.user.isEmpty()) {
    context.err << SyncCommandLineTexts::tr(
                       "Sync failed: sync is not set up. Choose \"Sync…\" in the menu, or give "
                       "--server URL --user NAME.")
                << '\n';
    return kSyncFailed;
  }
  const PasswordLookup password = ReadPassword(settings.server, settings.user);
  if (!password.ok()) {
    context.err << SyncCommandLineTexts::tr("Sync failed: ") << password.error << '\n';
    return kSyncFailed;
  }
  if (settings != state->settings || !settings.calendar.isValid() ||
      !settings.address_book.isValid()) {
    DavClient client(settings.server, settings.user, password.password);
    DavError error;
    // A new server: its first calendar and address book (made if missing).
    if (settings.server != state->settings.server || settings.user != state->settings.user) {
      settings.calendar.clear();
      settings.address_book.clear();
    }
    auto complete = CompleteSettings(client, settings, &error);
    if (!complete) {
      context.err << SyncCommandLineTexts::tr("Sync failed: ") << error.Message() << '\n';
      return kSyncFailed;
    }
    const QString refusal = SaveSettings(context.files, *complete);
    if (!refusal.isNull()) {
      context.err << SyncCommandLineTexts::tr("Sync failed: ") << refusal << '\n';
      return kSyncFailed;
    }
  }
  const SyncReport report =
      SyncNow(context.files, password.password, {}, TransportLimits{}, allow_deletions);
  const int status = ExitStatusOf(report);
  (status == kSyncFailed ? context.err : context.out) << report.Summary();
  if (report.deletions_refused) {
    context.err << SyncCommandLineTexts::tr(" Give --allow-deletes to let it.");
  }
  (status == kSyncFailed ? context.err : context.out) << '\n';
  return status;
}

}  // namespace

CommandLineOptions SyncCommandLine() {
  CommandLineOptions o;
  o.options = {
      QCommandLineOption(
          QStringLiteral("sync"),
          SyncCommandLineTexts::tr("Sync with the CalDAV/CardDAV server set up in \"Sync…\" and "
                                   "exit (the password comes from the desktop's secret store or "
                                   "QUORVEL_SYNC_PASSWORD).")),
      QCommandLineOption(QStringLiteral("server"),
                         SyncCommandLineTexts::tr("With --sync: the server's address."),
                         QStringLiteral("URL")),
      QCommandLineOption(QStringLiteral("user"),
                         SyncCommandLineTexts::tr("With --sync: the user name on the server."),
                         QStringLiteral("NAME")),
      QCommandLineOption(
          QStringLiteral("allow-deletes"),
          SyncCommandLineTexts::tr("With --sync: go on when the sync would delete more than a few "
                                   "items, or most of a calendar or address book.")),
  };
  o.take = [](const QCommandLineParser& parser, QStringList&, QString& error) -> HeadlessCommand {
    const bool server_set = parser.isSet(QStringLiteral("server"));
    const bool user_set = parser.isSet(QStringLiteral("user"));
    const bool allow_deletions = parser.isSet(QStringLiteral("allow-deletes"));
    if (!parser.isSet(QStringLiteral("sync"))) {
      if (allow_deletions) error = SyncCommandLineTexts::tr("--allow-deletes goes with --sync.");
      if (server_set || user_set)
        error = SyncCommandLineTexts::tr("--server and --user go with --sync.");
      return {};
    }
    if (server_set != user_set) {
      error = SyncCommandLineTexts::tr("--server and --user are given together.");
      return {};
    }
    QUrl server;
    QString user;
    if (server_set) {
      server = QUrl(parser.value(QStringLiteral("server")));
      user = parser.value(QStringLiteral("user"));
      if (!server.userInfo().isEmpty()) {
        error = SyncCommandLineTexts::tr(
            "The server address must not hold a user name or password: give the "
            "user name with --user, and the password in the desktop's secret store or "
            "QUORVEL_SYNC_PASSWORD.");
        return {};
      }
      if (!DavClient::IsAllowed(server)) {
        error = SyncCommandLineTexts::tr(
            "The server address must start with https:// (http:// only for this "
            "computer).");
        return {};
      }
    }
    return [server, user, allow_deletions](HeadlessContext& context) {
      return Run(context, server, user, allow_deletions);
    };
  };
  return o;
}

}  // namespace quorvel::sync
