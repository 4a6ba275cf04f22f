#include "items/sync_state.h"

#include <algorithm>

#include <QList>

#include "store/journal.h"

namespace quorvel::sync {
namespace {

using store::Channel;

constexpr Channel kFile = Channel::kSync;
constexpr char kMagic[] = "QSYNC1";  // record 1: magic, length, checksum
constexpr int kMagicSize = 6;

QByteArray Field(const QString& text) { return QUrl::toPercentEncoding(text); }
QString Unfield(const QByteArray& bytes) { return QUrl::fromPercentEncoding(bytes); }

void PutU32(QByteArray& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::uint32_t GetU32(const QByteArray& bytes, int at) {
  std::uint32_t value = 0;
  for (int i = 0; i < 4; ++i) {
    value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
  }
  return value;
}

int RecordLength() { return store::Info(kFile).record_length; }

template <class Reader>
std::optional<SyncState> Load(const Reader& reader) {
  const QByteArray header = reader.ReadRecord(kFile, 1);
  if (header.left(kMagicSize) == QByteArray(kMagicSize, '\0')) return SyncState{};
  if (header.left(kMagicSize) != QByteArray(kMagic, kMagicSize)) return std::nullopt;
  const std::uint32_t length = GetU32(header, kMagicSize);
  const std::uint32_t checksum = GetU32(header, kMagicSize + 4);
  const int records = static_cast<int>((qint64(length) + RecordLength() - 1) / RecordLength());
  if (records > 32766) return std::nullopt;
  QByteArray body;
  body.reserve(qsizetype(records) * RecordLength());
  for (int r = 0; r < records; ++r) body += reader.ReadRecord(kFile, r + 2);
  body.truncate(length);
  if (store::Crc32(body.constData(), body.size()) != checksum) return std::nullopt;
  return DecodeState(body);
}

}  // namespace

QByteArray EncodeState(const SyncState& state) {
  QByteArray out;
  auto line = [&out](std::initializer_list<QByteArray> fields) {
    out += QList<QByteArray>(fields).join('\t');
    out += '\n';
  };
  const SyncSettings& s = state.settings;
  line({"server", Field(s.server.toString(QUrl::FullyEncoded))});
  line({"user", Field(s.user)});
  line({"calendar", Field(s.calendar.toString(QUrl::FullyEncoded))});
  line({"address-book", Field(s.address_book.toString(QUrl::FullyEncoded))});
  line({"auto-sync", s.auto_sync ? "1" : "0"});
  line({"calendar-token", Field(state.calendar_token)});
  line({"address-book-token", Field(state.address_book_token)});
  for (const Link& l : state.appointments) {
    line({"A", QByteArray::number(l.index), Field(l.href), Field(l.etag), l.digest.toHex(),
          Field(l.uid), QByteArray::number(l.kept_first), QByteArray::number(l.kept_length),
          l.kept_digest.toHex()});
  }
  for (const Link& l : state.entries) {
    line({"E", Field(l.key), Field(l.href), Field(l.etag), l.digest.toHex(), Field(l.uid),
          QByteArray::number(l.kept_first), QByteArray::number(l.kept_length),
          l.kept_digest.toHex()});
  }
  for (const Link& l : state.events) {
    line({"V", Field(l.key), Field(l.href), Field(l.etag), l.digest.toHex(), Field(l.uid)});
  }
  // "2": named by a version that keeps series and multi-day events whole.
  for (const Skip& k : state.skipped) line({"S", Field(k.href), Field(k.etag), "2"});
  return out;
}

std::optional<SyncState> DecodeState(const QByteArray& bytes) {
  SyncState state;
  for (const QByteArray& text : bytes.split('\n')) {
    if (text.isEmpty()) continue;
    const QList<QByteArray> f = text.split('\t');
    const QByteArray& kind = f[0];
    auto value = [&f](int i) { return i < f.size() ? Unfield(f[i]) : QString(); };
    if (kind == "server") {
      state.settings.server = QUrl(value(1));
    } else if (kind == "user") {
      state.settings.user = value(1);
    } else if (kind == "calendar") {
      state.settings.calendar = QUrl(value(1));
    } else if (kind == "address-book") {
      state.settings.address_book = QUrl(value(1));
    } else if (kind == "auto-sync") {
      state.settings.auto_sync = value(1) == QLatin1String("1");
    } else if (kind == "calendar-token") {
      state.calendar_token = value(1);
    } else if (kind == "address-book-token") {
      state.address_book_token = value(1);
    } else if (kind == "A" || kind == "E") {
      if (f.size() < 6) return std::nullopt;
      Link link;
      if (kind == "A") {
        bool ok = false;
        link.index = f[1].toInt(&ok);
        // -3: the item left the file without this program deleting it,
        // and is still to come back from the server.
        if (!ok || link.index < -3 || link.index == -2) return std::nullopt;
      } else {
        link.key = value(1);
      }
      link.href = value(2);
      link.etag = value(3);
      link.digest = QByteArray::fromHex(f[4]);
      link.uid = value(5);
      if (f.size() >= 9) {
        // Written since the server's copy is kept; earlier lines keep none.
        bool first_ok = false, length_ok = false;
        link.kept_first = f[6].toInt(&first_ok);
        link.kept_length = f[7].toInt(&length_ok);
        link.kept_digest = QByteArray::fromHex(f[8]);
        if (!first_ok || !length_ok || link.kept_first < 0 || link.kept_length < 0) {
          return std::nullopt;
        }
      }
      (kind == "A" ? state.appointments : state.entries).push_back(std::move(link));
    } else if (kind == "V") {
      if (f.size() < 6) return std::nullopt;
      Link link;
      link.key = value(1);
      link.href = value(2);
      link.etag = value(3);
      link.digest = QByteArray::fromHex(f[4]);
      link.uid = value(5);
      state.events.push_back(std::move(link));
    } else if (kind == "S") {
      // Named by an earlier version, which left series and multi-day
      // events on the server: asked for again once (no etag), as they may
      // be kept whole now.
      const bool current = f.size() >= 4 && f[3] == "2";
      state.skipped.push_back(Skip{value(1), current ? value(2) : QString()});
    }
    // Lines of kinds this version does not know are left out.
  }
  return state;
}

bool HasSyncFile(const store::DataFiles& files) { return files.IsOpen(kFile); }

std::optional<SyncState> LoadState(const store::DataFiles& files) {
  if (!HasSyncFile(files)) return SyncState{};
  return Load(files);
}

std::optional<SyncState> LoadState(const store::Operation& op) {
  if (!op.HasFile(kFile)) return SyncState{};
  return Load(op);
}

void SaveState(store::DataFiles& files, store::Operation& op, const SyncState& state) {
  files.OpenExtraFile(kFile);
  const QByteArray body = EncodeState(state);
  QByteArray header(kMagic, kMagicSize);
  PutU32(header, static_cast<std::uint32_t>(body.size()));
  PutU32(header, store::Crc32(body.constData(), body.size()));
  op.WriteRecord(kFile, 1, header);
  for (qsizetype at = 0, r = 2; at < body.size(); at += RecordLength(), ++r) {
    op.WriteRecord(kFile, static_cast<int>(r), body.mid(at, RecordLength()));
  }
}

void ShiftAfterRemoval(SyncState& state, int index) {
  for (Link& link : state.appointments) {
    if (link.index == index) {
      link.index = -1;
    } else if (link.index > index) {
      --link.index;
    }
  }
}

void NoteAppointmentRemoved(store::Operation& op, int index) {
  if (!op.HasFile(kFile)) return;
  std::optional<SyncState> state = LoadState(op);
  if (!state) return;  // damaged: the next sync reports it
  const SyncState before = *state;
  ShiftAfterRemoval(*state, index);
  if (*state != before) SaveState(op.files(), op, *state);
}

void NoteAppointmentsMoved(store::Operation& op, const std::function<int(int)>& place) {
  if (!op.HasFile(kFile)) return;
  std::optional<SyncState> state = LoadState(op);
  if (!state) return;
  const SyncState before = *state;
  for (Link& link : state->appointments) {
    if (link.index >= 0) link.index = std::max(place(link.index), -1);
  }
  if (*state != before) SaveState(op.files(), op, *state);
}

std::optional<SyncState> StateInFile(const QByteArray& file) {
  struct Reader {
    const QByteArray& bytes;
    QByteArray ReadRecord(Channel, int record) const {
      QByteArray out = bytes.mid(qsizetype(record - 1) * RecordLength(), RecordLength());
      out.resize(RecordLength(), '\0');
      return out;
    }
  };
  return Load(Reader{file});
}

void NoteEntryRenamed(store::Operation& op, const QString& old_key, const QString& new_key) {
  if (old_key != new_key) NoteEntriesRenamed(op, {{old_key, new_key}});
}

void NoteEntriesRenamed(store::Operation& op, const std::map<QString, QString>& renamed) {
  if (renamed.empty() || !op.HasFile(kFile)) return;
  std::optional<SyncState> state = LoadState(op);
  if (!state) return;
  bool moved = false;
  for (Link& link : state->entries) {
    const auto it = renamed.find(link.key);
    if (it != renamed.end() && it->second != link.key) {
      link.key = it->second;
      moved = true;
    }
  }
  if (moved) SaveState(op.files(), op, *state);
}

}  // namespace quorvel::sync
