// Address book entries read from vCards (written in contacts_write.cpp).
#include <QLocale>
#include <QRegularExpression>
#include <QUrl>

#include "interchange/card_values.h"
#include "interchange/mapping.h"
#include "interchange/texts.h"
#include "store/text_codec.h"

namespace quorvel::interchange {
namespace {

const char kPlaceParam[] = "X-QUORVEL-FIELD";

enum Phone : int { kHome = 0, kWork1 = 1, kWork2 = 2, kMobile = 3, kFax = 4, kOther = 5 };

QString Crlf(QString text) {
  text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  text.replace(QLatin1String("\n"), QLatin1String("\r\n"));
  return text;
}

// PREF first (a TYPE=PREF or a PREF=n parameter), otherwise file order.
std::vector<const vcard::Property*> Preferred(std::vector<const vcard::Property*> all) {
  std::stable_sort(all.begin(), all.end(), [](const vcard::Property* a, const vcard::Property* b) {
    auto pref = [](const vcard::Property* p) {
      if (p->HasType(QStringLiteral("PREF"))) return 0;
      const QString n = p->Param(QStringLiteral("PREF"));
      return n.isNull() ? 101 : std::clamp(n.toInt(), 1, 100);
    };
    return pref(a) < pref(b);
  });
  return all;
}

// dd/mm/yyyy from the forms BDAY takes: 1975-03-05, 19750305, with or
// without a time. Nothing for a date without a year (--0305) or text.
QDate ParseBday(const QString& raw) {
  static const QRegularExpression full(QStringLiteral("^(\\d{4})-?(\\d{2})-?(\\d{2})(T.*)?$"));
  const auto m = full.match(raw.trimmed());
  if (!m.hasMatch()) return QDate();
  return QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
}

class CardReader {
 public:
  CardReader(const vcard::Card& card, const QDate& today, QStringList* left_out,
             std::vector<Shortened>* shortened)
      : card_(card), today_(today), left_out_(left_out), shortened_(shortened) {}

  std::optional<AddressEntry> Read(QString* skip_reason) {
    if (!ReadName(skip_reason)) return std::nullopt;
    const QString key = entry_.Key();
    for (const auto& [what, text, limit] :
         {std::tuple{InterchangeTexts::tr("its name"), entry_.name, kNameLimit},
          std::tuple{InterchangeTexts::tr("its surname"), entry_.surname, kSurnameLimit}}) {
      if (QString problem = FieldProblem(what, text, limit); !problem.isNull()) {
        *skip_reason = problem;
        return std::nullopt;
      }
    }
    who_ = key;
    ReadPhones();
    ReadSingle(QStringLiteral("EMAIL"), InterchangeTexts::tr("e-mail address"), kEmailLimit,
               &entry_.email, "mailto:");
    ReadSingle(QStringLiteral("URL"), InterchangeTexts::tr("home page"), kHomePageLimit,
               &entry_.home_page, "");
    ReadAddress();
    ReadNotes();
    ReadBirthday();
    for (const auto& [name, what] :
         {std::pair{"ORG", "organisation"}, std::pair{"TITLE", "title"}, std::pair{"ROLE", "role"},
          std::pair{"NICKNAME", "nickname"}, std::pair{"PHOTO", "photo"},
          std::pair{"IMPP", "instant messaging address"},
          std::pair{"ANNIVERSARY", "anniversary"}}) {
      for (const vcard::Property* p : card_.All(QString::fromLatin1(name))) {
        if ((p->value.trimmed().isEmpty() && p->unreadable.isNull()) ||
            (QLatin1String(name) == QLatin1String("ORG") && org_used_)) {
          continue;
        }
        LeftOut(InterchangeTexts::tr("its %1").arg(QString::fromLatin1(what)));
        break;
      }
    }
    return entry_;
  }

 private:
  void LeftOut(const QString& what) { left_out_->append(who_ + QStringLiteral(": ") + what); }

