// Undo and redo of this run's changes, with the files compared byte for
// byte against what they held, across syncs, within the memory bound and
// through a crash.
#include "undo/undo_history.h"
#include "interchange/transfer.h"
#include "items/address_file.h"
#include "items/appointment_file.h"
#include "items/note_file.h"
#include "items/sync_state.h"
#include "store_sweep.h"
#include "test_support.h"

namespace quorvel::testing {
namespace {

using store::Channel;
using store::DataFiles;
using undo::UndoHistory;

Appointment Appt(const QString& id, const QString& subject) {
  return Appointment{id,
                     subject,
                     QStringLiteral("09:00"),
                     QStringLiteral("09:30"),
                     true,
                     QStringLiteral("15"),
                     QStringLiteral("About ") + subject};
}

AddressEntry Entry(const QString& surname, const QString& name) {
  AddressEntry e;
  e.surname = surname;
  e.name = name;
  e.phones[0] = QStringLiteral("555 0100");
  e.email = name.toLower() + QStringLiteral("@example.org");
  return e;
}

class UndoHistoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    files_.SetDataDir(dir_.path());
    ASSERT_EQ(files_.OpenDataFiles(), store::OpenResult::kOpened);
    history_ = std::make_unique<UndoHistory>(files_);
  }
  FolderState Folder() const { return ReadFolder(dir_.path()); }
  QString Path(const QString& name) const { return dir_.filePath(name); }

  QTemporaryDir dir_;
  DataFiles files_;
  std::unique_ptr<UndoHistory> history_;
};

// Every kind of change, one after the other; then all undone newest first,
// the folder compared after each with what it held before that change, and
// all redone, compared with what each change left.
TEST_F(UndoHistoryTest, EveryKindOfChangeIsUndoneAndRedoneByteForByte) {
  const QString ics = Path(QStringLiteral("in.ics"));
  {
    QFile f(ics);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:x\r\n"
        "BEGIN:VEVENT\r\nUID:1\r\nDTSTAMP:20260101T000000Z\r\nDTSTART:20260110T090000\r\n"
        "DTEND:20260110T100000\r\nSUMMARY:Imported\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:2\r\nDTSTAMP:20260101T000000Z\r\nDTSTART:20260111T090000\r\n"
        "DTEND:20260111T100000\r\nSUMMARY:Imported too\r\nEND:VEVENT\r\n"
        "END:VCALENDAR\r\n");
  }
  const QString vcf = Path(QStringLiteral("in.vcf"));
  {
    QFile f(vcf);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Imported;Ida\r\nTEL:1\r\nEND:VCARD\r\n");
  }
  // Kept outside the data folder's listing.
  QFile::rename(ics, dir_.path() + QStringLiteral("/../undo-in.ics"));
  QFile::rename(vcf, dir_.path() + QStringLiteral("/../undo-in.vcf"));
  const QString ics_path = dir_.path() + QStringLiteral("/../undo-in.ics");
  const QString vcf_path = dir_.path() + QStringLiteral("/../undo-in.vcf");

  std::vector<std::pair<const char*, std::function<bool()>>> changes = {
      {"add appointment",
       [&] { return AddAppointment(files_, Appt("20260107-1", "Dentist")).stored(); }},
      {"add second", [&] { return AddAppointment(files_, Appt("20260107-2", "Lunch")).stored(); }},
      {"add third", [&] { return AddAppointment(files_, Appt("20260108-1", "Team")).stored(); }},
      {"edit appointment",
       [&] {
         Appointment a = Appt("20260107-2", "Lunch, moved");
         a.start = QStringLiteral("12:30");
         return UpdateAppointment(files_, a).stored();
       }},
      {"delete appointment (renumbers)",
       [&] { return DeleteAppointment(files_, QStringLiteral("20260107-1")).stored(); }},
      {"add note",
       [&] {
         return SaveNote(files_, QStringLiteral("Shopping"), QStringLiteral("Milk")).stored();
       }},
      {"add note 2",
       [&] {
         return SaveNote(files_, QStringLiteral("Books"), QString(400, QLatin1Char('b'))).stored();
       }},
      {"edit note",
       [&] {
         return SaveNote(files_, QStringLiteral("Shopping"), QStringLiteral("Milk\r\nBread"))
             .stored();
       }},
      {"delete note", [&] { return DeleteNote(files_, 0).stored(); }},
      {"add entry", [&] { return AddAddressEntry(files_, Entry("Smith", "Ann")).stored(); }},
      {"add entry 2", [&] { return AddAddressEntry(files_, Entry("Brown", "Bob")).stored(); }},
      {"edit entry (renamed)",
       [&] {
         return ReplaceAddressEntry(files_, AddressKey("Smith", "Ann"), Entry("Smyth", "Ann"))
             .stored();
       }},
      {"delete entry",
       [&] { return DeleteAddressEntry(files_, AddressKey("Brown", "Bob")).stored(); }},
      {"import",
       [&] {
         return interchange::ImportFiles(files_, {ics_path, vcf_path}).ok();
       }},
  };
  std::vector<FolderState> states{Folder()};
  for (const auto& [name, change] : changes) {
    ASSERT_TRUE(change()) << name;
    states.push_back(Folder());
    ASSERT_NE(states.back(), states[states.size() - 2]) << name;
  }
  ASSERT_EQ(history_->UndoCount(), int(changes.size()));
  for (int i = int(changes.size()); i >= 1; --i) {
    const store::Outcome undone = history_->Undo();
    ASSERT_TRUE(undone.stored()) << changes[i - 1].first << ": " << undone.reason().toStdString();
    EXPECT_EQ(Folder(), states[i - 1]) << "undo of " << changes[i - 1].first;
  }
  EXPECT_FALSE(history_->CanUndo());
  EXPECT_TRUE(history_->Undo().refused());
  for (int i = 1; i <= int(changes.size()); ++i) {
    ASSERT_TRUE(history_->Redo().stored()) << changes[i - 1].first;
    EXPECT_EQ(Folder(), states[i]) << "redo of " << changes[i - 1].first;
  }
  EXPECT_FALSE(history_->CanRedo());
  // Undone again after a redo, half way: the same bytes once more.
  for (int i = int(changes.size()); i > int(changes.size()) / 2; --i) {
    ASSERT_TRUE(history_->Undo().stored());
    EXPECT_EQ(Folder(), states[i - 1]);
  }
  // A new change ends what could be redone.
  ASSERT_TRUE(SaveNote(files_, QStringLiteral("New"), QStringLiteral("x")).stored());
  EXPECT_FALSE(history_->CanRedo());
  EXPECT_TRUE(history_->Redo().refused());
  QFile::remove(ics_path);
  QFile::remove(vcf_path);
}

