#include <algorithm>

#include "sync/engine_run.h"
#include "sync/item_codec.h"
#include "sync/texts.h"

namespace quorvel::sync {

using namespace run;

// Whether an appointment can go in as a new one; reported when not.
bool SyncEngine::Impl::Fits(store::Operation& op, const Fetched& f) {
  if (op.ReadCount(store::Channel::kAppoint) >= store::Info(store::Channel::kAppoint).max_items) {
    report.skipped << f.name + SyncTexts::tr(": the appointment file is full");
    return false;
  }
  return true;
}

void SyncEngine::Impl::ApplyCalendar(store::Operation& op) {
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

void SyncEngine::Impl::ApplyBook(store::Operation& op) {
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
    if (old_key.isEmpty() &&
        op.ReadCount(store::Channel::kAddBook) >= store::Info(store::Channel::kAddBook).max_items) {
      report.skipped << change.source.name + SyncTexts::tr(": the address book is full");
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
}  // namespace quorvel::sync
