#include <gtest/gtest.h>

#include "events/event_file.h"
#include "items/address_file.h"
#include "items/appointment_file.h"
#include "items/note_file.h"
#include "search/fold.h"
#include "search/search.h"
#include "store/text_codec.h"
#include "test_support.h"

namespace quorvel::testing {
namespace {

using search::Kind;
using search::Mark;
using search::Query;

bool Finds(const QString& typed, const QString& stored) {
  std::string folded;
  search::AppendFolded(*store::EncodeText(stored), folded);
  return Query(typed).Matches(folded);
}

// ------------------------------------------------------------ matching rules

TEST(SearchMatching, CaseAndAccentsDoNotCountEitherWay) {
  EXPECT_TRUE(Finds(QStringLiteral("jose"), QStringLiteral("Jos\u00e9 Garc\u00eda")));
  EXPECT_TRUE(Finds(QStringLiteral("JOS\u00c9"), QStringLiteral("jose")));
  EXPECT_TRUE(Finds(QStringLiteral("garcia"), QStringLiteral("GARC\u00cdA")));
  EXPECT_TRUE(Finds(QStringLiteral("muller"), QStringLiteral("M\u00fcller")));
  EXPECT_TRUE(Finds(QStringLiteral("\u00e7a"), QStringLiteral("Ca va")));
  EXPECT_TRUE(Finds(QStringLiteral("zurich"), QStringLiteral("Z\u00dcRICH")));
  // Letters that stand for two are the two.
  EXPECT_TRUE(Finds(QStringLiteral("strasse"), QStringLiteral("Hauptstra\u00dfe 5")));
  EXPECT_TRUE(Finds(QStringLiteral("Stra\u00dfe"), QStringLiteral("HAUPTSTRASSE 5")));
  EXPECT_TRUE(Finds(QStringLiteral("oeuvre"), QStringLiteral("\u0152uvre")));
  EXPECT_TRUE(Finds(QStringLiteral("aesop"), QStringLiteral("\u00c6sop")));
  // A capital sharp s, which the files cannot hold, is still ss.
  EXPECT_TRUE(Finds(QStringLiteral("STRA\u1e9eE"), QStringLiteral("strasse")));
  // Umlauts are their plain letters, not the two-letter spelling.
  EXPECT_FALSE(Finds(QStringLiteral("mueller"), QStringLiteral("M\u00fcller")));
  EXPECT_FALSE(Finds(QStringLiteral("jose"), QStringLiteral("Josa")));
}

TEST(SearchMatching, EveryWordMustOccurAnywhereAndQuotesMakeOnePhrase) {
  EXPECT_TRUE(Finds(QStringLiteral("list shopping"), QStringLiteral("Shopping: a long list")));
  EXPECT_FALSE(
      Finds(QStringLiteral("list shopping bread"), QStringLiteral("Shopping: a long list")));
  EXPECT_TRUE(Finds(QStringLiteral("  shop   LIST "), QStringLiteral("Shopping: a long list")));
  EXPECT_TRUE(Finds(QStringLiteral("\"long list\""), QStringLiteral("Shopping: a long list")));
  EXPECT_FALSE(Finds(QStringLiteral("\"list long\""), QStringLiteral("Shopping: a long list")));
  // A phrase spans a line break, as the text reads.
  EXPECT_TRUE(Finds(QStringLiteral("\"shopping list\""), QStringLiteral("Shopping\r\nlist")));
  EXPECT_TRUE(Finds(QStringLiteral("\u201elong list\u201c"), QStringLiteral("a long  list")));
  // Nothing typed finds nothing, and is not "impossible".
  EXPECT_TRUE(Query(QStringLiteral("   ")).empty());
  EXPECT_FALSE(Query(QStringLiteral("   ")).impossible());
  EXPECT_FALSE(Finds(QString(), QStringLiteral("anything")));
}

TEST(SearchMatching, WindowsCodePageSignsAndLettersAreFound) {
  // The bytes 0x80 to 0x9f hold letters and signs of their own.
  EXPECT_TRUE(Finds(QStringLiteral("\u20ac 20"), QStringLiteral("Costs \u20ac 20")));
  EXPECT_TRUE(Finds(QStringLiteral("sarka"), QStringLiteral("\u0160\u00e1rka")));
  EXPECT_TRUE(Finds(QStringLiteral("zizek"), QStringLiteral("\u017di\u017eek")));
  // Curly quotes and dashes as typed plainly.
  EXPECT_TRUE(Finds(QStringLiteral("o'brien"), QStringLiteral("O\u2019Brien")));
  EXPECT_TRUE(Finds(QStringLiteral("\u2019s"), QStringLiteral("it's")));
  EXPECT_TRUE(Finds(QStringLiteral("9-5"), QStringLiteral("9\u20135")));
  // Typed letters the files cannot hold: their plain letters where they
  // have one; otherwise nothing can match.
  EXPECT_TRUE(Finds(QStringLiteral("T\u014dky\u014d"), QStringLiteral("Tokyo")));
  EXPECT_TRUE(Query(QStringLiteral("\u65e5\u672c")).impossible());
  EXPECT_FALSE(Finds(QStringLiteral("\u65e5\u672c tokyo"), QStringLiteral("Tokyo")));
}

TEST(SearchMatching, TheFoldTableIsStableAndNeverMakesTheFieldSeparator) {
  for (int b = 0; b < 256; ++b) {
    const search::FoldedByte& once = search::FoldOf(static_cast<unsigned char>(b));
    ASSERT_GE(once.size, 1) << b;
    std::string again;
    search::AppendFolded(QByteArrayView(once.bytes, once.size), again);
    std::string first(once.bytes, once.size);
    EXPECT_EQ(again, first) << "byte " << b;
    EXPECT_EQ(first.find('\0'), std::string::npos) << "byte " << b;
  }
  // Folding a text (eight bytes at a time where it can) is folding it byte
  // by byte through the table, runs of spaces made one, also across calls.
  const char alphabet[] = {'a',  'z',    'A',    'Z',    '@',    '[',    '`',    '{',
                           '~',  '0',    ' ',    ' ',    ' ',    '\r',   '\n',   '\t',
                           '\0', '\x7f', '\x80', '\x8a', '\xa0', '\xc0', '\xdf', '\xe9'};
  std::uint32_t seed = 2026;
  for (int round = 0; round < 20000; ++round) {
    std::string text;
    seed = seed * 1664525 + 1013904223;
    const int length = int(seed >> 26);
    for (int i = 0; i < length; ++i) {
      seed = seed * 1664525 + 1013904223;
      text.push_back(alphabet[(seed >> 16) % sizeof(alphabet)]);
    }
    const std::string prefix = round % 2 ? "x " : "x";
    std::string expected = prefix;
    for (const char c : text) {
      const search::FoldedByte& f = search::FoldOf(static_cast<unsigned char>(c));
      if (f.size == 1 && f.bytes[0] == ' ' && expected.back() == ' ') continue;
      expected.append(f.bytes, f.size);
    }
    std::string folded = prefix;
    search::AppendFolded(QByteArrayView(text.data(), qsizetype(text.size())), folded);
    ASSERT_EQ(folded, expected) << QByteArray::fromStdString(text).toHex().toStdString();
  }
}

TEST(SearchMatching, MarksCoverWhatMatchedInTheStoredCharacters) {
  EXPECT_EQ(search::MarksIn(QStringLiteral("Hauptstra\u00dfe"), Query(QStringLiteral("strasse"))),
            (QList<Mark>{{5, 6}}));
  // "s" is half of the sharp s: the whole letter is marked.
  EXPECT_EQ(search::MarksIn(QStringLiteral("a\u00dfb"), Query(QStringLiteral("s"))),
            (QList<Mark>{{1, 1}}));
  // Every occurrence of every word, overlaps merged.
  EXPECT_EQ(search::MarksIn(QStringLiteral("Anna and Hanna"), Query(QStringLiteral("ann nna"))),
            (QList<Mark>{{0, 4}, {10, 4}}));
}

// ------------------------------------------------------------ the files

class SearchFiles : public AppFixture {
 protected:
  void Appointment(const QString& id, const QString& subject, const QString& start,
                   const QString& description = QString()) {
    ASSERT_TRUE(AddAppointment(files(), quorvel::Appointment{id, subject, start, start, false,
                                                             QStringLiteral("15"), description})
                    .stored());
  }
  void Entry(const QString& surname, const QString& name, const QString& notes = QString(),
             const QString& birthday = QString(), bool flag = false) {
    AddressEntry e;
    e.surname = surname;
    e.name = name;
    e.notes = notes;
    e.birthday_date = birthday;
    e.birthday_flag = flag ? QStringLiteral("1") : QStringLiteral("0");
    ASSERT_TRUE(AddAddressEntry(files(), e).stored());
  }
  // Stores an event of one VEVENT with `lines`, its UID `uid`.
  void Event(const QString& uid, const QString& lines) {
    store::Operation op(files());
    ASSERT_EQ(events::PutEvent(op, ("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\n"
                                    "BEGIN:VEVENT\r\nUID:" +
                                    uid + "\r\nDTSTAMP:20260101T000000Z\r\n" + lines +
                                    "END:VEVENT\r\nEND:VCALENDAR\r\n")
                                       .toUtf8()),
              events::PutResult::kStored);
    ASSERT_TRUE(op.Commit().stored());
  }
  search::Results Find(const QString& typed) {
    return search::Search(files(), Query(typed), QDate(2026, 1, 7));
  }
  static QStringList Titles(const search::MatchList& matches) {
    QStringList titles;
    for (const search::Match& m : matches) titles.append(m.title);
    return titles;
  }
};

TEST_F(SearchFiles, EachKindIsSearchedInItsOwnTexts) {
  Appointment(QStringLiteral("20260110-1"), QStringLiteral("Dentist"), QStringLiteral("09:00"),
              QStringLiteral("Bring the X-ray"));
  ASSERT_TRUE(
      SaveNote(files(), QStringLiteral("Wi-Fi"), QStringLiteral("Password: dentist42")).stored());
  Entry(QStringLiteral("Zahn"), QStringLiteral("Dentist"), QStringLiteral("Tooth doctor"));
  const search::Results all = Find(QStringLiteral("dentist"));
  ASSERT_EQ(all.appointments.size(), 1u);
  ASSERT_EQ(all.notes.size(), 1u);
  ASSERT_EQ(all.entries.size(), 1u);
  EXPECT_EQ(all.appointments[0].identity, QStringLiteral("20260110-1"));
  EXPECT_EQ(all.appointments[0].date, QDate(2026, 1, 10));
  EXPECT_EQ(all.appointments[0].start, QStringLiteral("09:00"));
  EXPECT_EQ(all.notes[0].identity, QStringLiteral("Wi-Fi"));
  EXPECT_EQ(all.entries[0].identity, QStringLiteral("Zahn, Dentist"));
  EXPECT_EQ(all.entries[0].group, QStringLiteral("XYZ"));
  // Description, note body and entry notes are searched; the start time is not.
  EXPECT_EQ(Find(QStringLiteral("x-ray")).appointments.size(), 1u);
  EXPECT_EQ(Find(QStringLiteral("password")).notes.size(), 1u);
  EXPECT_EQ(Find(QStringLiteral("tooth")).entries.size(), 1u);
  EXPECT_TRUE(Find(QStringLiteral("09:00")).empty());
  // Words may match in different texts of one item, never across items.
  EXPECT_EQ(Find(QStringLiteral("zahn tooth")).entries.size(), 1u);
  EXPECT_TRUE(Find(QStringLiteral("x-ray password")).empty());
}

TEST_F(SearchFiles, ABirthdayIsSearchedOnlyWhenItIsSet) {
  Entry(QStringLiteral("Adams"), QStringLiteral("Ann"), QString(), QStringLiteral("07/01/1980"),
        true);
  // The editor stores a date even when no birthday is ticked.
  Entry(QStringLiteral("Brown"), QStringLiteral("Bob"), QString(), QStringLiteral("07/01/1980"),
        false);
  EXPECT_EQ(Titles(Find(QStringLiteral("07/01/1980")).entries),
            QStringList{QStringLiteral("Adams, Ann")});
}

TEST_F(SearchFiles, StoredWindowsCodePageBytesAreFoundAndMarked) {
  // Bytes as another program may have written them: 0x8a (S caron), 0x9c
  // (oe), 0x92 (right quote), 0xdf (sharp s), 0xe9 (e acute).
  {
    store::Operation op(files());
    op.WriteText(store::Channel::kNotes, 1, QStringLiteral("\u0160koda"));
    op.WriteText(store::Channel::kNotes, 2,
                 QStringLiteral("c\u0153ur d\u2019\u00e9t\u00e9, Stra\u00dfe"));
    op.WriteCount(store::Channel::kNotes, 1);
    ASSERT_TRUE(op.Commit().stored());
  }
  ASSERT_EQ(RecordBytes(Path("Notes.dat"), 500, 2).mid(2, 4), QByteArray("c\x9cur"));
  const Query query(QStringLiteral("skoda coeur d'ete strasse"));
  const search::Results found = search::Search(files(), query, QDate(2026, 1, 7));
  ASSERT_EQ(found.notes.size(), 1u);
  const search::Excerpt excerpt = search::Describe(files(), found.notes[0], query);
  EXPECT_EQ(excerpt.title, QStringLiteral("\u0160koda"));
  EXPECT_EQ(excerpt.title_marks, (QList<Mark>{{0, 5}}));
  EXPECT_EQ(excerpt.text, QStringLiteral("c\u0153ur d\u2019\u00e9t\u00e9, Stra\u00dfe"));
  EXPECT_EQ(excerpt.text_marks, (QList<Mark>{{0, 4}, {5, 5}, {12, 6}}));
}

TEST_F(SearchFiles, AppointmentsComeNearestUpcomingFirstThenTheLatestPast) {
  // Today is 07/01/2026.
  Appointment(QStringLiteral("20251201-1"), QStringLiteral("Call Dec 1"), QStringLiteral("09:00"));
  Appointment(QStringLiteral("20260201-1"), QStringLiteral("Call Feb 1"), QStringLiteral("09:00"));
  Appointment(QStringLiteral("20260107-1"), QStringLiteral("Call today late"),
              QStringLiteral("16:00"));
  Appointment(QStringLiteral("20260107-2"), QStringLiteral("Call today early"),
              QStringLiteral("08:00"));
  Appointment(QStringLiteral("20251220-1"), QStringLiteral("Call Dec 20"), QStringLiteral("09:00"));
  Appointment(QStringLiteral("20260110-1"), QStringLiteral("Call Jan 10"), QStringLiteral("09:00"));
  Appointment(QStringLiteral("20251220-2"), QStringLiteral("Call Dec 20 early"),
              QStringLiteral("08:00"));
  // A past day lists its appointments as on that day.
  EXPECT_EQ(Titles(Find(QStringLiteral("call")).appointments),
            (QStringList{QStringLiteral("Call today early"), QStringLiteral("Call today late"),
                         QStringLiteral("Call Jan 10"), QStringLiteral("Call Feb 1"),
                         QStringLiteral("Call Dec 20 early"), QStringLiteral("Call Dec 20"),
                         QStringLiteral("Call Dec 1")}));
}

TEST_F(SearchFiles, EventsAreFoundAsAppointmentsOnTheirNearestOccurrence) {
  // Today is Wednesday 07/01/2026.
  Event(QStringLiteral("yoga"),
        QStringLiteral("DTSTART:20251201T180000\r\nDTEND:20251201T190000\r\n"
                       "RRULE:FREQ=WEEKLY\r\nSUMMARY:Yoga class \u262f\r\n"
                       "DESCRIPTION:Bring the mat \u262f please\r\n"
                       "LOCATION:Gym Z\u00fcrich\r\n"));
  Event(QStringLiteral("ski"),
        QStringLiteral("DTSTART;VALUE=DATE:20260105\r\nDTEND;VALUE=DATE:20260110\r\n"
                       "SUMMARY:Ski class\r\n"));
  Event(QStringLiteral("old"),
        QStringLiteral("DTSTART:20250101T100000\r\nRRULE:FREQ=WEEKLY;COUNT=3\r\n"
                       "SUMMARY:Old class\r\n"));
  Event(QStringLiteral("reunion"),
        QStringLiteral("DTSTART:20300601T190000\r\nSUMMARY:Class reunion\r\n"));
  Appointment(QStringLiteral("20260112-1"), QStringLiteral("Class A"), QStringLiteral("09:00"));
  Appointment(QStringLiteral("20260112-2"), QStringLiteral("Class B"), QStringLiteral("18:00"));
  Appointment(QStringLiteral("20260107-1"), QStringLiteral("Class today"), QStringLiteral("08:00"));
  Appointment(QStringLiteral("20251220-1"), QStringLiteral("Class Dec"), QStringLiteral("09:00"));
  // Among the appointments as the days list them: one under way today on
  // today, all day first; a series on its next occurrence, after an
  // appointment at the same time; a far one; then the past, an ended
  // series on its last occurrence.
  const search::Results found = Find(QStringLiteral("class"));
  EXPECT_EQ(Titles(found.appointments),
            (QStringList{QStringLiteral("Ski class"), QStringLiteral("Class today"),
                         QStringLiteral("Class A"), QStringLiteral("Class B"),
                         QStringLiteral("Yoga class \u262f"), QStringLiteral("Class reunion"),
                         QStringLiteral("Class Dec"), QStringLiteral("Old class")}));
  const search::Match& ski = found.appointments[0];
  EXPECT_TRUE(ski.event && ski.all_day && !ski.repeats);
  EXPECT_EQ(ski.date, QDate(2026, 1, 7));
  EXPECT_EQ(ski.start, QString());
  const search::Match& yoga = found.appointments[4];
  EXPECT_TRUE(yoga.event && yoga.repeats && !yoga.all_day);
  EXPECT_EQ(yoga.identity, QStringLiteral("yoga"));
  EXPECT_EQ(yoga.date, QDate(2026, 1, 12));
  EXPECT_EQ(yoga.start, QStringLiteral("18:00"));
  EXPECT_EQ(yoga.instance, QStringLiteral("20260112T180000"));
  EXPECT_EQ(found.appointments[5].date, QDate(2030, 6, 1));
  EXPECT_EQ(found.appointments[7].date, QDate(2025, 1, 15));
  EXPECT_FALSE(found.appointments[1].event);
  // Description and location are searched, accents aside, and marked in
  // the excerpt (past a character the files cannot hold); a word never
  // matches across such a character.
  EXPECT_EQ(Titles(Find(QStringLiteral("zurich mat")).appointments),
            QStringList{QStringLiteral("Yoga class \u262f")});
  const Query please(QStringLiteral("please"));
  const search::Excerpt excerpt =
      search::Describe(files(), Find(QStringLiteral("please")).appointments[0], please);
  EXPECT_EQ(excerpt.text, QStringLiteral("Bring the mat \u262f please"));
  EXPECT_EQ(excerpt.text_marks, (QList<Mark>{{16, 6}}));
  EXPECT_TRUE(Find(QStringLiteral("\"mat please\"")).empty());
  EXPECT_TRUE(Find(QStringLiteral("19:00")).empty());
}

TEST_F(SearchFiles, NotesByTitleAndEntriesByLetterGroupAsTheBookListsThem) {
  for (const char* title : {"fig",
                            "\xc3\x89"
                            "clair",
                            "apple", "Dog", "echo"}) {
    ASSERT_TRUE(SaveNote(files(), QString::fromUtf8(title), QStringLiteral("fruit")).stored());
  }
  EXPECT_EQ(Titles(Find(QStringLiteral("fruit")).notes),
            (QStringList{QStringLiteral("apple"), QStringLiteral("Dog"), QStringLiteral("echo"),
                         QStringLiteral("\u00c9clair"), QStringLiteral("fig")}));
  Entry(QStringLiteral("zebra"), QStringLiteral("Z"),
        QStringLiteral("friend"));  // lower case: no group
  Entry(QStringLiteral("Young"), QStringLiteral("Y"), QStringLiteral("friend"));
  Entry(QStringLiteral("42nd"), QStringLiteral("S"), QStringLiteral("friend"));
  Entry(QStringLiteral("Baker"), QStringLiteral("B"), QStringLiteral("friend"));
  Entry(QStringLiteral("Xu"), QStringLiteral("X"), QStringLiteral("friend"));
  const search::Results found = Find(QStringLiteral("friend"));
  EXPECT_EQ(
      Titles(found.entries),
      (QStringList{QStringLiteral("Baker, B"), QStringLiteral("Xu, X"), QStringLiteral("Young, Y"),
                   QStringLiteral("42nd, S"), QStringLiteral("zebra, Z")}));
  EXPECT_EQ(found.entries.back().group, QString());
}

TEST_F(SearchFiles, AFoldedCopyReadInStepsFindsWhatTheFilesHoldAfterEveryChange) {
  {
    store::Operation op(files());
    for (int i = 0; i < 300; ++i) {
      op.WriteText(store::Channel::kNotes, 3 * i + 1, QStringLiteral("Note %1").arg(i));
      op.WriteText(store::Channel::kNotes, 3 * i + 2,
                   i % 7 == 0 ? QStringLiteral("the key word") : QStringLiteral("other"));
    }
    op.WriteCount(store::Channel::kNotes, 300);
    ASSERT_TRUE(op.Commit().stored());
  }
  const Query query(QStringLiteral("key"));
  const QDate today(2026, 1, 7);
  search::FoldedCopy copy(files());
  const int listener =
      files().AddChangeListener([&copy](store::ChangedFiles c) { copy.Outdate(c); });
  int steps = 1;
  while (!copy.Update(0)) ++steps;
  EXPECT_GT(steps, 2);  // a zero budget stops after every run of records
  const search::Results before = copy.Find(query, today);
  EXPECT_EQ(Titles(before.notes), Titles(search::Search(files(), query, today).notes));
  EXPECT_EQ(before.notes.size(), 43u);
  // A copy read again takes over the items that did not change (also
  // those one place away, after an item came or went): what it finds is
  // what a fresh search finds, each item where it now lies.
  const auto same_as_fresh = [&](const char* after) {
    const Query every(QStringLiteral("e"));
    const search::Results kept = copy.Find(every, today);
    const search::Results fresh = search::Search(files(), every, today);
    EXPECT_EQ(Titles(kept.notes), Titles(fresh.notes)) << after;
    for (std::size_t i = 0; i < kept.notes.size() && i < fresh.notes.size(); ++i) {
      EXPECT_EQ(kept.notes[i].item, fresh.notes[i].item) << after << " " << i;
    }
  };
  // Each change is found at once; results found before stay as they were.
  ASSERT_TRUE(SaveNote(files(), QStringLiteral("Another"), QStringLiteral("a key")).stored());
  EXPECT_FALSE(copy.current());
  EXPECT_EQ(copy.Find(query, today).notes.size(), 44u);
  same_as_fresh("a note added first");
  ASSERT_TRUE(SaveNote(files(), QStringLiteral("Note 5"), QStringLiteral("now a key")).stored());
  EXPECT_EQ(copy.Find(query, today).notes.size(), 45u);
  same_as_fresh("a note's text changed in place");
  {
    // A title changed: the item sorts elsewhere.
    store::Operation op(files());
    op.WriteText(store::Channel::kNotes, 3 * 10 + 1, QStringLiteral("Zz last"));
    ASSERT_TRUE(op.Commit().stored());
  }
  same_as_fresh("a note's title changed");
  ASSERT_TRUE(SaveNote(files(), QStringLiteral("Note 5"), QStringLiteral("other")).stored());
  EXPECT_EQ(copy.Find(query, today).notes.size(), 44u);
  EXPECT_EQ(before.notes.size(), 43u);
  EXPECT_EQ(before.notes[0].title, QStringLiteral("Note 0"));
  ASSERT_TRUE(DeleteNote(files(), 0).stored());
  Appointment(QStringLiteral("20260110-1"), QStringLiteral("Key handover"),
              QStringLiteral("09:00"));
  Entry(QStringLiteral("Keyes"), QStringLiteral("K"));
  const search::Results after = copy.Find(query, today);
  EXPECT_EQ(after.notes.size(), 43u);
  EXPECT_EQ(Titles(after.appointments), QStringList{QStringLiteral("Key handover")});
  EXPECT_EQ(Titles(after.entries), QStringList{QStringLiteral("Keyes, K")});
  // A copy let go is read again.
  copy.Clear();
  EXPECT_FALSE(copy.current());
  EXPECT_EQ(copy.Find(query, today).size(), 45u);
  // An event added, changed, removed; and dated again on another day.
  Event(QStringLiteral("e"),
        QStringLiteral("DTSTART;VALUE=DATE:20260101\r\nRRULE:FREQ=MONTHLY\r\nSUMMARY:Key day\r\n"));
  EXPECT_FALSE(copy.current());
  search::Results events = copy.Find(query, today);
  ASSERT_EQ(Titles(events.appointments),
            (QStringList{QStringLiteral("Key handover"), QStringLiteral("Key day")}));
  EXPECT_EQ(events.appointments[1].date, QDate(2026, 2, 1));
  EXPECT_EQ(copy.Find(query, QDate(2026, 2, 2)).appointments[0].date, QDate(2026, 3, 1));
  Event(
      QStringLiteral("e"),
      QStringLiteral("DTSTART;VALUE=DATE:20260101\r\nRRULE:FREQ=MONTHLY\r\nSUMMARY:Lock day\r\n"));
  EXPECT_EQ(Titles(copy.Find(query, today).appointments),
            QStringList{QStringLiteral("Key handover")});
  EXPECT_EQ(Titles(copy.Find(Query(QStringLiteral("lock")), today).appointments),
            QStringList{QStringLiteral("Lock day")});
  EXPECT_EQ(Titles(events.appointments)[1], QStringLiteral("Key day"));
  {
    store::Operation op(files());
    ASSERT_TRUE(events::RemoveEvent(op, QStringLiteral("e")));
    ASSERT_TRUE(op.Commit().stored());
  }
  EXPECT_TRUE(copy.Find(Query(QStringLiteral("lock")), today).empty());
  files().RemoveChangeListener(listener);
}

TEST_F(SearchFiles, AnExcerptIsCutAroundTheMatchAndSaysWhenTheItemHasGone) {
  QString body;
  for (int i = 0; i < 40; ++i) body += QStringLiteral("word%1 ").arg(i);
  body += QStringLiteral("needle");
  ASSERT_TRUE(SaveNote(files(), QStringLiteral("Long"), body).stored());
  const Query query(QStringLiteral("needle"));
  const search::Results found = Find(QStringLiteral("needle"));
  ASSERT_EQ(found.notes.size(), 1u);
  const search::Excerpt excerpt = search::Describe(files(), found.notes[0], query);
  EXPECT_TRUE(excerpt.text.startsWith(QStringLiteral("\u2026word")));
  EXPECT_TRUE(excerpt.text.endsWith(QStringLiteral("needle")));
  ASSERT_EQ(excerpt.text_marks.size(), 1);
  EXPECT_EQ(excerpt.text.mid(excerpt.text_marks[0].start, excerpt.text_marks[0].length),
            QStringLiteral("needle"));
  ASSERT_TRUE(DeleteNote(files(), 0).stored());
  EXPECT_FALSE(search::Describe(files(), found.notes[0], query).found);
}

}  // namespace
}  // namespace quorvel::testing
