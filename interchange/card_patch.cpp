// Local edits carried into a kept vCard, line by line: only the lines of
// the changed fields are rewritten, added or removed; every other line goes
// back as the very bytes it came as, in the card's own version.
#include <map>
#include <set>

#include <QDateTime>
#include <QRegularExpression>

#include "interchange/card_values.h"
#include "interchange/mapping.h"
#include "interchange/patch.h"

namespace quorvel::interchange {
namespace {

using vcard::Escape;
using vcard::Property;

QString Crlf(QString text) {
  text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text.replace(QLatin1String("\n"), QLatin1String("\r\n"));
}

// An address's lines and the ADR part each came from (as the reader joins
// them): post office box, extended address, street, "code locality", region,
// country.
struct AddressLines {
  QStringList lines;
  std::vector<int> source;  // 0, 1, 2, -1 for the town line, 4, 6
};

AddressLines LinesOf(const QStringList& parts) {
  AddressLines out;
  auto add = [&out](const QString& text, int source) {
    if (text.trimmed().isEmpty()) return;
    out.lines << text.trimmed();
    out.source.push_back(source);
  };
  for (int i : {0, 1, 2}) add(parts.value(i), i);
  add((parts.value(5).trimmed() + QLatin1Char(' ') + parts.value(3).trimmed()).trimmed(), -1);
  for (int i : {4, 6}) add(parts.value(i), i);
  return out;
}

class CardPatcher {
 public:
  CardPatcher(const QByteArray& bytes, const vcard::Card& card)
      : bytes_(bytes), lines_(vcard::ContentLines(bytes)), card_(card) {
    v4_ = card.version == QLatin1String("4.0");
    v21_ = card.version == QLatin1String("2.1");
  }

  void Name(const AddressEntry& before, const AddressEntry& after) {
    if (before.name == after.name && before.surname == after.surname) return;
    const QString formatted =
        after.name.isEmpty() ? after.surname : after.name + QLatin1Char(' ') + after.surname;
    if (const Property* n = card_.First(QStringLiteral("N"))) {
      QStringList parts = vcard::Components(n->value, QLatin1Char(';'));
      while (parts.size() < 5) parts << QString();
      parts[0] = after.surname;
      parts[1] = after.name;
      parts[2].clear();  // read into the first name
      QStringList escaped;
      for (const QString& part : parts) escaped << Escape(part);
      Set(*n, escaped.join(QLatin1Char(';')));
    } else {
      Add(QStringLiteral("N:") + Escape(after.surname) + QLatin1Char(';') + Escape(after.name) +
          QStringLiteral(";;;"));
    }
    if (const Property* fn = card_.First(QStringLiteral("FN"))) {
      Set(*fn, Escape(formatted));
    } else if (!v21_) {
      Add(QStringLiteral("FN:") + Escape(formatted));
    }
  }

  void Phones(const AddressEntry& before, const AddressEntry& after) {
    static const char* const kTypes3[kAddressPhoneCount] = {
        "TYPE=HOME,VOICE", "TYPE=WORK,VOICE", "TYPE=WORK,VOICE;X-QUORVEL-FIELD=business2",
        "TYPE=CELL,VOICE", "TYPE=FAX",        "TYPE=VOICE"};
    static const char* const kTypes4[kAddressPhoneCount] = {
        "TYPE=home,voice", "TYPE=work,voice", "TYPE=work,voice;X-QUORVEL-FIELD=business2",
        "TYPE=cell,voice", "TYPE=fax",        "TYPE=voice"};
    static const char* const kTypes21[kAddressPhoneCount] = {
        "HOME;VOICE", "WORK;VOICE", "WORK;VOICE;X-QUORVEL-FIELD=business2",
        "CELL;VOICE", "FAX",        "VOICE"};
    for (int i = 0; i < kAddressPhoneCount; ++i) {
      if (before.phones[i] == after.phones[i]) continue;
      const Property* p = before.phones[i].isEmpty()
                              ? nullptr
                              : Claim(QStringLiteral("TEL"), [&](const Property& t) {
                                  // The number as this program read it: a tel: URI with an
                                  // extension was taken in one of its shorter forms.
                                  return PhoneForms(t.Text().trimmed()).contains(before.phones[i]);
                                });
      const QString type = QString::fromLatin1(v4_ ? kTypes4[i] : v21_ ? kTypes21[i] : kTypes3[i]);
      Replace(p, QStringLiteral("TEL;") + type, after.phones[i], "tel:");
    }
  }

  void Single(const QString& name, const QString& before, const QString& after, const char* scheme,
              const QString& new_params) {
    if (before == after) return;
    const Property* p = before.isEmpty() ? nullptr : Claim(name, [&](const Property& t) {
      return WithoutScheme(t.Text().trimmed(), scheme) == before;
    });
    Replace(p, new_params.isEmpty() ? name : name + QLatin1Char(';') + new_params, after, scheme);
  }

