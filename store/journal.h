// The rollback journal kept beside a data file while an operation changes
// it: which file it belongs to (its identity and name), which operation wrote
// it and which files that operation changes, the file's length and the
// original bytes of every record the operation overwrites, closed by a
// checksum. A journal that is torn, empty or fails its checksum was never
// completely written, so the data file was never touched.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include <QByteArray>
#include <QString>

#include "store/file_system.h"

namespace quorvel::store {

struct Journal {
  struct Entry {
    int record = 0;    // from 1
    QByteArray bytes;  // exactly record_length bytes
  };
  int record_length = 0;
  qint64 original_length = 0;
  std::vector<Entry> entries = {};
  // A journal of the first format, which names no file: nothing shows it
  // belongs to the file beside it, so it is never applied.
  bool legacy = false;
  FileIdentity identity = {};  // of the data file, when it was written
  QByteArray file_name = {};   // "Notes.dat"
  // The operation that wrote it, and one bit (1 << channel number) for each
  // file that operation changes: its journals are created together and
  // removed together, so an operation whose journals are no longer all
  // there has finished. 0 for a journal that stands alone (and for
  // journals of earlier versions).
  std::uint64_t operation = 0;
  std::uint32_t channels = 0;
};

// "Appoint.dat" -> "Appoint.dat-journal".
QString JournalPath(const QString& data_path);
QByteArray JournalPath(const QByteArray& data_path);

// Builds a journal's bytes entry by entry, straight from record bytes.
class JournalWriter {
 public:
  explicit JournalWriter(const Journal& header, qsizetype expected_entries = 0);
  // Returns where the entry's record bytes lie in what Finish returns, so
  // that they can be read there later instead of being copied again.
  qsizetype Add(int record, const char* bytes);
  // Names the operation and the files it changes (see Journal::operation),
  // once they are known; before Finish.
  void Bind(std::uint64_t operation, std::uint32_t channels);
  QByteArray Finish();

 private:
  QByteArray out_;
  int record_length_;
  std::uint32_t count_ = 0;
};

QByteArray EncodeJournal(const Journal& journal);
// The journal in `bytes`, or nothing when they are not one whole, intact
// journal for records of `record_length` bytes.
std::optional<Journal> DecodeJournal(const QByteArray& bytes, int record_length);
// Whether `bytes` (the start of a file) could be a journal this program
// wrote, whole or torn. Anything else was put there by someone else.
bool LooksLikeJournal(const QByteArray& bytes);

// The largest journal a data file can need (every record of the largest
// file), so a bigger file is not read at all.
qint64 LargestJournalSize(int record_length);

std::uint32_t Crc32(const char* data, qint64 length);

}  // namespace quorvel::store
