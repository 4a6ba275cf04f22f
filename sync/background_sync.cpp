#include "sync/background_sync.h"

#include <QMetaObject>
#include <QThread>

#include "backups/backups.h"
#include "items/sync_state.h"
#include "sync/password.h"
#include "sync/texts.h"

namespace quorvel::sync {
namespace {

// Before the first sync of a folder, a copy of its files as they are.
// False, after saying why in `error`, when none could be made.
bool KeepBeforeFirstSync(store::DataFiles& files, const SyncState& state, QString* error) {
  if (!state.calendar_token.isEmpty() || !state.address_book_token.isEmpty() ||
      !state.appointments.empty() || !state.entries.empty()) {
    return true;
  }
  const store::Outcome kept = backups::TakeAutomaticBackup(
      files, backups::BackupsFolderFor(files.DataDir()), backups::Reason::kFirstSync);
  if (kept.refused()) *error = kept.reason();
  return kept.stored();
}

}  // namespace

SyncReport SyncNow(store::DataFiles& files, const QString& password,
                   std::function<void(const SyncProgress&)> progress, const TransportLimits& limits,
                   bool allow_deletions) {
  auto state = LoadState(files);
  SyncReport report;
  if (!state) {
    report.error =
        SyncTexts::tr("The sync state in Sync.dat is damaged. Set up sync again to start over.");
    return report;
  }
  if (!state->settings.server.isValid()) {
    report.error = SyncTexts::tr("Sync is not set up: choose \"Sync…\" in the menu first.");
    return report;
  }
  if (!KeepBeforeFirstSync(files, *state, &report.error)) return report;
  DavClient client(state->settings.server, state->settings.user, password, limits);
  SyncEngine engine(files, client);
  engine.set_progress(std::move(progress));
  engine.set_confirm_deletions(
      [allow_deletions](const DeletionWarning&) { return allow_deletions; });
  return engine.Run();
}

BackgroundSync::BackgroundSync(store::DataFiles& files, QObject* parent)
    : QObject(parent), files_(files) {
  connect(&timer_, &QTimer::timeout, this, [this] { Start(); });
}

BackgroundSync::~BackgroundSync() = default;

void BackgroundSync::SetAutomatic(bool on, int minutes) {
  if (on) {
    timer_.start(minutes * 60 * 1000);
  } else {
    timer_.stop();
  }
}

void BackgroundSync::Stop() {
  if (running_ && stop_) stop_->store(true);
}

void BackgroundSync::Start(const QString& given_password) {
  if (running_) return;
  auto state = LoadState(files_);
  if (!state || !state->settings.server.isValid()) {
    emit Finished(false, state ? SyncTexts::tr("Sync is not set up.")
                               : SyncTexts::tr("The sync state in Sync.dat is damaged. Set "
                                               "up sync again to start over."));
    return;
  }
  QString not_kept;
  if (!KeepBeforeFirstSync(files_, *state, &not_kept)) {
    emit Finished(false, not_kept);
    return;
  }
  running_ = true;
  stop_ = std::make_shared<std::atomic<bool>>(false);
  const SyncSettings settings = state->settings;
  QThread* worker = QThread::create([this, settings, given_password, stop = stop_] {
    QString password = given_password;
    SyncReport report;
    if (password.isEmpty() && !stop->load()) {
      const PasswordLookup lookup = ReadPassword(settings.server, settings.user);
      if (!lookup.ok()) report.error = lookup.error;
      password = lookup.password;
    }
    if (report.error.isNull()) {
      DavClient client(settings.server, settings.user, password);
      // The files belong to the interface thread: every step that touches
      // them runs there, and the worker waits for it.
      SyncEngine engine(files_, client, [this](const std::function<void()>& work) {
        QMetaObject::invokeMethod(this, work, Qt::BlockingQueuedConnection);
      });
      engine.set_stop(stop);
      engine.set_confirm_deletions([this](const DeletionWarning& warning) {
        bool yes = false;
        QMetaObject::invokeMethod(
            this,
            [this, &warning, &yes] {
              const QString names = warning.names.isEmpty()
                                        ? QString()
                                        : QStringLiteral(" (") +
                                              warning.names.join(QStringLiteral("; ")) +
                                              QStringLiteral(")");
              const QString question =
                  SyncTexts::tr("This sync would delete %1 of %2 %3 %4%5. Delete them?")
                      .arg(warning.deletions)
                      .arg(warning.total)
                      .arg(warning.what,
                           warning.here ? SyncTexts::tr("here") : SyncTexts::tr("on the server"),
                           names);
              yes = confirm_ && confirm_(question);
            },
            Qt::BlockingQueuedConnection);
        return yes;
      });
      engine.set_progress([this](const SyncProgress& p) {
        QMetaObject::invokeMethod(
            this, [this, p] { emit Progress(p.step, p.done, p.total); }, Qt::QueuedConnection);
      });
      report = engine.Run();
    }
    QMetaObject::invokeMethod(
        this,
        [this, report] {
          running_ = false;
          emit Finished(report.ok(), report.Summary());
        },
        Qt::QueuedConnection);
  });
  connect(worker, &QThread::finished, worker, &QObject::deleteLater);
  worker->start();
}

}  // namespace quorvel::sync
