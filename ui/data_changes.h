// The data files' changes as one Qt signal for the windows.
#pragma once

#include <mutex>

#include <QObject>

#include "store/data_files.h"

namespace quorvel {

// Turns the store's change announcements into DataChanged, delivered on the
// thread this object lives in (the interface thread), always queued: a
// window hears of a change after the action that made it has returned to
// the event loop, never in the middle of its own button's work, and a
// change committed on another thread reaches the windows on theirs. Every
// change announced before the signal is delivered is in that one signal.
class DataChanges : public QObject {
  Q_OBJECT

 public:
  explicit DataChanges(store::DataFiles& files, QObject* parent = nullptr);
  ~DataChanges() override;

 signals:
  // Which files changed since the last DataChanged.
  void DataChanged(quorvel::store::ChangedFiles changed);

 private:
  void Heard(store::ChangedFiles changed);
  void Deliver();

  store::DataFiles& files_;
  int listener_ = 0;
  std::mutex mutex_;
  store::ChangedFiles pending_;  // guarded by mutex_
  bool queued_ = false;          // guarded by mutex_
};

}  // namespace quorvel
