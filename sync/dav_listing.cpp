// What a collection holds: its members with their etags (PROPFIND), what
// changed since a sync-token (RFC 6578), and the members' data in batches
// (calendar-multiget, addressbook-multiget). Only hrefs inside the
// collection are taken; the others are noted in ignored().
#include "sync/dav_client.h"
#include "sync/dav_href.h"
#include "sync/dav_request_body.h"

namespace quorvel::sync {
namespace {

// How many replies of one Multiget may be over the batch limit (each is
// asked for again in halves) before the sync gives up on the server.
constexpr int kMostOversizedBatches = 8;

void Fail(DavError* error, DavError value) {
  if (error) *error = std::move(value);
}

bool IsCollection(const DavResponse& response) {
  const DavProperty* types = response.Find(kDavNs, "resourcetype");
  return types && types->children.contains(QualifiedName(kDavNs, "collection"));
}

QString Etag(const DavResponse& response) { return response.Text(kDavNs, "getetag"); }

}  // namespace

std::optional<std::vector<Member>> DavClient::ListMembers(const QUrl& collection, DavError* error) {
  const QByteArray body =
      PropfindBody(std::pair{kDavNs, "getetag"}, std::pair{kDavNs, "resourcetype"});
  auto found = Ask("PROPFIND", collection, "1", body, ReplyKind::kListing, error);
  if (!found) return std::nullopt;
  std::vector<Member> members;
  for (const DavResponse& response : found->responses) {
    QString path;
    bool self = false;
    if (!Inside(collection, response.href, &path, &self) || IsCollection(response)) continue;
    if (response.status != 0 && (response.status < 200 || response.status >= 300)) continue;
    members.push_back(Member{path, Etag(response)});
  }
  return members;
}

std::optional<SyncChanges> DavClient::SyncCollection(const QUrl& collection, const QString& token,
                                                     DavError* error) {
  SyncChanges changes;
  changes.token = token;
  // A server may answer in parts (507 on the collection itself): ask on.
  for (int part = 0; part < 1000; ++part) {
    RequestBody body(kDavNs, "sync-collection");
    if (changes.token.isEmpty()) {
      body.Empty(kDavNs, "sync-token");
    } else {
      body.Text(kDavNs, "sync-token", changes.token);
    }
    body.Text(kDavNs, "sync-level", QStringLiteral("1"))
        .Open(kDavNs, "prop")
        .Empty(kDavNs, "getetag")
        .Close();
    auto found = Ask("REPORT", collection, "0", body.Done(), ReplyKind::kListing, error);
    if (!found) return std::nullopt;
    if (found->sync_token.isEmpty()) {
      Fail(error, DavError{DavErrorKind::kBadReply, 207, QStringLiteral("no sync-token")});
      return std::nullopt;
    }
    bool truncated = false;
    for (const DavResponse& response : found->responses) {
      QString path;
      bool self = false;
      if (!Inside(collection, response.href, &path, &self)) {
        if (self) truncated = response.status == 507;
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

std::optional<std::vector<Resource>> DavClient::MultigetBatch(const QUrl& collection,
                                                              CollectionKind kind,
                                                              const QStringList& hrefs,
                                                              DavError* error) {
  const bool calendar = kind == CollectionKind::kCalendar;
  const char* ns = calendar ? kCalDavNs : kCardDavNs;
  const char* data_name = calendar ? "calendar-data" : "address-data";
  RequestBody body(ns, calendar ? "calendar-multiget" : "addressbook-multiget");
  body.Open(kDavNs, "prop").Empty(kDavNs, "getetag").Empty(ns, data_name).Close();
  for (const QString& href : hrefs) body.Text(kDavNs, "href", href);
  auto found = Ask("REPORT", collection, "1", body.Done(), ReplyKind::kBatch, error);
  if (!found) return std::nullopt;
  std::vector<Resource> resources;
  for (const DavResponse& response : found->responses) {
    const DavProperty* data = response.Find(ns, data_name);
    if (!data) continue;  // gone meanwhile (404 in its propstat or response)
    QString path;
    if (!Inside(collection, response.href, &path)) continue;
    resources.push_back(Resource{path, Etag(response), data->text.toUtf8()});
  }
  return resources;
}

std::optional<std::vector<Resource>> DavClient::Multiget(const QUrl& collection,
                                                         CollectionKind kind,
                                                         const QStringList& hrefs,
                                                         DavError* error) {
  std::vector<Resource> resources;
  // Batches still to ask for, last first; one over the size limit goes
  // back as two halves.
  std::vector<QStringList> pending;
  for (qsizetype first = 0; first < hrefs.size(); first += multiget_batch_) {
    pending.insert(pending.begin(), hrefs.mid(first, multiget_batch_));
  }
  int oversized = 0;
  while (!pending.empty()) {
    const QStringList batch = std::move(pending.back());
    pending.pop_back();
    DavError failure;
    auto got = MultigetBatch(collection, kind, batch, &failure);
    if (!got) {
      if (failure.kind == DavErrorKind::kTooLarge && batch.size() > 1 &&
          ++oversized <= kMostOversizedBatches) {
        const qsizetype half = batch.size() / 2;
        pending.push_back(batch.mid(half));
        pending.push_back(batch.first(half));
        continue;
      }
      Fail(error, failure);
      return std::nullopt;
    }
    for (Resource& r : *got) resources.push_back(std::move(r));
  }
  return resources;
}

}  // namespace quorvel::sync
