#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

#include "items/note_file.h"
#include "notes/notes_window.h"
#include "test_support.h"

namespace quorvel::testing {
namespace {

using store::Channel;

constexpr int kLength = 500;

// A text record as it must be on disk: length, Windows-1252 bytes, zeros.
QByteArray TextRecord(const QByteArray& text) {
  QByteArray bytes;
  bytes.append(char(text.size() & 0xff));
  bytes.append(char(text.size() >> 8));
  bytes.append(text);
  bytes.append(QByteArray(kLength - bytes.size(), '\0'));
  return bytes;
}
QByteArray CountRecord(int count) {
  return QByteArray::fromHex("0200") + char(count & 0xff) + char(count >> 8) +
         QByteArray(kLength - 4, '\0');
}

class NoteFileTest : public AppFixture {
 protected:
  QByteArray Record(int record) { return RecordBytes(Path("Notes.dat"), kLength, record); }
  QByteArray File() { return FileBytes(Path("Notes.dat")); }
  void Save(const QString& title, const QString& body, int expected_number) {
    int number = -1;
    ASSERT_TRUE(SaveNote(files(), title, body, &number).stored());
    EXPECT_EQ(number, expected_number);
  }
};

TEST_F(NoteFileTest, SaveAppendsThenReplacesTheBodyOfTheSameTitleOnly) {
  Save(QStringLiteral("Note"), QStringLiteral("Buy milk\r\nand br\u00e9ad"), 1);
  EXPECT_EQ(Record(1), TextRecord("Note"));
  EXPECT_EQ(Record(2), TextRecord("Buy milk\r\nand br\xe9"
                                  "ad"));
  EXPECT_EQ(Record(3), CountRecord(1));
  EXPECT_EQ(File().size(), 3 * kLength);

  Save(QStringLiteral("Note"), QStringLiteral("Call Anna"), 0);
  EXPECT_EQ(Record(1), TextRecord("Note"));
  EXPECT_EQ(Record(2), TextRecord("Call Anna"));
  EXPECT_EQ(Record(3), CountRecord(1));
  EXPECT_EQ(File().size(), 3 * kLength);

  // Titles compare exactly: lower case and trailing spaces make new notes.
  Save(QStringLiteral("note"), QStringLiteral("second"), 2);
  Save(QStringLiteral("Note "), QString(), 3);
  EXPECT_EQ(Record(3), CountRecord(3));
  EXPECT_EQ(Record(4), TextRecord("note"));
  EXPECT_EQ(Record(5), TextRecord("second"));
  EXPECT_EQ(Record(7), TextRecord("Note "));
  EXPECT_EQ(Record(8), TextRecord(""));
  EXPECT_EQ(Record(6), QByteArray(kLength, '\0'));  // never written
  EXPECT_EQ(LoadNotesList(files()),
            QStringList({QStringLiteral("Note"), QStringLiteral("note"), QStringLiteral("Note ")}));
}

TEST_F(NoteFileTest, TheLastNoteWithTheTitleIsTheOneReplaced) {
  {
    store::Operation op(files());
    op.WriteCount(Channel::kNotes, 2);
    op.WriteText(Channel::kNotes, 1, QStringLiteral("Same"));
    op.WriteText(Channel::kNotes, 2, QStringLiteral("first"));
    op.WriteText(Channel::kNotes, 4, QStringLiteral("Same"));
    op.WriteText(Channel::kNotes, 5, QStringLiteral("second"));
    ASSERT_TRUE(op.Commit().stored());
  }
  Save(QStringLiteral("Same"), QStringLiteral("new"), 0);
  EXPECT_EQ(Record(2), TextRecord("first"));
  EXPECT_EQ(Record(5), TextRecord("new"));
  EXPECT_EQ(Record(3), CountRecord(2));
}

TEST_F(NoteFileTest, DeletingMovesLaterNotesDownAndEmptiesTheOldLastGroup) {
  Save(QStringLiteral("A"), QStringLiteral("alpha"), 1);
  Save(QStringLiteral("B"), QStringLiteral("beta"), 2);
  Save(QStringLiteral("C"), QStringLiteral("gamma"), 3);
  const qint64 size = File().size();

  ASSERT_TRUE(DeleteNote(files(), 1).stored());
  EXPECT_EQ(Record(1), TextRecord("A"));
  EXPECT_EQ(Record(2), TextRecord("alpha"));
  EXPECT_EQ(Record(3), CountRecord(2));
  EXPECT_EQ(Record(4), TextRecord("C"));
  EXPECT_EQ(Record(5), TextRecord("gamma"));
  EXPECT_EQ(Record(7), TextRecord(""));
  EXPECT_EQ(Record(8), TextRecord(""));
  EXPECT_EQ(File().size(), size);  // files never shrink
  EXPECT_EQ(LoadNotesList(files()), QStringList({QStringLiteral("A"), QStringLiteral("C")}));
}

TEST_F(NoteFileTest, DeletingTheOnlyNoteLeavesTwoEmptyTextsAndCountZero) {
  Save(QStringLiteral("Only"), QStringLiteral("text"), 1);
  ASSERT_TRUE(DeleteNote(files(), 0).stored());
  EXPECT_EQ(Record(1), TextRecord(""));
  EXPECT_EQ(Record(2), TextRecord(""));
  EXPECT_EQ(Record(3), CountRecord(0));
  EXPECT_TRUE(LoadNotesList(files()).isEmpty());

  // Nothing left to delete: refused, the count never goes below zero.
  const QByteArray before = File();
  EXPECT_TRUE(DeleteNote(files(), 0).refused());
  EXPECT_EQ(File(), before);
}

TEST_F(NoteFileTest, RefusedSavesWriteNothing) {
  Save(QStringLiteral("Kept"), QStringLiteral("body"), 1);
  const QByteArray before = File();
  auto refused = [&](const QString& title, const QString& body) {
    int number = -1;
    const store::Outcome outcome = SaveNote(files(), title, body, &number);
    EXPECT_TRUE(outcome.refused());
    EXPECT_FALSE(outcome.reason().isEmpty());
    EXPECT_EQ(number, 0);
    EXPECT_EQ(File(), before);
    return outcome.reason();
  };
  EXPECT_EQ(refused(QStringLiteral("Long"), QString(1001, QLatin1Char('x'))),
            QStringLiteral("The size of the Note must not exceed 1000 characters"));
  refused(QStringLiteral("Long"), QString(499, QLatin1Char('x')));  // beyond the record
  refused(QStringLiteral("Kept"), QString(499, QLatin1Char('x')));  // also when replacing
  refused(QStringLiteral("\u03a9mega"), QStringLiteral("body"));    // not in the code page
  refused(QStringLiteral("Kept"), QStringLiteral("\u0101"));
  EXPECT_TRUE(SaveNote(files(), QStringLiteral("Full"), QString(498, QLatin1Char('x'))).stored());
}

TEST_F(NoteFileTest, AFullFileRefusesANewTitleButStillReplaces) {
  {
    store::Operation op(files());
    op.WriteCount(Channel::kNotes, 10922);
    op.WriteText(Channel::kNotes, store::FieldRecord(Channel::kNotes, 10921, 1),
                 QStringLiteral("Last"));
    ASSERT_TRUE(op.Commit().stored());
  }
  const QByteArray before = File();
  const store::Outcome outcome = SaveNote(files(), QStringLiteral("One more"), QStringLiteral("x"));
  ASSERT_TRUE(outcome.refused());
  EXPECT_TRUE(outcome.reason().contains(QStringLiteral("10922")));
  EXPECT_EQ(File(), before);

  EXPECT_TRUE(SaveNote(files(), QStringLiteral("Last"), QStringLiteral("kept")).stored());
  EXPECT_EQ(files().ReadText(Channel::kNotes, 32765), QStringLiteral("kept"));
  EXPECT_EQ(files().ReadCount(Channel::kNotes), 10922);
}

TEST_F(NoteFileTest, ViewingTrimsSpacesOnly) {
  Save(QStringLiteral("  Plan "), QStringLiteral("  first\r\n  second  \r\n"), 1);
  const std::optional<Note> note = ViewNote(files(), 0);
  ASSERT_TRUE(note.has_value());
  EXPECT_EQ(note->title, QStringLiteral("Plan"));
  EXPECT_EQ(note->body, QStringLiteral("first\r\n  second  \r\n"));
  EXPECT_FALSE(ViewNote(files(), 1).has_value());
  EXPECT_FALSE(ViewNote(files(), -1).has_value());
}

// ------------------------------------------------------------------ window

class NotesWindowTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    window_ = &app_->Notes();
    pad_ = window_->findChild<QPlainTextEdit*>(QLatin1String(notes_names::kPad));
    list_ = window_->findChild<QTableView*>(QLatin1String(notes_names::kList));
    title_ = window_->findChild<QLineEdit*>(QLatin1String(notes_names::kTitle));
    save_ = Button(notes_names::kSaveNote);
    ASSERT_TRUE(pad_ && list_ && title_ && save_);
  }
  QPushButton* Button(const char* name) {
    return window_->findChild<QPushButton*>(QLatin1String(name));
  }
  void Click(const char* name) { QTest::mouseClick(Button(name), Qt::LeftButton); }
  QString Cell(int row, int column) {
    const QModelIndex index = list_->model()->index(row, column);
    return index.isValid() ? index.data().toString() : QStringLiteral("<none>");
  }
  void Activate() {
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(window_, &activate);
  }
  void ClickRow(int row) {
    const QRect cell = list_->visualRect(list_->model()->index(row, 1));
    QTest::mouseClick(list_->viewport(), Qt::LeftButton, {}, cell.center());
  }
  void SaveAs(const QString& title, const QString& body) {
    title_->setText(title);
    window_->SetPadText(body);
    Click(notes_names::kSaveNote);
  }