  void Address(const AddressEntry& before, const AddressEntry& after) {
    if (before.address == after.address) return;
    const Property* found = nullptr;
    AddressLines old;
    if (!before.address.isEmpty()) {
      for (const Property* p : card_.All(QStringLiteral("ADR"))) {
        const AddressLines lines = LinesOf(vcard::Components(p->value, QLatin1Char(';')));
        if (Crlf(lines.lines.join(QLatin1Char('\n'))) == before.address) {
          found = p;
          old = lines;
          break;
        }
      }
      if (!found) {
        for (const Property* p : card_.All(QStringLiteral("LABEL"))) {
          if (Crlf(p->Text().trimmed()) == before.address) {
            Replace(p, QString(),
                    QString(after.address).replace(QLatin1String("\r\n"), QLatin1String("\n")), "");
            return;
          }
        }
      }
    }
    if (after.address.isEmpty()) {
      if (found) removed_.insert(found->line);
      return;
    }
    const QStringList lines = after.address.split(QLatin1String("\r\n"));
    QStringList parts = found ? vcard::Components(found->value, QLatin1Char(';')) : QStringList();
    while (parts.size() < 7) parts << QString();
    if (found && lines.size() == old.lines.size()) {
      // Line by line back into the part each line came from.
      for (int i = 0; i < int(lines.size()); ++i) {
        const int source = old.source[std::size_t(i)];
        if (source >= 0) {
          parts[source] = lines[i];
          continue;
        }
        const QString code = parts[5].trimmed();
        if (!code.isEmpty() && lines[i].startsWith(code + QLatin1Char(' '))) {
          parts[3] = lines[i].mid(code.size() + 1);
        } else if (!code.isEmpty() && lines[i] == code) {
          parts[3].clear();
        } else {
          static const QRegularExpression postal(QStringLiteral("^(\\S*\\d\\S*)\\s+(.+)$"));
          const auto m = postal.match(lines[i]);
          parts[5] = !code.isEmpty() && m.hasMatch() ? m.captured(1) : QString();
          parts[3] = !code.isEmpty() && m.hasMatch() ? m.captured(2) : lines[i];
        }
      }
    } else {
      // Lines added or taken away: the street holds them all.
      for (QString& part : parts) part.clear();
      parts[2] = lines.join(QLatin1Char('\n'));
    }
    QStringList escaped;
    for (const QString& part : parts) escaped << Escape(part);
    if (found) {
      Set(*found, escaped.join(QLatin1Char(';')));
    } else {
      Add((v4_    ? QStringLiteral("ADR;TYPE=home:")
           : v21_ ? QStringLiteral("ADR;HOME:")
                  : QStringLiteral("ADR;TYPE=HOME:")) +
          escaped.join(QLatin1Char(';')));
    }
  }

  void Notes(const AddressEntry& before, const AddressEntry& after) {
    if (before.notes == after.notes) return;
    const auto notes = card_.All(QStringLiteral("NOTE"));
    const QString text = Escape(after.notes);
    bool first = true;
    for (const Property* p : notes) {
      if (first && !after.notes.isEmpty()) {
        Set(*p, text);
      } else {
        removed_.insert(p->line);
      }
      first = false;
    }
    if (notes.empty() && !after.notes.isEmpty()) Add(QStringLiteral("NOTE:") + text);
  }

  void Birthday(const AddressEntry& before, const AddressEntry& after) {
    const bool was = BirthdayFlagSet(before.birthday_flag);
    const bool is = BirthdayFlagSet(after.birthday_flag);
    if (was == is && (!is || before.birthday_date == after.birthday_date)) return;
    const Property* p = card_.First(QStringLiteral("BDAY"));
    const QDate born = ParseBirthdayText(after.birthday_date);
    if (!is || !born.isValid()) {
      // A birthday this program could not hold (no year) was never on.
      if (p && was) removed_.insert(p->line);
      return;
    }
    const bool basic = p ? !p->value.contains(QLatin1Char('-')) : v4_;
    const QString value =
        born.toString(basic ? QStringLiteral("yyyyMMdd") : QStringLiteral("yyyy-MM-dd"));
    if (p) {
      Set(*p, value);
    } else {
      Add((v4_ || v21_ ? QStringLiteral("BDAY:") : QStringLiteral("BDAY;VALUE=DATE:")) + value);
    }
  }

  void Uid(const QString& uid) {
    if (uid.isEmpty()) return;
    if (const Property* p = card_.First(QStringLiteral("UID"))) {
      Set(*p, uid);
    } else {
      Add(QStringLiteral("UID:") + uid);
    }
  }

