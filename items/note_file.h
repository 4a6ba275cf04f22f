// Notes.dat: one note per group of three records (title, body), count in
// record 3. Every function reads the file afresh; nothing is cached.
#pragma once

#include <optional>

#include <QString>
#include <QStringList>

#include "store/data_files.h"

namespace quorvel {

// Field numbers within a note's group of records.
enum NoteField : int { kNoteTitle = 1, kNoteBody = 2 };

// The longest title the title box accepts and the longest body the pad
// accepts, in stored characters (a line break counts as its two bytes).
inline constexpr int kNoteTitleLength = 20;
inline constexpr int kNoteBodyLength = 490;

struct Note {
  QString title;
  QString body;  // line breaks as stored: carriage return + line feed
};

// The titles of the stored notes, note 0 first.
QStringList LoadNotesList(const store::DataFiles& files);

// Saves `body` under `title`. The last stored note whose title equals
// `title` exactly gets the new body; when none does, a new note is appended
// (count first, then title, then body) and its number (from 1) goes to
// `*appended_number`, which is otherwise set to 0.
store::Outcome SaveNote(store::DataFiles& files, const QString& title, const QString& body,
                        int* appended_number = nullptr);

// Note `index` (from 0) with leading and trailing spaces removed from both
// texts; nothing when the file holds no such note.
std::optional<Note> ViewNote(const store::DataFiles& files, int index);

// Removes note `index` (from 0): later notes move down one place, the old
// last group receives two empty texts and the count drops by one.
store::Outcome DeleteNote(store::DataFiles& files, int index);

}  // namespace quorvel
