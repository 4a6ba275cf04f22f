// The server copies kept beside the data files: where they go in
// SyncKept.dat, that they come back exactly, and that a crash at any point
// of the sync's storing step leaves item, link and kept copy agreeing. Also
// the decisions that need no network: links following their items, and the
// mass-deletion guard.
#include <gtest/gtest.h>

#include <iostream>

#include "interchange/mapping.h"
#include "items/appointment_file.h"
#include "items/sync_state.h"
#include "store_sweep.h"
#include "sync/kept_store.h"
#include "sync/reconcile.h"
#include "test_support.h"

namespace quorvel::testing {
namespace {

using store::DataFiles;
using sync::Link;
using sync::SyncState;

Appointment Make(const QString& id, const QString& subject) {
  return Appointment{id,
                     subject,
                     QStringLiteral("09:00"),
                     QStringLiteral("10:00"),
                     false,
                     QStringLiteral("15"),
                     QString()};
}

Link LinkTo(int index, const QString& href) {
  Link l;
  l.index = index;
  l.href = href;
  l.etag = QStringLiteral("\"1\"");
  return l;
}

// Stores `state` with `renewed` kept, as the sync's storing step does.
void Store(DataFiles& files, const SyncState& before, SyncState state,
           const std::map<QString, QByteArray>& renewed,
           const std::function<void(store::Operation&)>& items = {}) {
  store::Operation op(files);
  if (items) items(op);
  EXPECT_TRUE(sync::StageKept(op, before, state, renewed).isEmpty());
  sync::SaveState(files, op, state);
  ASSERT_TRUE(op.Commit().stored());
}

QByteArray Resource(char fill, int size) { return QByteArray(size, fill); }

TEST(SyncKept, CopiesComeBackExactlyAndSpaceIsReused) {
  QTemporaryDir dir;
  DataFiles files;
  files.SetDataDir(dir.path());
  ASSERT_EQ(files.OpenDataFiles(), store::OpenResult::kOpened);
  SyncState state;
  state.appointments = {LinkTo(0, "/c/a.ics"), LinkTo(1, "/c/b.ics")};
  Link john = LinkTo(-1, "/b/j.vcf");
  john.key = QStringLiteral("Smith, John");
  state.entries = {john};
  const std::map<QString, QByteArray> first = {{"/c/a.ics", Resource('a', 5000)},
                                               {"/c/b.ics", Resource('b', 100)},
                                               {"/b/j.vcf", Resource('j', 9000)}};
  Store(files, SyncState{}, state, first);
  SyncState stored = *sync::LoadState(files);
  for (const Link& l : stored.appointments) EXPECT_EQ(*sync::ReadKept(files, l), first.at(l.href));
  EXPECT_EQ(*sync::ReadKept(files, stored.entries[0]), first.at("/b/j.vcf"));
  const qint64 size = files.FileSize(store::Channel::kKept);
  EXPECT_EQ(size, 6 * 4096);  // 2 + 1 + 3 records

  // One deleted, one renewed larger, one unchanged: the freed records are
  // cleared and reused; the unchanged copy does not move.
  SyncState next = stored;
  next.appointments.erase(next.appointments.begin());
  const Link unchanged = next.entries[0];
  Store(files, stored, next,
        {{"/c/b.ics", Resource('B', 8000)}, {"/b/j.vcf", first.at("/b/j.vcf")}});
  const SyncState now = *sync::LoadState(files);
  EXPECT_EQ(*sync::ReadKept(files, now.appointments[0]), Resource('B', 8000));
  EXPECT_EQ(now.entries[0].kept_first, unchanged.kept_first);
  EXPECT_EQ(files.FileSize(store::Channel::kKept), size);
  EXPECT_FALSE(files.ReadRecords(store::Channel::kKept, 1, 5).contains('a'));

  // A copy damaged on the disk is not taken for the server's.
  Link damaged = now.appointments[0];
  damaged.kept_digest[0] = char(damaged.kept_digest[0] ^ 1);
  EXPECT_FALSE(sync::ReadKept(files, damaged));
}

class SyncKeptSweep : public SeamsFixture {};

TEST_F(SyncKeptSweep, TheStoringStepSurvivesACrashAtEveryPoint) {
  auto prepare = [](const QString& dir) {
    Fill(dir, [](DataFiles& files) {
      AddAppointment(files, Make("20260107-1", "Dentist"));
      AddAppointment(files, Make("20260108-1", "Team"));
      SyncState state;
      state.appointments = {LinkTo(0, "/c/a.ics"), LinkTo(1, "/c/b.ics")};
      Store(files, SyncState{}, state,
            {{"/c/a.ics", Resource('a', 5000)}, {"/c/b.ics", Resource('b', 300)}});
    });
  };
  RunSweep("sync store step with kept copies",
           {prepare, [](DataFiles& files) {
              const SyncState before = *sync::LoadState(files);
              SyncState after = before;
              after.appointments.erase(after.appointments.begin() + 1);
              after.appointments.push_back(LinkTo(1, "/c/n.ics"));
              store::Operation op(files);
              RewriteAppointment(op, 0, Make("20260107-1", "Dentist moved"));
              sync::StageKept(
                  op, before, after,
                  {{"/c/a.ics", Resource('A', 4500)}, {"/c/n.ics", Resource('n', 700)}});
              sync::SaveState(files, op, after);
              op.Commit();
            }});
}

sync::LocalIdentity Local(int k, const char* digest, const char* day, const char* subject) {
  return sync::LocalIdentity{QString::number(k), digest, day, subject, QStringLiteral("09:00")};
}

TEST(SyncReconcile, LinksFollowTheirItemsNotTheirPlaces) {
  // Five linked items; the second vanished behind the sync's back, so the
  // later ones moved up; the fourth was also edited (on its day).
  std::vector<Link> links;
  for (int k = 0; k < 5; ++k) {
    Link l = LinkTo(k, QStringLiteral("/c/%1.ics").arg(k));
    l.digest = QByteArray(1, char('a' + k));
    links.push_back(l);
  }
  links.push_back(LinkTo(-1, "/c/gone.ics"));  // deleted here by this program
  const std::vector<sync::LocalIdentity> locals = {
      Local(0, "a", "20260101", "A"), Local(1, "c", "20260103", "C"),
      Local(2, "D", "20260104", "D edited"), Local(3, "e", "20260105", "E")};
  std::vector<std::optional<sync::KeptIdentity>> kept;
  for (int k = 0; k < 5; ++k) {
    kept.push_back(sync::KeptIdentity{QStringLiteral("2026010%1").arg(k + 1),
                                      QString(QChar('A' + k)), QStringLiteral("09:00")});
  }
  kept.push_back(std::nullopt);
  sync::RematchAppointments(links, locals, kept);
  EXPECT_EQ(links[0].index, 0);
  EXPECT_EQ(links[1].index, -3);  // vanished: never deleted on the server
  EXPECT_EQ(links[2].index, 1);
  EXPECT_EQ(links[3].index, 2);  // edited where the item now is
  EXPECT_EQ(links[4].index, 3);
  EXPECT_EQ(links[5].index, -1);

  // Another item in the place of an edited one is not its edit.
  std::vector<Link> one = {LinkTo(0, "/c/x.ics")};
  one[0].digest = "x";
  sync::RematchAppointments(one, {Local(0, "y", "20260109", "Other")},
                            {sync::KeptIdentity{"20260101", "X", "08:00"}});
  EXPECT_EQ(one[0].index, -3);
}

TEST(SyncReconcile, TheDeletionGuardStopsMassDeletionsOnly) {
  EXPECT_FALSE(sync::TooManyDeletions(1, 1));
  EXPECT_FALSE(sync::TooManyDeletions(3, 100));
  EXPECT_TRUE(sync::TooManyDeletions(6, 100));
  EXPECT_TRUE(sync::TooManyDeletions(2, 3));
  EXPECT_TRUE(sync::TooManyDeletions(13, 13));  // an empty listing
}

TEST(SyncNewEvents, CarryTheirZoneWithACompleteVtimezone) {
  const Appointment a = Make("20260705-1", "Summer call");  // 09:00 to 10:00
  const QTimeZone berlin("Europe/Berlin");
  const QByteArray ics = interchange::WriteAppointmentEvent(
      a, QStringLiteral("uid-1"), QDateTime::currentDateTimeUtc(), berlin);
  EXPECT_TRUE(ics.contains("DTSTART;TZID=Europe/Berlin:20260705T090000")) << ics.toStdString();
  EXPECT_TRUE(ics.contains("BEGIN:VTIMEZONE") && ics.contains("TZID:Europe/Berlin"))
      << ics.toStdString();
  // Another device in another zone sees the same instant: 07:00 UTC.
  interchange::EventOptions utc;
  utc.zone = QTimeZone::utc();
  utc.first_day = QDate(2026, 1, 1);
  const interchange::EventReading there = interchange::ReadEvents(ics, utc);
  ASSERT_EQ(there.appointments.size(), 1u);
  EXPECT_EQ(there.appointments[0].appointment.start, QStringLiteral("07:00"));
  // UTC itself is written as UTC, not floating.
  const QByteArray in_utc = interchange::WriteAppointmentEvent(
      a, QStringLiteral("uid-2"), QDateTime::currentDateTimeUtc(), QTimeZone::utc());
  EXPECT_TRUE(in_utc.contains("DTSTART:20260705T090000Z")) << in_utc.toStdString();
  std::cout << "[ size     ] a new event with its VTIMEZONE: " << ics.size() << " bytes\n";
}

}  // namespace
}  // namespace quorvel::testing
