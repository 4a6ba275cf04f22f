// Whether bytes are an iCalendar file to read; the notes on what else a read calendar held.
#include "interchange/calendar_checks.h"

#include <algorithm>
#include <cctype>
#include <utility>
#include <vector>

#include <QStringDecoder>

#include "interchange/texts.h"

namespace quorvel::interchange::ical {

QString NotCalendar(const QString& why) {
  return InterchangeTexts::tr("It is not a valid iCalendar file: %1").arg(why);
}

namespace {

// A content line as the user may recognise it in the file.
QString Quoted(const QByteArray& line) {
  QString text = QString::fromUtf8(line.left(60)).trimmed();
  if (line.size() > 60) text += QStringLiteral("…");
  return QLatin1Char('"') + text + QLatin1Char('"');
}

}  // namespace

QString ShapeProblem(const QByteArray& bytes) {
  if (bytes.contains('\0'))
    return InterchangeTexts::tr("It is not an iCalendar file: it holds binary data.");
  const QList<QByteArray> lines = bytes.split('\n');
  for (qsizetype i = 0; i < lines.size(); ++i) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    const QString decoded = utf8.decode(lines[i]);
    Q_UNUSED(decoded);
    if (utf8.hasError()) {
      return NotCalendar(
          InterchangeTexts::tr(
              "line %1 holds bytes that are not UTF-8 text (iCalendar "
              "files are UTF-8; this one may have been saved in another character set).")
              .arg(i + 1));
    }
  }
  const QByteArray text = bytes.trimmed();
  if (!text.toUpper().startsWith("BEGIN:VCALENDAR")) {
    return InterchangeTexts::tr(
        "It is not an iCalendar file: it does not begin with BEGIN:VCALENDAR.");
  }
  const qsizetype last_line = std::max(text.lastIndexOf('\n'), text.lastIndexOf('\r'));
  if (text.mid(last_line + 1).trimmed().toUpper() != "END:VCALENDAR") {
    return InterchangeTexts::tr(
        "It is not a complete iCalendar file: it does not end with END:VCALENDAR "
        "(it may have been cut short).");
  }
  return QString();
}

QString StructureProblem(const QByteArray& bytes) {
  struct Open {
    QByteArray name;
    int line;
  };
  std::vector<Open> open;
  QString problem;
  auto check = [&](const QByteArray& line, int number) {
    if (!problem.isNull() || line.trimmed().isEmpty()) return;
    qsizetype colon = -1;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size() && colon < 0; ++i) {
      if (line[i] == '"') quoted = !quoted;
      if (line[i] == ':' && !quoted) colon = i;
    }
    if (colon < 0) {
      problem = NotCalendar(
          InterchangeTexts::tr("line %1 is malformed: it has no colon after its name (%2).")
              .arg(number)
              .arg(Quoted(line)));
      return;
    }
    qsizetype end = 0;
    while (end < colon && line[end] != ';') ++end;
    const QByteArray name = line.left(end).trimmed().toUpper();
    bool named = !name.isEmpty();
    for (const char c : name) {
      if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '-')) named = false;
    }
    if (!named) {
      problem = NotCalendar(
          InterchangeTexts::tr("line %1 is malformed: it does not begin with a name (%2).")
              .arg(number)
              .arg(Quoted(line)));
      return;
    }
    const QByteArray value = line.mid(colon + 1).trimmed().toUpper();
    if (name == "BEGIN") {
      open.push_back({value, number});
    } else if (name == "END") {
      const bool began =
          std::any_of(open.begin(), open.end(), [&](const Open& o) { return o.name == value; });
      if (!began) {
        problem = NotCalendar(InterchangeTexts::tr("line %1 ends %2, which never began.")
                                  .arg(number)
                                  .arg(QString::fromUtf8(value)));
      } else if (open.back().name != value) {
        problem =
            NotCalendar(InterchangeTexts::tr("line %1 ends %2, but the %3 that begins at line %4 "
                                             "has not ended.")
                            .arg(number)
                            .arg(QString::fromUtf8(value), QString::fromUtf8(open.back().name))
                            .arg(open.back().line));
      } else {
        open.pop_back();
      }
    } else if (open.empty()) {
      problem = NotCalendar(InterchangeTexts::tr("line %1 stands outside the calendar (%2).")
                                .arg(number)
                                .arg(Quoted(line)));
    }
  };
  QByteArray current;
  int current_number = 0;
  int number = 0;
  for (QByteArray physical : bytes.split('\n')) {
    ++number;
    if (physical.endsWith('\r')) physical.chop(1);
    if (!physical.isEmpty() && (physical[0] == ' ' || physical[0] == '\t') && current_number > 0) {
      current += physical.mid(1);
      continue;
    }
    check(current, current_number);
    current = physical;
    current_number = number;
  }
  check(current, current_number);
  if (problem.isNull() && !open.empty()) {
    problem = NotCalendar(InterchangeTexts::tr("the %1 that begins at line %2 never ends.")
                              .arg(QString::fromUtf8(open.back().name))
                              .arg(open.back().line));
  }
  return problem;
}

