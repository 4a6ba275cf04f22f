// Files written by other programs (see tests/fixtures/interchange/README.md)
// import with the expected summary.
#include <QDir>

#include "addressbook/address_file.h"
#include "calendar/appointment_file.h"
#include "interchange/transfer.h"
#include "test_support.h"

namespace quorvel::testing {
namespace {

struct Fixture {
  const char* file;
  const char* summary;  // the summary line after "<path>: "
};

const Fixture kFixtures[] = {
#include "interchange_fixtures_expected.inc"
};

// Records that must be there after a fixture's import: an appointment as
// ID|start|end|subject|minutes or "-"|description, an entry as
// key|address|six phones|notes|birthday or "-".
const std::pair<const char*, const char*> kSpotChecks[] = {
    {"android-v21.vcf",
     "Müller, René|Bahnhofstraße 1\r\n8001 Zürich\r\nSchweiz|+41 44 555 00 00|||+41 79 555 12 34|||"
     "Kennengelernt beim Skifahren in Davos\r\nZweite Zeile|30/09/1985"},
    {"android-v21.vcf",
     "Smith, Anna|||+44 20 7946 0000|+44 20 7946 0001||+44 20 7946 0002|+44 7700 900123||-"},
    {"outlook-v21-windows1252.vcf",
     "Lefèvre, Hélène|29 boulevard Haussmann\r\nBâtiment A\r\n75009 Paris\r\nFrance|"
     "|01 42 14 20 00||||||-"},
    {"google-calendar-shape.ics", "20260112-1|09:30|10:00|Team stand-up|10|"},
    {"google-calendar-shape.ics", "20260209-1|11:00|11:30|Team stand-up (moved)|-|"},
    {"google-calendar-shape.ics",
     "20260403-1|00:00|24:00|Easter in Lisbon|-|Flights: LHR 07:15, back Monday evening.\r\n"
     "Hotel booked.\r\nLocation: Lisbon, Portugal"},
    {"outlook-shape.ics", "20260121-1|10:00|11:30|Abstimmung Jahresplanung|15|"
                          "Bitte die Unterlagen mitbringen.\r\n\r\nLocation: Raum 2.14"},
    {"python-icalendar-4.0.3.ics",
     "20260203-1|21:00|22:30|Board meeting, quarterly review; budget|-|"
     "Agenda:\r\n1. Numbers, as usual\r\n2. Plans; dates\r\nRoom 4\\B"},
    {"calcurse-4.7.1.ics", "20260115-1|00:00|01:30|Night train to Zürich|-|"},
    // The example's own VTIMEZONE begins after the event: libical takes the
    // offset before its first change (-04:00).
    {"rfc5545-examples.ics", "19980312-1|13:30|14:30|XYZ Project Review|-|"
                             "Project XYZ Review Meeting\r\nLocation: 1CP Conference Room 4350"},
};

TEST(InterchangeFixturesTest, EachFileImportsWithItsSummary) {
  interchange::EventOptions options;
  options.first_day = QDate(2026, 1, 7);
  options.zone = QTimeZone("Europe/Berlin");
  const QDir fixtures(QStringLiteral(QUORVEL_SOURCE_DIR "/tests/fixtures/interchange"));
  QStringList seen;
  for (const Fixture& f : kFixtures) {
    SCOPED_TRACE(f.file);
    seen.append(QString::fromLatin1(f.file));
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    store::DataFiles files;
    files.SetDataDir(dir.path());
    ASSERT_EQ(files.OpenDataFiles(), store::OpenResult::kOpened);
    const QString path = fixtures.filePath(QString::fromLatin1(f.file));
    const interchange::ImportSummary s = interchange::ImportFiles(files, {path}, options);
    ASSERT_TRUE(s.ok()) << s.error.toStdString();
    const QString line = s.files[0].Line().mid(path.size() + 2);
    EXPECT_EQ(line, QString::fromUtf8(f.summary)) << s.Text(100).toStdString();
    // What some of them hold, as stored.
    QStringList stored;
    for (int k = 0; k < files.ReadCount(store::Channel::kAppoint); ++k) {
      const Appointment a = ReadAppointment(files, k);
      stored.append(QStringList{a.id, a.start, a.end, a.subject, a.reminder ? a.minutes : "-",
                                a.description}
                        .join(QLatin1Char('|')));
    }
    for (int k = 0; k < files.ReadCount(store::Channel::kAddBook); ++k) {
      const AddressEntry e = ReadAddressEntry(files, k);
      stored.append(QStringList{e.Key(), e.address, e.phones[0], e.phones[1], e.phones[2],
                                e.phones[3], e.phones[4], e.phones[5], e.notes,
                                BirthdayFlagSet(e.birthday_flag) ? e.birthday_date : "-"}
                        .join(QLatin1Char('|')));
    }
    for (const auto& [file, record] : kSpotChecks) {
      if (QLatin1String(file) != QLatin1String(f.file)) continue;
      EXPECT_TRUE(stored.contains(QString::fromUtf8(record)))
          << record << "\n in: " << stored.join(QLatin1Char('\n')).toStdString();
    }
    // Importing the same file again adds nothing.
    const interchange::ImportSummary again = interchange::ImportFiles(files, {path}, options);
    ASSERT_TRUE(again.ok());
    EXPECT_EQ(again.Appointments() + again.Contacts(), 0);
    files.CloseDataFiles();
  }
  // Every fixture is in the table.
  for (const QString& name : fixtures.entryList({QStringLiteral("*.ics"), QStringLiteral("*.vcf")})) {
    EXPECT_TRUE(seen.contains(name)) << name.toStdString();
  }
}

}  // namespace
}  // namespace quorvel::testing
