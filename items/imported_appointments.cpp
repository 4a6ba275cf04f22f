#include "items/imported_appointments.h"

#include <algorithm>
#include <optional>
#include <set>

#include <QCryptographicHash>

#include "events/record_runs.h"
#include "store/scan.h"

namespace quorvel {
namespace {

using store::Channel;
namespace runs = events::runs;

constexpr Channel kFile = Channel::kImported;
// The links' run: a key no kept UID has (those hold no control characters).
const QByteArray kLinksKey("\x01links");
const QByteArray kEventMark("QVIA 1");
constexpr int kLongestUid = 200;  // so that 4096 links fit in one run

// The record of the appointment ID of group k of Appoint.dat.
int IdRecord(int k) { return store::FieldRecord(Channel::kAppoint, k, kAppointmentId); }

struct LinkLine {
  int index = -1;
  QByteArray uid;
};

// One line per link: the position, a tab, the UID.
std::vector<LinkLine> LinksIn(const QByteArray& text) {
  std::vector<LinkLine> links;
  for (const QByteArray& line : text.split('\n')) {
    const qsizetype tab = line.indexOf('\t');
    if (tab <= 0) continue;
    bool ok = false;
    const int index = line.left(tab).toInt(&ok);
    if (!ok || index < 0) continue;
    links.push_back({index, line.mid(tab + 1)});
  }
  return links;
}

QByteArray LinksText(const std::vector<LinkLine>& links) {
  QByteArray text;
  for (const LinkLine& link : links)
    text += QByteArray::number(link.index) + '\t' + link.uid + '\n';
  return text;
}

// The appointment as the import made it, a field a line (percent-encoded),
// then the event's text.
QByteArray EventRun(const ImportedAppointment& a) {
  QByteArray run = kEventMark + '\n';
  const Appointment& r = a.as_read;
  for (const QString* field : {&r.id, &r.subject, &r.start, &r.end, &r.minutes, &r.description}) {
    run += field->toUtf8().toPercentEncoding() + '\n';
  }
  run += QByteArray(r.reminder ? "1" : "0") + '\n';
  return run + a.text;
}

std::optional<ImportedAppointment> EventIn(const QByteArray& run) {
  QByteArrayList lines;
  qsizetype at = 0;
  for (int i = 0; i < 8; ++i) {
    const qsizetype end = run.indexOf('\n', at);
    if (end < 0) return std::nullopt;
    lines.append(run.mid(at, end - at));
    at = end + 1;
  }
  if (lines[0] != kEventMark) return std::nullopt;
  ImportedAppointment a;
  QString* fields[] = {&a.as_read.id,  &a.as_read.subject, &a.as_read.start,
                       &a.as_read.end, &a.as_read.minutes, &a.as_read.description};
  for (int i = 0; i < 6; ++i)
    *fields[i] = QString::fromUtf8(QByteArray::fromPercentEncoding(lines[i + 1]));
  a.as_read.reminder = lines[7] == "1";
  a.text = run.mid(at);
  return a;
}

std::vector<LinkLine> LinksIn(const store::Operation& op) {
  if (!op.HasFile(kFile)) return {};
  const std::optional<QByteArray> text = runs::RunText(op, kFile, kLinksKey);
  return text ? LinksIn(*text) : std::vector<LinkLine>();
}

// An appointment whose UID is to be kept: the one AppointmentUid(
// appointment, repeat) gives, or the next repeat no appointment keeps.
struct UidToKeep {
  int index = -1;
  Appointment appointment;
  int repeat = 0;
};

void KeepUids(store::Operation& op, const std::vector<UidToKeep>& wanted) {
  if (wanted.empty()) return;
  std::vector<LinkLine> links = LinksIn(op);
  std::set<int> linked;
  std::set<QByteArray> taken;
  for (const LinkLine& link : links) {
    linked.insert(link.index);
    taken.insert(link.uid);
  }
  bool added = false;
  for (const UidToKeep& w : wanted) {
    if (w.index < 0 || !linked.insert(w.index).second) continue;
    QByteArray uid;
    for (int repeat = w.repeat;; ++repeat) {
      uid = AppointmentUid(w.appointment, repeat).toUtf8();
      if (!taken.count(uid)) break;
    }
    if (!KeepableUid(QString::fromUtf8(uid))) continue;
    taken.insert(uid);
    links.push_back({w.index, uid});
    added = true;
  }
  if (added) runs::PutRuns(op, kFile, {{kLinksKey, LinksText(links)}});
}

// The UIDs a change of group k touches, to be kept before it: its own
// (`self`) and, when `later`, those of the later groups that go out under
// the same UID made from their fields (told apart by their repeat, which
// drops when k changes or goes).
std::vector<UidToKeep> UidsOfSame(const store::Operation& op, int k, bool self, bool later) {
  std::vector<UidToKeep> out;
  const int count = op.ReadCount(Channel::kAppoint);
  if (k < 0 || k >= count) return out;
  const Appointment a = ReadAppointment(op, k);
  const QString made = AppointmentUid(a);
  const QString day = a.id.left(8);
  const store::TextMatch same_day(day);
  int repeat = 0;
  for (int j = 0; j < count; ++j) {
    if (j == k) {
      if (self) out.push_back({k, a, repeat});
      ++repeat;
      continue;
    }
    if (j > k && !later) break;
    if (day.size() == 8 && !same_day.Begins(op, Channel::kAppoint, IdRecord(j))) continue;
    Appointment other = ReadAppointment(op, j);
    if (AppointmentUid(other) != made) continue;
    if (j > k && later) out.push_back({j, std::move(other), repeat});
    ++repeat;
  }
  return out;
}

// Group k's own, and the later ones' when the edit changes its made UID.
std::vector<UidToKeep> UidsBeforeEdit(const store::Operation& op, int k,
                                      const Appointment& edited) {
  Appointment after = edited;
  after.id = op.ReadText(Channel::kAppoint, IdRecord(k));
  const bool moves = AppointmentUid(after) != AppointmentUid(ReadAppointment(op, k));
  return UidsOfSame(op, k, true, moves);
}

}  // namespace

QString AppointmentUid(const Appointment& a, int repeat) {
  const QByteArray digest = QCryptographicHash::hash(
      (a.start + QLatin1Char('\n') + a.subject).toUtf8(), QCryptographicHash::Sha1);
  QString uid = QStringLiteral("quorvel-%1-%2")
                    .arg(a.id.left(8), QString::fromLatin1(digest.toHex().left(16)));
  if (repeat > 0) uid += QLatin1Char('-') + QString::number(repeat + 1);
  return uid;
}

std::map<int, QString> ReadAppointmentUids(const store::DataFiles& files) {
  std::map<int, QString> out;
  if (!files.IsOpen(kFile)) return out;
  for (const runs::Run& run : runs::ReadRuns(files, kFile).runs) {
    if (run.key != kLinksKey) continue;
    for (const LinkLine& link : LinksIn(run.text)) out[link.index] = QString::fromUtf8(link.uid);
  }
  return out;
}

void KeepUidOfAdded(store::Operation& op, int index) {
  KeepUids(op, UidsOfSame(op, index, true, false));
}

void KeepUidsBeforeEdit(store::Operation& op, int index, const Appointment& edited) {
  KeepUids(op, UidsBeforeEdit(op, index, edited));
}

void KeepUidsBeforeRemoval(store::Operation& op, int index) {
  KeepUids(op, UidsOfSame(op, index, false, true));
}

bool KeepableUid(const QString& uid) {
  const QByteArray bytes = uid.toUtf8();
  if (bytes.isEmpty() || bytes.size() > kLongestUid) return false;
  return std::none_of(bytes.begin(), bytes.end(),
                      [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

std::map<int, ImportedAppointment> ReadImported(const store::DataFiles& files) {
  std::map<int, ImportedAppointment> out;
  if (!files.IsOpen(kFile)) return out;
  std::map<QByteArray, QByteArray> texts;
  std::vector<LinkLine> links;
  for (runs::Run& run : runs::ReadRuns(files, kFile).runs) {
    if (run.key == kLinksKey) {
      links = LinksIn(run.text);
    } else {
      texts.emplace(run.key, std::move(run.text));
    }
  }
  for (const LinkLine& link : links) {
    const auto text = texts.find(link.uid);
    if (text == texts.end()) continue;
    std::optional<ImportedAppointment> a = EventIn(text->second);
    if (!a) continue;
    a->index = link.index;
    a->uid = QString::fromUtf8(link.uid);
    out[link.index] = std::move(*a);
  }
  return out;
}

void ImportedKeeper::Add(int index, const QString& uid, const QByteArray& text,
                         const Appointment& as_read) {
  // A UID added twice keeps the later text.
  added_.erase(std::remove_if(added_.begin(), added_.end(),
                              [&](const ImportedAppointment& a) { return a.uid == uid; }),
               added_.end());
  ImportedAppointment a;
  a.index = index;
  a.uid = uid;
  a.text = text;
  a.as_read = as_read;
  added_.push_back(std::move(a));
}

std::vector<QString> ImportedKeeper::Finish() {
  std::vector<QString> refused;
  if (added_.empty()) return refused;
  std::vector<LinkLine> links;
  if (const std::optional<QByteArray> text = runs::RunText(op_, kFile, kLinksKey))
    links = LinksIn(*text);
  std::vector<runs::Entry> entries;
  for (const ImportedAppointment& a : added_) {
    if (!KeepableUid(a.uid)) {
      refused.push_back(a.uid);
      continue;
    }
    entries.push_back({a.uid.toUtf8(), EventRun(a)});
  }
  const std::vector<runs::PutResult> put = runs::PutRuns(op_, kFile, entries);
  std::size_t e = 0;
  for (const ImportedAppointment& a : added_) {
    if (!KeepableUid(a.uid)) continue;
    if (put[e++] != runs::PutResult::kStored) {
      refused.push_back(a.uid);
      continue;
    }
    const QByteArray uid = a.uid.toUtf8();
    // A UID kept before for another position now belongs to this one.
    links.erase(
        std::remove_if(links.begin(), links.end(),
                       [&](const LinkLine& l) { return l.uid == uid || l.index == a.index; }),
        links.end());
    links.push_back({a.index, uid});
  }
  if (runs::PutRuns(op_, kFile, {{kLinksKey, LinksText(links)}}).front() !=
      runs::PutResult::kStored) {
    // Without the links the events kept now would belong to nothing.
    std::vector<QByteArray> keys;
    for (const runs::Entry& entry : entries) keys.push_back(entry.key);
    runs::RemoveRuns(op_, kFile, keys);
    refused.clear();
    for (const ImportedAppointment& a : added_) refused.push_back(a.uid);
  }
  added_.clear();
  return refused;
}

void NoteImportedRemoved(store::Operation& op, int index) {
  if (!op.HasFile(kFile)) return;
  const std::optional<QByteArray> text = runs::RunText(op, kFile, kLinksKey);
  if (!text) return;
  std::vector<LinkLine> links = LinksIn(*text);
  std::vector<QByteArray> dropped;
  bool changed = false;
  for (auto it = links.begin(); it != links.end();) {
    if (it->index == index) {
      dropped.push_back(it->uid);
      it = links.erase(it);
      changed = true;
      continue;
    }
    if (it->index > index) {
      --it->index;
      changed = true;
    }
    ++it;
  }
  if (!changed) return;
  runs::RemoveRuns(op, kFile, dropped);
  runs::PutRuns(op, kFile, {{kLinksKey, LinksText(links)}});
}

}  // namespace quorvel
