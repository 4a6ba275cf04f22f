// Which addresses a server may send Quorvel to. Credentials go only to the
// server the user named (the same scheme, host and port), and a member a
// server lists must lie inside the collection it was listed in, judged on
// the decoded path with dot segments removed, the way the server itself
// will read it.
#pragma once

#include <optional>

#include <QString>
#include <QUrl>

namespace quorvel::sync {

// Same scheme, host and port (a missing port counts as the scheme's own).
bool SameOrigin(const QUrl& a, const QUrl& b);

// The path part of `url` in the form hrefs are compared in.
QString PathOf(const QUrl& url);

// `path` percent-decoded, with "." and ".." segments removed as a server
// resolves them ("/a/b/../c" -> "/a/c"; above the root stays at the root).
QString DecodedPath(const QString& path);

enum class HrefPlace {
  kSelf,     // the collection itself
  kMember,   // directly inside it
  kOutside,  // anywhere else: another server, a parent, a sibling, deeper
};

// Where `href` (as a server sent it, relative or absolute) points, seen
// from `collection`. For kMember, `*path` is its path in the form hrefs are
// compared in (PathOf).
HrefPlace PlaceOf(const QUrl& collection, const QString& href, QString* path = nullptr);

// `href` resolved against `base` (an address on the server), or nothing
// when it leads to another server or carries a user name or password.
std::optional<QUrl> OnSameServer(const QUrl& base, const QString& href);

}  // namespace quorvel::sync
