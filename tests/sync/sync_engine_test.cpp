// Two Quorvel folders ("two machines") and a third client writing raw
// iCalendar and vCard over HTTP ("a phone") against one real Radicale: after
// every round of changes all three hold the same items, nothing lost and
// nothing twice.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>

#include <QElapsedTimer>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include "events/event_file.h"
#include "items/address_file.h"
#include "items/appointment_file.h"
#include "items/sync_state.h"
#include "store/data_files.h"
#include "sync/background_sync.h"
#include "sync/dav_client.h"
#include "sync/engine.h"
#include "sync/item_codec.h"
#include "sync/setup.h"
#include "tests/sync/radicale.h"
#include "tests/sync/relay.h"
#include "undo/undo_history.h"

namespace quorvel::sync {
namespace {

using testing::Radicale;
using testing::Relay;

struct Machine {
  QTemporaryDir dir;
  store::DataFiles files;
};

QByteArray FileBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString Describe(const Appointment& a) {
  return QStringList{a.id.left(8),           a.subject, a.start,      a.end,
                     a.reminder ? "R" : "-", a.minutes, a.description}
      .join(QLatin1Char('|'));
}

QString Describe(const AddressEntry& e) {
  const auto f = e.Fields();
  return QStringList(f.begin(), f.end()).join(QLatin1Char('|'));
}

class SyncEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.failure().isEmpty()) << server_.failure().toStdString();
    phone_ = std::make_unique<DavClient>(server_.url(), server_.user(), server_.password());
    calendar_ = server_.url().resolved(QUrl(QStringLiteral("/alice/calendar/")));
    book_ = server_.url().resolved(QUrl(QStringLiteral("/alice/contacts/")));
    DavError error;
    ASSERT_TRUE(phone_->Discover(&error)) << error.Message().toStdString();
    ASSERT_TRUE(phone_->MakeCollection(calendar_, CollectionKind::kCalendar, "Calendar", &error));
    ASSERT_TRUE(phone_->MakeCollection(book_, CollectionKind::kAddressBook, "Contacts", &error));
    for (Machine* m : {&a_, &b_}) {
      ASSERT_TRUE(m->dir.isValid());
      m->files.SetDataDir(m->dir.path());
      ASSERT_EQ(m->files.OpenDataFiles(), store::OpenResult::kOpened);
      SetUpSync(*m, server_.url());
    }
  }

  void SetUpSync(Machine& m, const QUrl& server) {
    SyncState state = *LoadState(m.files);
    state.settings.server = server;
    state.settings.user = server_.user();
    state.settings.calendar = server.resolved(QUrl(calendar_.path()));
    state.settings.address_book = server.resolved(QUrl(book_.path()));
    store::Operation op(m.files);
    SaveState(m.files, op, state);
    ASSERT_TRUE(op.Commit().stored());
  }

  SyncReport Sync(Machine& m) {
    SyncReport report = SyncNow(m.files, server_.password());
    EXPECT_TRUE(report.ok()) << report.Summary().toStdString();
    return report;
  }

  // Syncs A, B and A again: what any side changed has reached every side.
  void Round() {
    Sync(a_);
    Sync(b_);
    Sync(a_);
  }

  static QStringList Appointments(const store::DataFiles& files) {
    QStringList out;
    for (int k = 0; k < files.ReadCount(store::Channel::kAppoint); ++k) {
      out << Describe(ReadAppointment(files, k));
    }
    out.sort();
    return out;
  }
  static QStringList Entries(const store::DataFiles& files) {
    QStringList out;
    for (int k = 0; k < files.ReadCount(store::Channel::kAddBook); ++k) {
      out << Describe(ReadAddressEntry(files, k));
    }
    out.sort();
    return out;
  }
  std::vector<Resource> ServerItems(const QUrl& collection, CollectionKind kind) {
    DavError error;
    auto members = phone_->ListMembers(collection, &error);
    EXPECT_TRUE(members);
    QStringList hrefs;
    for (const Member& m : *members) hrefs << m.href;
    auto got = phone_->Multiget(collection, kind, hrefs, &error);
    EXPECT_TRUE(got);
    return got ? *got : std::vector<Resource>{};
  }
  QStringList ServerAppointments() {
    QStringList out;
    for (const Resource& r : ServerItems(calendar_, CollectionKind::kCalendar)) {
      DecodedAppointment d = DecodeAppointment(r.data);
      if (!d.problem.isNull()) continue;
      d.appointment.id = DayKey(d.date);
      out << Describe(d.appointment);
    }
    out.sort();
    return out;
  }
  QStringList ServerEntries() {
    QStringList out;
    for (const Resource& r : ServerItems(book_, CollectionKind::kAddressBook)) {
      DecodedEntry d = DecodeEntry(r.data);
      if (d.problem.isNull()) out << Describe(d.entry);
    }
    out.sort();
    return out;
  }

  void ExpectAllAgree(int appointments, int entries) {
    const QStringList server_appointments = ServerAppointments();
    EXPECT_EQ(server_appointments.size(), appointments)
        << server_appointments.join("\n").toStdString();
    EXPECT_EQ(Appointments(a_.files), server_appointments);
    EXPECT_EQ(Appointments(b_.files), server_appointments);
    const QStringList server_entries = ServerEntries();
    EXPECT_EQ(server_entries.size(), entries);
    EXPECT_EQ(Entries(a_.files), server_entries);
    EXPECT_EQ(Entries(b_.files), server_entries);
  }

  static Appointment Appt(const QString& day, int ordinal, const QString& subject,
                          const QString& start = QStringLiteral("09:00")) {
    return Appointment{day + QLatin1Char('-') + QString::number(ordinal),
                       subject,
                       start,
                       QStringLiteral("23:00"),
                       true,
                       QStringLiteral("15"),
                       QStringLiteral("note for ") + subject};
  }
  static int Find(const store::DataFiles& files, const QString& subject) {
    for (int k = 0; k < files.ReadCount(store::Channel::kAppoint); ++k) {
      if (ReadAppointment(files, k).subject == subject) return k;
    }
    return -1;
  }
  static AddressEntry Person(const QString& surname, const QString& name) {
    AddressEntry e;
    e.surname = surname;
    e.name = name;
    e.address = QStringLiteral("1 High Street\r\nTown");
    e.phones[0] = QStringLiteral("0123 456");
    e.birthday_date = QStringLiteral("05/03/1975");
    e.birthday_flag = QStringLiteral("1");
    e.email = surname.toLower() + QStringLiteral("@example.org");
    return e;
  }

  QByteArray PhoneEvent(const QString& uid, const QString& date, const QString& summary,
                        const QString& extra = QString()) {
    return QStringLiteral(
               "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//phone//EN\r\nBEGIN:VEVENT\r\n"
               "UID:%1\r\nDTSTAMP:20260101T000000Z\r\nDTSTART:%2T100000\r\n"
               "DTEND:%2T110000\r\nSUMMARY:%3\r\n%4END:VEVENT\r\nEND:VCALENDAR\r\n")
        .arg(uid, date, summary, extra)
        .toUtf8();
  }

  Radicale server_;
  std::unique_ptr<DavClient> phone_;
  QUrl calendar_;
  QUrl book_;
  Machine a_;
  Machine b_;
};

