#include "sync/dav_href.h"

#include <QStringList>

namespace quorvel::sync {
namespace {

int PortOf(const QUrl& url) {
  return url.port(url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0 ? 443
                                                                                         : 80);
}

// The collection's decoded path, ending in exactly one "/".
QString Folder(const QUrl& collection) {
  QString folder = DecodedPath(PathOf(collection));
  if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
  return folder;
}

}  // namespace

bool SameOrigin(const QUrl& a, const QUrl& b) {
  return a.scheme().compare(b.scheme(), Qt::CaseInsensitive) == 0 &&
         a.host().compare(b.host(), Qt::CaseInsensitive) == 0 && PortOf(a) == PortOf(b);
}

QString PathOf(const QUrl& url) { return url.path(QUrl::FullyEncoded); }

QString DecodedPath(const QString& path) {
  const QString decoded = QUrl::fromPercentEncoding(path.toUtf8());
  const QStringList segments = decoded.split(QLatin1Char('/'));
  QStringList kept;
  for (qsizetype i = 0; i < segments.size(); ++i) {
    const QString& segment = segments[i];
    const bool last = i + 1 == segments.size();
    if (segment == QLatin1String(".")) {
      if (last) kept << QString();
    } else if (segment == QLatin1String("..")) {
      if (kept.size() > 1) kept.removeLast();
      if (last) kept << QString();
    } else {
      kept << segment;
    }
  }
  QString result = kept.join(QLatin1Char('/'));
  if (!result.startsWith(QLatin1Char('/'))) result.prepend(QLatin1Char('/'));
  return result;
}

HrefPlace PlaceOf(const QUrl& collection, const QString& href, QString* path) {
  const QUrl given = QUrl::fromEncoded(href.toUtf8());
  if (!given.isValid() || !given.userInfo().isEmpty()) return HrefPlace::kOutside;
  const QUrl url = collection.resolved(given);
  if (!SameOrigin(url, collection) || url.hasQuery() || url.hasFragment()) {
    return HrefPlace::kOutside;
  }
  const QString folder = Folder(collection);
  QString decoded = DecodedPath(PathOf(url));
  if (decoded == folder || decoded + QLatin1Char('/') == folder) return HrefPlace::kSelf;
  if (!decoded.startsWith(folder)) return HrefPlace::kOutside;
  QString name = decoded.mid(folder.size());
  if (name.endsWith(QLatin1Char('/'))) name.chop(1);
  if (name.isEmpty() || name.contains(QLatin1Char('/')) || name.contains(QChar(0))) {
    return HrefPlace::kOutside;
  }
  if (path) *path = PathOf(url);
  return HrefPlace::kMember;
}

std::optional<QUrl> OnSameServer(const QUrl& base, const QString& href) {
  const QUrl given = QUrl::fromEncoded(href.toUtf8());
  if (!given.isValid() || !given.userInfo().isEmpty()) return std::nullopt;
  const QUrl url = base.resolved(given);
  if (!SameOrigin(url, base)) return std::nullopt;
  return url;
}

}  // namespace quorvel::sync
