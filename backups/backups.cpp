#include "backups/backups.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <map>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include "events/event_file.h"
#include "store/journal.h"
#include "store/record_codec.h"

namespace quorvel::backups {
namespace {

using store::Channel;

constexpr char kMagic[8] = {'Q', 'B', 'A', 'C', 'K', 'U', 'P', '1'};
constexpr char kSuffix[] = ".qbackup";
constexpr int kLevel = 6;

const char* ReasonKey(Reason reason) {
  switch (reason) {
    case Reason::kDaily:
      return "daily";
    case Reason::kImport:
      return "import";
    case Reason::kFirstSync:
      return "first-sync";
    case Reason::kRestore:
      return "restore";
    case Reason::kCommand:
      return "command";
  }
  return "daily";
}

std::optional<Reason> ReasonOf(const QByteArray& key) {
  for (Reason r :
       {Reason::kDaily, Reason::kImport, Reason::kFirstSync, Reason::kRestore, Reason::kCommand}) {
    if (key == ReasonKey(r)) return r;
  }
  return std::nullopt;
}

void PutU32(QByteArray& out, quint32 v) {
  for (int i = 0; i < 4; ++i) out.append(char((v >> (8 * i)) & 0xFF));
}
void PutU64(QByteArray& out, quint64 v) {
  for (int i = 0; i < 8; ++i) out.append(char((v >> (8 * i)) & 0xFF));
}
quint64 Get(const QByteArray& in, qsizetype at, int bytes) {
  quint64 v = 0;
  for (int i = 0; i < bytes; ++i) v |= quint64(quint8(in[at + i])) << (8 * i);
  return v;
}

// The count of `channel` held by a whole file's bytes.
int CountIn(Channel channel, const QByteArray& bytes) {
  const int length = store::Info(channel).record_length;
  QByteArray record = bytes.mid(qsizetype(store::CountRecord(channel) - 1) * length, length);
  record.resize(length, '\0');
  return store::CountOf(channel, store::DecodeVariantRecord(record));
}

// Whether a copy holds `channel`'s file. What the reminders remember is
// written by whichever process keeps the reminders, not by the one that
// holds the folder, so it can be neither read whole nor put back here; and
// bringing back which reminders were shown would only show them again.
bool Copied(Channel channel) { return channel != Channel::kRemind; }

// Every file of the folder as the open set holds it now, by name.
std::map<QByteArray, QByteArray> Snapshot(const store::DataFiles& files) {
  std::map<QByteArray, QByteArray> out;
  for (Channel channel : store::kEveryChannel) {
    if (!Copied(channel)) continue;
    const QByteArray name = store::Info(channel).file_name;
    if (files.IsOpen(channel)) {
      const qint64 size = files.FileSize(channel);
      const int length = store::Info(channel).record_length;
      QByteArray bytes = files.ReadRecords(channel, 1, int((size + length - 1) / length));
      bytes.truncate(size);
      out[name] = bytes;
    } else {
      // An extra file this process has not opened changes only through an
      // operation of the process that holds the folder: this one.
      QFile file(files.PathOf(channel));
      if (file.exists() && file.open(QIODevice::ReadOnly)) out[name] = file.readAll();
    }
  }
  return out;
}

struct Parsed {
  BackupInfo info;
  std::map<QByteArray, QByteArray> files;  // only when asked for
};

// Reads a copy; with `contents`, every file is checked and uncompressed.
std::optional<Parsed> Parse(const QString& path, bool contents) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  const qint64 size = file.size();
  Parsed parsed;
  parsed.info.path = path;
  parsed.info.size = size;
  QByteArray head = file.read(16);
  if (head.size() < 12 || !head.startsWith(QByteArray(kMagic, 8))) return std::nullopt;
  const quint32 header_length = quint32(Get(head, 8, 4));
  if (header_length > 1 << 16) return std::nullopt;
  QByteArray all = contents ? head + file.readAll() : head + file.read(header_length);
  if (all.size() < 12 + qsizetype(header_length)) return std::nullopt;
  if (contents) {
    if (all.size() < 16) return std::nullopt;
    const quint32 crc = quint32(Get(all, all.size() - 4, 4));
    if (store::Crc32(all.constData(), all.size() - 4) != crc) return std::nullopt;
  }
  const QByteArray header = all.mid(12, header_length);
  for (const QByteArray& line : header.split('\n')) {
    const qsizetype eq = line.indexOf('=');
    if (eq < 0) continue;
    const QByteArray key = line.left(eq);
    const QByteArray value = line.mid(eq + 1);
    if (key == "created") {
      parsed.info.created = QDateTime::fromString(QString::fromLatin1(value), Qt::ISODateWithMs);
    } else if (key == "reason") {
      parsed.info.reason = ReasonOf(value).value_or(Reason::kCommand);
    } else if (key == "appointments") {
      parsed.info.appointments = value.toInt();
    } else if (key == "events") {
      parsed.info.events = value.toInt();
    } else if (key == "notes") {
      parsed.info.notes = value.toInt();
    } else if (key == "entries") {
      parsed.info.entries = value.toInt();
    } else if (key == "raw") {
      parsed.info.raw_size = value.toLongLong();
    }
  }
  if (!parsed.info.created.isValid()) return std::nullopt;
  if (!contents) return parsed;
  qsizetype at = 12 + header_length;
  const qsizetype end = all.size() - 4;
  if (at + 4 > end) return std::nullopt;
  const quint32 count = quint32(Get(all, at, 4));
  at += 4;
  for (quint32 i = 0; i < count; ++i) {
    if (at + 2 > end) return std::nullopt;
    const int name_length = int(Get(all, at, 2));
    at += 2;
    if (at + name_length + 12 > end) return std::nullopt;
    const QByteArray name = all.mid(at, name_length);
    at += name_length;
    const qint64 raw = qint64(Get(all, at, 8));
    const quint32 packed = quint32(Get(all, at + 8, 4));
    at += 12;
    if (at + qsizetype(packed) > end) return std::nullopt;
    QByteArray bytes = raw == 0 ? QByteArray() : qUncompress(all.mid(at, packed));
    if (bytes.size() != raw) return std::nullopt;
    at += packed;
    parsed.files[name] = bytes;
  }
  if (at != end) return std::nullopt;
  return parsed;
}

void RemoveLeftovers(const QString& folder) {
  QDir dir(folder);
  // QSaveFile's temporary names: "<name>.XXXXXX" beside the copy.
  for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden)) {
    if (name.contains(QLatin1String(kSuffix)) && !name.endsWith(QLatin1String(kSuffix))) {
      dir.remove(name);
    }
  }
}

}  // namespace