  QByteArray Result() {
    if (changed()) {
      if (const Property* rev = card_.First(QStringLiteral("REV"))) {
        Set(*rev, QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddTHHmmssZ")));
      }
    }
    int end_line = -1;
    for (int i = int(lines_.size()) - 1; i >= 0; --i) {
      if (lines_[std::size_t(i)].text.trimmed().toUpper() == "END:VCARD") {
        end_line = i;
        break;
      }
    }
    QByteArray out;
    for (int i = 0; i < int(lines_.size()); ++i) {
      const vcard::ContentLine& line = lines_[std::size_t(i)];
      if (i == end_line) {
        for (const QString& text : added_) out += vcard::FoldLine(text);
      }
      if (removed_.count(i)) continue;
      const auto replaced = replaced_.find(i);
      if (replaced != replaced_.end()) {
        out += vcard::FoldLine(replaced->second);
        continue;
      }
      QByteArray raw = bytes_.mid(line.begin, line.end - line.begin);
      if (!raw.endsWith('\n')) raw += "\r\n";
      out += raw;
    }
    return out;
  }

 private:
  bool changed() const { return !replaced_.empty() || !removed_.empty() || !added_.isEmpty(); }

  template <class Match>
  const Property* Claim(const QString& name, Match match) {
    for (const Property* p : card_.All(name)) {
      if (claimed_.count(p->line) || !match(*p)) continue;
      claimed_.insert(p->line);
      return p;
    }
    return nullptr;
  }

  // The line's name and parameters as written, without a transfer encoding
  // (the new value is written as plain UTF-8).
  QString Head(const Property& p) const {
    const QByteArray& text = lines_[std::size_t(p.line)].text;
    bool quoted = false;
    qsizetype colon = -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
      if (text[i] == '"') quoted = !quoted;
      if (text[i] == ':' && !quoted) {
        colon = i;
        break;
      }
    }
    const QString head = QString::fromUtf8(text.left(colon));
    QStringList pieces = head.split(QLatin1Char(';'));
    QStringList kept;
    bool charset = false;
    for (const QString& piece : pieces) {
      const QString upper = piece.trimmed().toUpper();
      if (upper == QLatin1String("QUOTED-PRINTABLE") ||
          upper == QLatin1String("ENCODING=QUOTED-PRINTABLE")) {
        continue;
      }
      if (upper.startsWith(QLatin1String("CHARSET="))) {
        charset = true;
        kept << QStringLiteral("CHARSET=UTF-8");
        continue;
      }
      kept << piece;
    }
    if (v21_ && !charset && kept.size() > 0 &&
        head.toUpper().contains(QLatin1String("QUOTED-PRINTABLE"))) {
      kept << QStringLiteral("CHARSET=UTF-8");
    }
    return kept.join(QLatin1Char(';'));
  }

  void Set(const Property& p, const QString& value) {
    replaced_[p.line] = Head(p) + QLatin1Char(':') + value;
  }

  void Add(const QString& line) { added_ << line; }

  // Rewrites the value of `p` (keeping a URI scheme it had), removes it for
  // an empty value, or adds `head:value` when there is no `p`.
  void Replace(const Property* p, const QString& head, const QString& value, const char* scheme) {
    if (!p) {
      if (!value.isEmpty()) Add(head + QLatin1Char(':') + Escape(value));
      return;
    }
    if (value.isEmpty()) {
      removed_.insert(p->line);
      return;
    }
    const QString old = p->Text().trimmed();
    const QString prefix = QString::fromLatin1(scheme);
    const bool had_scheme = !prefix.isEmpty() && old.startsWith(prefix, Qt::CaseInsensitive);
    Set(*p, (had_scheme ? old.left(prefix.size()) : QString()) + Escape(value));
  }

  const QByteArray& bytes_;
  std::vector<vcard::ContentLine> lines_;
  const vcard::Card& card_;
  bool v4_ = false, v21_ = false;
  std::set<int> claimed_;
  std::map<int, QString> replaced_;
  std::set<int> removed_;
  QStringList added_;
};

}  // namespace

std::optional<QByteArray> PatchCard(const QByteArray& kept, const AddressEntry& before,
                                    const AddressEntry& after, const QString& uid) {
  QByteArray bytes = kept;
  if (bytes.startsWith("\xEF\xBB\xBF")) bytes.remove(0, 3);
  const vcard::ReadResult read = vcard::Read(bytes);
  if (!read.ok() || read.cards.size() != 1) return std::nullopt;
  CardPatcher patch(bytes, read.cards.front());
  patch.Uid(uid);
  patch.Name(before, after);
  patch.Phones(before, after);
  patch.Single(QStringLiteral("EMAIL"), before.email, after.email, "mailto:",
               read.cards.front().version == QLatin1String("4.0") ? QString()
               : read.cards.front().version == QLatin1String("2.1")
                   ? QStringLiteral("INTERNET")
                   : QStringLiteral("TYPE=INTERNET"));
  patch.Single(QStringLiteral("URL"), before.home_page, after.home_page, "", QString());
  patch.Address(before, after);
  patch.Notes(before, after);
  patch.Birthday(before, after);
  return patch.Result();
}

}  // namespace quorvel::interchange
