// The sync file: its contents survive a reopen byte for byte, damage is
// noticed, the four data files are untouched by it, and the links follow
// the items when the file operations move them.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "events/event_file.h"
#include "items/address_file.h"
#include "items/appointment_file.h"
#include "items/sync_state.h"
#include "store/data_files.h"
#include "store/fatal.h"
#include "sync/engine_run.h"
#include "tests/store_sweep.h"

namespace quorvel::sync {
namespace {

QByteArray Bytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class SyncStateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    files_.SetDataDir(dir_.path());
    ASSERT_EQ(files_.OpenDataFiles(), store::OpenResult::kOpened);
  }
  void Save(const SyncState& state) {
    store::Operation op(files_);
    SaveState(files_, op, state);
    ASSERT_TRUE(op.Commit().stored());
  }
  Appointment Appt(const QString& id, const QString& subject) {
    return Appointment{id,
                       subject,
                       QStringLiteral("09:00"),
                       QStringLiteral("09:30"),
                       false,
                       QStringLiteral("15"),
                       QString()};
  }

  QTemporaryDir dir_;
  store::DataFiles files_;
};

SyncState Sample() {
  SyncState state;
  state.settings.server = QUrl(QStringLiteral("https://dav.example.org/"));
  state.settings.user = QStringLiteral("ann\tw\u00e9ird\nname");
  state.settings.calendar = QUrl(QStringLiteral("https://dav.example.org/ann/cal%20one/"));
  state.settings.address_book = QUrl(QStringLiteral("https://dav.example.org/ann/book/"));
  state.settings.auto_sync = true;
  state.calendar_token = QStringLiteral("http://radicale.org/ns/sync/abc");
  state.address_book_token = QStringLiteral("ctag:\"7\"");
  state.appointments = {Link{0, {}, "/ann/cal/a.ics", "\"e1\"", "\x01\x02", "uid-a"},
                        Link{-1, {}, "/ann/cal/b.ics", "\"e2\"", "\x03", "uid-b"}};
  state.entries = {Link{-1, "Smith, John", "/ann/book/s.vcf", "\"e3\"", "\x04", "uid-s"}};
  state.skipped = {Skip{"/ann/cal/weekly.ics", "\"e9\""}};
  return state;
}

TEST_F(SyncStateTest, StoredBesideTheDataFilesWithoutTouchingThem) {
  const QStringList names = {"Appoint.dat", "Notes.dat", "AddBook.dat", "PhotoF.dat"};
  QList<QByteArray> before;
  for (const QString& n : names) before << Bytes(dir_.filePath(n));
  EXPECT_FALSE(HasSyncFile(files_));
  EXPECT_EQ(*LoadState(files_), SyncState{});

  Save(Sample());
  EXPECT_TRUE(QFile::exists(dir_.filePath("Sync.dat")));
  for (int i = 0; i < names.size(); ++i) EXPECT_EQ(Bytes(dir_.filePath(names[i])), before[i]);

  // A later start finds the sync file by itself.
  store::DataFiles again;
  files_.CloseDataFiles();
  again.SetDataDir(dir_.path());
  ASSERT_EQ(again.OpenDataFiles(), store::OpenResult::kOpened);
  ASSERT_TRUE(HasSyncFile(again));
  auto loaded = LoadState(again);
  ASSERT_TRUE(loaded);
  EXPECT_EQ(*loaded, Sample());

  // A smaller state later reads back as itself, not with the old tail.
  SyncState small;
  small.settings.user = QStringLiteral("bob");
  {
    store::Operation op(again);
    SaveState(again, op, small);
    ASSERT_TRUE(op.Commit().stored());
  }
  EXPECT_EQ(*LoadState(again), small);
  again.CloseDataFiles();

  // One flipped byte is noticed, never taken as an empty state.
  QFile file(dir_.filePath("Sync.dat"));
  ASSERT_TRUE(file.open(QIODevice::ReadWrite));
  file.seek(512 + 3);
  file.write("#");
  file.close();
  ASSERT_EQ(again.OpenDataFiles(), store::OpenResult::kOpened);
  EXPECT_FALSE(LoadState(again));
}