QString BackupsFolderFor(const QString& data_dir) {
  const QString absolute = QFileInfo(data_dir).absoluteFilePath();
  const QString canonical = QFileInfo(absolute).canonicalFilePath();
  const QString full = canonical.isEmpty() ? absolute : canonical;
  const QByteArray digest =
      QCryptographicHash::hash(QFile::encodeName(full), QCryptographicHash::Sha256)
          .toHex()
          .left(12);
  QString name = QFileInfo(full).fileName();
  if (name.isEmpty()) name = QStringLiteral("root");
  const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  return QDir(base).filePath(QStringLiteral("quorvel-backups/") + name + QLatin1Char('-') +
                             QString::fromLatin1(digest));
}

QString ReasonText(Reason reason) {
  switch (reason) {
    case Reason::kDaily:
      return quorvel::BackupTexts::tr("Daily");
    case Reason::kImport:
      return quorvel::BackupTexts::tr("Before import");
    case Reason::kFirstSync:
      return quorvel::BackupTexts::tr("Before first sync");
    case Reason::kRestore:
      return quorvel::BackupTexts::tr("Before restore");
    case Reason::kCommand:
      return quorvel::BackupTexts::tr("By command");
  }
  return QString();
}

BackupInfo CurrentCounts(const store::DataFiles& files) {
  BackupInfo info;
  info.appointments = files.ReadCount(Channel::kAppoint);
  info.events = files.IsOpen(Channel::kEvents) ? int(events::ReadEvents(files).events.size()) : 0;
  info.notes = files.ReadCount(Channel::kNotes);
  info.entries = files.ReadCount(Channel::kAddBook);
  return info;
}

namespace {

store::Outcome Write(const std::map<QByteArray, QByteArray>& snapshot, const QString& folder,
                     Reason reason, const QDateTime& now, BackupInfo* made) {
  if (!QDir().mkpath(folder)) {
    return store::Outcome::Refused(
        quorvel::BackupTexts::tr("No backup could be made: the folder %1 cannot be created.")
            .arg(QDir::toNativeSeparators(folder)));
  }
  BackupInfo info;
  info.created = now;
  info.reason = reason;
  auto count = [&](Channel channel) {
    const auto it = snapshot.find(store::Info(channel).file_name);
    return it == snapshot.end() ? 0 : CountIn(channel, it->second);
  };
  info.appointments = count(Channel::kAppoint);
  if (const auto it = snapshot.find(store::Info(Channel::kEvents).file_name);
      it != snapshot.end()) {
    info.events = int(events::EventsIn(it->second).events.size());
  }
  info.notes = count(Channel::kNotes);
  info.entries = count(Channel::kAddBook);
  for (const auto& [name, bytes] : snapshot) info.raw_size += bytes.size();

  QByteArray header;
  header += "created=" + now.toString(Qt::ISODateWithMs).toLatin1() + '\n';
  header += QByteArray("reason=") + ReasonKey(reason) + '\n';
  header += "appointments=" + QByteArray::number(info.appointments) + '\n';
  header += "events=" + QByteArray::number(info.events) + '\n';
  header += "notes=" + QByteArray::number(info.notes) + '\n';
  header += "entries=" + QByteArray::number(info.entries) + '\n';
  header += "raw=" + QByteArray::number(info.raw_size) + '\n';
  QByteArray out(kMagic, 8);
  PutU32(out, quint32(header.size()));
  out += header;
  PutU32(out, quint32(snapshot.size()));
  for (const auto& [name, bytes] : snapshot) {
    const QByteArray packed = bytes.isEmpty() ? QByteArray() : qCompress(bytes, kLevel);
    out.append(char(name.size() & 0xFF)).append(char(name.size() >> 8));
    out += name;
    PutU64(out, quint64(bytes.size()));
    PutU32(out, quint32(packed.size()));
    out += packed;
  }
  PutU32(out, store::Crc32(out.constData(), out.size()));

  // One name per copy; two in the same millisecond get a number.
  QString path;
  for (int n = 1;; ++n) {
    path = QDir(folder).filePath(now.toString(QStringLiteral("yyyy-MM-dd_HHmmss_zzz")) +
                                 (n > 1 ? QStringLiteral("-%1").arg(n) : QString()) +
                                 QLatin1Char('-') + QLatin1String(ReasonKey(reason)) +
                                 QLatin1String(kSuffix));
    if (!QFileInfo::exists(path)) break;
  }
  // Written whole under a temporary name, made durable, then renamed.
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size() || !file.commit()) {
    const QString why = file.errorString();
    return store::Outcome::Refused(quorvel::BackupTexts::tr("No backup could be made in %1: %2")
                                       .arg(QDir::toNativeSeparators(folder), why));
  }
  {
    // The new name itself made durable.
    const int handle = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (handle >= 0) {
      ::fsync(handle);
      ::close(handle);
    }
  }
  info.path = path;
  info.size = out.size();
  if (made) *made = info;
  return store::Outcome::Stored();
}

}  // namespace

