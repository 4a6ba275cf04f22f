// Export and import against real data folders, and the command-line forms.
#include <QDir>
#include <QProcess>
#include <QRegularExpression>

#include "events/event_file.h"
#include "interchange/command.h"
#include "interchange/transfer.h"
#include "items/address_file.h"
#include "items/appointment_file.h"
#include "items/imported_appointments.h"
#include "store_sweep.h"
#include "test_support.h"

namespace quorvel::testing {
namespace {

using interchange::EventOptions;
using interchange::ImportFiles;
using interchange::ImportSummary;
using store::Channel;
using store::DataFiles;

std::string S(const QString& s) { return s.toStdString(); }

EventOptions Options() {
  EventOptions o;
  o.first_day = QDate(2026, 1, 7);
  o.zone = QTimeZone("Europe/Berlin");
  return o;
}

void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

// An export without its time stamps, which say when it was made.
QByteArray WithoutStamps(QByteArray ics) {
  static const QRegularExpression stamp(QStringLiteral("DTSTAMP:[0-9TZ]+\r\n"));
  return QString::fromUtf8(ics).remove(stamp).toUtf8();
}

// A folder's appointments and entries as compared after a round trip: the
// birthday date of an entry without a birthday is not kept (nothing shows
// or exports it).
struct Contents {
  std::vector<std::array<QString, 7>> appointments;
  std::vector<std::array<QString, kAddressFieldCount>> entries;
  bool operator==(const Contents&) const = default;
};

Contents Read(const DataFiles& files) {
  Contents c;
  for (int k = 0; k < files.ReadCount(Channel::kAppoint); ++k) {
    const Appointment a = ReadAppointment(files, k);
    c.appointments.push_back(
        {a.id, a.subject, a.start, a.end, a.reminder ? "-1" : "0", a.minutes, a.description});
  }
  for (int k = 0; k < files.ReadCount(Channel::kAddBook); ++k) {
    AddressEntry e = ReadAddressEntry(files, k);
    if (!BirthdayFlagSet(e.birthday_flag)) e.birthday_date.clear();
    c.entries.push_back(e.Fields());
  }
  return c;
}

class InterchangeTransferTest : public DataFolderFixture {};

Appointment Make(const QString& id, const QString& start, const QString& end,
                 const QString& subject) {
  Appointment a;
  a.id = id;
  a.start = start;
  a.end = end;
  a.subject = subject;
  a.minutes = QStringLiteral("15");
  return a;
}

TEST_F(InterchangeTransferTest, ImportStoresThroughTheFileOperationsAndRecognisesDuplicates) {
  ASSERT_TRUE(
      AddAppointment(files_, Make("20260110-1", "09:00", "10:00", "Already here")).stored());
  const QString ics = Path(QStringLiteral("in.ics"));
  WriteFile(ics,
            "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:x\r\n"
            "BEGIN:VEVENT\r\nUID:1\r\nDTSTAMP:20260101T000000Z\r\nDTSTART:20260110T090000\r\n"
            "DTEND:20260110T100000\r\nSUMMARY:Already here\r\nEND:VEVENT\r\n"
            "BEGIN:VEVENT\r\nUID:2\r\nDTSTAMP:20260101T000000Z\r\nDTSTART:20260110T110000\r\n"
            "DTEND:20260110T120000\r\nSUMMARY:New one\r\nEND:VEVENT\r\n"
            "BEGIN:VEVENT\r\nUID:3\r\nDTSTAMP:20260101T000000Z\r\nDTSTART:20260111T110000\r\n"
            "DTEND:20260111T120000\r\nSUMMARY:"
            "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82\r\nEND:VEVENT\r\n"
            "END:VCALENDAR\r\n");
  const QString vcf = Path(QStringLiteral("in.vcf"));
  WriteFile(vcf,
            "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Smith;John\r\nBDAY:1970-01-10\r\nEND:VCARD\r\n"
            "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Smith;John\r\nEND:VCARD\r\n");

  const ImportSummary first = ImportFiles(files_, {ics, vcf}, Options());
  ASSERT_TRUE(first.ok()) << S(first.error);
  EXPECT_EQ(first.Appointments(), 2);
  EXPECT_EQ(first.Contacts(), 1);
  ASSERT_EQ(first.files.size(), 2u);
  // Every item skipped is named, the ones already present too. A subject
  // Appoint.dat cannot store is kept whole in Events.dat.
  EXPECT_EQ(first.Text(),
            QStringLiteral("%1: 2 appointments and 0 contacts imported; 1 skipped.\n"
                           "Skipped:\n"
                           "- \"Already here\" on 10/01/2026 at 09:00 (already present)\n"
                           "%2: 0 appointments and 1 contact imported; 1 skipped.\n"
                           "Skipped:\n"
                           "- Smith, John (already present)")
                .arg(ics, vcf));

  // The new appointment took the next ordinal of its date.
  EXPECT_EQ(files_.ReadCount(Channel::kAppoint), 2);
  EXPECT_EQ(ReadAppointment(files_, 1).id, QStringLiteral("20260110-2"));
  EXPECT_EQ(ReadAppointment(files_, 1).subject, QStringLiteral("New one"));
  EXPECT_EQ(FindAddressEntry(files_, QStringLiteral("Smith, John")), 0);
  EXPECT_EQ(ReadAddressEntry(files_, 0).birthday_date, QStringLiteral("10/01/1970"));

  // What was just exported comes back as nothing new.
  const QString out_ics = Path(QStringLiteral("out.ics"));
  const QString out_vcf = Path(QStringLiteral("out.vcf"));
  ASSERT_TRUE(interchange::ExportCalendar(files_, out_ics).ok());
  ASSERT_TRUE(interchange::ExportAddressBook(files_, out_vcf).ok());
  const FolderState before = ReadFolder(data_);
  const ImportSummary again = ImportFiles(files_, {out_vcf, out_ics}, Options());
  ASSERT_TRUE(again.ok());
  EXPECT_EQ(again.Appointments() + again.Contacts(), 0);
  EXPECT_TRUE(again.Text().contains(QStringLiteral("4 skipped.")))  // two, the kept one, birthday
      << S(again.Text());
  EXPECT_EQ(ReadFolder(data_), before);
}

// An import that adds appointments, a kept series and entries changes three
// files in one operation: at every crash point all hold the import or none
// does.
TEST_F(InterchangeTransferTest, AnImportIntoTwoFilesIsAllOrNothingAtEveryCrashPoint) {
  const QString ics = Path(QStringLiteral("sweep.ics"));
  WriteFile(ics,
            "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:x\r\n"
            "BEGIN:VEVENT\r\nUID:1\r\nDTSTAMP:20260101T000000Z\r\nDTSTART:20260110T090000\r\n"
            "DTEND:20260110T100000\r\nSUMMARY:Dentist\r\nEND:VEVENT\r\n"
            "BEGIN:VEVENT\r\nUID:series\r\nDTSTAMP:20260101T000000Z\r\nDTSTART:20260112T090000\r\n"
            "DTEND:20260112T100000\r\nRRULE:FREQ=WEEKLY\r\nSUMMARY:Weekly\r\nEND:VEVENT\r\n"
            "END:VCALENDAR\r\n");
  const QString vcf = Path(QStringLiteral("sweep.vcf"));
  WriteFile(vcf,
            "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Smith;John\r\nTEL;TYPE=HOME:123\r\nEND:VCARD\r\n");
  RunSweep(
      "import of an appointment and an entry",
      {[](const QString& dir) {
         Fill(dir, [](DataFiles& files) {
           ASSERT_TRUE(
               AddAppointment(files, Make("20260110-1", "08:00", "08:30", "Early")).stored());
           AddressEntry doe;
           doe.surname = QStringLiteral("Doe");
           ASSERT_TRUE(AddAddressEntry(files, doe).stored());
           // Events.dat with an event kept before: the import's series
           // goes into it in the same operation.
           store::Operation op(files);
           ASSERT_EQ(
               events::PutEvent(op,
                                "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:x\r\nBEGIN:VEVENT\r\n"
                                "UID:before\r\nDTSTAMP:20260101T000000Z\r\n"
                                "DTSTART;VALUE=DATE:20260105\r\nSUMMARY:Holiday\r\n"
                                "END:VEVENT\r\nEND:VCALENDAR\r\n"),
               events::PutResult::kStored);
           // Imported.dat likewise, with the event "Early" came as:
           // the import's plain event is kept beside it in the same
           // operation.
           ImportedKeeper keeper(op);
           keeper.Add(
               0, QStringLiteral("early"),
               "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:x\r\nBEGIN:VEVENT\r\nUID:early\r\n"
               "DTSTAMP:20260101T000000Z\r\nDTSTART:20260110T080000\r\nDTEND:20260110T083000\r\n"
               "SUMMARY:Early\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n",
               Make("20260110-1", "08:00", "08:30", "Early"));
           ASSERT_TRUE(keeper.Finish().empty());
           ASSERT_TRUE(op.Commit().stored());
         });
       },
       [&](DataFiles& files) {
         const ImportSummary summary = ImportFiles(files, {ics, vcf}, Options());
         EXPECT_EQ(summary.Appointments() + summary.Contacts(), summary.ok() ? 3 : 0);
       }});
}

TEST_F(InterchangeTransferTest, AFileThatCannotBeReadStopsTheWholeImport) {
  const QString good = Path(QStringLiteral("good.vcf"));
  WriteFile(good, "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Doe;Jane\r\nEND:VCARD\r\n");
  const QString truncated = Path(QStringLiteral("cut.ics"));
  WriteFile(truncated, "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nDTSTART:2026");
  const QString binary = Path(QStringLiteral("photo.vcf"));
  WriteFile(binary, QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
  const QString latin1 = Path(QStringLiteral("latin1.vcf"));
  WriteFile(latin1, "BEGIN:VCARD\r\nVERSION:3.0\r\nN:G\xF6tz;J\xFCrgen\r\nEND:VCARD\r\n");
  const QString huge = Path(QStringLiteral("huge.ics"));
  {
    QFile file(huge);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.resize(interchange::kLargestImportFile + 1));
  }
  const QString text = Path(QStringLiteral("notes.txt"));
  WriteFile(text, "Just some notes\n");

  const FolderState before = ReadFolder(data_);
  const std::pair<QString, const char*> cases[] = {
      {truncated, "cut short"},       {binary, "binary"},
      {latin1, "not valid UTF-8"},    {huge, "too large"},
      {text, "neither an iCalendar"}, {Path(QStringLiteral("missing.ics")), "no such file"},
      {dir_.path(), "folder"},
  };
  for (const auto& [path, says] : cases) {
    const ImportSummary s = ImportFiles(files_, {good, path}, Options());
    EXPECT_FALSE(s.ok());
    EXPECT_TRUE(s.error.startsWith(QStringLiteral("Nothing was imported."))) << S(s.error);
    EXPECT_TRUE(s.error.contains(QString::fromLatin1(says))) << S(s.error);
    EXPECT_TRUE(s.error.contains(QDir::toNativeSeparators(path))) << S(s.error);
    EXPECT_EQ(ReadFolder(data_), before);
  }
}

TEST_F(InterchangeTransferTest, AFullFileSkipsTheRestAndSaysSo) {
  {
    store::Operation op(files_);
    for (int k = 0; k < 4094; ++k) {
      op.WriteText(Channel::kAppoint, 8 * k + 1, QStringLiteral("20250101-%1").arg(k + 1));
      op.WriteText(Channel::kAppoint, 8 * k + 2, QStringLiteral("Filler %1").arg(k));
    }
    op.WriteCount(Channel::kAppoint, 4094);
    ASSERT_TRUE(op.Commit().stored());
  }
  QByteArray body;
  for (int i = 0; i < 5; ++i) {
    const QByteArray n = QByteArray::number(i);
    body += "BEGIN:VEVENT\r\nUID:" + n + "\r\nDTSTAMP:20260101T000000Z\r\nDTSTART:20260301T1" + n +
            "0000\r\nDTEND:20260301T1" + n + "3000\r\nSUMMARY:E" + n + "\r\nEND:VEVENT\r\n";
  }
  const QString ics = Path(QStringLiteral("five.ics"));
  WriteFile(ics, "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:x\r\n" + body + "END:VCALENDAR\r\n");
  const ImportSummary s = ImportFiles(files_, {ics}, Options());
  ASSERT_TRUE(s.ok());
  EXPECT_EQ(s.Appointments(), 2);
  EXPECT_EQ(files_.ReadCount(Channel::kAppoint), 4096);
  ASSERT_EQ(s.files[0].skipped.size(), 3u);
  EXPECT_EQ(s.files[0].skipped[0].reason, QString::fromLatin1(kAppointmentFileFull));
}

// A folder filled to capacity: 4096 appointments, 2048 entries.
void FillToCapacity(DataFiles& files) {
  store::Operation op(files);
  const QString subjects[] = {QStringLiteral("Dentist, Dr. Ångström"),
                              QStringLiteral("Call; then write"), QStringLiteral("Café \\ crème"),
                              QStringLiteral("Meeting")};
  for (int k = 0; k < 4096; ++k) {
    const QDate day = QDate(2026, 1, 1).addDays(k / 8);
    const int ordinal = k % 8 + 1;
    const QString start =
        QStringLiteral("%1:%2").arg(7 + ordinal, 2, 10, QLatin1Char('0')).arg(k % 2 ? "30" : "00");
    const QString end = ordinal == 8
                            ? QStringLiteral("24:00")
                            : QStringLiteral("%1:00").arg(8 + ordinal, 2, 10, QLatin1Char('0'));
    Appointment a;
    a.id = DayKey(day) + QLatin1Char('-') + QString::number(ordinal);
    a.subject = subjects[k % 4] + QLatin1Char(' ') + QString::number(k);
    a.start = k % 97 == 0 ? QStringLiteral("noon") : start;
    a.end = end;
    a.reminder = k % 3 == 0;
    a.minutes = k % 5 == 0 ? QStringLiteral("30") : QStringLiteral("15");
    a.description = k % 2 ? QStringLiteral("Line one\r\nline two, €%1").arg(k) : QString();
    ASSERT_TRUE(AddAppointment(op, a).stored());
  }
  QSet<QString> keys;
  for (int k = 0; k < 2048; ++k) {
    AddressEntry e;
    e.name = k % 10 == 0 ? QString() : QStringLiteral("Zoë %1").arg(k);
    e.surname = QStringLiteral("O'Brien-%1").arg(k);
    e.address = QStringLiteral("%1 Rue de l'Église\r\n75001 Paris").arg(k);
    for (int p = 0; p < kAddressPhoneCount; ++p) {
      if ((k + p) % 3 != 0) e.phones[p] = QStringLiteral("+33 1 %1 %2").arg(p).arg(k);
    }
    e.birthday_flag = k % 4 == 0 ? QStringLiteral("1") : QStringLiteral("0");
    e.birthday_date = BirthdayText(QDate(1950, 1, 1).addDays(k * 11));
    e.email = QStringLiteral("p%1@example.org").arg(k);
    e.home_page = k % 2 ? QStringLiteral("https://example.org/%1").arg(k) : QString();
    e.notes = k % 3 ? QStringLiteral("Note; with, marks\r\nand a second line") : QString();
    ASSERT_TRUE(AddAddressEntry(op, e, &keys).stored());
  }
  ASSERT_TRUE(op.Commit().stored());
}

TEST_F(InterchangeTransferTest, RoundTripAtCapacityGivesTheSameFilesAndRecords) {
  FillToCapacity(files_);
  const QString ics1 = Path(QStringLiteral("one.ics"));
  const QString vcf1 = Path(QStringLiteral("one.vcf"));
  const interchange::ExportResult cal = interchange::ExportCalendar(files_, ics1);
  ASSERT_TRUE(cal.ok());
  EXPECT_EQ(cal.appointments, 4096);
  EXPECT_EQ(cal.birthdays, 512);
  ASSERT_TRUE(interchange::ExportAddressBook(files_, vcf1).ok());

  ASSERT_TRUE(QDir(dir_.path()).mkpath(QStringLiteral("empty")));
  DataFiles second;
  second.SetDataDir(Path(QStringLiteral("empty")));
  ASSERT_EQ(second.OpenDataFiles(), store::OpenResult::kOpened);
  const ImportSummary s = ImportFiles(second, {ics1, vcf1}, Options());
  ASSERT_TRUE(s.ok()) << S(s.error);
  EXPECT_EQ(s.Appointments(), 4096);
  EXPECT_EQ(s.Contacts(), 2048);
  EXPECT_TRUE(s.files[0].Line().endsWith(QStringLiteral("512 skipped."))) << S(s.files[0].Line());
  EXPECT_EQ(s.Details().count(QStringLiteral("(already present)")), 512);
  EXPECT_TRUE(s.files[0].left_out.isEmpty() && s.files[1].left_out.isEmpty()) << S(s.Text());

  const QString ics2 = Path(QStringLiteral("two.ics"));
  const QString vcf2 = Path(QStringLiteral("two.vcf"));
  ASSERT_TRUE(interchange::ExportCalendar(second, ics2).ok());
  ASSERT_TRUE(interchange::ExportAddressBook(second, vcf2).ok());
  EXPECT_EQ(WithoutStamps(FileBytes(ics1)), WithoutStamps(FileBytes(ics2)));
  EXPECT_EQ(FileBytes(vcf1), FileBytes(vcf2));
  const Contents was = Read(files_);
  const Contents now = Read(second);
  EXPECT_EQ(was.appointments, now.appointments);
  ASSERT_EQ(was.entries.size(), now.entries.size());
  for (size_t i = 0; i < was.entries.size(); ++i) {
    EXPECT_EQ(was.entries[i], now.entries[i]) << i << " " << S(was.entries[i][0]);
    if (was.entries[i] != now.entries[i]) break;
  }
  second.CloseDataFiles();
}

TEST_F(InterchangeTransferTest, TheCommandExportsImportsAndKeepsToOneInstance) {
  ASSERT_TRUE(AddAppointment(files_, Make("20260110-1", "09:00", "10:00", "Dentist")).stored());
  files_.CloseDataFiles();
  interchange::CommandRequest request;
  request.data_dir = data_;
  request.export_ics = Path(QStringLiteral("all.ics"));
  request.export_vcf = Path(QStringLiteral("all.vcf"));
  QString out_text;
  QString err_text;
  QTextStream out(&out_text);
  QTextStream err(&err_text);
  EXPECT_EQ(interchange::RunCommand(request, out, err), interchange::kCommandOk);
  EXPECT_EQ(out_text, QStringLiteral("1 appointment and 0 birthdays exported to %1.\n"
                                     "0 contacts exported to %2.\n")
                          .arg(request.export_ics, request.export_vcf));
  EXPECT_TRUE(err_text.isEmpty());

  // Into another folder, file by file.
  ASSERT_TRUE(QDir(dir_.path()).mkpath(QStringLiteral("other")));
  interchange::CommandRequest import;
  import.data_dir = Path(QStringLiteral("other"));
  import.import = {request.export_ics, request.export_vcf};
  import.options = Options();
  out_text.clear();
  EXPECT_EQ(interchange::RunCommand(import, out, err), interchange::kCommandOk);
  EXPECT_EQ(out_text, QStringLiteral("%1: 1 appointment and 0 contacts imported.\n"
                                     "%2: 0 appointments and 0 contacts imported.\n")
                          .arg(request.export_ics, request.export_vcf));

  // A bad file: a failure status, the reason, nothing written.
  const FolderState before = ReadFolder(import.data_dir);
  import.import = {Path(QStringLiteral("missing.vcf"))};
  out_text.clear();
  EXPECT_EQ(interchange::RunCommand(import, out, err), interchange::kCommandFailed);
  EXPECT_TRUE(out_text.isEmpty());
  EXPECT_TRUE(err_text.contains(QStringLiteral("Nothing was imported."))) << S(err_text);
  EXPECT_EQ(ReadFolder(import.data_dir), before);

  // Another program holds the folder: refused before anything is opened.
  QProcess holder;
  holder.start(QStringLiteral(QUORVEL_STORE_CHILD), {QStringLiteral("hold"), import.data_dir});
  ASSERT_TRUE(holder.waitForStarted());
  QByteArray said;
  while (!said.contains("holding")) {
    ASSERT_TRUE(holder.waitForReadyRead(60000));
    said += holder.readAllStandardOutput();
  }
  err_text.clear();
  import.import = {request.export_ics};
  EXPECT_EQ(interchange::RunCommand(import, out, err), interchange::kCommandFolderInUse);
  EXPECT_TRUE(err_text.startsWith(store::FolderInUseMessage(import.data_dir))) << S(err_text);
  EXPECT_EQ(ReadFolder(import.data_dir), before);
  holder.kill();
  holder.waitForFinished(60000);
}

}  // namespace
}  // namespace quorvel::testing

