#include "sync/dav_transport.h"

#include <QEventLoop>
#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkRequest>

namespace quorvel::sync {

DavError StatusError(int status, const QByteArray& body) {
  DavError error;
  error.status = status;
  error.detail = QString::fromUtf8(body.left(300)).simplified();
  switch (status) {
    case 401:
      error.kind = DavErrorKind::kWrongPassword;
      break;
    case 403:
      error.kind = DavErrorKind::kForbidden;
      break;
    case 404:
    case 410:
      error.kind = DavErrorKind::kNotFound;
      break;
    case 412:
      error.kind = DavErrorKind::kPrecondition;
      break;
    case 507:
      error.kind = DavErrorKind::kQuotaFull;
      break;
    default:
      error.kind = DavErrorKind::kServer;
      break;
  }
  return error;
}

bool IsAllowedAddress(const QUrl& url) {
  if (!url.isValid() || url.host().isEmpty()) return false;
  const QString scheme = url.scheme().toLower();
  if (scheme == QLatin1String("https")) return true;
  if (scheme != QLatin1String("http")) return false;
  const QString host = url.host().toLower();
  if (host == QLatin1String("localhost")) return true;
  const QHostAddress address(host);
  return !address.isNull() && address.isLoopback();
}

DavTransport::DavTransport(const QUrl& server, const QString& user, const QString& password,
                           const TransportLimits& limits)
    : server_(server.adjusted(QUrl::RemoveUserInfo)),
      limits_(limits),
      run_deadline_(limits.run_ms),
      network_(std::make_unique<QNetworkAccessManager>()) {
  if (server_.path().isEmpty()) server_.setPath(QStringLiteral("/"));
  if (!server.userInfo().isEmpty()) {
    login_problem_ = DavError{DavErrorKind::kLoginInAddress, 0, {}, server_};
  }
  authorization_ = "Basic " + (user + QLatin1Char(':') + password).toUtf8().toBase64();
  network_->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
}

DavTransport::~DavTransport() = default;

ReplyLimits DavTransport::LimitsFor(ReplyKind kind) const {
  ReplyLimits limits;
  switch (kind) {
    case ReplyKind::kListing:
      limits.most_bytes = limits_.listing_bytes;
      limits.most_responses = limits_.listing_responses;
      limits.most_text = limits_.answer_bytes;
      break;
    case ReplyKind::kBatch:
      limits.most_bytes = limits_.batch_bytes;
      limits.most_text = limits_.resource_bytes;
      break;
    case ReplyKind::kResource:
      limits.most_bytes = limits_.resource_bytes;
      limits.most_text = limits_.resource_bytes;
      break;
    case ReplyKind::kAnswer:
      limits.most_bytes = limits_.answer_bytes;
      limits.most_text = limits_.answer_bytes;
      break;
  }
  return limits;
}

void DavTransport::Poke() {
  if (waiting_) waiting_->quit();
}

void DavTransport::Wait(const std::function<bool()>& done) {
  QEventLoop loop;
  QEventLoop* outer = waiting_;
  waiting_ = &loop;
  while (!done()) loop.exec(QEventLoop::ExcludeUserInputEvents);
  waiting_ = outer;
  // What happened meanwhile may be what the outer wait waits for.
  if (outer) outer->quit();
}

}  // namespace quorvel::sync
