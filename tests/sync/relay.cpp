#include "tests/sync/relay.h"

#include <algorithm>
#include <memory>

#include <QMetaObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace quorvel::testing {

// Relays each client connection to its own upstream connection. Requests
// are cut out of the client's stream (head and Content-Length body) so a
// PUT can be answered here; answers are passed back byte for byte.
class Relay::Server : public QTcpServer {
 public:
  Server(Relay& relay) : relay_(relay) {}

 protected:
  void incomingConnection(qintptr descriptor) override {
    auto* client = new QTcpSocket(this);
    client->setSocketDescriptor(descriptor);
    auto* upstream = new QTcpSocket(client);
    upstream->connectToHost(relay_.upstream_.host(), quint16(relay_.upstream_.port()));
    auto buffer = std::make_shared<QByteArray>();
    auto waiting = std::make_shared<bool>(false);  // a request sent, its answer not begun
    QPointer<QTcpSocket> to_client(client);
    connect(client, &QTcpSocket::readyRead, client, [this, client, upstream, buffer, waiting] {
      *buffer += client->readAll();
      while (true) {
        const qsizetype head_end = buffer->indexOf("\r\n\r\n");
        if (head_end < 0) return;
        const QByteArray head = buffer->left(head_end);
        qsizetype length = 0;
        for (const QByteArray& line : head.split('\n')) {
          if (line.toLower().startsWith("content-length:")) {
            length = line.mid(15).trimmed().toLongLong();
          }
        }
        const qsizetype total = head_end + 4 + length;
        if (buffer->size() < total) return;
        const QByteArray request = buffer->left(total);
        buffer->remove(0, total);
        if (relay_.options_.refuse_puts && request.startsWith("PUT ")) {
          ++relay_.refused_;
          const QByteArray body = "<?xml version=\"1.0\"?><error>quota</error>";
          Answer(client, "HTTP/1.1 " + QByteArray::number(relay_.options_.refuse_puts) +
                             " Refused\r\nContent-Type: text/xml\r\nContent-Length: " +
                             QByteArray::number(body.size()) + "\r\n\r\n" + body);
          continue;
        }
        if (!*waiting) {
          *waiting = true;
          relay_.most_in_flight_ = std::max(relay_.most_in_flight_.load(), ++relay_.in_flight_);
        }
        upstream->write(request);
      }
    });
    connect(upstream, &QTcpSocket::readyRead, client, [this, upstream, to_client, waiting] {
      if (*waiting) {
        *waiting = false;
        --relay_.in_flight_;
      }
      if (to_client) Answer(to_client, upstream->readAll());
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
  QMetaObject::invokeMethod(server_, [this] { server_->close(); }, Qt::BlockingQueuedConnection);
  server_->deleteLater();  // deleted as the thread ends
  thread_.quit();
  thread_.wait();
}

QUrl Relay::url() const {
  if (port_ == 0) return QUrl();
  QUrl url = upstream_;
  url.setPort(port_);
  return url;
}

}  // namespace quorvel::testing
