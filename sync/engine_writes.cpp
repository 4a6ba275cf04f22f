#include <algorithm>

#include "sync/engine_run.h"
#include "sync/item_codec.h"
#include "sync/texts.h"

namespace quorvel::sync {

using namespace run;

std::vector<std::optional<QString>> SyncEngine::Impl::SendAll(const std::vector<Upload>& uploads) {
  std::vector<std::optional<QString>> answers(uploads.size());
  if (uploads.empty()) return answers;
  std::size_t count = uploads.size();
  bool cut = false;
  if (engine.stop_after_writes_ >= 0 && writes + int(count) >= engine.stop_after_writes_) {
    count = std::size_t(std::max(0, engine.stop_after_writes_ - writes));
    cut = true;
  }
  std::vector<WriteRequest> requests;
  requests.reserve(count);
  for (std::size_t i = 0; i < count; ++i) requests.push_back(uploads[i].request);
  auto refused = [&](const Upload& u, const QString& why) {
    // A deletion the server refused (it changed there meanwhile) waits:
    // its link stays, and the next run brings the change here.
    if (!u.request.remove) report.problems << u.name + QStringLiteral(": ") + why;
  };
  std::optional<DavError> fatal;
  std::vector<std::size_t> unsure;
  int answered = 0;
  const int total = int(count);
  engine.client_.WriteAll(requests, [&](std::size_t index, const WriteResult& result) {
    ++writes;
    Progress(SyncTexts::tr("Sending changes…"), ++answered, total);
    const Upload& u = uploads[index];
    if (result.ok) {
      answers[index] = result.etag;
      ++report.sent;
      return true;
    }
    if (Fatal(result.error)) {
      if (!fatal) fatal = result.error;
      return false;
    }
    if (!u.request.remove && result.error.kind == DavErrorKind::kPrecondition) {
      // Perhaps an earlier try of this very write (cut off before its
      // answer, then sent again) stored it: looked at below.
      unsure.push_back(index);
      return true;
    }
    refused(u, result.error.Message());
    return true;
  });
  if (fatal) throw *fatal;
  for (std::size_t index : unsure) {
    const Upload& u = uploads[index];
    DavError error;
    const std::optional<Resource> there = engine.client_.Get(u.request.href, &error);
    if (!there && Fatal(error)) throw error;
    if (there && (u.event ? SameEvent(there->data, u.request.data)
                          : SameContent(there->data, u.request.data, u.request.kind))) {
      answers[index] = there->etag;
      ++report.sent;
      continue;
    }
    refused(u, SyncTexts::tr(
                   "it changed on the server meanwhile; it is compared again on the next sync"));
  }
  if (cut) throw Stopped();
  return answers;
}

bool SyncEngine::Impl::SameContent(const QByteArray& there, const QByteArray& sent,
                                   CollectionKind kind) {
  if (there == sent) return true;
  if (kind == CollectionKind::kCalendar) {
    const DecodedAppointment a = DecodeAppointment(there), b = DecodeAppointment(sent);
    if (!a.problem.isNull() || !b.problem.isNull() || a.date != b.date) return false;
    return Digest(a.appointment) == Digest(b.appointment);
  }
  const DecodedEntry a = DecodeEntry(there), b = DecodeEntry(sent);
  return a.problem.isNull() && b.problem.isNull() && Digest(a.entry) == Digest(b.entry);
}

void SyncEngine::Impl::Carry(const Plan& plan, bool calendar) {
  std::vector<Link> links = plan.links;
  std::vector<LocalChange>& changes = calendar ? calendar_changes : book_changes;
  changes = plan.changes;
  std::vector<Link> kept_events = plan.event_links;
  if (calendar) event_changes = plan.event_changes;
  for (const auto& [href, bytes] : plan.keep) renewed[href] = bytes;
  report.conflicts << plan.conflicts;
  report.skipped << plan.not_held;
  report.partly_held << plan.partly_held;
  report.problems << plan.problems;
  report.brought_back << plan.brought_back;
  state.skipped = plan.skipped;

  const std::vector<std::optional<QString>> answers = SendAll(plan.uploads);
  bool created = false;
  for (std::size_t i = 0; i < plan.uploads.size(); ++i) {
    const Upload& u = plan.uploads[i];
    created =
        created || (answers[i] && (u.kind == Upload::kCreate || u.kind == Upload::kConflictCopy ||
                                   u.kind == Upload::kRestore));
    std::vector<Link>& to = u.event ? kept_events : links;
    if (!answers[i]) {
      if (u.if_refused) to.push_back(*u.if_refused);
      if (u.skip_if_refused) state.skipped.push_back(*u.skip_if_refused);
      continue;
    }
    // An event's text is kept in Events.dat, not as a server copy.
    if (!u.request.remove && !u.event) renewed[u.request.href] = u.request.data;
    if (u.link) {
      to.push_back(*u.link);
      to.back().etag = *answers[i];
    }
    if (u.change) {
      (u.event ? event_changes : changes).push_back(*u.change);
      (u.event ? event_changes : changes).back().source.etag = *answers[i];
    }
    if (u.kind == Upload::kRestore) report.restored << u.name;
  }
  (calendar ? state.appointments : state.entries) = std::move(links);
  if (calendar) state.events = std::move(kept_events);
  // The sync-token was given before this run's writes. A server that
  // tells changes by comparing two versions of the collection never names
  // a resource made after it and deleted before the next run (it is in
  // neither version): after making resources, the next run lists the
  // whole collection instead, and so sees them gone.
  const bool listed_next = created && !plan.token.startsWith(QLatin1String("ctag:"));
  (calendar ? state.calendar_token : state.address_book_token) =
      listed_next ? QString() : plan.token;
}

}  // namespace quorvel::sync
