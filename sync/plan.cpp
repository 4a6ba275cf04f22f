#include "sync/plan.h"

#include <algorithm>
#include <map>
#include <set>

#include <QUuid>

#include "sync/item_codec.h"
#include "sync/reconcile.h"
#include "sync/texts.h"

namespace quorvel::sync {
namespace {

QString NameOfLocal(const LocalItem& item, bool calendar) {
  return calendar ? NameOf(item.appointment) : NameOf(item.entry);
}

QByteArray Encode(const LocalItem& item, const QString& uid, bool calendar) {
  return calendar ? EncodeAppointment(item.appointment, uid) : EncodeEntry(item.entry, uid);
}

// The bytes that carry the local edits of `item` to the server: its kept
// resource patched (under `uid` when given). Nothing when no copy is kept,
// or it no longer reads as an item here: then nothing is sent, so what
// this side could not hold is never cut on the server.
std::optional<QByteArray> Patched(const std::map<QString, QByteArray>& kept, const LocalItem& item,
                                  const Link& link, bool calendar, const QString& uid = QString()) {
  const auto it = kept.find(link.href);
  if (it == kept.end()) return std::nullopt;
  return calendar ? PatchAppointment(it->second, item.appointment, uid)
                  : PatchEntry(it->second, item.entry, uid);
}

// What the server had for a local item that vanished: its kept copy.
std::optional<Fetched> FromKept(const std::map<QString, QByteArray>& kept, const Link& link,
                                bool calendar) {
  const auto it = kept.find(link.href);
  if (it == kept.end()) return std::nullopt;
  Fetched f = ReadFetched(link.href, link.etag, it->second, calendar);
  if (!f.problem.isNull()) return std::nullopt;
  return f;
}

// Links follow what the items hold (see reconcile.h).
void Rematch(std::vector<Link>& links, const std::vector<LocalItem>& locals,
             const std::map<QString, QByteArray>& kept, bool calendar) {
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

}  // namespace

Plan Decide(DecideInput in) {
  const bool calendar = in.calendar;
  const CollectionKind kind = calendar ? CollectionKind::kCalendar : CollectionKind::kAddressBook;
  const auto new_uid =
      in.new_uid ? in.new_uid : [] { return QUuid::createUuid().toString(QUuid::WithoutBraces); };
  auto new_href = [&](const QString& uid) {
    return in.collection_path + uid + (calendar ? QStringLiteral(".ics") : QStringLiteral(".vcf"));
  };
  Plan plan;
  ServerView& view = in.view;
  std::map<QString, Fetched>& fetched = in.fetched;
  std::map<QString, QByteArray>& kept = in.kept;
  const std::vector<LocalItem>& locals = in.locals;

  // Changed on the list but gone before the multiget: removed.
  for (const auto& [href, etag] : view.changed) {
    if (!fetched.count(href) && !view.refetch.count(href)) view.removed.insert(href);
  }
  // Fetched only to be kept: unchanged there when its etag is the link's.
  for (const auto& [href, etag] : view.refetch) {
    const auto it = fetched.find(href);
    if (it == fetched.end() || etag.isEmpty() || it->second.etag != etag) continue;
    kept[href] = it->second.data;
    plan.keep[href] = it->second.data;
    fetched.erase(it);
  }

  // The events first: they take the resources that are theirs.
  if (calendar) DecideEvents(in, plan, new_uid);
  std::vector<Link> links = std::move(in.links);
  Rematch(links, locals, kept, calendar);
  std::map<QString, const LocalItem*> local_by_ident;
  for (const LocalItem& item : locals) local_by_ident[item.ident] = &item;
  std::set<QString> linked_idents;
  std::set<QString> linked_hrefs;
  for (const Link& l : links) linked_hrefs.insert(l.href);

  plan.here.what = plan.there.what =
      calendar ? SyncTexts::tr("appointments") : SyncTexts::tr("address book entries");
  plan.here.here = true;
  plan.here.total += int(locals.size());
  plan.there.total += int(links.size());

  // Keys are unique in the address book: an entry from the server whose
  // key another entry has gets " (2)", " (3)"… after its first name, on
  // the server too (inside the server's own card), so every side shows the
  // same. Then `f` is the renamed card, to be written there first.
  std::set<QString> reserved;
  if (!calendar) {
    for (const LocalItem& item : locals) reserved.insert(item.ident);
  }
  enum Claim { kAsItIs, kRenamed, kCannot };
  auto claim = [&](Fetched& f, const QString& old_key) {
    if (calendar) return kAsItIs;
    if (!old_key.isEmpty()) reserved.erase(old_key);
    AddressEntry entry = f.entry;
    for (int n = 2; reserved.count(entry.Key()); ++n) {
      entry.name = f.entry.name + QStringLiteral(" (%1)").arg(n);
    }
    if (entry.Key() == f.entry.Key()) {
      reserved.insert(entry.Key());
      return kAsItIs;
    }
    const std::optional<QByteArray> card = PatchEntry(f.data, entry);
    if (!card) {
      plan.problems << f.name +
                           SyncTexts::tr(": its name is taken here and its card cannot be renamed");
      return kCannot;
    }
    reserved.insert(entry.Key());
    f.entry = entry;
    f.digest = Digest(entry);
    f.data = *card;
    f.name = NameOf(entry);
    return kRenamed;
  };
  auto note_left_out = [&](const Fetched& f) {
    if (!f.left_out.isEmpty()) plan.partly_held << f.left_out.join(QStringLiteral("; "));
  };
  // A server item that comes here as a new one; when refused (renaming
  // it), `link` stays or it is asked for again.
  auto append = [&](Fetched f, const std::optional<Link>& link, bool named) {
    const Claim c = claim(f, QString());
    if (c == kCannot) {
      if (link) plan.links.push_back(*link);
      return false;
    }
    if (named) note_left_out(f);
    const LocalChange change{LocalChange::kAppend, QString(), f};
    if (c == kRenamed) {
      std::optional<Skip> again;
      if (!link) again = Skip{f.href, QString()};
      plan.uploads.push_back(Upload{Upload::kRename,
                                    WriteRequest{f.href, kind, f.data, f.etag, false}, f.name,
                                    std::nullopt, change, link, again});
    } else {
      plan.changes.push_back(change);
      plan.keep[f.href] = f.data;
    }
    return true;
  };

  for (Link link : links) {
    const QString ident = IdentOf(link, calendar);
    auto local_it = local_by_ident.find(ident);
    const LocalItem* local =
        ident.isEmpty() || local_it == local_by_ident.end() || linked_idents.count(ident)
            ? nullptr
            : local_it->second;
    if (local) linked_idents.insert(ident);
    const bool local_changed = local && local->digest != link.digest;
    const bool server_removed = view.removed.count(link.href) != 0;
    auto fetched_it = fetched.find(link.href);
    Fetched* server = fetched_it == fetched.end() ? nullptr : &fetched_it->second;
    // A new etag over the same content (a server that gives no lasting
    // etags) is no change there.
    if (server && server->problem.isNull() && server->digest == link.digest && local) {
      plan.keep[server->href] = server->data;
      link.etag = server->etag;
      server = nullptr;
    }

    if (server && server->event && !local_changed &&
        std::none_of(in.events.begin(), in.events.end(),
                     [&](const LocalEvent& e) { return e.uid == server->uid; })) {
      // Changed there into a series or a multi-day event: it moves into
      // Events.dat, kept whole, and its link with it.
      if (local) plan.changes.push_back({LocalChange::kRemove, ident, Fetched{}});
      plan.event_changes.push_back({LocalChange::kAppend, QString(), *server});
      continue;
    }
    if (server && !server->problem.isNull()) {
      // Changed there into something the files cannot hold: named once,
      // left alone on both sides (edits here wait: the link keeps the
      // version they were made on).
      plan.not_held << server->name + QStringLiteral(": ") + server->problem;
      plan.links.push_back(link);
      continue;
    }
    if (!local) {
      if (server_removed) continue;  // gone on both sides
      if (link.index == -3 && !server) {
        // Gone from the file without this program deleting it (another
        // program changed the file, a backup was put back): nothing is
        // deleted on the server; the item comes back from it.
        std::optional<Fetched> back = FromKept(kept, link, calendar);
        if (back && append(*back, link, false)) {
          plan.brought_back << back->name;
        } else if (!back) {
          plan.links.push_back(link);
        }
        continue;
      }
      if (server) {
        // Deleted here, changed there: the change is kept.
        if (append(*server, std::nullopt, true) && link.index == -3) {
          plan.brought_back << server->name;
        }
        continue;
      }
      // Deleted here: removed there too, unless it changed there meanwhile
      // (then the link stays and the next run brings it back).
      ++plan.there.deletions;
      if (plan.there.names.size() < 5) plan.there.names << link.href.section(QLatin1Char('/'), -1);
      plan.uploads.push_back(Upload{
          Upload::kRemove, WriteRequest{link.href, kind, QByteArray(), link.etag, true},
          link.href.section(QLatin1Char('/'), -1), std::nullopt, std::nullopt, link, std::nullopt});
      continue;
    }
    const QString name = NameOfLocal(*local, calendar);
    if (server_removed) {
      if (local_changed) {
        // Changed here, deleted there: put back as it is now, named.
        const std::optional<QByteArray> bytes = Patched(kept, *local, link, calendar);
        Link back = link;
        back.digest = local->digest;
        plan.uploads.push_back(Upload{
            Upload::kRestore,
            WriteRequest{link.href, kind, bytes ? *bytes : Encode(*local, link.uid, calendar),
                         QString(), false},
            name, back, std::nullopt, std::nullopt, std::nullopt});
        continue;
      }
      ++plan.here.deletions;
      if (plan.here.names.size() < 5) plan.here.names << name;
      plan.changes.push_back({LocalChange::kRemove, ident, Fetched{}});
      continue;
    }
    if (server) {
      if (!local_changed || server->digest == local->digest) {
        Link now = link;
        now.etag = server->etag;
        now.uid = server->uid.isEmpty() ? link.uid : server->uid;
        if (server->digest != local->digest) {
          const QString old_etag = server->etag;
          const Claim c = claim(*server, ident);
          if (c == kCannot) {
            plan.links.push_back(link);
            continue;
          }
          now.digest = server->digest;
          note_left_out(*server);
          const LocalChange change{LocalChange::kRewrite, ident, *server};
          if (c == kRenamed) {
            plan.uploads.push_back(Upload{
                Upload::kRename, WriteRequest{server->href, kind, server->data, old_etag, false},
                server->name, now, change, link, std::nullopt});
            continue;
          }
          plan.changes.push_back(change);
        } else {
          note_left_out(*server);
        }
        now.digest = server->digest;
        plan.keep[server->href] = server->data;
        plan.links.push_back(now);
        continue;
      }
      // Changed on both sides: the server's version stays where it is and
      // comes here as a new item; this side's goes there as a new
      // resource, made from the version its edit was made on.
      plan.conflicts << name;
      append(*server, std::nullopt, true);
      const QString uid = new_uid();
      const std::optional<QByteArray> bytes = Patched(kept, *local, link, calendar, uid);
      Link mine = link;
      mine.href = new_href(uid);
      mine.uid = uid;
      mine.digest = local->digest;
      mine.kept_first = mine.kept_length = 0;
      mine.kept_digest.clear();
      plan.uploads.push_back(
          Upload{Upload::kConflictCopy,
                 WriteRequest{mine.href, kind, bytes ? *bytes : Encode(*local, uid, calendar),
                              QString(), false},
                 name, mine, std::nullopt, std::nullopt, std::nullopt});
      continue;
    }
    if (local_changed) {
      const std::optional<QByteArray> bytes = Patched(kept, *local, link, calendar);
      if (!bytes) {
        // Nothing kept to patch (it is fetched on the next run): sending
        // a card made from the fields here would cut what they lack.
        plan.problems << name +
                             SyncTexts::tr(
                                 ": the server's copy is not at hand; it is sent on the next sync");
        plan.links.push_back(link);
        continue;
      }
      Link sent = link;
      sent.digest = local->digest;
      plan.uploads.push_back(Upload{Upload::kUpdate,
                                    WriteRequest{link.href, kind, *bytes, link.etag, false}, name,
                                    sent, std::nullopt, link, std::nullopt});
      continue;
    }
    plan.links.push_back(link);
  }

  // Server resources no link knows: a copy of an unlinked local item is
  // taken as that item (an earlier run's write, the same data on two
  // machines before their first sync, or links lost with Sync.dat); the
  // rest come here.
  std::multimap<QByteArray, const Fetched*> unlinked_by_digest;
  for (const auto& [href, f] : fetched) {
    if (!linked_hrefs.count(href) && f.problem.isNull()) unlinked_by_digest.emplace(f.digest, &f);
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
  for (const LocalItem& item : locals) {
    if (linked_idents.count(item.ident)) continue;
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
      const Fetched& f = *match->second;
      link.href = f.href;
      link.etag = f.etag;
      link.uid = f.uid;
      link.digest = item.digest;
      plan.keep[f.href] = f.data;
      note_left_out(f);
      adopted.insert(link.href);
      plan.links.push_back(link);
      continue;
    }
    // New here: a new resource under a fresh UID.
    sent_new.push_back(&item);
    const QString uid = new_uid();
    link.href = new_href(uid);
    link.uid = uid;
    link.digest = item.digest;
    plan.uploads.push_back(
        Upload{Upload::kCreate,
               WriteRequest{link.href, kind, Encode(item, uid, calendar), QString(), false},
               NameOfLocal(item, calendar), link, std::nullopt, std::nullopt, std::nullopt});
  }

  // Without a link there is no telling which of two differing copies of
  // the same item is newer: both are kept, and the user is told.
  for (const LocalItem* item : sent_new) {
    const auto [first, end] = unlinked_by_identity.equal_range(
        identity(item->appointment, item->appointment.id.left(8), item->entry));
    if (std::any_of(first, end, [&](const auto& m) { return !adopted.count(m.second->href); })) {
      plan.conflicts << NameOfLocal(*item, calendar);
    }
  }

  // What is left of the fetched unlinked resources comes here; what the
  // files cannot hold is named once (again when it changes).
  for (const Skip& s : in.skipped) {
    if (!view.removed.count(s.href)) plan.skipped.push_back(s);
  }
  for (auto& entry : fetched) {
    const QString& href = entry.first;  // named, not bound: the lambdas below take it
    auto& f = entry.second;
    if (linked_hrefs.count(href) || adopted.count(href)) continue;
    if (!f.problem.isNull()) {
      auto known = std::find_if(plan.skipped.begin(), plan.skipped.end(),
                                [&](const Skip& s) { return s.href == href; });
      if (known == plan.skipped.end()) {
        plan.not_held << f.name + QStringLiteral(": ") + f.problem;
        plan.skipped.push_back(Skip{href, f.etag});
      } else if (known->etag != f.etag) {
        plan.not_held << f.name + QStringLiteral(": ") + f.problem;
        known->etag = f.etag;
      }
      continue;
    }
    std::erase_if(plan.skipped, [&](const Skip& s) { return s.href == href; });
    append(f, std::nullopt, true);
  }
  plan.token = view.token;
  return plan;
}

}  // namespace quorvel::sync
