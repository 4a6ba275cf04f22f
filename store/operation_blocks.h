// What an operation's staging and its commit share: the blocks records are
// read in, and the bytes of a record never written.
#pragma once

#include <algorithm>
#include <vector>

namespace quorvel::store {

// Records read from the disk in one call when an operation first needs one
// of them.
inline constexpr int kBlockRecords = 256;

// A record never written, of any file's record length (the sync keeper's
// are the longest).
inline constexpr int kLongestRecord = 4096;
inline const char* NeverWritten() {
  static const char kZeros[kLongestRecord] = {};
  return kZeros;
}

// Whether any of records `first` … `last` is staged in `staged`.
inline bool StagedInRange(const std::vector<bool>& staged, int first, int last) {
  last = std::min(last, int(staged.size()) - 1);
  for (int r = std::max(first, 1); r <= last; ++r) {
    if (staged[r]) return true;
  }
  return false;
}

}  // namespace quorvel::store