TEST_F(UndoHistoryTest, AChangeMadeSinceRefusesTheUndoWithNothingWritten) {
  ASSERT_TRUE(AddAppointment(files_, Appt("20260107-1", "Dentist")).stored());
  ASSERT_TRUE(SaveNote(files_, QStringLiteral("Shopping"), QStringLiteral("Milk")).stored());
  // Something outside this history (a second file set on the folder, as a
  // sync from elsewhere would) changes the note the newest change wrote.
  {
    DataFiles other;
    other.SetDataDir(dir_.path());
    ASSERT_EQ(other.OpenDataFiles(), store::OpenResult::kOpened);
    ASSERT_TRUE(
        SaveNote(other, QStringLiteral("Shopping"), QStringLiteral("Milk and eggs")).stored());
  }
  const FolderState changed = Folder();
  const store::Outcome undone = history_->Undo();
  ASSERT_TRUE(undone.refused());
  EXPECT_TRUE(undone.reason().contains(QStringLiteral("Notes.dat")))
      << undone.reason().toStdString();
  EXPECT_TRUE(undone.reason().contains(QStringLiteral("changed since")));
  EXPECT_EQ(Folder(), changed);
  EXPECT_EQ(history_->UndoCount(), 2);  // still there, still refused
  // Grown since by something else: refused too (the length differs).
  {
    DataFiles other;
    other.SetDataDir(dir_.path());
    ASSERT_EQ(other.OpenDataFiles(), store::OpenResult::kOpened);
    ASSERT_TRUE(SaveNote(other, QStringLiteral("More"), QStringLiteral("y")).stored());
  }
  EXPECT_TRUE(history_->Undo().refused());
  // A redo whose undo was overwritten since is refused the same way.
  ASSERT_TRUE(AddAppointment(files_, Appt("20260109-1", "Late")).stored());
  ASSERT_TRUE(history_->Undo().stored());
  {
    DataFiles other;
    other.SetDataDir(dir_.path());
    ASSERT_EQ(other.OpenDataFiles(), store::OpenResult::kOpened);
    ASSERT_TRUE(AddAppointment(other, Appt("20260110-1", "Elsewhere")).stored());
  }
  const FolderState now = Folder();
  const store::Outcome redone = history_->Redo();
  EXPECT_TRUE(redone.refused());
  EXPECT_TRUE(redone.reason().contains(QStringLiteral("Appoint.dat")));
  EXPECT_EQ(Folder(), now);
}

