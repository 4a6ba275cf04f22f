// The rollback journal kept beside a data file while an operation changes
// it: the file's length and the original bytes of every record the
// operation overwrites, closed by a checksum. A journal that is torn, empty
// or fails its checksum was never completely written, so the data file was
// never touched.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include <QByteArray>
#include <QString>

namespace quorvel::store {

struct Journal {
  struct Entry {
    int record = 0;     // from 1
    QByteArray bytes;   // exactly record_length bytes
  };
  int record_length = 0;
  qint64 original_length = 0;
  std::vector<Entry> entries;
};

// "Appoint.dat" -> "Appoint.dat-journal".
QString JournalPath(const QString& data_path);

QByteArray EncodeJournal(const Journal& journal);
// The journal in `bytes`, or nothing when they are not one whole, intact
// journal for records of `record_length` bytes.
std::optional<Journal> DecodeJournal(const QByteArray& bytes, int record_length);

// The largest journal a data file can need (every record of the largest
// file), so a bigger file is not read at all.
qint64 LargestJournalSize(int record_length);

std::uint32_t Crc32(const char* data, qint64 length);

}  // namespace quorvel::store
