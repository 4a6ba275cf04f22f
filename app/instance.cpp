#include "app/instance.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include <QLocalServer>
#include <QLocalSocket>
#include <QSocketNotifier>

#include "store/runtime_path.h"

namespace quorvel {
namespace {

constexpr char kRequest[] = "raise\n";
constexpr char kAnswer[] = "raised\n";
// "open YYYYMMDD": raise and open that day's Activities.
constexpr char kOpenRequest[] = "open ";
constexpr char kOpenAnswer[] = "opened\n";

constexpr int kEndingSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The socket pair's ends: the handler writes into [0], the event loop reads [1].
int signal_sockets[2] = {-1, -1};

extern "C" void NoteEndingSignal(int signal) {
  const int saved = errno;
  const char number = static_cast<char>(signal);
  // Non-blocking: a second signal before the first is read is dropped.
  [[maybe_unused]] const ssize_t written = ::write(signal_sockets[0], &number, 1);
  errno = saved;
}

}  // namespace

QString InstanceSocketPath(const QString& folder) { return store::RuntimePath(folder); }

bool RaiseRunningInstance(const QString& folder, int timeout_ms, const QDate& day) {
  QLocalSocket socket;
  socket.connectToServer(InstanceSocketPath(folder));
  if (!socket.waitForConnected(timeout_ms)) return false;
  const QByteArray request =
      day.isValid() ? kOpenRequest + day.toString(QStringLiteral("yyyyMMdd")).toLatin1() + '\n'
                    : QByteArray(kRequest);
  socket.write(request);
  if (!socket.waitForBytesWritten(timeout_ms)) return false;
  QByteArray answer;
  while (!answer.contains('\n')) {
    if (!socket.waitForReadyRead(timeout_ms)) return false;
    answer += socket.readAll();
  }
  return answer == (day.isValid() ? kOpenAnswer : kAnswer);
}

InstanceServer::InstanceServer(const QString& folder, std::function<void(const QDate&)> raise)
    : server_(new QLocalServer(this)), raise_(std::move(raise)) {
  const QString path = InstanceSocketPath(folder);
  // This process holds the folder, so a socket left at this path belongs to
  // a Quorvel that ended without removing it.
  QLocalServer::removeServer(path);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  server_->listen(path);
  connect(server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* client = server_->nextPendingConnection()) {
      connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
      connect(client, &QLocalSocket::readyRead, this, [this, client] {
        if (!client->canReadLine()) return;
        const QByteArray request = client->readLine();
        if (request == kRequest) {
          raise_(QDate());
          client->write(kAnswer);
          client->flush();
        } else if (request.startsWith(kOpenRequest) && request.endsWith('\n')) {
          const QDate day = QDate::fromString(QString::fromLatin1(request.mid(5).chopped(1)),
                                              QStringLiteral("yyyyMMdd"));
          if (day.isValid()) {
            raise_(day);
            client->write(kOpenAnswer);
            client->flush();
          }
        }
        client->disconnectFromServer();
      });
    }
  });
}

InstanceServer::~InstanceServer() { server_->close(); }

bool InstanceServer::listening() const { return server_->isListening(); }

EndOnSignals::EndOnSignals(std::function<void()> tidy) : tidy_(std::move(tidy)) {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, signal_sockets) != 0) {
    signal_sockets[0] = signal_sockets[1] = -1;
    return;  // the signals keep their default action: the next start copes
  }
  notifier_ = new QSocketNotifier(signal_sockets[1], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] { End(); });
  struct sigaction action = {};
  action.sa_handler = NoteEndingSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal : kEndingSignals) ::sigaction(signal, &action, nullptr);
}

EndOnSignals::~EndOnSignals() {
  if (notifier_ == nullptr) return;
  for (const int signal : kEndingSignals) std::signal(signal, SIG_DFL);
  delete notifier_;
  ::close(signal_sockets[0]);
  ::close(signal_sockets[1]);
  signal_sockets[0] = signal_sockets[1] = -1;
}

void EndOnSignals::End() {
  char number = 0;
  if (::read(signal_sockets[1], &number, 1) != 1) return;
  tidy_();
  // Ended by the signal, as whoever sent it expects to see.
  std::signal(number, SIG_DFL);
  std::raise(number);
  std::_Exit(128 + number);
}

}  // namespace quorvel