TEST_F(UndoHistoryTest, MemoryIsBoundedAndTheOldestGoFirst) {
  history_.reset();
  history_ = std::make_unique<UndoHistory>(files_, /*steps=*/5, /*bytes=*/64 * 1024);
  for (int i = 0; i < 8; ++i) {
    ASSERT_TRUE(SaveNote(files_, QStringLiteral("Note %1").arg(i), QStringLiteral("x")).stored());
  }
  EXPECT_EQ(history_->UndoCount(), 5);
  EXPECT_LE(history_->BytesKept(), 64 * 1024);
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(history_->Undo().stored());
  EXPECT_EQ(files_.ReadCount(Channel::kNotes), 3);  // the three oldest stay
  EXPECT_TRUE(history_->Undo().refused());
  // One change larger than the whole bound is not kept, and ends what
  // came before it (it could never be undone past).
  ASSERT_TRUE(history_->Redo().stored());
  {
    store::Operation op(files_);
    for (int r = 1; r <= 200; ++r) op.WriteText(Channel::kNotes, 3 * 100 + r, QString(300, 'n'));
    ASSERT_TRUE(op.Commit().stored());
  }
  EXPECT_FALSE(history_->CanUndo());
  EXPECT_FALSE(history_->CanRedo());
  EXPECT_EQ(history_->BytesKept(), 0);
}

// Sync.dat with settings and one link per appointment.
void SeedSync(DataFiles& files, const QString& token, int appointments) {
  sync::SyncState state;
  state.settings.server = QUrl(QStringLiteral("http://localhost:1/"));
  state.settings.calendar = QUrl(QStringLiteral("http://localhost:1/cal/"));
  state.calendar_token = token;
  for (int i = 0; i < appointments; ++i) {
    sync::Link link;
    link.index = i;
    link.href = QStringLiteral("/cal/%1.ics").arg(i);
    link.etag = QStringLiteral("\"e%1\"").arg(i);
    link.digest = QByteArray::number(i);
    state.appointments.push_back(link);
  }
  store::Operation op(files);
  sync::SaveState(files, op, state);
  ASSERT_TRUE(op.Commit().stored());
}

sync::SyncState State(DataFiles& files) { return *sync::LoadState(files); }

// What a sync leaves in Sync.dat: a new token and fresh etags, the links
// where they were (or `change` applied to them).
void SimulateSync(DataFiles& files, const std::function<void(sync::SyncState&)>& change = {}) {
  sync::SyncState state = State(files);
  state.calendar_token += QStringLiteral("+");
  for (sync::Link& l : state.appointments) l.etag += QStringLiteral("+");
  if (change) change(state);
  store::Operation op(files);
  sync::SaveState(files, op, state);
  ASSERT_TRUE(op.Commit().stored());
}

TEST_F(UndoHistoryTest, SyncedAppointmentsUndoAsChangesMadeHere) {
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(
        AddAppointment(files_, Appt(QStringLiteral("2026010%1-1").arg(i + 1), "A")).stored());
  }
  SeedSync(files_, QStringLiteral("t1"), 3);
  history_->Clear();

  // A local delete with no sync since: both files come back exactly, the
  // link at its place again (the server still has the appointment).
  const FolderState before_delete = Folder();
  ASSERT_TRUE(DeleteAppointment(files_, QStringLiteral("20260102-1")).stored());
  ASSERT_EQ(State(files_).appointments[1].index, -1);
  ASSERT_TRUE(history_->Undo().stored());
  EXPECT_EQ(Folder(), before_delete);

  // A local edit, then a sync sent it: the undo puts the appointment back
  // and leaves the link as the sync left it, so the undone text differs
  // from the digest sent and goes to the server next time.
  const QByteArray appoint_before = FileBytes(Path("Appoint.dat"));
  ASSERT_TRUE(UpdateAppointment(files_, Appt("20260102-1", "Edited")).stored());
  SimulateSync(files_, [](sync::SyncState& s) { s.appointments[1].digest = "sent"; });
  const sync::SyncState synced = State(files_);
  ASSERT_TRUE(history_->Undo().stored());
  EXPECT_EQ(FileBytes(Path("Appoint.dat")), appoint_before);
  EXPECT_EQ(State(files_), synced);

  // A delete a sync then sent (the link is gone): the undo shifts the later
  // links back up, and the restored one has no link, so it is sent as new.
  ASSERT_TRUE(DeleteAppointment(files_, QStringLiteral("20260101-1")).stored());
  SimulateSync(files_, [](sync::SyncState& s) {
    std::erase_if(s.appointments, [](const sync::Link& l) { return l.index == -1; });
  });
  ASSERT_TRUE(history_->Undo().stored());
  EXPECT_EQ(FileBytes(Path("Appoint.dat")), appoint_before);
  std::vector<int> indices;
  for (const sync::Link& l : State(files_).appointments) indices.push_back(l.index);
  EXPECT_EQ(indices, (std::vector<int>{1, 2}));
  EXPECT_EQ(State(files_).appointments[0].href, QStringLiteral("/cal/1.ics"));

  // A local add a sync then linked: undone, its link says "deleted here",
  // so the next sync removes it from the server.
  ASSERT_TRUE(AddAppointment(files_, Appt("20260109-1", "New")).stored());
  SimulateSync(files_, [](sync::SyncState& s) {
    sync::Link l;
    l.index = 3;
    l.href = QStringLiteral("/cal/new.ics");
    s.appointments.push_back(l);
  });
  ASSERT_TRUE(history_->Undo().stored());
  EXPECT_EQ(FileBytes(Path("Appoint.dat")), appoint_before);
  EXPECT_EQ(State(files_).appointments.back().href, QStringLiteral("/cal/new.ics"));
  EXPECT_EQ(State(files_).appointments.back().index, -1);
}

