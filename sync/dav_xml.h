// WebDAV multistatus replies (RFC 4918), as CalDAV and CardDAV servers send
// them to PROPFIND and REPORT: parsed from untrusted bytes into plain data,
// as the bytes arrive, within limits the caller sets for the kind of reply.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <vector>

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace quorvel::sync {

// Namespaces the requests and replies use.
inline constexpr char kDavNs[] = "DAV:";
inline constexpr char kCalDavNs[] = "urn:ietf:params:xml:ns:caldav";
inline constexpr char kCardDavNs[] = "urn:ietf:params:xml:ns:carddav";
inline constexpr char kCalServerNs[] = "http://calendarserver.org/ns/";

// "{namespace}name", the key a property is found by.
QString QualifiedName(const char* ns, const char* name);

// One property from a propstat whose status was 2xx.
struct DavProperty {
  QString text;          // the text inside it (of all descendants), as sent
  QStringList hrefs;     // the DAV:href elements inside it, in order
  QStringList children;  // qualified names of its direct child elements
  QStringList names;     // the "name" attributes of its direct children
};

struct DavResponse {
  QString href;                               // as sent (percent-encoded path or full URL)
  int status = 0;                             // the response's own status line, 0 if none
  std::map<QString, DavProperty> properties;  // by qualified name
  std::vector<QString> missing;               // properties reported in a non-2xx propstat

  const DavProperty* Find(const char* ns, const char* name) const;
  QString Text(const char* ns, const char* name) const;
};

struct Multistatus {
  std::vector<DavResponse> responses;
  QString sync_token;  // the top-level DAV:sync-token (RFC 6578), if any
};

// How much of one reply is taken at most. Nesting is always bounded
// (kDeepestNesting), whatever the limits.
struct ReplyLimits {
  qsizetype most_bytes = qsizetype(1) << 20;  // the body as sent
  int most_responses = 100000;                // DAV:response elements
  qsizetype most_text = qsizetype(8) << 20;   // characters in one property
};
inline constexpr int kDeepestNesting = 64;

enum class ParseFailure {
  kNone,
  kMalformed,  // not a multistatus, or cut off
  kTooLarge,   // more bytes than most_bytes
  kTooLong,    // a property's text longer than most_text
  kTooMany,    // more responses than most_responses
};

// Where a streamed body comes from: appends the next bytes to `chunk` and
// returns true, or returns false at the end of the body (or when it could
// not be read further; the source knows why).
using ByteSource = std::function<bool(QByteArray& chunk)>;

// The status code of an HTTP status line ("HTTP/1.1 404 Not Found" -> 404),
// or 0 when the text is not one.
int StatusCode(const QString& status_line);

// The multistatus read from `source`, or nothing when it is not well-formed
// XML with a DAV:multistatus root, or is over `limits` (then `failure` says
// which, and no more is read). Documents with a DTD are refused (no
// entities from outside), and so is nesting deeper than kDeepestNesting.
std::optional<Multistatus> ParseMultistatus(const ByteSource& source, const ReplyLimits& limits,
                                            ParseFailure* failure = nullptr);
// The same for a body already in memory.
std::optional<Multistatus> ParseMultistatus(const QByteArray& body,
                                            const ReplyLimits& limits = ReplyLimits{},
                                            ParseFailure* failure = nullptr);

}  // namespace quorvel::sync
