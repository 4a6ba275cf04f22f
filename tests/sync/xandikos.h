// A second real CalDAV/CardDAV server for the tests: Xandikos on a free
// port of this machine, its storage in a temporary folder, with its default
// calendar and address book. It asks for no password (the client's is sent
// and ignored). Stopped and removed when the object goes.
#pragma once

#include <QString>
#include <QTemporaryDir>
#include <QUrl>

#include "tests/sync/server_process.h"

namespace quorvel::testing {

class Xandikos {
 public:
  Xandikos();
  Xandikos(const Xandikos&) = delete;
  Xandikos& operator=(const Xandikos&) = delete;

  const QString& failure() const { return failure_; }
  QUrl url() const;
  QString user() const { return QStringLiteral("user"); }
  QString password() const { return QStringLiteral("unused"); }
  QUrl calendar() const {
    return url().resolved(QUrl(QStringLiteral("/user/calendars/calendar/")));
  }
  QUrl address_book() const {
    return url().resolved(QUrl(QStringLiteral("/user/contacts/addressbook/")));
  }

 private:
  QTemporaryDir dir_;
  ServerProcess server_;
  QString failure_;
};

}  // namespace quorvel::testing
