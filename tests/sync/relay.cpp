#include "tests/sync/relay.h"

#include <algorithm>
#include <memory>
#include <optional>

#include <QMetaObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace quorvel::testing {
namespace {

// The value of header `name` (lower case, with the colon) in `head`.
QByteArray Header(const QByteArray& head, const QByteArray& name) {
  for (const QByteArray& line : head.split('\n')) {
    if (line.toLower().startsWith(name)) return line.mid(name.size()).trimmed();
  }
  return QByteArray();
}

// An answer complete in `bytes` (head and body, Content-Length or chunked):
// its head and decoded body, and how many bytes it took; nothing yet when
// more must come.
struct Whole {
  QByteArray head;
  QByteArray body;
  qsizetype used = 0;
};
std::optional<Whole> WholeAnswer(const QByteArray& bytes) {
  const qsizetype head_end = bytes.indexOf("\r\n\r\n");
  if (head_end < 0) return std::nullopt;
  Whole whole;
  whole.head = bytes.left(head_end);
  qsizetype at = head_end + 4;
  if (Header(whole.head, "transfer-encoding:").toLower() == "chunked") {
    while (true) {
      const qsizetype line_end = bytes.indexOf("\r\n", at);
      if (line_end < 0) return std::nullopt;
      bool ok = false;
      const qsizetype size =
          bytes.mid(at, line_end - at).split(';').front().trimmed().toLongLong(&ok, 16);
      if (!ok) return std::nullopt;
      if (size == 0) {
        const qsizetype end = bytes.indexOf("\r\n", line_end + 2);
        if (end < 0) return std::nullopt;
        whole.used = end + 2;
        return whole;
      }
      if (bytes.size() < line_end + 2 + size + 2) return std::nullopt;
      whole.body += bytes.mid(line_end + 2, size);
      at = line_end + 2 + size + 2;
    }
  }
  const qsizetype length = Header(whole.head, "content-length:").toLongLong();
  if (bytes.size() < at + length) return std::nullopt;
  whole.body = bytes.mid(at, length);
  whole.used = at + length;
  return whole;
}

QByteArray Rebuilt(const Whole& whole, const QByteArray& body) {
  QByteArray head;
  for (const QByteArray& line : whole.head.split('\n')) {
    const QByteArray lower = line.toLower();
    if (lower.startsWith("content-length:") || lower.startsWith("transfer-encoding:")) continue;
    head += line.trimmed() + "\r\n";
  }
  return head + "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

}  // namespace

// Relays each client connection to its own upstream connection. Requests
// are cut out of the client's stream (head and Content-Length body) so one
// can be answered here; answers are passed back byte for byte unless one
// is to be rewritten.
class Relay::Server : public QTcpServer {
 public:
  Server(Relay& relay) : relay_(relay) {}

 protected:
  struct Connection {
    QByteArray buffer;     // from the client, not yet cut into requests
    bool waiting = false;  // a request sent, its answer not begun
    std::function<QByteArray(const QByteArray&)> rewrite;  // of the answer on its way
    QByteArray answer;                                     // the answer to rewrite, so far
  };

