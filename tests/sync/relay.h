// A local HTTP relay in front of a test server, for conditions a real server
// does not produce on demand: answers that come slowly (a slow network),
// writes refused with a chosen status (a full account: 507), and chosen
// faults at chosen requests (resets, 5xx with or without Retry-After,
// redirections, dripping and endless bodies, answers rewritten on the way).
// It records every request it saw. It runs on a thread of its own, so a
// client that blocks its thread is still served.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include <QByteArray>
#include <QThread>
#include <QUrl>

namespace quorvel::testing {

class Relay {
 public:
  struct Options {
    int delay_ms = 0;     // each answer is held back this long
    int refuse_puts = 0;  // answer every PUT with this status instead (0: forward)
  };

  // What the relay does to a request that matches (instead of forwarding it).
  struct Fault {
    enum class Kind {
      kReset,     // the connection is closed, no answer
      kStatus,    // answered here: `status`, with Retry-After when given
      kRedirect,  // answered here: `status` (a 3xx) to `location`
      kDrip,      // answered here: a 207 whose body comes one byte every `drip_ms`
      kHuge,      // answered here: a 207 of `huge_bytes` (-1: without end) of blanks
      kRewrite,   // forwarded; the answer's body passes through `rewrite`
    };
    Kind kind = Kind::kReset;
    QByteArray method;     // only requests with this method ("": any)
    QByteArray path_part;  // only requests whose path holds this ("": any)
    int skip = 0;          // matching requests let through before the first one hit
    int times = 1;         // matching requests hit (-1: every one)
    int status = 503;
    QByteArray retry_after;
    QUrl location;
    int drip_ms = 1000;
    qint64 huge_bytes = -1;
    bool announce_length = true;  // kHuge: with a Content-Length header
    std::function<QByteArray(const QByteArray&)> rewrite;
  };

  // One request as the relay received it.
  struct Seen {
    QByteArray method;
    QByteArray path;
    bool authorized = false;  // it carried an Authorization header
    QByteArray body;
    bool hit = false;  // a fault was applied to it
  };

  Relay(const QUrl& upstream, Options options);
  ~Relay();
  Relay(const Relay&) = delete;
  Relay& operator=(const Relay&) = delete;

  // Faults from now on (replacing earlier ones), checked in order.
  void SetFaults(std::vector<Fault> faults);

  // The relay's address, with the upstream's path; invalid if it could not listen.
  QUrl url() const;
  // How many PUTs were answered by the relay itself.
  int refused() const { return refused_; }
  // The most requests that were waiting for their answers at one time.
  int most_in_flight() const { return most_in_flight_; }
  // Every request so far, in the order received.
  std::vector<Seen> seen() const;
  // How many requests a fault was applied to.
  int hits() const;

 private:
  class Server;
  struct FaultState {
    Fault fault;
    int skipped = 0;
    int hit = 0;
  };
  // The fault for this request, if any (counts it).
  std::optional<Fault> Match(const QByteArray& method, const QByteArray& path);

  QUrl upstream_;
  Options options_;
  QThread thread_;
  Server* server_ = nullptr;
  int port_ = 0;
  std::atomic<int> refused_{0};
  int in_flight_ = 0;  // used on the relay's thread only
  std::atomic<int> most_in_flight_{0};
  mutable std::mutex mutex_;  // guards faults_ and seen_
  std::vector<FaultState> faults_;
  std::vector<Seen> seen_;
};

}  // namespace quorvel::testing
