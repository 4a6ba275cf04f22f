// Items another device made, edited here: against two real servers
// (Radicale and Xandikos), a raw client writes events and cards as a phone
// does; after each kind of local edit the server's copy equals the original
// except exactly the properties of the changed field. Also the files
// changed behind the sync's back (an appointment removed by another
// program), and the guard against mass deletion, asked before anything is
// written.
#include <gtest/gtest.h>

#include <libical/ical.h>

#include <memory>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "backups/backups.h"
#include "interchange/vcard.h"
#include "items/address_file.h"
#include "items/appointment_file.h"
#include "items/sync_state.h"
#include "store/data_files.h"
#include "sync/background_sync.h"
#include "sync/dav_client.h"
#include "sync/engine.h"
#include "sync/kept_store.h"
#include "tests/sync/two_servers.h"

// Texts shown as text when a comparison fails.
static void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace quorvel::sync {
namespace {

const char kBerlin[] =
    "BEGIN:VTIMEZONE\r\nTZID:Europe/Berlin\r\n"
    "BEGIN:DAYLIGHT\r\nTZOFFSETFROM:+0100\r\nTZOFFSETTO:+0200\r\nTZNAME:CEST\r\n"
    "DTSTART:19700329T020000\r\nRRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU\r\nEND:DAYLIGHT\r\n"
    "BEGIN:STANDARD\r\nTZOFFSETFROM:+0200\r\nTZOFFSETTO:+0100\r\nTZNAME:CET\r\n"
    "DTSTART:19701025T030000\r\nRRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU\r\nEND:STANDARD\r\n"
    "END:VTIMEZONE\r\n";

// An event as a phone writes it, with `times` its DTSTART/DTEND lines.
QByteArray PhoneEvent(const QString& uid, const QString& summary, const QString& times,
                      const QString& description = QStringLiteral("Bring the slides")) {
  return (QStringLiteral(
              "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Phone Maker//Calendar 7.1//EN\r\n") +
          QString::fromLatin1(kBerlin) +
          QStringLiteral(
              "BEGIN:VEVENT\r\nUID:%1\r\nDTSTAMP:20260101T080000Z\r\nCREATED:20260101T080000Z\r\n"
              "LAST-MODIFIED:20260101T080000Z\r\nSEQUENCE:2\r\n%3"
              "SUMMARY:%2\r\nDESCRIPTION:%4\r\nLOCATION:Room 4.12\\, Main Building\r\n"
              "ORGANIZER;CN=Jane Roe:mailto:jane@example.org\r\n"
              "ATTENDEE;CN=Bob;PARTSTAT=ACCEPTED;ROLE=REQ-PARTICIPANT:mailto:bob@example.org\r\n"
              "ATTENDEE;CN=Eve;PARTSTAT=NEEDS-ACTION;RSVP=TRUE:mailto:eve@example.org\r\n"
              "CATEGORIES:Work,Project X\r\nURL:https://example.org/meeting/42\r\nCLASS:PRIVATE\r\n"
              "PRIORITY:1\r\nSTATUS:CONFIRMED\r\nTRANSP:OPAQUE\r\nX-PHONE-COLOR:#ff8800\r\n"
              "X-MICROSOFT-CDO-BUSYSTATUS:BUSY\r\n"
              "BEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:Reminder\r\nTRIGGER:-PT15M\r\nEND:"
              "VALARM\r\n"
              "BEGIN:VALARM\r\nACTION:AUDIO\r\nTRIGGER;VALUE=DATE-TIME:20260301T070000Z\r\n"
              "X-PHONE-SOUND:chime\r\nEND:VALARM\r\n"
              "END:VEVENT\r\nEND:VCALENDAR\r\n")
              .arg(uid, summary, times, description))
      .toUtf8();
}

// The parsed event's properties, alarms included, as sorted lines; the
// ones every writer renews left out.
QStringList EventLines(const QByteArray& ics) {
  QStringList lines;
  icalcomponent* calendar = icalparser_parse_string(ics.constData());
  EXPECT_TRUE(calendar) << ics.toStdString();
  if (!calendar) return lines;
  icalcomponent* event = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT);
  auto add = [&lines](icalcomponent* c, const QString& prefix) {
    for (icalproperty* p = icalcomponent_get_first_property(c, ICAL_ANY_PROPERTY); p;
         p = icalcomponent_get_next_property(c, ICAL_ANY_PROPERTY)) {
      const icalproperty_kind kind = icalproperty_isa(p);
      if (kind == ICAL_DTSTAMP_PROPERTY || kind == ICAL_LASTMODIFIED_PROPERTY ||
          kind == ICAL_SEQUENCE_PROPERTY) {
        continue;
      }
      lines << prefix + QString::fromUtf8(icalproperty_as_ical_string(p))
                            .remove(QStringLiteral("\r\n "))
                            .trimmed();
    }
  };
  add(event, QString());
  int n = 0;
  for (icalcomponent* a = icalcomponent_get_first_component(event, ICAL_VALARM_COMPONENT); a;
       a = icalcomponent_get_next_component(event, ICAL_VALARM_COMPONENT)) {
    add(a, QStringLiteral("ALARM%1 ").arg(++n));
  }
  icalcomponent_free(calendar);
  lines.sort();
  return lines;
}

// What `after` has that `before` has not, and the other way round.
QStringList Gained(const QStringList& before, const QStringList& after) {
  QStringList out;
  QStringList rest = before;
  for (const QString& line : after) {
    if (!rest.removeOne(line)) out << line;
  }
  return out;
}

QStringList CardLines(const QByteArray& vcf) {
  const interchange::vcard::ReadResult read = interchange::vcard::Read(vcf);
  EXPECT_TRUE(read.ok() && read.cards.size() == 1) << vcf.toStdString();
  QStringList lines;
  if (!read.ok() || read.cards.empty()) return lines;
  lines << QStringLiteral("VERSION:") + read.cards.front().version;
  for (const auto& p : read.cards.front().properties) {
    if (p.name == QLatin1String("REV") || p.name == QLatin1String("PRODID")) continue;
    QString line = p.group + QLatin1Char('.') + p.name;
    for (const auto& [name, values] : p.params)
      line += QLatin1Char(';') + name + QLatin1Char('=') + values.join(QLatin1Char(','));
    lines << line + QLatin1Char(':') + p.value;
  }
  lines.sort();
  return lines;
}

const char kCard3[] =
    "BEGIN:VCARD\r\nVERSION:3.0\r\nPRODID:-//Phone Maker//Contacts 7.1//EN\r\nUID:card-3\r\n"
    "N:Smith;John;;;\r\nFN:John Smith\r\nORG:Acme Ltd.;Research\r\nTITLE:Chief Tinkerer\r\n"
    "TEL;TYPE=HOME,VOICE:+44 20 7946 0000\r\nTEL;TYPE=CELL:+44 7700 900123\r\n"
    "EMAIL;TYPE=INTERNET,HOME:john@example.org\r\nEMAIL;TYPE=INTERNET,WORK:j.smith@acme.example\r\n"
    "EMAIL;TYPE=INTERNET:jsmith@other.example\r\nCATEGORIES:Friends,Work\r\n"
    "ADR;TYPE=HOME:;Flat 2;1 High Street;London;Greater London;SW1A 1AA;United Kingdom\r\n"
    "NOTE:Met at the fair\r\nX-PHONE-RINGTONE:bells\r\n"
    "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQEASABIAAD/2wBDAP/////////////////////////////////"
    "/////"
    "////////////////////////////////////////////////wgALCAABAAEBAREA/"
    "8QAFBABAAAAAAAAAAAAAAAAAAAAAP/aAAgB"
    "AQABPxA=\r\nEND:VCARD\r\n";

const char kCard4[] =
    "BEGIN:VCARD\r\nVERSION:4.0\r\nPRODID:-//Phone Maker//Contacts "
    "7.1//EN\r\nUID:urn:uuid:card-4\r\n"
    "N:Doe;Jane;;;\r\nFN:Jane Doe\r\nORG:Example Corp\r\nTITLE:Engineer\r\n"
    "TEL;VALUE=uri;TYPE=\"home,voice\":tel:+1-555-0100\r\nEMAIL;TYPE=home:jane@example.org\r\n"
    "EMAIL;TYPE=work:jane.doe@corp.example\r\nEMAIL:jd@third.example\r\nBDAY:--0412\r\n"
    "ADR;TYPE=home:;;42 Elm Street;Springfield;IL;62701;USA\r\nCATEGORIES:Family\r\n"
    "PHOTO:data:image/png;base64,iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mNk\r\n"
    "END:VCARD\r\n";

class KeepWholeTest : public TwoServersTest {
 protected:
  int FindAppointment(const QString& subject) {
    for (int k = 0; k < files_.ReadCount(store::Channel::kAppoint); ++k) {
      if (ReadAppointment(files_, k).subject == subject) return k;
    }
    return -1;
  }
};

TEST_P(KeepWholeTest, EditsOfPhoneEventsChangeOnlyTheirProperties) {
  const QUrl cal = server_->calendar();
  struct Case {
    const char* name;
    QString times;
  };
  const std::vector<Case> cases = {
      {"zoned", QStringLiteral("DTSTART;TZID=Europe/Berlin:20260310T100000\r\nDTEND;TZID=Europe/"
                               "Berlin:20260310T110000\r\n")},
      {"utc", QStringLiteral("DTSTART:20260311T090000Z\r\nDTEND:20260311T100000Z\r\n")},
      {"floating", QStringLiteral("DTSTART:20260312T090000\r\nDTEND:20260312T100000\r\n")},
      {"allday", QStringLiteral("DTSTART;VALUE=DATE:20260313\r\nDTEND;VALUE=DATE:20260314\r\n")},
  };
  std::map<QString, QByteArray> original;
  for (const Case& c : cases) {
    original[c.name] =
        PhoneEvent(QStringLiteral("phone-") + c.name, QStringLiteral("Meeting ") + c.name, c.times);
    PhonePut(cal, QStringLiteral("%1.ics").arg(c.name), original[c.name], true);
    // The server may write it in its own way: what it holds is the original.
    original[c.name] = ServerCopy(cal, QStringLiteral("%1.ics").arg(c.name), true);
  }
  SyncReport first = Sync();
  ASSERT_TRUE(first.ok()) << first.Summary().toStdString();
  ASSERT_EQ(files_.ReadCount(store::Channel::kAppoint), 4) << first.Summary().toStdString();

  // The subject of one, the description (with its "Location:" line kept) of
  // another, the times of the zoned and the all-day one, the reminder of the
  // floating one.
  Appointment zoned = ReadAppointment(files_, FindAppointment("Meeting zoned"));
  EXPECT_TRUE(zoned.description.endsWith(QStringLiteral("Location: Room 4.12, Main Building")));
  const QString zoned_start = zoned.start;
  zoned.subject = QStringLiteral("Meeting moved");
  zoned.start = QTime::fromString(zoned.start, "HH:mm").addSecs(3600).toString("HH:mm");
  zoned.end = QTime::fromString(zoned.end, "HH:mm").addSecs(3600).toString("HH:mm");
  ASSERT_TRUE(UpdateAppointment(files_, zoned).stored());
  Appointment utc = ReadAppointment(files_, FindAppointment("Meeting utc"));
  utc.description =
      QStringLiteral("Bring the slides and coffee\r\nLocation: Room 4.12, Main Building");
  ASSERT_TRUE(UpdateAppointment(files_, utc).stored());
  Appointment floating = ReadAppointment(files_, FindAppointment("Meeting floating"));
  floating.minutes = QStringLiteral("30");
  ASSERT_TRUE(UpdateAppointment(files_, floating).stored());
  Appointment allday = ReadAppointment(files_, FindAppointment("Meeting allday"));
  EXPECT_EQ(allday.start, QStringLiteral("00:00"));
  allday.subject = QStringLiteral("Holiday");
  ASSERT_TRUE(UpdateAppointment(files_, allday).stored());

  const SyncReport second = Sync();
  ASSERT_TRUE(second.ok()) << second.Summary().toStdString();
  EXPECT_EQ(second.sent, 4) << second.Summary().toStdString();
  EXPECT_TRUE(second.conflicts.isEmpty());

  auto changes = [&](const char* name) {
    const QStringList before = EventLines(original[name]);
    const QStringList after = EventLines(ServerCopy(cal, QStringLiteral("%1.ics").arg(name), true));
    return std::pair{Gained(after, before), Gained(before, after)};  // lost, gained
  };
  {
    const auto [lost, gained] = changes("zoned");
    EXPECT_EQ(lost,
              (QStringList{"DTEND;TZID=Europe/Berlin:20260310T110000",
                           "DTSTART;TZID=Europe/Berlin:20260310T100000", "SUMMARY:Meeting zoned"}));
    EXPECT_EQ(gained,
              (QStringList{"DTEND;TZID=Europe/Berlin:20260310T120000",
                           "DTSTART;TZID=Europe/Berlin:20260310T110000", "SUMMARY:Meeting moved"}));
    Q_UNUSED(zoned_start);
  }
  {
    const auto [lost, gained] = changes("utc");
    EXPECT_EQ(lost, QStringList{"DESCRIPTION:Bring the slides"});
    EXPECT_EQ(gained, QStringList{"DESCRIPTION:Bring the slides and coffee"});
  }
  {
    const auto [lost, gained] = changes("floating");
    EXPECT_EQ(lost, QStringList{"ALARM1 TRIGGER:-PT15M"});
    EXPECT_EQ(gained, QStringList{"ALARM1 TRIGGER:-PT30M"});
  }
  {
    const auto [lost, gained] = changes("allday");
    EXPECT_EQ(lost, QStringList{"SUMMARY:Meeting allday"});
    EXPECT_EQ(gained, QStringList{"SUMMARY:Holiday"});
  }

  // A further sync writes nothing.
  const SyncReport third = Sync();
  EXPECT_EQ(third.sent, 0) << third.Summary().toStdString();
}

TEST_P(KeepWholeTest, EditsOfPhoneCardsKeepEveryOtherLineAndTheVersion) {
  const QUrl book = server_->book();
  PhonePut(book, QStringLiteral("card-3.vcf"), kCard3, false);
  PhonePut(book, QStringLiteral("card-4.vcf"), kCard4, false);
  const QByteArray card3 = ServerCopy(book, QStringLiteral("card-3.vcf"), false);
  const QByteArray card4 = ServerCopy(book, QStringLiteral("card-4.vcf"), false);
  const SyncReport first = Sync();
  ASSERT_TRUE(first.ok()) << first.Summary().toStdString();
  ASSERT_EQ(files_.ReadCount(store::Channel::kAddBook), 2);
  // What the entries cannot hold is named, the year-less birthday too.
  EXPECT_TRUE(first.Summary().contains(QStringLiteral("--0412"))) << first.Summary().toStdString();
  EXPECT_TRUE(first.Summary().contains(QStringLiteral("photo"))) << first.Summary().toStdString();

  AddressEntry john =
      ReadAddressEntry(files_, FindAddressEntry(files_, AddressKey("Smith", "John")));
  john.phones[0] = QStringLiteral("+44 20 7946 1111");
  john.notes = QStringLiteral("Met at the fair; likes tea");
  ASSERT_TRUE(ReplaceAddressEntry(files_, john.Key(), john).stored());
  AddressEntry jane = ReadAddressEntry(files_, FindAddressEntry(files_, AddressKey("Doe", "Jane")));
  EXPECT_EQ(jane.birthday_flag, QStringLiteral("0"));  // no year: not held, and left alone
  jane.phones[0] = QStringLiteral("+1-555-0199");
  ASSERT_TRUE(ReplaceAddressEntry(files_, jane.Key(), jane).stored());
  // The kept copies damaged behind the program (here: zeroed): they are
  // fetched again, and the edits still go inside the server's cards.
  files_.CloseDataFiles();
  {
    QFile kept(dir_.filePath(QStringLiteral("SyncKept.dat")));
    ASSERT_TRUE(kept.open(QIODevice::ReadWrite));
    const qint64 length = kept.size();
    ASSERT_GT(length, 0);
    ASSERT_EQ(kept.write(QByteArray(length, '\0')), length);
  }
  ASSERT_EQ(files_.OpenDataFiles(), store::OpenResult::kOpened);

  const SyncReport second = Sync();
  ASSERT_TRUE(second.ok()) << second.Summary().toStdString();
  EXPECT_EQ(second.sent, 2) << second.Summary().toStdString();

  const QStringList before3 = CardLines(card3);
  const QStringList after3 = CardLines(ServerCopy(book, QStringLiteral("card-3.vcf"), false));
  EXPECT_EQ(Gained(after3, before3),
            (QStringList{".NOTE:Met at the fair", ".TEL;TYPE=HOME,VOICE:+44 20 7946 0000"}));
  EXPECT_EQ(Gained(before3, after3), (QStringList{".NOTE:Met at the fair\\; likes tea",
                                                  ".TEL;TYPE=HOME,VOICE:+44 20 7946 1111"}));
  const QStringList before4 = CardLines(card4);
  const QStringList after4 = CardLines(ServerCopy(book, QStringLiteral("card-4.vcf"), false));
  // The number changed inside its own line (its parameters, its "tel:").
  const QStringList lost4 = Gained(after4, before4);
  ASSERT_EQ(lost4.size(), 1) << lost4.join(' ').toStdString();
  EXPECT_TRUE(lost4[0].startsWith(".TEL;") && lost4[0].endsWith(":tel:+1-555-0100"))
      << lost4[0].toStdString();
  EXPECT_EQ(Gained(before4, after4), QStringList{QString(lost4[0]).replace("0100", "0199")});
}

TEST_P(KeepWholeTest, ATextTooLongToHoldIsNeverSentBackShortened) {
  const QUrl cal = server_->calendar();
  const QString long_text = QString(3000, QLatin1Char('x'));
  const QByteArray original = PhoneEvent(
      QStringLiteral("phone-long"), QStringLiteral("Long one"),
      QStringLiteral("DTSTART:20260315T090000Z\r\nDTEND:20260315T100000Z\r\n"), long_text);
  PhonePut(cal, QStringLiteral("long.ics"), original, true);
  const QByteArray stored = ServerCopy(cal, QStringLiteral("long.ics"), true);
  ASSERT_TRUE(Sync().ok());
  const int k = FindAppointment("Long one");
  ASSERT_GE(k, 0);
  Appointment a = ReadAppointment(files_, k);
  a.subject = QStringLiteral("Long one, renamed");
  ASSERT_TRUE(UpdateAppointment(files_, a).stored());
  ASSERT_TRUE(Sync().ok());
  const QByteArray now = ServerCopy(cal, QStringLiteral("long.ics"), true);
  EXPECT_EQ(Gained(EventLines(now), EventLines(stored)), QStringList{"SUMMARY:Long one"});
}

TEST_P(KeepWholeTest, NewEventsCarryTheirZoneAndAOneOffZonedEventIsHeld) {
  const QUrl cal = server_->calendar();
  PhonePut(
      cal, QStringLiteral("ny.ics"),
      PhoneEvent(QStringLiteral("phone-ny"), QStringLiteral("Zoned once"),
                 QStringLiteral("DTSTART;TZID=Europe/Berlin:20260316T100000\r\nDTEND;TZID=Europe/"
                                "Berlin:20260316T110000\r\n")),
      true);
  Appointment mine{QStringLiteral("20260317-1"),
                   QStringLiteral("Made here"),
                   QStringLiteral("09:00"),
                   QStringLiteral("10:00"),
                   false,
                   QStringLiteral("15"),
                   QString()};
  ASSERT_TRUE(AddAppointment(files_, mine).stored());
  const SyncReport report = Sync();
  ASSERT_TRUE(report.ok()) << report.Summary().toStdString();
  EXPECT_TRUE(report.skipped.isEmpty()) << report.Summary().toStdString();
  EXPECT_GE(FindAppointment("Zoned once"), 0);
  DavError error;
  auto members = phone_->ListMembers(cal, &error);
  ASSERT_TRUE(members);
  QStringList hrefs;
  for (const Member& m : *members) hrefs << m.href;
  auto got = phone_->Multiget(cal, CollectionKind::kCalendar, hrefs, &error);
  ASSERT_TRUE(got);
  bool found = false;
  for (const Resource& r : *got) {
    if (!r.data.contains("Made here")) continue;
    found = true;
    // A time with a zone: TZID (with its VTIMEZONE) or UTC, never floating.
    const bool zoned = r.data.contains("DTSTART;TZID=") && r.data.contains("BEGIN:VTIMEZONE");
    const bool utc = r.data.contains("DTSTART:20260317T090000Z");
    EXPECT_TRUE(zoned || utc) << r.data.toStdString();
  }
  EXPECT_TRUE(found);
}

TEST_P(KeepWholeTest, AFileChangedBehindTheSyncNeverRewritesOrDeletesServerItems) {
  const QUrl cal = server_->calendar();
  const QUrl book = server_->book();
  for (int i = 1; i <= 13; ++i) {
    Appointment a{QStringLiteral("202603%1-1").arg(i, 2, 10, QLatin1Char('0')),
                  QStringLiteral("Item %1").arg(i),
                  QStringLiteral("09:00"),
                  QStringLiteral("10:00"),
                  false,
                  QStringLiteral("15"),
                  QString()};
    ASSERT_TRUE(AddAppointment(files_, a).stored());
  }
  for (const char* surname : {"Ash", "Birch", "Cedar"}) {
    AddressEntry e;
    e.surname = QString::fromLatin1(surname);
    e.name = QStringLiteral("Kim");
    e.phones[0] = QStringLiteral("555");
    ASSERT_TRUE(AddAddressEntry(files_, e).stored());
  }
  ASSERT_TRUE(Sync().ok());
  // Each resource's etag and bytes, by href.
  auto held = [&](const QUrl& collection, bool calendar) {
    DavError error;
    std::map<QString, std::pair<QString, QByteArray>> out;
    const auto members = phone_->ListMembers(collection, &error);
    EXPECT_TRUE(members) << error.Message().toStdString();
    QStringList hrefs;
    for (const Member& m : members ? *members : std::vector<Member>{}) hrefs << m.href;
    const auto got = phone_->Multiget(
        collection, calendar ? CollectionKind::kCalendar : CollectionKind::kAddressBook, hrefs,
        &error);
    for (const Resource& r : got ? *got : std::vector<Resource>{}) out[r.href] = {r.etag, r.data};
    return out;
  };
  // What changed between two listings: "-" gone, "~" rewritten, "+" new,
  // each with the summary or name it holds.
  auto changed = [](const auto& before, const auto& after) {
    QStringList out;
    auto name = [](const QByteArray& data) {
      for (const QByteArray& line : data.split('\n')) {
        if (line.startsWith("SUMMARY:") || line.startsWith("FN:"))
          return QString::fromUtf8(line.mid(line.indexOf(':') + 1)).trimmed();
      }
      return QString();
    };
    for (const auto& [href, was] : before) {
      const auto it = after.find(href);
      if (it == after.end())
        out << QStringLiteral("-") + name(was.second);
      else if (it->second.first != was.first)
        out << QStringLiteral("~") + name(it->second.second);
    }
    for (const auto& [href, now] : after) {
      if (!before.count(href)) out << QStringLiteral("+") + name(now.second);
    }
    out.sort();
    return out;
  };
  const auto calendar_before = held(cal, true);
  const auto book_before = held(book, false);
  ASSERT_EQ(calendar_before.size(), 13u);
  // Another program removes appointment 4 and edits appointment 7 (which
  // so moves up a place, edited), removes Birch and gives Cedar another
  // number: Appoint.dat and AddBook.dat are replaced by copies made in
  // another folder, so the sync's hooks never hear of it.
  QTemporaryDir other;
  {
    store::DataFiles elsewhere;
    elsewhere.SetDataDir(other.path());
    ASSERT_EQ(elsewhere.OpenDataFiles(), store::OpenResult::kOpened);
    for (int k = 0; k < 13; ++k) {
      if (k == 3) continue;
      Appointment a = ReadAppointment(files_, k);
      if (k == 6) a.description = QStringLiteral("edited elsewhere");
      ASSERT_TRUE(AddAppointment(elsewhere, a).stored());
    }
    for (int k = 0; k < 3; ++k) {
      AddressEntry e = ReadAddressEntry(files_, k);
      if (e.surname == QLatin1String("Birch")) continue;
      if (e.surname == QLatin1String("Cedar")) e.phones[0] = QStringLiteral("777");
      ASSERT_TRUE(AddAddressEntry(elsewhere, e).stored());
    }
    elsewhere.CloseDataFiles();
  }
  files_.CloseDataFiles();
  for (const char* name : {"Appoint.dat", "AddBook.dat", "PhotoF.dat"}) {
    const QString path = dir_.filePath(QLatin1String(name));
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QFile::copy(QDir(other.path()).filePath(QLatin1String(name)), path));
  }
  ASSERT_EQ(files_.OpenDataFiles(), store::OpenResult::kOpened);
  ASSERT_EQ(files_.ReadCount(store::Channel::kAppoint), 12);
  const SyncReport report = Sync();
  ASSERT_TRUE(report.ok()) << report.Summary().toStdString();
  // The edit goes to its own event only; the appointment that vanished
  // comes back from the server, nothing deleted there. An entry has a key
  // of its own: Birch is taken as deleted here, and only Birch goes.
  EXPECT_EQ(report.brought_back.size(), 1) << report.Summary().toStdString();
  EXPECT_EQ(changed(calendar_before, held(cal, true)), QStringList{"~Item 7"});
  EXPECT_EQ(changed(book_before, held(book, false)), (QStringList{"-Kim Birch", "~Kim Cedar"}));
  EXPECT_EQ(report.sent, 3) << report.Summary().toStdString();
  EXPECT_EQ(files_.ReadCount(store::Channel::kAppoint), 13);
  EXPECT_EQ(ReadAppointment(files_, FindAppointment("Item 7")).description,
            QStringLiteral("edited elsewhere"));
  EXPECT_GE(FindAppointment("Item 4"), 0);
  EXPECT_EQ(Sync().sent, 0);
}

