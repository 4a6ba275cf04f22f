// What the parts of the client share: the transport, multistatus requests
// and the check of hrefs a server lists.
#include "sync/dav_client.h"

#include "sync/dav_href.h"

namespace quorvel::sync {

DavClient::DavClient(const QUrl& server, const QString& user, const QString& password,
                     const TransportLimits& limits)
    : transport_(server, user, password, limits) {}

DavClient::~DavClient() = default;

QUrl DavClient::Resolve(const QString& href) const {
  return transport_.server().resolved(QUrl::fromEncoded(href.toUtf8()));
}

QString DavClient::PathOf(const QUrl& url) { return sync::PathOf(url); }

std::optional<Multistatus> DavClient::Ask(const QByteArray& verb, const QUrl& url,
                                          const QByteArray& depth, const QByteArray& body,
                                          ReplyKind kind, DavError* error) {
  return transport_.SendMultistatus(
      HttpRequest{verb,
                  url,
                  body,
                  {{"Depth", depth}, {"Content-Type", "application/xml; charset=utf-8"}},
                  kind},
      error);
}

bool DavClient::Inside(const QUrl& collection, const QString& href, QString* path, bool* self) {
  const HrefPlace place = PlaceOf(collection, href, path);
  if (self) *self = place == HrefPlace::kSelf;
  if (place == HrefPlace::kOutside) {
    const QString note =
        href + QStringLiteral(" (") + collection.toDisplayString() + QLatin1Char(')');
    if (!ignored_.contains(note)) ignored_ << note;
  }
  return place == HrefPlace::kMember;
}

}  // namespace quorvel::sync
