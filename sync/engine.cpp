#include "sync/engine.h"

#include <algorithm>
#include <map>
#include <set>

#include <QCoreApplication>
#include <QUuid>

#include "addressbook/address_file.h"
#include "calendar/appointment_file.h"
#include "sync/item_codec.h"

namespace quorvel::sync {
namespace {

// A local item as read at the start of the run.
struct LocalItem {
  QString ident;  // position (appointments) or key (entries)
  QByteArray digest;
  Appointment appointment;
  AddressEntry entry;
};

// A resource fetched from the server.
struct Fetched {
  QString href;
  QString etag;
  QByteArray digest;
  QString uid;
  QString problem;
  QString name;
  QDate date;
  Appointment appointment;
  AddressEntry entry;
};

// A change to make to the local files once the server writes are done.
struct LocalChange {
  enum What { kRewrite, kRemove, kAppend } what;
  QString ident;     // the item changed or removed
  Fetched source;    // what it becomes (rewrite, append)
};

QString Ident(const Link& link, bool calendar) {
  return calendar ? (link.index >= 0 ? QString::number(link.index) : QString()) : link.key;
}

bool Fatal(const DavError& error) { return error.EndsRun(); }

class Stopped {};  // thrown to end a run early, as a kill would

}  // namespace

QString SyncReport::Summary() const {
  if (stopped) return error;
  if (!ok()) return QCoreApplication::translate("Sync", "Sync failed: ") + error;
  QString line = QCoreApplication::translate("Sync", "Sync done: %1 received, %2 sent").arg(received).arg(sent);
  if (!conflicts.isEmpty()) {
    line += QCoreApplication::translate("Sync", ", %1 changed on both sides and kept twice (%2)")
                .arg(conflicts.size())
                .arg(conflicts.join(QStringLiteral("; ")));
  }
  if (!skipped.isEmpty()) {
    line += QCoreApplication::translate("Sync", ", %1 left on the server (%2)")
                .arg(skipped.size())
                .arg(skipped.join(QStringLiteral("; ")));
  }
  if (!ignored.isEmpty()) {
    line += QCoreApplication::translate("Sync",
                                        ", %1 ignored: the server named them outside their "
                                        "collection (%2)")
                .arg(ignored.size())
                .arg(ignored.join(QStringLiteral("; ")));
  }
  if (!problems.isEmpty()) {
    line += QCoreApplication::translate("Sync", ", %1 to retry (%2)")
                .arg(problems.size())
                .arg(problems.join(QStringLiteral("; ")));
  }
  return line + QLatin1Char('.');
}

struct SyncEngine::Impl {
  SyncEngine& engine;
  SyncReport report;
  SyncState state;
  std::vector<LocalItem> appointments;
  std::vector<LocalItem> entries;
  std::vector<LocalChange> calendar_changes;
  std::vector<LocalChange> book_changes;
  int writes = 0;

  explicit Impl(SyncEngine& e) : engine(e) {}

  void Progress(const QString& step, int done = 0, int total = 0) {
    if (engine.progress_) engine.progress_(SyncProgress{step, done, total});
  }

  void CountWrite() {
    ++writes;
    if (engine.stop_after_writes_ >= 0 && writes >= engine.stop_after_writes_) throw Stopped();
  }

  void Files(const std::function<void()>& work) {
    if (engine.run_on_files_) {
      engine.run_on_files_(work);
    } else {
      work();
    }
  }

  static std::vector<LocalItem> ReadAppointments(const store::DataFiles& files) {
    std::vector<LocalItem> items;
    const int count = files.ReadCount(store::Channel::kAppoint);
    items.reserve(count);
    for (int k = 0; k < count; ++k) {
      LocalItem item;
      item.ident = QString::number(k);
      item.appointment = ReadAppointment(files, k);
      item.digest = Digest(item.appointment);
      items.push_back(std::move(item));
    }
    return items;
  }

  static std::vector<LocalItem> ReadEntries(const store::DataFiles& files) {
    std::vector<LocalItem> items;
    const int count = files.ReadCount(store::Channel::kAddBook);
    items.reserve(count);
    for (int k = 0; k < count; ++k) {
      LocalItem item;
      item.entry = ReadAddressEntry(files, k);
      item.ident = item.entry.Key();
      item.digest = Digest(item.entry);
      items.push_back(std::move(item));
    }
    return items;
  }

  // ------------------------------------------------------------ the server

  struct ServerView {
    std::map<QString, QString> changed;  // href -> etag
    std::set<QString> removed;
    QString token;
  };

