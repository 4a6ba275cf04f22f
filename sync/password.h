// The sync password: kept only in the desktop's secret store (through
// QtKeychain), never in a file. Scripts and tests may give it in the
// environment variable QUORVEL_SYNC_PASSWORD instead, which wins.
#pragma once

#include <QString>
#include <QUrl>

namespace quorvel::sync {

inline constexpr char kPasswordVariable[] = "QUORVEL_SYNC_PASSWORD";

struct PasswordLookup {
  QString password;
  QString error;  // null when found; a sentence otherwise
  bool ok() const { return error.isNull(); }
};

// Blocks until the secret store answers (it may ask the user to unlock it).
PasswordLookup ReadPassword(const QUrl& server, const QString& user);
// Returns a null string when stored, else why not.
QString StorePassword(const QUrl& server, const QString& user, const QString& password);

}  // namespace quorvel::sync
