// Finding the account's calendars and address books: the principal (RFC
// 5397, RFC 6764), its home sets and what they hold. Every address found
// must be on the server the user named; a redirection is followed only on
// that server, and only here.
#include <algorithm>

#include "sync/dav_client.h"
#include "sync/dav_href.h"
#include "sync/dav_request_body.h"

namespace quorvel::sync {
namespace {

constexpr int kMostRedirects = 5;

void Fail(DavError* error, DavError value) {
  if (error) *error = std::move(value);
}

bool IsCollection(const DavResponse& response, const char* ns, const char* type) {
  const DavProperty* types = response.Find(kDavNs, "resourcetype");
  return types && types->children.contains(QualifiedName(ns, type));
}

// `href` from a reply to `base`, or the error saying it leads elsewhere.
std::optional<QUrl> Named(const QUrl& base, const QString& href, DavError* error) {
  if (auto url = OnSameServer(base, href)) return url;
  Fail(error,
       DavError{DavErrorKind::kForeignAddress, 0, base.adjusted(QUrl::RemovePath).toDisplayString(),
                base.resolved(QUrl::fromEncoded(href.toUtf8())).adjusted(QUrl::RemoveUserInfo)});
  return std::nullopt;
}

}  // namespace

std::optional<Multistatus> DavClient::PropfindOnSameServer(QUrl* url, const QByteArray& body,
                                                           DavError* error) {
  for (int hop = 0; hop <= kMostRedirects; ++hop) {
    DavError failure;
    auto found = Ask("PROPFIND", *url, "0", body, ReplyKind::kAnswer, &failure);
    if (found) return found;
    if (failure.kind == DavErrorKind::kRedirected && failure.where.isValid() &&
        failure.where.userInfo().isEmpty() && SameOrigin(failure.where, transport_.server())) {
      *url = failure.where;
      continue;
    }
    Fail(error, failure);
    return std::nullopt;
  }
  Fail(error, DavError{DavErrorKind::kBadReply, 0, QStringLiteral("too many redirections")});
  return std::nullopt;
}

std::optional<QUrl> DavClient::FindPrincipal(DavError* error) {
  const QByteArray body = PropfindBody(std::pair{kDavNs, "current-user-principal"});
  const QUrl& server = transport_.server();
  std::vector<QUrl> candidates;
  if (server.path() != QLatin1String("/")) candidates.push_back(server);
  candidates.push_back(server.resolved(QUrl(QStringLiteral("/.well-known/caldav"))));
  candidates.push_back(server.resolved(QUrl(QStringLiteral("/.well-known/carddav"))));
  candidates.push_back(server.resolved(QUrl(QStringLiteral("/"))));
  DavError last;
  for (QUrl url : candidates) {
    DavError attempt;
    auto found = PropfindOnSameServer(&url, body, &attempt);
    if (!found) {
      // Only a missing or refusing path is worth trying the next one for.
      if (attempt.kind != DavErrorKind::kNotFound && attempt.kind != DavErrorKind::kForbidden &&
          attempt.kind != DavErrorKind::kServer && attempt.kind != DavErrorKind::kBadReply) {
        Fail(error, attempt);
        return std::nullopt;
      }
      last = attempt;
      continue;
    }
    for (const DavResponse& response : found->responses) {
      const DavProperty* principal = response.Find(kDavNs, "current-user-principal");
      if (principal && !principal->hrefs.isEmpty()) {
        return Named(url, principal->hrefs.front(), error);
      }
    }
  }
  Fail(error,
       last ? last
            : DavError{DavErrorKind::kBadReply, 207, QStringLiteral("no current-user-principal")});
  return std::nullopt;
}

void DavClient::ListHome(const QUrl& home, Discovery& found, DavError* error) {
  const QByteArray body =
      PropfindBody(std::pair{kDavNs, "resourcetype"}, std::pair{kDavNs, "displayname"},
                   std::pair{kCalServerNs, "getctag"}, std::pair{kDavNs, "sync-token"},
                   std::pair{kCalDavNs, "supported-calendar-component-set"});
  auto listing = Ask("PROPFIND", home, "1", body, ReplyKind::kListing, error);
  if (!listing) return;
  for (const DavResponse& response : listing->responses) {
    Collection collection;
    if (IsCollection(response, kCalDavNs, "calendar")) {
      collection.kind = CollectionKind::kCalendar;
      const DavProperty* components = response.Find(kCalDavNs, "supported-calendar-component-set");
      if (components && !components->names.isEmpty()) {
        collection.holds_events =
            components->names.contains(QStringLiteral("VEVENT"), Qt::CaseInsensitive);
      }
    } else if (IsCollection(response, kCardDavNs, "addressbook")) {
      collection.kind = CollectionKind::kAddressBook;
    } else {
      continue;
    }
    // A collection of the home lies inside it.
    QString path;
    if (!Inside(home, response.href, &path)) continue;
    collection.url = home.resolved(QUrl::fromEncoded(path.toUtf8()));
    collection.display_name = response.Text(kDavNs, "displayname");
    collection.ctag = response.Text(kCalServerNs, "getctag");
    collection.sync_token = response.Text(kDavNs, "sync-token");
    const bool known = std::any_of(found.collections.begin(), found.collections.end(),
                                   [&](const Collection& c) { return c.url == collection.url; });
    if (!known) found.collections.push_back(collection);
  }
}

std::optional<Discovery> DavClient::Discover(DavError* error) {
  auto principal = FindPrincipal(error);
  if (!principal) return std::nullopt;
  Discovery found;
  found.principal = *principal;
  const QByteArray body = PropfindBody(std::pair{kCalDavNs, "calendar-home-set"},
                                       std::pair{kCardDavNs, "addressbook-home-set"});
  auto homes = Ask("PROPFIND", *principal, "0", body, ReplyKind::kAnswer, error);
  if (!homes) return std::nullopt;
  for (const DavResponse& response : homes->responses) {
    for (auto [ns, name, home] :
         {std::tuple{kCalDavNs, "calendar-home-set", &found.calendar_home},
          std::tuple{kCardDavNs, "addressbook-home-set", &found.addressbook_home}}) {
      const DavProperty* set = response.Find(ns, name);
      if (!set || set->hrefs.isEmpty()) continue;
      auto url = Named(*principal, set->hrefs.front(), error);
      if (!url) return std::nullopt;
      *home = *url;
    }
  }
  if (found.calendar_home.isValid()) ListHome(found.calendar_home, found, error);
  if (error && *error) return std::nullopt;
  if (found.addressbook_home.isValid() && found.addressbook_home != found.calendar_home) {
    ListHome(found.addressbook_home, found, error);
    if (error && *error) return std::nullopt;
  }
  return found;
}

std::optional<Collection> DavClient::Describe(const QUrl& url, DavError* error) {
  const QByteArray body =
      PropfindBody(std::pair{kDavNs, "resourcetype"}, std::pair{kDavNs, "displayname"},
                   std::pair{kCalServerNs, "getctag"}, std::pair{kDavNs, "sync-token"});
  auto found = Ask("PROPFIND", url, "0", body, ReplyKind::kAnswer, error);
  if (!found) return std::nullopt;
  for (const DavResponse& response : found->responses) {
    Collection collection;
    collection.url = url;
    if (IsCollection(response, kCardDavNs, "addressbook")) {
      collection.kind = CollectionKind::kAddressBook;
    } else if (!IsCollection(response, kCalDavNs, "calendar")) {
      continue;
    }
    collection.display_name = response.Text(kDavNs, "displayname");
    collection.ctag = response.Text(kCalServerNs, "getctag");
    collection.sync_token = response.Text(kDavNs, "sync-token");
    return collection;
  }
  Fail(error,
       DavError{DavErrorKind::kNotFound, 404, QStringLiteral("not a calendar or address book")});
  return std::nullopt;
}

}  // namespace quorvel::sync
