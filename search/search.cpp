#include "search/search.h"

#include <algorithm>
#include <cstring>
#include <tuple>

#include "addressbook/address_file.h"
#include "search/fold.h"
#include "store/record_codec.h"
#include "store/scan.h"
#include "store/text_codec.h"
#include "store/trim.h"

namespace quorvel::search {
namespace {

using store::Channel;

constexpr Channel kFiles[3] = {Channel::kAppoint, Channel::kNotes, Channel::kAddBook};
// Bytes read per call: few calls, and a run is quick to compare, so the
// time a step takes stays close to its budget.
constexpr int kRunBytes = 128 * 1024;

// Appointment fields.
constexpr int kIdField = 1, kSubjectField = 2, kStartField = 3, kDescriptionField = 7;
// Note fields.
constexpr int kTitleField = 1, kBodyField = 2;

// The texts of an entry that are searched besides its names, in the order
// an excerpt is taken from them (the birthday only when it is set).
constexpr int kEntryTextFields[] = {kFieldAddress,       kFieldFirstPhone,     kFieldFirstPhone + 1,
                                    kFieldFirstPhone + 2, kFieldFirstPhone + 3, kFieldFirstPhone + 4,
                                    kFieldFirstPhone + 5, kFieldBirthdayDate,   kFieldEmail,
                                    kFieldHomePage,      kFieldNotes};

// Characters shown of a long text around its first mark.
constexpr int kExcerptLength = 100;
constexpr int kExcerptLead = 30;

bool IsQuote(QChar c) {
  return c == u'"' || c == u'\u201c' || c == u'\u201d' || c == u'\u201e';
}

std::string Folded(QByteArrayView bytes) {
  std::string out;
  AppendFolded(bytes, out);
  return out;
}

bool EntryHasBirthday(const char* group) {
  return BirthdayFlagSet(store::FieldText(Channel::kAddBook, group, kFieldBirthdayFlag));
}

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
  const std::optional<QByteArray> bytes = store::EncodeText(text);
  if (!bytes) return marks;
  const FoldedText folded = FoldWithOrigins(*bytes);
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
      QStringLiteral("A"), QStringLiteral("B"),  QStringLiteral("C"), QStringLiteral("D"),
      QStringLiteral("E"), QStringLiteral("F"),  QStringLiteral("G"), QStringLiteral("H"),
      QStringLiteral("I"), QStringLiteral("J"),  QStringLiteral("K"), QStringLiteral("L"),
      QStringLiteral("M"), QStringLiteral("N"),  QStringLiteral("O"), QStringLiteral("P"),
      QStringLiteral("QR"), QStringLiteral("S"), QStringLiteral("T"), QStringLiteral("U"),
      QStringLiteral("V"), QStringLiteral("W"),  QStringLiteral("XYZ"), QStringLiteral("123")};
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

// ------------------------------------------------------------ the scan

bool Scan::Step(const store::DataFiles& files, int budget_ms) {
  if (done()) return true;
  if (query_.empty() || query_.impossible()) {
    file_ = 3;
    return true;
  }
  QElapsedTimer clock;
  clock.start();
  const qint64 budget_ns = qint64(budget_ms) * 1000000;
  while (file_ < 3) {
    const Channel channel = kFiles[file_];
    if (count_ < 0) {
      count_ = files.ReadCount(channel);
      next_ = 0;
    }
    if (next_ >= count_) {
      ++file_;
      count_ = -1;
      if (file_ >= 3) break;
      continue;
    }
    const store::ChannelInfo& info = store::Info(channel);
    const int group_bytes = info.group_size * info.record_length;
    const int items = std::min(std::max(1, kRunBytes / group_bytes), count_ - next_);
    const QByteArray run =
        files.ReadRecords(channel, store::FieldRecord(channel, next_, 1), items * info.group_size);
    for (int i = 0; i < items; ++i) {
      Visit(channel, next_ + i, run.constData() + qsizetype(i) * group_bytes);
    }
    next_ += items;
    if (clock.nsecsElapsed() >= budget_ns) break;
  }
  if (done()) Finish();
  return done();
}

void Scan::Visit(Channel channel, int item, const char* group) {
  const auto add = [&](int field) {
    AppendFolded(store::FieldBytes(channel, group, field), buffer_);
    buffer_.push_back('\0');
  };
  buffer_.clear();
  switch (channel) {
    case Channel::kAppoint: {
      add(kSubjectField);
      add(kDescriptionField);
      if (!query_.Matches(buffer_)) return;
      Match m;
      m.kind = Kind::kAppointment;
      m.item = item;
      m.identity = store::FieldText(channel, group, kIdField);
      m.title = store::TrimSpaces(store::FieldText(channel, group, kSubjectField));
      m.start = store::TrimSpaces(store::FieldText(channel, group, kStartField));
      m.date = QDate::fromString(m.identity.left(8), QStringLiteral("yyyyMMdd"));
      if (m.identity.size() > 9 && m.identity.at(8) == u'-') m.ordinal = m.identity.mid(9).toInt();
      results_.appointments.push_back(std::move(m));
      return;
    }
    case Channel::kNotes: {
      add(kTitleField);
      add(kBodyField);
      if (!query_.Matches(buffer_)) return;
      Match m;
      m.kind = Kind::kNote;
      m.item = item;
      m.identity = store::FieldText(channel, group, kTitleField);
      m.title = store::TrimSpaces(m.identity);
      m.order = Folded(store::FieldBytes(channel, group, kTitleField));
      results_.notes.push_back(std::move(m));
      return;
    }
    default: {
      add(kFieldName);
      add(kFieldSurname);
      for (const int field : kEntryTextFields) {
        if (field == kFieldBirthdayDate && !EntryHasBirthday(group)) continue;
        add(field);
      }
      if (!query_.Matches(buffer_)) return;
      Match m;
      m.kind = Kind::kEntry;
      m.item = item;
      m.identity = store::FieldText(channel, group, kFieldKey);
      m.title = store::TrimSpaces(m.identity);
      m.group = LetterGroupOf(m.identity);
      m.order = Folded(store::FieldBytes(channel, group, kFieldKey));
      results_.entries.push_back(std::move(m));
      return;
    }
  }
}

void Scan::Finish() {
  const QDate today = today_;
  // Upcoming first, nearest first; then the past, latest first; within a
  // day by start time, then as the day lists them. IDs that name no date
  // come last.
  std::stable_sort(results_.appointments.begin(), results_.appointments.end(),
                   [today](const Match& a, const Match& b) {
                     const auto rank = [today](const Match& m) {
                       if (!m.date.isValid()) return 2;
                       return m.date >= today ? 0 : 1;
                     };
                     const int ra = rank(a), rb = rank(b);
                     if (ra != rb) return ra < rb;
                     if (ra == 2) return a.identity < b.identity;
                     if (a.date != b.date) return ra == 0 ? a.date < b.date : a.date > b.date;
                     return std::tie(a.start, a.ordinal) < std::tie(b.start, b.ordinal);
                   });
  std::stable_sort(results_.notes.begin(), results_.notes.end(),
                   [](const Match& a, const Match& b) { return a.order < b.order; });
  const auto group_rank = [](const Match& m) {
    const qsizetype at = LetterGroups().indexOf(m.group);
    return at < 0 ? LetterGroups().size() : at;
  };
  std::stable_sort(results_.entries.begin(), results_.entries.end(),
                   [&group_rank](const Match& a, const Match& b) {
                     const qsizetype ga = group_rank(a), gb = group_rank(b);
                     if (ga != gb) return ga < gb;
                     if (a.order != b.order) return a.order < b.order;
                     return a.identity < b.identity;
                   });
}

Results Search(const store::DataFiles& files, const Query& query, const QDate& today) {
  Scan scan(query, today);
  while (!scan.Step(files, 1000)) {
  }
  return std::move(scan.results());
}

// ------------------------------------------------------------ excerpts

Excerpt Describe(const store::DataFiles& files, const Match& match, const Query& query) {
  Excerpt excerpt;
  const Channel channel = match.kind == Kind::kAppointment ? Channel::kAppoint
                          : match.kind == Kind::kNote      ? Channel::kNotes
                                                           : Channel::kAddBook;
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
  switch (match.kind) {
    case Kind::kAppointment: fields = {kDescriptionField}; break;
    case Kind::kNote: fields = {kBodyField}; break;
    case Kind::kEntry:
      for (const int field : kEntryTextFields) {
        if (field == kFieldBirthdayDate && !EntryHasBirthday(group.constData())) continue;
        fields.push_back(field);
      }
      break;
  }
  // The first text where a word occurs; else, for an appointment or a
  // note, the beginning of its text.
  for (const int field : fields) {
    QString text = OneLine(store::FieldText(channel, group.constData(), field));
    QList<Mark> marks = MarksIn(text, query);
    if (marks.isEmpty()) continue;
    CutAround(text, marks);
    excerpt.text = text;
    excerpt.text_marks = marks;
    return excerpt;
  }
  if (match.kind != Kind::kEntry) {
    QList<Mark> none;
    excerpt.text = OneLine(store::FieldText(channel, group.constData(), fields.front()));
    CutAround(excerpt.text, none);
  }
  return excerpt;
}

}  // namespace quorvel::search
