// The protocol layer against a real Radicale: discovery, conditional
// writes, sync-collection and multiget, and how each failure is told apart.
#include <gtest/gtest.h>

#include <QSet>

#include "sync/dav_client.h"
#include "sync/dav_xml.h"
#include "tests/sync/radicale.h"

namespace quorvel::sync {
namespace {

using testing::Radicale;

QByteArray Event(const QString& uid, const QString& summary) {
  return QStringLiteral(
             "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\nBEGIN:VEVENT\r\n"
             "UID:%1\r\nDTSTAMP:20260101T000000Z\r\nDTSTART:20260107T090000\r\n"
             "DTEND:20260107T093000\r\nSUMMARY:%2\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n")
      .arg(uid, summary)
      .toUtf8();
}

class DavClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.failure().isEmpty()) << server_.failure().toStdString();
    client_ = std::make_unique<DavClient>(server_.url(), server_.user(), server_.password());
    calendar_ = server_.url().resolved(QUrl(QStringLiteral("/alice/calendar/")));
    contacts_ = server_.url().resolved(QUrl(QStringLiteral("/alice/contacts/")));
    DavError error;
    // The principal's folder exists once the user has been seen.
    ASSERT_TRUE(client_->Discover(&error)) << error.Message().toStdString();
    ASSERT_TRUE(client_->MakeCollection(calendar_, CollectionKind::kCalendar,
                                        QStringLiteral("Calendar"), &error))
        << error.Message().toStdString();
    ASSERT_TRUE(client_->MakeCollection(contacts_, CollectionKind::kAddressBook,
                                        QStringLiteral("Contacts"), &error))
        << error.Message().toStdString();
  }

  QString Href(const QString& name) { return DavClient::PathOf(calendar_) + name; }

  Radicale server_;
  std::unique_ptr<DavClient> client_;
  QUrl calendar_;
  QUrl contacts_;
};

TEST_F(DavClientTest, DiscoversPrincipalHomesAndCollections) {
  DavError error;
  auto found = client_->Discover(&error);
  ASSERT_TRUE(found) << error.Message().toStdString();
  EXPECT_EQ(DavClient::PathOf(found->principal), QStringLiteral("/alice/"));
  EXPECT_EQ(DavClient::PathOf(found->calendar_home), QStringLiteral("/alice/"));
  EXPECT_EQ(DavClient::PathOf(found->addressbook_home), QStringLiteral("/alice/"));
  ASSERT_EQ(found->collections.size(), 2u);
  int calendars = 0;
  for (const Collection& c : found->collections) {
    if (c.kind == CollectionKind::kCalendar) {
      ++calendars;
      EXPECT_EQ(c.url, calendar_);
      EXPECT_EQ(c.display_name, QStringLiteral("Calendar"));
      EXPECT_TRUE(c.holds_events);
    } else {
      EXPECT_EQ(c.url, contacts_);
    }
    EXPECT_FALSE(c.sync_token.isEmpty());
  }
  EXPECT_EQ(calendars, 1);

  // Starting from a collection's own address finds the same principal.
  DavClient from_collection(calendar_, server_.user(), server_.password());
  auto again = from_collection.Discover(&error);
  ASSERT_TRUE(again) << error.Message().toStdString();
  EXPECT_EQ(again->principal, found->principal);
}

