#include "sync/dav_client.h"

#include <map>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslError>
#include <QXmlStreamWriter>

namespace quorvel::sync {
namespace {

constexpr int kTransferTimeoutMs = 60000;
constexpr int kMostRedirects = 5;

// Request bodies, written by an XML writer so hrefs and tokens are escaped.
class Body {
 public:
  explicit Body(const char* ns, const char* root) : xml_(&bytes_) {
    xml_.writeStartDocument();
    xml_.writeNamespace(QString::fromLatin1(kDavNs), QStringLiteral("d"));
    xml_.writeNamespace(QString::fromLatin1(kCalDavNs), QStringLiteral("c"));
    xml_.writeNamespace(QString::fromLatin1(kCardDavNs), QStringLiteral("a"));
    xml_.writeNamespace(QString::fromLatin1(kCalServerNs), QStringLiteral("cs"));
    xml_.writeStartElement(QString::fromLatin1(ns), QString::fromLatin1(root));
  }
  Body& Open(const char* ns, const char* name) {
    xml_.writeStartElement(QString::fromLatin1(ns), QString::fromLatin1(name));
    return *this;
  }
  Body& Close() {
    xml_.writeEndElement();
    return *this;
  }
  Body& Empty(const char* ns, const char* name) {
    xml_.writeEmptyElement(QString::fromLatin1(ns), QString::fromLatin1(name));
    return *this;
  }
  Body& Text(const char* ns, const char* name, const QString& text) {
    xml_.writeTextElement(QString::fromLatin1(ns), QString::fromLatin1(name), text);
    return *this;
  }
  Body& Attribute(const char* name, const QString& value) {
    xml_.writeAttribute(QString::fromLatin1(name), value);
    return *this;
  }
  QByteArray Done() {
    xml_.writeEndDocument();
    return bytes_;
  }

