#include "tests/sync/server_process.h"

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

QString ServerProcess::Start(const QString& name, const std::function<Command(int port)>& command,
                             int wait_ms) {
  QString failure;
  for (int attempt = 0; attempt < 5; ++attempt) {
    Stop();
    port_ = FreePort();
    if (port_ == 0) return QStringLiteral("no free port");
    const Command run = command(port_);
    if (run.program.isEmpty()) return run.failure;
    failure = StartOnce(name, run, wait_ms);
    if (failure.isEmpty()) return failure;
  }
  return failure;
}

QString ServerProcess::StartOnce(const QString& name, const Command& command, int wait_ms) {
  process_ = std::make_unique<QProcess>();
  if (command.show_errors) {
    process_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
  } else {
    process_->setStandardErrorFile(QProcess::nullDevice());
  }
  process_->setStandardOutputFile(QProcess::nullDevice());
  process_->start(command.program, command.arguments);
  if (!process_->waitForStarted(10000)) {
    const QString failure = name + QStringLiteral(" does not start: ") + process_->errorString();
    process_.reset();
    return failure;
  }
  QDeadlineTimer deadline(wait_ms);
  while (!deadline.hasExpired()) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port_));
    if (socket.waitForConnected(200)) return QString();
    if (process_->waitForFinished(50) || process_->state() != QProcess::Running) {
      process_.reset();
      return name + QStringLiteral(" ended at once (port %1 taken?)").arg(port_);
    }
  }
  Stop();
  return name + QStringLiteral(" does not listen on port %1").arg(port_);
}

void ServerProcess::Stop() {
  if (!process_) return;
  process_->terminate();
  if (!process_->waitForFinished(5000)) {
    process_->kill();
    process_->waitForFinished(5000);
  }
  process_.reset();
}

}  // namespace quorvel::testing
