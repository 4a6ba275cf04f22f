#include "sync/password.h"
#include "sync/texts.h"

#include <functional>

#include <qt6keychain/keychain.h>
#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <QThread>

namespace quorvel::sync {
namespace {

const QString kService = QStringLiteral("Quorvel sync");

QString KeyOf(const QUrl& server, const QString& user) {
  return user + QLatin1Char('@') +
         server
             .adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment |
                       QUrl::RemoveUserInfo)
             .toString();
}

void Wait(QKeychain::Job& job) {
  QEventLoop loop;
  QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
  job.setAutoDelete(false);
  job.start();
  loop.exec(QEventLoop::ExcludeUserInputEvents);
}

// The secret store's jobs all belong to one thread (the library keeps one
// queue of them, made on first use): the application's main thread. Calls
// from elsewhere wait for it there.
template <typename Result>
Result OnMainThread(const std::function<Result()>& work) {
  QCoreApplication* app = QCoreApplication::instance();
  if (!app || QThread::currentThread() == app->thread()) return work();
  Result result;
  QMetaObject::invokeMethod(
      app, [&] { result = work(); }, Qt::BlockingQueuedConnection);
  return result;
}

PasswordLookup ReadHere(const QUrl& server, const QString& user);
QString StoreHere(const QUrl& server, const QString& user, const QString& password);

}  // namespace

PasswordLookup ReadPassword(const QUrl& server, const QString& user) {
  if (qEnvironmentVariableIsSet(kPasswordVariable)) {
    return PasswordLookup{qEnvironmentVariable(kPasswordVariable), QString()};
  }
  return OnMainThread<PasswordLookup>([&] { return ReadHere(server, user); });
}

QString StorePassword(const QUrl& server, const QString& user, const QString& password) {
  return OnMainThread<QString>([&] { return StoreHere(server, user, password); });
}

namespace {

PasswordLookup ReadHere(const QUrl& server, const QString& user) {
  QKeychain::ReadPasswordJob job(kService);
  job.setInsecureFallback(false);
  job.setKey(KeyOf(server, user));
  Wait(job);
  if (job.error() == QKeychain::NoError) return PasswordLookup{job.textData(), QString()};
  if (job.error() == QKeychain::EntryNotFound) {
    return PasswordLookup{
        QString(),
        SyncTexts::tr("No password is saved for %1. Enter it in the sync settings (or set %2).")
            .arg(user, QString::fromLatin1(kPasswordVariable))};
  }
  return PasswordLookup{
      QString(),
      SyncTexts::tr("The password could not be read from the desktop's secret store (%1).")
          .arg(job.errorString())};
}

QString StoreHere(const QUrl& server, const QString& user, const QString& password) {
  QKeychain::WritePasswordJob job(kService);
  job.setInsecureFallback(false);
  job.setKey(KeyOf(server, user));
  job.setTextData(password);
  Wait(job);
  if (job.error() == QKeychain::NoError) return QString();
  return SyncTexts::tr(
             "The password could not be saved in the desktop's secret store (%1). It is used for "
             "this session only.")
      .arg(job.errorString());
}

}  // namespace
}  // namespace quorvel::sync
