
#include "sync/engine_run.h"
#include "sync/texts.h"

namespace quorvel::sync {

using namespace run;

// What changed on the server since `token`, as far as the links and the
// skipped items tell; nothing when the server cannot be asked.
std::optional<ServerView> SyncEngine::Impl::AskServer(const QUrl& collection, const QString& token,
                                                      const std::vector<Link>& links) {
  DavClient& client = engine.client_;
  std::map<QString, QString> known;  // href -> etag as last seen
  for (const Link& l : links) known[l.href] = l.etag;
  // The calendar's: the events' links name its resources too.
  if (&links == &state.appointments) {
    for (const Link& l : state.events) known[l.href] = l.etag;
  }
  for (const Skip& s : state.skipped) known.emplace(s.href, s.etag);
  ServerView view;
  DavError error;

  auto take_listing = [&](const std::vector<Member>& members) {
    std::set<QString> present;
    for (const Member& m : members) {
      present.insert(m.href);
      auto it = known.find(m.href);
      if (it == known.end() || it->second != m.etag || m.etag.isEmpty()) {
        view.changed[m.href] = m.etag;
      }
    }
    for (const auto& [href, etag] : known) {
      if (!present.count(href)) view.removed.insert(href);
    }
  };

  if (!token.isEmpty() && !token.startsWith(QLatin1String("ctag:"))) {
    auto changes = client.SyncCollection(collection, token, &error);
    if (changes) {
      // Items that did not fit last time are asked for again.
      for (const Skip& s : state.skipped) {
        if (s.etag.isEmpty()) view.changed[s.href] = QString();
      }
      for (const Member& m : changes->changed) {
        auto it = known.find(m.href);
        if (it == known.end() || it->second != m.etag || m.etag.isEmpty()) {
          view.changed[m.href] = m.etag;
        }
      }
      for (const QString& href : changes->removed) {
        if (known.count(href)) view.removed.insert(href);
      }
      view.token = changes->token;
      AskForUnkept(links, view);
      return view;
    }
    if (Fatal(error) || error.kind == DavErrorKind::kNotFound) return Fail(error);
    // The token is no longer valid: start over from a full listing.
  }
  auto described = client.Describe(collection, &error);
  if (!described) return Fail(error);
  if (!described->sync_token.isEmpty()) {
    auto everything = client.SyncCollection(collection, QString(), &error);
    if (everything) {
      take_listing(everything->changed);
      view.token = everything->token;
      AskForUnkept(links, view);
      return view;
    }
    if (Fatal(error)) return Fail(error);
  }
  // No sync-token: the ctag says whether anything changed at all.
  const QString ctag_token = QStringLiteral("ctag:") + described->ctag;
  if (!described->ctag.isEmpty() && ctag_token == token) {
    view.token = token;
    AskForUnkept(links, view);
    return view;
  }
  auto members = client.ListMembers(collection, &error);
  if (!members) return Fail(error);
  take_listing(*members);
  view.token = described->ctag.isEmpty() ? QString() : ctag_token;
  AskForUnkept(links, view);
  return view;
}

// Links whose server copy is not kept here (or no longer reads back) get
// it fetched.
void SyncEngine::Impl::AskForUnkept(const std::vector<Link>& links, ServerView& view) {
  for (const Link& l : links) {
    const bool kept_unread = l.kept_first > 0 && !kept_lost.count(l.href);
    if (kept.count(l.href) || kept_unread || view.removed.count(l.href) ||
        view.changed.count(l.href)) {
      continue;
    }
    view.changed[l.href] = l.etag;
    view.refetch[l.href] = l.etag;
  }
}

std::nullopt_t SyncEngine::Impl::Fail(const DavError& error) {
  if (report.error.isNull()) {
    report.error = error.Message();
    report.stopped = error.kind == DavErrorKind::kStopped;
  }
  return std::nullopt;
}

std::optional<std::map<QString, Fetched>> SyncEngine::Impl::FetchChanged(const QUrl& collection,
                                                                         bool calendar,
                                                                         const ServerView& view) {
  QStringList hrefs;
  for (const auto& [href, etag] : view.changed) hrefs << href;
  std::map<QString, Fetched> fetched;
  if (hrefs.isEmpty()) return fetched;
  Progress(SyncTexts::tr("Receiving changes…"), 0, int(hrefs.size()));
  DavError error;
  auto resources = engine.client_.Multiget(
      collection, calendar ? CollectionKind::kCalendar : CollectionKind::kAddressBook, hrefs,
      &error);
  if (!resources) return Fail(error);
  for (const Resource& r : *resources) {
    fetched[r.href] = ReadFetched(r.href, r.etag, r.data, calendar);
  }
  return fetched;
}

DecideInput SyncEngine::Impl::Gather(const QUrl& collection, bool calendar) {
  const std::vector<Link>& links = calendar ? state.appointments : state.entries;
  Progress(SyncTexts::tr("Asking the server what changed…"));
  auto view =
      AskServer(collection, calendar ? state.calendar_token : state.address_book_token, links);
  if (!view) throw Stopped();
  auto fetched = FetchChanged(collection, calendar, *view);
  if (!fetched) throw Stopped();
  DecideInput in;
  in.calendar = calendar;
  in.collection_path = DavClient::PathOf(collection);
  in.links = links;
  in.locals = calendar ? appointments : entries;
  in.view = std::move(*view);
  in.fetched = std::move(*fetched);
  for (const Link& l : links) {
    if (const auto it = kept.find(l.href); it != kept.end()) in.kept.insert(*it);
  }
  in.skipped = state.skipped;
  if (calendar) {
    in.events = events;
    in.event_links = state.events;
    in.events_damaged = events_damaged;
  }
  return in;
}

}  // namespace quorvel::sync