 private:
  QByteArray bytes_;
  QXmlStreamWriter xml_;
};

QByteArray ContentType(CollectionKind kind) {
  return kind == CollectionKind::kCalendar ? QByteArrayLiteral("text/calendar; charset=utf-8")
                                           : QByteArrayLiteral("text/vcard; charset=utf-8");
}

DavError StatusError(int status, const QByteArray& body) {
  DavError error;
  error.status = status;
  error.detail = QString::fromUtf8(body.left(300)).simplified();
  switch (status) {
    case 401: error.kind = DavErrorKind::kWrongPassword; break;
    case 403: error.kind = DavErrorKind::kForbidden; break;
    case 404:
    case 410: error.kind = DavErrorKind::kNotFound; break;
    case 412: error.kind = DavErrorKind::kPrecondition; break;
    case 507: error.kind = DavErrorKind::kQuotaFull; break;
    default: error.kind = DavErrorKind::kServer; break;
  }
  return error;
}

void Fail(DavError* error, DavError value) {
  if (error) *error = std::move(value);
}

DavError BadReply(const QString& detail) {
  return DavError{DavErrorKind::kBadReply, 207, detail};
}

bool IsCollection(const DavResponse& response, const char* ns, const char* type) {
  const DavProperty* types = response.Find(kDavNs, "resourcetype");
  return types && types->children.contains(QualifiedName(ns, type));
}

QString Etag(const DavResponse& response) { return response.Text(kDavNs, "getetag"); }

}  // namespace

QString DavError::Message() const {
  switch (kind) {
    case DavErrorKind::kNone: return QString();
    case DavErrorKind::kInsecure:
      return QCoreApplication::translate("Sync",
          "The server address must start with https:// (plain http:// is only "
          "accepted for a server on this computer).");
    case DavErrorKind::kUnknownServer:
      return QCoreApplication::translate("Sync", "The server could not be found. Check the server address and "
                            "the network connection.");
    case DavErrorKind::kUnreachable:
      return QCoreApplication::translate("Sync", "The server did not answer (%1). Check the network connection "
                            "and try again later.").arg(detail);
    case DavErrorKind::kCertificate:
      return QCoreApplication::translate("Sync", "The server's certificate was not accepted (%1). The "
                            "connection is not safe, so nothing was sent.").arg(detail);
    case DavErrorKind::kWrongPassword:
      return QCoreApplication::translate("Sync", "The server refused the user name or password. Check them in "
                            "the sync settings.");
    case DavErrorKind::kForbidden:
      return QCoreApplication::translate("Sync", "The server does not allow this account to do that (403).");
    case DavErrorKind::kNotFound:
      return QCoreApplication::translate("Sync", "The calendar or address book was not found on the server "
                            "(%1). Choose it again in the sync settings.").arg(status);
    case DavErrorKind::kPrecondition:
      return QCoreApplication::translate("Sync", "The item was changed on the server meanwhile (412).");
    case DavErrorKind::kQuotaFull:
      return QCoreApplication::translate("Sync", "The account on the server is full (507): free some space "
                            "there, then sync again.");
    case DavErrorKind::kBadReply:
      return QCoreApplication::translate("Sync", "The server's reply was not understood (%1). Is the address "
                            "that of a CalDAV/CardDAV server?").arg(detail);
    case DavErrorKind::kServer:
      return QCoreApplication::translate("Sync", "The server reported an error (%1 %2).").arg(status).arg(detail);
    case DavErrorKind::kStopped:
      return QCoreApplication::translate("Sync", "Sync stopped. Nothing was lost: the next sync "
                            "finishes what this one began.");
  }
  return QString();
}

DavClient::DavClient(const QUrl& server, const QString& user, const QString& password)
    : server_(server), network_(std::make_unique<QNetworkAccessManager>()) {
  if (server_.path().isEmpty()) server_.setPath(QStringLiteral("/"));
  authorization_ = "Basic " + (user + QLatin1Char(':') + password).toUtf8().toBase64();
  network_->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
}

DavClient::~DavClient() = default;

bool DavClient::IsAllowed(const QUrl& url) {
  if (!url.isValid() || url.host().isEmpty()) return false;
  const QString scheme = url.scheme().toLower();
  if (scheme == QLatin1String("https")) return true;
  if (scheme != QLatin1String("http")) return false;
  const QString host = url.host().toLower();
  if (host == QLatin1String("localhost")) return true;
  const QHostAddress address(host);
  return !address.isNull() && address.isLoopback();
}

QUrl DavClient::Resolve(const QString& href) const {
  return server_.resolved(QUrl::fromEncoded(href.toUtf8()));
}

QString DavClient::PathOf(const QUrl& url) { return url.path(QUrl::FullyEncoded); }

// A request on its way; the certificate complaint is kept here because
// it arrives before the reply ends.
struct DavClient::InFlight {
  QNetworkReply* reply = nullptr;
  QUrl url;
  QString certificate_problem;
  ~InFlight() {
    if (reply) reply->deleteLater();
  }
};

std::unique_ptr<DavClient::InFlight> DavClient::Start(
    const QByteArray& verb, const QUrl& url, const QByteArray& body,
    const QList<std::pair<QByteArray, QByteArray>>& headers, DavError* error) {
  if (!IsAllowed(url)) {
    Fail(error, DavError{DavErrorKind::kInsecure, 0, url.toDisplayString()});
    return nullptr;
  }
  if (Stopping()) {
    Fail(error, DavError{DavErrorKind::kStopped, 0, {}});
    return nullptr;
  }
  QNetworkRequest request(url);
  request.setRawHeader("Authorization", authorization_);
  request.setRawHeader("User-Agent", "Quorvel");
  request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                       QNetworkRequest::ManualRedirectPolicy);
  request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                       QNetworkRequest::AlwaysNetwork);
  request.setTransferTimeout(kTransferTimeoutMs);
  for (const auto& [name, value] : headers) request.setRawHeader(name, value);

  ++request_count_;
  ++requests_by_method_[verb];
  auto flight = std::make_unique<InFlight>();
  flight->url = url;
  flight->reply = network_->sendCustomRequest(request, verb, body);
  InFlight* raw = flight.get();
  QObject::connect(flight->reply, &QNetworkReply::sslErrors, flight->reply,
                   [raw](const QList<QSslError>& errors) {
                     QStringList texts;
                     for (const QSslError& e : errors) texts << e.errorString();
                     raw->certificate_problem = texts.join(QStringLiteral("; "));
                   });
  return flight;
}

