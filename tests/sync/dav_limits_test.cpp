// What a server's reply may hold: hrefs only inside their collection, and
// replies within their size, count and nesting limits however the bytes
// arrive; a multiget batch over its limit is asked for again in halves.
#include <gtest/gtest.h>

#include "sync/dav_client.h"
#include "sync/dav_href.h"
#include "sync/dav_xml.h"
#include "tests/sync/radicale.h"

namespace quorvel::sync {
namespace {

TEST(DavHrefTest, OnlyMembersOfTheCollectionAreTaken) {
  const QUrl collection(QStringLiteral("https://dav.example.org/alice/calendar/"));
  const struct {
    const char* href;
    HrefPlace place;
  } cases[] = {
      {"/alice/calendar/a.ics", HrefPlace::kMember},
      {"a%20b.ics", HrefPlace::kMember},
      {"https://dav.example.org/alice/calendar/c.ics", HrefPlace::kMember},
      {"https://DAV.example.org:443/alice/calendar/d.ics", HrefPlace::kMember},
      {"/alice/calendar/", HrefPlace::kSelf},
      {"/alice/calendar", HrefPlace::kSelf},
      {"/alice/calendar/./", HrefPlace::kSelf},
      // Encoded slashes and dots are read as the server reads them.
      {"..%2F..%2Fbob%2Fcalendar%2Fevil.ics", HrefPlace::kOutside},
      {"/alice/calendar/%2E%2E/%2E%2E/bob/x.ics", HrefPlace::kOutside},
      {"/alice/calendar/../../bob/calendar/x.ics", HrefPlace::kOutside},
      {"/alice/calendar/sub/x.ics", HrefPlace::kOutside},
      {"/alice/calendar/a%2Fb.ics", HrefPlace::kOutside},
      {"/alice/calendarx/a.ics", HrefPlace::kOutside},
      {"/alice/", HrefPlace::kOutside},
      {"http://dav.example.org/alice/calendar/e.ics", HrefPlace::kOutside},
      {"https://dav.example.org:8443/alice/calendar/f.ics", HrefPlace::kOutside},
      {"https://evil.example/alice/calendar/g.ics", HrefPlace::kOutside},
      {"https://u:p@dav.example.org/alice/calendar/h.ics", HrefPlace::kOutside},
      {"/alice/calendar/i.ics?x=1", HrefPlace::kOutside},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.href);
    QString path;
    EXPECT_EQ(PlaceOf(collection, QString::fromLatin1(c.href), &path), c.place);
    if (c.place == HrefPlace::kMember) {
      EXPECT_TRUE(path.startsWith("/alice/calendar/"));
    }
  }
  EXPECT_EQ(DecodedPath(QStringLiteral("/a/b/../../../c/./d%2F..%2Fe")), QStringLiteral("/c/e"));
  EXPECT_TRUE(SameOrigin(QUrl("https://h/"), QUrl("https://H:443/x")));
  EXPECT_FALSE(SameOrigin(QUrl("https://h/"), QUrl("http://h:443/")));
  EXPECT_FALSE(SameOrigin(QUrl("http://127.0.0.1:1/"), QUrl("http://localhost:1/")));
  EXPECT_TRUE(OnSameServer(QUrl("https://h/a/"), QStringLiteral("/b/")));
  EXPECT_FALSE(OnSameServer(QUrl("https://h/a/"), QStringLiteral("https://other/b/")));
}

QByteArray Listing(int responses, qsizetype text = 1) {
  QByteArray body = "<?xml version=\"1.0\"?><d:multistatus xmlns:d=\"DAV:\">";
  for (int i = 0; i < responses; ++i) {
    body += "<d:response><d:href>/c/" + QByteArray::number(i) +
            ".ics</d:href><d:propstat><d:prop><d:getetag>" + QByteArray(text, 'e') +
            "</d:getetag></d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat>"
            "</d:response>";
  }
  return body + "</d:multistatus>";
}

TEST(DavXmlTest, LimitsHoldHoweverTheBytesArrive) {
  ReplyLimits limits;
  limits.most_bytes = 64 * 1024;
  limits.most_responses = 50;
  limits.most_text = 100;
  ParseFailure why = ParseFailure::kNone;
  EXPECT_TRUE(ParseMultistatus(Listing(50, 100), limits, &why));
  EXPECT_EQ(why, ParseFailure::kNone);
  EXPECT_FALSE(ParseMultistatus(Listing(51), limits, &why));
  EXPECT_EQ(why, ParseFailure::kTooMany);
  EXPECT_FALSE(ParseMultistatus(Listing(1, 101), limits, &why));
  EXPECT_EQ(why, ParseFailure::kTooLong);
  // Blanks without end are refused once longer than the longest text (the
  // parser would hold them whole), and count as bytes too; the source is
  // not read further once a limit is passed.
  int asked = 0;
  const QByteArray head = Listing(1).chopped(int(sizeof("</d:multistatus>")) - 1);
  auto endless = [&](QByteArray& chunk) {
    chunk += ++asked == 1 ? head : QByteArray(4096, ' ');
    return true;
  };
  EXPECT_FALSE(ParseMultistatus(endless, limits, &why));
  EXPECT_EQ(why, ParseFailure::kTooLong);
  EXPECT_LE(asked, 2 + int(4 * limits.most_text / 4096));
  asked = 0;
  limits.most_text = limits.most_bytes;
  EXPECT_FALSE(ParseMultistatus(endless, limits, &why));
  EXPECT_EQ(why, ParseFailure::kTooLarge);
  EXPECT_LE(asked, 2 + int(limits.most_bytes / 4096));
  EXPECT_FALSE(ParseMultistatus("<d:multistatus xmlns:d=\"DAV:\">", limits, &why));
  EXPECT_EQ(why, ParseFailure::kMalformed);

  // One byte at a time gives what the whole gives.
  const QByteArray body = Listing(3, 5);
  qsizetype at = 0;
  auto bytewise = [&](QByteArray& chunk) {
    if (at >= body.size()) return false;
    chunk += body[at++];
    return true;
  };
  auto slow = ParseMultistatus(bytewise, ReplyLimits{}, &why);
  auto whole = ParseMultistatus(body);
  ASSERT_TRUE(slow);
  ASSERT_TRUE(whole);
  ASSERT_EQ(slow->responses.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(slow->responses[i].href, whole->responses[i].href);
    EXPECT_EQ(slow->responses[i].Text(kDavNs, "getetag"), QStringLiteral("eeeee"));
  }
  // Nesting is bounded whatever the limits.
  QByteArray deep = "<multistatus xmlns=\"DAV:\"><response><href>/x</href>";
  for (int i = 0; i < kDeepestNesting; ++i) deep += "<x>";
  EXPECT_FALSE(ParseMultistatus(deep, ReplyLimits{}, &why));
}

TEST(DavLimitsTest, OversizedBatchesAreAskedForInHalvesAndOneItemOverItsLimitStops) {
  testing::Radicale server;
  ASSERT_TRUE(server.failure().isEmpty()) << server.failure().toStdString();
  DavClient setup(server.url(), server.user(), server.password());
  const QUrl calendar = server.url().resolved(QUrl(QStringLiteral("/alice/calendar/")));
  DavError error;
  ASSERT_TRUE(setup.Discover(&error)) << error.Message().toStdString();
  ASSERT_TRUE(setup.MakeCollection(calendar, CollectionKind::kCalendar, "Calendar", &error));
  QStringList hrefs;
  for (int i = 0; i < 12; ++i) {
    const QString href = DavClient::PathOf(calendar) + QStringLiteral("e%1.ics").arg(i);
    const QByteArray description(i == 11 ? 6000 : 200, 'd');
    ASSERT_TRUE(setup.Put(href, CollectionKind::kCalendar,
                          "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//t//EN\r\nBEGIN:VEVENT\r\n"
                          "UID:e" +
                              QByteArray::number(i) +
                              "\r\nDTSTAMP:20260101T000000Z\r\n"
                              "DTSTART:20260107T090000\r\nSUMMARY:E\r\nDESCRIPTION:" +
                              description + "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n",
                          QString(), &error))
        << error.Message().toStdString();
    hrefs << href;
  }
  TransportLimits limits;
  limits.batch_bytes = 4000;
  limits.resource_bytes = 5000;
  DavClient client(server.url(), server.user(), server.password(), limits);
  auto small = client.Multiget(calendar, CollectionKind::kCalendar, hrefs.mid(0, 11), &error);
  ASSERT_TRUE(small) << error.Message().toStdString();
  EXPECT_EQ(small->size(), 11u);
  EXPECT_GT(client.requests_by_method().at("REPORT"), 1);
  EXPECT_FALSE(client.Multiget(calendar, CollectionKind::kCalendar, hrefs, &error));
  EXPECT_EQ(error.kind, DavErrorKind::kTooLarge);
  EXPECT_TRUE(error.Message().contains(QStringLiteral("larger than Quorvel accepts")));
  EXPECT_FALSE(client.Get(hrefs.back(), &error));
  EXPECT_EQ(error.kind, DavErrorKind::kTooLarge);
  EXPECT_TRUE(client.Get(hrefs.front(), &error));
}

}  // namespace
}  // namespace quorvel::sync
