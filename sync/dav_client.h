// A CalDAV (RFC 4791) and CardDAV (RFC 6352) client on Qt Network.
//
// Every call blocks until the server has answered (running its own event
// loop), so it belongs on a worker thread; the client must be used from the
// thread that created it. HTTPS is checked against the system's certificate
// authorities; plain HTTP is refused for anything but this machine.
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

#include "sync/dav_xml.h"

class QNetworkAccessManager;

class QEventLoop;

namespace quorvel::sync {

enum class DavErrorKind {
  kNone,
  kInsecure,        // http:// to another machine, or no usable address
  kUnknownServer,   // the host name does not resolve
  kUnreachable,     // refused, timed out or cut off
  kCertificate,     // the server's certificate was not accepted
  kWrongPassword,   // 401
  kForbidden,       // 403
  kNotFound,        // 404 / 410
  kPrecondition,    // 412: the resource changed (or appeared) meanwhile
  kQuotaFull,       // 507
  kBadReply,        // not the reply a DAV server sends
  kServer,          // any other failure status
  kStopped,         // the user stopped the sync
};

struct DavError {
  DavErrorKind kind = DavErrorKind::kNone;
  int status = 0;      // HTTP status, 0 when there was none
  QString detail;      // the system's or server's own words
  explicit operator bool() const { return kind != DavErrorKind::kNone; }
  // One sentence for the user: what went wrong and what to do.
  QString Message() const;
};

enum class CollectionKind { kCalendar, kAddressBook };

struct Collection {
  QUrl url;
  CollectionKind kind = CollectionKind::kCalendar;
  QString display_name;
  QString ctag;          // calendarserver getctag, if offered
  QString sync_token;    // DAV:sync-token, if offered
  bool holds_events = true;  // a calendar whose component set admits VEVENT
};

struct Discovery {
  QUrl principal;
  QUrl calendar_home;
  QUrl addressbook_home;
  std::vector<Collection> collections;
};

// One member of a collection: its path on the server and its entity tag.
struct Member {
  QString href;   // the path, percent-encoded, as the server names it
  QString etag;
};

struct Resource {
  QString href;
  QString etag;
  QByteArray data;  // the iCalendar or vCard text
};

// One write of a batch: a PUT of `data` (conditional on `etag` as in Put),
// or, with `remove`, a DELETE (conditional on `etag` when given).
struct WriteRequest {
  QString href;
  CollectionKind kind = CollectionKind::kCalendar;
  QByteArray data;
  QString etag;
  bool remove = false;
};

struct WriteResult {
  bool ok = false;
  QString etag;   // the new etag of a stored resource (may be empty)
  DavError error;
};

struct SyncChanges {
  std::vector<Member> changed;   // new or changed since the token
  QStringList removed;           // hrefs gone since the token
  QString token;                 // the token to give next time
};

class DavClient {
 public:
  // `server` is any URL on the server (its root or a collection).
  DavClient(const QUrl& server, const QString& user, const QString& password);
  ~DavClient();
  DavClient(const DavClient&) = delete;
  DavClient& operator=(const DavClient&) = delete;

  // Whether `url` may be used at all: https://, or http:// to this machine.
  static bool IsAllowed(const QUrl& url);

  // Follows RFC 6764 (/.well-known/caldav and carddav), the user's
  // principal and home sets, and lists the calendars and address books
  // found in the homes.
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
  // addressbook-multiget); hrefs the server no longer has are left out.
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
  void set_stop(std::shared_ptr<const std::atomic<bool>> stop) { stop_ = std::move(stop); }

  // How many requests this client has sent.
  int request_count() const { return request_count_; }
  // How many of them per method (PUT, REPORT, PROPFIND…).
  const std::map<QByteArray, int>& requests_by_method() const { return requests_by_method_; }
  // How many hrefs go in one multiget (256 unless changed).
  int multiget_batch() const { return multiget_batch_; }
  void set_multiget_batch(int hrefs) { multiget_batch_ = std::max(1, hrefs); }

 private:
  struct InFlight;
  struct Reply {
    int status = 0;
    QByteArray body;
    QByteArray etag;
    QUrl location;
  };
  std::unique_ptr<InFlight> Start(const QByteArray& verb, const QUrl& url,
                                 const QByteArray& body,
                                 const QList<std::pair<QByteArray, QByteArray>>& headers,
                                 DavError* error);
  std::optional<Reply> Finish(InFlight& flight, DavError* error);
  WriteResult Judge(const WriteRequest& write, const std::optional<Reply>& reply,
                    const DavError& error);
  QString StoredEtag(const QUrl& url, DavError* error);
  std::optional<Reply> Send(const QByteArray& verb, const QUrl& url, const QByteArray& body,
                            const QList<std::pair<QByteArray, QByteArray>>& headers,
                            DavError* error);
  std::optional<Multistatus> SendMultistatus(const QByteArray& verb, const QUrl& url,
                                             const QByteArray& depth, const QByteArray& body,
                                             DavError* error);
  std::optional<Multistatus> PropfindFollowingRedirects(QUrl* url, const QByteArray& depth,
                                                        const QByteArray& body, DavError* error);
  std::optional<QUrl> FindPrincipal(DavError* error);
  void ListHome(const QUrl& home, Discovery& found, DavError* error);

  QUrl server_;
  QByteArray authorization_;
  std::unique_ptr<QNetworkAccessManager> network_;
  std::shared_ptr<const std::atomic<bool>> stop_;
  bool Stopping() const { return stop_ && stop_->load(); }
  // While `loop` runs, checks the stop flag now and then and calls `cut`
  // once it is set.
  void WatchStop(QEventLoop& loop, const std::function<void()>& cut) const;
  int request_count_ = 0;
  std::map<QByteArray, int> requests_by_method_;
  int multiget_batch_ = 256;
};

}  // namespace quorvel::sync
