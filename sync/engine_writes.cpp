#include <algorithm>

#include <QUuid>
#include <QCoreApplication>

#include "sync/engine_run.h"
#include "sync/item_codec.h"

namespace quorvel::sync {

using namespace run;

QByteArray SyncEngine::Impl::Encode(const LocalItem& item, const QString& uid, bool calendar) const {
  return calendar ? EncodeAppointment(item.appointment, uid) : EncodeEntry(item.entry, uid);
}

QString SyncEngine::Impl::NameOfLocal(const LocalItem& item, bool calendar) const {
  return calendar ? NameOf(item.appointment) : NameOf(item.entry);
}

// Sends `pending` several at a time. Stops (and throws) on a failure that
// ends the run, or once the test's write limit is reached.
void SyncEngine::Impl::SendAll(std::vector<PendingWrite>& pending) {
  if (pending.empty()) return;
  bool cut = false;
  if (engine.stop_after_writes_ >= 0 &&
      writes + int(pending.size()) >= engine.stop_after_writes_) {
    pending.resize(std::size_t(std::max(0, engine.stop_after_writes_ - writes)));
    cut = true;
  }
  std::vector<WriteRequest> requests;
  requests.reserve(pending.size());
  for (const PendingWrite& p : pending) requests.push_back(p.request);
  std::optional<DavError> fatal;
  std::vector<std::size_t> unsure;
  int answered = 0;
  const int total = int(pending.size());
  engine.client_.WriteAll(requests, [&](std::size_t index, const WriteResult& result) {
    ++writes;
    Progress(QCoreApplication::translate("Sync", "Sending changes…"), ++answered, total);
    const PendingWrite& p = pending[index];
    if (result.ok) {
      p.stored(result.etag);
      ++report.sent;
      return true;
    }
    if (Fatal(result.error)) {
      if (!fatal) fatal = result.error;
      return false;
    }
    if (!p.request.remove && result.error.kind == DavErrorKind::kPrecondition) {
      // Perhaps an earlier try of this very write (cut off before its
      // answer, then sent again) stored it: looked at below.
      unsure.push_back(index);
      return true;
    }
    if (p.refused) {
      p.refused();
    } else {
      report.problems << p.name + QStringLiteral(": ") + result.error.Message();
    }
    return true;
  });
  if (fatal) throw *fatal;
  for (std::size_t index : unsure) {
    const PendingWrite& p = pending[index];
    DavError error;
    const std::optional<Resource> there = engine.client_.Get(p.request.href, &error);
    if (!there && Fatal(error)) throw error;
    if (there && SameContent(there->data, p.request.data, p.request.kind)) {
      p.stored(there->etag);
      ++report.sent;
      continue;
    }
    if (p.refused) {
      p.refused();
    } else {
      report.problems << p.name + QStringLiteral(": ") +
                             QCoreApplication::translate("Sync", "it changed on the server meanwhile; it is compared again on the next sync");
    }
  }
  pending.clear();
  if (cut) throw Stopped();
}

// Whether the server's `there` holds what `sent` says, as far as the
// files hold it (servers may add or reorder properties).
bool SyncEngine::Impl::SameContent(const QByteArray& there, const QByteArray& sent, CollectionKind kind) {
  if (there == sent) return true;
  if (kind == CollectionKind::kCalendar) {
    const DecodedAppointment a = DecodeAppointment(there), b = DecodeAppointment(sent);
    if (!a.problem.isNull() || !b.problem.isNull() || a.date != b.date) return false;
    return Digest(a.appointment) == Digest(b.appointment);
  }
  const DecodedEntry a = DecodeEntry(there), b = DecodeEntry(sent);
  return a.problem.isNull() && b.problem.isNull() && Digest(a.entry) == Digest(b.entry);
}

// The bytes that carry the local edits of `item` to the server: its kept
// resource patched (under `uid` when given). Nothing when no copy is
// kept, or it no longer reads as an item here: then nothing is sent, so
// what this side could not hold is never cut on the server.
std::optional<QByteArray> SyncEngine::Impl::Patched(const LocalItem& item, const Link& link, bool calendar,
                                  const QString& uid) {
  const auto it = kept.find(link.href);
  if (it == kept.end()) return std::nullopt;
  return calendar ? PatchAppointment(it->second, item.appointment, uid)
                  : PatchEntry(it->second, item.entry, uid);
}

// Puts `bytes` on the server as the resource `href` (a new one unless
// `etag` is given); fills `link`. False when the server refused
// (reported under the item's name).
bool SyncEngine::Impl::Put(const QString& href, const QByteArray& bytes, const QString& name, bool calendar,
         const QString& uid, const QByteArray& digest, Link& link) {
  DavError error;
  auto etag = engine.client_.Put(
      href, calendar ? CollectionKind::kCalendar : CollectionKind::kAddressBook, bytes, QString(),
      &error);
  CountWrite();
  if (!etag) {
    if (Fatal(error)) throw error;
    report.problems << name + QStringLiteral(": ") + error.Message();
    return false;
  }
  link.href = href;
  link.etag = *etag;
  link.uid = uid;
  link.digest = digest;
  renewed[href] = bytes;
  kept[href] = bytes;
  ++report.sent;
  return true;
}

QString SyncEngine::Impl::NewHref(const QUrl& collection, const QString& uid, bool calendar) const {
  return DavClient::PathOf(collection) + uid +
         (calendar ? QStringLiteral(".ics") : QStringLiteral(".vcf"));
}

// What a fetched resource becomes when it stands for a local item that
// vanished: its kept copy, as the server had it.
std::optional<Fetched> SyncEngine::Impl::FromKept(const Link& link, bool calendar) {
  const auto it = kept.find(link.href);
  if (it == kept.end()) return std::nullopt;
  Fetched f;
  f.href = link.href;
  f.etag = link.etag;
  f.data = it->second;
  if (calendar) {
    DecodedAppointment d = DecodeAppointment(f.data);
    if (!d.problem.isNull()) return std::nullopt;
    f.uid = d.uid;
    f.name = d.name;
    f.date = d.date;
    f.appointment = d.appointment;
    f.appointment.id = DayKey(d.date) + QStringLiteral("-1");
    f.digest = Digest(f.appointment);
  } else {
    DecodedEntry d = DecodeEntry(f.data);
    if (!d.problem.isNull()) return std::nullopt;
    f.uid = d.uid;
    f.name = d.name;
    f.entry = d.entry;
    f.digest = Digest(f.entry);
  }
  return f;
}
}  // namespace quorvel::sync
