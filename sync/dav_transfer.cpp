// One resource in or out: conditional PUT and DELETE (several in flight at
// once for a batch of writes), GET, and the making of a collection.
#include <map>

#include "sync/dav_client.h"
#include "sync/dav_href.h"
#include "sync/dav_request_body.h"

namespace quorvel::sync {
namespace {

void Fail(DavError* error, DavError value) {
  if (error) *error = std::move(value);
}

QByteArray ContentType(CollectionKind kind) {
  return kind == CollectionKind::kCalendar ? QByteArrayLiteral("text/calendar; charset=utf-8")
                                           : QByteArrayLiteral("text/vcard; charset=utf-8");
}

HttpHeaders WriteHeaders(const WriteRequest& write) {
  HttpHeaders headers;
  if (!write.remove) headers.push_back({"Content-Type", ContentType(write.kind)});
  if (!write.etag.isEmpty()) {
    headers.push_back({"If-Match", write.etag.toUtf8()});
  } else if (!write.remove) {
    headers.push_back({"If-None-Match", "*"});
  }
  return headers;
}

// A failure status; a redirection is never followed outside discovery.
DavError Refusal(const HttpReply& reply, const QUrl& url) {
  if (reply.status >= 300 && reply.status < 400) {
    return DavError{DavErrorKind::kRedirected, reply.status, url.toDisplayString(), reply.location};
  }
  return StatusError(reply.status, reply.body);
}

}  // namespace

// What a write's answer means. A stored resource without a strong etag in
// the reply comes back ok with an empty etag, for the caller to ask for it.
WriteResult DavClient::Judge(const WriteRequest& write, const std::optional<HttpReply>& reply,
                             const DavError& error) {
  WriteResult result;
  if (!reply) {
    result.error = error;
    return result;
  }
  const bool success = (reply->status >= 200 && reply->status < 300) ||
                       (write.remove && (reply->status == 404 || reply->status == 410));
  if (!success) {
    result.error = Refusal(*reply, Resolve(write.href));
    return result;
  }
  result.ok = true;
  if (!write.remove && !reply->etag.isEmpty() && !reply->etag.startsWith("W/")) {
    result.etag = QString::fromUtf8(reply->etag);
  }
  return result;
}

QString DavClient::StoredEtag(const QUrl& url, DavError* error) {
  auto found = Ask("PROPFIND", url, "0", PropfindBody(std::pair{kDavNs, "getetag"}),
                   ReplyKind::kAnswer, error);
  if (!found) return QString();
  for (const DavResponse& response : found->responses) return response.Text(kDavNs, "getetag");
  return QString();
}

std::optional<QString> DavClient::Put(const QString& href, CollectionKind kind,
                                      const QByteArray& data, const QString& etag,
                                      DavError* error) {
  const WriteRequest write{href, kind, data, etag, false};
  DavError failure;
  const QUrl url = Resolve(href);
  const auto reply = transport_.Send(HttpRequest{"PUT", url, data, WriteHeaders(write)}, &failure);
  WriteResult result = Judge(write, reply, failure);
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
  const auto reply = transport_.Send(
      HttpRequest{"DELETE", Resolve(href), QByteArray(), WriteHeaders(write)}, &failure);
  const WriteResult result = Judge(write, reply, failure);
  if (!result.ok) Fail(error, result.error);
  return result.ok;
}

void DavClient::WriteAll(const std::vector<WriteRequest>& writes,
                         const std::function<bool(std::size_t, const WriteResult&)>& done) {
  std::map<std::size_t, DavTransport::ExchangePtr> flying;
  std::vector<std::pair<std::size_t, WriteResult>> without_etag;
  std::size_t next = 0;
  bool stop = false;
  auto launch = [&] {
    while (!stop && next < writes.size() && int(flying.size()) < kWritesInFlight) {
      const std::size_t index = next++;
      const WriteRequest& write = writes[index];
      flying.emplace(index,
                     transport_.Begin(HttpRequest{
                         write.remove ? QByteArrayLiteral("DELETE") : QByteArrayLiteral("PUT"),
                         Resolve(write.href), write.data, WriteHeaders(write)}));
    }
  };
  auto any_landed = [&] {
    for (const auto& [index, exchange] : flying) {
      if (DavTransport::Landed(*exchange)) return true;
    }
    return false;
  };
  launch();
  while (!flying.empty()) {
    transport_.Wait(any_landed);
    for (auto it = flying.begin(); it != flying.end();) {
      if (!DavTransport::Landed(*it->second)) {
        ++it;
        continue;
      }
      const std::size_t index = it->first;
      DavError failure;
      const auto reply = transport_.Take(*it->second, &failure);
      it = flying.erase(it);
      WriteResult result = Judge(writes[index], reply, failure);
      if (result.ok && !writes[index].remove && result.etag.isEmpty()) {
        without_etag.emplace_back(index, std::move(result));  // asked for after the batch
      } else if (!done(index, result)) {
        stop = true;
      }
    }
    // Stopped: nothing more starts; what is in flight is cut off by the
    // transport and still gets its answer (kStopped).
    if (transport_.stopping()) stop = true;
    launch();
  }
  for (auto& [index, result] : without_etag) {
    if (stop) break;
    DavError lookup;
    result.etag = StoredEtag(Resolve(writes[index].href), &lookup);
    if (lookup) result = WriteResult{false, QString(), lookup};
    if (!done(index, result)) stop = true;
  }
}

std::optional<Resource> DavClient::Get(const QString& href, DavError* error) {
  const QUrl url = Resolve(href);
  auto reply = transport_.Send(HttpRequest{"GET", url, {}, {}, ReplyKind::kResource}, error);
  if (!reply) return std::nullopt;
  if (reply->status != 200) {
    Fail(error, Refusal(*reply, url));
    return std::nullopt;
  }
  return Resource{PathOf(url), QString::fromUtf8(reply->etag), reply->body};
}

bool DavClient::MakeCollection(const QUrl& url, CollectionKind kind, const QString& display_name,
                               DavError* error) {
  const bool calendar = kind == CollectionKind::kCalendar;
  RequestBody body(kDavNs, "mkcol");
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
  auto reply = transport_.Send(
      HttpRequest{"MKCOL", url, body.Done(), {{"Content-Type", "application/xml; charset=utf-8"}}},
      error);
  if (!reply) return false;
  if (reply->status == 201 || reply->status == 200) return true;
  Fail(error, Refusal(*reply, url));
  return false;
}

}  // namespace quorvel::sync