TEST_F(SyncEngineTest, EveryCombinationOfChangesReachesEverySide) {
  // Round 1: A adds; everything reaches B and the server.
  ASSERT_TRUE(AddAppointment(a_.files, Appt("20260107", 1, "Dentist")).stored());
  ASSERT_TRUE(AddAppointment(a_.files, Appt("20260107", 2, "Lunch", "12:00")).stored());
  ASSERT_TRUE(AddAppointment(a_.files, Appt("20260108", 1, "Train")).stored());
  ASSERT_TRUE(AddAddressEntry(a_.files, Person("Smith", "John")).stored());
  Round();
  ExpectAllAgree(3, 1);

  // Round 2: the phone adds an event and a card, B edits, A deletes.
  DavError error;
  ASSERT_TRUE(phone_->Put(DavClient::PathOf(calendar_) + "phone1.ics", CollectionKind::kCalendar,
                          PhoneEvent("phone1", "20260110", "From the phone"), QString(), &error));
  ASSERT_TRUE(
      phone_->Put(DavClient::PathOf(book_) + "doe.vcf", CollectionKind::kAddressBook,
                  "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:doe\r\nFN:Jane Doe\r\nN:Doe;Jane;;;\r\n"
                  "TEL;TYPE=CELL:555 1234\r\nBDAY:1980-12-01\r\nEND:VCARD\r\n",
                  QString(), &error));
  {
    const int k = Find(b_.files, "Train");
    Appointment train = ReadAppointment(b_.files, k);
    train.subject = QStringLiteral("Train to Leeds");
    ASSERT_TRUE(UpdateAppointment(b_.files, train).stored());
  }
  ASSERT_TRUE(DeleteAppointment(a_.files, ReadAppointment(a_.files, Find(a_.files, "Dentist")).id)
                  .stored());
  Round();
  ExpectAllAgree(3, 2);
  EXPECT_GE(Find(a_.files, "Train to Leeds"), 0);
  EXPECT_GE(Find(b_.files, "From the phone"), 0);
  EXPECT_LT(Find(b_.files, "Dentist"), 0);

  // Round 3: both machines change the same appointment: both versions kept.
  {
    Appointment lunch = ReadAppointment(a_.files, Find(a_.files, "Lunch"));
    lunch.subject = QStringLiteral("Lunch with Ann");
    ASSERT_TRUE(UpdateAppointment(a_.files, lunch).stored());
    lunch = ReadAppointment(b_.files, Find(b_.files, "Lunch"));
    lunch.subject = QStringLiteral("Lunch moved");
    ASSERT_TRUE(UpdateAppointment(b_.files, lunch).stored());
  }
  Sync(a_);
  const SyncReport both = Sync(b_);
  EXPECT_EQ(both.conflicts.size(), 1) << both.Summary().toStdString();
  EXPECT_TRUE(both.Summary().contains("both sides")) << both.Summary().toStdString();
  Sync(a_);
  ExpectAllAgree(4, 2);
  EXPECT_GE(Find(a_.files, "Lunch with Ann"), 0);
  EXPECT_GE(Find(a_.files, "Lunch moved"), 0);

  // Round 4: A edits what the phone deleted (kept), and deletes what the
  // phone edited (kept with the phone's change).
  {
    Appointment leeds = ReadAppointment(a_.files, Find(a_.files, "Train to Leeds"));
    leeds.start = QStringLiteral("08:00");
    ASSERT_TRUE(UpdateAppointment(a_.files, leeds).stored());
    ASSERT_TRUE(
        DeleteAppointment(a_.files, ReadAppointment(a_.files, Find(a_.files, "From the phone")).id)
            .stored());
  }
  for (const Resource& r : ServerItems(calendar_, CollectionKind::kCalendar)) {
    if (r.data.contains("SUMMARY:Train to Leeds")) {
      ASSERT_TRUE(phone_->Delete(r.href, r.etag, &error));
    } else if (r.data.contains("SUMMARY:From the phone")) {
      ASSERT_TRUE(phone_->Put(r.href, CollectionKind::kCalendar,
                              PhoneEvent("phone1", "20260110", "From the phone edited"), r.etag,
                              &error));
    }
  }
  Round();
  ExpectAllAgree(4, 2);
  EXPECT_GE(Find(b_.files, "From the phone edited"), 0);
  EXPECT_GE(Find(b_.files, "Train to Leeds"), 0);

  // Round 5: entries edited, renamed and deleted on different sides.
  {
    AddressEntry john = ReadAddressEntry(b_.files, FindAddressEntry(b_.files, "Smith, John"));
    AddressEntry johnny = john;
    johnny.name = QStringLiteral("Johnny");
    johnny.phones[3] = QStringLiteral("07700 900");
    ASSERT_TRUE(ReplaceAddressEntry(b_.files, john.Key(), johnny).stored());
    ASSERT_TRUE(DeleteAddressEntry(a_.files, "Doe, Jane").stored());
  }
  Round();
  ExpectAllAgree(4, 1);
  EXPECT_GE(FindAddressEntry(a_.files, "Smith, Johnny"), 0);
  EXPECT_EQ(ServerItems(book_, CollectionKind::kAddressBook).size(), 1u);
}