TEST_F(DavClientTest, TellsEachConnectionFailureApart) {
  DavError error;
  DavClient wrong(server_.url(), server_.user(), QStringLiteral("not it"));
  EXPECT_FALSE(wrong.Discover(&error));
  EXPECT_EQ(error.kind, DavErrorKind::kWrongPassword);
  EXPECT_TRUE(error.Message().contains(QStringLiteral("password")));

  // Plain HTTP leaves this machine never: refused before anything is sent.
  DavClient plain(QUrl(QStringLiteral("http://example.com/dav/")), server_.user(),
                  server_.password());
  error = {};
  EXPECT_FALSE(plain.Discover(&error));
  EXPECT_EQ(error.kind, DavErrorKind::kInsecure);
  EXPECT_EQ(plain.request_count(), 0);
  EXPECT_TRUE(DavClient::IsAllowed(QUrl(QStringLiteral("http://localhost:5232/"))));
  EXPECT_TRUE(DavClient::IsAllowed(QUrl(QStringLiteral("http://[::1]:5232/"))));
  EXPECT_FALSE(DavClient::IsAllowed(QUrl(QStringLiteral("http://10.0.0.1/"))));
  EXPECT_FALSE(DavClient::IsAllowed(QUrl(QStringLiteral("ftp://localhost/"))));

  DavClient unknown(QUrl(QStringLiteral("https://no-such-host.invalid/")), server_.user(),
                    server_.password());
  error = {};
  EXPECT_FALSE(unknown.Discover(&error));
  EXPECT_EQ(error.kind, DavErrorKind::kUnknownServer) << error.detail.toStdString();

  const int port = server_.port();
  server_.Stop();
  DavClient closed(QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(port)), server_.user(),
                   server_.password());
  error = {};
  EXPECT_FALSE(closed.Discover(&error));
  EXPECT_EQ(error.kind, DavErrorKind::kUnreachable) << error.detail.toStdString();

  // A certificate no authority of this system signed.
  Radicale tls(Radicale::Options{true});
  ASSERT_TRUE(tls.failure().isEmpty()) << tls.failure().toStdString();
  DavClient https(tls.url(), tls.user(), tls.password());
  error = {};
  EXPECT_FALSE(https.Discover(&error));
  EXPECT_EQ(error.kind, DavErrorKind::kCertificate) << error.detail.toStdString();
  EXPECT_TRUE(error.Message().contains(QStringLiteral("certificate")));
}

TEST_F(DavClientTest, WritesOnlyOverTheVersionTheyKnow) {
  DavError error;
  const QString href = Href(QStringLiteral("a.ics"));
  auto first = client_->Put(href, CollectionKind::kCalendar, Event("a", "One"), QString(), &error);
  ASSERT_TRUE(first) << error.Message().toStdString();
  EXPECT_FALSE(first->isEmpty());

  // Creating where something already is, or writing over a stale version,
  // is refused with 412.
  EXPECT_FALSE(client_->Put(href, CollectionKind::kCalendar, Event("a", "Two"), QString(), &error));
  EXPECT_EQ(error.kind, DavErrorKind::kPrecondition);
  error = {};
  auto second = client_->Put(href, CollectionKind::kCalendar, Event("a", "Two"), *first, &error);
  ASSERT_TRUE(second) << error.Message().toStdString();
  EXPECT_NE(*second, *first);
  EXPECT_FALSE(client_->Put(href, CollectionKind::kCalendar, Event("a", "Three"), *first, &error));
  EXPECT_EQ(error.kind, DavErrorKind::kPrecondition);

  auto got = client_->Get(href, &error);
  ASSERT_TRUE(got);
  EXPECT_TRUE(got->data.contains("SUMMARY:Two"));
  EXPECT_EQ(got->etag, *second);

  error = {};
  EXPECT_FALSE(client_->Delete(href, *first, &error));
  EXPECT_EQ(error.kind, DavErrorKind::kPrecondition);
  error = {};
  EXPECT_TRUE(client_->Delete(href, *second, &error)) << error.Message().toStdString();
  // Already gone counts as removed.
  EXPECT_TRUE(client_->Delete(href, *second, &error));
  EXPECT_FALSE(client_->Get(href, &error));
  EXPECT_EQ(error.kind, DavErrorKind::kNotFound);
}