void CountOthers(icalcomponent* calendar, std::map<QString, int>* others) {
  for (icalcomponent* c = icalcomponent_get_first_component(calendar, ICAL_ANY_COMPONENT); c;
       c = icalcomponent_get_next_component(calendar, ICAL_ANY_COMPONENT)) {
    const icalcomponent_kind kind = icalcomponent_isa(c);
    if (kind == ICAL_VEVENT_COMPONENT || kind == ICAL_VTIMEZONE_COMPONENT) continue;
    const char* name = icalcomponent_kind_to_string(kind);
    ++(*others)[QString::fromLatin1(name ? name : "X-").toUpper()];
  }
}

namespace {

QString Counted(int n, const char* one, const char* many) {
  return InterchangeTexts::tr(n == 1 ? one : many).arg(n);
}

}  // namespace

QStringList Notes(const std::map<QString, int>& others, const Zones::Report& zones) {
  QStringList notes;
  QStringList what;
  QStringList lacks;
  int count = 0;
  // To-dos first, then journal entries, free/busy blocks and the rest.
  std::vector<std::pair<QString, int>> kinds(others.begin(), others.end());
  auto rank = [](const QString& name) {
    static const QStringList order = {QStringLiteral("VTODO"), QStringLiteral("VJOURNAL"),
                                      QStringLiteral("VFREEBUSY")};
    const qsizetype at = order.indexOf(name);
    return at < 0 ? order.size() : at;
  };
  std::stable_sort(kinds.begin(), kinds.end(),
                   [&](const auto& a, const auto& b) { return rank(a.first) < rank(b.first); });
  for (const auto& [name, n] : kinds) {
    count += n;
    if (name == QLatin1String("VTODO")) {
      what.append(Counted(n, QT_TRANSLATE_NOOP("Interchange", "%1 to-do"),
                          QT_TRANSLATE_NOOP("Interchange", "%1 to-dos")));
      lacks.append(InterchangeTexts::tr("no to-do list"));
    } else if (name == QLatin1String("VJOURNAL")) {
      what.append(Counted(n, QT_TRANSLATE_NOOP("Interchange", "%1 journal entry"),
                          QT_TRANSLATE_NOOP("Interchange", "%1 journal entries")));
      lacks.append(InterchangeTexts::tr("no journal"));
    } else if (name == QLatin1String("VFREEBUSY")) {
      what.append(Counted(n, QT_TRANSLATE_NOOP("Interchange", "%1 free/busy block"),
                          QT_TRANSLATE_NOOP("Interchange", "%1 free/busy blocks")));
      lacks.append(InterchangeTexts::tr("no free/busy times"));
    } else {
      what.append(QStringLiteral("%1 %2").arg(n).arg(name));
    }
  }
  if (!what.isEmpty()) {
    const QString and_ = InterchangeTexts::tr(" and ");
    const QString items =
        what.size() == 1
            ? what[0]
            : what.mid(0, what.size() - 1).join(QStringLiteral(", ")) + and_ + what.last();
    QString lack = lacks.isEmpty()     ? QString()
                   : lacks.size() == 1 ? lacks[0]
                                       : lacks.mid(0, lacks.size() - 1).join(QStringLiteral(", ")) +
                                             and_ + lacks.last();
    if (lacks.size() < static_cast<qsizetype>(others.size())) {
      lack = lacks.isEmpty()
                 ? InterchangeTexts::tr("Quorvel keeps only appointments")
                 : InterchangeTexts::tr("Quorvel has %1, and keeps only appointments").arg(lack);
    } else {
      lack = InterchangeTexts::tr("Quorvel has %1").arg(lack);
    }
    notes.append((count == 1 ? InterchangeTexts::tr("%1 was not imported: %2.")
                             : InterchangeTexts::tr("%1 were not imported: %2."))
                     .arg(items, lack));
  }
  for (const QString& zone : zones.overruled) {
    notes.append(
        InterchangeTexts::tr("The file's own definition of the time zone %1 contradicts the "
                             "time zone database; its times were read as the database has %1.")
            .arg(zone));
  }
  for (const auto& [zone, n] : zones.unknown) {
    notes.append(
        Counted(n,
                QT_TRANSLATE_NOOP("Interchange",
                                  "The time zone \"%2\" is not known: the times of %1 event "
                                  "that uses it were read as local times."),
                QT_TRANSLATE_NOOP("Interchange",
                                  "The time zone \"%2\" is not known: the times of %1 events "
                                  "that use it were read as local times."))
            .arg(zone));
  }
  return notes;
}

}  // namespace quorvel::interchange::ical