TEST_F(SyncEngineTest, EditingAfterRenumberingUpdatesTheSameServerEvent) {
  ASSERT_TRUE(AddAppointment(a_.files, Appt("20260107", 1, "First")).stored());
  ASSERT_TRUE(AddAppointment(a_.files, Appt("20260107", 2, "Second")).stored());
  Sync(a_);
  QString second_href;
  for (const Resource& r : ServerItems(calendar_, CollectionKind::kCalendar)) {
    if (r.data.contains("SUMMARY:Second")) second_href = r.href;
  }
  ASSERT_FALSE(second_href.isEmpty());
  // Deleting the first renumbers the second to ordinal 1 and moves it to
  // position 0; editing it must still change the same server event.
  ASSERT_TRUE(DeleteAppointment(a_.files, "20260107-1").stored());
  Appointment second = ReadAppointment(a_.files, 0);
  ASSERT_EQ(second.id, QStringLiteral("20260107-1"));
  second.description = QStringLiteral("edited after renumbering");
  ASSERT_TRUE(UpdateAppointment(a_.files, second).stored());
  Sync(a_);
  const auto items = ServerItems(calendar_, CollectionKind::kCalendar);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items.front().href, second_href);
  EXPECT_TRUE(items.front().data.contains("edited after renumbering"));
}

