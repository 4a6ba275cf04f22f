#include "ui/data_changes.h"

#include <utility>

#include <QMetaObject>

namespace quorvel {

DataChanges::DataChanges(store::DataFiles& files, QObject* parent)
    : QObject(parent), files_(files) {
  listener_ = files_.AddChangeListener([this](store::ChangedFiles changed) { Heard(changed); });
}

DataChanges::~DataChanges() { files_.RemoveChangeListener(listener_); }

void DataChanges::Heard(store::ChangedFiles changed) {
  std::lock_guard lock(mutex_);
  pending_ |= changed;
  if (queued_) return;
  queued_ = true;
  // Removed with this object if it goes before the event loop gets there.
  QMetaObject::invokeMethod(this, &DataChanges::Deliver, Qt::QueuedConnection);
}

void DataChanges::Deliver() {
  store::ChangedFiles changed;
  {
    std::lock_guard lock(mutex_);
    changed = std::exchange(pending_, store::ChangedFiles());
    queued_ = false;
  }
  // Once the files are closed (the program is ending) there is nothing
  // left to show, and a window reading them would fail.
  if (changed.empty() || !files_.IsOpen(store::Channel::kAppoint)) return;
  emit DataChanged(changed);
}

}  // namespace quorvel
