// What each kind of item is searched in, and where its fields lie.
#pragma once

#include <span>

#include "items/address_file.h"
#include "items/appointment_file.h"
#include "items/note_file.h"
#include "search/search.h"
#include "store/record_codec.h"
#include "store/scan.h"

namespace quorvel::search {

// What an item of each kind is searched in and named by. Its identity is
// always field 1 (the appointment's ID, the note's title, the entry's key).
inline constexpr int kAppointmentTexts[] = {kAppointmentSubject, kAppointmentDescription};
inline constexpr int kNoteTexts[] = {kNoteTitle, kNoteBody};
// An entry's names, then its other texts (the birthday only when it is set).
inline constexpr int kEntryTexts[] = {
    kFieldName,           kFieldSurname,        kFieldAddress,        kFieldFirstPhone,
    kFieldFirstPhone + 1, kFieldFirstPhone + 2, kFieldFirstPhone + 3, kFieldFirstPhone + 4,
    kFieldFirstPhone + 5, kFieldBirthdayDate,   kFieldEmail,          kFieldHomePage,
    kFieldNotes};
struct Layout {
  Kind kind;
  store::Channel channel;
  int title_field;
  std::span<const int> texts;  // searched, in the order an excerpt is taken from them
  std::size_t excerpt_from;    // the first text an excerpt may come from
};
inline constexpr Layout kLayouts[3] = {
    {Kind::kAppointment, store::Channel::kAppoint, kAppointmentSubject, kAppointmentTexts, 1},
    {Kind::kNote, store::Channel::kNotes, kNoteTitle, kNoteTexts, 1},
    {Kind::kEntry, store::Channel::kAddBook, kFieldKey, kEntryTexts, 2},
};
inline const Layout& LayoutOf(Kind kind) { return kLayouts[static_cast<int>(kind)]; }

// Whether text `field` of an item is searched: an entry's birthday only
// when it is set (the editor stores a date even when none is ticked).
inline bool Searched(const Layout& layout, const char* group, int field) {
  return layout.kind != Kind::kEntry || field != kFieldBirthdayDate ||
         BirthdayFlagSet(store::FieldText(store::Channel::kAddBook, group, kFieldBirthdayFlag));
}

}  // namespace quorvel::search