TEST_F(SyncEngineTest, WhatTheFilesCannotHoldIsReportedOnceAndLeftAlone) {
  DavError error;
  const QString weekly = DavClient::PathOf(calendar_) + "weekly.ics";
  ASSERT_TRUE(phone_->Put(weekly, CollectionKind::kCalendar,
                          PhoneEvent("weekly", "20260112", "Choir", "RRULE:FREQ=WEEKLY\r\n"),
                          QString(), &error));
  ASSERT_TRUE(
      phone_->Put(DavClient::PathOf(calendar_) + "task.ics", CollectionKind::kCalendar,
                  "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//phone//EN\r\nBEGIN:VTODO\r\n"
                  "UID:task\r\nDTSTAMP:20260101T000000Z\r\nSUMMARY:Call back\r\nEND:VTODO\r\n"
                  "END:VCALENDAR\r\n",
                  QString(), &error));
  const SyncReport first = Sync(a_);
  // The series is kept whole beside the appointments; the to-do, which is
  // no event, is named.
  EXPECT_EQ(first.skipped.size(), 1) << first.Summary().toStdString();
  EXPECT_EQ(a_.files.ReadCount(store::Channel::kAppoint), 0);
  EXPECT_TRUE(events::FindEvent(a_.files, QStringLiteral("weekly")));
  const SyncReport second = Sync(a_);
  EXPECT_TRUE(second.skipped.isEmpty()) << second.Summary().toStdString();
  EXPECT_EQ(ServerItems(calendar_, CollectionKind::kCalendar).size(), 2u);
  auto still = phone_->Get(weekly, &error);
  ASSERT_TRUE(still);
  EXPECT_TRUE(still->data.contains("RRULE:FREQ=WEEKLY"));
}

TEST_F(SyncEngineTest, OfflineChangesWaitAndAKilledSyncConverges) {
  for (int i = 1; i <= 4; ++i) {
    ASSERT_TRUE(
        AddAppointment(a_.files, Appt("20260201", i, QStringLiteral("Item %1").arg(i))).stored());
  }
  ASSERT_TRUE(AddAddressEntry(a_.files, Person("Brown", "Ann")).stored());
  // Offline: the server cannot be reached; nothing changes here.
  {
    Radicale elsewhere;  // started and stopped: its port is closed
    const QUrl closed = elsewhere.url();
    elsewhere.Stop();
    SetUpSync(a_, closed);
    const QStringList before = Appointments(a_.files);
    const SyncReport report = SyncNow(a_.files, server_.password());
    EXPECT_FALSE(report.ok());
    EXPECT_TRUE(report.Summary().contains("did not answer")) << report.Summary().toStdString();
    EXPECT_EQ(Appointments(a_.files), before);
    SetUpSync(a_, server_.url());
  }
  // Killed after each number of server writes, then run again in full:
  // the same result every time, nothing twice.
  for (int stop = 1; stop <= 6; ++stop) {
    {
      DavClient client(server_.url(), server_.user(), server_.password());
      SyncEngine engine(a_.files, client);
      engine.set_stop_after_writes(stop);
      engine.Run();
    }
    Round();
    ExpectAllAgree(4 + stop - 1, 1);
    // Another change for the next cut.
    const int k = Find(a_.files, QStringLiteral("Item %1").arg(stop % 4 + 1));
    ASSERT_GE(k, 0);
    Appointment a = ReadAppointment(a_.files, k);
    a.description = QStringLiteral("cut %1").arg(stop);
    ASSERT_TRUE(UpdateAppointment(a_.files, a).stored());
    ASSERT_TRUE(AddAppointment(a_.files, Appt("20260202", stop, QStringLiteral("New %1").arg(stop)))
                    .stored());
  }
}

