#include "tests/sync/radicale.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

namespace quorvel::testing {
namespace {

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
  failure_ = server_.Start(
      QStringLiteral("radicale"), [&](int port) { return CommandFor(port, options); }, 20000);
}

Radicale::~Radicale() = default;

QString Radicale::storage() const { return dir_.filePath(QStringLiteral("collections")); }

QUrl Radicale::url() const {
  return QUrl(QStringLiteral("%1://127.0.0.1:%2/").arg(tls_ ? "https" : "http").arg(port()));
}

ServerProcess::Command Radicale::CommandFor(int port, const Options& options) const {
  const QString users = dir_.filePath(QStringLiteral("users"));
  const QString config = dir_.filePath(QStringLiteral("config"));
  QByteArray text = QStringLiteral("[server]\nhosts = 127.0.0.1:%1\n").arg(port).toUtf8();
  if (options.tls) {
    const QString cert = dir_.filePath(QStringLiteral("cert.pem"));
    const QString key = dir_.filePath(QStringLiteral("key.pem"));
    if (!QFile::exists(cert)) {
      QProcess openssl;
      openssl.setStandardOutputFile(QProcess::nullDevice());
      openssl.setStandardErrorFile(QProcess::nullDevice());
      openssl.start(QStringLiteral("openssl"),
                    {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                     QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-days"),
                     QStringLiteral("2"), QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"),
                     QStringLiteral("-keyout"), key, QStringLiteral("-out"), cert});
      if (!openssl.waitForFinished(60000) || openssl.exitCode() != 0) {
        return {{}, {}, QStringLiteral("openssl could not make a certificate")};
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
    return {{}, {}, QStringLiteral("cannot write the configuration")};
  }
  // Test data need not survive a power cut: without an fsync per write
  // (eatmydata turns them into no-ops) Radicale stores much faster.
  const QString radicale = QStringLiteral("radicale");
  const QString no_fsync = QStandardPaths::findExecutable(QStringLiteral("eatmydata"));
  if (no_fsync.isEmpty()) return {radicale, {QStringLiteral("--config"), config}, {}};
  return {no_fsync, {radicale, QStringLiteral("--config"), config}, {}};
}

}  // namespace quorvel::testing
