// The note pad with its list of saved notes.
#pragma once

#include <cstdint>

#include <QString>
#include <QStringList>
#include <QWidget>

class QLineEdit;
class QPushButton;
class QTableView;

namespace quorvel {

class Organiser;
class LimitedTextEdit;
class NotesListModel;

// Object names of the Notes window and its controls.
namespace notes_names {
inline constexpr char kWindow[] = "Form2";
inline constexpr char kPad[] = "Text1";         // the note being written
inline constexpr char kList[] = "MSFlexGrid1";  // the saved notes
inline constexpr char kClearPad[] = "Command4";
inline constexpr char kViewNote[] = "Command2";
inline constexpr char kDeleteNote[] = "Command3";
inline constexpr char kSaveNote[] = "Command1";  // "Save Note As:"
inline constexpr char kTitle[] = "Text2";        // the title it is saved under
inline constexpr char kClose[] = "Command5";
}  // namespace notes_names

class NotesWindow : public QWidget {
  Q_OBJECT

 public:
  explicit NotesWindow(Organiser& app);

  // Rebuilds the list from the file and resets pad, title box and Save.
  void LoadNotesList();
  // Shows the titles the file holds now (after a sync, an import or another
  // window's change), keeping the chosen note chosen while it is stored;
  // the pad, the title box and Save stay as the user left them.
  void Refresh();
  // Saves the pad under the title in the title box.
  void SaveNote();
  // Puts the note of the current row onto the pad and into the title box.
  void ViewNote();
  // Removes the note of the current row from the file and from the list.
  void DeleteNote();

  // The pad's text as stored: line breaks as carriage return + line feed.
  QString PadText() const;
  void SetPadText(const QString& stored);

  // The note of the list's current row (from 0), or -1 while none is.
  int CurrentNote() const;
  // Puts note `index` (from 0) onto the pad and into the title box, as
  // View does, with its row shown in the list (read again when it no
  // longer matches the file).
  void ShowNote(int index);

 protected:
  bool event(QEvent* event) override;

 private:
  void FillList(const QStringList& titles);
  // The titles the file holds, read now; the list is taken to match them.
  QStringList StoredTitles();
  // Whether the list still shows what the file holds: nothing has changed
  // the file since the list last matched it.
  bool ListCurrent() const;
  // After this window's own change, made when the file's change count was
  // `before`, with the list changed to match: the list still matches the
  // file when it did before and no other change came in between.
  void Followed(std::uint64_t before);
  // Empties the pad, puts "Note" in the title box and disables Save.
  void ResetPad();
  // Makes no row current without copying anything into the title box.
  void ResetCurrentRow();
  void OnCurrentRowChanged(int row);
  void OnPadChanged();
  void OnTitleChanged();

  Organiser& app_;
  LimitedTextEdit* pad_ = nullptr;  // Text1
  QTableView* list_ = nullptr;      // MSFlexGrid1
  NotesListModel* model_ = nullptr;
  QPushButton* clear_ = nullptr;   // Command4
  QPushButton* view_ = nullptr;    // Command2
  QPushButton* delete_ = nullptr;  // Command3
  QPushButton* save_ = nullptr;    // Command1
  QLineEdit* title_ = nullptr;     // Text2
  QPushButton* close_ = nullptr;   // Command5
  QString last_pad_text_;
  bool moving_row_ = false;   // the window itself is setting the current row
  std::uint64_t listed_ = 0;  // the file's change count when the list last matched it
};

}  // namespace quorvel
