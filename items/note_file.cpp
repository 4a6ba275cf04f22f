#include "items/note_file.h"

#include "store/messages.h"
#include "store/scan.h"
#include "store/text_codec.h"
#include "store/trim.h"

namespace quorvel {

using store::Channel;

namespace {

constexpr Channel kNotes = Channel::kNotes;

int TitleRecord(int index) { return store::FieldRecord(kNotes, index, kNoteTitle); }
int BodyRecord(int index) { return store::FieldRecord(kNotes, index, kNoteBody); }

}  // namespace

QStringList LoadNotesList(const store::DataFiles& files) {
  QStringList titles;
  const int count = files.ReadCount(kNotes);
  titles.reserve(count);
  store::ScanItems(files, kNotes, count, [&titles](int, const char* group) {
    titles.append(store::FieldText(kNotes, group, kNoteTitle));
  });
  return titles;
}

store::Outcome SaveNote(store::DataFiles& files, const QString& title, const QString& body,
                        int* appended_number) {
  if (appended_number != nullptr) *appended_number = 0;
  if (body.size() > 1000) {
    return store::Outcome::Refused(
        MessageTexts::tr("The size of the Note must not exceed 1000 characters"));
  }
  // Said in what the user sees on the pad: characters and line breaks.
  const int capacity = store::TextCapacity(kNotes);
  if (body.size() > capacity && !store::FirstUnstorableCharacter(body)) {
    const int breaks = int(body.count(QStringLiteral("\r\n")));
    return store::Outcome::Refused(
        MessageTexts::tr("The note is too long to be stored: it holds %1 characters and %2 line "
                         "breaks. %3 characters fit; line breaks count as two. Please shorten it "
                         "by %4 and try again.")
            .arg(body.size() - 2 * breaks)
            .arg(breaks)
            .arg(capacity)
            .arg(body.size() - capacity));
  }
  store::Operation op(files);
  const int count = op.ReadCount(kNotes);
  int match = -1;
  const store::TextMatch same_title(title);
  // One pass of small reads: the titles are spread over the whole file.
  op.ScanItems(kNotes, count, [&](int k, const char* group) {
    if (same_title.Equals(store::FieldBytes(kNotes, group, kNoteTitle)))
      match = k;  // the last match wins
  });
  if (match >= 0) {
    op.WriteText(kNotes, BodyRecord(match), body);
    return op.Commit();
  }
  const int most = store::Info(kNotes).max_items;
  if (count >= most) {
    op.Refuse(MessageTexts::tr("The note pad is full: it already holds %1 notes, the most it "
                               "can keep. Delete a note you no longer need, or save under the "
                               "title of an existing note to replace it.")
                  .arg(most));
    return op.Commit();
  }
  op.WriteCount(kNotes, count + 1);
  op.WriteText(kNotes, TitleRecord(count), title);
  op.WriteText(kNotes, BodyRecord(count), body);
  store::Outcome outcome = op.Commit();
  if (outcome.stored() && appended_number != nullptr) *appended_number = count + 1;
  return outcome;
}

std::optional<Note> ViewNote(const store::DataFiles& files, int index) {
  const int count = files.ReadCount(kNotes);
  if (index < 0 || index >= count) return std::nullopt;
  const QByteArray note = files.ReadRecords(kNotes, TitleRecord(index), 2);
  return Note{store::TrimSpaces(store::FieldText(kNotes, note.constData(), 1)),
              store::TrimSpaces(store::FieldText(kNotes, note.constData(), 2))};
}

store::Outcome DeleteNote(store::DataFiles& files, int index) {
  store::Operation op(files);
  const int count = op.ReadCount(kNotes);
  if (index < 0 || index >= count) {
    op.Refuse(MessageTexts::tr("This note is no longer stored, so it cannot be deleted."));
    return op.Commit();
  }
  // Later notes move down one place; the notes before `index` are left as
  // they are, since rewriting them would change no byte.
  op.MoveItems(kNotes, index + 1, count - index - 1, index,
               {store::ValueKind::kText, store::ValueKind::kText});
  op.WriteText(kNotes, TitleRecord(count - 1), QString());
  op.WriteText(kNotes, BodyRecord(count - 1), QString());
  op.WriteCount(kNotes, count - 1);
  return op.Commit();
}

}  // namespace quorvel