TEST_F(DavClientTest, SyncTokenListsChangesAndMultigetFetchesInBatches) {
  DavError error;
  constexpr int kCount = 20;
  client_->set_multiget_batch(8);
  QStringList hrefs;
  for (int i = 0; i < kCount; ++i) {
    const QString href = Href(QStringLiteral("e%1.ics").arg(i));
    ASSERT_TRUE(client_->Put(href, CollectionKind::kCalendar,
                             Event(QStringLiteral("e%1").arg(i), QStringLiteral("Event %1").arg(i)),
                             QString(), &error))
        << error.Message().toStdString();
    hrefs << href;
  }
  auto all = client_->SyncCollection(calendar_, QString(), &error);
  ASSERT_TRUE(all) << error.Message().toStdString();
  EXPECT_EQ(all->changed.size(), size_t(kCount));
  EXPECT_TRUE(all->removed.isEmpty());
  EXPECT_FALSE(all->token.isEmpty());

  const int before = client_->request_count();
  auto fetched = client_->Multiget(calendar_, CollectionKind::kCalendar, hrefs, &error);
  ASSERT_TRUE(fetched) << error.Message().toStdString();
  EXPECT_EQ(client_->request_count() - before, 3);
  ASSERT_EQ(fetched->size(), size_t(kCount));
  QSet<QString> seen;
  for (const Resource& r : *fetched) {
    seen.insert(r.href);
    EXPECT_FALSE(r.etag.isEmpty());
    EXPECT_TRUE(r.data.startsWith("BEGIN:VCALENDAR"));
  }
  EXPECT_EQ(seen.size(), kCount);

  // One changed, one removed since the token.
  auto listed = client_->ListMembers(calendar_, &error);
  ASSERT_TRUE(listed);
  ASSERT_EQ(listed->size(), size_t(kCount));
  const Member& some = listed->front();
  ASSERT_TRUE(client_->Put(
      some.href, CollectionKind::kCalendar,
      Event(some.href.section(QLatin1Char('/'), -1).chopped(4), QStringLiteral("Changed")),
      some.etag, &error));
  ASSERT_TRUE(client_->Delete(hrefs.back(), QString(), &error));
  auto changes = client_->SyncCollection(calendar_, all->token, &error);
  ASSERT_TRUE(changes) << error.Message().toStdString();
  ASSERT_EQ(changes->changed.size(), 1u);
  EXPECT_EQ(changes->changed.front().href, some.href);
  EXPECT_EQ(changes->removed, QStringList{hrefs.back()});
  EXPECT_NE(changes->token, all->token);

  // A token the server never gave is refused, not taken as "everything".
  EXPECT_FALSE(client_->SyncCollection(
      calendar_, QStringLiteral("http://radicale.org/ns/sync/nonsense"), &error));
  EXPECT_NE(error.kind, DavErrorKind::kNone);

  // Missing hrefs are left out of a multiget.
  auto partly = client_->Multiget(calendar_, CollectionKind::kCalendar,
                                  {hrefs.back(), hrefs.front()}, &error);
  ASSERT_TRUE(partly);
  ASSERT_EQ(partly->size(), 1u);
  EXPECT_EQ(partly->front().href, hrefs.front());
}

TEST_F(DavClientTest, AddressBookCardsTravelTheSameWay) {
  DavError error;
  const QString href = DavClient::PathOf(contacts_) + QStringLiteral("smith.vcf");
  const QByteArray card =
      "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:smith\r\nFN:John "
      "Smith\r\nN:Smith;John;;;\r\nEND:VCARD\r\n";
  ASSERT_TRUE(client_->Put(href, CollectionKind::kAddressBook, card, QString(), &error))
      << error.Message().toStdString();
  auto got = client_->Multiget(contacts_, CollectionKind::kAddressBook, {href}, &error);
  ASSERT_TRUE(got) << error.Message().toStdString();
  ASSERT_EQ(got->size(), 1u);
  EXPECT_TRUE(got->front().data.contains("FN:John Smith"));
  auto described = client_->Describe(contacts_, &error);
  ASSERT_TRUE(described);
  EXPECT_EQ(described->kind, CollectionKind::kAddressBook);
}

// --- replies parsed from bytes, as a hostile server could send them