std::optional<DavClient::Reply> DavClient::Finish(InFlight& flight, DavError* error) {
  QNetworkReply* reply = flight.reply;
  const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
  if (reply->error() == QNetworkReply::OperationCanceledError && Stopping()) {
    Fail(error, DavError{DavErrorKind::kStopped, 0, {}});
    return std::nullopt;
  }
  if (!status.isValid()) {
    DavError failure;
    failure.detail = reply->errorString();
    const QString& certificate_problem = flight.certificate_problem;
    switch (reply->error()) {
      case QNetworkReply::HostNotFoundError:
        failure.kind = DavErrorKind::kUnknownServer;
        break;
      case QNetworkReply::SslHandshakeFailedError:
        failure.kind = DavErrorKind::kCertificate;
        if (!certificate_problem.isEmpty()) failure.detail = certificate_problem;
        break;
      default:
        failure.kind = certificate_problem.isEmpty() ? DavErrorKind::kUnreachable
                                                     : DavErrorKind::kCertificate;
        if (!certificate_problem.isEmpty()) failure.detail = certificate_problem;
        break;
    }
    Fail(error, failure);
    return std::nullopt;
  }
  Reply result;
  result.status = status.toInt();
  result.body = reply->readAll();
  result.etag = reply->rawHeader("ETag");
  const QByteArray location = reply->rawHeader("Location");
  if (!location.isEmpty()) result.location = flight.url.resolved(QUrl::fromEncoded(location));
  return result;
}

