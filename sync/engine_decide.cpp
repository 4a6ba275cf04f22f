#include <algorithm>
#include <map>

#include <QCoreApplication>
#include <QUuid>

#include "sync/engine_run.h"
#include "sync/item_codec.h"
#include "sync/reconcile.h"

namespace quorvel::sync {

using namespace run;

// Links follow what the items hold (see reconcile.h).
void SyncEngine::Impl::Rematch(std::vector<Link>& links, const std::vector<LocalItem>& locals, bool calendar) {
  std::vector<LocalIdentity> ids;
  ids.reserve(locals.size());
  for (const LocalItem& item : locals) {
    ids.push_back(LocalIdentity{item.ident, item.digest, item.appointment.id.left(8),
                                item.appointment.subject, item.appointment.start});
  }
  if (!calendar) {
    RematchEntries(links, ids);
    return;
  }
  std::vector<std::optional<KeptIdentity>> was;
  for (const Link& l : links) {
    const auto it = kept.find(l.href);
    std::optional<KeptIdentity> identity;
    if (it != kept.end()) {
      const DecodedAppointment d = DecodeAppointment(it->second);
      if (d.problem.isNull()) {
        identity = KeptIdentity{DayKey(d.date), d.appointment.subject, d.appointment.start};
      }
    }
    was.push_back(identity);
  }
  RematchAppointments(links, ids, was);
}

// Stops the run, before anything is written, when it would delete too
// much on one side and the user does not allow it.
void SyncEngine::Impl::GuardDeletions(const std::vector<Link>& links, const std::vector<LocalItem>& locals,
                    const std::map<QString, const LocalItem*>& local_by_ident,
                    const ServerView& view, const std::map<QString, Fetched>& fetched,
                    bool calendar) {
  DeletionWarning here, there;
  here.what = there.what = calendar ? QCoreApplication::translate("Sync", "appointments")
                                    : QCoreApplication::translate("Sync", "address book entries");
  here.here = true;
  here.total = int(locals.size());
  there.total = int(links.size());
  for (const Link& link : links) {
    const QString ident = Ident(link, calendar);
    const auto local = ident.isEmpty() ? local_by_ident.end() : local_by_ident.find(ident);
    const bool server_removed = view.removed.count(link.href) != 0;
    if (local == local_by_ident.end()) {
      if (link.index == -3 || server_removed || fetched.count(link.href)) continue;
      ++there.deletions;
      if (there.names.size() < 5) there.names << link.href.section(QLatin1Char('/'), -1);
    } else if (server_removed && local->second->digest == link.digest) {
      ++here.deletions;
      if (here.names.size() < 5) here.names << NameOfLocal(*local->second, calendar);
    }
  }
  for (const DeletionWarning& w : {here, there}) {
    if (!TooManyDeletions(w.deletions, w.total)) continue;
    if (engine.confirm_deletions_ && engine.confirm_deletions_(w)) continue;
    report.error = w.Text();
    report.deletions_refused = true;
    throw Stopped();
  }
}

void SyncEngine::Impl::Decide(const QUrl& collection, bool calendar) {
  std::vector<Link>& links = calendar ? state.appointments : state.entries;
  const std::vector<LocalItem>& locals = calendar ? appointments : entries;
  std::vector<LocalChange>& changes = calendar ? calendar_changes : book_changes;
  QString& token = calendar ? state.calendar_token : state.address_book_token;

  Progress(QCoreApplication::translate("Sync", "Asking the server what changed…"));
  auto view = AskServer(collection, token, links);
  if (!view) throw Stopped();
  auto fetched_or = FetchChanged(collection, calendar, *view);
  if (!fetched_or) throw Stopped();
  std::map<QString, Fetched>& fetched = *fetched_or;
  // Changed on the list but gone before the multiget: removed.
  for (const auto& [href, etag] : view->changed) {
    if (!fetched.count(href) && !view->refetch.count(href)) view->removed.insert(href);
  }
  // Fetched only to be kept: unchanged there when its etag is the link's.
  for (const auto& [href, etag] : view->refetch) {
    const auto it = fetched.find(href);
    if (it == fetched.end() || etag.isEmpty() || it->second.etag != etag) continue;
    kept[href] = it->second.data;
    renewed[href] = it->second.data;
    fetched.erase(it);
  }

  Rematch(links, locals, calendar);
  std::map<QString, const LocalItem*> local_by_ident;
  for (const LocalItem& item : locals) local_by_ident[item.ident] = &item;
  GuardDeletions(links, locals, local_by_ident, *view, fetched, calendar);
  std::set<QString> linked_idents;
  std::set<QString> linked_hrefs;
  for (const Link& l : links) linked_hrefs.insert(l.href);

  // Keys are unique in the address book: an entry from the server whose
  // key another entry has gets " (2)", " (3)"… after its first name, on
  // the server too, so every side shows the same.
  std::set<QString> reserved;
  if (!calendar) {
    for (const LocalItem& item : locals) reserved.insert(item.ident);
  }
  auto claim = [&](Fetched& f, const QString& old_key) {
    if (calendar) return true;
    if (!old_key.isEmpty()) reserved.erase(old_key);
    AddressEntry entry = f.entry;
    for (int n = 2; reserved.count(entry.Key()); ++n) {
      entry.name = f.entry.name + QStringLiteral(" (%1)").arg(n);
    }
    reserved.insert(entry.Key());
    if (entry.Key() == f.entry.Key()) return true;
    // Renamed inside the server's own card, nothing else changed.
    const std::optional<QByteArray> card = PatchEntry(f.data, entry);
    DavError error;
    auto etag = card ? engine.client_.Put(f.href, CollectionKind::kAddressBook, *card, f.etag, &error)
                     : std::nullopt;
    CountWrite();
    if (!etag) {
      if (card && Fatal(error)) throw error;
      report.problems << f.name + QStringLiteral(": ") + error.Message();
      return false;
    }
    f.entry = entry;
    f.digest = Digest(entry);
    f.etag = *etag;
    f.data = *card;
    f.name = NameOf(entry);
    ++report.sent;
    return true;
  };
  // What the server sent is kept from now on, under its href; what of a
  // new version the files cannot hold is named once.
  auto keep = [&](const Fetched& f, bool named = true) {
    renewed[f.href] = f.data;
    kept[f.href] = f.data;
    if (named && !f.left_out.isEmpty()) report.partly_held << f.left_out.join(QStringLiteral("; "));
  };

  const int total = int(links.size() + locals.size());
  int done = 0;
  Progress(QCoreApplication::translate("Sync", "Comparing changes…"), done, total);
  const CollectionKind kind = calendar ? CollectionKind::kCalendar : CollectionKind::kAddressBook;
  std::vector<Link> kept_links;
  std::vector<PendingWrite> updates;
  for (Link link : links) {
    Progress(QCoreApplication::translate("Sync", "Comparing changes…"), ++done, total);
    const QString ident = Ident(link, calendar);
    auto local_it = local_by_ident.find(ident);
    const LocalItem* local =
        ident.isEmpty() || local_it == local_by_ident.end() || linked_idents.count(ident)
            ? nullptr
            : local_it->second;
    if (local) linked_idents.insert(ident);
    const bool local_changed = local && local->digest != link.digest;
    const bool server_removed = view->removed.count(link.href) != 0;
    auto fetched_it = fetched.find(link.href);
    Fetched* server = fetched_it == fetched.end() ? nullptr : &fetched_it->second;
    // A new etag over the same content (a server that gives no lasting
    // etags) is no change there.
    if (server && server->problem.isNull() && server->digest == link.digest && local) {
      keep(*server, false);
      link.etag = server->etag;
      server = nullptr;
    }

    if (server && !server->problem.isNull()) {
      // Changed there into something the files cannot hold: reported
      // once, left alone on both sides (edits here wait: the link keeps
      // the version they were made on).
      report.skipped << server->name + QStringLiteral(": ") + server->problem;
      kept_links.push_back(link);
      continue;
    }
    if (!local) {
      if (server_removed) continue;  // gone on both sides
      if (link.index == -3 && !server) {
        // Gone from the file without this program deleting it (another
        // program changed the file, a backup was put back): nothing is
        // deleted on the server; the item comes back from it.
        if (std::optional<Fetched> back = FromKept(link, calendar); back && claim(*back, QString())) {
          report.brought_back << back->name;
          changes.push_back({LocalChange::kAppend, QString(), *back});
          keep(*back, false);
        } else {
          kept_links.push_back(link);
        }
        continue;
      }
      if (server) {
        // Deleted here, changed there: the change is kept.
        if (claim(*server, QString())) {
          changes.push_back({LocalChange::kAppend, QString(), *server});
          keep(*server);
          if (link.index == -3) report.brought_back << server->name;
        }
        continue;
      }
      // Deleted here: removed there too, unless it changed there
      // meanwhile (then the link stays and the next run brings it back).
      updates.push_back(PendingWrite{WriteRequest{link.href, kind, QByteArray(), link.etag, true},
                                     QString(), [](const QString&) {},
                                     [&kept_links, link] { kept_links.push_back(link); }});
      continue;
    }
    if (server_removed) {
      if (local_changed) {
        // Changed here, deleted there: put back as it is now, named.
        const std::optional<QByteArray> bytes = Patched(*local, link, calendar);
        const QByteArray body = bytes ? *bytes : Encode(*local, link.uid, calendar);
        if (Put(link.href, body, NameOfLocal(*local, calendar), calendar, link.uid, local->digest,
                link)) {
          report.restored << NameOfLocal(*local, calendar);
          kept_links.push_back(link);
        }
        continue;
      }
      changes.push_back({LocalChange::kRemove, ident, Fetched{}});
      continue;
    }
    if (server) {
      if (!local_changed || server->digest == local->digest) {
        if (server->digest != local->digest) {
          if (!claim(*server, ident)) {
            kept_links.push_back(link);
            continue;
          }
          changes.push_back({LocalChange::kRewrite, ident, *server});
        }
        keep(*server);
        link.etag = server->etag;
        link.uid = server->uid.isEmpty() ? link.uid : server->uid;
        link.digest = server->digest;
        kept_links.push_back(link);
        continue;
      }
      // Changed on both sides: the server's version stays where it is
      // and comes here as a new item; this side's goes there as a new
      // resource, made from the version its edit was made on.
      report.conflicts << NameOfLocal(*local, calendar);
      if (claim(*server, QString())) {
        changes.push_back({LocalChange::kAppend, QString(), *server});
        keep(*server);
      }
      const QString uid = QUuid::createUuid().toString(QUuid::WithoutBraces);
      const std::optional<QByteArray> bytes = Patched(*local, link, calendar, uid);
      Link mine = link;
      if (Put(NewHref(collection, uid, calendar), bytes ? *bytes : Encode(*local, uid, calendar),
              NameOfLocal(*local, calendar), calendar, uid, local->digest, mine)) {
        kept_links.push_back(mine);
      }
      continue;
    }
    if (local_changed) {
      // Sent with the other updates below; the link stays as it is if
      // the server refuses.
      const std::optional<QByteArray> bytes = Patched(*local, link, calendar);
      if (!bytes) {
        // Nothing kept to patch (it is fetched on the next run): sending
        // a card made from the fields here would cut what they lack.
        report.problems << NameOfLocal(*local, calendar) +
                               QCoreApplication::translate("Sync", ": the server's copy is not at hand; it is sent on the next sync");
        kept_links.push_back(link);
        continue;
      }
      const std::size_t at = kept_links.size();
      const QByteArray digest = local->digest;
      const QString href = link.href;
      const QByteArray body = *bytes;
      updates.push_back(PendingWrite{
          WriteRequest{link.href, kind, body, link.etag, false}, NameOfLocal(*local, calendar),
          [this, &kept_links, at, digest, href, body](const QString& etag) {
            kept_links[at].etag = etag;
            kept_links[at].digest = digest;
            renewed[href] = body;
            kept[href] = body;
          }});
    }
    kept_links.push_back(link);
  }
  SendAll(updates);

  // Server resources no link knows: a copy of an unlinked local item is
  // taken as that item (an earlier run's write, the same data on two
  // machines before their first sync, or links lost with Sync.dat); the
  // rest come here.
  std::multimap<QByteArray, Fetched*> unlinked_by_digest;
  for (auto& [href, f] : fetched) {
    if (linked_hrefs.count(href)) continue;
    if (f.problem.isNull()) {
      unlinked_by_digest.emplace(f.digest, &f);
    }
  }
  // The same item by what it is (an entry's key; an appointment's day,
  // start and subject), for naming a copy that differs from this one.
  auto identity = [calendar](const Appointment& a, const QString& day, const AddressEntry& e) {
    return calendar ? day + QLatin1Char('|') + a.start + QLatin1Char('|') + a.subject : e.Key();
  };
  std::multimap<QString, const Fetched*> unlinked_by_identity;
  for (const auto& [digest, f] : unlinked_by_digest) {
    unlinked_by_identity.emplace(identity(f->appointment, DayKey(f->date), f->entry), f);
  }
  std::set<QString> adopted;
  std::vector<const LocalItem*> sent_new;
  std::vector<PendingWrite> additions;
  for (const LocalItem& item : locals) {
    if (linked_idents.count(item.ident)) continue;
    Progress(QCoreApplication::translate("Sync", "Comparing changes…"), ++done, total);
    Link link;
    if (calendar) {
      link.index = item.ident.toInt();
    } else {
      link.key = item.ident;
    }
    auto match = unlinked_by_digest.find(item.digest);
    while (match != unlinked_by_digest.end() && match->first == item.digest &&
           adopted.count(match->second->href)) {
      ++match;
    }
    if (match != unlinked_by_digest.end() && match->first == item.digest) {
      link.href = match->second->href;
      link.etag = match->second->etag;
      link.uid = match->second->uid;
      link.digest = item.digest;
      keep(*match->second);
      adopted.insert(link.href);
      kept_links.push_back(link);
      continue;
    }
    sent_new.push_back(&item);
    // New here: a new resource under a fresh UUID, sent with the others.
    const QString uid = QUuid::createUuid().toString(QUuid::WithoutBraces);
    link.href = NewHref(collection, uid, calendar);
    link.uid = uid;
    link.digest = item.digest;
    const QByteArray body = Encode(item, uid, calendar);
    additions.push_back(PendingWrite{
        WriteRequest{link.href, kind, body, QString(), false}, NameOfLocal(item, calendar),
        [this, &kept_links, link, body](const QString& etag) {
          kept_links.push_back(link);
          kept_links.back().etag = etag;
          renewed[link.href] = body;
          kept[link.href] = body;
        }});
  }
  // Without a link there is no telling which of two differing copies of
  // the same item is newer: both are kept, and the user is told.
  for (const LocalItem* item : sent_new) {
    const auto [first, end] = unlinked_by_identity.equal_range(
        identity(item->appointment, item->appointment.id.left(8), item->entry));
    if (std::any_of(first, end, [&](const auto& m) { return !adopted.count(m.second->href); })) {
      report.conflicts << NameOfLocal(*item, calendar);
    }
  }
  SendAll(additions);

  // What is left of the fetched unlinked resources comes here.
  std::vector<Skip> skips;
  for (const Skip& s : state.skipped) {
    if (!view->removed.count(s.href)) skips.push_back(s);
  }
  for (auto& entry : fetched) {
    const auto& href = entry.first;
    auto& f = entry.second;
    if (linked_hrefs.count(href) || adopted.count(href)) continue;
    if (!f.problem.isNull()) {
      auto known = std::find_if(skips.begin(), skips.end(),
                                [&](const Skip& s) { return s.href == href; });
      if (known == skips.end()) {
        report.skipped << f.name + QStringLiteral(": ") + f.problem;
        skips.push_back(Skip{href, f.etag});
      } else if (known->etag != f.etag) {
        report.skipped << f.name + QStringLiteral(": ") + f.problem;
        known->etag = f.etag;
      }
      continue;
    }
    std::erase_if(skips, [&](const Skip& s) { return s.href == href; });
    if (claim(f, QString())) {
      changes.push_back({LocalChange::kAppend, QString(), f});
      keep(f);
    }
  }
  state.skipped = std::move(skips);
  links = std::move(kept_links);
  token = view->token;
}
}  // namespace quorvel::sync
