// The vCard reader and writer, and address book entries as vCards.
#include <gtest/gtest.h>

#include <QStringDecoder>

#include "interchange/mapping.h"
#include "interchange/patch.h"
#include "interchange/vcard.h"

namespace quorvel::interchange {
namespace {

std::string S(const QString& s) { return s.toStdString(); }

vcard::Card OnlyCard(const QByteArray& bytes) {
  const vcard::ReadResult r = vcard::Read(bytes);
  EXPECT_TRUE(r.ok()) << S(r.error);
  EXPECT_EQ(r.cards.size(), 1u);
  return r.cards.empty() ? vcard::Card{} : r.cards.front();
}

TEST(VcardReadTest, UnfoldsUnescapesAndSplitsStructuredValues) {
  const vcard::Card card = OnlyCard(
      "BEGIN:VCARD\r\nVERSION:3.0\r\nN:M\\;ller;Hans\\, Peter;;Dr.;\r\n"
      "FN:Hans M\xC3\xBC\r\n ller\r\n"  // folded inside a word
      "NOTE:line one\\nline two\\, with comma\\\\backslash\r\n"
      "item1.TEL;TYPE=\"work,voice\";TYPE=pref:+49 30 1234\r\n"
      "item1.X-ABLabel:Office\r\n"
      "END:VCARD\r\n");
  EXPECT_EQ(card.version, QStringLiteral("3.0"));
  const QStringList n = vcard::Components(card.First(QStringLiteral("N"))->value, QLatin1Char(';'));
  ASSERT_EQ(n.size(), 5);
  EXPECT_EQ(n[0], QStringLiteral("M;ller"));
  EXPECT_EQ(n[1], QStringLiteral("Hans, Peter"));
  EXPECT_EQ(n[3], QStringLiteral("Dr."));
  EXPECT_EQ(card.First(QStringLiteral("FN"))->Text(), QStringLiteral("Hans Müller"));
  EXPECT_EQ(card.First(QStringLiteral("NOTE"))->Text(),
            QStringLiteral("line one\nline two, with comma\\backslash"));
  const vcard::Property* tel = card.First(QStringLiteral("TEL"));
  EXPECT_EQ(tel->group, QStringLiteral("item1"));
  EXPECT_EQ(tel->Types(), (QStringList{"WORK", "VOICE", "PREF"}));
  EXPECT_TRUE(card.First(QStringLiteral("X-ABLABEL")));
}

TEST(VcardReadTest, ReadsVersion21QuotedPrintableAndCharsets) {
  // Soft line breaks, bare parameters, Latin-1 and Windows-1252 bytes, a
  // UTF-8 value by CHARSET, and LF-only line ends.
  const vcard::Card card = OnlyCard(
      "BEGIN:VCARD\nVERSION:2.1\n"
      "N;CHARSET=ISO-8859-1:G\xF6tz;J\xFCrgen\n"
      "TEL;HOME;VOICE:+49 89 555\n"
      "NOTE;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:Gr=C3=BC=C3=9Fe aus=\n"
      " K=C3=B6ln=0D=0Azweite Zeile=\n"
      "\n"
      "ADR;WORK;CHARSET=WINDOWS-1252;QUOTED-PRINTABLE:;;Rue de l'=C9glise 3;Paris;;75001;France\n"
      "END:VCARD\n");
  EXPECT_EQ(card.version, QStringLiteral("2.1"));
  EXPECT_EQ(card.First(QStringLiteral("N"))->value, QStringLiteral("Götz;Jürgen"));
  EXPECT_TRUE(card.First(QStringLiteral("TEL"))->HasType(QStringLiteral("home")));
  EXPECT_EQ(card.First(QStringLiteral("NOTE"))->Text(),
            QStringLiteral("Grüße aus Köln\r\nzweite Zeile"));
  EXPECT_EQ(vcard::Components(card.First(QStringLiteral("ADR"))->value, QLatin1Char(';'))[2],
            QStringLiteral("Rue de l'Église 3"));
}

TEST(VcardReadTest, ReadsVersion40ByteOrderMarksAndBase64Photos) {
  const QByteArray v4 =
      "\xEF\xBB\xBF"
      "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:\xE6\x9D\x8E\xE5\xB0\x8F\xE9\xBE\x99\r\n"
      "TEL;VALUE=uri;TYPE=\"voice,cell\":tel:+86-10-1234\r\n"
      "END:VCARD\r\n";
  const vcard::Card card = OnlyCard(v4);
  EXPECT_EQ(card.First(QStringLiteral("FN"))->Text(), QStringLiteral("李小龙"));

  // UTF-16 with its byte order mark, as some Windows programs write.
  const QString text = QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Zoë\r\nEND:VCARD\r\n");
  QByteArray utf16("\xFF\xFE");
  for (const QChar c : text) {
    utf16.append(static_cast<char>(c.unicode() & 0xFF));
    utf16.append(static_cast<char>(c.unicode() >> 8));
  }
  EXPECT_EQ(OnlyCard(utf16).First(QStringLiteral("FN"))->Text(), QStringLiteral("Zoë"));

  // vCard 2.1 base64 data runs on unindented lines up to a blank line.
  const vcard::Card photo = OnlyCard(
      "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Doe;Jane\r\nPHOTO;ENCODING=BASE64;TYPE=JPEG:\r\n"
      "/9j/4AAQSkZJRgABAQ\r\nAAAQABAAD\r\n\r\nTEL;CELL:123\r\nEND:VCARD\r\n");
  EXPECT_TRUE(photo.First(QStringLiteral("PHOTO"))->IsBinary());
  EXPECT_EQ(photo.First(QStringLiteral("PHOTO"))->value,
            QStringLiteral("/9j/4AAQSkZJRgABAQAAAQABAAD"));
  EXPECT_EQ(photo.First(QStringLiteral("TEL"))->value, QStringLiteral("123"));
}

TEST(VcardReadTest, RefusesWhatIsNotAWellFormedVcard) {
  struct Case {
    QByteArray bytes;
    const char* says;
  };
  const Case cases[] = {
      {"BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Cut", "never ends"},
      {"BEGIN:VCARD\r\nVERSION:3.0\r\nFN:A\r\nEND:VCARD\r\nBEGIN:VCARD\r\nVERSION:3.0\r\n",
       "never ends"},
      {"BEGIN:VCARD\r\nVERSION:3.0\r\nFN\r\nEND:VCARD\r\n", "line 3 has no colon"},
      {"BEGIN:VCARD\r\nVERSION:5.0\r\nFN:x\r\nEND:VCARD\r\n", "version 5.0"},
      {"BEGIN:VCARD\r\nFN:x\r\nEND:VCARD\r\n", "no VERSION"},
      {"FN:x\r\n", "outside any vCard"},
      {"BEGIN:VCARD\r\nVERSION:3.0\r\nBEGIN:VCARD\r\n", "inside another"},
      {"END:VCARD\r\n", "never began"},
      {"BEGIN:VCARD\r\nVERSION:3.0\r\nFN:G\xF6tz\r\nEND:VCARD\r\n",
       "It is not a valid vCard file: line 3 holds bytes that are not valid UTF-8 text."},
      {"BEGIN:VCARD\r\nVERSION:3.0\r\nFN;CHARSET=NO-SUCH-SET:x\r\nEND:VCARD\r\n", "does not know"},
      {"BEGIN:VCARD\r\nVERSION:2.1\r\nFN;ENCODING=QUOTED-PRINTABLE:a=Zb\r\nEND:VCARD\r\n",
       "quoted-printable"},
      {QByteArray("BEGIN:VCARD\r\n\0\x01\x02", 16), "binary"},
      {"BEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n", "something other than a vCard"},
  };
  for (const Case& c : cases) {
    const ContactReading r = ReadContacts(c.bytes);
    EXPECT_FALSE(r.ok()) << c.bytes.toStdString();
    EXPECT_TRUE(r.error.contains(QString::fromLatin1(c.says))) << S(r.error);
  }
  // What old programs wrote, and bytes in properties no entry is made of,
  // are read: a vCard 2.1 value without a CHARSET is Windows-1252 unless it
  // is UTF-8.
  const Case read[] = {
      {"BEGIN:VCARD\r\nVERSION:2.1\r\nN:G\xF6tz;J\xFCrgen\r\nEND:VCARD\r\n", "Götz, Jürgen|"},
      {"BEGIN:VCARD\r\nN:G\xC3\xB6tz;J\r\nVERSION:2.1\r\nNOTE;ENCODING=QUOTED-PRINTABLE:a =96 "
       "b\r\nEND:VCARD\r\n",
       "Götz, J|"},
      {"BEGIN:VCARD\r\nVERSION:3.0\r\nN:A;B\r\nX-MS-OL-DESIGN;CHARSET=utf-8:<v>\x8a</v>\r\n"
       "X-MS-CARDPICTURE;ENCODING=QUOTED-PRINTABLE:=FF=ZZ\r\nEND:VCARD\r\n",
       "A, B|"},
      {"BEGIN:VCARD\r\nVERSION:3.0\r\nN:A;B\r\nTITLE;CHARSET=NO-SUCH-SET:x\r\nEND:VCARD\r\n",
       "A, B|A, B: its title"},
  };
  for (const Case& c : read) {
    const ContactReading r = ReadContacts(c.bytes);
    ASSERT_TRUE(r.ok()) << S(r.error);
    ASSERT_EQ(r.entries.size(), 1u);
    EXPECT_EQ(r.entries[0].Key() + QLatin1Char('|') + r.left_out.join(QLatin1Char('|')),
              QString::fromUtf8(c.says));
  }
  EXPECT_EQ(ReadContacts(read[1].bytes).entries[0].notes, QStringLiteral("a – b"));
  // An empty file holds no cards, which is no error.
  EXPECT_TRUE(vcard::Read("").ok());
  EXPECT_TRUE(vcard::Read("\r\n\r\n").cards.empty());
}

TEST(VcardWriteTest, FoldsAt75OctetsWithoutSplittingACharacter) {
  for (const QString& unit :
       {QStringLiteral("a"), QStringLiteral("é"), QStringLiteral("李"), QStringLiteral("😀")}) {
    for (int n : {10, 74, 75, 76, 200}) {
      QString value;
      for (int i = 0; i < n; ++i) value += unit;
      const QByteArray folded = vcard::FoldLine(QStringLiteral("NOTE:") + value);
      for (const QByteArray& line : folded.split('\n')) {
        EXPECT_LE(line.size(), 76);  // 75 octets and the CR
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString decoded = utf8.decode(line);
        Q_UNUSED(decoded);
        EXPECT_FALSE(utf8.hasError()) << "a character was split";
      }
      const vcard::ReadResult r =
          vcard::Read("BEGIN:VCARD\r\nVERSION:3.0\r\n" + folded + "END:VCARD\r\n");
      ASSERT_TRUE(r.ok());
      EXPECT_EQ(r.cards[0].First(QStringLiteral("NOTE"))->Text(), value);
    }
  }
  const QString tricky = QStringLiteral("a,b;c\\d\r\ne\nf\rg");
  EXPECT_EQ(vcard::Escape(tricky), QStringLiteral("a\\,b\\;c\\\\d\\ne\\nf\\ng"));
  EXPECT_EQ(vcard::Unescape(vcard::Escape(tricky)), QStringLiteral("a,b;c\\d\ne\nf\ng"));
}

AddressEntry FullEntry() {
  AddressEntry e;
  e.name = QStringLiteral("Zoë");
  e.surname = QStringLiteral("O'Brien, Jr; the 2nd");
  e.address = QStringLiteral("12 Rue de l'Église\r\n75001 Paris\r\nFrance");
  e.phones = {QStringLiteral("+33 1 23 45"), QStringLiteral("work 1"), QStringLiteral("work 2"),
              QStringLiteral("06 12 34"),    QStringLiteral("fax"),    QStringLiteral("other")};
  e.birthday_date = QStringLiteral("05/03/1975");
  e.birthday_flag = QStringLiteral("1");
  e.email = QStringLiteral("zoe@example.org");
  e.home_page = QStringLiteral("https://example.org/~zoe");
  e.notes = QStringLiteral("Likes €uro coins;\r\nsecond line, with comma");
  return e;
}

void ExpectSameEntry(const AddressEntry& a, const AddressEntry& b) {
  EXPECT_EQ(a.Fields(), b.Fields()) << S(a.Key()) << " / " << S(b.Key());
}

TEST(ContactMappingTest, AnEntryComesBackFromItsCardUnchanged) {
  const AddressEntry e = FullEntry();
  const QByteArray card = WriteContact(e);
  EXPECT_TRUE(card.contains("N:O'Brien\\, Jr\\; the 2nd;Zoë;;;\r\n"));
  EXPECT_TRUE(card.contains("TEL;TYPE=CELL,VOICE:06 12 34\r\n"));
  EXPECT_TRUE(card.contains("BDAY;VALUE=DATE:1975-03-05\r\n"));
  EXPECT_TRUE(card.contains(("UID:" + ContactUid(e.Key())).toUtf8()));
  const ContactReading r = ReadContacts(card, QDate(2026, 1, 7));
  ASSERT_TRUE(r.ok()) << S(r.error);
  ASSERT_EQ(r.entries.size(), 1u);
  ExpectSameEntry(r.entries[0], e);
  EXPECT_TRUE(r.left_out.isEmpty()) << S(r.left_out.join('|'));

  // Without a birthday the date text is the day of the import, as the
  // editor presets it, and the flag is off.
  AddressEntry plain;
  plain.surname = QStringLiteral("Smith");
  plain.birthday_date = QStringLiteral("07/01/2026");
  const ContactReading p = ReadContacts(WriteContacts({plain, e}), QDate(2026, 1, 7));
  ASSERT_EQ(p.entries.size(), 2u);
  ExpectSameEntry(p.entries[0], plain);
  EXPECT_EQ(p.entries[0].Key(), QStringLiteral("Smith, "));
}

TEST(ContactMappingTest, CardsOfOtherProgramsMapHonestly) {
  const ContactReading r = ReadContacts(
      "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Anna Maria Lopez\r\n"  // no N: taken from FN
      "TEL;TYPE=WORK:1\r\nTEL;TYPE=WORK:2\r\nTEL;TYPE=WORK:3\r\nTEL;TYPE=WORK:4\r\n"
      "EMAIL:second@example.org\r\nEMAIL;TYPE=PREF:first@example.org\r\n"
      "ORG:Acme\r\nBDAY:--0305\r\nEND:VCARD\r\n"
      "BEGIN:VCARD\r\nVERSION:3.0\r\nORG:Acme Plumbing\r\nTEL:555\r\nEND:VCARD\r\n"
      "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Averyveryverylongsurname;X\r\nEND:VCARD\r\n"
      "BEGIN:VCARD\r\nVERSION:3.0\r\nN:\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD\xD0\xBE\xD0\xB2;\r\nEND:"
      "VCARD\r\n"
      "BEGIN:VCARD\r\nVERSION:3.0\r\nNOTE:nobody\r\nEND:VCARD\r\n",
      QDate(2026, 1, 7));
  ASSERT_TRUE(r.ok());
  ASSERT_EQ(r.entries.size(), 2u);
  const AddressEntry& anna = r.entries[0];
  EXPECT_EQ(anna.Key(), QStringLiteral("Lopez, Anna Maria"));
  EXPECT_EQ(anna.phones[1], QStringLiteral("1"));
  EXPECT_EQ(anna.phones[2], QStringLiteral("2"));
  EXPECT_EQ(anna.phones[5], QStringLiteral("3"));  // the other-phone box takes the third
  EXPECT_EQ(anna.email, QStringLiteral("first@example.org"));
  EXPECT_EQ(anna.birthday_flag, QStringLiteral("0"));
  const QString left = r.left_out.join(QLatin1Char('|'));
  EXPECT_TRUE(left.contains(QStringLiteral("telephone number 4"))) << S(left);
  EXPECT_TRUE(left.contains(QStringLiteral("second@example.org"))) << S(left);
  EXPECT_TRUE(left.contains(QStringLiteral("organisation"))) << S(left);
  EXPECT_TRUE(left.contains(QStringLiteral("its birthday --0305 (5 March, without a year")))
      << S(left);
  EXPECT_EQ(r.entries[1].Key(), QStringLiteral("Acme Plumbing, "));
  EXPECT_EQ(r.entries[1].phones[5], QStringLiteral("555"));

  ASSERT_EQ(r.skipped.size(), 3u);
  EXPECT_TRUE(r.skipped[0].reason.contains(QStringLiteral("longer than 20")))
      << S(r.skipped[0].reason);
  EXPECT_TRUE(r.skipped[1].reason.contains(QStringLiteral("cannot store")))
      << S(r.skipped[1].reason);
  EXPECT_EQ(r.skipped[2].reason, QStringLiteral("it has no name"));
}

// A number read from a tel: URI with an extension, edited here: the patch
// rewrites that very TEL line, never adds a second one beside it.
TEST(ContactMappingTest, AnEditedExtensionNumberReplacesItsOwnLine) {
  const QByteArray card =
      "BEGIN:VCARD\r\nVERSION:4.0\r\nUID:ext\r\nFN:Ann Lee\r\nN:Lee;Ann;;;\r\n"
      "TEL;VALUE=uri;TYPE=work:tel:+1-418-656-9254;ext=102\r\nTEL;TYPE=cell:tel:+1-555-0100\r\n"
      "END:VCARD\r\n";
  const ContactReading read = ReadContacts(card, QDate(2026, 1, 7));
  ASSERT_TRUE(read.ok());
  ASSERT_EQ(read.entries.size(), 1u);
  const AddressEntry before = read.entries[0];
  ASSERT_TRUE(before.phones[1].endsWith(QStringLiteral("102"))) << S(before.phones[1]);
  for (int field : {1, 3}) {
    SCOPED_TRACE(field);
    AddressEntry after = before;
    after.phones[field] = QStringLiteral("+1 418 000");
    const std::optional<QByteArray> patched = PatchCard(card, before, after);
    ASSERT_TRUE(patched);
    EXPECT_EQ(patched->count("TEL"), 2) << patched->toStdString();
    EXPECT_TRUE(patched->contains("+1 418 000")) << patched->toStdString();
    EXPECT_EQ(patched->contains("ext=102"), field != 1) << patched->toStdString();
  }
}

}  // namespace
}  // namespace quorvel::interchange
