#include "app/search_command.h"

#include <QCommandLineParser>

#include "app/texts.h"
#include "store/date_text.h"
#include "ui/seams.h"

namespace quorvel {
namespace {

// A field of a line: no tabs or line breaks inside it.
QString Field(const QString& text) {
  QString out = text;
  for (QChar& c : out) {
    if (c == u'\t' || c == u'\r' || c == u'\n') c = u' ';
  }
  return out;
}

void PrintKind(const store::DataFiles& files, const search::Query& query,
               const search::MatchList& matches, QTextStream& out) {
  for (const search::Match& m : matches) {
    const search::Excerpt excerpt = search::Describe(files, m, query);
    QString kind, when;
    switch (m.kind) {
      case search::Kind::kAppointment:
        kind = QStringLiteral("appointment");
        if (m.date.isValid()) {
          when = DateText(m.date);
          if (m.all_day) when += QStringLiteral(" all day");
          if (!m.start.isEmpty()) when += QLatin1Char(' ') + m.start;
          if (m.repeats) when += QStringLiteral(" repeats");
        }
        break;
      case search::Kind::kNote:
        kind = QStringLiteral("note");
        break;
      case search::Kind::kEntry:
        kind = QStringLiteral("entry");
        when = m.group;
        break;
    }
    out << kind << '\t' << Field(when) << '\t' << Field(excerpt.title) << '\t'
        << Field(excerpt.text) << '\n';
  }
}

}  // namespace

std::size_t PrintSearch(const store::DataFiles& files, const search::Query& query,
                        const QDate& today, QTextStream& out) {
  const search::Results results = search::Search(files, query, today);
  PrintKind(files, query, results.appointments, out);
  PrintKind(files, query, results.notes, out);
  PrintKind(files, query, results.entries, out);
  out.flush();
  return results.size();
}

CommandLineOptions SearchCommandLine() {
  CommandLineOptions o;
  o.options = {QCommandLineOption(
      QStringLiteral("search"),
      SearchCommandLineTexts::tr("Print the appointments, notes and address entries that hold "
                                 "every one of the words (case and accents aside), one per "
                                 "line, and exit: 0 when something was found, 1 when nothing "
                                 "was, 2 when the data folder cannot be used."),
      SearchCommandLineTexts::tr("words"))};
  // 1 says "nothing found": a folder another Quorvel holds, or one that
  // cannot be read, is an error of its own.
  o.folder_failure_status = 2;
  o.take = [](const QCommandLineParser& parser, QStringList& unclaimed,
              QString& error) -> HeadlessCommand {
    if (!parser.isSet(QStringLiteral("search"))) return {};
    // The words may come as one argument or as several.
    QStringList words = parser.values(QStringLiteral("search"));
    words += unclaimed;
    unclaimed.clear();
    const search::Query query(words.join(QLatin1Char(' ')));
    if (query.empty()) {
      error = SearchCommandLineTexts::tr("--search needs the words to find.");
      return {};
    }
    return [query](HeadlessContext& context) {
      return PrintSearch(context.files, query, Now().date(), context.out) > 0 ? 0 : 1;
    };
  };
  return o;
}

}  // namespace quorvel