  // What changed on the server since `token`, as far as the links and the
  // skipped items tell; nothing when the server cannot be asked.
  std::optional<ServerView> AskServer(const QUrl& collection, const QString& token,
                                      const std::vector<Link>& links) {
    DavClient& client = engine.client_;
    std::map<QString, QString> known;  // href -> etag as last seen
    for (const Link& l : links) known[l.href] = l.etag;
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
        return view;
      }
      if (Fatal(error)) return Fail(error);
    }
    // No sync-token: the ctag says whether anything changed at all.
    const QString ctag_token = QStringLiteral("ctag:") + described->ctag;
    if (!described->ctag.isEmpty() && ctag_token == token) {
      view.token = token;
      return view;
    }
    auto members = client.ListMembers(collection, &error);
    if (!members) return Fail(error);
    take_listing(*members);
    view.token = described->ctag.isEmpty() ? QString() : ctag_token;
    return view;
  }

  std::nullopt_t Fail(const DavError& error) {
    if (report.error.isNull()) {
      report.error = error.Message();
      report.stopped = error.kind == DavErrorKind::kStopped;
    }
    return std::nullopt;
  }

  std::optional<std::map<QString, Fetched>> FetchChanged(const QUrl& collection, bool calendar,
                                                         const ServerView& view) {
    QStringList hrefs;
    for (const auto& [href, etag] : view.changed) hrefs << href;
    std::map<QString, Fetched> fetched;
    if (hrefs.isEmpty()) return fetched;
    Progress(QCoreApplication::translate("Sync", "Receiving changes…"), 0, int(hrefs.size()));
    DavError error;
    auto resources = engine.client_.Multiget(
        collection, calendar ? CollectionKind::kCalendar : CollectionKind::kAddressBook, hrefs,
        &error);
    if (!resources) return Fail(error);
    for (const Resource& r : *resources) {
      Fetched f;
      f.href = r.href;
      f.etag = r.etag;
      if (calendar) {
        DecodedAppointment d = DecodeAppointment(r.data);
        f.uid = d.uid;
        f.problem = d.problem;
        f.name = d.name;
        f.date = d.date;
        f.appointment = d.appointment;
        f.appointment.id = DayKey(d.date) + QStringLiteral("-1");
        f.digest = Digest(f.appointment);
      } else {
        DecodedEntry d = DecodeEntry(r.data);
        f.uid = d.uid;
        f.problem = d.problem;
        f.name = d.name;
        f.entry = d.entry;
        f.digest = Digest(f.entry);
      }
      fetched[f.href] = std::move(f);
    }
    return fetched;
  }

  // ------------------------------------------------------------ deciding

  QByteArray Encode(const LocalItem& item, const QString& uid, bool calendar) const {
    return calendar ? EncodeAppointment(item.appointment, uid) : EncodeEntry(item.entry, uid);
  }

  QString NameOfLocal(const LocalItem& item, bool calendar) const {
    return calendar ? NameOf(item.appointment) : NameOf(item.entry);
  }

  // A write waiting to be sent with others: `stored` takes the new etag
  // when the server took it; a refusal is reported under `name`.
  struct PendingWrite {
    WriteRequest request;
    QString name;
    std::function<void(const QString& etag)> stored;
    std::function<void()> refused = {};  // instead of reporting the refusal
  };

  // Sends `pending` several at a time. Stops (and throws) on a failure that
  // ends the run, or once the test's write limit is reached.
  void SendAll(std::vector<PendingWrite>& pending) {
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
      if (p.refused) {
        p.refused();
      } else {
        report.problems << p.name + QStringLiteral(": ") + result.error.Message();
      }
      return true;
    });
    pending.clear();
    if (fatal) throw *fatal;
    if (cut) throw Stopped();
  }

  // Puts `item` on the server as a new resource; fills `link` (href, etag,
  // uid, digest). False when the server refused (reported).
  bool PushNew(const QUrl& collection, const LocalItem& item, bool calendar, Link& link,
               const QString& href_wanted = QString()) {
    const QString uid = QUuid::createUuid().toString(QUuid::WithoutBraces);
    const QString href = href_wanted.isEmpty()
                             ? DavClient::PathOf(collection) + uid +
                                   (calendar ? QStringLiteral(".ics") : QStringLiteral(".vcf"))
                             : href_wanted;
    const QString keep_uid = href_wanted.isEmpty() || link.uid.isEmpty() ? uid : link.uid;
    DavError error;
    auto etag = engine.client_.Put(
        href, calendar ? CollectionKind::kCalendar : CollectionKind::kAddressBook,
        Encode(item, keep_uid, calendar), QString(), &error);
    CountWrite();
    if (!etag) {
      if (Fatal(error)) throw error;
      report.problems << NameOfLocal(item, calendar) + QStringLiteral(": ") + error.Message();
      return false;
    }
    link.href = href;
    link.etag = *etag;
    link.uid = keep_uid;
    link.digest = item.digest;
    ++report.sent;
    return true;
  }

  void Decide(const QUrl& collection, bool calendar) {
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
      if (!fetched.count(href)) view->removed.insert(href);
    }

    std::map<QString, const LocalItem*> local_by_ident;
    for (const LocalItem& item : locals) local_by_ident[item.ident] = &item;
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
      DavError error;
      auto etag = engine.client_.Put(f.href, CollectionKind::kAddressBook,
                                     EncodeEntry(entry, f.uid), f.etag, &error);
      CountWrite();
      if (!etag) {
        if (Fatal(error)) throw error;
        report.problems << f.name + QStringLiteral(": ") + error.Message();
        return false;
      }
      f.entry = entry;
      f.digest = Digest(entry);
      f.etag = *etag;
      f.name = NameOf(entry);
      ++report.sent;
      return true;
    };

    const int total = int(links.size() + locals.size());
    int done = 0;
    Progress(QCoreApplication::translate("Sync", "Comparing changes…"), done, total);
    const CollectionKind kind = calendar ? CollectionKind::kCalendar : CollectionKind::kAddressBook;
    std::vector<Link> kept;
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

      if (server && !server->problem.isNull()) {
        // Changed there into something the files cannot hold: reported
        // once, left alone on both sides.
        report.skipped << server->name + QStringLiteral(": ") + server->problem;
        link.etag = server->etag;
        kept.push_back(link);
        continue;
      }
      if (!local) {
        if (server_removed) continue;  // gone on both sides
        if (server) {
          // Deleted here, changed there: the change is kept.
          if (claim(*server, QString())) {
            changes.push_back({LocalChange::kAppend, QString(), *server});
          }
          continue;
        }
        // Deleted here: removed there too, unless it changed there
        // meanwhile (then the link stays and the next run brings it back).
        updates.push_back(PendingWrite{WriteRequest{link.href, kind, QByteArray(), link.etag, true},
                                       QString(), [](const QString&) {},
                                       [&kept, link] { kept.push_back(link); }});
        continue;
      }
      if (server_removed) {
        if (local_changed) {
          // Changed here, deleted there: put back as it is now.
          if (PushNew(collection, *local, calendar, link, link.href)) kept.push_back(link);
          continue;
        }
        changes.push_back({LocalChange::kRemove, ident, Fetched{}});
        continue;
      }
      if (server) {
        if (!local_changed || server->digest == local->digest) {
          if (server->digest != local->digest) {
            if (!claim(*server, ident)) {
              kept.push_back(link);
              continue;
            }
            changes.push_back({LocalChange::kRewrite, ident, *server});
          }
          link.etag = server->etag;
          link.uid = server->uid.isEmpty() ? link.uid : server->uid;
          link.digest = server->digest;
          kept.push_back(link);
          continue;
        }
        // Changed on both sides: the server's version stays where it is
        // and comes here as a new item; this side's goes there as a new
        // resource.
        report.conflicts << NameOfLocal(*local, calendar);
        if (claim(*server, QString())) {
          changes.push_back({LocalChange::kAppend, QString(), *server});
        }
        Link mine = link;
        if (PushNew(collection, *local, calendar, mine)) kept.push_back(mine);
        continue;
      }
      if (local_changed) {
        // Sent with the other updates below; the link stays as it is if
        // the server refuses.
        const std::size_t at = kept.size();
        const QByteArray digest = local->digest;
        updates.push_back(PendingWrite{
            WriteRequest{link.href, kind, Encode(*local, link.uid, calendar), link.etag, false},
            NameOfLocal(*local, calendar), [&kept, at, digest](const QString& etag) {
              kept[at].etag = etag;
              kept[at].digest = digest;
            }});
      }
      kept.push_back(link);
    }
    SendAll(updates);

    // Server resources no link knows: a copy of an unlinked local item is
    // taken as that item (an earlier run's write, or the same data on two
    // machines before their first sync); the rest come here.
    std::multimap<QByteArray, Fetched*> unlinked_by_digest;
    for (auto& [href, f] : fetched) {
      if (linked_hrefs.count(href)) continue;
      if (f.problem.isNull()) unlinked_by_digest.emplace(f.digest, &f);
    }
    std::set<QString> adopted;
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
      if (match != unlinked_by_digest.end()) {
        link.href = match->second->href;
        link.etag = match->second->etag;
        link.uid = match->second->uid;
        link.digest = item.digest;
        adopted.insert(link.href);
        unlinked_by_digest.erase(match);
        kept.push_back(link);
        continue;
      }
      // New here: a new resource under a fresh UUID, sent with the others.
      const QString uid = QUuid::createUuid().toString(QUuid::WithoutBraces);
      link.href = DavClient::PathOf(collection) + uid +
                  (calendar ? QStringLiteral(".ics") : QStringLiteral(".vcf"));
      link.uid = uid;
      link.digest = item.digest;
      additions.push_back(PendingWrite{
          WriteRequest{link.href, kind, Encode(item, uid, calendar), QString(), false},
          NameOfLocal(item, calendar), [&kept, link](const QString& etag) {
            kept.push_back(link);
            kept.back().etag = etag;
          }});
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
      if (claim(f, QString())) changes.push_back({LocalChange::kAppend, QString(), f});
    }
    state.skipped = std::move(skips);
    links = std::move(kept);
    token = view->token;
  }

  // ------------------------------------------------------------ storing

  // Applies the planned changes and the links in one operation. False when
  // the local items changed since they were read (the run starts over).
  bool Store() {
    bool unchanged = true;
    Files([&] {
      const store::DataFiles& files = engine.files_;
      const auto now_appointments = ReadAppointments(files);
      const auto now_entries = ReadEntries(files);
      auto same = [](const std::vector<LocalItem>& a, const std::vector<LocalItem>& b) {
        return a.size() == b.size() &&
               std::equal(a.begin(), a.end(), b.begin(), [](const LocalItem& x, const LocalItem& y) {
                 return x.ident == y.ident && x.digest == y.digest;
               });
      };
      if (!same(now_appointments, appointments) || !same(now_entries, entries)) {
        unchanged = false;
        return;
      }
      store::Operation op(engine.files_);
      ApplyCalendar(op);
      ApplyBook(op);
      SaveState(engine.files_, op, state);
      const store::Outcome outcome = op.Commit();
      if (outcome.refused()) report.error = outcome.reason();
    });
    return unchanged;
  }

  // Whether an appointment can go in as a new one; reported when not.
  bool Fits(store::Operation& op, const Fetched& f) {
    if (op.ReadCount(store::Channel::kAppoint) >= store::Info(store::Channel::kAppoint).max_items) {
      report.skipped << f.name + QCoreApplication::translate("Sync", ": the appointment file is full");
      return false;
    }
    return true;
  }

  void ApplyCalendar(store::Operation& op) {
    std::vector<Link>& links = state.appointments;
    auto link_at = [&links](int index) -> Link* {
      for (Link& l : links) {
        if (l.index == index) return &l;
      }
      return nullptr;
    };
    std::vector<int> removals;
    std::vector<std::pair<Fetched, Link>> appends;
    for (const LocalChange& change : calendar_changes) {
      if (change.what == LocalChange::kRewrite) {
        const int k = change.ident.toInt();
        const Appointment now = appointments[k].appointment;
        if (now.id.left(8) == DayKey(change.source.date)) {
          Appointment a = change.source.appointment;
          a.id = now.id;
          RewriteAppointment(op, k, a);
        } else {
          // Moved to another day: the ID carries the date, so it goes
          // out and comes back in under its new date.
          Link* l = link_at(k);
          Link moved = l ? *l : Link{};
          if (l) l->index = -2;  // taken out of the list below
          removals.push_back(k);
          appends.push_back({change.source, moved});
        }
        ++report.received;
      } else if (change.what == LocalChange::kRemove) {
        removals.push_back(change.ident.toInt());
        ++report.received;
      } else {
        Link l;
        l.href = change.source.href;
        l.etag = change.source.etag;
        l.uid = change.source.uid;
        l.digest = change.source.digest;
        appends.push_back({change.source, l});
      }
    }
    std::erase_if(links, [](const Link& l) { return l.index == -2; });
    std::sort(removals.rbegin(), removals.rend());
    for (int k : removals) {
      RemoveAppointment(op, k);
      std::erase_if(links, [k](const Link& l) { return l.index == k; });
      ShiftAfterRemoval(state, k);
    }
    for (auto& [source, link] : appends) {
      if (!Fits(op, source)) {
        state.skipped.push_back(Skip{source.href, QString()});
        continue;
      }
      Appointment a = source.appointment;
      a.id = NextAppointmentId(op, source.date);
      link.index = op.ReadCount(store::Channel::kAppoint);
      const store::Outcome added = AddAppointment(op, a);
      if (added.refused()) {
        report.skipped << source.name + QStringLiteral(": ") + added.reason();
        continue;
      }
      links.push_back(link);
      ++report.received;
    }
  }

  void ApplyBook(store::Operation& op) {
    std::vector<Link>& links = state.entries;
    std::set<QString> keys;
    for (const LocalItem& item : entries) keys.insert(item.ident);
    // A key already taken gets " (2)", " (3)"… after the first name.
    auto free_entry = [&keys](AddressEntry entry, const QString& old_key) {
      const QString name = entry.name;
      for (int n = 2; entry.Key() != old_key && keys.count(entry.Key()); ++n) {
        entry.name = name + QStringLiteral(" (%1)").arg(n);
      }
      return entry;
    };
    for (const LocalChange& change : book_changes) {
      if (change.what == LocalChange::kRemove) {
        DeleteAddressEntry(op, change.ident);
        keys.erase(change.ident);
        std::erase_if(links, [&](const Link& l) { return l.key == change.ident; });
        ++report.received;
        continue;
      }
      const QString old_key = change.what == LocalChange::kRewrite ? change.ident : QString();
      if (old_key.isEmpty() && op.ReadCount(store::Channel::kAddBook) >=
                                   store::Info(store::Channel::kAddBook).max_items) {
        report.skipped << change.source.name + QCoreApplication::translate("Sync", ": the address book is full");
        state.skipped.push_back(Skip{change.source.href, QString()});
        continue;
      }
      const AddressEntry entry = free_entry(change.source.entry, old_key);
      ReplaceAddressEntry(op, old_key, entry);
      keys.erase(old_key);
      keys.insert(entry.Key());
      Link* link = nullptr;
      for (Link& l : links) {
        if (!old_key.isEmpty() && l.key == old_key) link = &l;
      }
      if (!link) {
        links.push_back(Link{});
        link = &links.back();
        link->href = change.source.href;
        link->etag = change.source.etag;
        link->uid = change.source.uid;
      }
      link->key = entry.Key();
      link->digest = Digest(entry);
      ++report.received;
    }
  }
};

