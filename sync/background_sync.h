// Runs syncs on a worker thread for the program's windows: the network
// waits there, while the data files are read and written on the thread that
// owns them (the interface thread), in short steps. Also the timer of
// automatic sync.
#pragma once

#include <atomic>
#include <functional>
#include <memory>

#include <QObject>
#include <QString>
#include <QTimer>

#include "store/data_files.h"
#include "sync/engine.h"

namespace quorvel::sync {

class BackgroundSync : public QObject {
  Q_OBJECT

 public:
  explicit BackgroundSync(store::DataFiles& files, QObject* parent = nullptr);
  ~BackgroundSync() override;

  bool running() const { return running_; }
  // Starts a sync with the saved settings and `password` (read from the
  // secret store when empty). Does nothing while one runs.
  void Start(const QString& password = QString());
  // Stops the running sync as soon as it can (requests in flight are cut
  // off); Finished follows. Does nothing when none runs.
  void Stop();
  // Asked on the interface thread, with the question for the user, before
  // a sync deletes more than a few items or most of a side; true lets it go
  // on. Without it such a sync stops with nothing changed.
  void set_confirm_deletions(std::function<bool(const QString& question)> confirm) {
    confirm_ = std::move(confirm);
  }
  // Turns the automatic sync on (every `minutes`) or off.
  void SetAutomatic(bool on, int minutes = 5);

 signals:
  void Progress(const QString& step, int done, int total);
  void Finished(bool ok, const QString& summary);

 private:
  store::DataFiles& files_;
  QTimer timer_;
  bool running_ = false;
  std::shared_ptr<std::atomic<bool>> stop_;  // of the running sync
  std::function<bool(const QString&)> confirm_;
};

// One sync, here and now (for the command line and tests) with the saved
// settings, held to `limits`. A run that would delete more than a few items
// (or most of a side) stops unless `allow_deletions`.
SyncReport SyncNow(store::DataFiles& files, const QString& password,
                   std::function<void(const SyncProgress&)> progress = {},
                   const TransportLimits& limits = TransportLimits{}, bool allow_deletions = false);

}  // namespace quorvel::sync
