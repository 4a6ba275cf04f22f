// HTTP for the CalDAV/CardDAV client: every request goes only to the server
// the user named, carries the credentials, is held to a size limit suited
// to the kind of reply and to deadlines, and is tried again within the run
// when the server asks for a short wait (503 or 429 with Retry-After).
//
// Blocking calls run an event loop of their own, so the transport belongs
// on one thread (the one that made it). One request's life is in
// dav_exchange.cpp.
#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include <QByteArray>
#include <QDeadlineTimer>
#include <QList>
#include <QString>
#include <QUrl>

#include "sync/dav_types.h"
#include "sync/dav_xml.h"

class QEventLoop;
class QNetworkAccessManager;

namespace quorvel::sync {

// The bounds of one client's work. Sizes are of the body as sent.
struct TransportLimits {
  int silence_ms = 60 * 1000;                     // no byte for this long: the request is cut off
  int request_ms = 5 * 60 * 1000;                 // one request from start to end, waits included
  int run_ms = 30 * 60 * 1000;                    // every request of the client together
  int longest_retry_wait_s = 20;                  // a Retry-After up to this long is waited for
  int most_retries = 2;                           // times one request is tried again
  qsizetype listing_bytes = qsizetype(32) << 20;  // members with their etags
  int listing_responses = 100000;
  qsizetype batch_bytes = qsizetype(32) << 20;    // one multiget's resources
  qsizetype resource_bytes = qsizetype(8) << 20;  // one resource
  qsizetype answer_bytes = qsizetype(1) << 20;    // anything else
};

// What a reply is expected to hold, which decides its size limit.
enum class ReplyKind { kAnswer, kListing, kBatch, kResource };

using HttpHeaders = QList<std::pair<QByteArray, QByteArray>>;

struct HttpRequest {
  QByteArray verb;
  QUrl url;
  QByteArray body;
  HttpHeaders headers;
  ReplyKind kind = ReplyKind::kAnswer;
};

struct HttpReply {
  int status = 0;
  QByteArray body;
  QByteArray etag;
  QUrl location;  // resolved against the request's address
};

class DavTransport {
 public:
  DavTransport(const QUrl& server, const QString& user, const QString& password,
               const TransportLimits& limits = TransportLimits{});
  ~DavTransport();
  DavTransport(const DavTransport&) = delete;
  DavTransport& operator=(const DavTransport&) = delete;

  // The server as named, without any user name or password.
  const QUrl& server() const { return server_; }
  const TransportLimits& limits() const { return limits_; }
  ReplyLimits LimitsFor(ReplyKind kind) const;

  // The whole reply, at most its kind's size.
  std::optional<HttpReply> Send(const HttpRequest& request, DavError* error);
  // A 207 multistatus, parsed as it arrives. Any other status is an error;
  // a redirection is kRedirected with its target in `where`.
  std::optional<Multistatus> SendMultistatus(const HttpRequest& request, DavError* error);

  // Requests in flight together: each starts at once; Wait returns when a
  // condition on them holds (looked at again whenever one makes progress);
  // Take gives the answer of one that has landed.
  class Exchange;
  struct ExchangeEnd {
    void operator()(Exchange* exchange) const;
  };
  using ExchangePtr = std::unique_ptr<Exchange, ExchangeEnd>;
  ExchangePtr Begin(const HttpRequest& request);
  static bool Landed(const Exchange& exchange);
  std::optional<HttpReply> Take(Exchange& exchange, DavError* error);
  // Runs the event loop until `done()` holds.
  void Wait(const std::function<bool()>& done);

  // Makes every request fail with kStopped once `*stop` is true.
  void set_stop(std::shared_ptr<const std::atomic<bool>> stop) { stop_ = std::move(stop); }
  bool stopping() const { return stop_ && stop_->load(); }

  int request_count() const { return request_count_; }
  const std::map<QByteArray, int>& requests_by_method() const { return requests_by_method_; }

 private:
  friend class Exchange;
  QUrl server_;
  QByteArray authorization_;
  DavError login_problem_;  // the address as given held a user name or password
  TransportLimits limits_;
  QDeadlineTimer run_deadline_;
  std::unique_ptr<QNetworkAccessManager> network_;
  std::shared_ptr<const std::atomic<bool>> stop_;
  void Poke();  // the innermost Wait looks again
  QEventLoop* waiting_ = nullptr;
  int request_count_ = 0;
  std::map<QByteArray, int> requests_by_method_;
};

// The error an HTTP failure status stands for.
DavError StatusError(int status, const QByteArray& body);

// Whether `url` may be used at all: https://, or http:// to this machine.
bool IsAllowedAddress(const QUrl& url);

}  // namespace quorvel::sync
