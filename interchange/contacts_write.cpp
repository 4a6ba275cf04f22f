// Address book entries written as vCard 3.0 cards, under UIDs made from their keys.
#include <QCryptographicHash>

#include "interchange/mapping.h"

namespace quorvel::interchange {

QString ContactUid(const QString& key) {
  return QStringLiteral("quorvel-contact-%1")
      .arg(QString::fromLatin1(
          QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex().left(16)));
}

namespace {

void AddContact(vcard::Writer& w, const AddressEntry& e) {
  using vcard::Escape;
  w.Begin();
  w.Add(QStringLiteral("PRODID"), QString(), QStringLiteral("-//Quorvel//Quorvel 1.0//EN"));
  w.Add(QStringLiteral("UID"), QString(), ContactUid(e.Key()));
  w.Add(QStringLiteral("N"), QString(),
        Escape(e.surname) + QLatin1Char(';') + Escape(e.name) + QStringLiteral(";;;"));
  const QString formatted = e.name.isEmpty() ? e.surname : e.name + QLatin1Char(' ') + e.surname;
  w.Add(QStringLiteral("FN"), QString(), Escape(formatted));
  static const char* const kPhoneTypes[kAddressPhoneCount] = {
      "TYPE=HOME,VOICE", "TYPE=WORK,VOICE", "TYPE=WORK,VOICE;X-QUORVEL-FIELD=business2",
      "TYPE=CELL,VOICE", "TYPE=FAX",        "TYPE=VOICE"};
  for (int i = 0; i < kAddressPhoneCount; ++i) {
    if (e.phones[i].isEmpty()) continue;
    w.Add(QStringLiteral("TEL"), QString::fromLatin1(kPhoneTypes[i]), Escape(e.phones[i]));
  }
  if (!e.email.isEmpty())
    w.Add(QStringLiteral("EMAIL"), QStringLiteral("TYPE=INTERNET"), Escape(e.email));
  if (!e.home_page.isEmpty()) w.Add(QStringLiteral("URL"), QString(), Escape(e.home_page));
  if (!e.address.isEmpty()) {
    // The address is free text: all of it goes in the street part.
    w.Add(QStringLiteral("ADR"), QStringLiteral("TYPE=HOME"),
          QStringLiteral(";;") + Escape(e.address) + QStringLiteral(";;;;"));
  }
  if (!e.notes.isEmpty()) w.Add(QStringLiteral("NOTE"), QString(), Escape(e.notes));
  if (BirthdayFlagSet(e.birthday_flag)) {
    const QDate born = ParseBirthdayText(e.birthday_date);
    if (born.isValid()) {
      w.Add(QStringLiteral("BDAY"), QStringLiteral("VALUE=DATE"), born.toString(Qt::ISODate));
    }
  }
  w.End();
}

}  // namespace

QByteArray WriteContact(const AddressEntry& entry) {
  vcard::Writer w;
  AddContact(w, entry);
  return w.bytes();
}

QByteArray WriteContacts(const std::vector<AddressEntry>& entries) {
  vcard::Writer w;
  for (const AddressEntry& e : entries) AddContact(w, e);
  return w.bytes();
}

}  // namespace quorvel::interchange
