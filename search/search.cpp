#include "search/search.h"

#include <algorithm>
#include <tuple>

#include "search/fold.h"
#include "search/kept_events.h"
#include "search/layouts.h"
#include "store/record_codec.h"
#include "store/scan.h"
#include "store/text_codec.h"
#include "store/trim.h"

namespace quorvel::search {
namespace {

using store::Channel;

// Characters shown of a long text around its first mark.
constexpr int kExcerptLength = 100;
constexpr int kExcerptLead = 30;

bool IsQuote(QChar c) { return c == u'"' || c == u'\u201c' || c == u'\u201d' || c == u'\u201e'; }

// Runs of spaces, tabs and line breaks as one space, for a one-line excerpt.
QString OneLine(const QString& text) {
  QString out;
  out.reserve(text.size());
  bool space = false;
  for (const QChar c : text) {
    if (c.isSpace()) {
      if (!space && !out.isEmpty()) out += QLatin1Char(' ');
      space = true;
    } else {
      out += c;
      space = false;
    }
  }
  while (out.endsWith(QLatin1Char(' '))) out.chop(1);
  return out;
}

// `text` cut to about kExcerptLength characters around its first mark.
void CutAround(QString& text, QList<Mark>& marks) {
  if (text.size() <= kExcerptLength) return;
  int begin = marks.isEmpty() ? 0 : std::max(0, marks.front().start - kExcerptLead);
  if (begin > 0) {
    // Start at a word where one starts close by.
    const int space = int(text.indexOf(QLatin1Char(' '), begin));
    if (space >= 0 && space < begin + 12 && (marks.isEmpty() || space < marks.front().start)) {
      begin = space + 1;
    }
  }
  const int end = std::min(int(text.size()), begin + kExcerptLength);
  const QString lead = begin > 0 ? QStringLiteral("\u2026") : QString();
  const QString tail = end < text.size() ? QStringLiteral("\u2026") : QString();
  QList<Mark> kept;
  for (const Mark& m : marks) {
    const int s = std::max(m.start, begin);
    const int e = std::min(m.start + m.length, end);
    if (e > s) kept.append(Mark{int(s - begin + lead.size()), e - s});
  }
  text = lead + text.mid(begin, end - begin) + tail;
  marks = kept;
}

}  // namespace

// ------------------------------------------------------------ the query

Query::Query(const QString& typed) : typed_(typed) {
  QStringList tokens;
  QString token;
  bool quoted = false;
  for (const QChar c : typed) {
    if (IsQuote(c)) {
      tokens.append(token);
      token.clear();
      quoted = !quoted;
    } else if (!quoted && c.isSpace()) {
      tokens.append(token);
      token.clear();
    } else {
      token += c;
    }
  }
  tokens.append(token);
  for (const QString& t : tokens) {
    const std::optional<std::string> word = FoldTyped(t);
    if (!word) {
      impossible_ = true;
      continue;
    }
    if (!word->empty() && std::find(words_.begin(), words_.end(), *word) == words_.end()) {
      words_.push_back(*word);
    }
  }
  // The longest word first: it rules out the most items soonest.
  std::stable_sort(words_.begin(), words_.end(),
                   [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
}

bool Query::Matches(std::string_view folded) const {
  if (impossible_ || words_.empty()) return false;
  for (const std::string& word : words_) {
    if (memmem(folded.data(), folded.size(), word.data(), word.size()) == nullptr) return false;
  }
  return true;
}

QList<Mark> MarksIn(const QString& text, const Query& query) {
  QList<Mark> marks;
  if (query.impossible()) return marks;
  // An event's words may hold characters the files cannot.
  const FoldedText folded = FoldWithOrigins(HeldBytes(text));
  std::vector<std::pair<int, int>> spans;  // [begin, end) in characters
  for (const std::string& word : query.words()) {
    for (std::size_t at = folded.text.find(word); at != std::string::npos;
         at = folded.text.find(word, at + 1)) {
      spans.emplace_back(folded.from[at], folded.from[at + word.size() - 1] + 1);
    }
  }
  std::sort(spans.begin(), spans.end());
  for (const auto& [begin, end] : spans) {
    if (!marks.isEmpty() && begin <= marks.back().start + marks.back().length) {
      marks.back().length = std::max(marks.back().length, end - marks.back().start);
    } else {
      marks.append(Mark{begin, end - begin});
    }
  }
  return marks;
}

// ------------------------------------------------------------ letter groups

const QStringList& LetterGroups() {
  static const QStringList groups = {
      QStringLiteral("A"),  QStringLiteral("B"), QStringLiteral("C"),   QStringLiteral("D"),
      QStringLiteral("E"),  QStringLiteral("F"), QStringLiteral("G"),   QStringLiteral("H"),
      QStringLiteral("I"),  QStringLiteral("J"), QStringLiteral("K"),   QStringLiteral("L"),
      QStringLiteral("M"),  QStringLiteral("N"), QStringLiteral("O"),   QStringLiteral("P"),
      QStringLiteral("QR"), QStringLiteral("S"), QStringLiteral("T"),   QStringLiteral("U"),
      QStringLiteral("V"),  QStringLiteral("W"), QStringLiteral("XYZ"), QStringLiteral("123")};
  return groups;
}

QString LetterGroupOf(const QString& key) {
  if (key.isEmpty()) return QString();
  const QChar first = key.front();
  if (first >= u'0' && first <= u'9') return QStringLiteral("123");
  for (const QString& group : LetterGroups()) {
    if (group != QLatin1String("123") && group.contains(first)) return group;
  }
  return QString();
}

// ------------------------------------------------------------ the folded copy

// ------------------------------------------------------------ excerpts

namespace {

// An event's excerpt, from the texts found with it.
// The first of `texts` where a word occurs, on one line and cut around
// the marks, as `excerpt`'s text; false when no word occurs in any.
bool TakeFirstMarked(const QStringList& texts, const Query& query, Excerpt& excerpt) {
  for (const QString& said : texts) {
    QString text = OneLine(said);
    QList<Mark> marks = MarksIn(text, query);
    if (marks.isEmpty()) continue;
    CutAround(text, marks);
    excerpt.text = text;
    excerpt.text_marks = marks;
    return true;
  }
  return false;
}

Excerpt DescribeEvent(const Match& match, const Query& query) {
  Excerpt excerpt;
  excerpt.title = match.title;
  excerpt.title_marks = MarksIn(excerpt.title, query);
  if (TakeFirstMarked(match.texts, query, excerpt)) return excerpt;
  QList<Mark> none;
  excerpt.text = OneLine(match.texts.value(0));
  CutAround(excerpt.text, none);
  return excerpt;
}

}  // namespace

Excerpt Describe(const store::DataFiles& files, const Match& match, const Query& query) {
  Excerpt excerpt;
  if (match.event) return DescribeEvent(match, query);
  const Layout& layout = LayoutOf(match.kind);
  const Channel channel = layout.channel;
  const int group_size = store::Info(channel).group_size;
  excerpt.title = match.title;
  excerpt.title_marks = MarksIn(excerpt.title, query);
  if (match.item < 0 || match.item >= files.ReadCount(channel)) {
    excerpt.found = false;
    return excerpt;
  }
  const QByteArray group =
      files.ReadRecords(channel, store::FieldRecord(channel, match.item, 1), group_size);
  if (store::FieldText(channel, group.constData(), 1) != match.identity) {
    excerpt.found = false;
    return excerpt;
  }
  std::vector<int> fields;
  for (const int field : layout.texts.subspan(layout.excerpt_from)) {
    if (Searched(layout, group.constData(), field)) fields.push_back(field);
  }
  // The first text where a word occurs; else, for an appointment or a
  // note, the beginning of its text.
  QStringList texts;
  for (const int field : fields) texts.append(store::FieldText(channel, group.constData(), field));
  if (TakeFirstMarked(texts, query, excerpt)) return excerpt;
  if (match.kind != Kind::kEntry) {
    QList<Mark> none;
    excerpt.text = OneLine(store::FieldText(channel, group.constData(), fields.front()));
    CutAround(excerpt.text, none);
  }
  return excerpt;
}

}  // namespace quorvel::search