TEST_P(KeepWholeTest, ARestoredBackupNeverRewritesOrDeletesServerItems) {
  const QUrl cal = server_->calendar();
  for (int i = 1; i <= 3; ++i) {
    Appointment a{QStringLiteral("202605%1-1").arg(i, 2, 10, QLatin1Char('0')),
                  QStringLiteral("Mine %1").arg(i),
                  QStringLiteral("09:00"),
                  QStringLiteral("10:00"),
                  false,
                  QStringLiteral("15"),
                  QString()};
    ASSERT_TRUE(AddAppointment(files_, a).stored());
  }
  ASSERT_TRUE(Sync().ok());
  const QString path = dir_.filePath(QStringLiteral("Appoint.dat"));
  QFile backup(path);
  ASSERT_TRUE(backup.open(QIODevice::ReadOnly));
  const QByteArray saved = backup.readAll();
  backup.close();
  // The phone adds two events; they come here; then the backup of the
  // appointments from before is put back.
  for (int i = 1; i <= 2; ++i) {
    PhonePut(cal, QStringLiteral("p%1.ics").arg(i),
             PhoneEvent(
                 QStringLiteral("p%1").arg(i), QStringLiteral("Phone %1").arg(i),
                 QStringLiteral("DTSTART:2026052%1T090000Z\r\nDTEND:2026052%1T100000Z\r\n").arg(i)),
             true);
  }
  ASSERT_TRUE(Sync().ok());
  ASSERT_EQ(files_.ReadCount(store::Channel::kAppoint), 5);
  DavError error;
  auto before = phone_->ListMembers(cal, &error);
  ASSERT_TRUE(before);
  files_.CloseDataFiles();
  QFile restored(path);
  ASSERT_TRUE(restored.open(QIODevice::WriteOnly | QIODevice::Truncate));
  ASSERT_EQ(restored.write(saved), saved.size());
  restored.close();
  ASSERT_EQ(files_.OpenDataFiles(), store::OpenResult::kOpened);
  ASSERT_EQ(files_.ReadCount(store::Channel::kAppoint), 3);

  const SyncReport report = Sync();
  ASSERT_TRUE(report.ok()) << report.Summary().toStdString();
  EXPECT_EQ(report.sent, 0) << report.Summary().toStdString();
  EXPECT_EQ(report.brought_back.size(), 2) << report.Summary().toStdString();
  auto after = phone_->ListMembers(cal, &error);
  ASSERT_TRUE(after);
  auto etags = [](const std::vector<Member>& members) {
    std::map<QString, QString> out;
    for (const Member& m : members) out[m.href] = m.etag;
    return out;
  };
  EXPECT_EQ(etags(*after), etags(*before));
  EXPECT_EQ(files_.ReadCount(store::Channel::kAppoint), 5);

  // A whole backup put back (the files with Sync.dat and SyncKept.dat, as
  // they were) after changes on both sides: the sync brings the server's
  // state here and writes nothing there.
  QTemporaryDir folder;
  backups::BackupInfo taken;
  ASSERT_TRUE(backups::TakeBackup(files_, folder.path(), backups::Reason::kCommand,
                                  QDateTime::currentDateTime(), &taken)
                  .stored());
  Appointment one = ReadAppointment(files_, FindAppointment("Mine 1"));
  one.subject = QStringLiteral("Mine 1 edited");
  ASSERT_TRUE(UpdateAppointment(files_, one).stored());
  ASSERT_TRUE(
      DeleteAppointment(files_, ReadAppointment(files_, FindAppointment("Mine 2")).id).stored());
  ASSERT_TRUE(Sync().ok());
  QStringList hrefs;
  for (const auto& [href, etag] : etags(*phone_->ListMembers(cal, &error))) hrefs << href;
  const auto held = phone_->Multiget(cal, CollectionKind::kCalendar, hrefs, &error);
  ASSERT_TRUE(held);
  for (const Resource& r : *held) {
    if (!r.data.contains("SUMMARY:Mine 3")) continue;
    ASSERT_TRUE(phone_->Put(r.href, CollectionKind::kCalendar,
                            QByteArray(r.data).replace("SUMMARY:Mine 3", "SUMMARY:Mine 3 phone"),
                            r.etag, &error));
  }
  PhonePut(cal, QStringLiteral("p3.ics"),
           PhoneEvent(QStringLiteral("p3"), QStringLiteral("Phone 3"),
                      QStringLiteral("DTSTART:20260523T090000Z\r\nDTEND:20260523T100000Z\r\n")),
           true);
  const auto server_before = etags(*phone_->ListMembers(cal, &error));
  ASSERT_TRUE(backups::RestoreBackup(files_, taken.path, QString()).stored());
  ASSERT_GE(FindAppointment("Mine 2"), 0);
  const SyncReport after_restore = Sync();
  ASSERT_TRUE(after_restore.ok()) << after_restore.Summary().toStdString();
  EXPECT_EQ(after_restore.sent, 0) << after_restore.Summary().toStdString();
  EXPECT_TRUE(after_restore.conflicts.isEmpty()) << after_restore.Summary().toStdString();
  EXPECT_EQ(etags(*phone_->ListMembers(cal, &error)), server_before);
  QStringList subjects;
  for (int k = 0; k < files_.ReadCount(store::Channel::kAppoint); ++k)
    subjects << ReadAppointment(files_, k).subject;
  subjects.sort();
  EXPECT_EQ(subjects,
            (QStringList{"Mine 1 edited", "Mine 3 phone", "Phone 1", "Phone 2", "Phone 3"}));
  EXPECT_EQ(Sync().sent, 0);
}