namespace quorvel::testing {
namespace {

// The file operations as steps of one larger operation, as import uses them.
TEST_F(InterchangeTransferTest, ARefusedStepLeavesTheOperationAsItWas) {
  store::Operation op(files_);
  Appointment bad = Make("20260110-1", "09:00", "10:00", QStringLiteral("Привет"));
  EXPECT_TRUE(AddAppointment(op, bad).refused());
  bad.subject = QString(127, QLatin1Char('x'));
  EXPECT_TRUE(AddAppointment(op, bad).refused());
  EXPECT_FALSE(op.refused());
  EXPECT_TRUE(AddAppointment(op, Make("20260110-1", "09:00", "10:00", "Fine")).stored());

  QSet<QString> keys;
  AddressEntry entry;
  entry.surname = QStringLiteral("Doe");
  entry.notes = QStringLiteral("日本");
  EXPECT_TRUE(AddAddressEntry(op, entry, &keys).refused());
  EXPECT_TRUE(keys.isEmpty());
  entry.notes.clear();
  EXPECT_TRUE(AddAddressEntry(op, entry, &keys).stored());
  EXPECT_EQ(keys, QSet<QString>{QStringLiteral("Doe, ")});
  EXPECT_EQ(AddAddressEntry(op, entry, &keys).reason(), DuplicateEntryMessage());
  EXPECT_EQ(AddAddressEntry(op, entry).reason(), DuplicateEntryMessage());  // by the scan
  EXPECT_FALSE(op.refused());
  ASSERT_TRUE(op.Commit().stored());
  EXPECT_EQ(files_.ReadCount(Channel::kAppoint), 1);
  EXPECT_EQ(files_.ReadCount(Channel::kAddBook), 1);
}

}  // namespace
}  // namespace quorvel::testing

