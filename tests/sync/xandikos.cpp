#include "tests/sync/xandikos.h"

#include <QDeadlineTimer>
#include <QTcpServer>
#include <QTcpSocket>

namespace quorvel::testing {
namespace {

int FreePort() {
  QTcpServer probe;
  if (!probe.listen(QHostAddress::LocalHost, 0)) return 0;
  return probe.serverPort();
}

}  // namespace

Xandikos::Xandikos() {
  if (!dir_.isValid()) {
    failure_ = QStringLiteral("no temporary folder");
    return;
  }
  for (int attempt = 0; attempt < 5; ++attempt) {
    if (StartOnce()) {
      failure_.clear();
      return;
    }
  }
}

Xandikos::~Xandikos() { Stop(); }

void Xandikos::Stop() {
  if (!process_) return;
  process_->terminate();
  if (!process_->waitForFinished(5000)) {
    process_->kill();
    process_->waitForFinished(5000);
  }
  process_.reset();
}

QUrl Xandikos::url() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(port_)); }

bool Xandikos::StartOnce() {
  Stop();
  port_ = FreePort();
  if (port_ == 0) {
    failure_ = QStringLiteral("no free port");
    return false;
  }
  process_ = std::make_unique<QProcess>();
  process_->setStandardOutputFile(QProcess::nullDevice());
  process_->setStandardErrorFile(QProcess::nullDevice());
  process_->start(QStringLiteral("xandikos"),
                  {QStringLiteral("-d"), dir_.filePath(QStringLiteral("root")), QStringLiteral("--defaults"),
                   QStringLiteral("-l"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"),
                   QString::number(port_), QStringLiteral("--current-user-principal"),
                   QStringLiteral("/user/")});
  if (!process_->waitForStarted(10000)) {
    failure_ = QStringLiteral("xandikos does not start: ") + process_->errorString();
    process_.reset();
    return false;
  }
  QDeadlineTimer deadline(30000);
  while (!deadline.hasExpired()) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port_));
    if (socket.waitForConnected(200)) return true;
    if (process_->waitForFinished(50) || process_->state() != QProcess::Running) {
      failure_ = QStringLiteral("xandikos ended at once (port %1 taken?)").arg(port_);
      process_.reset();
      return false;
    }
  }
  failure_ = QStringLiteral("xandikos does not listen on port %1").arg(port_);
  Stop();
  return false;
}

}  // namespace quorvel::testing