store::Outcome TakeBackup(store::DataFiles& files, const QString& folder, Reason reason,
                          const QDateTime& now, BackupInfo* made) {
  return Write(Snapshot(files), folder, reason, now, made);
}

namespace {

void Prune(const QString& folder) {
  RemoveLeftovers(folder);
  const std::vector<BackupInfo> all = ListBackups(folder);
  for (std::size_t i = kKept; i < all.size(); ++i) QFile::remove(all[i].path);
}

}  // namespace

store::Outcome TakeAutomaticBackup(store::DataFiles& files, const QString& folder, Reason reason,
                                   const QDateTime& now) {
  const store::Outcome outcome = TakeBackup(files, folder, reason, now);
  if (outcome.stored()) Prune(folder);
  return outcome;
}

std::optional<BackupInfo> ReadBackupInfo(const QString& path) {
  auto parsed = Parse(path, /*contents=*/false);
  if (!parsed) return std::nullopt;
  return parsed->info;
}

std::vector<BackupInfo> ListBackups(const QString& folder) {
  std::vector<BackupInfo> out;
  QDir dir(folder);
  for (const QString& name :
       dir.entryList({QStringLiteral("*") + QLatin1String(kSuffix)}, QDir::Files)) {
    if (auto info = ReadBackupInfo(dir.filePath(name))) out.push_back(*info);
  }
  std::sort(out.begin(), out.end(), [](const BackupInfo& a, const BackupInfo& b) {
    return a.created != b.created ? a.created > b.created : a.path > b.path;
  });
  return out;
}

bool DailyBackupDue(const QString& folder, const QDateTime& now) {
  for (const BackupInfo& info : ListBackups(folder)) {
    if (info.reason == Reason::kDaily && info.created.date() == now.date()) return false;
  }
  return true;
}

store::Outcome RestoreBackup(store::DataFiles& files, const QString& path, const QString& keep_in,
                             const QDateTime& now) {
  const auto parsed = Parse(path, /*contents=*/true);
  if (!parsed) {
    return store::Outcome::Refused(
        quorvel::BackupTexts::tr("The backup %1 cannot be read or is damaged. Nothing was changed.")
            .arg(QDir::toNativeSeparators(path)));
  }
  if (!keep_in.isEmpty()) {
    const store::Outcome kept = TakeAutomaticBackup(files, keep_in, Reason::kRestore, now);
    if (kept.refused()) return kept;
  }
  // Extra files the copy holds are created first (empty), so that the one
  // operation below can fill them.
  for (Channel channel : store::kEveryChannel) {
    if (!Copied(channel)) continue;
    if (!files.IsOpen(channel) && parsed->files.count(store::Info(channel).file_name)) {
      files.OpenExtraFile(channel);
    }
  }
  store::Operation op(files);
  for (Channel channel : store::kEveryChannel) {
    if (!Copied(channel) || !files.IsOpen(channel)) continue;
    const auto it = parsed->files.find(store::Info(channel).file_name);
    const QByteArray bytes = it == parsed->files.end() ? QByteArray() : it->second;
    const int length = store::Info(channel).record_length;
    const int records = int((bytes.size() + length - 1) / length);
    if (records > store::kLargestRecordNumber) {
      return store::Outcome::Refused(
          quorvel::BackupTexts::tr(
              "The backup %1 cannot be read or is damaged. Nothing was changed.")
              .arg(QDir::toNativeSeparators(path)));
    }
    for (int r = 1; r <= records; ++r) {
      op.WriteRecord(channel, r, bytes.mid(qsizetype(r - 1) * length, length));
    }
    op.SetLength(channel, bytes.size());
  }
  return op.Commit();
}

}  // namespace quorvel::backups
