#include "sync/setup.h"

#include "sync/dav_href.h"
#include "sync/password.h"
#include "sync/texts.h"

namespace quorvel::sync {

DavError CheckAddresses(const SyncSettings& settings) {
  const QUrl& server = settings.server;
  if (!server.userInfo().isEmpty()) {
    return DavError(DavErrorKind::kLoginInAddress, 0, {}, server.adjusted(QUrl::RemoveUserInfo));
  }
  if (!DavClient::IsAllowed(server)) return DavError(DavErrorKind::kInsecure);
  for (const QUrl& collection : {settings.calendar, settings.address_book}) {
    if (collection.isEmpty()) continue;
    if (!collection.userInfo().isEmpty()) {
      return DavError(DavErrorKind::kLoginInAddress, 0, {},
                      collection.adjusted(QUrl::RemoveUserInfo));
    }
    if (!SameOrigin(collection, server)) {
      return DavError(DavErrorKind::kForeignAddress, 0,
                      server.adjusted(QUrl::RemovePath).toDisplayString(), collection);
    }
  }
  return DavError();
}

std::optional<SyncSettings> CompleteSettings(DavClient& client, SyncSettings settings,
                                             DavError* error) {
  if (const DavError problem = CheckAddresses(settings)) {
    if (error) *error = problem;
    return std::nullopt;
  }
  if (settings.calendar.isEmpty() || settings.address_book.isEmpty()) {
    auto found = client.Discover(error);
    if (!found) return std::nullopt;
    for (const Collection& c : found->collections) {
      if (c.kind == CollectionKind::kCalendar && c.holds_events && settings.calendar.isEmpty()) {
        settings.calendar = c.url;
      }
      if (c.kind == CollectionKind::kAddressBook && settings.address_book.isEmpty()) {
        settings.address_book = c.url;
      }
    }
    if (settings.calendar.isEmpty() && found->calendar_home.isValid()) {
      settings.calendar = found->calendar_home.resolved(QUrl(QStringLiteral("quorvel-calendar/")));
    }
    if (settings.address_book.isEmpty() && found->addressbook_home.isValid()) {
      settings.address_book =
          found->addressbook_home.resolved(QUrl(QStringLiteral("quorvel-contacts/")));
    }
  }
  for (auto [url, kind] : {std::pair{settings.calendar, CollectionKind::kCalendar},
                           std::pair{settings.address_book, CollectionKind::kAddressBook}}) {
    if (url.isEmpty()) continue;
    DavError problem;
    if (client.Describe(url, &problem)) continue;
    if (problem.kind != DavErrorKind::kNotFound ||
        !client.MakeCollection(url, kind, QStringLiteral("Quorvel"), &problem)) {
      if (error) *error = problem;
      return std::nullopt;
    }
  }
  if (const DavError problem = CheckAddresses(settings)) {
    if (error) *error = problem;
    return std::nullopt;
  }
  return settings;
}

QString SaveSettings(store::DataFiles& files, const SyncSettings& settings) {
  if (const DavError problem = CheckAddresses(settings)) return problem.Message();
  SyncState state = LoadState(files).value_or(SyncState{});
  const SyncSettings& old = state.settings;
  const bool same_account = old.server == settings.server && old.user == settings.user;
  if (!same_account || old.calendar != settings.calendar) {
    state.appointments.clear();
    state.events.clear();
    state.calendar_token.clear();
  }
  if (!same_account || old.address_book != settings.address_book) {
    state.entries.clear();
    state.address_book_token.clear();
  }
  if (!same_account) state.skipped.clear();
  state.settings = settings;
  store::Operation op(files);
  SaveState(files, op, state);
  const store::Outcome outcome = op.Commit();
  return outcome.refused() ? outcome.reason() : QString();
}

QString MoveLoginOutOfAddresses(store::DataFiles& files) {
  std::optional<SyncState> state = LoadState(files);
  if (!state) return QString();
  SyncSettings& settings = state->settings;
  QString user;
  QString password;
  for (QUrl* address : {&settings.server, &settings.calendar, &settings.address_book}) {
    if (address->userInfo().isEmpty()) continue;
    if (user.isEmpty()) user = address->userName();
    if (password.isEmpty()) password = address->password();
    *address = address->adjusted(QUrl::RemoveUserInfo);
  }
  if (user.isEmpty() && password.isEmpty()) return QString();
  if (settings.user.isEmpty()) settings.user = user;
  store::Operation op(files);
  SaveState(files, op, *state);
  const store::Outcome outcome = op.Commit();
  if (outcome.refused()) {
    return SyncTexts::tr(
               "Sync.dat holds a password inside the server's address, "
               "and it could not be removed: %1")
        .arg(outcome.reason());
  }
  if (password.isEmpty() || settings.user.isEmpty()) return QString();
  if (ReadPassword(settings.server, settings.user).ok()) {
    return SyncTexts::tr(
        "The password that was saved inside the server's address "
        "was removed from Sync.dat; the password already saved is "
        "used.");
  }
  const QString not_stored = StorePassword(settings.server, settings.user, password);
  if (not_stored.isNull()) {
    return SyncTexts::tr(
        "The password that was saved inside the server's address "
        "was moved from Sync.dat into the desktop's secret store.");
  }
  return SyncTexts::tr(
             "The password that was saved inside the server's address "
             "was removed from Sync.dat, but the desktop's secret store could "
             "not take it (%1): enter it again in the sync settings.")
      .arg(not_stored);
}

}  // namespace quorvel::sync
