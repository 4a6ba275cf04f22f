// A CalDAV (RFC 4791) and CardDAV (RFC 6352) client on Qt Network.
//
// Every call blocks until the server has answered (running its own event
// loop), so it belongs on a worker thread; the client must be used from the
// thread that created it. HTTPS is checked against the system's certificate
// authorities; plain HTTP is refused for anything but this machine. The
// credentials go only to the server named here (DavTransport), and hrefs a
// server lists are taken only when they lie inside their collection.
//
// The work is split by job: dav_discovery.cpp (principal, homes, the
// collections), dav_listing.cpp (members, changes, multiget),
// dav_transfer.cpp (one resource in or out, collections made).
#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUrl>

#include "sync/dav_transport.h"
#include "sync/dav_types.h"
#include "sync/dav_xml.h"

namespace quorvel::sync {

class DavClient {
 public:
  // `server` is any URL on the server (its root or a collection).
  DavClient(const QUrl& server, const QString& user, const QString& password,
            const TransportLimits& limits = TransportLimits{});
  ~DavClient();
  DavClient(const DavClient&) = delete;
  DavClient& operator=(const DavClient&) = delete;

  // Whether `url` may be used at all: https://, or http:// to this machine.
  static bool IsAllowed(const QUrl& url) { return IsAllowedAddress(url); }

  // Follows RFC 6764 (/.well-known/caldav and carddav), the user's
  // principal and home sets, and lists the calendars and address books
  // found in the homes. Redirections are followed on the same server only;
  // one elsewhere ends discovery with kRedirected.
  std::optional<Discovery> Discover(DavError* error);

  // The collection's current ctag and sync-token (PROPFIND, depth 0).
  std::optional<Collection> Describe(const QUrl& collection, DavError* error);
  // Every member with its etag (PROPFIND, depth 1).
  std::optional<std::vector<Member>> ListMembers(const QUrl& collection, DavError* error);
  // What changed since `token` (RFC 6578 sync-collection; an empty token
  // asks for everything). A token the server no longer knows comes back as
  // kPrecondition or kForbidden: fall back to ListMembers.
  std::optional<SyncChanges> SyncCollection(const QUrl& collection, const QString& token,
                                            DavError* error);
  // The data of `hrefs`, asked for in batches (calendar-multiget or
  // addressbook-multiget); hrefs the server no longer has are left out. A
  // batch whose reply is over its size limit is asked for again in halves.
  std::optional<std::vector<Resource>> Multiget(const QUrl& collection, CollectionKind kind,
                                                const QStringList& hrefs, DavError* error);

  // Stores `data` at `href`. With an etag, only over exactly that version
  // (If-Match); without, only where nothing is stored yet (If-None-Match: *).
  // Returns the new etag, or an empty text when the server gave none.
  std::optional<QString> Put(const QString& href, CollectionKind kind, const QByteArray& data,
                             const QString& etag, DavError* error);
  // Removes `href`, only if it still has `etag` (when one is given). A
  // resource that is already gone counts as removed.
  bool Delete(const QString& href, const QString& etag, DavError* error);
  // Sends `writes` with several requests in flight at once (each is still
  // one HTTP request: CalDAV and CardDAV have no batched write). `done` is
  // called once per write as its answer arrives, in any order; when it
  // returns false no further write is started (those get no call).
  void WriteAll(const std::vector<WriteRequest>& writes,
                const std::function<bool(std::size_t index, const WriteResult&)>& done);
  // How many writes WriteAll keeps in flight (6: Qt's connections per host).
  static constexpr int kWritesInFlight = 6;

  // Fetches one resource (GET), with its etag.
  std::optional<Resource> Get(const QString& href, DavError* error);

  // Creates a calendar or address book at `url` (extended MKCOL, RFC 5689).
  bool MakeCollection(const QUrl& url, CollectionKind kind, const QString& display_name,
                      DavError* error);

  // The URL of a path on this server.
  QUrl Resolve(const QString& href) const;
  // The path part of `url` in the form hrefs are compared in.
  static QString PathOf(const QUrl& url);

  // Makes every request fail with kStopped once `*stop` is true: those in
  // flight are cut off, no new one is sent. The flag may be set from any
  // thread.
  void set_stop(std::shared_ptr<const std::atomic<bool>> stop) {
    transport_.set_stop(std::move(stop));
  }

  // Hrefs the server listed that lead outside their collection (another
  // server, another user's folder), each once, as "href (in collection)":
  // ignored, to be reported.
  const QStringList& ignored() const { return ignored_; }

  // How many requests this client has sent.
  int request_count() const { return transport_.request_count(); }
  // How many of them per method (PUT, REPORT, PROPFIND…).
  const std::map<QByteArray, int>& requests_by_method() const {
    return transport_.requests_by_method();
  }
  // How many hrefs go in one multiget (256 unless changed).
  int multiget_batch() const { return multiget_batch_; }
  void set_multiget_batch(int hrefs) { multiget_batch_ = std::max(1, hrefs); }

 private:
  std::optional<Multistatus> Ask(const QByteArray& verb, const QUrl& url, const QByteArray& depth,
                                 const QByteArray& body, ReplyKind kind, DavError* error);
  std::optional<Multistatus> PropfindOnSameServer(QUrl* url, const QByteArray& body,
                                                  DavError* error);
  std::optional<QUrl> FindPrincipal(DavError* error);
  void ListHome(const QUrl& home, Discovery& found, DavError* error);
  std::optional<std::vector<Resource>> MultigetBatch(const QUrl& collection, CollectionKind kind,
                                                     const QStringList& hrefs, DavError* error);
  WriteResult Judge(const WriteRequest& write, const std::optional<HttpReply>& reply,
                    const DavError& error);
  QString StoredEtag(const QUrl& url, DavError* error);
  // Where `href` from a listing of `collection` points; an href outside is
  // noted in ignored() and gives false.
  bool Inside(const QUrl& collection, const QString& href, QString* path, bool* self = nullptr);

  DavTransport transport_;
  QStringList ignored_;
  int multiget_batch_ = 256;
};

}  // namespace quorvel::sync
