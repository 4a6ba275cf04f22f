// How one value sits in one record, and the fixed facts of the four files.
// The record model itself is described in store/data_files.h.
#pragma once

#include <array>
#include <cstdint>

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace quorvel::store {

enum class Channel : int {
  kAppoint = 11,
  kNotes = 12,
  kAddBook = 13,
  kPhotoF = 14,
  // The sync settings and state: an extra file beside the four, present
  // only once sync has been set up. Its 512-byte records hold raw bytes
  // whose meaning belongs to sync/; it changes only through an Operation,
  // so it is journaled and rolled back like the others.
  kSync = 15,
  // The server's copy of every synced item as last seen, beside Sync.dat
  // (which says where each one lies): present only once sync has stored
  // one. 4096-byte records of raw bytes, journaled like every other file.
  kKept = 16,
  // What the reminders remember: which were shown, dismissed or snoozed
  // (reminding/). Written by whichever process keeps the reminders, which
  // need not hold the folder: see DataFiles::OpenAlone.
  kRemind = 17,
  // Events the four files cannot hold (repeating, all-day, multi-day),
  // each kept whole as its iCalendar text (events/): present only once one
  // is stored. 4096-byte records of raw bytes, journaled like the others.
  kEvents = 18,
  // What imported appointments came as: each one's iCalendar event kept as
  // it came, beside the Appoint.dat record made of it, so that an export
  // gives it back (calendar/imported_appointments.h): present only once one
  // is kept. 4096-byte records of raw bytes, journaled like the others.
  kImported = 19,
};

inline constexpr std::array<Channel, 4> kAllChannels = {Channel::kAppoint, Channel::kNotes,
                                                        Channel::kAddBook, Channel::kPhotoF};
// Slots for channels 11 and up, by ChannelIndex.
inline constexpr int kChannelCount = 9;
// The four and the extra files.
inline constexpr std::array<Channel, kChannelCount> kEveryChannel = {
    Channel::kAppoint, Channel::kNotes,  Channel::kAddBook, Channel::kPhotoF,  Channel::kSync,
    Channel::kKept,    Channel::kRemind, Channel::kEvents,  Channel::kImported};

// 0 to 3, in channel order.
inline int ChannelIndex(Channel channel) { return static_cast<int>(channel) - 11; }

// The largest record number: record numbers are 16-bit signed.
inline constexpr int kLargestRecordNumber = 32767;

// The fixed facts of one file of the set.
struct ChannelInfo {
  const char* file_name;  // "Appoint.dat" …
  int record_length;      // bytes
  int group_size;         // N; 0 for PhotoF.dat, which holds one value
  int max_items;          // largest count the 16-bit record numbers allow
};
const ChannelInfo& Info(Channel channel);

// The longest text, in bytes, a record of `channel` holds.
inline int TextCapacity(Channel channel) { return Info(channel).record_length - 2; }

// Record number of field `field` (from 1) of item `item` (from 0).
inline int FieldRecord(Channel channel, int item, int field) {
  return Info(channel).group_size * item + field;
}
inline int CountRecord(Channel channel) { return Info(channel).group_size; }

struct Variant {
  enum Tag : std::uint16_t { kEmpty = 0, kInt16 = 2, kInt32 = 3 };
  std::uint16_t tag = kEmpty;
  std::int32_t value = 0;
  bool has_value() const { return tag == kInt16 || tag == kInt32; }
};

// The item count a count record's value stands for: 0 without a value,
// never negative and never beyond what the file's record numbers allow.
int CountOf(Channel channel, const Variant& count);

// Encoding and decoding of one record (exactly `length` bytes, zero-filled).
QByteArray EncodeTextRecord(const QByteArray& text, int length);
QByteArray EncodeIntegerRecord(std::int16_t value, int length);
QByteArray EncodeVariantRecord(const Variant& value, int length);
QString DecodeTextRecord(const QByteArray& record);
std::int16_t DecodeIntegerRecord(const QByteArray& record);
Variant DecodeVariantRecord(const QByteArray& record);

// The same, in place: `record` points at the first of `length` bytes of one
// whole record, for example inside what DataFiles::ReadRecords returned.
// Nothing is copied.
QByteArrayView TextBytesAt(const char* record, int length);  // Windows-1252
QString DecodeTextAt(const char* record, int length);
std::int16_t DecodeIntegerAt(const char* record, int length);
Variant DecodeVariantAt(const char* record, int length);
void EncodeTextAt(char* record, int length, QByteArrayView text);
void EncodeVariantAt(char* record, int length, const Variant& value);

// `dir` and `file_name` joined by exactly one separator.
QString JoinPath(const QString& dir, const QString& file_name);

// The sentence shown when `text` cannot be stored in `channel`, or a null
// string when it can.
QString TextRefusal(Channel channel, const QString& text);

}  // namespace quorvel::store
