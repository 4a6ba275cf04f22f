// The decision without a network or files: links, local items and what the
// server sent go in, a plan comes out. One collection at a time, each case
// a change from one linked appointment "Dentist" that both sides agree on.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "sync/item_codec.h"
#include "sync/plan.h"

namespace quorvel::sync {
namespace {

Appointment Appt(const QString& day, const QString& subject) {
  return Appointment{
      day + QStringLiteral("-1"), subject,  QStringLiteral("09:00"), QStringLiteral("10:00"), false,
      QStringLiteral("15"),       QString()};
}

const QString kHref = QStringLiteral("/cal/a.ics");

// The plan in one line: uploads, changes here, the links it keeps
// whatever the server answers, and what it names.
QString Describe(const Plan& plan) {
  static const char* kinds[] = {"update", "create", "remove", "restore", "conflict-copy", "rename"};
  auto what = [](const LocalChange& c) {
    const QString name = c.source.appointment.subject + c.source.entry.name;
    switch (c.what) {
      case LocalChange::kRewrite:
        return QStringLiteral("rewrite %1 %2").arg(c.ident, name);
      case LocalChange::kRemove:
        return QStringLiteral("remove %1").arg(c.ident);
      case LocalChange::kAppend:
        return QStringLiteral("append ") + name;
    }
    return QString();
  };
  QStringList out;
  for (const Upload& u : plan.uploads) {
    QString line = QString::fromLatin1(kinds[u.kind]) + QLatin1Char(' ') + u.request.href;
    if (u.change) line += QStringLiteral(" then ") + what(*u.change);
    out << line;
  }
  for (const LocalChange& c : plan.changes) out << what(c);
  for (const Link& l : plan.links) {
    out << QStringLiteral("link %1 %2 %3")
               .arg(l.index >= 0 ? QString::number(l.index) : l.key, l.href, l.etag);
  }
  if (!plan.conflicts.isEmpty()) out << QStringLiteral("conflicts %1").arg(plan.conflicts.size());
  if (!plan.brought_back.isEmpty())
    out << QStringLiteral("brought back %1").arg(plan.brought_back.size());
  for (const DeletionWarning& w : plan.TooMany()) {
    out << QStringLiteral("ask: %1 of %2 %3")
               .arg(w.deletions)
               .arg(w.total)
               .arg(w.here ? "here" : "there");
  }
  return out.join(QStringLiteral("; "));
}

// The server sends `a` (under `uid`) for `href`, with `etag`.
void Send(DecideInput& in, const QString& href, const QString& etag, const Appointment& a,
          const QString& uid = QStringLiteral("a")) {
  in.view.changed[href] = etag;
  in.fetched[href] = ReadFetched(href, etag, EncodeAppointment(a, uid), true);
}

TEST(SyncPlanTest, EachKindOfChangeBecomesItsPlan) {
  const Appointment dentist = Appt(QStringLiteral("20260107"), QStringLiteral("Dentist"));
  const Appointment lunch = Appt(QStringLiteral("20260108"), QStringLiteral("Lunch"));
  struct Case {
    const char* name;
    std::function<void(DecideInput&)> change;
    QString plan;
  };
  const std::vector<Case> cases = {
      {"unchanged", [](DecideInput&) {}, "link 0 /cal/a.ics e1"},
      {"edited here",
       [](DecideInput& in) {
         in.locals[0] = LocalAppointment(0, Appt("20260107", "Dentist at ten"));
       },
       "update /cal/a.ics"},
      {"edited there",
       [](DecideInput& in) { Send(in, kHref, "e2", Appt("20260107", "Dentist (phone)")); },
       "rewrite 0 Dentist (phone); link 0 /cal/a.ics e2"},
      {"edited on both sides: kept twice",
       [](DecideInput& in) {
         in.locals[0] = LocalAppointment(0, Appt("20260107", "Dentist here"));
         Send(in, kHref, "e2", Appt("20260107", "Dentist there"));
       },
       "conflict-copy /cal/n1.ics; append Dentist there; conflicts 1"},
      {"edited alike on both sides: no conflict",
       [](DecideInput& in) {
         in.locals[0] = LocalAppointment(0, Appt("20260107", "Dentist, both"));
         Send(in, kHref, "e2", Appt("20260107", "Dentist, both"));
       },
       "link 0 /cal/a.ics e2"},
      {"deleted here",
       [](DecideInput& in) {
         in.locals.clear();
         in.links[0].index = -1;  // as deleting it here leaves the link
       },
       "remove /cal/a.ics"},
      {"deleted there", [](DecideInput& in) { in.view.removed.insert(kHref); }, "remove 0"},
      {"edited here, deleted there: put back",
       [](DecideInput& in) {
         in.locals[0] = LocalAppointment(0, Appt("20260107", "Dentist at ten"));
         in.view.removed.insert(kHref);
       },
       "restore /cal/a.ics"},
      {"deleted here, edited there: the edit comes back",
       [](DecideInput& in) {
         in.locals.clear();
         in.links[0].index = -1;
         Send(in, kHref, "e2", Appt("20260107", "Dentist (phone)"));
       },
       "append Dentist (phone)"},
      {"new here", [&](DecideInput& in) { in.locals.push_back(LocalAppointment(1, lunch)); },
       "create /cal/n1.ics; link 0 /cal/a.ics e1"},
      {"new there", [&](DecideInput& in) { Send(in, "/cal/b.ics", "e7", lunch, "b"); },
       "append Lunch; link 0 /cal/a.ics e1"},
      {"the same new item on both sides is taken as one",
       [&](DecideInput& in) {
         in.locals.push_back(LocalAppointment(1, lunch));
         Send(in, "/cal/b.ics", "e7", lunch, "b");
       },
       "link 0 /cal/a.ics e1; link 1 /cal/b.ics e7"},
      {"moved: another item put before it",
       [&](DecideInput& in) {
         in.locals = {LocalAppointment(0, lunch), LocalAppointment(1, dentist)};
       },
       "create /cal/n1.ics; link 1 /cal/a.ics e1"},
      {"moved and edited, its old place taken by another day's item",
       [&](DecideInput& in) {
         in.locals = {LocalAppointment(0, lunch),
                      LocalAppointment(1, Appt("20260107", "Dentist at ten"))};
       },
       "update /cal/a.ics; create /cal/n1.ics"},
      {"gone from the file behind the program: back from its kept copy, nothing deleted there",
       [](DecideInput& in) { in.locals.clear(); }, "append Dentist; brought back 1"},
      {"most deleted there: asked first",
       [&](DecideInput& in) {
         for (int k = 1; k < 8; ++k) {
           const Appointment a = Appt(QStringLiteral("202602%1").arg(k, 2, 10, QLatin1Char('0')),
                                      QStringLiteral("Item %1").arg(k));
           const QString href = QStringLiteral("/cal/i%1.ics").arg(k);
           in.locals.push_back(LocalAppointment(k, a));
           in.links.push_back(
               Link{k, QString(), href, "e1", Digest(a), QStringLiteral("i%1").arg(k)});
           in.view.removed.insert(href);
         }
       },
       "remove 1; remove 2; remove 3; remove 4; remove 5; remove 6; remove 7; link 0 /cal/a.ics "
       "e1; "
       "ask: 7 of 8 here"},
  };
  for (const Case& c : cases) {
    DecideInput in;
    in.calendar = true;
    in.collection_path = QStringLiteral("/cal/");
    in.locals = {LocalAppointment(0, dentist)};
    in.links = {Link{0, QString(), kHref, "e1", Digest(dentist), QStringLiteral("a")}};
    in.kept[kHref] = EncodeAppointment(dentist, QStringLiteral("a"));
    int uids = 0;
    in.new_uid = [&uids] { return QStringLiteral("n%1").arg(++uids); };
    c.change(in);
    const Plan plan = Decide(in);
    EXPECT_EQ(Describe(plan), c.plan) << c.name;
    // An edit goes inside the kept copy, over the version it replaces.
    for (const Upload& u : plan.uploads) {
      if (u.kind == Upload::kUpdate) {
        EXPECT_EQ(u.request.etag, QStringLiteral("e1")) << c.name;
      }
    }
  }
}

TEST(SyncPlanTest, AServerCardWhoseKeyIsTakenIsRenamedThereFirst) {
  AddressEntry here;
  here.surname = QStringLiteral("Smith");
  here.name = QStringLiteral("John");
  here.email = QStringLiteral("john@home.example");
  AddressEntry there = here;
  there.email = QStringLiteral("john@work.example");
  DecideInput in;
  in.calendar = false;
  in.collection_path = QStringLiteral("/book/");
  in.locals = {LocalEntry(here)};
  in.links = {
      Link{-1, here.Key(), QStringLiteral("/book/j.vcf"), "e1", Digest(here), QStringLiteral("j")}};
  in.view.changed[QStringLiteral("/book/k.vcf")] = QStringLiteral("e5");
  in.fetched[QStringLiteral("/book/k.vcf")] =
      ReadFetched(QStringLiteral("/book/k.vcf"), QStringLiteral("e5"),
                  EncodeEntry(there, QStringLiteral("k")), false);
  const Plan plan = Decide(in);
  EXPECT_EQ(
      Describe(plan),
      QStringLiteral("rename /book/k.vcf then append John (2); link Smith, John /book/j.vcf e1")
          .replace(QStringLiteral("Smith, John"), here.Key()));
  ASSERT_EQ(plan.uploads.size(), 1u);
  EXPECT_EQ(plan.uploads[0].request.etag, QStringLiteral("e5"));  // over the card it renames
  EXPECT_TRUE(plan.uploads[0].skip_if_refused.has_value());       // refused: asked for again
}

// A weekly series kept whole in Events.dat, linked to /cal/s.ics: what
// each side's change to it becomes. Its text goes up as kept, never made
// from fields, and comes down as the server sent it.
QByteArray Series(const QString& uid, const QString& extra = QString()) {
  return QStringLiteral(
             "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//phone//EN\r\nBEGIN:VEVENT\r\nUID:%1\r\n"
             "DTSTAMP:20260101T000000Z\r\nDTSTART:20260112T190000\r\nDTEND:20260112T210000\r\n"
             "RRULE:FREQ=WEEKLY\r\nSUMMARY:Choir\r\n%2END:VEVENT\r\nEND:VCALENDAR\r\n")
      .arg(uid, extra)
      .toUtf8();
}

QString DescribeEvents(const Plan& plan) {
  static const char* kinds[] = {"update", "create", "remove", "restore", "conflict-copy", "rename"};
  QStringList out;
  for (const Upload& u : plan.uploads) {
    out << QString::fromLatin1(kinds[u.kind]) + (u.event ? " event " : " ") + u.request.href +
               (u.request.etag.isEmpty() ? QString() : QStringLiteral(" if ") + u.request.etag);
  }
  for (const LocalChange& c : plan.event_changes) {
    static const char* whats[] = {"rewrite", "remove", "append"};
    out << QStringLiteral("%1 %2%3").arg(
        QString::fromLatin1(whats[c.what]), c.ident,
        c.source.href.isEmpty() ? QString() : QStringLiteral(" from ") + c.source.href);
  }
  for (const Link& l : plan.event_links)
    out << QStringLiteral("link %1 %2 %3").arg(l.key, l.href, l.etag);
  if (!plan.changes.empty())
    out << QStringLiteral("appointment changes %1").arg(plan.changes.size());
  if (!plan.conflicts.isEmpty()) out << QStringLiteral("conflicts %1").arg(plan.conflicts.size());
  if (!plan.not_held.isEmpty()) out << QStringLiteral("named %1").arg(plan.not_held.size());
  for (const Skip& s : plan.skipped) out << QStringLiteral("skip ") + s.href;
  for (const DeletionWarning& w : plan.TooMany()) {
    out << QStringLiteral("ask: %1 of %2 %3")
               .arg(w.deletions)
               .arg(w.total)
               .arg(w.here ? "here" : "there");
  }
  return out.join(QStringLiteral("; "));
}

TEST(SyncPlanTest, EventsKeptWholeBecomeTheirPlan) {
  const QString href = QStringLiteral("/cal/s.ics");
  const QByteArray kept = Series(QStringLiteral("choir"));
  const QByteArray exdate =
      Series(QStringLiteral("choir"), QStringLiteral("EXDATE:20260119T190000\r\n"));
  auto send = [](DecideInput& in, const QString& at, const QString& etag, const QByteArray& data) {
    in.view.changed[at] = etag;
    in.fetched[at] = ReadFetched(at, etag, data, true);
  };
  struct Case {
    const char* name;
    std::function<void(DecideInput&)> change;
    QString plan;
  };
  const std::vector<Case> cases = {
      {"unchanged", [](DecideInput&) {}, "link choir /cal/s.ics e1"},
      {"an occurrence deleted here: sent as kept, over its version",
       [&](DecideInput& in) { in.events[0] = LocalEventOf("choir", exdate); },
       "update event /cal/s.ics if e1"},
      {"changed there: kept as sent", [&](DecideInput& in) { send(in, href, "e2", exdate); },
       "rewrite choir from /cal/s.ics; link choir /cal/s.ics e1"},
      {"refolded there, the same event: no change",
       [&](DecideInput& in) {
         send(in, href, "e2",
              QByteArray(kept).replace("DTSTAMP:20260101T000000Z", "DTSTAMP:20260301T000000Z"));
       },
       "link choir /cal/s.ics e2"},
      {"changed on both sides: kept twice",
       [&](DecideInput& in) {
         in.events[0] = LocalEventOf("choir", exdate);
         send(in, href, "e2", Series("choir", "LOCATION:Hall\r\n"));
       },
       "conflict-copy event /cal/n2.ics; rewrite choir from /cal/s.ics; append ; link choir "
       "/cal/s.ics e1; conflicts 1"},
      {"deleted here", [](DecideInput& in) { in.events.clear(); }, "remove event /cal/s.ics if e1"},
      {"deleted here while Events.dat has damaged runs: not deleted there",
       [](DecideInput& in) {
         in.events.clear();
         in.events_damaged = true;
       },
       "link choir /cal/s.ics e1"},
      {"deleted there", [&](DecideInput& in) { in.view.removed.insert(href); }, "remove choir"},
      {"changed here, deleted there: put back",
       [&](DecideInput& in) {
         in.events[0] = LocalEventOf("choir", exdate);
         in.view.removed.insert(href);
       },
       "restore event /cal/s.ics"},
      {"new here: a new resource",
       [](DecideInput& in) { in.events.push_back(LocalEventOf("yoga", Series("yoga"))); },
       "create event /cal/n1.ics; link choir /cal/s.ics e1"},
      {"new there, named and left there by an earlier version: now kept",
       [&](DecideInput& in) {
         in.skipped.push_back(Skip{"/cal/y.ics", QString()});
         send(in, "/cal/y.ics", "e5", Series("yoga"));
       },
       "append  from /cal/y.ics; link choir /cal/s.ics e1"},
      {"the same series on both sides before any link: taken as one",
       [&](DecideInput& in) {
         in.events.push_back(LocalEventOf("yoga", Series("yoga")));
         send(in, "/cal/y.ics", "e5", Series("yoga"));
       },
       "link choir /cal/s.ics e1; link yoga /cal/y.ics e5"},
      {"two resources there with one UID: the second named and left there",
       [&](DecideInput& in) { send(in, "/cal/t.ics", "e6", Series("choir")); },
       "link choir /cal/s.ics e1; named 1; skip /cal/t.ics"},
      {"an appointment changed there into a series: moved into Events.dat with its link",
       [&](DecideInput& in) {
         const Appointment dentist = Appt(QStringLiteral("20260107"), QStringLiteral("Dentist"));
         in.locals = {LocalAppointment(0, dentist)};
         in.links = {Link{0, QString(), kHref, "e1", Digest(dentist), QStringLiteral("a")}};
         in.kept[kHref] = EncodeAppointment(dentist, QStringLiteral("a"));
         send(in, kHref, "e2", Series("a"));
       },
       "append  from /cal/a.ics; link choir /cal/s.ics e1; appointment changes 1"},
      {"most deleted there: asked first",
       [&](DecideInput& in) {
         in.view.removed.insert(href);
         in.events.push_back(LocalEventOf("yoga", Series("yoga")));
         in.event_links.push_back(
             Link{-1, "yoga", "/cal/y.ics", "e5", EventDigest(Series("yoga")), "yoga"});
         in.view.removed.insert("/cal/y.ics");
       },
       "remove choir; remove yoga; ask: 2 of 2 here"},
  };
  for (const Case& c : cases) {
    DecideInput in;
    in.calendar = true;
    in.collection_path = QStringLiteral("/cal/");
    in.events = {LocalEventOf(QStringLiteral("choir"), kept)};
    in.event_links = {
        Link{-1, QStringLiteral("choir"), href, "e1", EventDigest(kept), QStringLiteral("choir")}};
    int uids = 0;
    in.new_uid = [&uids] { return QStringLiteral("n%1").arg(++uids); };
    c.change(in);
    const std::vector<LocalEvent> events = in.events;
    const Plan plan = Decide(in);
    EXPECT_EQ(DescribeEvents(plan).toStdString(), c.plan.toStdString()) << c.name;
    for (const Upload& u : plan.uploads) {
      // What goes up is a text kept here, byte for byte (a conflict's
      // copy: under its new UID, nothing else changed).
      const bool as_kept = std::any_of(events.begin(), events.end(), [&](const LocalEvent& e) {
        return e.text == u.request.data || WithUid(e.text, QStringLiteral("n1")) == u.request.data;
      });
      EXPECT_TRUE(u.request.remove || as_kept) << c.name << "\n" << u.request.data.toStdString();
    }
  }
}

}  // namespace
}  // namespace quorvel::sync
