// AddBook.dat: one address book entry per group of sixteen records; fields
// 1 to 15 of entry k are records 16k + 1 … 16k + 15, and record 16 holds
// the number of entries. Every field is a text.
#pragma once

#include <array>
#include <optional>

#include <QDate>
#include <QSet>
#include <QString>

#include "store/data_files.h"

namespace quorvel {

inline constexpr int kAddressFieldCount = 15;
inline constexpr int kAddressPhoneCount = 6;

// Field numbers within an entry's group.
enum AddressField : int {
  kFieldKey = 1,
  kFieldName = 2,
  kFieldSurname = 3,
  kFieldAddress = 4,
  kFieldFirstPhone = 5,  // home, business 1, business 2, mobile, fax, other
  kFieldBirthdayDate = 11,
  kFieldBirthdayFlag = 12,
  kFieldEmail = 13,
  kFieldHomePage = 14,
  kFieldNotes = 15,
};

// The most characters each field's box accepts.
inline constexpr int kNameLimit = 20;
inline constexpr int kSurnameLimit = 20;
inline constexpr int kAddressLimit = 100;  // a line break counts as two
inline constexpr int kPhoneLimit = 20;
inline constexpr int kEmailLimit = 30;
inline constexpr int kHomePageLimit = 30;
inline constexpr int kNotesLimit = 100;  // a line break counts as two

// The key an entry is known by: surname, a comma and a space, then the name.
QString AddressKey(const QString& surname, const QString& name);

// A date as the birthday text: dd/mm/yyyy, day and month two digits.
QString BirthdayText(const QDate& date);
// The date a birthday text names; invalid when the text is not dd/mm/yyyy.
QDate ParseBirthdayText(const QString& text);
// Whether a stored birthday flag marks the entry as having a birthday: its
// numeric value is 1.
bool BirthdayFlagSet(const QString& flag);

struct AddressEntry {
  QString name;
  QString surname;
  QString address;  // lines separated by carriage return + line feed
  std::array<QString, kAddressPhoneCount> phones;
  QString birthday_date;                        // dd/mm/yyyy, stored whether or not the flag is set
  QString birthday_flag = QStringLiteral("0");  // "1" or "0"
  QString email;
  QString home_page;
  QString notes;

  QString Key() const { return AddressKey(surname, name); }
  // Fields 1 to 15 in record order, the key first.
  std::array<QString, kAddressFieldCount> Fields() const;
};

// The key of entry `item` (from 0).
QString ReadAddressKey(const store::DataFiles& files, int item);
// Fields 2 to 15 of entry `item`.
AddressEntry ReadAddressEntry(const store::DataFiles& files, int item);
// The entry stored under `key` (exact comparison; the last one if the file
// somehow holds several), or -1.
int FindAddressEntry(const store::DataFiles& files, const QString& key);

// Appends `entry` at the end of the file. Refused, with nothing written,
// when its key is already stored, when the file is full, or when a field
// cannot be stored.
store::Outcome AddAddressEntry(store::DataFiles& files, const AddressEntry& entry);
// The same as one step of a larger operation: the entry's writes are added
// to `op`, which the caller commits. A refusal adds nothing to `op`, so the
// caller may go on with other steps. For many adds in one operation pass
// `keys`, every key stored as `op` sees the file (the caller fills it once,
// each stored add inserts its key): it stands in for the scan of the file.
store::Outcome AddAddressEntry(store::Operation& op, const AddressEntry& entry,
                               QSet<QString>* keys = nullptr);

// Removes the entry stored under `key` and closes the gap: later entries
// move down one group, the old last group becomes fifteen empty texts and
// the count drops by one. An empty key, or one that is not stored, changes
// nothing.
store::Outcome DeleteAddressEntry(store::DataFiles& files, const QString& key);

// Replaces the entry stored under `old_key` with `entry`, which goes to the
// end of the file, in one step. Refused, with nothing written, when the new
// key belongs to any other entry or a field cannot be stored. When `old_key`
// is no longer stored the entry is added as by AddAddressEntry.
store::Outcome ReplaceAddressEntry(store::DataFiles& files, const QString& old_key,
                                   const AddressEntry& entry);

// ReplaceAddressEntry for an editor opened on `opened` (fields 2 to 15 as
// read then) under `old_key`: nothing, with nothing written, when that key
// no longer holds exactly `opened` (a sync or another program changed or
// deleted it meanwhile), so that an edit is never stored over another
// version of the entry nor brings back one deleted meanwhile.
std::optional<store::Outcome> ReplaceSameAddressEntry(store::DataFiles& files,
                                                      const QString& old_key,
                                                      const AddressEntry& opened,
                                                      const AddressEntry& entry);

// The same changes inside an operation the caller commits (the sync
// engine), refusing `op` instead of returning; they leave the sync links to
// the caller.
void ReplaceAddressEntry(store::Operation& op, const QString& old_key, const AddressEntry& entry);
void DeleteAddressEntry(store::Operation& op, const QString& key);
// Fields 2 to 15 of entry `item`, seen through `op`.
AddressEntry ReadAddressEntry(const store::Operation& op, int item);

// The refusal texts.
QString DuplicateEntryMessage();
QString AddressBookFullMessage();

}  // namespace quorvel
