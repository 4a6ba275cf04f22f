// The events' part of a calendar's plan: events kept whole in Events.dat
// and their server resources, linked by UID. The text is never patched
// nor made from fields: what goes up is the text as kept here, what comes
// down is kept as the server sent it. The policy is the appointments'
// (plan.h).
#include <algorithm>
#include <map>
#include <set>

#include <QCryptographicHash>

#include "events/event_file.h"
#include "sync/item_codec.h"
#include "sync/plan.h"
#include "sync/texts.h"

namespace quorvel::sync {
namespace {

// The text's lines with folded ones joined, without line ends.
QList<QByteArray> LogicalLines(const QByteArray& text) {
  QList<QByteArray> out;
  for (QByteArray line : text.split('\n')) {
    if (line.endsWith('\r')) line.chop(1);
    if (!out.isEmpty() && (line.startsWith(' ') || line.startsWith('\t'))) {
      out.back() += line.mid(1);
    } else if (!line.isEmpty()) {
      out.push_back(line);
    }
  }
  return out;
}

QByteArray NameOfLine(const QByteArray& line) {
  qsizetype end = 0;
  while (end < line.size() && line[end] != ':' && line[end] != ';') ++end;
  return line.left(end).toUpper();
}

QByteArray ValueOfLine(const QByteArray& line) {
  bool quoted = false;
  for (qsizetype i = 0; i < line.size(); ++i) {
    if (line[i] == '"') quoted = !quoted;
    if (line[i] == ':' && !quoted) return line.mid(i + 1);
  }
  return QByteArray();
}

QString Unescaped(const QByteArray& value) {
  QString out;
  const QString text = QString::fromUtf8(value);
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == QLatin1Char('\\') && i + 1 < text.size()) {
      ++i;
      out +=
          text[i] == QLatin1Char('n') || text[i] == QLatin1Char('N') ? QLatin1Char(' ') : text[i];
    } else {
      out += text[i];
    }
  }
  return out;
}

// "Choir" on 12/01/2026: the series' own VEVENT (the one without a
// RECURRENCE-ID) names it.
QString EventName(const QByteArray& text) {
  QString summary, day;
  bool in_event = false, is_override = false;
  QString event_summary, event_day;
  for (const QByteArray& line : LogicalLines(text)) {
    const QByteArray name = NameOfLine(line);
    const QByteArray value = ValueOfLine(line).trimmed().toUpper();
    if (name == "BEGIN" && value == "VEVENT") {
      in_event = true;
      is_override = false;
      event_summary.clear();
      event_day.clear();
    } else if (name == "END" && value == "VEVENT" && in_event) {
      in_event = false;
      if (!is_override || summary.isNull()) {
        summary = event_summary.isNull() ? QStringLiteral("") : event_summary;
        day = event_day;
      }
    } else if (in_event && name == "RECURRENCE-ID") {
      is_override = true;
    } else if (in_event && name == "SUMMARY") {
      event_summary = Unescaped(ValueOfLine(line));
    } else if (in_event && name == "DTSTART") {
      event_day = QString::fromLatin1(value.left(8));
    }
  }
  if (summary.isEmpty()) return SyncTexts::tr("an event");
  Appointment a;
  a.subject = summary;
  a.id = day + QStringLiteral("-1");
  return NameOf(a);
}

QString EventProblem(const QByteArray& text) {
  if (text.size() > events::LargestEventText()) {
    return SyncTexts::tr("it is too large to keep here");
  }
  if (events::UidOf(text).isNull()) {
    return SyncTexts::tr("it no longer holds exactly one event");
  }
  return QString();
}

}  // namespace

QByteArray EventDigest(const QByteArray& text) {
  return QCryptographicHash::hash(text, QCryptographicHash::Sha256).left(16);
}

LocalEvent LocalEventOf(const QString& uid, const QByteArray& text) {
  return LocalEvent{uid, text, EventDigest(text), EventName(text)};
}

bool SameEvent(const QByteArray& a, const QByteArray& b) {
  if (a == b) return true;
  auto normal = [](const QByteArray& text) {
    QList<QByteArray> out;
    QByteArray path;
    for (const QByteArray& line : LogicalLines(text)) {
      const QByteArray name = NameOfLine(line);
      if (name == "BEGIN") path += '/' + ValueOfLine(line).trimmed().toUpper();
      if (name == "DTSTAMP" || name == "LAST-MODIFIED" || name == "PRODID") continue;
      QByteArray rest = line.mid(name.size());
      if (name == "RRULE") {
        // The rule's parts in any order (servers write them in their own).
        QList<QByteArray> parts = ValueOfLine(line).split(';');
        std::sort(parts.begin(), parts.end());
        rest = ':' + parts.join(';');
      }
      out.push_back(path + ' ' + name + rest);
      if (name == "END") path.truncate(qMax(0, int(path.lastIndexOf('/'))));
    }
    std::sort(out.begin(), out.end());
    return out;
  };
  return normal(a) == normal(b);
}

