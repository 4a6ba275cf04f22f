// One request's life: sent only to the named server, cut off by its
// deadline, the run's deadline or the stop flag, sent again after a short
// Retry-After, and read within its size limit, whole or as it arrives.
#include <algorithm>

#include <QDateTime>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslError>
#include <QTimer>

#include "sync/dav_href.h"
#include "sync/dav_transport.h"

namespace quorvel::sync {
namespace {

constexpr qsizetype kPart = 64 * 1024;  // bytes handed to the parser at a time
constexpr int kStopCheckMs = 50;

void Fail(DavError* error, DavError value) {
  if (error) *error = std::move(value);
}

int Mebibytes(qsizetype bytes) { return int((bytes + (1 << 20) - 1) >> 20); }

// Seconds a Retry-After header asks for (a number, or an HTTP date), or -1.
qint64 RetryAfterSeconds(const QByteArray& value) {
  const QByteArray text = value.trimmed();
  if (text.isEmpty()) return -1;
  bool number = false;
  const qint64 seconds = text.toLongLong(&number);
  if (number) return seconds >= 0 ? seconds : -1;
  const QDateTime when = QDateTime::fromString(QString::fromLatin1(text), Qt::RFC2822Date);
  if (!when.isValid()) return -1;
  return std::max<qint64>(0, QDateTime::currentDateTimeUtc().secsTo(when));
}

// An error from Qt's network layer itself rather than from the HTTP status.
bool CutOff(QNetworkReply::NetworkError error) {
  return error != QNetworkReply::NoError &&
         (int(error) < 200 || error == QNetworkReply::ProtocolFailure);
}

}  // namespace

// One request, from its first attempt to its last byte: the deadline and
// the stop flag cut it off, a short Retry-After sends it again, the size
// limit ends it as soon as it is passed.
class DavTransport::Exchange : public QObject {
 public:
  Exchange(DavTransport& transport, HttpRequest request, bool streamed)
      : t_(transport),
        request_(std::move(request)),
        streamed_(streamed),
        limit_(t_.LimitsFor(request_.kind).most_bytes) {}

  ~Exchange() override { Drop(); }

  void Begin() {
    const qint64 run_left = t_.run_deadline_.remainingTime();
    const bool run_binds = run_left >= 0 && run_left < t_.limits_.request_ms;
    if (run_left == 0) {
      return Cut(DavError{DavErrorKind::kRunTooLong, 0, {}, {}, t_.limits_.run_ms / 1000});
    }
    deadline_ = QDeadlineTimer(run_binds ? run_left : t_.limits_.request_ms);
    deadline_timer_.setSingleShot(true);
    connect(&deadline_timer_, &QTimer::timeout, this, [this, run_binds] {
      if (run_binds) {
        Cut(DavError{DavErrorKind::kRunTooLong, 0, {}, {}, t_.limits_.run_ms / 1000});
      } else {
        Cut(DavError{DavErrorKind::kTimedOut,
                     0,
                     request_.url.toDisplayString(),
                     {},
                     t_.limits_.request_ms / 1000});
      }
    });
    deadline_timer_.start(int(deadline_.remainingTime()));
    if (t_.stop_) {
      connect(&stop_timer_, &QTimer::timeout, this, [this] {
        if (t_.stopping()) Cut(DavError{DavErrorKind::kStopped, 0, {}});
      });
      stop_timer_.start(kStopCheckMs);
    }
    Attempt();
  }

  bool landed() const { return landed_; }
  bool head_ready() const { return head_ready_; }
  const DavError& failure() const { return failure_; }
  const HttpReply& reply() const { return data_; }

  // The next bytes of a streamed body; false at its end or once cut off.
  bool Pull(QByteArray& chunk) {
    while (!cut_) {
      if (reply_ && reply_->bytesAvailable() > 0) {
        const QByteArray part = reply_->read(kPart);
        received_ += part.size();
        if (received_ > limit_) {
          TooLarge();
          return false;
        }
        chunk += part;
        return true;
      }
      if (landed_) return false;
      t_.Wait([this] { return cut_ || landed_ || (reply_ && reply_->bytesAvailable() > 0); });
    }
    return false;
  }

  // Ends the exchange now with `why` (kept if it had ended otherwise).
  void Cut(DavError why) {
    if (landed_) {
      if (!failure_) failure_ = std::move(why);
      return;
    }
    cut_ = true;
    failure_ = std::move(why);
    retry_timer_.stop();
    Drop();
    Land();
  }

