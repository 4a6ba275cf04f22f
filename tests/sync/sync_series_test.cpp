// Series and multi-day events kept whole in Events.dat, against both real
// servers with a raw client standing for the phone: one made here reaches
// the server as one resource with its rule, one made there shows here with
// its occurrences, an occurrence deleted here becomes an EXDATE there, and
// deletions on either side reach the other.
#include <gtest/gtest.h>

#include <QTimeZone>

#include "events/event_file.h"
#include "events/occurrences.h"
#include "items/appointment_file.h"
#include "sync/plan.h"
#include "tests/sync/two_servers.h"

namespace quorvel::sync {
namespace {

const char kZone[] =
    "BEGIN:VTIMEZONE\r\nTZID:Europe/Berlin\r\n"
    "BEGIN:DAYLIGHT\r\nTZOFFSETFROM:+0100\r\nTZOFFSETTO:+0200\r\nTZNAME:CEST\r\n"
    "DTSTART:19700329T020000\r\nRRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU\r\nEND:DAYLIGHT\r\n"
    "BEGIN:STANDARD\r\nTZOFFSETFROM:+0200\r\nTZOFFSETTO:+0100\r\nTZNAME:CET\r\n"
    "DTSTART:19701025T030000\r\nRRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU\r\nEND:STANDARD\r\n"
    "END:VTIMEZONE\r\n";

QByteArray Calendar(const QString& events) {
  return (QStringLiteral(
              "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Phone Maker//Calendar 7.1//EN\r\n") +
          QString::fromLatin1(kZone) + events + QStringLiteral("END:VCALENDAR\r\n"))
      .toUtf8();
}

// Eight Mondays at 18:00 in Berlin, from 12 January 2026.
QByteArray Yoga(const QString& extra = QString()) {
  return Calendar(
      QStringLiteral(
          "BEGIN:VEVENT\r\nUID:yoga-1@here\r\nDTSTAMP:20260101T080000Z\r\n"
          "DTSTART;TZID=Europe/Berlin:20260112T180000\r\nDTEND;TZID=Europe/"
          "Berlin:20260112T190000\r\n"
          "RRULE:FREQ=WEEKLY;COUNT=8\r\nSUMMARY:Yoga\r\nX-HERE-COLOUR:green\r\n%1END:VEVENT\r\n")
          .arg(extra));
}

// Thursdays at 19:00 from 8 January; the 22nd left out, the 15th moved to
// Friday the 16th and renamed.
QByteArray Choir(const QString& summary = QStringLiteral("Choir")) {
  return Calendar(
      QStringLiteral("BEGIN:VEVENT\r\nUID:choir@phone\r\nDTSTAMP:20260101T080000Z\r\n"
                     "DTSTART;TZID=Europe/Berlin:20260108T190000\r\nDTEND;TZID=Europe/"
                     "Berlin:20260108T210000\r\n"
                     "RRULE:FREQ=WEEKLY;BYDAY=TH\r\nEXDATE;TZID=Europe/Berlin:20260122T190000\r\n"
                     "SUMMARY:%1\r\nLOCATION:St. Mary's\r\nEND:VEVENT\r\n"
                     "BEGIN:VEVENT\r\nUID:choir@phone\r\nDTSTAMP:20260101T080000Z\r\n"
                     "RECURRENCE-ID;TZID=Europe/Berlin:20260115T190000\r\n"
                     "DTSTART;TZID=Europe/Berlin:20260116T190000\r\nDTEND;TZID=Europe/"
                     "Berlin:20260116T210000\r\n"
                     "SUMMARY:Choir (concert)\r\nEND:VEVENT\r\n")
          .arg(summary));
}

// Three whole days, 2 to 4 March.
QByteArray Holiday() {
  return Calendar(
      QStringLiteral("BEGIN:VEVENT\r\nUID:holiday@phone\r\nDTSTAMP:20260101T080000Z\r\n"
                     "DTSTART;VALUE=DATE:20260302\r\nDTEND;VALUE=DATE:20260305\r\nSUMMARY:"
                     "Away\r\nEND:VEVENT\r\n"));
}

class SeriesSyncTest : public TwoServersTest {
 protected:
  void Keep(const QByteArray& text) {
    store::Operation op(files_);
    ASSERT_EQ(events::PutEvent(op, text), events::PutResult::kStored);
    ASSERT_TRUE(op.Commit().stored());
  }
  void Drop(const QString& uid) {
    store::Operation op(files_);
    ASSERT_TRUE(events::RemoveEvent(op, uid));
    ASSERT_TRUE(op.Commit().stored());
  }
  SyncReport SyncOk() {
    SyncReport report = Sync();
    EXPECT_TRUE(report.ok()) << report.Summary().toStdString();
    EXPECT_TRUE(report.skipped.isEmpty()) << report.Summary().toStdString();
    EXPECT_TRUE(report.conflicts.isEmpty()) << report.Summary().toStdString();
    return report;
  }
  // The calendar's resources, each fetched by a plain GET.
  std::vector<Resource> Raw() {
    DavError error;
    auto members = phone_->ListMembers(server_->calendar(), &error);
    EXPECT_TRUE(members) << error.Message().toStdString();
    std::vector<Resource> out;
    for (const Member& m : members ? *members : std::vector<Member>{}) {
      auto got = phone_->Get(m.href, &error);
      EXPECT_TRUE(got) << error.Message().toStdString();
      if (got) out.push_back(*got);
    }
    return out;
  }
  // Days (yyyy-MM-dd, in Berlin) of `uid`'s occurrences in January to March.
  static QStringList Days(const std::vector<events::Occurrence>& all, const QString& uid) {
    QStringList out;
    for (const events::Occurrence& o : all) {
      if (o.uid == uid) out << o.start.date().toString(Qt::ISODate) + (o.changed ? "*" : "");
    }
    return out;
  }
  std::vector<events::Occurrence> Here() {
    return events::ReadOccurrences(files_, QDate(2026, 1, 1), QDate(2026, 3, 31), Berlin());
  }
  static QTimeZone Berlin() { return QTimeZone("Europe/Berlin"); }
};

TEST_P(SeriesSyncTest, ASeriesMadeHereGoesUpWholeAndAnOccurrenceDeletedHereBecomesAnExdate) {
  Keep(Yoga());
  EXPECT_EQ(SyncOk().sent, 1);
  std::vector<Resource> raw = Raw();
  ASSERT_EQ(raw.size(), 1u);
  // One resource with its rule, as kept here (what Quorvel does not know
  // about goes up too).
  EXPECT_EQ(raw[0].data.count("BEGIN:VEVENT"), 1);
  EXPECT_TRUE(raw[0].data.contains("RRULE:FREQ=WEEKLY;COUNT=8")) << raw[0].data.toStdString();
  EXPECT_TRUE(raw[0].data.contains("X-HERE-COLOUR:green"));
  EXPECT_TRUE(SameEvent(raw[0].data, Yoga())) << raw[0].data.toStdString();
  const SyncReport again = SyncOk();
  EXPECT_EQ(again.sent + again.received, 0) << again.Summary().toStdString();

  // The 19 January left out here, as the editor does: inside the kept text.
  const QString href = raw[0].href;
  Keep(Yoga(QStringLiteral("EXDATE;TZID=Europe/Berlin:20260119T180000\r\n")));
  EXPECT_EQ(SyncOk().sent, 1);
  raw = Raw();
  ASSERT_EQ(raw.size(), 1u);
  EXPECT_EQ(raw[0].href, href);  // the same resource, replaced
  EXPECT_TRUE(raw[0].data.contains("EXDATE;TZID=Europe/Berlin:20260119T180000"))
      << raw[0].data.toStdString();
  const events::Expansion there =
      events::OccurrencesBetween(raw[0].data, QDate(2026, 1, 1), QDate(2026, 3, 31), Berlin());
  EXPECT_EQ(there.occurrences.size(), 7u);
  for (const events::Occurrence& o : there.occurrences)
    EXPECT_NE(o.start.date(), QDate(2026, 1, 19));
  EXPECT_EQ(Days(Here(), "yoga-1@here").size(), 7);

  // The series deleted here goes there too.
  Drop(QStringLiteral("yoga-1@here"));
  EXPECT_EQ(SyncOk().sent, 1);
  EXPECT_TRUE(Raw().empty());
}

TEST_P(SeriesSyncTest, ASeriesMadeThereShowsHereAndGoesWhenDeletedThere) {
  const QUrl cal = server_->calendar();
  PhonePut(cal, "choir.ics", Choir(), true);
  PhonePut(cal, "away.ics", Holiday(), true);
  EXPECT_EQ(SyncOk().received, 2);
  EXPECT_EQ(files_.ReadCount(store::Channel::kAppoint), 0);
  // Kept as the server sent it, every VEVENT of the UID and the zone.
  const auto choir = events::FindEvent(files_, "choir@phone");
  ASSERT_TRUE(choir);
  EXPECT_EQ(choir->text, ServerCopy(cal, "choir.ics", true));
  EXPECT_EQ(choir->text.count("BEGIN:VEVENT"), 2);
  EXPECT_TRUE(choir->text.contains("BEGIN:VTIMEZONE"));
  const auto occurrences = Here();
  EXPECT_EQ(Days(occurrences, "choir@phone").mid(0, 4),
            (QStringList{"2026-01-08", "2026-01-16*", "2026-01-29", "2026-02-05"}));
  const auto away =
      std::find_if(occurrences.begin(), occurrences.end(),
                   [](const events::Occurrence& o) { return o.uid == "holiday@phone"; });
  ASSERT_NE(away, occurrences.end());
  EXPECT_TRUE(away->all_day);
  EXPECT_EQ(away->first_day(), QDate(2026, 3, 2));
  EXPECT_EQ(away->last_day(), QDate(2026, 3, 4));

  // Changed there: replaced here; nothing goes back.
  DavError error;
  const auto before = phone_->Get(cal.path() + "choir.ics", &error);
  ASSERT_TRUE(before);
  ASSERT_TRUE(phone_->Put(cal.path() + "choir.ics", CollectionKind::kCalendar,
                          Choir("Choir practice"), before->etag, &error))
      << error.Message().toStdString();
  const SyncReport changed = SyncOk();
  EXPECT_EQ(changed.received, 1);
  EXPECT_EQ(changed.sent, 0);
  EXPECT_EQ(events::FindEvent(files_, "choir@phone")->text, ServerCopy(cal, "choir.ics", true));

  // Changed on both sides: the server's version keeps the UID here, this
  // side's (an occurrence left out) goes there as a new resource; named.
  QByteArray mine = events::FindEvent(files_, "choir@phone")->text;
  mine.replace("EXDATE;TZID=Europe/Berlin:20260122T190000",
               "EXDATE;TZID=Europe/Berlin:20260122T190000,20260129T190000");
  ASSERT_TRUE(mine.contains("20260129T190000"));
  Keep(mine);
  const auto current = phone_->Get(cal.path() + "choir.ics", &error);
  ASSERT_TRUE(current);
  ASSERT_TRUE(phone_->Put(cal.path() + "choir.ics", CollectionKind::kCalendar,
                          Choir("Choir (new room)"), current->etag, &error));
  const SyncReport both = Sync();
  ASSERT_TRUE(both.ok()) << both.Summary().toStdString();
  ASSERT_EQ(both.conflicts.size(), 1) << both.Summary().toStdString();
  EXPECT_TRUE(both.Summary().contains("changed on both sides and kept twice"))
      << both.Summary().toStdString();
  EXPECT_TRUE(events::FindEvent(files_, "choir@phone")->text.contains("Choir (new room)"));
  EXPECT_EQ(events::ReadEvents(files_).events.size(), 3u);
  std::vector<Resource> raw = Raw();
  ASSERT_EQ(raw.size(), 3u);
  const auto copy = std::find_if(raw.begin(), raw.end(), [](const Resource& r) {
    return r.data.contains("20260129T190000") && !r.data.contains("UID:choir@phone");
  });
  EXPECT_NE(copy, raw.end());
  const SyncReport settled = SyncOk();
  EXPECT_EQ(settled.sent + settled.received, 0) << settled.Summary().toStdString();

  // Deleted there: removed here, the other events stay.
  ASSERT_TRUE(phone_->Delete(cal.path() + "choir.ics", QString(), &error))
      << error.Message().toStdString();
  EXPECT_EQ(SyncOk().received, 1);
  EXPECT_FALSE(events::FindEvent(files_, "choir@phone"));
  EXPECT_TRUE(events::FindEvent(files_, "holiday@phone"));
  EXPECT_EQ(events::ReadEvents(files_).events.size(), 2u);
  EXPECT_EQ(Raw().size(), 2u);

  // An appointment made here and turned into a series there moves into
  // Events.dat with its link: nothing doubles on either side.
  ASSERT_TRUE(AddAppointment(
                  files_, Appointment{"20260210-1", "Dentist", "09:00", "10:00", false, "15", ""})
                  .stored());
  EXPECT_EQ(SyncOk().sent, 1);
  raw = Raw();
  const auto dentist = std::find_if(raw.begin(), raw.end(),
                                    [](const Resource& r) { return r.data.contains("Dentist"); });
  ASSERT_NE(dentist, raw.end());
  const QByteArray daily =
      QByteArray(dentist->data).replace("END:VEVENT", "RRULE:FREQ=DAILY;COUNT=3\r\nEND:VEVENT");
  ASSERT_TRUE(phone_->Put(dentist->href, CollectionKind::kCalendar, daily, dentist->etag, &error));
  SyncOk();
  EXPECT_EQ(files_.ReadCount(store::Channel::kAppoint), 0);
  EXPECT_EQ(events::ReadEvents(files_).events.size(), 3u);
  EXPECT_EQ(Raw().size(), 3u);
  const SyncReport quiet = SyncOk();
  EXPECT_EQ(quiet.sent + quiet.received, 0) << quiet.Summary().toStdString();
}

TEST_P(SeriesSyncTest, EveryEventNoAppointmentCanHoldIsKeptWholeAndSyncsBothWays) {
  const QUrl cal = server_->calendar();
  auto event = [](const QString& uid, const QString& lines) {
    return Calendar(
        QStringLiteral("BEGIN:VEVENT\r\nUID:%1\r\nDTSTAMP:20260101T080000Z\r\n%2END:VEVENT\r\n")
            .arg(uid, lines));
  };
  const QString hour = QStringLiteral(
      "DTSTART;TZID=Europe/Berlin:20260210T093000\r\nDTEND;TZID=Europe/Berlin:20260210T103000\r\n");
  const struct {
    const char* uid;
    QString lines;
  } kinds[] = {
      {"long", hour + "SUMMARY:" + QString(120, QLatin1Char('L')) + "\r\n"},
      {"kanji", hour + QString::fromUtf8("SUMMARY:会議\r\n")},
      {"untitled", hour},
      {"called-off", hour + "STATUS:CANCELLED\r\nSUMMARY:Called off\r\n"},
      {"term",
       "DTSTART;TZID=Europe/Berlin:20260301T080000\r\nDTEND;TZID=Europe/Berlin:20260415T170000\r\n"
       "SUMMARY:Term\r\n"},
      {"night",
       "DTSTART;TZID=Europe/Berlin:20260212T221500\r\nDTEND;TZID=Europe/Berlin:20260213T014500\r\n"
       "SUMMARY:Night shift\r\n"},
      {"dates",
       hour + "RDATE;TZID=Europe/Berlin:20260217T093000,20260224T093000\r\nSUMMARY:Clinic\r\n"},
  };
  for (const auto& k : kinds)
    PhonePut(cal, QString::fromLatin1(k.uid) + ".ics", event(k.uid, k.lines), true);
  // A plain event still becomes an appointment, its location in the description.
  PhonePut(cal, "dentist.ics", event("dentist", hour + "SUMMARY:Dentist\r\nLOCATION:Main St\r\n"),
           true);
  EXPECT_EQ(SyncOk().received, int(std::size(kinds)) + 1);
  ASSERT_EQ(files_.ReadCount(store::Channel::kAppoint), 1);
  EXPECT_EQ(ReadAppointment(files_, 0).description, QStringLiteral("Location: Main St"));
  for (const auto& k : kinds) {
    const auto kept = events::FindEvent(files_, QString::fromLatin1(k.uid));
    ASSERT_TRUE(kept) << k.uid;
    EXPECT_EQ(kept->text, ServerCopy(cal, QString::fromLatin1(k.uid) + ".ics", true)) << k.uid;
  }
  const auto here = Here();
  EXPECT_EQ(Days(here, "dates"), (QStringList{"2026-02-10", "2026-02-17", "2026-02-24"}));
  EXPECT_EQ(Days(here, "night"), QStringList{"2026-02-12"});
  EXPECT_TRUE(Days(here, "called-off").isEmpty());  // kept, but takes no time
  const SyncReport quiet = SyncOk();
  EXPECT_EQ(quiet.sent + quiet.received, 0) << quiet.Summary().toStdString();

  // Changed here: it goes up as kept; deleted there: it goes here.
  QByteArray edited = events::FindEvent(files_, "long")->text;
  edited.replace("END:VEVENT", "DESCRIPTION:Noted here\r\nEND:VEVENT");
  Keep(edited);
  EXPECT_EQ(SyncOk().sent, 1);
  EXPECT_TRUE(SameEvent(ServerCopy(cal, "long.ics", true), edited));
  DavError error;
  ASSERT_TRUE(phone_->Delete(cal.path() + "kanji.ics", QString(), &error))
      << error.Message().toStdString();
  EXPECT_EQ(SyncOk().received, 1);
  EXPECT_FALSE(events::FindEvent(files_, "kanji"));
  EXPECT_EQ(events::ReadEvents(files_).events.size(), std::size(kinds) - 1);
}

INSTANTIATE_TEST_SUITE_P(Servers, SeriesSyncTest, ::testing::Values(false, true), ServerName);

}  // namespace
}  // namespace quorvel::sync