// Links lost with Sync.dat, the same server under another spelling, or an
// account switched away and back: the items already on the server are found
// again by content before anything is sent, so nothing is doubled on either
// side, and what changed meanwhile still travels once. Two copies of one
// item that differ cannot be told apart without the links: both are kept,
// and the summary says so.
TEST_F(SyncEngineTest, LostLinksFindTheItemsAlreadyThereInsteadOfDoublingThem) {
  ASSERT_TRUE(AddAppointment(a_.files, Appt("20260401", 1, "Dentist")).stored());
  ASSERT_TRUE(AddAppointment(a_.files, Appt("20260401", 2, "Lunch", "12:00")).stored());
  ASSERT_TRUE(AddAddressEntry(a_.files, Person("Smith", "John")).stored());
  ASSERT_TRUE(AddAddressEntry(a_.files, Person("Brown", "Ann")).stored());
  DavError error;
  const QByteArray doe =
      "BEGIN:VCARD\r\nVERSION:4.0\r\nUID:doe\r\nFN:Jane Doe\r\nN:Doe;Jane;;;\r\n"
      "TEL;TYPE=cell:555 1234\r\nPHOTO:https://example.org/doe.png\r\nEND:VCARD\r\n";
  ASSERT_TRUE(phone_->Put(DavClient::PathOf(book_) + "doe.vcf", CollectionKind::kAddressBook, doe,
                          QString(), &error));
  ASSERT_TRUE(phone_->Put(DavClient::PathOf(calendar_) + "phone1.ics", CollectionKind::kCalendar,
                          PhoneEvent("phone1", "20260402", "From the phone", "LOCATION:Hall\r\n"),
                          QString(), &error));
  const auto card_as_put = phone_->Get(DavClient::PathOf(book_) + "doe.vcf", &error);
  ASSERT_TRUE(card_as_put);
  Round();
  ExpectAllAgree(3, 3);

  const QUrl other_calendar = server_.url().resolved(QUrl(QStringLiteral("/alice/elsewhere/")));
  const QUrl other_book = server_.url().resolved(QUrl(QStringLiteral("/alice/elsewhere-book/")));
  ASSERT_TRUE(
      phone_->MakeCollection(other_calendar, CollectionKind::kCalendar, "Elsewhere", &error));
  ASSERT_TRUE(
      phone_->MakeCollection(other_book, CollectionKind::kAddressBook, "Elsewhere", &error));
  // What the Sync window stores when the user types other addresses.
  auto use = [&](const QUrl& server, const QUrl& calendar, const QUrl& book) {
    SyncSettings settings = LoadState(a_.files)->settings;
    settings.server = server;
    settings.calendar = server.resolved(QUrl(calendar.path()));
    settings.address_book = server.resolved(QUrl(book.path()));
    ASSERT_TRUE(SaveSettings(a_.files, settings).isNull());
  };
  auto lose_sync_file = [&] {
    a_.files.CloseDataFiles();
    ASSERT_TRUE(QFile::remove(a_.dir.filePath(QStringLiteral("Sync.dat"))));
    ASSERT_EQ(a_.files.OpenDataFiles(), store::OpenResult::kOpened);
    SetUpSync(a_, server_.url());
  };
  struct Case {
    const char* what;
    std::function<void()> lose_links;
  };
  const std::vector<Case> cases = {
      {"Sync.dat deleted", lose_sync_file},
      {"the server spelled localhost",
       [&] {
         QUrl local_host = server_.url();
         local_host.setHost(QStringLiteral("localhost"));
         use(local_host, calendar_, book_);
       }},
      {"the account switched away and back",
       [&] {
         use(server_.url(), other_calendar, other_book);
         Sync(a_);
         use(server_.url(), calendar_, book_);
       }},
  };
  int round = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ++round;
    c.lose_links();
    // Meanwhile each side adds an appointment and an entry.
    for (Machine* m : {&a_, &b_}) {
      const QString tag = QStringLiteral("%1%2").arg(m == &a_ ? "A" : "B").arg(round);
      ASSERT_TRUE(AddAppointment(m->files, Appt("20260403", round, "New " + tag)).stored());
      ASSERT_TRUE(AddAddressEntry(m->files, Person("New" + tag, "Person")).stored());
    }
    Sync(b_);
    const SyncReport report = Sync(a_);
    EXPECT_TRUE(report.conflicts.isEmpty()) << report.Summary().toStdString();
    Round();
    ExpectAllAgree(3 + 2 * round, 3 + 2 * round);
  }
  auto card = phone_->Get(DavClient::PathOf(book_) + "doe.vcf", &error);
  ASSERT_TRUE(card);
  EXPECT_EQ(card->etag, card_as_put->etag);  // never rewritten
  EXPECT_EQ(card->data.toStdString(), card_as_put->data.toStdString());
  auto event = phone_->Get(DavClient::PathOf(calendar_) + "phone1.ics", &error);
  ASSERT_TRUE(event);
  EXPECT_TRUE(event->data.contains("LOCATION:Hall")) << event->data.toStdString();

  // B changes an appointment and an entry while A's links are lost.
  lose_sync_file();
  Appointment lunch = ReadAppointment(b_.files, Find(b_.files, "Lunch"));
  lunch.description = QStringLiteral("moved");
  ASSERT_TRUE(UpdateAppointment(b_.files, lunch).stored());
  AddressEntry ann = ReadAddressEntry(b_.files, FindAddressEntry(b_.files, "Brown, Ann"));
  ann.phones[1] = QStringLiteral("0200 1");
  ASSERT_TRUE(ReplaceAddressEntry(b_.files, ann.Key(), ann).stored());
  Sync(b_);
  const SyncReport told = Sync(a_);
  EXPECT_EQ(told.conflicts, (QStringList{QStringLiteral("\"Lunch\" on 01/04/2026"),
                                         QStringLiteral("\"Brown, Ann\"")}))
      << told.Summary().toStdString();
  Round();
  ExpectAllAgree(10, 10);
}