  NotesWindow* window_ = nullptr;
  QPlainTextEdit* pad_ = nullptr;
  QTableView* list_ = nullptr;
  int Rows() const { return list_->model()->rowCount(); }
  QLineEdit* title_ = nullptr;
  QPushButton* save_ = nullptr;
};

TEST_F(NotesWindowTest, FirstUseShowsTheHeaderOnlyAndWritingEnablesSave) {
  EXPECT_EQ(Rows(), 0);
  EXPECT_EQ(list_->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Nr."));
  EXPECT_EQ(list_->model()->headerData(1, Qt::Horizontal).toString(),
            QStringLiteral("Description"));
  EXPECT_EQ(list_->columnWidth(0), 33);
  // The description takes the rest of the list's width.
  EXPECT_EQ(list_->columnWidth(0) + list_->columnWidth(1), list_->viewport()->width());
  EXPECT_TRUE(pad_->toPlainText().isEmpty());
  EXPECT_EQ(title_->text(), QStringLiteral("Note"));
  EXPECT_FALSE(save_->isEnabled());

  // "Clear Pad" on an empty pad changes nothing, so Save stays disabled.
  Click(notes_names::kClearPad);
  EXPECT_FALSE(save_->isEnabled());

  QTest::keyClicks(pad_, QStringLiteral("Dentist"));
  QTest::keyClick(pad_, Qt::Key_Return);
  QTest::keyClicks(pad_, QStringLiteral("Friday"));
  EXPECT_TRUE(save_->isEnabled());
  Click(notes_names::kSaveNote);
  EXPECT_FALSE(save_->isEnabled());
  ASSERT_EQ(Rows(), 1);
  EXPECT_EQ(Cell(0, 0), QStringLiteral("1"));
  EXPECT_EQ(Cell(0, 1), QStringLiteral("Note"));
  EXPECT_EQ(RecordBytes(Path("Notes.dat"), kLength, 2), TextRecord("Dentist\r\nFriday"));
  EXPECT_EQ(RecordBytes(Path("Notes.dat"), kLength, 3), CountRecord(1));
  EXPECT_EQ(pad_->toPlainText(), QStringLiteral("Dentist\nFriday"));  // pad keeps its text

  // Saving again under the default title replaces; a lower-case title adds.
  window_->SetPadText(QStringLiteral("Dentist moved"));
  Click(notes_names::kSaveNote);
  EXPECT_EQ(Rows(), 1);
  title_->setText(QStringLiteral("note"));
  EXPECT_TRUE(save_->isEnabled());
  Click(notes_names::kSaveNote);
  ASSERT_EQ(Rows(), 2);
  EXPECT_EQ(Cell(1, 0), QStringLiteral("2"));
  EXPECT_EQ(Cell(1, 1), QStringLiteral("note"));
  EXPECT_EQ(files().ReadText(Channel::kNotes, 2), QStringLiteral("Dentist moved"));
  EXPECT_EQ(files().ReadText(Channel::kNotes, 5), QStringLiteral("Dentist moved"));

  // "Clear Pad" with text on the pad empties it only, and enables Save.
  Click(notes_names::kClearPad);
  EXPECT_TRUE(pad_->toPlainText().isEmpty());
  EXPECT_EQ(title_->text(), QStringLiteral("note"));
  EXPECT_TRUE(save_->isEnabled());
  EXPECT_TRUE(messages_.isEmpty());
}

TEST_F(NotesWindowTest, ChoosingARowCopiesItsTitleButTheWindowsOwnRowResetDoesNot) {
  SaveAs(QStringLiteral("Groceries"), QStringLiteral("eggs"));
  SaveAs(QStringLiteral("Ideas"), QStringLiteral("garden"));
  title_->setText(QStringLiteral("Draft"));
  Activate();
  EXPECT_EQ(window_->CurrentNote(), -1);
  EXPECT_EQ(title_->text(), QStringLiteral("Draft"));

  // The same text in the title box is no change: Save stays as it was.
  save_->setEnabled(false);
  title_->setText(QStringLiteral("Groceries"));
  save_->setEnabled(false);
  ClickRow(0);
  EXPECT_EQ(window_->CurrentNote(), 0);
  EXPECT_FALSE(save_->isEnabled());
  ClickRow(1);
  EXPECT_EQ(title_->text(), QStringLiteral("Ideas"));
  EXPECT_TRUE(save_->isEnabled());
  EXPECT_EQ(pad_->toPlainText(), QStringLiteral("garden"));  // the pad is not touched

  // Activation takes the selection away and leaves the title box alone.
  title_->setText(QStringLiteral("Mine"));
  Activate();
  EXPECT_EQ(window_->CurrentNote(), -1);
  EXPECT_FALSE(list_->selectionModel()->hasSelection());
  EXPECT_EQ(title_->text(), QStringLiteral("Mine"));
  // With no note chosen, View and Delete do nothing.
  const QByteArray before = FileBytes(Path("Notes.dat"));
  Click(notes_names::kViewNote);
  Click(notes_names::kDeleteNote);
  EXPECT_EQ(FileBytes(Path("Notes.dat")), before);
  EXPECT_EQ(Rows(), 2);

  // Rebuilding the list does not put the header caption anywhere.
  window_->LoadNotesList();
  EXPECT_EQ(title_->text(), QStringLiteral("Note"));
  EXPECT_FALSE(save_->isEnabled());
}

TEST_F(NotesWindowTest, ViewingFillsPadAndTitleAndDisablesSave) {
  SaveAs(QStringLiteral(" Trip "), QStringLiteral("  pack\r\n\u00a0boots  "));
  window_->SetPadText(QStringLiteral("scratch"));
  title_->setText(QStringLiteral("other"));
  ASSERT_TRUE(save_->isEnabled());
  ClickRow(0);
  Click(notes_names::kViewNote);
  EXPECT_EQ(window_->PadText(), QStringLiteral("pack\r\n\u00a0boots"));
  EXPECT_EQ(title_->text(), QStringLiteral("Trip"));
  EXPECT_FALSE(save_->isEnabled());

  // The trimmed title no longer matches the stored one: saving adds a note.
  QTest::keyClicks(pad_, QStringLiteral("!"));
  Click(notes_names::kSaveNote);
  ASSERT_EQ(Rows(), 2);
  EXPECT_EQ(Cell(1, 1), QStringLiteral("Trip"));

  // Double-clicking a row views it as well.
  window_->SetPadText(QString());
  const QRect cell = list_->visualRect(list_->model()->index(0, 1));
  QTest::mouseDClick(list_->viewport(), Qt::LeftButton, {}, cell.center());
  EXPECT_EQ(window_->PadText(), QStringLiteral("pack\r\n\u00a0boots"));
}

TEST_F(NotesWindowTest, DeletingRenumbersTheListAndResetsThePad) {
  SaveAs(QStringLiteral("A"), QStringLiteral("1"));
  SaveAs(QStringLiteral("B"), QStringLiteral("2"));
  SaveAs(QStringLiteral("C"), QStringLiteral("3"));
  ClickRow(1);
  Click(notes_names::kDeleteNote);
  ASSERT_EQ(Rows(), 2);
  EXPECT_EQ(Cell(0, 0), QStringLiteral("1"));
  EXPECT_EQ(Cell(1, 0), QStringLiteral("2"));
  EXPECT_EQ(Cell(1, 1), QStringLiteral("C"));
  EXPECT_EQ(window_->CurrentNote(), -1);
  EXPECT_TRUE(pad_->toPlainText().isEmpty());
  EXPECT_EQ(title_->text(), QStringLiteral("Note"));
  EXPECT_FALSE(save_->isEnabled());
  EXPECT_EQ(files().ReadCount(Channel::kNotes), 2);
}

TEST_F(NotesWindowTest, RefusalIsShownAndTheListStaysAsTheFile) {
  SaveAs(QStringLiteral("Note"), QStringLiteral("Caf\u00e9 \u2013 ok"));  // both in the code page
  ASSERT_TRUE(messages_.isEmpty());
  const QByteArray before = FileBytes(Path("Notes.dat"));
  SaveAs(QStringLiteral("Greek"), QStringLiteral("\u03b1\u03b2"));
  ASSERT_EQ(messages_.size(), 1);
  EXPECT_TRUE(messages_.at(0).contains(QStringLiteral("\u03b1")));
  EXPECT_EQ(FileBytes(Path("Notes.dat")), before);
  EXPECT_EQ(Rows(), 1);
  EXPECT_FALSE(save_->isEnabled());  // disabled after every click, as after a save
}

TEST_F(NotesWindowTest, PadAndTitleTakeNoMoreThanTheirLimits) {
  QTest::keyClicks(title_, QStringLiteral("abcdefghijklmnopqrstuvwxyz"));
  EXPECT_EQ(title_->text(), QStringLiteral("Noteabcdefghijklmnop"));

  QTest::keyClicks(pad_, QString(488, QLatin1Char('a')));
  QTest::keyClick(pad_, Qt::Key_Return);  // a line break is two stored characters
  QTest::keyClicks(pad_, QStringLiteral("bcd"));
  EXPECT_EQ(window_->PadText(), QString(488, QLatin1Char('a')) + QStringLiteral("\r\n"));

  // A paste is cut to what still fits; the caret stays at its end.
  window_->SetPadText(QString(485, QLatin1Char('x')));
  QTextCursor caret = pad_->textCursor();
  caret.setPosition(2);
  pad_->setTextCursor(caret);
  pad_->insertPlainText(QStringLiteral("1234567"));
  EXPECT_EQ(window_->PadText(), QStringLiteral("xx12345") + QString(483, QLatin1Char('x')));
  EXPECT_EQ(pad_->textCursor().position(), 7);

  // Text the program puts there is taken whole.
  window_->SetPadText(QString(495, QLatin1Char('y')));
  EXPECT_EQ(window_->PadText().size(), 495);
}

TEST_F(NotesWindowTest, DeleteTakesOneRowOutUnlessTheFileChangedUnderneath) {
  SaveAs(QStringLiteral("A"), QStringLiteral("1"));
  SaveAs(QStringLiteral("B"), QStringLiteral("2"));
  SaveAs(QStringLiteral("C"), QStringLiteral("3"));
  QSignalSpy removed(list_->model(), &QAbstractItemModel::rowsRemoved);
  QSignalSpy reset(list_->model(), &QAbstractItemModel::modelReset);
  ClickRow(0);
  Click(notes_names::kDeleteNote);
  EXPECT_EQ(removed.count(), 1);
  EXPECT_EQ(reset.count(), 0);
  ASSERT_EQ(Rows(), 2);
  EXPECT_EQ(Cell(0, 0), QStringLiteral("1"));
  EXPECT_EQ(Cell(0, 1), QStringLiteral("B"));
  EXPECT_EQ(Cell(1, 0), QStringLiteral("2"));
  EXPECT_EQ(Cell(1, 1), QStringLiteral("C"));

  // Another program saves a note meanwhile: the list shows what the file
  // holds after the delete.
  ASSERT_TRUE(quorvel::SaveNote(files(), QStringLiteral("D"), QStringLiteral("4")).stored());
  ClickRow(0);
  Click(notes_names::kDeleteNote);
  EXPECT_EQ(reset.count(), 1);
  ASSERT_EQ(Rows(), 2);
  EXPECT_EQ(Cell(0, 1), QStringLiteral("C"));
  EXPECT_EQ(Cell(1, 0), QStringLiteral("2"));
  EXPECT_EQ(Cell(1, 1), QStringLiteral("D"));
  EXPECT_EQ(window_->CurrentNote(), -1);
  EXPECT_EQ(list_->accessibleName(), QStringLiteral("Saved notes"));
}

}  // namespace
}  // namespace quorvel::testing