std::optional<DavClient::Reply> DavClient::Send(
    const QByteArray& verb, const QUrl& url, const QByteArray& body,
    const QList<std::pair<QByteArray, QByteArray>>& headers, DavError* error) {
  auto flight = Start(verb, url, body, headers, error);
  if (!flight) return std::nullopt;
  QEventLoop loop;
  QObject::connect(flight->reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
  QNetworkReply* reply = flight->reply;
  WatchStop(loop, [reply] { reply->abort(); });
  if (!flight->reply->isFinished()) loop.exec(QEventLoop::ExcludeUserInputEvents);
  return Finish(*flight, error);
}

void DavClient::WatchStop(QEventLoop& loop, const std::function<void()>& cut) const {
  if (!stop_) return;
  auto* timer = new QTimer(&loop);
  timer->setInterval(50);
  QObject::connect(timer, &QTimer::timeout, &loop, [this, timer, cut] {
    if (!Stopping()) return;
    timer->stop();
    cut();
  });
  timer->start();
}

std::optional<Multistatus> DavClient::SendMultistatus(const QByteArray& verb, const QUrl& url,
                                                      const QByteArray& depth,
                                                      const QByteArray& body, DavError* error) {
  auto reply = Send(verb, url, body,
                    {{"Depth", depth}, {"Content-Type", "application/xml; charset=utf-8"}},
                    error);
  if (!reply) return std::nullopt;
  if (reply->status != 207) {
    Fail(error, StatusError(reply->status, reply->body));
    return std::nullopt;
  }
  auto parsed = ParseMultistatus(reply->body);
  if (!parsed) Fail(error, BadReply(QStringLiteral("no multistatus")));
  return parsed;
}

std::optional<Multistatus> DavClient::PropfindFollowingRedirects(QUrl* url,
                                                                 const QByteArray& depth,
                                                                 const QByteArray& body,
                                                                 DavError* error) {
  for (int hop = 0; hop <= kMostRedirects; ++hop) {
    auto reply = Send("PROPFIND", *url, body,
                      {{"Depth", depth}, {"Content-Type", "application/xml; charset=utf-8"}},
                      error);
    if (!reply) return std::nullopt;
    if (reply->status >= 300 && reply->status < 400 && reply->location.isValid()) {
      // Never from https down to plain http.
      if (url->scheme() == QLatin1String("https") &&
          reply->location.scheme() != QLatin1String("https")) {
        Fail(error, DavError{DavErrorKind::kInsecure, reply->status,
                             reply->location.toDisplayString()});
        return std::nullopt;
      }
      *url = reply->location;
      continue;
    }
    if (reply->status != 207) {
      Fail(error, StatusError(reply->status, reply->body));
      return std::nullopt;
    }
    auto parsed = ParseMultistatus(reply->body);
    if (!parsed) Fail(error, BadReply(QStringLiteral("no multistatus")));
    return parsed;
  }
  Fail(error, BadReply(QStringLiteral("too many redirections")));
  return std::nullopt;
}

std::optional<QUrl> DavClient::FindPrincipal(DavError* error) {
  const QByteArray body = Body(kDavNs, "propfind")
                              .Open(kDavNs, "prop")
                              .Empty(kDavNs, "current-user-principal")
                              .Close()
                              .Done();
  std::vector<QUrl> candidates;
  if (server_.path() != QLatin1String("/")) candidates.push_back(server_);
  candidates.push_back(server_.resolved(QUrl(QStringLiteral("/.well-known/caldav"))));
  candidates.push_back(server_.resolved(QUrl(QStringLiteral("/.well-known/carddav"))));
  candidates.push_back(server_.resolved(QUrl(QStringLiteral("/"))));
  DavError last;
  for (QUrl url : candidates) {
    DavError attempt;
    auto found = PropfindFollowingRedirects(&url, "0", body, &attempt);
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
        return url.resolved(QUrl::fromEncoded(principal->hrefs.front().toUtf8()));
      }
    }
  }
  Fail(error, last ? last : BadReply(QStringLiteral("no current-user-principal")));
  return std::nullopt;
}

