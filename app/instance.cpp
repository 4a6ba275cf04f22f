#include "app/instance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace quorvel {
namespace {

constexpr char kRequest[] = "raise\n";
constexpr char kAnswer[] = "raised\n";

}  // namespace

QString InstanceSocketPath(const QString& folder) {
  QString canonical = QFileInfo(folder).canonicalFilePath();
  if (canonical.isEmpty()) canonical = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
  const QByteArray hash =
      QCryptographicHash::hash(QFile::encodeName(canonical), QCryptographicHash::Sha256)
          .toHex()
          .left(24);
  QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (runtime.isEmpty()) runtime = QDir::tempPath();
  return QDir(runtime).filePath(QStringLiteral("quorvel-") + QString::fromLatin1(hash));
}

bool RaiseRunningInstance(const QString& folder, int timeout_ms) {
  QLocalSocket socket;
  socket.connectToServer(InstanceSocketPath(folder));
  if (!socket.waitForConnected(timeout_ms)) return false;
  socket.write(kRequest);
  if (!socket.waitForBytesWritten(timeout_ms)) return false;
  QByteArray answer;
  while (!answer.contains('\n')) {
    if (!socket.waitForReadyRead(timeout_ms)) return false;
    answer += socket.readAll();
  }
  return answer == kAnswer;
}

InstanceServer::InstanceServer(const QString& folder, std::function<void()> raise)
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
          raise_();
          client->write(kAnswer);
          client->flush();
        }
        client->disconnectFromServer();
      });
    }
  });
}

InstanceServer::~InstanceServer() { server_->close(); }

bool InstanceServer::listening() const { return server_->isListening(); }

}  // namespace quorvel
