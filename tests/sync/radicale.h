// A real CalDAV/CardDAV server for the tests: Radicale on a free port of
// this machine, with its storage in a temporary folder and one account
// (htpasswd, plain). Stopped and removed when the object goes.
#pragma once

#include <memory>

#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QUrl>

namespace quorvel::testing {

class Radicale {
 public:
  struct Options {
    bool tls = false;  // serve HTTPS with a freshly made self-signed certificate
  };
  Radicale();
  explicit Radicale(Options options);
  ~Radicale();
  Radicale(const Radicale&) = delete;
  Radicale& operator=(const Radicale&) = delete;

  // Empty when the server runs; otherwise why it does not.
  const QString& failure() const { return failure_; }
  QUrl url() const;
  int port() const { return port_; }
  QString user() const { return QStringLiteral("alice"); }
  QString password() const { return QStringLiteral("s3cret pass"); }
  // The folder Radicale keeps its collections in.
  QString storage() const;

  void Stop();

 private:
  bool StartOnce(const Options& options);

  QTemporaryDir dir_;
  std::unique_ptr<QProcess> process_;
  int port_ = 0;
  bool tls_ = false;
  QString failure_;
};

}  // namespace quorvel::testing