void DavClient::ListHome(const QUrl& home, Discovery& found, DavError* error) {
  const QByteArray body = Body(kDavNs, "propfind")
                              .Open(kDavNs, "prop")
                              .Empty(kDavNs, "resourcetype")
                              .Empty(kDavNs, "displayname")
                              .Empty(kCalServerNs, "getctag")
                              .Empty(kDavNs, "sync-token")
                              .Empty(kCalDavNs, "supported-calendar-component-set")
                              .Close()
                              .Done();
  auto listing = SendMultistatus("PROPFIND", home, "1", body, error);
  if (!listing) return;
  for (const DavResponse& response : listing->responses) {
    Collection collection;
    if (IsCollection(response, kCalDavNs, "calendar")) {
      collection.kind = CollectionKind::kCalendar;
      const DavProperty* components = response.Find(kCalDavNs, "supported-calendar-component-set");
      if (components && !components->names.isEmpty()) {
        collection.holds_events = components->names.contains(QStringLiteral("VEVENT"),
                                                             Qt::CaseInsensitive);
      }
    } else if (IsCollection(response, kCardDavNs, "addressbook")) {
      collection.kind = CollectionKind::kAddressBook;
    } else {
      continue;
    }
    collection.url = home.resolved(QUrl::fromEncoded(response.href.toUtf8()));
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
  const QByteArray body = Body(kDavNs, "propfind")
                              .Open(kDavNs, "prop")
                              .Empty(kCalDavNs, "calendar-home-set")
                              .Empty(kCardDavNs, "addressbook-home-set")
                              .Close()
                              .Done();
  auto homes = SendMultistatus("PROPFIND", *principal, "0", body, error);
  if (!homes) return std::nullopt;
  for (const DavResponse& response : homes->responses) {
    if (const DavProperty* set = response.Find(kCalDavNs, "calendar-home-set");
        set && !set->hrefs.isEmpty()) {
      found.calendar_home = principal->resolved(QUrl::fromEncoded(set->hrefs.front().toUtf8()));
    }
    if (const DavProperty* set = response.Find(kCardDavNs, "addressbook-home-set");
        set && !set->hrefs.isEmpty()) {
      found.addressbook_home =
          principal->resolved(QUrl::fromEncoded(set->hrefs.front().toUtf8()));
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
  const QByteArray body = Body(kDavNs, "propfind")
                              .Open(kDavNs, "prop")
                              .Empty(kDavNs, "resourcetype")
                              .Empty(kDavNs, "displayname")
                              .Empty(kCalServerNs, "getctag")
                              .Empty(kDavNs, "sync-token")
                              .Close()
                              .Done();
  auto found = SendMultistatus("PROPFIND", url, "0", body, error);
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
  Fail(error, DavError{DavErrorKind::kNotFound, 404,
                       QStringLiteral("not a calendar or address book")});
  return std::nullopt;
}

std::optional<std::vector<Member>> DavClient::ListMembers(const QUrl& collection,
                                                          DavError* error) {
  const QByteArray body = Body(kDavNs, "propfind")
                              .Open(kDavNs, "prop")
                              .Empty(kDavNs, "getetag")
                              .Empty(kDavNs, "resourcetype")
                              .Close()
                              .Done();
  auto found = SendMultistatus("PROPFIND", collection, "1", body, error);
  if (!found) return std::nullopt;
  std::vector<Member> members;
  const QString self = PathOf(collection);
  for (const DavResponse& response : found->responses) {
    const QString path = PathOf(collection.resolved(QUrl::fromEncoded(response.href.toUtf8())));
    if (path == self || IsCollection(response, kDavNs, "collection")) continue;
    if (response.status != 0 && (response.status < 200 || response.status >= 300)) continue;
    members.push_back(Member{path, Etag(response)});
  }
  return members;
}

std::optional<SyncChanges> DavClient::SyncCollection(const QUrl& collection,
                                                     const QString& token, DavError* error) {
  SyncChanges changes;
  changes.token = token;
  const QString self = PathOf(collection);
  // A server may answer in parts (507 on the collection itself): ask on.
  for (int part = 0; part < 1000; ++part) {
    Body body(kDavNs, "sync-collection");
    if (changes.token.isEmpty()) {
      body.Empty(kDavNs, "sync-token");
    } else {
      body.Text(kDavNs, "sync-token", changes.token);
    }
    body.Text(kDavNs, "sync-level", QStringLiteral("1"))
        .Open(kDavNs, "prop")
        .Empty(kDavNs, "getetag")
        .Close();
    auto found = SendMultistatus("REPORT", collection, "0", body.Done(), error);
    if (!found) return std::nullopt;
    if (found->sync_token.isEmpty()) {
      Fail(error, BadReply(QStringLiteral("no sync-token")));
      return std::nullopt;
    }
    bool truncated = false;
    for (const DavResponse& response : found->responses) {
      const QString path =
          PathOf(collection.resolved(QUrl::fromEncoded(response.href.toUtf8())));
      if (path == self) {
        truncated = response.status == 507;
        continue;
      }
      if (response.status == 404 || response.status == 410) {
        changes.removed.push_back(path);
      } else {
        changes.changed.push_back(Member{path, Etag(response)});
      }
    }
    const bool moved = found->sync_token != changes.token;
    changes.token = found->sync_token;
    if (!truncated || !moved) return changes;
  }
  return changes;
}

std::optional<std::vector<Resource>> DavClient::Multiget(const QUrl& collection,
                                                         CollectionKind kind,
                                                         const QStringList& hrefs,
                                                         DavError* error) {
  std::vector<Resource> resources;
  const bool calendar = kind == CollectionKind::kCalendar;
  const char* ns = calendar ? kCalDavNs : kCardDavNs;
  const char* data_name = calendar ? "calendar-data" : "address-data";
  for (qsizetype first = 0; first < hrefs.size(); first += multiget_batch_) {
    Body body(ns, calendar ? "calendar-multiget" : "addressbook-multiget");
    body.Open(kDavNs, "prop").Empty(kDavNs, "getetag").Empty(ns, data_name).Close();
    for (const QString& href : hrefs.mid(first, multiget_batch_)) body.Text(kDavNs, "href", href);
    auto found = SendMultistatus("REPORT", collection, "1", body.Done(), error);
    if (!found) return std::nullopt;
    for (const DavResponse& response : found->responses) {
      const DavProperty* data = response.Find(ns, data_name);
      if (!data) continue;  // gone meanwhile (404 in its propstat or response)
      resources.push_back(
          Resource{PathOf(collection.resolved(QUrl::fromEncoded(response.href.toUtf8()))),
                   Etag(response), data->text.toUtf8()});
    }
  }
  return resources;
}

namespace {

QList<std::pair<QByteArray, QByteArray>> WriteHeaders(const WriteRequest& write) {
  QList<std::pair<QByteArray, QByteArray>> headers;
  if (!write.remove) headers.push_back({"Content-Type", ContentType(write.kind)});
  if (!write.etag.isEmpty()) {
    headers.push_back({"If-Match", write.etag.toUtf8()});
  } else if (!write.remove) {
    headers.push_back({"If-None-Match", "*"});
  }
  return headers;
}

}  // namespace

// What a write's answer means. A stored resource without a strong etag in
// the reply comes back ok with an empty etag, for the caller to ask for it.
WriteResult DavClient::Judge(const WriteRequest& write, const std::optional<Reply>& reply,
                             const DavError& error) {
  WriteResult result;
  if (!reply) {
    result.error = error;
    return result;
  }
  const bool success = (reply->status >= 200 && reply->status < 300) ||
                       (write.remove && (reply->status == 404 || reply->status == 410));
  if (!success) {
    result.error = StatusError(reply->status, reply->body);
    return result;
  }
  result.ok = true;
  if (!write.remove && !reply->etag.isEmpty() && !reply->etag.startsWith("W/")) {
    result.etag = QString::fromUtf8(reply->etag);
  }
  return result;
}

QString DavClient::StoredEtag(const QUrl& url, DavError* error) {
  const QByteArray body = Body(kDavNs, "propfind")
                              .Open(kDavNs, "prop")
                              .Empty(kDavNs, "getetag")
                              .Close()
                              .Done();
  auto found = SendMultistatus("PROPFIND", url, "0", body, error);
  if (!found) return QString();
  for (const DavResponse& response : found->responses) return Etag(response);
  return QString();
}

std::optional<QString> DavClient::Put(const QString& href, CollectionKind kind,
                                      const QByteArray& data, const QString& etag,
                                      DavError* error) {
  const WriteRequest write{href, kind, data, etag, false};
  DavError failure;
  const QUrl url = Resolve(href);
  WriteResult result = Judge(write, Send("PUT", url, data, WriteHeaders(write), &failure), failure);
  if (!result.ok) {
    Fail(error, result.error);
    return std::nullopt;
  }
  if (!result.etag.isEmpty()) return result.etag;
  // No strong etag in the reply: ask for the stored one.
  DavError lookup;
  QString stored = StoredEtag(url, &lookup);
  if (lookup) {
    Fail(error, lookup);
    return std::nullopt;
  }
  return stored;
}

bool DavClient::Delete(const QString& href, const QString& etag, DavError* error) {
  const WriteRequest write{href, CollectionKind::kCalendar, QByteArray(), etag, true};
  DavError failure;
  const WriteResult result =
      Judge(write, Send("DELETE", Resolve(href), QByteArray(), WriteHeaders(write), &failure),
            failure);
  if (!result.ok) Fail(error, result.error);
  return result.ok;
}

void DavClient::WriteAll(const std::vector<WriteRequest>& writes,
                         const std::function<bool(std::size_t, const WriteResult&)>& done) {
  std::map<std::size_t, std::unique_ptr<InFlight>> flying;
  std::vector<std::pair<std::size_t, WriteResult>> without_etag;
  std::size_t next = 0;
  bool stop = false;
  QEventLoop loop;
  std::function<void()> launch;
  auto land = [&](std::size_t index) {
    auto it = flying.find(index);
    DavError failure;
    const auto reply = Finish(*it->second, &failure);
    flying.erase(it);
    WriteResult result = Judge(writes[index], reply, failure);
    if (result.ok && !writes[index].remove && result.etag.isEmpty()) {
      without_etag.emplace_back(index, std::move(result));  // asked for after the batch
    } else if (!done(index, result)) {
      stop = true;
    }
    launch();
    if (flying.empty()) loop.quit();
  };
  launch = [&] {
    while (!stop && next < writes.size() && int(flying.size()) < kWritesInFlight) {
      const std::size_t index = next++;
      const WriteRequest& write = writes[index];
      DavError failure;
      auto flight = Start(write.remove ? QByteArrayLiteral("DELETE") : QByteArrayLiteral("PUT"),
                          Resolve(write.href), write.data, WriteHeaders(write), &failure);
      if (!flight) {
        if (!done(index, WriteResult{false, QString(), failure})) stop = true;
        continue;
      }
      QObject::connect(flight->reply, &QNetworkReply::finished, &loop,
                       [&land, index] { land(index); }, Qt::QueuedConnection);
      flying.emplace(index, std::move(flight));
    }
  };
  launch();
  // Stopped: nothing more starts, and what is in flight is cut off (each
  // still gets its answer, kStopped).
  WatchStop(loop, [&] {
    stop = true;
    std::vector<QNetworkReply*> replies;
    for (auto& [index, flight] : flying) replies.push_back(flight->reply);
    for (QNetworkReply* reply : replies) reply->abort();
  });
  if (!flying.empty()) loop.exec(QEventLoop::ExcludeUserInputEvents);
  for (auto& [index, result] : without_etag) {
    if (stop) break;
    DavError lookup;
    result.etag = StoredEtag(Resolve(writes[index].href), &lookup);
    if (lookup) result = WriteResult{false, QString(), lookup};
    if (!done(index, result)) stop = true;
  }
}

std::optional<Resource> DavClient::Get(const QString& href, DavError* error) {
  auto reply = Send("GET", Resolve(href), QByteArray(), {}, error);
  if (!reply) return std::nullopt;
  if (reply->status != 200) {
    Fail(error, StatusError(reply->status, reply->body));
    return std::nullopt;
  }
  return Resource{PathOf(Resolve(href)), QString::fromUtf8(reply->etag), reply->body};
}

bool DavClient::MakeCollection(const QUrl& url, CollectionKind kind,
                               const QString& display_name, DavError* error) {
  const bool calendar = kind == CollectionKind::kCalendar;
  Body body(kDavNs, "mkcol");
  body.Open(kDavNs, "set").Open(kDavNs, "prop").Open(kDavNs, "resourcetype");
  body.Empty(kDavNs, "collection");
  body.Empty(calendar ? kCalDavNs : kCardDavNs, calendar ? "calendar" : "addressbook");
  body.Close().Text(kDavNs, "displayname", display_name);
  if (calendar) {
    body.Open(kCalDavNs, "supported-calendar-component-set")
        .Open(kCalDavNs, "comp")
        .Attribute("name", QStringLiteral("VEVENT"))
        .Close()
        .Close();
  }
  body.Close().Close();
  auto reply = Send("MKCOL", url, body.Done(),
                    {{"Content-Type", "application/xml; charset=utf-8"}}, error);
  if (!reply) return false;
  if (reply->status == 201 || reply->status == 200) return true;
  Fail(error, StatusError(reply->status, reply->body));
  return false;
}

}  // namespace quorvel::sync
