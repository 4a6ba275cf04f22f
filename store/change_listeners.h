// Which files a committed operation changed, and who hears of it.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "store/record_codec.h"

namespace quorvel::store {

// A set of files of the data folder, one bit per channel number.
class ChangedFiles {
 public:
  constexpr ChangedFiles() = default;
  constexpr explicit ChangedFiles(std::uint32_t bits) : bits_(bits) {}
  constexpr ChangedFiles(std::initializer_list<Channel> channels) {
    for (Channel channel : channels) Add(channel);
  }

  constexpr bool Has(Channel channel) const { return (bits_ & Bit(channel)) != 0; }
  // Whether any of `channels` is in the set.
  constexpr bool HasAny(ChangedFiles channels) const { return (bits_ & channels.bits_) != 0; }
  constexpr void Add(Channel channel) { bits_ |= Bit(channel); }
  constexpr bool empty() const { return bits_ == 0; }
  constexpr std::uint32_t bits() const { return bits_; }
  constexpr ChangedFiles& operator|=(ChangedFiles other) {
    bits_ |= other.bits_;
    return *this;
  }
  friend constexpr bool operator==(ChangedFiles, ChangedFiles) = default;

  // The bit of `channel` in bits() and in a journal's list of files.
  static constexpr std::uint32_t Bit(Channel channel) {
    return std::uint32_t(1) << static_cast<int>(channel);
  }

 private:
  std::uint32_t bits_ = 0;
};

// The listeners of one file set. Announce() calls each once, in the order
// they were added. A listener may start and commit an operation of its own,
// add or remove listeners: an announcement made while one is being
// delivered waits until every listener has heard the earlier one, so each
// listener hears every change once, in the order the changes happened.
// Listeners run on the thread that committed the operation.
class ChangeListeners {
 public:
  using Listener = std::function<void(ChangedFiles)>;

  // Returns the number that removes it again (never 0).
  int Add(Listener listener);
  void Remove(int id);
  void Announce(ChangedFiles changed);

 private:
  struct Entry {
    int id;
    Listener listener;
  };
  std::vector<Entry> entries_;
  std::vector<ChangedFiles> pending_;
  int next_id_ = 1;
  bool delivering_ = false;
};

}  // namespace quorvel::store
