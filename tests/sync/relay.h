// A local HTTP relay in front of a test server, for conditions a real server
// does not produce on demand: answers that come slowly (a slow network) and
// writes refused with a chosen status (a full account: 507). It runs on a
// thread of its own, so a client that blocks its thread is still served.
#pragma once

#include <atomic>
#include <memory>

#include <QThread>
#include <QUrl>

namespace quorvel::testing {

class Relay {
 public:
  struct Options {
    int delay_ms = 0;        // each answer is held back this long
    int refuse_puts = 0;     // answer every PUT with this status instead (0: forward)
  };
  Relay(const QUrl& upstream, Options options);
  ~Relay();
  Relay(const Relay&) = delete;
  Relay& operator=(const Relay&) = delete;

  // The relay's address, with the upstream's path; invalid if it could not listen.
  QUrl url() const;
  // How many PUTs were answered by the relay itself.
  int refused() const { return refused_; }
  // The most requests that were waiting for their answers at one time.
  int most_in_flight() const { return most_in_flight_; }

 private:
  class Server;
  QUrl upstream_;
  Options options_;
  QThread thread_;
  Server* server_ = nullptr;
  int port_ = 0;
  std::atomic<int> refused_{0};
  int in_flight_ = 0;  // used on the relay's thread only
  std::atomic<int> most_in_flight_{0};
};

}  // namespace quorvel::testing
