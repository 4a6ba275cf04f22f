// Imported appointments keep the events they came as: an export gives each
// back with its UID and every property, patched only where it was changed
// here, and importing that export anywhere it came from adds nothing.
#include <QDir>
#include <QRegularExpression>
#include <QSet>

#include "interchange/transfer.h"
#include "items/appointment_file.h"
#include "items/imported_appointments.h"
#include "store_sweep.h"
#include "test_support.h"
#include "undo/undo_history.h"

namespace quorvel::testing {
namespace {

using store::Channel;
using store::DataFiles;

std::string S(const QString& s) { return s.toStdString(); }

interchange::EventOptions Options() {
  interchange::EventOptions o;
  o.first_day = QDate(2026, 1, 7);
  o.zone = QTimeZone("Europe/Berlin");
  return o;
}

QString Fixture(const char* name) {
  return QStringLiteral(QUORVEL_SOURCE_DIR "/tests/fixtures/interchange/") + QLatin1String(name);
}

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The unfolded lines of the VEVENT of `uid` in `ics`, without its stamps.
QStringList EventLines(const QByteArray& ics, const QString& uid) {
  QString text = QString::fromUtf8(ics);
  text.replace(QLatin1String("\r\n "), QString()).replace(QLatin1String("\n "), QString());
  text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  QStringList event;
  bool in = false;
  for (const QString& line : text.split(QLatin1Char('\n'))) {
    if (line == QLatin1String("BEGIN:VEVENT")) {
      in = true;
      event.clear();
    } else if (in && line == QLatin1String("END:VEVENT")) {
      if (event.contains(QStringLiteral("UID:") + uid)) return event;
      in = false;
    } else if (in && !line.startsWith(QLatin1String("DTSTAMP")) &&
               !line.startsWith(QLatin1String("LAST-MODIFIED")) &&
               !line.startsWith(QLatin1String("SEQUENCE"))) {
      event.append(line);
    }
  }
  return {};
}

QSet<QString> Uids(const QByteArray& ics) {
  QSet<QString> uids;
  QString text = QString::fromUtf8(ics);
  text.replace(QLatin1String("\r\n "), QString()).replace(QLatin1String("\n "), QString());
  static const QRegularExpression uid(QStringLiteral("^UID:(.*?)\\r?$"),
                                      QRegularExpression::MultilineOption);
  for (auto it = uid.globalMatch(text); it.hasNext();) uids.insert(it.next().captured(1));
  return uids;
}

class InterchangeImportedTest : public DataFolderFixture {
 protected:
  int Find(const QString& subject) const {
    for (int k = 0; k < files_.ReadCount(Channel::kAppoint); ++k) {
      if (ReadAppointment(files_, k).subject == subject) return k;
    }
    return -1;
  }
};

// Files of other programs in, one appointment edited and one deleted, out
// again: every event goes back under its own UID, the untouched ones line
// for line, the edited one changed in its edit only; and the export adds
// nothing to this folder or to the calendars the files came from.
TEST_F(InterchangeImportedTest, ExportGivesBackWhatCameInWithOnlyTheEditsChanged) {
  undo::UndoHistory history(files_);
  const QStringList sources = {Fixture("python-icalendar-4.0.3.ics"), Fixture("calcurse-4.7.1.ics"),
                               Fixture("exchange-windows-zones.ics")};
  const interchange::ImportSummary in = interchange::ImportFiles(files_, sources, Options());
  ASSERT_TRUE(in.ok()) << S(in.error);
  const std::map<int, ImportedAppointment> kept = ReadImported(files_);
  ASSERT_GE(kept.size(), 5u);
  for (const auto& [index, a] : kept) {
    EXPECT_EQ(ReadAppointment(files_, index).subject, a.as_read.subject) << S(a.uid);
  }
  QSet<QString> came;
  for (const QString& source : sources) came |= Uids(ReadAll(source));

  const int edited = Find(QStringLiteral("Call with Tokyo office"));
  const int deleted = Find(QStringLiteral("Board meeting, quarterly review; budget"));
  ASSERT_TRUE(kept.count(edited) && kept.count(deleted));
  Appointment change = ReadAppointment(files_, edited);
  change.subject = QStringLiteral("Shorter now");
  ASSERT_TRUE(UpdateAppointment(files_, change).stored());
  const QByteArray deleted_text = kept.at(deleted).text;
  ASSERT_TRUE(DeleteAppointment(files_, ReadAppointment(files_, deleted).id).stored());
  // The deleted appointment's event went with it; the others moved along.
  const std::map<int, ImportedAppointment> left = ReadImported(files_);
  EXPECT_EQ(left.size(), kept.size() - 1);
  for (const auto& [index, a] : left) EXPECT_NE(a.uid, QStringLiteral("py-1"));
  EXPECT_FALSE(ReadAll(QDir(data_).filePath(QStringLiteral("Imported.dat"))).contains("UID:py-1"));
  for (const auto& [index, a] : left) {
    const QString now = ReadAppointment(files_, index).subject;
    EXPECT_TRUE(now == a.as_read.subject || now == QLatin1String("Shorter now")) << S(a.uid);
  }

  const QString out = Path(QStringLiteral("out.ics"));
  ASSERT_TRUE(
      interchange::ExportCalendar(files_, out, QDateTime::currentDateTimeUtc(), Options().zone)
          .ok());
  const QByteArray ics = ReadAll(out);
  for (const auto& [index, a] : left) {
    const QStringList before = EventLines(a.text, a.uid);
    const QStringList after = EventLines(ics, a.uid);
    ASSERT_FALSE(after.isEmpty()) << S(a.uid) << " did not go out under its UID";
    if (a.as_read.subject != QLatin1String("Call with Tokyo office")) {
      EXPECT_EQ(after, before) << S(a.uid);
      continue;
    }
    QStringList expected = before;
    expected.replaceInStrings(QRegularExpression(QStringLiteral("^SUMMARY(;[^:]*)?:.*$")),
                              QStringLiteral("SUMMARY:Shorter now"));
    EXPECT_EQ(after, expected);
  }
  // Kept whole or kept beside an appointment, every event goes out as it
  // came: its location and Windows zone too, and no UID made here.
  EXPECT_TRUE(ics.contains("LOCATION;LANGUAGE=en-US:Teams"));
  EXPECT_TRUE(ics.contains("X-MICROSOFT-CDO-BUSYSTATUS:BUSY"));
  EXPECT_TRUE(ics.contains("DTSTART;TZID=W. Europe Standard Time:20260615T090000"));
  const QSet<QString> gone = Uids(deleted_text);
  // (An event that came without a UID goes out under the one it was
  // given, the same at every import.)
  for (const QString& uid : Uids(ics) - came)
    EXPECT_TRUE(uid.startsWith(QLatin1String("quorvel-import-"))) << S(uid);

  const FolderState before = ReadFolder(data_);
  const interchange::ImportSummary again = interchange::ImportFiles(files_, {out}, Options());
  ASSERT_TRUE(again.ok());
  EXPECT_EQ(again.Appointments(), 0) << S(again.Text());
  EXPECT_EQ(ReadFolder(data_), before);
  EXPECT_FALSE(Uids(ics).intersects(gone));

  // A newer copy of an event comes in place of its appointment while that
  // is as it came; one changed here is not overwritten, and says so.
  QString supplier;
  for (const auto& [index, a] : ReadImported(files_)) {
    if (a.as_read.subject == QLatin1String("Supplier visit")) supplier = a.uid;
  }
  const QString newer = Path(QStringLiteral("newer.ics"));
  {
    QFile file(newer);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:x\r\nBEGIN:VEVENT\r\nUID:" + supplier.toUtf8() +
        "\r\nSEQUENCE:1\r\nDTSTAMP:20260106T090000Z\r\nDTSTART:20260615T073000Z\r\n"
        "DTEND:20260615T083000Z\r\nSUMMARY:Supplier visit, later\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:py-5\r\nSEQUENCE:1\r\nDTSTAMP:20260106T090000Z\r\nDTSTART:"
        "20260310T010000Z\r\n"
        "DTEND:20260310T020000Z\r\nSUMMARY:Call with Tokyo "
        "office\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
  }
  const interchange::ImportSummary update = interchange::ImportFiles(files_, {newer}, Options());
  ASSERT_TRUE(update.ok());
  EXPECT_EQ(update.Appointments(), 1) << S(update.Text());
  EXPECT_EQ(update.files[0].updated, 1);
  EXPECT_TRUE(update.Text().contains(QStringLiteral("changed here or moves to another day")))
      << S(update.Text());
  EXPECT_EQ(Find(QStringLiteral("Supplier visit")), -1);
  ASSERT_GE(Find(QStringLiteral("Supplier visit, later")), 0);
  EXPECT_EQ(ReadAppointment(files_, Find(QStringLiteral("Supplier visit, later"))).start,
            QStringLiteral("09:30"));
  EXPECT_EQ(ReadImported(files_).size(), left.size());

  // Undoing the update, the delete, the edit and the import takes the kept
  // events back with the appointments.
  ASSERT_TRUE(history.Undo().stored());
  EXPECT_GE(Find(QStringLiteral("Supplier visit")), 0);
  ASSERT_TRUE(history.Undo().stored());
  EXPECT_EQ(ReadImported(files_).size(), kept.size());
  ASSERT_TRUE(history.Undo().stored());
  ASSERT_TRUE(history.Undo().stored());
  EXPECT_TRUE(ReadImported(files_).empty());
  EXPECT_EQ(files_.ReadCount(Channel::kAppoint), 0);
}

// Deleting an imported appointment changes Appoint.dat and Imported.dat
// in one operation: at every crash point both hold the delete or neither.
TEST_F(InterchangeImportedTest, ADeleteDropsTheKeptEventAtEveryCrashPointOrNot) {
  const QString ics = Path(QStringLiteral("two.ics"));
  {
    QFile file(ics);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:x\r\n"
        "BEGIN:VEVENT\r\nUID:first\r\nDTSTAMP:20260101T000000Z\r\nDTSTART:20260110T090000\r\n"
        "DTEND:20260110T100000\r\nSUMMARY:First\r\nX-OTHER:kept\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:second\r\nDTSTAMP:20260101T000000Z\r\nDTSTART:20260110T110000\r\n"
        "DTEND:20260110T120000\r\nSUMMARY:Second\r\nEND:VEVENT\r\n"
        "END:VCALENDAR\r\n");
  }
  RunSweep("delete of an imported appointment",
           {[&](const QString& dir) {
              Fill(dir, [&](DataFiles& files) {
                ASSERT_EQ(interchange::ImportFiles(files, {ics}, Options()).Appointments(), 2);
              });
            },
            [](DataFiles& files) {
              const store::Outcome deleted = DeleteAppointment(files, QStringLiteral("20260110-1"));
              if (deleted.stored()) {
                const std::map<int, ImportedAppointment> left = ReadImported(files);
                ASSERT_EQ(left.size(), 1u);
                EXPECT_EQ(left.begin()->first, 0);
                EXPECT_EQ(left.begin()->second.uid, QStringLiteral("second"));
              }
            }});
}

}  // namespace
}  // namespace quorvel::testing