  void incomingConnection(qintptr descriptor) override {
    auto* client = new QTcpSocket(this);
    client->setSocketDescriptor(descriptor);
    auto* upstream = new QTcpSocket(client);
    upstream->connectToHost(relay_.upstream_.host(), quint16(relay_.upstream_.port()));
    auto state = std::make_shared<Connection>();
    QPointer<QTcpSocket> to_client(client);
    connect(client, &QTcpSocket::readyRead, client, [this, client, upstream, state] {
      state->buffer += client->readAll();
      while (true) {
        QByteArray& buffer = state->buffer;
        const qsizetype head_end = buffer.indexOf("\r\n\r\n");
        if (head_end < 0) return;
        const QByteArray head = buffer.left(head_end);
        const qsizetype length = Header(head, "content-length:").toLongLong();
        const qsizetype total = head_end + 4 + length;
        if (buffer.size() < total) return;
        const QByteArray request = buffer.left(total);
        buffer.remove(0, total);
        const QList<QByteArray> first = head.left(head.indexOf("\r\n")).split(' ');
        const QByteArray method = first.value(0);
        const QByteArray path = first.value(1);
        const std::optional<Fault> fault = relay_.Match(method, path);
        {
          std::lock_guard lock(relay_.mutex_);
          relay_.seen_.push_back(Seen{method, path, !Header(head, "authorization:").isEmpty(),
                                      request.mid(head_end + 4), fault.has_value()});
        }
        if (fault && fault->kind != Fault::Kind::kRewrite) {
          if (!Apply(client, *fault)) return;  // the connection is gone
          continue;
        }
        QByteArray forwarded = request;
        if (fault) {
          // The answer is to be read here: not compressed.
          state->rewrite = fault->rewrite;
          QByteArray plain;
          for (const QByteArray& line : head.split('\n')) {
            if (!line.toLower().startsWith("accept-encoding:")) plain += line + '\n';
          }
          forwarded = plain + "\r\n" + request.mid(head_end + 4);
        }
        if (relay_.options_.refuse_puts && method == "PUT") {
          ++relay_.refused_;
          const QByteArray body = "<?xml version=\"1.0\"?><error>quota</error>";
          Answer(client, "HTTP/1.1 " + QByteArray::number(relay_.options_.refuse_puts) +
                             " Refused\r\nContent-Type: text/xml\r\nContent-Length: " +
                             QByteArray::number(body.size()) + "\r\n\r\n" + body);
          continue;
        }
        if (!state->waiting) {
          state->waiting = true;
          relay_.most_in_flight_ = std::max(relay_.most_in_flight_.load(), ++relay_.in_flight_);
        }
        upstream->write(forwarded);
      }
    });
    connect(upstream, &QTcpSocket::readyRead, client, [this, upstream, to_client, state] {
      if (state->waiting) {
        state->waiting = false;
        --relay_.in_flight_;
      }
      if (!state->rewrite) {
        if (to_client) Answer(to_client, upstream->readAll());
        return;
      }
      state->answer += upstream->readAll();
      const auto whole = WholeAnswer(state->answer);
      if (!whole) return;
      const QByteArray rest = state->answer.mid(whole->used);
      const QByteArray changed = Rebuilt(*whole, state->rewrite(whole->body));
      state->rewrite = nullptr;
      state->answer.clear();
      if (to_client) Answer(to_client, changed + rest);
    });
    connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
    connect(upstream, &QTcpSocket::disconnected, client, [to_client, this] {
      // Let held-back answers go out first.
      QTimer::singleShot(relay_.options_.delay_ms + 10, this, [to_client] {
        if (to_client) to_client->disconnectFromHost();
      });
    });
  }