// Undo across syncs, as Ctrl+Z does it in the program: what is undone goes
// to the server as a change made here, to the same resource, nothing twice;
// an undo that would overwrite what a sync changed since is refused.
TEST_F(SyncEngineTest, UndoneChangesReachTheServerAsChangesMadeHere) {
  undo::UndoHistory history(a_.files);
  ASSERT_TRUE(AddAppointment(a_.files, Appt("20260107", 1, "Dentist")).stored());
  ASSERT_TRUE(AddAddressEntry(a_.files, Person("Smith", "John")).stored());
  Round();
  ExpectAllAgree(1, 1);
  auto hrefs = [&] {
    QStringList out;
    for (const auto& [collection, kind] : {std::pair{calendar_, CollectionKind::kCalendar},
                                           std::pair{book_, CollectionKind::kAddressBook}}) {
      for (const Resource& r : ServerItems(collection, kind)) out << r.href;
    }
    out.sort();
    return out;
  };
  const QStringList resources = hrefs();
  auto undo_all_agree = [&](int undos, int sent) {
    for (int i = 0; i < undos; ++i) ASSERT_TRUE(history.Undo().stored()) << i;
    EXPECT_EQ(Sync(a_).sent, sent);
    Round();
    ExpectAllAgree(1, 1);
    EXPECT_EQ(hrefs().join(u' ').toStdString(),
              resources.join(u' ').toStdString());  // edited, not replaced
    EXPECT_GE(Find(b_.files, "Dentist"), 0);
    EXPECT_GE(FindAddressEntry(b_.files, "Smith, John"), 0);
  };

  // Local changes already sent: an edit, and a rename of the entry (its
  // key changes, its link must follow it back).
  {
    Appointment dentist = ReadAppointment(a_.files, 0);
    dentist.subject = QStringLiteral("Dentist moved");
    ASSERT_TRUE(UpdateAppointment(a_.files, dentist).stored());
    AddressEntry johnny = Person("Smith", "Johnny");
    ASSERT_TRUE(ReplaceAddressEntry(a_.files, QStringLiteral("Smith, John"), johnny).stored());
  }
  EXPECT_EQ(Sync(a_).sent, 2);
  // Sending changed only the sync's own files: nothing to undo there.
  EXPECT_EQ(history.UndoText().toStdString(), "Undo Address Book Change");
  undo_all_agree(2, 2);

  // What a sync received: the phone renames the card and edits the event.
  DavError error;
  for (const Resource& r : ServerItems(calendar_, CollectionKind::kCalendar)) {
    QByteArray data = r.data;
    data.replace("SUMMARY:Dentist", "SUMMARY:Dentist (phone)");
    ASSERT_TRUE(phone_->Put(r.href, CollectionKind::kCalendar, data, r.etag, &error));
  }
  for (const Resource& r : ServerItems(book_, CollectionKind::kAddressBook)) {
    QByteArray data = r.data;
    data.replace("FN:John Smith", "FN:Jack Smith").replace("N:Smith;John", "N:Smith;Jack");
    ASSERT_TRUE(data != r.data) << r.data.toStdString();
    ASSERT_TRUE(phone_->Put(r.href, CollectionKind::kAddressBook, data, r.etag, &error));
  }
  const int before_receiving = history.UndoCount();
  EXPECT_EQ(Sync(a_).received, 2);
  ASSERT_GE(FindAddressEntry(a_.files, "Smith, Jack"), 0);
  undo_all_agree(history.UndoCount() - before_receiving, 2);

  // A sync elsewhere (another program on the folder) changes what an edit
  // here wrote: the edit's undo says so and changes nothing.
  {
    Appointment dentist = ReadAppointment(a_.files, 0);
    dentist.description = QStringLiteral("edited here");
    ASSERT_TRUE(UpdateAppointment(a_.files, dentist).stored());
  }
  EXPECT_EQ(Sync(a_).sent, 1);
  for (const Resource& r : ServerItems(calendar_, CollectionKind::kCalendar)) {
    QByteArray data = r.data;
    data.replace("DESCRIPTION:edited here", "DESCRIPTION:edited on the phone");
    ASSERT_TRUE(data != r.data) << r.data.toStdString();
    ASSERT_TRUE(phone_->Put(r.href, CollectionKind::kCalendar, data, r.etag, &error));
  }
  {
    store::DataFiles elsewhere;
    elsewhere.SetDataDir(a_.dir.path());
    ASSERT_EQ(elsewhere.OpenDataFiles(), store::OpenResult::kOpened);
    const SyncReport report = SyncNow(elsewhere, server_.password());
    EXPECT_EQ(report.received, 1) << report.Summary().toStdString();
  }
  auto file = [&](const char* name) { return FileBytes(a_.dir.filePath(QLatin1String(name))); };
  const QByteArray appoint = file("Appoint.dat");
  const QByteArray sync = file("Sync.dat");
  const store::Outcome refused = history.Undo();
  ASSERT_TRUE(refused.refused());
  EXPECT_TRUE(refused.reason().contains(QStringLiteral("Appoint.dat has changed since")))
      << refused.reason().toStdString();
  EXPECT_EQ(file("Appoint.dat"), appoint);
  EXPECT_EQ(file("Sync.dat"), sync);
  EXPECT_EQ(Sync(a_).sent, 0);
  Round();
  ExpectAllAgree(1, 1);
  EXPECT_EQ(ReadAppointment(b_.files, 0).description, QStringLiteral("edited on the phone"));
}

