#include "search/search.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <tuple>

#include <QElapsedTimer>

#include "items/address_file.h"
#include "search/fold.h"
#include "search/kept_events.h"
#include "store/record_codec.h"
#include "store/scan.h"
#include "store/text_codec.h"
#include "store/trim.h"

namespace quorvel::search {
namespace {

using store::Channel;

// Bytes read per call: few calls, and a run is quick to fold, so the time
// a step takes stays close to its budget.
constexpr int kRunBytes = 128 * 1024;

// Items read per call from the file of `channel` (at least one).
int RunItems(Channel channel) {
  const store::ChannelInfo& info = store::Info(channel);
  return std::max(1, kRunBytes / (info.group_size * info.record_length));
}

// Appointment fields.
constexpr int kSubjectField = 2, kStartField = 3, kDescriptionField = 7;
// Note fields.
constexpr int kTitleField = 1, kBodyField = 2;

// What an item of each kind is searched in and named by. Its identity is
// always field 1 (the appointment's ID, the note's title, the entry's key).
constexpr int kAppointmentTexts[] = {kSubjectField, kDescriptionField};
constexpr int kNoteTexts[] = {kTitleField, kBodyField};
// An entry's names, then its other texts (the birthday only when it is set).
constexpr int kEntryTexts[] = {kFieldName,           kFieldSurname,        kFieldAddress,
                               kFieldFirstPhone,     kFieldFirstPhone + 1, kFieldFirstPhone + 2,
                               kFieldFirstPhone + 3, kFieldFirstPhone + 4, kFieldFirstPhone + 5,
                               kFieldBirthdayDate,   kFieldEmail,          kFieldHomePage,
                               kFieldNotes};
struct Layout {
  Kind kind;
  Channel channel;
  int title_field;
  std::span<const int> texts;  // searched, in the order an excerpt is taken from them
  std::size_t excerpt_from;    // the first text an excerpt may come from
};
constexpr Layout kLayouts[3] = {
    {Kind::kAppointment, Channel::kAppoint, kSubjectField, kAppointmentTexts, 1},
    {Kind::kNote, Channel::kNotes, kTitleField, kNoteTexts, 1},
    {Kind::kEntry, Channel::kAddBook, kFieldKey, kEntryTexts, 2},
};
const Layout& LayoutOf(Kind kind) { return kLayouts[static_cast<int>(kind)]; }

// Whether text `field` of an item is searched: an entry's birthday only
// when it is set (the editor stores a date even when none is ticked).
bool Searched(const Layout& layout, const char* group, int field) {
  return layout.kind != Kind::kEntry || field != kFieldBirthdayDate ||
         BirthdayFlagSet(store::FieldText(Channel::kAddBook, group, kFieldBirthdayFlag));
}

// The date "yyyyMMdd" at the start of an appointment's ID names.
QDate IdDate(const QString& id) {
  if (id.size() < 8) return {};
  int value[3] = {0, 0, 0};
  for (int i = 0; i < 8; ++i) {
    const QChar c = id.at(i);
    if (c < u'0' || c > u'9') return {};
    int& part = value[i < 4 ? 0 : i < 6 ? 1 : 2];
    part = part * 10 + (c.unicode() - u'0');
  }
  return QDate(value[0], value[1], value[2]);
}

// What identifies and orders item `item` of `layout`'s file, from its
// records' bytes.
Match MatchOf(const Layout& layout, int item, const char* group) {
  Match m;
  m.kind = layout.kind;
  m.item = item;
  m.identity = store::FieldText(layout.channel, group, 1);
  m.title = store::TrimSpaces(layout.title_field == 1
                                  ? m.identity
                                  : store::FieldText(layout.channel, group, layout.title_field));
  switch (layout.kind) {
    case Kind::kAppointment:
      m.start = store::TrimSpaces(store::FieldText(layout.channel, group, kStartField));
      m.date = IdDate(m.identity);
      if (m.identity.size() > 9 && m.identity.at(8) == u'-') m.ordinal = m.identity.mid(9).toInt();
      break;
    case Kind::kNote: break;
    case Kind::kEntry: m.group = LetterGroupOf(m.identity); break;
  }
  return m;
}

// Characters shown of a long text around its first mark.
constexpr int kExcerptLength = 100;
constexpr int kExcerptLead = 30;

bool IsQuote(QChar c) {
  return c == u'"' || c == u'\u201c' || c == u'\u201d' || c == u'\u201e';
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

// ------------------------------------------------------------ the folded copy

FoldedCopy::FoldedCopy(const store::DataFiles& files)
    : files_(files), events_(std::make_unique<EventsCopy>(files)) {}

FoldedCopy::~FoldedCopy() = default;

void FoldedCopy::Outdate(store::ChangedFiles changed) {
  for (std::size_t k = 0; k < copies_.size(); ++k) {
    if (changed.Has(kLayouts[k].channel)) copies_[k].changes.fetch_add(1);
  }
  if (changed.Has(Channel::kEvents)) events_->Outdate();
}

void FoldedCopy::SetToday(const QDate& today) { events_->SetToday(today); }

bool FoldedCopy::Current(const File& file) const {
  return file.ready && file.version == file.changes.load();
}

bool FoldedCopy::current() const {
  return std::all_of(copies_.begin(), copies_.end(), [this](const File& f) { return Current(f); }) &&
         events_->current();
}

void FoldedCopy::Clear() {
  for (File& file : copies_) {
    file.ready = false;
    file.copy = Copy();
    file.reading = Reading();
  }
  // The events' copy is small and slow to date (each event's repeat rules
  // are followed): it is kept, and Outdate keeps it current.
}

bool FoldedCopy::Update(int budget_ms) {
  QElapsedTimer clock;
  clock.start();
  const qint64 budget_ns = qint64(budget_ms) * 1000000;
  for (std::size_t k = 0; k < copies_.size(); ++k) {
    File& file = copies_[k];
    while (!Current(file)) {
      if (ReadRun(int(k))) Finish(int(k));
      if (clock.nsecsElapsed() >= budget_ns) return current();
    }
  }
  return events_->Update(clock, budget_ns) && current();
}

bool FoldedCopy::ReadRun(int k) {
  File& file = copies_[std::size_t(k)];
  Reading& r = file.reading;
  const Layout& layout = kLayouts[k];
  const unsigned changes = file.changes.load();
  if (!r.started || r.version != changes) {
    // From the start: the file changed since its reading began.
    r = Reading();
    r.started = true;
    r.version = changes;
    r.count = files_.ReadCount(layout.channel);
    r.same_order = r.count == int(file.copy.listed.size());
  }
  const store::ChannelInfo& info = store::Info(layout.channel);
  const int group_bytes = info.group_size * info.record_length;
  const int items = std::min(RunItems(layout.channel), r.count - r.next);
  if (items > 0) {
    const QByteArray run = files_.ReadRecords(
        layout.channel, store::FieldRecord(layout.channel, r.next, 1), items * info.group_size);
    r.runs.push_back(run);
    if (!ReuseRun(k, r.next, run)) {
      auto folded = std::make_shared<Folded>();
      for (int i = 0; i < items; ++i) FoldItem(k, r.next + i, run.constData() + qsizetype(i) * group_bytes, *folded);
      r.folded.push_back(std::move(folded));
    }
    r.next += items;
  }
  return r.next >= r.count;
}

void FoldedCopy::FoldItem(int k, int item, const char* group, Folded& into) {
  File& file = copies_[std::size_t(k)];
  Reading& r = file.reading;
  const Layout& layout = kLayouts[k];
  const store::ChannelInfo& info = store::Info(layout.channel);
  const int group_bytes = info.group_size * info.record_length;
  if (Reuse(k, item, QByteArrayView(group, group_bytes), into)) return;
  for (const int field : layout.texts) {
    if (!Searched(layout, group, field)) continue;
    AppendFolded(store::FieldBytes(layout.channel, group, field), into.text);
    into.text.push_back('\0');
  }
  into.ends.push_back(std::uint32_t(into.text.size()));
  r.items.push_back(MatchOf(layout, item, group));
  if (layout.kind != Kind::kAppointment) {
    // Notes by their title, entries by their key, as folded.
    std::string order;
    AppendFolded(store::FieldBytes(layout.channel, group, 1), order);
    r.orders.push_back(std::move(order));
  }
  // A changed item keeps the old order when it sorts as the item before it
  // at its place did.
  const Copy& old = file.copy;
  const std::size_t at = std::size_t(item);
  const Match& made = r.items.back();
  if (at >= old.listed.size()) {
    r.same_order = false;
  } else {
    const Match& was = (*old.items)[old.listed[at]];
    r.same_order = r.same_order && made.identity == was.identity && made.start == was.start &&
                   (old.orders.empty() || old.orders[at] == r.orders.back());
  }
}

bool FoldedCopy::ReuseRun(int k, int item, const QByteArray& run) {
  File& file = copies_[std::size_t(k)];
  const Copy& old = file.copy;
  const std::size_t at = std::size_t(item / RunItems(kLayouts[k].channel));
  if (at >= old.runs.size() || old.runs[at] != run) return false;
  Reading& r = file.reading;
  r.folded.push_back(old.folded[at]);
  const int items = int(old.folded[at]->ends.size());
  for (int i = 0; i < items; ++i) TakeOld(k, item + i, item + i);
  return true;
}

bool FoldedCopy::Reuse(int k, int item, QByteArrayView group, Folded& into) {
  File& file = copies_[std::size_t(k)];
  const Copy& old = file.copy;
  Reading& r = file.reading;
  const qsizetype size = group.size();
  const int count = int(old.listed.size());
  const int per_run = RunItems(kLayouts[k].channel);
  for (const int o : {item, item + 1, item - 1}) {
    if (o < 0 || o >= count) continue;
    const char* was = old.runs[std::size_t(o / per_run)].constData() + qsizetype(o % per_run) * size;
    if (std::memcmp(was, group.data(), std::size_t(size)) != 0) continue;
    const Folded& from = *old.folded[std::size_t(o / per_run)];
    const std::size_t in = std::size_t(o % per_run);
    const std::uint32_t begin = in == 0 ? 0 : from.ends[in - 1];
    into.text.append(from.text, begin, from.ends[in] - begin);
    into.ends.push_back(std::uint32_t(into.text.size()));
    TakeOld(k, o, item);
    r.same_order = r.same_order && o == item;
    return true;
  }
  return false;
}

void FoldedCopy::TakeOld(int k, int was, int item) {
  File& file = copies_[std::size_t(k)];
  const Copy& old = file.copy;
  Reading& r = file.reading;
  Match match = (*old.items)[old.listed[std::size_t(was)]];
  match.item = item;
  r.items.push_back(std::move(match));
  if (!old.orders.empty()) r.orders.push_back(old.orders[std::size_t(was)]);
}

void FoldedCopy::Finish(int k) {
  File& file = copies_[std::size_t(k)];
  Reading& r = file.reading;
  const std::vector<Match>& items = r.items;
  std::vector<std::uint32_t> order(items.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = std::uint32_t(i);
  if (r.same_order) {
    for (std::size_t i = 0; i < order.size(); ++i) order[file.copy.listed[i]] = std::uint32_t(i);
  } else {
    SortItems(kLayouts[k].kind, r, order);
  }
  Copy copy;
  copy.folded = std::move(r.folded);
  copy.runs = std::move(r.runs);
  copy.listed.resize(order.size());
  auto sorted = std::make_shared<std::vector<Match>>();
  sorted->reserve(order.size());
  for (const std::uint32_t i : order) {
    copy.listed[i] = std::uint32_t(sorted->size());
    sorted->push_back(std::move(r.items[i]));
  }
  copy.items = std::move(sorted);
  copy.orders = std::move(r.orders);
  file.copy = std::move(copy);
  file.version = r.version;
  file.ready = true;
  r = Reading();
}

void FoldedCopy::SortItems(Kind kind, const Reading& r, std::vector<std::uint32_t>& order) {
  const std::vector<Match>& items = r.items;
  switch (kind) {
    case Kind::kAppointment:
      // By date, within a day by start time, then as the day lists them;
      // IDs that name no date last, by ID. Chosen() takes the past from
      // this backwards, day by day.
      std::stable_sort(order.begin(), order.end(), [&items](std::uint32_t x, std::uint32_t y) {
        return CalendarBefore(items[x], items[y]);
      });
      break;
    case Kind::kNote:
      std::stable_sort(order.begin(), order.end(), [&r](std::uint32_t x, std::uint32_t y) {
        return r.orders[x] < r.orders[y];
      });
      break;
    case Kind::kEntry: {
      std::vector<qsizetype> groups(items.size());
      for (std::size_t i = 0; i < items.size(); ++i) {
        const qsizetype at = LetterGroups().indexOf(items[i].group);
        groups[i] = at < 0 ? LetterGroups().size() : at;
      }
      std::stable_sort(order.begin(), order.end(), [&](std::uint32_t x, std::uint32_t y) {
        if (groups[x] != groups[y]) return groups[x] < groups[y];
        if (r.orders[x] != r.orders[y]) return r.orders[x] < r.orders[y];
        return items[x].identity < items[y].identity;
      });
      break;
    }
  }
}

std::vector<bool> FoldedCopy::Hits(int k, const Query& query) const {
  const Copy& copy = copies_[std::size_t(k)].copy;
  std::vector<bool> hits;
  hits.reserve(copy.listed.size());
  for (const std::shared_ptr<const Folded>& run : copy.folded) {
    const std::vector<bool> in_run = HitsIn(run->text, run->ends, query);
    hits.insert(hits.end(), in_run.begin(), in_run.end());
  }
  return hits;
}

std::vector<std::uint32_t> FoldedCopy::Chosen(int k, const Query& query, const QDate& today) const {
  const Copy& copy = copies_[std::size_t(k)].copy;
  const std::vector<Match>& items = *copy.items;
  const std::vector<bool> hits = Hits(k, query);
  std::vector<std::uint32_t> chosen;
  const auto take = [&](std::size_t i) {
    if (hits[std::size_t(items[i].item)]) chosen.push_back(std::uint32_t(i));
  };
  if (kLayouts[k].kind != Kind::kAppointment) {
    for (std::size_t i = 0; i < items.size(); ++i) take(i);
    return chosen;
  }
  return ByDay(items, hits, today);
}

Results FoldedCopy::Find(const Query& query, const QDate& today) {
  Results results;
  if (query.empty() || query.impossible()) return results;
  SetToday(today);
  while (!Update(1000)) {
  }
  const std::shared_ptr<const std::vector<Match>>& appointments = copies_[0].copy.items;
  results.appointments = MatchList(
      appointments,
      MergeByDay(*appointments, Chosen(0, query, today), *events_->items(), events_->Chosen(query),
                 std::uint32_t(appointments->size()), today),
      events_->items());
  results.notes = MatchList(copies_[1].copy.items, Chosen(1, query, today));
  results.entries = MatchList(copies_[2].copy.items, Chosen(2, query, today));
  return results;
}

Results Search(const store::DataFiles& files, const Query& query, const QDate& today) {
  FoldedCopy copy(files);
  return copy.Find(query, today);
}

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