TEST_F(UndoHistoryTest, WhatASyncReceivedIsUndoneAsAChangeToSend) {
  ASSERT_TRUE(AddAppointment(files_, Appt("20260101-1", "Mine")).stored());
  SeedSync(files_, QStringLiteral("t1"), 1);
  history_->Clear();
  const QByteArray appoint_before = FileBytes(Path("Appoint.dat"));
  // One step as the engine takes it: the item from the server and the new
  // token and etag together.
  {
    store::Operation op(files_);
    RewriteAppointment(op, 0, Appt("20260101-1", "From the phone"));
    sync::SyncState state = *sync::LoadState(op);
    state.calendar_token = QStringLiteral("t2");
    state.appointments[0].etag = QStringLiteral("\"e0+\"");
    state.appointments[0].digest = "phone";
    sync::SaveState(files_, op, state);
    ASSERT_TRUE(op.Commit().stored());
  }
  const sync::SyncState received = State(files_);
  ASSERT_TRUE(history_->Undo().stored());
  EXPECT_EQ(FileBytes(Path("Appoint.dat")), appoint_before);
  // The token stays: the next sync does not fetch the change again but
  // sends the local text, which no longer matches the digest.
  EXPECT_EQ(State(files_), received);
  ASSERT_TRUE(history_->Redo().stored());
  EXPECT_EQ(ReadAppointment(files_, 0).subject, QStringLiteral("From the phone"));
}

// An undo cuts a file back to the length it had (here every file back to
// what it held before two items were added, as the undo of that add
// writes it): at every crash point the folder holds the one state or the
// other, never a file cut short.
class UndoCrashTest : public SeamsFixture {};

TEST_F(UndoCrashTest, AnOperationThatCutsFilesBackIsAllOrNothing) {
  auto kept = std::make_shared<FolderState>();
  RunSweep("files cut back to an earlier length",
           {[kept](const QString& dir) {
              Fill(dir, [](DataFiles& files) {
                ASSERT_TRUE(AddAppointment(files, Appt("20260101-1", "Kept")).stored());
                ASSERT_TRUE(SaveNote(files, QStringLiteral("Kept"), QStringLiteral("k")).stored());
              });
              *kept = ReadFolder(dir);
              Fill(dir, [](DataFiles& files) {
                ASSERT_TRUE(AddAppointment(files, Appt("20260102-1", "Added")).stored());
                ASSERT_TRUE(SaveNote(files, QStringLiteral("Added"), QString(450, 'a')).stored());
              });
            },
            [kept](DataFiles& files) {
              store::Operation op(files);
              for (Channel channel : {Channel::kAppoint, Channel::kNotes}) {
                const QByteArray bytes =
                    kept->at(QString::fromLatin1(store::Info(channel).file_name));
                const int length = store::Info(channel).record_length;
                for (int r = 1; qint64(r - 1) * length < bytes.size(); ++r) {
                  op.WriteRecord(channel, r, bytes.mid(qsizetype(r - 1) * length, length));
                }
                op.SetLength(channel, bytes.size());
              }
              ASSERT_TRUE(op.Commit().stored());
            }});
}

}  // namespace
}  // namespace quorvel::testing
