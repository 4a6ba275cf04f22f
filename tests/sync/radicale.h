// A real CalDAV/CardDAV server for the tests: Radicale on a free port of
// this machine, with its storage in a temporary folder and one account
// (htpasswd, plain). Stopped and removed when the object goes.
#pragma once

#include <QString>
#include <QTemporaryDir>
#include <QUrl>

#include "tests/sync/server_process.h"

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
  int port() const { return server_.port(); }
  QString user() const { return QStringLiteral("alice"); }
  QString password() const { return QStringLiteral("s3cret pass"); }
  // The folder Radicale keeps its collections in.
  QString storage() const;

  void Stop() { server_.Stop(); }

 private:
  ServerProcess::Command CommandFor(int port, const Options& options) const;

  QTemporaryDir dir_;
  ServerProcess server_;
  bool tls_ = false;
  QString failure_;
};

}  // namespace quorvel::testing