TEST_P(KeepWholeTest, ARunThatWouldDeleteMostOfASideAsksFirst) {
  const QUrl cal = server_->calendar();
  for (int i = 1; i <= 8; ++i) {
    PhonePut(cal, QStringLiteral("e%1.ics").arg(i),
             PhoneEvent(QStringLiteral("e%1").arg(i), QStringLiteral("Event %1").arg(i),
                        QStringLiteral("DTSTART:202604%1T090000Z\r\nDTEND:202604%1T100000Z\r\n")
                            .arg(i, 2, 10, QLatin1Char('0'))),
             true);
  }
  ASSERT_TRUE(Sync().ok());
  ASSERT_EQ(files_.ReadCount(store::Channel::kAppoint), 8);
  DavError error;
  for (int i = 1; i <= 7; ++i) {
    ASSERT_TRUE(phone_->Delete(Path(cal, QStringLiteral("e%1.ics").arg(i)), QString(), &error));
  }
  const SyncReport refused = Sync();
  EXPECT_FALSE(refused.ok());
  EXPECT_TRUE(refused.deletions_refused) << refused.Summary().toStdString();
  EXPECT_EQ(files_.ReadCount(store::Channel::kAppoint), 8);
  const SyncReport allowed = Sync(true);
  ASSERT_TRUE(allowed.ok()) << allowed.Summary().toStdString();
  EXPECT_EQ(files_.ReadCount(store::Channel::kAppoint), 1);

  // Both collections are decided before anything is written: an edit of
  // the appointment waits while the address book's deletions are refused.
  const QUrl book = server_->book();
  for (const char* surname : {"Ash", "Birch", "Cedar"}) {
    AddressEntry e;
    e.surname = QString::fromLatin1(surname);
    e.name = QStringLiteral("Kim");
    ASSERT_TRUE(AddAddressEntry(files_, e).stored());
  }
  ASSERT_TRUE(Sync().ok());
  Appointment last = ReadAppointment(files_, 0);
  last.subject = QStringLiteral("Edited here");
  ASSERT_TRUE(UpdateAppointment(files_, last).stored());
  auto members = phone_->ListMembers(book, &error);
  ASSERT_TRUE(members && members->size() == 3);
  for (int i = 0; i < 2; ++i)
    ASSERT_TRUE(phone_->Delete((*members)[std::size_t(i)].href, QString(), &error));
  auto listing = [&](const QUrl& collection) {
    std::map<QString, QString> out;
    const auto members = phone_->ListMembers(collection, &error);
    EXPECT_TRUE(members) << error.Message().toStdString();
    if (members) {
      for (const Member& m : *members) out[m.href] = m.etag;
    }
    return out;
  };
  auto sync_file = [&] {
    QFile file(dir_.filePath(QStringLiteral("Sync.dat")));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  };
  const auto calendar_before = listing(cal);
  const QByteArray state_before = sync_file();
  const SyncReport book_refused = Sync();
  EXPECT_TRUE(book_refused.deletions_refused) << book_refused.Summary().toStdString();
  EXPECT_TRUE(book_refused.error.contains(QStringLiteral("address book entries")))
      << book_refused.error.toStdString();
  EXPECT_EQ(book_refused.sent, 0);
  EXPECT_EQ(listing(cal), calendar_before);
  EXPECT_EQ(sync_file(), state_before);
  EXPECT_EQ(files_.ReadCount(store::Channel::kAddBook), 3);
  const SyncReport book_allowed = Sync(true);
  ASSERT_TRUE(book_allowed.ok()) << book_allowed.Summary().toStdString();
  EXPECT_EQ(book_allowed.sent, 1);
  EXPECT_EQ(files_.ReadCount(store::Channel::kAddBook), 1);
  EXPECT_NE(listing(cal), calendar_before);
}

INSTANTIATE_TEST_SUITE_P(Servers, KeepWholeTest, ::testing::Values(false, true), ServerName);

}  // namespace
}  // namespace quorvel::sync
