#include "bench/raw.h"

#include <array>
#include <cstring>
#include <initializer_list>
#include <string>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <QDir>
#include <QFile>

#include "store/file_system.h"
#include "store/journal.h"

namespace quorvel::bench {

namespace {

[[noreturn]] void Fail(const char* what, const QString& path) {
  std::perror(qPrintable(QStringLiteral("%1 %2").arg(QLatin1String(what), path)));
  std::abort();
}

// The flushes go through the store's own calls, as its commits make them.
store::PosixFileSystem& Store() {
  static store::PosixFileSystem file_system;
  return file_system;
}

void SyncDir(const QString& dir) {
  store::SystemError error;
  if (!Store().SyncDir(QFile::encodeName(dir), &error)) Fail("sync folder", dir);
}

void Sync(int fd, const QString& path) {
  store::SystemError error;
  if (!Store().Sync(fd, &error)) Fail("sync", path);
}

void WriteAll(int fd, const char* data, qint64 length, qint64 offset, const QString& path) {
  while (length > 0) {
    const ssize_t done = ::pwrite(fd, data, size_t(length), offset);
    if (done <= 0) Fail("write", path);
    data += done;
    length -= done;
    offset += done;
  }
}

int U16(const char* at) {
  return static_cast<unsigned char>(at[0]) | static_cast<unsigned char>(at[1]) << 8;
}

// The text of `record` as a pointer and length into `image`.
std::pair<const char*, int> TextAt(const QByteArray& image, int length, int record) {
  const qint64 offset = qint64(record - 1) * length;
  if (offset + length > image.size()) return {nullptr, 0};
  const char* at = image.constData() + offset;
  return {at + 2, std::min(U16(at), length - 2)};
}

int TwoDigits(const char* at) { return (at[0] - '0') * 10 + (at[1] - '0'); }

}  // namespace

RawFile::RawFile(const QString& dir, const QString& name, int record_length)
    : dir_(dir), path_(dir + QLatin1Char('/') + name), length_(record_length) {
  fd_ = ::open(QFile::encodeName(path_).constData(), O_RDWR | O_CREAT, 0644);
  if (fd_ < 0) Fail("open", path_);
}

RawFile::~RawFile() { ::close(fd_); }

QByteArray RawFile::ReadAll() const {
  const off_t size = ::lseek(fd_, 0, SEEK_END);
  QByteArray bytes(size, Qt::Uninitialized);
  if (::pread(fd_, bytes.data(), size_t(size), 0) != size) Fail("read", path_);
  return bytes;
}

void RawFile::Put(const QByteArray& image) {
  if (::ftruncate(fd_, 0) != 0) Fail("truncate", path_);
  WriteAll(fd_, image.constData(), image.size(), 0, path_);
  if (::fsync(fd_) != 0) Fail("sync", path_);
}

void RawFile::JournaledWrite(const QByteArray& before, const QByteArray& after,
                             const std::vector<Range>& ranges) {
  // The journal as the store builds it: straight from the record bytes,
  // bound to one operation changing this one file.
  store::Journal header{length_, before.size(), {}};
  header.file_name = QFile::encodeName(path_.mid(path_.lastIndexOf(QLatin1Char('/')) + 1));
  qsizetype expected = 0;
  for (const auto& [first, last] : ranges) expected += last - first + 1;
  store::JournalWriter journal(header, expected);
  std::vector<Range> writes;
  for (const auto& [first, last] : ranges) {
    int from = 0;
    int to = 0;
    for (int r = first; r <= last; ++r) {
      const qint64 offset = qint64(r - 1) * length_;
      const bool inside = offset + length_ <= before.size();
      if (inside && std::memcmp(before.constData() + offset, after.constData() + offset,
                                size_t(length_)) == 0) {
        continue;
      }
      if (offset < before.size()) {
        journal.Add(r, before.constData() + offset);
      }
      if (from == 0) from = r;
      to = r;
    }
    if (from != 0) writes.push_back({from, to});
  }
  if (writes.empty()) return;

  const QString journal_path = store::JournalPath(path_);
  const int jfd =
      ::open(QFile::encodeName(journal_path).constData(), O_RDWR | O_CREAT | O_TRUNC, 0644);
  if (jfd < 0) Fail("open", journal_path);
  journal.Bind(1, std::uint32_t(1) << 12);
  const QByteArray bytes = journal.Finish();
  WriteAll(jfd, bytes.constData(), bytes.size(), 0, journal_path);
  Sync(jfd, journal_path);
  ::close(jfd);
  SyncDir(dir_);

  for (const auto& [from, to] : writes) {
    const qint64 offset = qint64(from - 1) * length_;
    WriteAll(fd_, after.constData() + offset, qint64(to - from + 1) * length_, offset, path_);
  }
  Sync(fd_, path_);
  if (::unlink(QFile::encodeName(journal_path).constData()) != 0) Fail("remove", journal_path);
  SyncDir(dir_);
}

QByteArray RawText(const QByteArray& image, int record_length, int record) {
  const auto [at, size] = TextAt(image, record_length, record);
  return at != nullptr ? QByteArray(at, size) : QByteArray();
}

void PutRawText(QByteArray& image, int record_length, int record, const QByteArray& text) {
  const qint64 offset = qint64(record - 1) * record_length;
  if (image.size() < offset + record_length) image.resize(offset + record_length, '\0');
  char* at = image.data() + offset;
  std::memset(at, 0, size_t(record_length));
  at[0] = char(text.size() & 0xFF);
  at[1] = char(text.size() >> 8);
  std::memcpy(at + 2, text.constData(), size_t(text.size()));
}

int RawCount(const QByteArray& image, int record_length, int count_record) {
  const qint64 offset = qint64(count_record - 1) * record_length;
  if (offset + 4 > image.size()) return 0;
  const char* at = image.constData() + offset;
  return U16(at) == 2 ? static_cast<std::int16_t>(U16(at + 2)) : 0;
}

std::vector<RawFile::Range> RemoveGroup(QByteArray& image, int record_length, int group_size,
                                        int fields, int index, int count) {
  const auto offset = [&](int record) { return qint64(record - 1) * record_length; };
  const int first = group_size * index + 1;
  const int last = group_size * (count - 1) + fields;
  // Everything after the removed group moves down one group at once; the
  // records between groups are never written, so they stay zero.
  char* data = image.data();
  std::memmove(data + offset(first), data + offset(first + group_size),
               size_t(offset(last + 1) - offset(first + group_size)));
  std::memset(data + offset(group_size * (count - 1) + 1), 0, size_t(fields) * record_length);
  char* count_at = data + offset(group_size);
  std::memset(count_at, 0, size_t(record_length));
  count_at[0] = 2;
  count_at[2] = char((count - 1) & 0xFF);
  count_at[3] = char((count - 1) >> 8);
  return {{group_size, group_size}, {first, last}};
}

void RenumberIds(QByteArray& image, int count, const QByteArray& deleted_id) {
  constexpr int kLength = 128;
  const int deleted = deleted_id.mid(9).toInt();
  for (int k = 0; k < count; ++k) {
    const auto [at, size] = TextAt(image, kLength, 8 * k + 1);
    if (size < 9 || std::memcmp(at, deleted_id.constData(), 8) != 0) continue;
    const int ordinal = QByteArray(at + 9, size - 9).toInt();
    if (ordinal > deleted) {
      PutRawText(image, kLength, 8 * k + 1, QByteArray(at, 9) + QByteArray::number(ordinal - 1));
    }
  }
}

void RawDeleteByKey(RawFile& file, int group_size, int fields, const QByteArray& key,
                    bool renumber_ids) {
  const int length = file.record_length();
  const QByteArray before = file.ReadAll();
  QByteArray image = before;
  const int count = RawCount(image, length, group_size);
  int index = -1;
  for (int k = 0; k < count; ++k) {
    if (RawText(image, length, group_size * k + 1) == key) index = k;
  }
  if (index < 0) std::abort();
  const auto ranges = RemoveGroup(image, length, group_size, fields, index, count);
  if (renumber_ids) RenumberIds(image, count - 1, key);
  file.JournaledWrite(before, image, ranges);
}

RawMarks RawMonthScan(const RawFile& appoint, const RawFile& book, int year, int month,
                      const QDate& today) {
  RawMarks marks;
  const QByteArray prefix = QByteArray::number(year * 100 + month);
  const QByteArray today_key =
      QByteArray::number(today.year() * 10000 + today.month() * 100 + today.day());
  bool appointment_days[32] = {};
  const QByteArray a = appoint.ReadAll();
  const int count = RawCount(a, 128, 8);
  for (int k = 0; k < count; ++k) {
    const auto [at, size] = TextAt(a, 128, 8 * k + 1);
    if (size < 8) continue;
    if (std::memcmp(at, prefix.constData(), 6) == 0) appointment_days[TwoDigits(at + 6)] = true;
    if (std::memcmp(at, today_key.constData(), 8) == 0) marks.today = true;
  }
  const int days = QDate(year, month, 1).daysInMonth();
  for (int d = 1; d <= days; ++d) {
    if (appointment_days[d]) marks.appointment_days.insert(d);
  }
  const QByteArray b = book.ReadAll();
  const int entries = RawCount(b, 128, 16);
  const char mm[3] = {'/', char('0' + month / 10), char('0' + month % 10)};
  for (int g = 0; g < entries; ++g) {
    const auto [born, size] = TextAt(b, 128, 16 * g + 11);
    if (size < 5 || std::memcmp(born + 2, mm, 3) != 0) continue;
    const auto [flag, flag_size] = TextAt(b, 128, 16 * g + 12);
    if (flag_size != 1 || flag[0] != '1') continue;
    const int day = TwoDigits(born);
    if (day >= 1 && day <= days) marks.birthday_days.insert(day);
  }
  return marks;
}

RawDay RawDayScan(const RawFile& appoint, const RawFile& book, const QDate& date) {
  RawDay day;
  const QByteArray key = QByteArray::number(date.year() * 10000 + date.month() * 100 + date.day());
  const QByteArray a = appoint.ReadAll();
  const int count = RawCount(a, 128, 8);
  const auto text = [](const QByteArray& image, int record) {
    const auto [at, size] = TextAt(image, 128, record);
    return QString::fromLatin1(at, size).trimmed();
  };
  for (int k = 0; k < count; ++k) {
    const auto [at, size] = TextAt(a, 128, 8 * k + 1);
    if (size < 8 || std::memcmp(at, key.constData(), 8) != 0) continue;
    day.subjects.append(text(a, 8 * k + 2));
    day.starts.append(text(a, 8 * k + 3));
    day.ends.append(text(a, 8 * k + 4));
  }
  const QByteArray b = book.ReadAll();
  const int entries = RawCount(b, 128, 16);
  const QByteArray birthday = date.toString(QStringLiteral("dd/MM")).toLatin1();
  for (int g = 0; g < entries; ++g) {
    const auto [born, size] = TextAt(b, 128, 16 * g + 11);
    if (size < 5 || std::memcmp(born, birthday.constData(), 5) != 0) continue;
    const auto [flag, flag_size] = TextAt(b, 128, 16 * g + 12);
    if (flag_size == 1 && flag[0] == '1') day.birthdays.append(text(b, 16 * g + 1));
  }
  return day;
}

QStringList RawTitles(const RawFile& notes) {
  const QByteArray n = notes.ReadAll();
  const int count = RawCount(n, 500, 3);
  QStringList titles;
  titles.reserve(count);
  for (int k = 0; k < count; ++k) {
    const auto [at, size] = TextAt(n, 500, 3 * k + 1);
    titles.append(QString::fromLatin1(at, size));
  }
  return titles;
}

namespace {

// Items of `image` (groups of `group_size` records, count in record
// `group_size`) whose `fields` hold `word`, lowered byte by byte.
int RawCountHolding(const QByteArray& image, int length, int group_size,
                    std::initializer_list<int> fields, const QByteArray& word) {
  static const auto lower = [] {
    std::array<char, 256> table{};
    for (int b = 0; b < 256; ++b) table[b] = char(b >= 'A' && b <= 'Z' ? b + 32 : b);
    return table;
  }();
  const int count = RawCount(image, length, group_size);
  std::string buffer;
  int found = 0;
  for (int k = 0; k < count; ++k) {
    buffer.clear();
    for (const int field : fields) {
      const auto [at, size] = TextAt(image, length, group_size * k + field);
      for (int i = 0; i < size; ++i) buffer.push_back(lower[static_cast<unsigned char>(at[i])]);
      buffer.push_back('\0');
    }
    if (memmem(buffer.data(), buffer.size(), word.constData(), std::size_t(word.size())) !=
        nullptr) {
      ++found;
    }
  }
  return found;
}

}  // namespace

RawFound RawSearch(const RawFile& appoint, const RawFile& notes, const RawFile& book,
                   const QByteArray& word) {
  RawFound found;
  found.appointments = RawCountHolding(appoint.ReadAll(), 128, 8, {2, 7}, word);
  found.notes = RawCountHolding(notes.ReadAll(), 500, 3, {1, 2}, word);
  found.entries =
      RawCountHolding(book.ReadAll(), 128, 16, {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 14, 15}, word);
  return found;
}

}  // namespace quorvel::bench