  // `text` cut to `limit` characters as stored, where only its length is
  // in the way and the caller takes shortened texts (named in
  // `shortened_`); null otherwise.
  QString Shorten(const QString& what, const QString& text, int limit) {
    if (!shortened_ || text.size() <= limit || store::FirstUnstorableCharacter(text))
      return QString();
    QString cut = text.left(limit);
    if (cut.endsWith(QLatin1Char('\r')) || cut.back().isHighSurrogate()) cut.chop(1);
    shortened_->push_back({who_, what, int(text.size()), limit});
    return cut;
  }

  bool ReadName(QString* skip_reason) {
    if (const vcard::Property* n = card_.First(QStringLiteral("N"))) {
      const QStringList parts = vcard::Components(n->value, QLatin1Char(';'));
      entry_.surname = parts.value(0).trimmed();
      entry_.name = parts.value(1).trimmed();
      const QString additional = parts.value(2).trimmed();
      if (!additional.isEmpty()) {
        entry_.name = (entry_.name + QLatin1Char(' ') + additional).trimmed();
      }
      who_ = entry_.Key();
      if (!parts.value(3).trimmed().isEmpty() || !parts.value(4).trimmed().isEmpty()) {
        if (!entry_.surname.isEmpty()) {
          LeftOut(InterchangeTexts::tr("its title before or after the name (\"%1\")")
                      .arg((parts.value(3) + QLatin1Char(' ') + parts.value(4)).trimmed()));
        }
      }
    }
    if (entry_.surname.isEmpty()) {
      // No family name: the last word of the formatted name, the rest as the
      // first name; failing that the organisation.
      QString formatted;
      if (const vcard::Property* fn = card_.First(QStringLiteral("FN")))
        formatted = fn->Text().trimmed();
      if (!formatted.isEmpty()) {
        const qsizetype space = formatted.lastIndexOf(QLatin1Char(' '));
        entry_.surname = space < 0 ? formatted : formatted.mid(space + 1);
        entry_.name = space < 0 ? QString() : formatted.left(space).trimmed();
      } else if (const vcard::Property* org = card_.First(QStringLiteral("ORG"))) {
        entry_.surname = vcard::Components(org->value, QLatin1Char(';')).value(0).trimmed();
        entry_.name.clear();
        org_used_ = true;
      }
    }
    if (entry_.surname.isEmpty()) {
      *skip_reason = InterchangeTexts::tr("it has no name");
      return false;
    }
    return true;
  }

  void ReadPhones() {
    for (const vcard::Property* p : card_.All(QStringLiteral("TEL"))) {
      const QStringList forms = PhoneForms(p->Text().trimmed());
      QString number = forms.first();
      if (number.isEmpty()) continue;
      for (const QString& form : forms) {
        if (FieldProblem(QStringLiteral("it"), form, kPhoneLimit).isNull()) {
          number = form;
          break;
        }
      }
      std::vector<int> places;
      if (p->HasType(QStringLiteral("FAX"))) {
        places = {kFax};
      } else if (p->HasType(QStringLiteral("CELL")) || p->HasType(QStringLiteral("IPHONE")) ||
                 p->HasType(QStringLiteral("MOBILE"))) {
        places = {kMobile};
      } else if (p->HasType(QStringLiteral("WORK"))) {
        // This program marks its second business number, so that it comes
        // back to its own box even when the first is empty.
        if (p->Param(QString::fromLatin1(kPlaceParam)) == QLatin1String("business2")) {
          places = {kWork2};
        } else {
          places = {kWork1, kWork2};
        }
      } else if (p->HasType(QStringLiteral("HOME"))) {
        places = {kHome};
      }
      places.push_back(kOther);
      if (QString cut = Shorten(InterchangeTexts::tr("the telephone number %1").arg(number), number,
                                kPhoneLimit);
          !cut.isNull()) {
        number = cut;
      } else if (QString problem = FieldProblem(QStringLiteral("it"), number, kPhoneLimit);
                 !problem.isNull()) {
        LeftOut(InterchangeTexts::tr("the telephone number %1 (%2)").arg(number.left(30), problem));
        continue;
      }
      bool placed = false;
      for (int place : places) {
        if (entry_.phones[place].isEmpty()) {
          entry_.phones[place] = number;
          placed = true;
          break;
        }
      }
      if (!placed)
        LeftOut(InterchangeTexts::tr("the telephone number %1 (no free place for it)").arg(number));
    }
  }