// Stopping a run cuts off the writes in flight, starts no more, stores
// nothing here and says it was stopped; the next run finishes the rest with
// nothing twice.
TEST_F(SyncEngineTest, AStoppedRunSaysSoAndTheNextOneFinishes) {
  for (int i = 1; i <= 30; ++i) {
    ASSERT_TRUE(
        AddAppointment(a_.files, Appt("20260305", i, QStringLiteral("Stop %1").arg(i))).stored());
  }
  Relay slow(server_.url(), Relay::Options{300, 0});
  ASSERT_TRUE(slow.url().isValid());
  SetUpSync(a_, slow.url());
  const QStringList before = Appointments(a_.files);
  auto sync_file = [&] {
    QFile file(a_.dir.filePath(QStringLiteral("Sync.dat")));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  };
  const QByteArray sync_before = sync_file();
  auto stop = std::make_shared<std::atomic<bool>>(false);
  SyncReport report;
  {
    DavClient client(slow.url(), server_.user(), server_.password());
    SyncEngine engine(a_.files, client);
    engine.set_stop(stop);
    engine.set_progress([&](const SyncProgress& p) {
      if (p.step == QStringLiteral("Sending changes…") && p.done >= 3) stop->store(true);
    });
    report = engine.Run();
  }
  EXPECT_FALSE(report.ok());
  EXPECT_TRUE(report.stopped);
  EXPECT_EQ(report.Summary(), QStringLiteral("Sync stopped. Nothing was lost: the next sync "
                                             "finishes what this one began."));
  EXPECT_EQ(Appointments(a_.files), before);
  EXPECT_EQ(sync_file(), sync_before);  // no links stored by a stopped run
  const int sent = int(ServerAppointments().size());
  EXPECT_GE(sent, 3);
  EXPECT_LT(sent, 30);
  SetUpSync(a_, server_.url());
  Round();
  ExpectAllAgree(30, 0);
}

