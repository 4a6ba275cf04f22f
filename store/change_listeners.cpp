#include "store/change_listeners.h"

#include <algorithm>
#include <utility>

namespace quorvel::store {

int ChangeListeners::Add(Listener listener) {
  const int id = next_id_++;
  entries_.push_back(Entry{id, std::move(listener)});
  return id;
}

void ChangeListeners::Remove(int id) {
  // While delivering, the entry is only emptied: the loop below walks the
  // list by position.
  for (Entry& entry : entries_) {
    if (entry.id == id) entry.listener = nullptr;
  }
  if (!delivering_) {
    std::erase_if(entries_, [](const Entry& entry) { return !entry.listener; });
  }
}

void ChangeListeners::Announce(ChangedFiles changed) {
  if (changed.empty()) return;
  pending_.push_back(changed);
  if (delivering_) return;  // the loop below delivers it next
  delivering_ = true;
  struct Done {
    ChangeListeners& self;
    ~Done() {
      self.delivering_ = false;
      self.pending_.clear();
      std::erase_if(self.entries_, [](const Entry& entry) { return !entry.listener; });
    }
  } done{*this};
  for (size_t next = 0; next < pending_.size(); ++next) {
    const ChangedFiles now = pending_[next];
    // A listener added meanwhile hears only what comes after it.
    const size_t listeners = entries_.size();
    for (size_t i = 0; i < listeners && i < entries_.size(); ++i) {
      // Copied: the listener may remove itself while it runs.
      if (const Listener listener = entries_[i].listener) listener(now);
    }
  }
}

}  // namespace quorvel::store