SyncEngine::SyncEngine(store::DataFiles& files, DavClient& client, FilesRunner run_on_files)
    : files_(files), client_(client), run_on_files_(std::move(run_on_files)) {}

SyncEngine::~SyncEngine() = default;

void SyncEngine::set_stop(std::shared_ptr<const std::atomic<bool>> stop) {
  client_.set_stop(std::move(stop));
}

SyncReport SyncEngine::Run() {
  const int requests_before = client_.request_count();
  SyncReport last;
  // Local edits made while the server was asked start the run over once.
  for (int attempt = 0; attempt < 3; ++attempt) {
    Impl run(*this);
    std::optional<SyncState> loaded;
    run.Files([&] {
      loaded = LoadState(files_);
      if (!loaded) return;
      run.appointments = Impl::ReadAppointments(files_);
      run.entries = Impl::ReadEntries(files_);
    });
    if (!loaded) {
      run.report.error = QCoreApplication::translate("Sync", "The sync state in Sync.dat is damaged. Set up sync again to start over.");
      return run.report;
    }
    run.state = *loaded;
    try {
      if (run.state.settings.calendar.isValid()) run.Decide(run.state.settings.calendar, true);
      if (run.state.settings.address_book.isValid()) {
        run.Decide(run.state.settings.address_book, false);
      }
      run.Progress(QCoreApplication::translate("Sync", "Storing changes…"));
      const bool stored = run.Store();
      run.report.requests = client_.request_count() - requests_before;
      run.report.ignored = client_.ignored();
      if (stored) return run.report;
      last = run.report;
    } catch (const DavError& error) {
      run.report.error = error.Message();
      run.report.stopped = error.kind == DavErrorKind::kStopped;
      run.report.requests = client_.request_count() - requests_before;
      return run.report;
    } catch (const Stopped&) {
      if (run.report.error.isNull()) run.report.error = QStringLiteral("stopped before the end");
      run.report.requests = client_.request_count() - requests_before;
      return run.report;
    }
  }
  last.error = QCoreApplication::translate("Sync", "The items kept changing while syncing; sync again later.");
  return last;
}

}  // namespace quorvel::sync
