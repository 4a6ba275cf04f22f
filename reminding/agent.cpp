#include "reminding/agent.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDateTime>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

#include "reminding/desktop_notifier.h"
#include "reminding/keeper_lock.h"
#include "store/runtime_path.h"

namespace quorvel::reminding {
namespace {

// One line each way.
constexpr char kPing[] = "ping\n";
constexpr char kQuit[] = "quit\n";
constexpr char kAnswer[] = "pong\n";
constexpr int kAnswerWaitMs = 2000;
// A client that says nothing is let go after this long.
constexpr int kClientWaitMs = 2000;

// The socket's address; false when the path does not fit in one.
bool AddressOf(const QString& path, sockaddr_un& address) {
  const QByteArray bytes = QFile::encodeName(path);
  address = {};
  address.sun_family = AF_UNIX;
  if (bytes.isEmpty() || size_t(bytes.size()) >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, bytes.constData(), size_t(bytes.size()));
  return true;
}

int StreamSocket() { return ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0); }

// Whether a process listens at `address` (however slow it is to answer);
// a socket left by one that ended refuses the connection.
bool Listened(const sockaddr_un& address) {
  const int handle = StreamSocket();
  if (handle < 0) return false;
  const bool connected =
      ::connect(handle, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  ::close(handle);
  return connected;
}

// Listens on the agent's socket and answers each request with one line.
class AgentListener : public QObject {
 public:
  explicit AgentListener(const QString& folder) : path_(AgentSocketPath(folder)) {}
  ~AgentListener() override {
    if (handle_ < 0) return;
    ::close(handle_);
    ::unlink(QFile::encodeName(path_).constData());
  }

  // False when another agent listens there already (another_ then says
  // so) or the socket cannot be made. Requests are answered from the event
  // loop.
  bool Listen() {
    sockaddr_un address;
    if (!AddressOf(path_, address)) return false;
    handle_ = StreamSocket();
    if (handle_ < 0) return false;
    // Bound before anything else is done, so that an agent starting at the
    // same moment finds this one.
    if (::bind(handle_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
      // A socket left by an agent that ended without removing it, unless
      // one listens there.
      const bool in_use = errno == EADDRINUSE;
      another_ = in_use && Listened(address);
      if (!in_use || another_ || ::unlink(address.sun_path) != 0 ||
          ::bind(handle_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(handle_);
        handle_ = -1;
        return false;
      }
    }
    ::chmod(address.sun_path, 0600);
    if (::listen(handle_, 8) != 0) {
      ::close(handle_);
      handle_ = -1;
      return false;
    }
    auto* notifier = new QSocketNotifier(handle_, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] { Accept(); });
    return true;
  }
  bool another() const { return another_; }

 private:
  void Accept() {
    const int handle = ::accept4(handle_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (handle < 0) return;
    struct Client {
      int handle;
      QByteArray request;
    };
    auto client = std::make_shared<Client>(Client{handle, {}});
    auto* notifier = new QSocketNotifier(handle, QSocketNotifier::Read, this);
    auto done = [client, notifier] {
      if (client->handle < 0) return;
      ::close(std::exchange(client->handle, -1));
      notifier->setEnabled(false);
      notifier->deleteLater();
    };
    connect(notifier, &QSocketNotifier::activated, this, [client, done] {
      char bytes[16];
      const ssize_t got = ::read(client->handle, bytes, sizeof bytes);
      if (got < 0 && (errno == EAGAIN || errno == EINTR)) return;
      if (got > 0) client->request.append(bytes, got);
      if (got > 0 && !client->request.contains('\n') && client->request.size() < 64) return;
      ::send(client->handle, kAnswer, sizeof kAnswer - 1, MSG_NOSIGNAL);
      const bool quit = client->request == kQuit;
      done();
      if (quit) QCoreApplication::quit();
    });
    QTimer::singleShot(kClientWaitMs, notifier, done);
  }

  QString path_;
  int handle_ = -1;
  bool another_ = false;
};

}  // namespace

QString AgentSocketPath(const QString& folder) {
  return store::RuntimePath(folder, QStringLiteral("-reminders"));
}

bool AskAgent(const QString& folder, AgentRequest request) {
  sockaddr_un address;
  if (!AddressOf(AgentSocketPath(folder), address)) return false;
  const int handle = StreamSocket();
  if (handle < 0) return false;
  const char* line = request == AgentRequest::kQuit ? kQuit : kPing;
  QByteArray answer;
  if (::connect(handle, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
      ::send(handle, line, std::strlen(line), MSG_NOSIGNAL) == ssize_t(std::strlen(line))) {
    const qint64 until = QDateTime::currentMSecsSinceEpoch() + kAnswerWaitMs;
    while (!answer.contains('\n')) {
      const qint64 left = until - QDateTime::currentMSecsSinceEpoch();
      if (left <= 0) break;
      pollfd readable{handle, POLLIN, 0};
      const int ready = ::poll(&readable, 1, int(left));
      if (ready < 0 && errno == EINTR) continue;
      if (ready <= 0) break;
      char bytes[16];
      const ssize_t got = ::read(handle, bytes, sizeof bytes);
      if (got <= 0) break;
      answer.append(bytes, got);
    }
  }
  ::close(handle);
  return answer == kAnswer;
}

void BecomeProgram(const QStringList& arguments) {
  if (arguments.isEmpty()) return;
  std::vector<QByteArray> bytes;
  for (const QString& argument : arguments) bytes.push_back(QFile::encodeName(argument));
  std::vector<char*> argv;
  for (QByteArray& b : bytes) argv.push_back(b.data());
  argv.push_back(nullptr);
  ::execv(argv[0], argv.data());
}

int RunAgent(const QString& folder, ReminderKeeper::Fallback fallback,
             std::function<void(const QDate&)> open) {
  AgentListener listener(folder);
  // One agent per folder: a second one has nothing to do.
  if (!listener.Listen()) return listener.another() ? EXIT_SUCCESS : EXIT_FAILURE;

  QDBusConnection session = QDBusConnection::sessionBus();
  std::unique_ptr<DesktopNotifier> notifier;
  if (session.isConnected()) notifier = std::make_unique<DesktopNotifier>(session);
  ReminderKeeper keeper(
      folder, [] { return QDateTime::currentDateTime(); }, notifier.get(), std::move(fallback));
  keeper.FollowSleep(QDBusConnection::systemBus());
  QObject::connect(&keeper, &ReminderKeeper::OpenRequested, std::move(open));
  KeeperLock lock(folder);
  QObject::connect(&lock, &KeeperLock::Taken, &keeper, &ReminderKeeper::Start);
  if (lock.TryTake()) {
    keeper.Start();
  } else {
    // The organiser keeps the reminders while it runs; the agent takes
    // over the moment it ends.
    lock.WaitForIt();
  }
  // Requests waiting since the socket was bound are answered from here on:
  // an agent that answers has made its first check.
  return QCoreApplication::exec();
}

}  // namespace quorvel::reminding