  void TooLarge(qsizetype limit = 0) {
    Cut(DavError{DavErrorKind::kTooLarge,
                 0,
                 request_.url.toDisplayString(),
                 {},
                 Mebibytes(limit > 0 ? limit : limit_)});
  }

 private:
  void Attempt() {
    const QUrl& url = request_.url;
    if (t_.login_problem_) return Cut(t_.login_problem_);
    if (!IsAllowedAddress(url))
      return Cut(DavError{DavErrorKind::kInsecure, 0, url.toDisplayString()});
    if (!url.userInfo().isEmpty()) {
      return Cut(
          DavError{DavErrorKind::kLoginInAddress, 0, {}, url.adjusted(QUrl::RemoveUserInfo)});
    }
    // The credentials go to the server the user named and nowhere else.
    if (!SameOrigin(url, t_.server_)) {
      return Cut(DavError{DavErrorKind::kForeignAddress, 0, t_.server_.toDisplayString(), url});
    }
    if (t_.stopping()) return Cut(DavError{DavErrorKind::kStopped, 0, {}});
    QNetworkRequest request(url);
    request.setRawHeader("Authorization", t_.authorization_);
    request.setRawHeader("User-Agent", "Quorvel");
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setTransferTimeout(t_.limits_.silence_ms);
    for (const auto& [name, value] : request_.headers) request.setRawHeader(name, value);
    ++t_.request_count_;
    ++t_.requests_by_method_[request_.verb];
    head_seen_ = false;
    retrying_ = false;
    reply_ = t_.network_->sendCustomRequest(request, request_.verb, request_.body);
    if (streamed_) reply_->setReadBufferSize(4 * kPart);
    connect(reply_, &QNetworkReply::metaDataChanged, this, [this] { OnHead(); });
    connect(reply_, &QNetworkReply::readyRead, this, [this] { OnData(); });
    connect(reply_, &QNetworkReply::finished, this, [this] { OnFinished(); });
    connect(reply_, &QNetworkReply::sslErrors, this, [this](const QList<QSslError>& errors) {
      QStringList texts;
      for (const QSslError& e : errors) texts << e.errorString();
      certificate_problem_ = texts.join(QStringLiteral("; "));
    });
  }

  void OnHead() {
    if (head_seen_ || !reply_) return;
    const QVariant status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid()) return;
    head_seen_ = true;
    data_.status = status.toInt();
    if ((data_.status == 503 || data_.status == 429) && attempts_ < t_.limits_.most_retries) {
      const qint64 wait = RetryAfterSeconds(reply_->rawHeader("Retry-After"));
      if (wait >= 0 && wait <= t_.limits_.longest_retry_wait_s &&
          wait * 1000 < deadline_.remainingTime()) {
        retrying_ = true;
        retry_wait_ms_ = int(wait * 1000);
        return;
      }
    }
    data_.etag = reply_->rawHeader("ETag");
    const QByteArray location = reply_->rawHeader("Location");
    data_.location =
        location.isEmpty() ? QUrl() : request_.url.resolved(QUrl::fromEncoded(location));
    const QVariant length = reply_->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid() && length.toLongLong() > limit_) return TooLarge();
    head_ready_ = true;
    t_.Poke();
  }

  void OnData() {
    if (!reply_) return;
    OnHead();
    if (retrying_) {
      reply_->readAll();  // the waiting notice itself is of no use
      return;
    }
    if (!streamed_) {
      const QByteArray part = reply_->readAll();
      received_ += part.size();
      if (received_ > limit_) return TooLarge();
      data_.body += part;
    }
    t_.Poke();
  }

  void OnFinished() {
    if (landed_ || !reply_) return;
    OnHead();
    if (retrying_) {
      // Asked to come back shortly: the same request once more.
      ++attempts_;
      Drop();
      retry_timer_.setSingleShot(true);
      connect(
          &retry_timer_, &QTimer::timeout, this, [this] { Attempt(); }, Qt::SingleShotConnection);
      retry_timer_.start(retry_wait_ms_);
      return;
    }
    const QNetworkReply::NetworkError error = reply_->error();
    if (!head_seen_ || CutOff(error)) {
      failure_ = NetworkFailure(error);
    } else if (!streamed_) {
      const QByteArray rest = reply_->readAll();
      received_ += rest.size();
      if (received_ > limit_) return TooLarge();
      data_.body += rest;
    }
    Land();
  }

  DavError NetworkFailure(QNetworkReply::NetworkError error) const {
    DavError failure;
    failure.detail = reply_->errorString();
    switch (error) {
      case QNetworkReply::HostNotFoundError:
        failure.kind = DavErrorKind::kUnknownServer;
        break;
      case QNetworkReply::SslHandshakeFailedError:
        failure.kind = DavErrorKind::kCertificate;
        if (!certificate_problem_.isEmpty()) failure.detail = certificate_problem_;
        break;
      default:
        failure.kind = certificate_problem_.isEmpty() ? DavErrorKind::kUnreachable
                                                      : DavErrorKind::kCertificate;
        if (!certificate_problem_.isEmpty()) failure.detail = certificate_problem_;
        break;
    }
    return failure;
  }

  // Lets go of the reply (cutting it off when it still runs).
  void Drop() {
    if (!reply_) return;
    QNetworkReply* reply = reply_;
    reply_ = nullptr;
    disconnect(reply, nullptr, this, nullptr);
    if (!reply->isFinished()) reply->abort();
    reply->deleteLater();
  }

  void Land() {
    if (landed_) return;
    landed_ = true;
    deadline_timer_.stop();
    stop_timer_.stop();
    t_.Poke();
  }

  DavTransport& t_;
  HttpRequest request_;
  const bool streamed_;
  const qsizetype limit_;
  QNetworkReply* reply_ = nullptr;
  QString certificate_problem_;
  QDeadlineTimer deadline_;
  QTimer deadline_timer_;
  QTimer stop_timer_;
  QTimer retry_timer_;
  int attempts_ = 0;
  int retry_wait_ms_ = 0;
  bool head_seen_ = false;   // of the current attempt
  bool retrying_ = false;    // the current attempt's answer asks for another
  bool head_ready_ = false;  // of the answer that counts
  bool landed_ = false;
  bool cut_ = false;
  qsizetype received_ = 0;
  HttpReply data_;
  DavError failure_;
};