QByteArray WithUid(const QByteArray& text, const QString& uid) {
  QByteArray out;
  int depth = 0, event_depth = -1;
  bool dropping = false;  // the folded rest of a replaced UID line
  const QList<QByteArray> lines = text.split('\n');
  for (qsizetype i = 0; i < lines.size(); ++i) {
    const QByteArray& line = lines[i];
    const bool last = i + 1 == lines.size();
    if (dropping && (line.startsWith(' ') || line.startsWith('\t'))) continue;
    dropping = false;
    const QByteArray name = NameOfLine(line);
    const QByteArray value = ValueOfLine(line).trimmed().toUpper();
    if (name == "BEGIN") {
      ++depth;
      if (value == "VEVENT") event_depth = depth;
    } else if (name == "END") {
      if (depth == event_depth) event_depth = -1;
      --depth;
    } else if (name == "UID" && depth == event_depth) {
      out += "UID:" + uid.toUtf8() + (line.endsWith('\r') ? "\r" : "");
      if (!last) out += '\n';
      dropping = true;
      continue;
    }
    out += line;
    if (!last) out += '\n';
  }
  return out;
}

void DecideEvents(DecideInput& in, Plan& plan, const std::function<QString()>& new_uid) {
  const CollectionKind kind = CollectionKind::kCalendar;
  auto new_href = [&] { return in.collection_path + new_uid() + QStringLiteral(".ics"); };
  std::map<QString, const LocalEvent*> local_by_uid;
  for (const LocalEvent& e : in.events) local_by_uid[e.uid] = &e;
  std::set<QString> linked_uids, taken;
  auto take = [&](const QString& href) -> std::optional<Fetched> {
    const auto it = in.fetched.find(href);
    if (it == in.fetched.end()) return std::nullopt;
    Fetched f = std::move(it->second);
    in.fetched.erase(it);
    taken.insert(href);
    return f;
  };
  auto link_to = [](const Fetched& f, const QByteArray& digest) {
    Link l;
    l.key = l.uid = events::UidOf(f.data);
    l.href = f.href;
    l.etag = f.etag;
    l.digest = digest;
    return l;
  };
  auto not_held = [&](const Fetched& f, const QString& why) {
    plan.not_held << f.name + QStringLiteral(": ") + why;
  };
  // Changed on both sides: the server's version keeps the UID here, this
  // side's is kept under a new UID and goes there as a new resource.
  auto both_kept = [&](const LocalEvent& local, const Fetched& server) {
    plan.conflicts << local.name;
    plan.event_changes.push_back({LocalChange::kRewrite, local.uid, server});
    const QString uid = new_uid();
    Fetched mine;
    mine.data = WithUid(local.text, uid);
    plan.event_changes.push_back({LocalChange::kAppend, QString(), mine});
    Link l;
    l.key = l.uid = uid;
    l.href = new_href();
    l.digest = EventDigest(mine.data);
    plan.uploads.push_back(Upload{Upload::kConflictCopy,
                                  WriteRequest{l.href, kind, mine.data, QString(), false},
                                  local.name, l, std::nullopt, std::nullopt, std::nullopt, true});
  };
  plan.here.total += int(in.events.size());
  plan.there.total += int(in.event_links.size());
  bool damage_named = false;

  for (Link link : in.event_links) {
    const auto local_it = local_by_uid.find(link.key);
    const LocalEvent* local =
        local_it == local_by_uid.end() || linked_uids.count(link.key) ? nullptr : local_it->second;
    if (local) linked_uids.insert(link.key);
    const bool local_changed = local && local->digest != link.digest;
    const bool server_removed = in.view.removed.count(link.href) != 0;
    std::optional<Fetched> server = take(link.href);
    if (server) {
      const QString problem = EventProblem(server->data);
      if (!problem.isNull()) {
        // Changed there into something Events.dat cannot keep: named,
        // left alone on both sides (edits here wait on this version).
        not_held(*server, problem);
        plan.event_links.push_back(link);
        continue;
      }
      if (local && SameEvent(server->data, local->text)) {
        link.etag = server->etag;
        link.digest = local->digest;
        plan.event_links.push_back(link);
        continue;
      }
    }
    if (!local) {
      if (server_removed) continue;  // gone on both sides
      if (server) {
        // Deleted here, changed there: the change comes back.
        plan.event_changes.push_back({LocalChange::kAppend, QString(), *server});
        continue;
      }
      if (in.events_damaged) {
        // It may be one of the runs that no longer read: nothing is
        // deleted there on its account.
        if (!damage_named) {
          plan.problems << SyncTexts::tr(
              "Events.dat holds events that no longer read; events missing here are not deleted on "
              "the server");
          damage_named = true;
        }
        plan.event_links.push_back(link);
        continue;
      }
      const QString name = link.href.section(QLatin1Char('/'), -1);
      ++plan.there.deletions;
      if (plan.there.names.size() < 5) plan.there.names << name;
      plan.uploads.push_back(Upload{Upload::kRemove,
                                    WriteRequest{link.href, kind, QByteArray(), link.etag, true},
                                    name, std::nullopt, std::nullopt, link, std::nullopt, true});
      continue;
    }
    if (server_removed) {
      if (local_changed) {
        // Changed here, deleted there: put back as it is now, named.
        Link back = link;
        back.digest = local->digest;
        plan.uploads.push_back(
            Upload{Upload::kRestore, WriteRequest{link.href, kind, local->text, QString(), false},
                   local->name, back, std::nullopt, std::nullopt, std::nullopt, true});
        continue;
      }
      ++plan.here.deletions;
      if (plan.here.names.size() < 5) plan.here.names << local->name;
      plan.event_changes.push_back({LocalChange::kRemove, local->uid, Fetched{}});
      continue;
    }
    if (server) {
      if (local_changed) {
        both_kept(*local, *server);
        plan.event_links.push_back(link);
        continue;
      }
      // Changed there: its link is renewed once the text is stored.
      plan.event_changes.push_back({LocalChange::kRewrite, local->uid, *server});
      plan.event_links.push_back(link);
      continue;
    }
    if (local_changed) {
      // Changed here: sent as kept, over the version it was made on.
      Link sent = link;
      sent.digest = local->digest;
      plan.uploads.push_back(Upload{Upload::kUpdate,
                                    WriteRequest{link.href, kind, local->text, link.etag, false},
                                    local->name, sent, std::nullopt, link, std::nullopt, true});
      continue;
    }
    plan.event_links.push_back(link);
  }

  // Server events no link knows: one with the UID of an unlinked event
  // here is that event (an earlier run's write whose answer was lost, the
  // same file imported on two machines); the rest come here. Resources
  // linked to appointments are the appointments' business.
  std::set<QString> appointment_hrefs;
  for (const Link& l : in.links) appointment_hrefs.insert(l.href);
  std::set<QString> adopted_uids;
  std::vector<QString> hrefs;
  for (const auto& [href, f] : in.fetched) {
    if (f.event && !appointment_hrefs.count(href)) hrefs.push_back(href);
  }
  for (const QString& href : hrefs) {
    const Fetched f = *take(href);
    const auto local_it = local_by_uid.find(f.uid);
    const bool here = local_it != local_by_uid.end();
    if (adopted_uids.count(f.uid) || (here && linked_uids.count(f.uid))) {
      not_held(f, SyncTexts::tr("another resource on the server holds an event of the same UID"));
      plan.skipped.push_back(Skip{href, f.etag});
      continue;
    }
    adopted_uids.insert(f.uid);
    if (!here) {
      plan.event_changes.push_back({LocalChange::kAppend, QString(), f});
      continue;
    }
    const LocalEvent& local = *local_it->second;
    linked_uids.insert(f.uid);
    if (SameEvent(f.data, local.text)) {
      plan.event_links.push_back(link_to(f, local.digest));
    } else {
      // No link: no telling which is newer; both are kept, and named.
      both_kept(local, f);
    }
  }
  std::erase_if(in.skipped, [&](const Skip& s) { return taken.count(s.href) != 0; });

  // New here: a new resource (under a fresh name; the UID stays the event's).
  for (const LocalEvent& e : in.events) {
    if (linked_uids.count(e.uid)) continue;
    Link l;
    l.key = l.uid = e.uid;
    l.href = new_href();
    l.digest = e.digest;
    plan.uploads.push_back(Upload{Upload::kCreate,
                                  WriteRequest{l.href, kind, e.text, QString(), false}, e.name, l,
                                  std::nullopt, std::nullopt, std::nullopt, true});
  }
}

}  // namespace quorvel::sync