TEST(DavXmlTest, ReadsPropertiesStatusesAndTokens) {
  const QByteArray body = R"(<?xml version="1.0"?>
<d:multistatus xmlns:d="DAV:" xmlns:c="urn:ietf:params:xml:ns:caldav">
 <d:response><d:href>/cal/a%20b.ics</d:href>
  <d:propstat><d:prop><d:getetag>"1"</d:getetag>
   <c:calendar-data>BEGIN:VCALENDAR&#13;
END:VCALENDAR</c:calendar-data>
   <d:resourcetype><d:collection/><c:calendar/></d:resourcetype>
   <c:supported-calendar-component-set><c:comp name="VEVENT"/></c:supported-calendar-component-set>
  </d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat>
  <d:propstat><d:prop><d:displayname/></d:prop><d:status>HTTP/1.1 404 Not Found</d:status></d:propstat>
 </d:response>
 <d:response><d:href>/cal/gone.ics</d:href><d:status>HTTP/1.1 404 Not Found</d:status></d:response>
 <d:sync-token>tok-2</d:sync-token>
</d:multistatus>)";
  auto parsed = ParseMultistatus(body);
  ASSERT_TRUE(parsed);
  ASSERT_EQ(parsed->responses.size(), 2u);
  const DavResponse& first = parsed->responses[0];
  EXPECT_EQ(first.href, QStringLiteral("/cal/a%20b.ics"));
  EXPECT_EQ(first.Text(kDavNs, "getetag"), QStringLiteral("\"1\""));
  EXPECT_EQ(first.Find(kCalDavNs, "calendar-data")->text,
            QStringLiteral("BEGIN:VCALENDAR\r\nEND:VCALENDAR"));
  EXPECT_TRUE(
      first.Find(kDavNs, "resourcetype")->children.contains(QualifiedName(kCalDavNs, "calendar")));
  EXPECT_EQ(first.Find(kCalDavNs, "supported-calendar-component-set")->names,
            QStringList{QStringLiteral("VEVENT")});
  EXPECT_EQ(first.Find(kDavNs, "displayname"), nullptr);
  EXPECT_EQ(first.missing.size(), 1u);
  EXPECT_EQ(parsed->responses[1].status, 404);
  EXPECT_EQ(parsed->sync_token, QStringLiteral("tok-2"));
}

TEST(DavXmlTest, RefusesWhatNoServerShouldSend) {
  // Not XML, the wrong root, a response without href, a DTD with entities,
  // nesting without end, and a cut-off document.
  EXPECT_FALSE(ParseMultistatus("<html>Login</html>"));
  EXPECT_FALSE(ParseMultistatus(""));
  EXPECT_FALSE(ParseMultistatus("<multistatus xmlns=\"DAV:\"><response/></multistatus>"));
  EXPECT_FALSE(ParseMultistatus(
      "<?xml version=\"1.0\"?><!DOCTYPE m [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;\">]>"
      "<multistatus xmlns=\"DAV:\"><response><href>&b;</href></response></multistatus>"));
  QByteArray deep = "<multistatus xmlns=\"DAV:\"><response><href>/x</href><propstat><prop><p>";
  for (int i = 0; i < 200; ++i) deep += "<x>";
  for (int i = 0; i < 200; ++i) deep += "</x>";
  deep += "</p></prop></propstat></response></multistatus>";
  EXPECT_FALSE(ParseMultistatus(deep));
  EXPECT_FALSE(ParseMultistatus("<multistatus xmlns=\"DAV:\"><response><href>/x</href>"));
  EXPECT_TRUE(ParseMultistatus("<multistatus xmlns=\"DAV:\"/>"));
  EXPECT_EQ(StatusCode(QStringLiteral("HTTP/1.1 507 Insufficient Storage")), 507);
  EXPECT_EQ(StatusCode(QStringLiteral("nonsense")), 0);
}

}  // namespace
}  // namespace quorvel::sync