void DavTransport::ExchangeEnd::operator()(Exchange* exchange) const { delete exchange; }

DavTransport::ExchangePtr DavTransport::Begin(const HttpRequest& request) {
  ExchangePtr exchange(new Exchange(*this, request, false));
  exchange->Begin();
  return exchange;
}

bool DavTransport::Landed(const Exchange& exchange) { return exchange.landed(); }

std::optional<HttpReply> DavTransport::Take(Exchange& exchange, DavError* error) {
  if (exchange.failure()) {
    Fail(error, exchange.failure());
    return std::nullopt;
  }
  return exchange.reply();
}

std::optional<HttpReply> DavTransport::Send(const HttpRequest& request, DavError* error) {
  Exchange exchange(*this, request, false);
  exchange.Begin();
  Wait([&] { return exchange.landed(); });
  return Take(exchange, error);
}

std::optional<Multistatus> DavTransport::SendMultistatus(const HttpRequest& request,
                                                         DavError* error) {
  Exchange exchange(*this, request, true);
  exchange.Begin();
  Wait([&] { return exchange.landed() || exchange.head_ready(); });
  if (exchange.failure()) {
    Fail(error, exchange.failure());
    return std::nullopt;
  }
  const HttpReply& head = exchange.reply();
  if (head.status != 207) {
    QByteArray body;
    while (body.size() < 4096 && exchange.Pull(body)) {
    }
    if (exchange.failure() && exchange.failure().kind != DavErrorKind::kTooLarge) {
      Fail(error, exchange.failure());
    } else if (head.status >= 300 && head.status < 400) {
      Fail(error, DavError{DavErrorKind::kRedirected, head.status, request.url.toDisplayString(),
                           head.location});
    } else {
      Fail(error, StatusError(head.status, body));
    }
    return std::nullopt;
  }
  ParseFailure why = ParseFailure::kNone;
  auto parsed = ParseMultistatus([&](QByteArray& chunk) { return exchange.Pull(chunk); },
                                 LimitsFor(request.kind), &why);
  if (exchange.failure()) {
    Fail(error, exchange.failure());
    return std::nullopt;
  }
  if (!parsed) {
    const ReplyLimits limits = LimitsFor(request.kind);
    if (why == ParseFailure::kTooLarge || why == ParseFailure::kTooLong) {
      exchange.TooLarge(why == ParseFailure::kTooLong ? limits.most_text : limits.most_bytes);
      Fail(error, exchange.failure());
    } else if (why == ParseFailure::kTooMany) {
      exchange.Cut(DavError{
          DavErrorKind::kTooMany, 207, request.url.toDisplayString(), {}, limits.most_responses});
      Fail(error, exchange.failure());
    } else {
      Fail(error, DavError{DavErrorKind::kBadReply, 207, QStringLiteral("no multistatus")});
    }
  }
  return parsed;
}

}  // namespace quorvel::sync
