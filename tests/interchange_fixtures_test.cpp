// Files written by other programs (see tests/fixtures/interchange/README.md)
// import with the expected summary.
#include <QDir>

#include "events/occurrences.h"
#include "interchange/transfer.h"
#include "items/address_file.h"
#include "items/appointment_file.h"
#include "test_support.h"

namespace quorvel::testing {
namespace {

struct Fixture {
  const char* file;
  const char* summary;  // the import's summary after "<path>: "
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
    // A series, its moved occurrence, a multi-day all-day event with its
    // location, and a description over 100 characters: kept whole.
    {"google-calendar-shape.ics", "kept|20260112|09:30|10:00|Team stand-up|10||"},
    {"google-calendar-shape.ics", "kept|20260209|11:00|11:30|Team stand-up (moved)|-||"},
    {"google-calendar-shape.ics",
     "kept|20260403|all day|20260406|Easter in Lisbon|-|Flights: LHR 07:15, back Monday evening.\n"
     "Hotel booked.|Lisbon, Portugal"},
    {"google-calendar-shape.ics",
     "kept|20260312|18:00|19:00|Project sync with Bob|-|Join with Google Meet: "
     "https://meet.google.com/abc-defg-hij\n"
     "Or dial: (GB) +44 20 3873 7654 PIN: 123 456 789#\n\n"
     "Learn more about Meet at: https://support.google.com/a/users/answer/9282720|"},
    {"outlook-shape.ics",
     "kept|20260121|10:00|11:30|Abstimmung Jahresplanung|15|"
     "Bitte die Unterlagen mitbringen.\n|Raum 2.14"},
    {"python-icalendar-4.0.3.ics", "kept|20260302|10:00|11:00|Συνάντηση με τον Γιώργο|-||"},
    {"calcurse-4.7.1.ics", "kept|20260214|14:00|15:00|Course|-||"},
    {"rfc5545-recurrence.ics", "kept|20271102|all day|20271102|Our Blissful Anniversary|-||"},
    {"python-icalendar-4.0.3.ics",
     "20260203-1|21:00|22:30|Board meeting, quarterly review; budget|-|"
     "Agenda:\r\n1. Numbers, as usual\r\n2. Plans; dates\r\nRoom 4\\B"},
    {"calcurse-4.7.1.ics", "kept|20260114|22:00|01:30|Night train to Zürich|-||"},
    {"calcurse-4.7.1.ics", "20260112-1|09:00|09:30|Dentist, Dr. Müller|-|"},
    // The example's own VTIMEZONE begins after the event; the zone
    // database has New York at -05:00 then.
    {"rfc5545-examples.ics",
     "kept|19980312|14:30|15:30|XYZ Project Review|-|"
     "Project XYZ Review Meeting|1CP Conference Room 4350"},
    // Windows zone names without a definition, by name and by display name.
    {"exchange-windows-zones.ics", "kept|20260210|03:30|04:30|Sydney office call|-|\n|Teams"},
    {"exchange-windows-zones.ics", "20260615-1|09:00|10:30|Supplier visit|-|"},
    {"exchange-windows-zones.ics", "20260301-1|09:00|10:00|Tokyo partners|-|"},
    {"exchange-windows-zones.ics", "20260701-1|13:00|14:00|London review|-|"},
    {"exchange-windows-zones.ics", "20260120-1|08:00|09:00|Quartalsplanung|-|"},
    {"exchange-windows-zones.ics", "20260305-1|16:00|17:00|New York kickoff|-|"},
    {"exchange-windows-zones.ics", "20260312-1|15:00|16:00|Budget review|-|"},  // named, as written
    // The zone database, not the file's wrong Europe/Paris.
    {"apple-ical-2-paris.ics", "20260113-1|10:00|11:30|Réunion d'équipe|-|"},
    {"apple-ical-2-paris.ics", "20260707-1|14:00|15:00|Point fournisseurs|-|"},
    {"evolution-tasks-memos.ics", "20260114-1|18:00|19:30|Choir rehearsal|-|"},
    // vCard 2.1 without CHARSET: Windows-1252.
    {"outlook-v21-windows1252.vcf",
     "Größer, Jürgen|Marienplatz 1\r\n80331 München\r\nDeutschland||+49 89 1234567||+49 171 "
     "2345678|||"
     "Termine nur vormittags – Parkplatz im Hof\r\nRechnung an die Zentrale|-"},
    // tel: URIs, one with an extension.
    {"rfc6350-example.vcf",
     "Perreault, Simon|Suite D2-630\r\n2875 Laurier\r\nG1V 2M2 Quebec\r\nQC\r\nCanada||"
     "+1-418-656-9254 x102||+1-418-262-6501||||-"},
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
    // The whole summary: every note, item skipped and detail not kept.
    const QString text = s.Text().mid(path.size() + 2);
    EXPECT_EQ(text, QString::fromUtf8(f.summary)) << text.toStdString();
    // What some of them hold, as stored.
    QStringList stored;
    for (int k = 0; k < files.ReadCount(store::Channel::kAppoint); ++k) {
      const Appointment a = ReadAppointment(files, k);
      stored.append(
          QStringList{a.id, a.start, a.end, a.subject, a.reminder ? a.minutes : "-", a.description}
              .join(QLatin1Char('|')));
    }
    for (int k = 0; k < files.ReadCount(store::Channel::kAddBook); ++k) {
      const AddressEntry e = ReadAddressEntry(files, k);
      stored.append(QStringList{e.Key(), e.address, e.phones[0], e.phones[1], e.phones[2],
                                e.phones[3], e.phones[4], e.phones[5], e.notes,
                                BirthdayFlagSet(e.birthday_flag) ? e.birthday_date : "-"}
                        .join(QLatin1Char('|')));
    }
    // Events kept whole, by their occurrences as the calendar shows them:
    // kept|day|start|end|subject|alarm minutes or "-"|description|location.
    for (const events::Occurrence& o :
         events::ReadOccurrences(files, QDate(1990, 1, 1), QDate(2027, 12, 31), options.zone)) {
      const bool midnight = o.end.time() == QTime(0, 0) && o.end.date() > o.start.date();
      stored.append(QStringList{
          QStringLiteral("kept"), DayKey(o.start.date()),
          o.all_day ? QStringLiteral("all day") : o.start.toString(QStringLiteral("HH:mm")),
          o.all_day  ? DayKey(o.last_day())
          : midnight ? QStringLiteral("24:00")
                     : o.end.toString(QStringLiteral("HH:mm")),
          o.summary, o.alarm_minutes < 0 ? QStringLiteral("-") : QString::number(o.alarm_minutes),
          o.description, o.location}
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
  for (const QString& name :
       fixtures.entryList({QStringLiteral("*.ics"), QStringLiteral("*.vcf")})) {
    EXPECT_TRUE(seen.contains(name)) << name.toStdString();
  }
}

}  // namespace
}  // namespace quorvel::testing
