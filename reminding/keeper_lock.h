// Who keeps the reminders of a data folder: one process at a time, the
// reminder agent or the program, whichever took this lock first. The other
// shows nothing and waits for its turn. The lock lives in the user's
// runtime folder, never in the data folder, and the system drops it when
// its holder ends, however it ends.
#pragma once

#include <functional>

#include <QObject>
#include <QString>

namespace quorvel::reminding {

// Where the keeper's lock for `folder` lives, named for the folder's
// canonical path so that two spellings of one folder meet.
QString KeeperLockPath(const QString& folder);

class KeeperLock : public QObject {
  Q_OBJECT

 public:
  explicit KeeperLock(const QString& folder, QObject* parent = nullptr);
  ~KeeperLock() override;

  // Takes the lock when nobody holds it. True while this object holds it.
  bool TryTake();
  bool held() const { return handle_ >= 0; }

  // Waits, on a thread of its own that sleeps in the system until the
  // holder lets go, then takes the lock and emits Taken on this object's
  // thread.
  void WaitForIt();

 signals:
  void Taken();

 private:
  QString path_;
  int handle_ = -1;
  bool waiting_ = false;
};

}  // namespace quorvel::reminding