  void ReadSingle(const QString& name, const QString& what, int limit, QString* field,
                  const char* scheme) {
    bool taken = false;
    for (const vcard::Property* p : Preferred(card_.All(name))) {
      const QString value = WithoutScheme(p->Text().trimmed(), scheme);
      if (value.isEmpty()) continue;
      if (taken) {
        LeftOut(InterchangeTexts::tr("the %1 %2 (only one is kept)").arg(what, value.left(40)));
        continue;
      }
      if (QString cut = Shorten(InterchangeTexts::tr("its %1").arg(what), value, limit);
          !cut.isNull()) {
        *field = cut;
        taken = true;
        continue;
      }
      if (QString problem = FieldProblem(QStringLiteral("it"), value, limit); !problem.isNull()) {
        LeftOut(InterchangeTexts::tr("the %1 %2 (%3)").arg(what, value.left(40), problem));
        continue;
      }
      *field = value;
      taken = true;
    }
  }

  void ReadAddress() {
    std::vector<const vcard::Property*> all = Preferred(card_.All(QStringLiteral("ADR")));
    if (all.empty()) {  // a vCard 2.1 or 3.0 label alone
      for (const vcard::Property* label : card_.All(QStringLiteral("LABEL"))) all.push_back(label);
    }
    bool taken = false;
    for (const vcard::Property* p : all) {
      QString text;
      if (p->name == QLatin1String("LABEL")) {
        text = Crlf(p->Text().trimmed());
      } else {
        const QStringList parts = vcard::Components(p->value, QLatin1Char(';'));
        // post office box, extended address, street, locality, region,
        // postal code, country
        QStringList lines;
        for (int i : {0, 1, 2}) {
          if (!parts.value(i).trimmed().isEmpty()) lines.append(parts.value(i).trimmed());
        }
        const QString town =
            (parts.value(5).trimmed() + QLatin1Char(' ') + parts.value(3).trimmed()).trimmed();
        if (!town.isEmpty()) lines.append(town);
        for (int i : {4, 6}) {
          if (!parts.value(i).trimmed().isEmpty()) lines.append(parts.value(i).trimmed());
        }
        text = Crlf(lines.join(QLatin1Char('\n')));
      }
      if (text.isEmpty()) continue;
      const QString shown = QString(text).replace(QLatin1String("\r\n"), QLatin1String(", "));
      if (taken) {
        LeftOut(InterchangeTexts::tr("the address %1 (only one is kept)").arg(shown.left(40)));
        continue;
      }
      if (QString cut = Shorten(InterchangeTexts::tr("its address"), text, kAddressLimit);
          !cut.isNull()) {
        entry_.address = cut;
        taken = true;
        continue;
      }
      if (QString problem = FieldProblem(QStringLiteral("it"), text, kAddressLimit);
          !problem.isNull()) {
        LeftOut(InterchangeTexts::tr("the address %1 (%2)").arg(shown.left(40), problem));
        continue;
      }
      entry_.address = text;
      taken = true;
    }
  }

  void ReadNotes() {
    QStringList notes;
    for (const vcard::Property* p : card_.All(QStringLiteral("NOTE"))) {
      const QString text = Crlf(p->Text().trimmed());
      if (!text.isEmpty()) notes.append(text);
    }
    const QString text = notes.join(QLatin1String("\r\n"));
    if (text.isEmpty()) return;
    if (QString cut = Shorten(InterchangeTexts::tr("its notes"), text, kNotesLimit);
        !cut.isNull()) {
      entry_.notes = cut;
      return;
    }
    if (QString problem = FieldProblem(QStringLiteral("they"), text, kNotesLimit);
        !problem.isNull()) {
      LeftOut(InterchangeTexts::tr("its notes (%1)").arg(problem));
      return;
    }
    entry_.notes = text;
  }

