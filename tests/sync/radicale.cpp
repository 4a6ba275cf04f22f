#include "tests/sync/radicale.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>

namespace quorvel::testing {
namespace {

int FreePort() {
  QTcpServer probe;
  if (!probe.listen(QHostAddress::LocalHost, 0)) return 0;
  return probe.serverPort();
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

}  // namespace

Radicale::Radicale() : Radicale(Options{}) {}

Radicale::Radicale(Options options) : tls_(options.tls) {
  if (!dir_.isValid()) {
    failure_ = QStringLiteral("no temporary folder");
    return;
  }
  // The port is free when probed but may be taken before Radicale binds it:
  // try a few.
  for (int attempt = 0; attempt < 5; ++attempt) {
    if (StartOnce(options)) {
      failure_.clear();
      return;
    }
  }
}

Radicale::~Radicale() { Stop(); }

void Radicale::Stop() {
  if (!process_) return;
  process_->terminate();
  if (!process_->waitForFinished(5000)) {
    process_->kill();
    process_->waitForFinished(5000);
  }
  process_.reset();
}

QString Radicale::storage() const { return dir_.filePath(QStringLiteral("collections")); }

QUrl Radicale::url() const {
  return QUrl(QStringLiteral("%1://127.0.0.1:%2/").arg(tls_ ? "https" : "http").arg(port_));
}

bool Radicale::StartOnce(const Options& options) {
  Stop();
  port_ = FreePort();
  if (port_ == 0) {
    failure_ = QStringLiteral("no free port");
    return false;
  }
  const QString users = dir_.filePath(QStringLiteral("users"));
  const QString config = dir_.filePath(QStringLiteral("config"));
  QByteArray text = QStringLiteral(
                        "[server]\nhosts = 127.0.0.1:%1\n")
                        .arg(port_)
                        .toUtf8();
  if (options.tls) {
    const QString cert = dir_.filePath(QStringLiteral("cert.pem"));
    const QString key = dir_.filePath(QStringLiteral("key.pem"));
    if (!QFile::exists(cert)) {
      QProcess openssl;
      openssl.setStandardOutputFile(QProcess::nullDevice());
      openssl.setStandardErrorFile(QProcess::nullDevice());
      openssl.start(
          QStringLiteral("openssl"),
          {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
           QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-days"),
           QStringLiteral("2"), QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"),
           QStringLiteral("-keyout"), key, QStringLiteral("-out"), cert});
      if (!openssl.waitForFinished(60000) || openssl.exitCode() != 0) {
        failure_ = QStringLiteral("openssl could not make a certificate");
        return false;
      }
    }
    text += QStringLiteral("ssl = True\ncertificate = %1\nkey = %2\n").arg(cert, key).toUtf8();
  }
  text += QStringLiteral(
              "[auth]\ntype = htpasswd\nhtpasswd_filename = %1\nhtpasswd_encryption = plain\n"
              "delay = 0\n"
              "[rights]\ntype = owner_only\n"
              "[storage]\nfilesystem_folder = %2\n"
              "[web]\ntype = none\n"
              "[logging]\nlevel = warning\nmask_passwords = True\n")
              .arg(users, storage())
              .toUtf8();
  if (!WriteFile(users, (user() + QLatin1Char(':') + password() + QLatin1Char('\n')).toUtf8()) ||
      !WriteFile(config, text)) {
    failure_ = QStringLiteral("cannot write the configuration");
    return false;
  }
  process_ = std::make_unique<QProcess>();
  process_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
  process_->setStandardOutputFile(QProcess::nullDevice());
  // Test data need not survive a power cut: without an fsync per write
  // (eatmydata turns them into no-ops) Radicale stores much faster.
  const QString radicale = QStringLiteral("radicale");
  const QString no_fsync = QStandardPaths::findExecutable(QStringLiteral("eatmydata"));
  if (no_fsync.isEmpty()) {
    process_->start(radicale, {QStringLiteral("--config"), config});
  } else {
    process_->start(no_fsync, {radicale, QStringLiteral("--config"), config});
  }
  if (!process_->waitForStarted(10000)) {
    failure_ = QStringLiteral("radicale does not start: ") + process_->errorString();
    process_.reset();
    return false;
  }
  QDeadlineTimer deadline(20000);
  while (!deadline.hasExpired()) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port_));
    if (socket.waitForConnected(200)) return true;
    if (process_->waitForFinished(50) || process_->state() != QProcess::Running) {
      failure_ = QStringLiteral("radicale ended at once (port %1 taken?)").arg(port_);
      process_.reset();
      return false;
    }
  }
  failure_ = QStringLiteral("radicale does not listen on port %1").arg(port_);
  Stop();
  return false;
}

}  // namespace quorvel::testing