namespace quorvel::testing {
namespace {

// The program itself, without a display: export, then import elsewhere.
TEST(InterchangeProgramTest, ExportsAndImportsFromTheCommandLineWithoutAWindow) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString source = dir.filePath(QStringLiteral("source"));
  const QString target = dir.filePath(QStringLiteral("target"));
  ASSERT_TRUE(QDir().mkpath(source) && QDir().mkpath(target));
  {
    DataFiles files;
    files.SetDataDir(source);
    ASSERT_EQ(files.OpenDataFiles(), store::OpenResult::kOpened);
    ASSERT_TRUE(AddAppointment(files, Make("20260110-1", "09:00", "10:00", "Dentist")).stored());
    AddressEntry e;
    e.surname = QStringLiteral("Adams");
    e.birthday_flag = QStringLiteral("1");
    e.birthday_date = QStringLiteral("20/01/1980");
    ASSERT_TRUE(AddAddressEntry(files, e).stored());
    files.CloseDataFiles();
  }
  auto run = [](const QStringList& arguments, QString* out, QString* err) {
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(QUORVEL_BINARY), arguments);
    EXPECT_TRUE(program.waitForFinished(60000));
    *out = QString::fromLocal8Bit(program.readAllStandardOutput());
    *err = QString::fromLocal8Bit(program.readAllStandardError());
    return program.exitCode();
  };
  const QString ics = dir.filePath(QStringLiteral("all.ics"));
  const QString vcf = dir.filePath(QStringLiteral("all.vcf"));
  QString out;
  QString err;
  EXPECT_EQ(run({QStringLiteral("--data-folder"), source, QStringLiteral("--export-ics"), ics,
                 QStringLiteral("--export-vcf"), vcf},
                &out, &err),
            0)
      << S(err);
  EXPECT_EQ(out, QStringLiteral("1 appointment and 1 birthday exported to %1.\n"
                                "1 contact exported to %2.\n")
                     .arg(ics, vcf));
  EXPECT_EQ(run({QStringLiteral("--data-folder"), target, QStringLiteral("--import"), ics, vcf},
                &out, &err),
            0)
      << S(err);
  EXPECT_EQ(out, QStringLiteral("%1: 1 appointment and 0 contacts imported; 1 skipped.\nSkipped:\n"
                                "- Birthday - Adams,  (already present)\n"
                                "%2: 0 appointments and 1 contact imported.\n")
                     .arg(ics, vcf));
  // Again: nothing new, and a file that is not there fails the lot.
  EXPECT_EQ(
      run({QStringLiteral("--data-folder"), target, QStringLiteral("--import"), ics}, &out, &err),
      0);
  // The command line lists every item skipped.
  EXPECT_TRUE(
      out.endsWith(QStringLiteral("0 appointments and 0 contacts imported; 2 skipped.\nSkipped:\n"
                                  "- Birthday - Adams,  (already present)\n"
                                  "- \"Dentist\" on 10/01/2026 at 09:00 (already present)\n")))
      << S(out);
  const FolderState before = ReadFolder(target);
  EXPECT_EQ(run({QStringLiteral("--data-folder"), target, QStringLiteral("--import"), ics,
                 dir.filePath(QStringLiteral("missing.vcf"))},
                &out, &err),
            1);
  EXPECT_TRUE(err.contains(QStringLiteral("Nothing was imported."))) << S(err);
  EXPECT_EQ(ReadFolder(target), before);
  EXPECT_EQ(run({QStringLiteral("--export-ics")}, &out, &err), 2);
}

}  // namespace
}  // namespace quorvel::testing
