#include "items/address_file.h"

#include <QStringList>

#include "items/sync_state.h"
#include "store/messages.h"
#include "store/scan.h"
#include "store/text_codec.h"

namespace quorvel {

namespace {

constexpr store::Channel kBook = store::Channel::kAddBook;

int Record(int item, int field) { return store::FieldRecord(kBook, item, field); }

// The last entry, other than `skip`, whose key equals `key` exactly; -1 when
// there is none, as the operation sees the entries.
int FindKey(const store::Operation& op, const QString& key, int skip = -1) {
  const store::TextMatch match(key);
  const int count = op.ReadCount(kBook);
  int found = -1;
  for (int k = 0; k < count; ++k) {
    if (k != skip && match.Equals(op, kBook, Record(k, kFieldKey))) found = k;
  }
  return found;
}

// The same for the file set, in runs of records.
int FindKey(const store::DataFiles& files, const QString& key, int skip = -1) {
  const store::TextMatch match(key);
  int found = -1;
  store::ScanItems(files, kBook, files.ReadCount(kBook), [&](int k, const char* group) {
    if (k != skip && match.Equals(store::FieldBytes(kBook, group, kFieldKey))) found = k;
  });
  return found;
}

// Moves every entry after `gap` down one group, blanks the old last group
// and stores the smaller count.
void CloseGap(store::Operation& op, int gap, int count) {
  static_assert(kAddressFieldCount == 15);
  constexpr store::ValueKind kText = store::ValueKind::kText;
  op.MoveItems(kBook, gap + 1, count - gap - 1, gap,
               {kText, kText, kText, kText, kText, kText, kText, kText, kText, kText, kText, kText,
                kText, kText, kText});
  for (int f = 1; f <= kAddressFieldCount; ++f) {
    op.WriteText(kBook, Record(count - 1, f), QString(""));
  }
  op.WriteCount(kBook, count - 1);
}

void Append(store::Operation& op, const AddressEntry& entry, int count) {
  const auto fields = entry.Fields();
  for (int f = 1; f <= kAddressFieldCount; ++f) {
    op.WriteText(kBook, Record(count, f), fields[f - 1]);
  }
  op.WriteCount(kBook, count + 1);
}

}  // namespace

QString AddressKey(const QString& surname, const QString& name) {
  return surname + QStringLiteral(", ") + name;
}

QString BirthdayText(const QDate& date) {
  return QStringLiteral("%1/%2/%3")
      .arg(date.day(), 2, 10, QLatin1Char('0'))
      .arg(date.month(), 2, 10, QLatin1Char('0'))
      .arg(date.year());
}

QDate ParseBirthdayText(const QString& text) {
  const QStringList parts = text.split(QLatin1Char('/'));
  if (parts.size() != 3) return QDate();
  bool day_ok = false;
  bool month_ok = false;
  bool year_ok = false;
  const int day = parts[0].toInt(&day_ok);
  const int month = parts[1].toInt(&month_ok);
  const int year = parts[2].toInt(&year_ok);
  if (!day_ok || !month_ok || !year_ok) return QDate();
  return QDate(year, month, day);
}

bool BirthdayFlagSet(const QString& flag) {
  bool ok = false;
  const double value = flag.trimmed().toDouble(&ok);
  return ok && value == 1.0;
}

std::array<QString, kAddressFieldCount> AddressEntry::Fields() const {
  return {Key(),         name,          surname,   address,   phones[0],
          phones[1],     phones[2],     phones[3], phones[4], phones[5],
          birthday_date, birthday_flag, email,     home_page, notes};
}

QString ReadAddressKey(const store::DataFiles& files, int item) {
  return files.ReadText(kBook, Record(item, kFieldKey));
}

namespace {

template <class Reader>
AddressEntry ReadEntry(const Reader& files, int item) {
  auto field = [&](int f) { return files.ReadText(kBook, Record(item, f)); };
  AddressEntry entry;
  entry.name = field(kFieldName);
  entry.surname = field(kFieldSurname);
  entry.address = field(kFieldAddress);
  for (int i = 0; i < kAddressPhoneCount; ++i) entry.phones[i] = field(kFieldFirstPhone + i);
  entry.birthday_date = field(kFieldBirthdayDate);
  entry.birthday_flag = field(kFieldBirthdayFlag);
  entry.email = field(kFieldEmail);
  entry.home_page = field(kFieldHomePage);
  entry.notes = field(kFieldNotes);
  return entry;
}

}  // namespace

AddressEntry ReadAddressEntry(const store::DataFiles& files, int item) {
  // The entry's records in one read, decoded from the bytes read.
  struct Group {
    QByteArray bytes;
    int first;
    QString ReadText(store::Channel channel, int record) const {
      return store::FieldText(channel, bytes.constData(), record - first + 1);
    }
  };
  const int first = Record(item, 1);
  return ReadEntry(Group{files.ReadRecords(kBook, first, kAddressFieldCount), first}, item);
}

AddressEntry ReadAddressEntry(const store::Operation& op, int item) { return ReadEntry(op, item); }

int FindAddressEntry(const store::DataFiles& files, const QString& key) {
  return FindKey(files, key);
}

QString DuplicateEntryMessage() { return MessageTexts::tr("Entry Already Exists!"); }

QString AddressBookFullMessage() {
  return MessageTexts::tr(
             "The address book is full: it can hold no more than %1 entries. "
             "Delete an entry to make room.")
      .arg(store::Info(kBook).max_items);
}

store::Outcome AddAddressEntry(store::DataFiles& files, const AddressEntry& entry) {
  return ReplaceAddressEntry(files, QString(), entry);
}

namespace {

// Appends `entry`, whose key is known not to be stored yet.
store::Outcome AppendNew(store::Operation& op, const AddressEntry& entry) {
  const int count = op.ReadCount(kBook);
  if (count >= store::Info(kBook).max_items) {
    return store::Outcome::Refused(AddressBookFullMessage());
  }
  // Checked before anything is written, so a refusal leaves `op` untouched.
  for (const QString& field : entry.Fields()) {
    const QString refusal = store::TextRefusal(kBook, field);
    if (!refusal.isNull()) return store::Outcome::Refused(refusal);
  }
  Append(op, entry, count);
  return store::Outcome::Stored();
}

}  // namespace

store::Outcome AddAddressEntry(store::Operation& op, const AddressEntry& entry,
                               QSet<QString>* keys) {
  const QString key = entry.Key();
  if (keys ? keys->contains(key) : FindKey(op, key) >= 0) {
    return store::Outcome::Refused(DuplicateEntryMessage());
  }
  const store::Outcome outcome = AppendNew(op, entry);
  if (outcome.stored() && keys) keys->insert(key);
  return outcome;
}

store::Outcome DeleteAddressEntry(store::DataFiles& files, const QString& key) {
  if (key.isEmpty()) return store::Outcome::Stored();
  store::Operation op(files);
  DeleteAddressEntry(op, key);
  return op.Commit();
}

void DeleteAddressEntry(store::Operation& op, const QString& key) {
  if (key.isEmpty()) return;
  const int count = op.ReadCount(kBook);
  const int gap = FindKey(op, key);
  if (gap >= 0) CloseGap(op, gap, count);
}

store::Outcome ReplaceAddressEntry(store::DataFiles& files, const QString& old_key,
                                   const AddressEntry& entry) {
  store::Operation op(files);
  ReplaceAddressEntry(op, old_key, entry);
  if (!op.refused() && !old_key.isEmpty()) sync::NoteEntryRenamed(op, old_key, entry.Key());
  return op.Commit();
}

std::optional<store::Outcome> ReplaceSameAddressEntry(store::DataFiles& files,
                                                      const QString& old_key,
                                                      const AddressEntry& opened,
                                                      const AddressEntry& entry) {
  store::Operation op(files);
  const int item = old_key.isEmpty() ? -1 : FindKey(op, old_key);
  if (item < 0) return std::nullopt;
  const AddressEntry stored = ReadEntry(op, item);
  // Fields 2 to 15 (the key is made of two of them).
  if (stored.Fields() != opened.Fields()) return std::nullopt;
  ReplaceAddressEntry(op, old_key, entry);
  if (!op.refused()) sync::NoteEntryRenamed(op, old_key, entry.Key());
  return op.Commit();
}

void ReplaceAddressEntry(store::Operation& op, const QString& old_key, const AddressEntry& entry) {
  const int count = op.ReadCount(kBook);
  const int old_item = old_key.isEmpty() ? -1 : FindKey(op, old_key);
  if (FindKey(op, entry.Key(), old_item) >= 0) {
    op.Refuse(DuplicateEntryMessage());
    return;
  }
  if (old_item >= 0) {
    CloseGap(op, old_item, count);
    Append(op, entry, count - 1);
  } else {
    // The key was looked for just above: no second pass over the file.
    const store::Outcome outcome = AppendNew(op, entry);
    if (outcome.refused()) op.Refuse(outcome.reason());
  }
}

}  // namespace quorvel