TEST_F(SyncStateTest, LinksFollowDeletedAndRenamedItems) {
  for (const char* id : {"20260107-1", "20260107-2", "20260108-1", "20260107-3"}) {
    ASSERT_TRUE(
        AddAppointment(files_, Appt(QString::fromLatin1(id), QStringLiteral("S"))).stored());
  }
  AddressEntry john;
  john.surname = QStringLiteral("Smith");
  john.name = QStringLiteral("John");
  ASSERT_TRUE(AddAddressEntry(files_, john).stored());

  SyncState state;
  for (int k = 0; k < 4; ++k) {
    state.appointments.push_back(Link{k, {}, QStringLiteral("/c/%1.ics").arg(k), "e", "d", "u"});
  }
  state.entries.push_back(Link{-1, john.Key(), "/b/j.vcf", "e", "d", "u"});
  Save(state);

  // Deleting the second appointment: its link is marked deleted, the later
  // ones move down with their groups, in the same operation.
  ASSERT_TRUE(DeleteAppointment(files_, QStringLiteral("20260107-2")).stored());
  auto after = LoadState(files_);
  ASSERT_TRUE(after);
  std::vector<int> indexes;
  for (const Link& l : after->appointments) indexes.push_back(l.index);
  EXPECT_EQ(indexes, (std::vector<int>{0, -1, 1, 2}));
  // Editing keeps the position, so the same server event is updated.
  Appointment edited = ReadAppointment(files_, 2);
  edited.subject = QStringLiteral("Edited");
  ASSERT_TRUE(UpdateAppointment(files_, edited).stored());
  EXPECT_EQ(LoadState(files_)->appointments, after->appointments);

  // Renaming an entry moves its link; a refused rename moves nothing.
  AddressEntry renamed = john;
  renamed.name = QStringLiteral("Johnny");
  ASSERT_TRUE(ReplaceAddressEntry(files_, john.Key(), renamed).stored());
  EXPECT_EQ(LoadState(files_)->entries.front().key, renamed.Key());
  AddressEntry other;
  other.surname = QStringLiteral("Other");
  ASSERT_TRUE(AddAddressEntry(files_, other).stored());
  ASSERT_TRUE(ReplaceAddressEntry(files_, other.Key(), renamed).refused());
  EXPECT_EQ(LoadState(files_)->entries.front().key, renamed.Key());
}

TEST_F(SyncStateTest, WithoutSyncNothingExtraIsWritten) {
  ASSERT_TRUE(
      AddAppointment(files_, Appt(QStringLiteral("20260107-1"), QStringLiteral("A"))).stored());
  ASSERT_TRUE(DeleteAppointment(files_, QStringLiteral("20260107-1")).stored());
  EXPECT_FALSE(QFile::exists(dir_.filePath("Sync.dat")));
  EXPECT_FALSE(HasSyncFile(files_));
}

// Deleting a synced appointment changes its file and the sync file in one
// operation: after a crash at any point, both hold the delete or neither
// does, so the links never point at the wrong appointment.
TEST(SyncStateSweepTest, AnItemAndItsLinksChangeTogetherAtEveryCrashPoint) {
  auto appointment = [](const char* id) {
    return Appointment{QString::fromLatin1(id),
                       QStringLiteral("S"),
                       QStringLiteral("09:00"),
                       QStringLiteral("09:30"),
                       false,
                       QStringLiteral("15"),
                       QString()};
  };
  // A failing call ends the program with a message; here it only ends the run.
  store::SetFatalHandler([](const QString&) {});
  store::SetNoticeHandler([](const QString&) {});
  testing::RunSweep(
      "delete a synced appointment",
      {[&](const QString& dir) {
         testing::Fill(dir, [&](store::DataFiles& files) {
           SyncState state;
           int k = 0;
           for (const char* id : {"20260107-1", "20260107-2", "20260108-1"}) {
             ASSERT_TRUE(AddAppointment(files, appointment(id)).stored());
             state.appointments.push_back(
                 Link{k, {}, QStringLiteral("/c/%1.ics").arg(k), "e", "d", "u"});
             ++k;
           }
           store::Operation op(files);
           SaveState(files, op, state);
           ASSERT_TRUE(op.Commit().stored());
         });
       },
       [](store::DataFiles& files) { DeleteAppointment(files, QStringLiteral("20260107-1")); }});
  store::SetFatalHandler({});
  store::SetNoticeHandler({});
}

