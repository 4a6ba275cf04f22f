// Files of texts kept under keys, in runs of whole records: the layout of
// Events.dat, shared by every extra file that keeps texts that way.
//
// A text takes a run of whole records: its first record begins with a
// header (a mark, the key's and the text's lengths, the run's length in
// records and a digest of key and text), then the key and the text follow
// across the run. Records no run uses are zero. A text is known by its key,
// never by where it lies: storing one may move another. The files change
// only inside a store::Operation, so they change together with the four
// files and a crash leaves them as before or as after.
#pragma once

#include <optional>
#include <vector>

#include <QByteArray>

#include "store/data_files.h"

namespace quorvel::events::runs {

struct Run {
  QByteArray key;
  QByteArray text;
  int first_record = 0;  // where it lies now
};

struct RunsRead {
  std::vector<Run> runs;  // in the order they lie in the file
  int damaged = 0;        // runs whose bytes no longer match their digest (left out)
};

// The longest key and text one run may hold.
inline constexpr int kLongestKey = 1024;
qsizetype LargestText(store::Channel channel);

// Every run of `channel`'s file (none when it is not open).
RunsRead ReadRuns(const store::DataFiles& files, store::Channel channel);
// The runs in `bytes`, the whole of such a file as it stands.
RunsRead RunsIn(const QByteArray& bytes, store::Channel channel);
// The text under `key` as `op` sees the file; nothing when there is none.
std::optional<QByteArray> RunText(const store::Operation& op, store::Channel channel,
                                  const QByteArray& key);

enum class PutResult {
  kStored,    // staged in the operation
  kTooLarge,  // the key is empty or too long, or the text longer than LargestText()
  kNoRoom,    // the file has no run of free records long enough
};

struct Entry {
  QByteArray key;
  QByteArray text;
};
// Stages every entry in `op` in place of the run of its key when there is
// one (creating the file when the folder has none), walking the file once;
// a result for each entry. Keys are expected to differ.
std::vector<PutResult> PutRuns(store::Operation& op, store::Channel channel,
                               const std::vector<Entry>& entries);
// Stages the removal of the runs of `keys` (their records become zero);
// how many there were.
int RemoveRuns(store::Operation& op, store::Channel channel, const std::vector<QByteArray>& keys);

}  // namespace quorvel::events::runs