 private:
  // Answers here as `fault` says; false when the connection was closed.
  bool Apply(QTcpSocket* client, const Fault& fault) {
    QPointer<QTcpSocket> target(client);
    switch (fault.kind) {
      case Fault::Kind::kReset:
        client->abort();
        return false;
      case Fault::Kind::kStatus: {
        QByteArray head = "HTTP/1.1 " + QByteArray::number(fault.status) +
                          " Fault\r\nContent-Type: text/plain\r\nContent-Length: 5\r\n";
        if (!fault.retry_after.isEmpty()) head += "Retry-After: " + fault.retry_after + "\r\n";
        Answer(client, head + "\r\nfault");
        return true;
      }
      case Fault::Kind::kRedirect:
        Answer(client, "HTTP/1.1 " + QByteArray::number(fault.status) + " Moved\r\nLocation: " +
                           fault.location.toEncoded() + "\r\nContent-Length: 0\r\n\r\n");
        return true;
      case Fault::Kind::kDrip: {
        const QByteArray body = "<?xml version=\"1.0\"?><multistatus xmlns=\"DAV:\">" +
                                QByteArray(100000, ' ') + "</multistatus>";
        client->write(
            "HTTP/1.1 207 Multi-Status\r\nContent-Type: application/xml\r\n"
            "Content-Length: " +
            QByteArray::number(body.size()) + "\r\n\r\n");
        auto* timer = new QTimer(client);
        auto at = std::make_shared<qsizetype>(0);
        connect(timer, &QTimer::timeout, client, [target, body, at, timer] {
          if (!target || *at >= body.size()) return timer->stop();
          target->write(body.mid((*at)++, 1));
        });
        timer->start(fault.drip_ms);
        return true;
      }
      case Fault::Kind::kHuge: {
        QByteArray head = "HTTP/1.1 207 Multi-Status\r\nContent-Type: application/xml\r\n";
        head += fault.announce_length && fault.huge_bytes >= 0
                    ? "Content-Length: " + QByteArray::number(fault.huge_bytes) + "\r\n"
                    : QByteArray("Connection: close\r\n");
        client->write(head + "\r\n<?xml version=\"1.0\"?><multistatus xmlns=\"DAV:\">");
        auto sent = std::make_shared<qint64>(0);
        const qint64 total = fault.huge_bytes;
        const QByteArray blanks(64 * 1024, ' ');
        auto pump = [target, sent, total, blanks] {
          while (target && target->state() == QAbstractSocket::ConnectedState &&
                 target->bytesToWrite() < (1 << 20) && (total < 0 || *sent < total)) {
            target->write(blanks);
            *sent += blanks.size();
          }
        };
        connect(client, &QTcpSocket::bytesWritten, client, pump);
        pump();
        return true;
      }
      case Fault::Kind::kRewrite:
        return true;
    }
    return true;
  }

  void Answer(QTcpSocket* client, const QByteArray& bytes) {
    QPointer<QTcpSocket> target(client);
    if (relay_.options_.delay_ms <= 0) {
      client->write(bytes);
      return;
    }
    QTimer::singleShot(relay_.options_.delay_ms, this, [target, bytes] {
      if (target) target->write(bytes);
    });
  }

  Relay& relay_;
};

Relay::Relay(const QUrl& upstream, Options options) : upstream_(upstream), options_(options) {
  // The server lives on the relay's thread: it listens and ends there.
  server_ = new Server(*this);
  server_->moveToThread(&thread_);
  thread_.start();
  QMetaObject::invokeMethod(
      server_,
      [this] {
        if (server_->listen(QHostAddress::LocalHost, 0)) port_ = server_->serverPort();
      },
      Qt::BlockingQueuedConnection);
}

Relay::~Relay() {
  QMetaObject::invokeMethod(
      server_, [this] { server_->close(); }, Qt::BlockingQueuedConnection);
  server_->deleteLater();  // deleted as the thread ends
  thread_.quit();
  thread_.wait();
}

void Relay::SetFaults(std::vector<Fault> faults) {
  std::lock_guard lock(mutex_);
  faults_.clear();
  for (Fault& f : faults) faults_.push_back(FaultState{std::move(f)});
}

std::optional<Relay::Fault> Relay::Match(const QByteArray& method, const QByteArray& path) {
  std::lock_guard lock(mutex_);
  for (FaultState& state : faults_) {
    const Fault& f = state.fault;
    if (!f.method.isEmpty() && f.method != method) continue;
    if (!f.path_part.isEmpty() && !path.contains(f.path_part)) continue;
    if (f.times >= 0 && state.hit >= f.times) continue;
    if (state.skipped < f.skip) {
      ++state.skipped;
      continue;
    }
    ++state.hit;
    return f;
  }
  return std::nullopt;
}

std::vector<Relay::Seen> Relay::seen() const {
  std::lock_guard lock(mutex_);
  return seen_;
}

int Relay::hits() const {
  std::lock_guard lock(mutex_);
  int hits = 0;
  for (const FaultState& state : faults_) hits += state.hit;
  return hits;
}

QUrl Relay::url() const {
  if (port_ == 0) return QUrl();
  QUrl url = upstream_;
  url.setPort(port_);
  return url;
}

}  // namespace quorvel::testing