  void ReadBirthday() {
    entry_.birthday_date = BirthdayText(today_);
    entry_.birthday_flag = QStringLiteral("0");
    const vcard::Property* p = card_.First(QStringLiteral("BDAY"));
    if (!p || p->value.trimmed().isEmpty()) return;
    const QDate date = ParseBday(p->Text());
    const bool no_year = !p->Param(QStringLiteral("X-APPLE-OMIT-YEAR")).isNull();
    static const QRegularExpression year_less(QStringLiteral("^--(\\d{2})-?(\\d{2})$"));
    const QRegularExpressionMatch m = year_less.match(p->Text().trimmed());
    const QDate day_of_year = m.hasMatch()
                                  ? QDate(2000, m.captured(1).toInt(), m.captured(2).toInt())
                              : no_year && date.isValid() ? QDate(2000, date.month(), date.day())
                                                          : QDate();
    if (day_of_year.isValid()) {
      // The address book keeps a birthday as a whole date; a made-up year
      // would give a wrong age.
      LeftOut(InterchangeTexts::tr("its birthday %1 (%2, without a year: the address book keeps "
                                   "only birthdays with a year)")
                  .arg(p->Text().trimmed().left(20),
                       QLocale().toString(day_of_year, InterchangeTexts::tr("d MMMM"))));
      return;
    }
    if (!date.isValid() || date.year() < 1000) {
      LeftOut(InterchangeTexts::tr(
                  "its birthday %1 (only a full date with a four-digit year can be kept)")
                  .arg(p->Text().trimmed().left(20)));
      return;
    }
    entry_.birthday_date = BirthdayText(date);
    entry_.birthday_flag = QStringLiteral("1");
  }

  const vcard::Card& card_;
  QDate today_;
  QStringList* left_out_;
  std::vector<Shortened>* shortened_;
  AddressEntry entry_;
  QString who_;
  bool org_used_ = false;
};

}  // namespace

std::optional<AddressEntry> EntryFromCard(const vcard::Card& card, const QDate& today,
                                          QString* skip_reason, QStringList* left_out,
                                          std::vector<Shortened>* shortened) {
  return CardReader(card, today, left_out, shortened).Read(skip_reason);
}

ContactReading ReadContacts(const QByteArray& vcf, const QDate& today, bool shorten) {
  ContactReading out;
  vcard::ReadResult read = vcard::Read(vcf);
  if (!read.ok()) {
    out.error = read.error;
    return out;
  }
  // What a card's entry is made of must be readable; any other property
  // may hold what it likes.
  static const QStringList kUsed = {"N",   "FN",    "ORG",  "TEL",  "EMAIL", "URL",
                                    "ADR", "LABEL", "NOTE", "BDAY", "UID"};
  for (const vcard::Card& card : read.cards) {
    for (const vcard::Property& p : card.properties) {
      if (!p.unreadable.isNull() && kUsed.contains(p.name)) {
        out.error = vcard::UnreadableError(p);
        return out;
      }
    }
  }
  for (const vcard::Card& card : read.cards) {
    QString reason;
    QStringList left_out;
    std::vector<Shortened> shortened;
    std::optional<AddressEntry> entry =
        EntryFromCard(card, today, &reason, &left_out, shorten ? &shortened : nullptr);
    if (!entry) {
      QString name;
      if (const vcard::Property* fn = card.First(QStringLiteral("FN"))) name = fn->Text().trimmed();
      if (name.isEmpty()) {
        if (const vcard::Property* n = card.First(QStringLiteral("N"))) {
          name = vcard::Components(n->value, QLatin1Char(';')).join(QLatin1Char(' ')).simplified();
        }
      }
      if (name.isEmpty()) name = InterchangeTexts::tr("The vCard at line %1").arg(card.first_line);
      out.skipped.push_back({name, reason});
      continue;
    }
    out.left_out.append(left_out);
    out.shortened.insert(out.shortened.end(), shortened.begin(), shortened.end());
    const vcard::Property* uid = card.First(QStringLiteral("UID"));
    out.uids.push_back(uid ? uid->Text().trimmed() : QString());
    out.entries.push_back(std::move(*entry));
  }
  return out;
}

}  // namespace quorvel::interchange
