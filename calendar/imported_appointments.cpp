#include "calendar/imported_appointments.h"

#include <algorithm>
#include <optional>

#include "events/record_runs.h"

namespace quorvel {
namespace {

using store::Channel;
namespace runs = events::runs;

constexpr Channel kFile = Channel::kImported;
// The links' run: a key no kept UID has (those hold no control characters).
const QByteArray kLinksKey("\x01links");
const QByteArray kEventMark("QVIA 1");
constexpr int kLongestUid = 200;  // so that 4096 links fit in one run

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
  for (const LinkLine& link : links) text += QByteArray::number(link.index) + '\t' + link.uid + '\n';
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
  QString* fields[] = {&a.as_read.id, &a.as_read.subject, &a.as_read.start, &a.as_read.end,
                       &a.as_read.minutes, &a.as_read.description};
  for (int i = 0; i < 6; ++i) *fields[i] = QString::fromUtf8(QByteArray::fromPercentEncoding(lines[i + 1]));
  a.as_read.reminder = lines[7] == "1";
  a.text = run.mid(at);
  return a;
}

}  // namespace

bool KeepableUid(const QString& uid) {
  const QByteArray bytes = uid.toUtf8();
  if (bytes.isEmpty() || bytes.size() > kLongestUid) return false;
  return std::none_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
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

void ImportedKeeper::Add(int index, const QString& uid, const QByteArray& text, const Appointment& as_read) {
  // A UID added twice keeps the later text.
  added_.erase(std::remove_if(added_.begin(), added_.end(), [&](const ImportedAppointment& a) { return a.uid == uid; }),
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
  if (const std::optional<QByteArray> text = runs::RunText(op_, kFile, kLinksKey)) links = LinksIn(*text);
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
    links.erase(std::remove_if(links.begin(), links.end(),
                               [&](const LinkLine& l) { return l.uid == uid || l.index == a.index; }),
                links.end());
    links.push_back({a.index, uid});
  }
  if (runs::PutRuns(op_, kFile, {{kLinksKey, LinksText(links)}}).front() != runs::PutResult::kStored) {
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
