#include "sync/reconcile.h"

#include <map>
#include <set>

namespace quorvel::sync {

void RematchAppointments(std::vector<Link>& links, const std::vector<LocalIdentity>& locals,
                         const std::vector<std::optional<KeptIdentity>>& kept) {
  const int count = int(locals.size());
  std::vector<bool> taken(locals.size(), false);
  std::vector<bool> matched(links.size(), false);
  // Where it was, unchanged.
  for (std::size_t i = 0; i < links.size(); ++i) {
    const int at = links[i].index;
    if (at >= 0 && at < count && !taken[std::size_t(at)] &&
        locals[std::size_t(at)].digest == links[i].digest) {
      taken[std::size_t(at)] = true;
      matched[i] = true;
    }
  }
  // Moved, unchanged: the same digest elsewhere.
  std::multimap<QByteArray, int> free_by_digest;
  for (int k = 0; k < count; ++k) {
    if (!taken[std::size_t(k)]) free_by_digest.emplace(locals[std::size_t(k)].digest, k);
  }
  for (std::size_t i = 0; i < links.size(); ++i) {
    if (matched[i] || links[i].index < 0) continue;
    auto range = free_by_digest.equal_range(links[i].digest);
    for (auto it = range.first; it != range.second; ++it) {
      if (taken[std::size_t(it->second)]) continue;
      links[i].index = it->second;
      taken[std::size_t(it->second)] = true;
      matched[i] = true;
      break;
    }
  }
  // Edited where it was: only on the same day (an edit keeps the day; the
  // items that merely moved were all found above, so what is left at a
  // position is this item edited, or a new one).
  for (std::size_t i = 0; i < links.size(); ++i) {
    if (matched[i] || links[i].index < 0) continue;
    const int at = links[i].index;
    const bool free_there = at < count && !taken[std::size_t(at)];
    const std::optional<KeptIdentity>& was = i < kept.size() ? kept[i] : std::nullopt;
    if (free_there) {
      // A link of an earlier version keeps nothing to compare with: its
      // position decides, as it did then.
      const LocalIdentity& now = locals[std::size_t(at)];
      if (!was || now.day == was->day) {
        taken[std::size_t(at)] = true;
        matched[i] = true;
        continue;
      }
    }
    // Moved and edited: the one item left on its day, if only one is.
    if (was) {
      int candidate = -1, found = 0;
      for (int k = 0; k < count; ++k) {
        if (!taken[std::size_t(k)] && locals[std::size_t(k)].day == was->day) {
          candidate = k;
          ++found;
        }
      }
      if (found == 1) {
        links[i].index = candidate;
        taken[std::size_t(candidate)] = true;
        matched[i] = true;
        continue;
      }
    }
    links[i].index = -3;
  }
}

void RematchEntries(std::vector<Link>& links, const std::vector<LocalIdentity>& locals) {
  std::set<QString> keys;
  for (const LocalIdentity& l : locals) keys.insert(l.ident);
  std::set<QString> linked;
  for (const Link& l : links) {
    if (keys.count(l.key)) linked.insert(l.key);
  }
  std::multimap<QByteArray, QString> free_by_digest;
  for (const LocalIdentity& l : locals) {
    if (!linked.count(l.ident)) free_by_digest.emplace(l.digest, l.ident);
  }
  for (Link& l : links) {
    if (l.key.isEmpty() || keys.count(l.key)) continue;
    auto range = free_by_digest.equal_range(l.digest);
    for (auto it = range.first; it != range.second; ++it) {
      if (linked.count(it->second)) continue;
      l.key = it->second;
      linked.insert(it->second);
      break;
    }
  }
}

bool TooManyDeletions(int deletions, int total) {
  return deletions > 5 || (deletions >= 2 && deletions * 2 > total);
}

}  // namespace quorvel::sync
