#include "sync/password.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <qt6keychain/keychain.h>

namespace quorvel::sync {
namespace {

const QString kService = QStringLiteral("Quorvel sync");

QString KeyOf(const QUrl& server, const QString& user) {
  return user + QLatin1Char('@') + server.adjusted(QUrl::RemovePath | QUrl::RemoveQuery |
                                                   QUrl::RemoveFragment | QUrl::RemoveUserInfo)
                                       .toString();
}

void Wait(QKeychain::Job& job) {
  QEventLoop loop;
  QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
  job.setAutoDelete(false);
  job.start();
  loop.exec(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace

PasswordLookup ReadPassword(const QUrl& server, const QString& user) {
  if (qEnvironmentVariableIsSet(kPasswordVariable)) {
    return PasswordLookup{qEnvironmentVariable(kPasswordVariable), QString()};
  }
  QKeychain::ReadPasswordJob job(kService);
  job.setInsecureFallback(false);
  job.setKey(KeyOf(server, user));
  Wait(job);
  if (job.error() == QKeychain::NoError) return PasswordLookup{job.textData(), QString()};
  if (job.error() == QKeychain::EntryNotFound) {
    return PasswordLookup{QString(), QCoreApplication::translate("Sync", "No password is saved for %1. Enter it in the sync settings (or set %2).")
        .arg(user, QString::fromLatin1(kPasswordVariable))};
  }
  return PasswordLookup{QString(), QCoreApplication::translate("Sync", "The password could not be read from the desktop's secret store (%1).")
      .arg(job.errorString())};
}

QString StorePassword(const QUrl& server, const QString& user, const QString& password) {
  QKeychain::WritePasswordJob job(kService);
  job.setInsecureFallback(false);
  job.setKey(KeyOf(server, user));
  job.setTextData(password);
  Wait(job);
  if (job.error() == QKeychain::NoError) return QString();
  return QCoreApplication::translate("Sync", "The password could not be saved in the desktop's secret store (%1). It is used for "
      "this session only.").arg(job.errorString());
}

}  // namespace quorvel::sync