// Writes go several at a time, each still one conditional request; a full
// account (507, which a relay in front of the server answers to every PUT:
// Radicale has no quotas) ends the run with a clear message and loses
// nothing.
TEST_F(SyncEngineTest, WritesGoSeveralAtATimeAndAFullAccountLosesNothing) {
  for (int i = 1; i <= 24; ++i) {
    ASSERT_TRUE(
        AddAppointment(a_.files, Appt("20260301", i, QStringLiteral("Batch %1").arg(i))).stored());
  }
  {
    Relay full(server_.url(), Relay::Options{0, 507});
    ASSERT_TRUE(full.url().isValid());
    SetUpSync(a_, full.url());
    const QStringList before = Appointments(a_.files);
    const SyncReport refused = SyncNow(a_.files, server_.password());
    EXPECT_FALSE(refused.ok());
    EXPECT_TRUE(refused.error.contains(QStringLiteral("account on the server is full (507)")))
        << refused.error.toStdString();
    EXPECT_GE(full.refused(), 1);
    EXPECT_LE(full.refused(), DavClient::kWritesInFlight);  // no more sent once one is refused
    EXPECT_EQ(Appointments(a_.files), before);
    EXPECT_TRUE(ServerAppointments().isEmpty());
  }
  Relay slow(server_.url(), Relay::Options{150, 0});
  ASSERT_TRUE(slow.url().isValid());
  SetUpSync(a_, slow.url());
  const SyncReport sent = Sync(a_);
  EXPECT_EQ(sent.sent, 24);
  EXPECT_GT(slow.most_in_flight(), 1);
  EXPECT_LE(slow.most_in_flight(), DavClient::kWritesInFlight);
  // Edits go the same way, each over the version it replaces.
  for (int i = 1; i <= 24; ++i) {
    const int k = Find(a_.files, QStringLiteral("Batch %1").arg(i));
    ASSERT_GE(k, 0);
    Appointment a = ReadAppointment(a_.files, k);
    a.description = QStringLiteral("edited");
    ASSERT_TRUE(UpdateAppointment(a_.files, a).stored());
  }
  EXPECT_EQ(Sync(a_).sent, 24);
  SetUpSync(a_, server_.url());
  Round();
  ExpectAllAgree(24, 0);
}

// The full files into an empty account and back into an empty folder. Slow
// (minutes: Radicale writes each item to its own file), so it runs only
// with QUORVEL_SYNC_SCALE=1; it prints the time and the request count.
TEST_F(SyncEngineTest, ScaleFullFilesThereAndBack) {
  if (!qEnvironmentVariableIsSet("QUORVEL_SYNC_SCALE")) GTEST_SKIP() << "set QUORVEL_SYNC_SCALE=1";
  {
    store::Operation op(a_.files);
    for (int i = 0; i < 4096; ++i) {
      const QDate day = QDate(2026, 1, 1).addDays(i / 8);
      Appointment a = Appt(DayKey(day), i % 8 + 1, QStringLiteral("Appointment %1").arg(i),
                           QStringLiteral("%1:00").arg(8 + i % 8, 2, 10, QLatin1Char('0')));
      ASSERT_TRUE(AddAppointment(op, a).stored());
    }
    QSet<QString> keys;
    for (int i = 0; i < 2048; ++i) {
      ASSERT_TRUE(
          AddAddressEntry(op, Person(QStringLiteral("Surname%1").arg(i), "Name"), &keys).stored());
    }
    ASSERT_TRUE(op.Commit().stored());
  }
  auto timed_sync = [&](Machine& m, const char* what, qint64* ms) {
    DavClient client(server_.url(), server_.user(), server_.password());
    SyncEngine engine(m.files, client);
    QElapsedTimer clock;
    clock.start();
    const SyncReport report = engine.Run();
    *ms = clock.elapsed();
    EXPECT_TRUE(report.ok()) << report.Summary().toStdString();
    QStringList kinds;
    for (const auto& [method, count] : client.requests_by_method()) {
      kinds << QStringLiteral("%1 %2").arg(QString::fromLatin1(method)).arg(count);
    }
    std::printf("scale %s: %lld ms, %d requests (%s), %d sent, %d received\n", what,
                static_cast<long long>(*ms), report.requests,
                qPrintable(kinds.join(QStringLiteral(", "))), report.sent, report.received);
    std::fflush(stdout);
    return report;
  };
  qint64 up_ms = 0;
  qint64 down_ms = 0;
  const SyncReport there = timed_sync(a_, "up", &up_ms);
  const SyncReport back = timed_sync(b_, "down", &down_ms);
  EXPECT_EQ(there.sent, 4096 + 2048);
  EXPECT_EQ(back.received, 4096 + 2048);
  EXPECT_LT(back.requests, 100);  // batched: multiget, not one request per item
  EXPECT_EQ(Appointments(b_.files), Appointments(a_.files));
  EXPECT_EQ(Entries(b_.files), Entries(a_.files));
}

}  // namespace
}  // namespace quorvel::sync