// The sync's storing step for events kept whole: a series replaced by the
// server's version, one removed, one new, an appointment rewritten and the
// links, in one operation: after a crash at any point Events.dat, the
// appointment file and the links all hold the step or none does.
TEST(SyncStateSweepTest, EventsAndTheirLinksChangeTogetherAtEveryCrashPoint) {
  auto series = [](const char* uid, const char* extra) {
    return QStringLiteral(
               "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//t//EN\r\nBEGIN:VEVENT\r\nUID:%1\r\n"
               "DTSTAMP:20260101T000000Z\r\nDTSTART:20260108T190000\r\nDTEND:20260108T210000\r\n"
               "RRULE:FREQ=WEEKLY\r\nSUMMARY:%1\r\n%2END:VEVENT\r\nEND:VCALENDAR\r\n")
        .arg(QString::fromLatin1(uid), QString::fromLatin1(extra))
        .toUtf8();
  };
  auto link = [&](const char* uid) {
    Link l;
    l.key = l.uid = QString::fromLatin1(uid);
    l.href = QStringLiteral("/c/%1.ics").arg(l.key);
    l.etag = QStringLiteral("e1");
    l.digest = EventDigest(series(uid, ""));
    return l;
  };
  const Appointment dentist{QStringLiteral("20260107-1"),
                            QStringLiteral("Dentist"),
                            QStringLiteral("09:00"),
                            QStringLiteral("09:30"),
                            false,
                            QStringLiteral("15"),
                            QString()};
  store::SetFatalHandler([](const QString&) {});
  store::SetNoticeHandler([](const QString&) {});
  auto prepare = [&](const QString& dir) {
    testing::Fill(dir, [&](store::DataFiles& files) {
      ASSERT_TRUE(AddAppointment(files, dentist).stored());
      store::Operation op(files);
      ASSERT_EQ(events::PutEvent(op, series("choir", "")), events::PutResult::kStored);
      ASSERT_EQ(events::PutEvent(op, series("yoga", "")), events::PutResult::kStored);
      SyncState state;
      state.appointments.push_back(Link{0, {}, QStringLiteral("/c/d.ics"), "e", "d", "u"});
      state.events = {link("choir"), link("yoga")};
      SaveState(files, op, state);
      ASSERT_TRUE(op.Commit().stored());
    });
  };
  SyncReport report;
  auto step = [&](store::DataFiles& files) {
    SyncState state = *LoadState(files);
    auto from = [](const QString& href, const QByteArray& text) {
      Fetched f;
      f.href = href;
      f.etag = QStringLiteral("e2");
      f.data = text;
      return f;
    };
    // The series' text grows past its record, so it moves.
    const QByteArray long_extra =
        "EXDATE:20260122T190000\r\nX-LONG:" + QByteArray(5000, 'x') + "\r\n";
    const std::vector<LocalChange> changes = {
        {LocalChange::kRewrite, QStringLiteral("choir"),
         from("/c/choir.ics", series("choir", long_extra.constData()))},
        {LocalChange::kRemove, QStringLiteral("yoga"), Fetched{}},
        {LocalChange::kAppend, QString(), from("/c/new.ics", series("new", ""))}};
    store::Operation op(files);
    report = SyncReport{};
    StageEventChanges(op, changes, state, report);
    Appointment moved = dentist;
    moved.start = QStringLiteral("10:00");
    RewriteAppointment(op, 0, moved);
    SaveState(files, op, state);
    op.Commit();
  };
  testing::RunSweep("sync store step with events", {prepare, step});
  // What the step does when nothing fails.
  QTemporaryDir dir;
  prepare(dir.path());
  store::DataFiles files;
  files.SetDataDir(dir.path());
  ASSERT_EQ(files.OpenDataFiles(), store::OpenResult::kOpened);
  step(files);
  EXPECT_TRUE(report.skipped.isEmpty()) << report.skipped.join(' ').toStdString();
  EXPECT_TRUE(events::FindEvent(files, "choir")->text.contains("EXDATE"));
  EXPECT_FALSE(events::FindEvent(files, "yoga"));
  EXPECT_TRUE(events::FindEvent(files, "new"));
  QStringList linked;
  const SyncState stored = *LoadState(files);
  for (const Link& l : stored.events) linked << l.key + ' ' + l.etag;
  EXPECT_EQ(linked, (QStringList{"choir e2", "new e2"}));
  store::SetFatalHandler({});
  store::SetNoticeHandler({});
}

TEST(SyncStateDecodeTest, DamagedLinesAreRefused) {
  EXPECT_FALSE(DecodeState("A\tx\t/h\te\t00\tu\n"));
  EXPECT_FALSE(DecodeState("E\tkey\n"));
  EXPECT_FALSE(DecodeState("A\t-5\t/h\te\t00\tu\n"));
  EXPECT_FALSE(DecodeState("V\tuid\t/h\n"));
  // Events' links come back as written; a name an earlier version left on
  // the server (no mark) is asked for again, as it may be kept whole now.
  SyncState state;
  state.events.push_back(Link{-1, "choir@phone", "/c/choir.ics", "e1", "\x01\x02", "choir@phone"});
  state.skipped.push_back(Skip{"/c/kanji.ics", "e2"});
  EXPECT_EQ(DecodeState(EncodeState(state)), state);
  const auto earlier = DecodeState("S\t/c/weekly.ics\te3\n");
  ASSERT_TRUE(earlier);
  EXPECT_EQ(earlier->skipped, (std::vector<Skip>{{"/c/weekly.ics", QString()}}));
  // Lines of an unknown kind are left out, for files of later versions.
  auto later = DecodeState("user\tann\nfuture\t1\n");
  ASSERT_TRUE(later);
  EXPECT_EQ(later->settings.user, QStringLiteral("ann"));
}

}  // namespace
}  // namespace quorvel::sync
