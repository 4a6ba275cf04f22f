// What the CalDAV/CardDAV client hands back: errors, collections, members,
// resources and writes, as plain data.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <vector>

namespace quorvel::sync {

enum class DavErrorKind {
  kNone,
  kInsecure,        // http:// to another machine, or no usable address
  kLoginInAddress,  // an address with a user name or password in it
  kForeignAddress,  // an address (given or from the server) on another server
  kRedirected,      // the server pointed elsewhere (`where`)
  kUnknownServer,   // the host name does not resolve
  kUnreachable,     // refused, timed out or cut off
  kTimedOut,        // one request took longer than its deadline (`limit` s)
  kRunTooLong,      // the whole run took longer than its deadline (`limit` s)
  kTooLarge,        // a reply (or one item in it) over its size limit (`limit` MiB)
  kTooMany,         // a listing of more than `limit` members
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
  DavError() = default;
  DavError(DavErrorKind kind_, int status_ = 0, QString detail_ = {}, QUrl where_ = {},
           int limit_ = 0)
      : kind(kind_),
        status(status_),
        detail(std::move(detail_)),
        where(std::move(where_)),
        limit(limit_) {}
  DavErrorKind kind = DavErrorKind::kNone;
  int status = 0;  // HTTP status, 0 when there was none
  QString detail;  // the system's or server's own words
  QUrl where;      // the address concerned (redirects, foreign addresses)
  int limit = 0;   // the limit that was reached (kTimedOut, kRunTooLong, kTooLarge)
  explicit operator bool() const { return kind != DavErrorKind::kNone; }
  // One sentence for the user: what went wrong and what to do.
  QString Message() const;
  // Whether nothing more of the run is worth trying after this (the server
  // is away, refuses the account, misbehaves or the run must end); other
  // errors concern one item only.
  bool EndsRun() const;
};

enum class CollectionKind { kCalendar, kAddressBook };

struct Collection {
  QUrl url;
  CollectionKind kind = CollectionKind::kCalendar;
  QString display_name;
  QString ctag;              // calendarserver getctag, if offered
  QString sync_token;        // DAV:sync-token, if offered
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
  QString href;  // the path, percent-encoded, as the server names it
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
  QString etag;  // the new etag of a stored resource (may be empty)
  DavError error;
};

struct SyncChanges {
  std::vector<Member> changed;  // new or changed since the token
  QStringList removed;          // hrefs gone since the token
  QString token;                // the token to give next time
};

}  // namespace quorvel::sync
