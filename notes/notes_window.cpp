#include "notes/notes_window.h"

#include <cstdlib>

#include <QEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>

#include "items/note_file.h"
#include "notes/notes_list_model.h"
#include "ui/data_changes.h"
#include "ui/limited_text_edit.h"
#include "ui/organiser.h"
#include "ui/seams.h"
#include "ui/ui.h"

namespace quorvel {

namespace {

namespace names = notes_names;

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption,
                        const QRect& geometry) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(QLatin1String(name));
  button->setGeometry(geometry);
  button->setAccessibleName(caption);
  return button;
}

}  // namespace

NotesWindow::NotesWindow(Organiser& app) : app_(app) {
  setObjectName(QLatin1String(names::kWindow));
  setWindowTitle(tr("Notes"));
  setFont(ArialFont(8));
  setFixedSize(Px(7470), Px(4890));

  pad_ = new LimitedTextEdit(kNoteBodyLength, this);
  pad_->setObjectName(QLatin1String(names::kPad));
  pad_->setGeometry(TwipsRect(120, 120, 3135, 3615));
  pad_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  pad_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  pad_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  pad_->setTabChangesFocus(true);
  pad_->setAccessibleName(tr("Note pad"));

  model_ = new NotesListModel(this);
  list_ = new QTableView(this);
  list_->setObjectName(QLatin1String(names::kList));
  list_->setGeometry(TwipsRect(3360, 120, 3975, 3615));
  list_->setModel(model_);
  list_->setColumnWidth(0, Px(500));
  list_->setColumnWidth(1, Px(3360));
  list_->horizontalHeader()->setSectionsClickable(false);
  list_->horizontalHeader()->setHighlightSections(false);
  list_->horizontalHeader()->setFixedHeight(Px(240) + 2);
  // The description takes the width the number leaves, less the vertical
  // bar once there is one: no horizontal bar.
  list_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Fixed);
  list_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
  list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  list_->verticalHeader()->hide();
  list_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  list_->verticalHeader()->setDefaultSectionSize(Px(240));
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setTabKeyNavigation(false);
  list_->setWordWrap(false);
  list_->setAccessibleName(tr("Saved notes"));

  clear_ = MakeButton(this, names::kClearPad, tr("Clear Pad"), TwipsRect(120, 3840, 1335, 375));
  view_ = MakeButton(this, names::kViewNote, tr("<< View Note"), TwipsRect(4920, 3840, 1215, 375));
  delete_ =
      MakeButton(this, names::kDeleteNote, tr("Delete Note"), TwipsRect(6240, 3840, 1095, 375));
  save_ = MakeButton(this, names::kSaveNote, tr("Save Note As:"), TwipsRect(120, 4320, 1335, 375));

  title_ = new QLineEdit(this);
  title_->setObjectName(QLatin1String(names::kTitle));
  title_->setGeometry(TwipsRect(1560, 4320, 2895, 375));
  title_->setMaxLength(kNoteTitleLength);
  title_->setAccessibleName(tr("Note title"));

  close_ = MakeButton(this, names::kClose, tr("Close"), TwipsRect(6240, 4440, 1095, 375));

  connect(pad_, &QPlainTextEdit::textChanged, this, &NotesWindow::OnPadChanged);
  connect(title_, &QLineEdit::textChanged, this, &NotesWindow::OnTitleChanged);
  connect(list_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) { OnCurrentRowChanged(current.row()); });
  // The note double-clicked is the one viewed, and becomes the chosen row.
  connect(list_, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
    if (index.isValid() && index.row() != CurrentNote()) {
      list_->selectionModel()->setCurrentIndex(
          index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    ViewNote();
  });
  connect(clear_, &QPushButton::clicked, this, [this] { SetPadText(QString()); });
  connect(view_, &QPushButton::clicked, this, &NotesWindow::ViewNote);
  connect(delete_, &QPushButton::clicked, this, &NotesWindow::DeleteNote);
  connect(save_, &QPushButton::clicked, this, [this] {
    SaveNote();
    save_->setEnabled(false);
  });
  connect(close_, &QPushButton::clicked, this, &QWidget::hide);

  LoadNotesList();
  connect(&app_.Changes(), &DataChanges::DataChanged, this, [this](store::ChangedFiles changed) {
    // A closed window reads the list again when it is shown, not at every
    // change (a sync may change hundreds of notes while it is closed).
    const bool closed = isHidden() && testAttribute(Qt::WA_WState_ExplicitShowHide);
    if (changed.Has(store::Channel::kNotes) && !closed) Refresh();
  });
}

QString NotesWindow::PadText() const { return pad_->StoredText(); }

void NotesWindow::SetPadText(const QString& stored) { pad_->SetStoredText(stored); }

int NotesWindow::CurrentNote() const {
  const QModelIndex current = list_->currentIndex();
  return current.isValid() && current.row() < model_->rowCount() ? current.row() : -1;
}

bool NotesWindow::event(QEvent* event) {
  if (event->type() == QEvent::Show) Refresh();
  if (event->type() == QEvent::WindowActivate) ResetCurrentRow();
  return QWidget::event(event);
}

void NotesWindow::ResetCurrentRow() {
  moving_row_ = true;
  list_->setCurrentIndex(QModelIndex());
  list_->clearSelection();
  moving_row_ = false;
}

void NotesWindow::OnCurrentRowChanged(int row) {
  if (moving_row_ || row < 0 || row >= model_->rowCount()) return;
  title_->setText(model_->Titles().at(row));
}

void NotesWindow::OnPadChanged() {
  const QString text = PadText();
  if (text == last_pad_text_) return;
  last_pad_text_ = text;
  save_->setEnabled(true);
}

void NotesWindow::OnTitleChanged() { save_->setEnabled(true); }

void NotesWindow::FillList(const QStringList& titles) {
  moving_row_ = true;
  model_->SetTitles(titles);
  list_->setCurrentIndex(QModelIndex());
  moving_row_ = false;
}

QStringList NotesWindow::StoredTitles() {
  // Counted before reading: a change made meanwhile counts as not seen.
  listed_ = app_.files().ChangeCount(store::Channel::kNotes);
  return quorvel::LoadNotesList(app_.files());
}

bool NotesWindow::ListCurrent() const {
  return app_.files().ChangeCount(store::Channel::kNotes) == listed_;
}

void NotesWindow::Followed(std::uint64_t before) {
  const std::uint64_t now = app_.files().ChangeCount(store::Channel::kNotes);
  if (listed_ == before && now - before <= 1) listed_ = now;
}

void NotesWindow::LoadNotesList() {
  FillList(StoredTitles());
  ResetPad();
}

void NotesWindow::Refresh() {
  // Nothing to read when the list already shows the file as it is (after
  // this window's own change, say).
  if (ListCurrent()) return;
  const QStringList stored = StoredTitles();
  const QStringList shown = model_->Titles();
  if (stored == shown) return;
  const int row = CurrentNote();
  // The chosen title where it is now: of several alike, the nearest.
  int now = -1;
  if (row >= 0) {
    const QString title = shown.at(row);
    for (int i = 0; i < stored.size(); ++i) {
      if (stored[i] == title && (now < 0 || std::abs(i - row) < std::abs(now - row))) now = i;
    }
  }
  moving_row_ = true;
  model_->SetTitles(stored);
  if (now >= 0) {
    list_->selectionModel()->setCurrentIndex(
        model_->index(now, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  } else {
    list_->setCurrentIndex(QModelIndex());
  }
  moving_row_ = false;
}

void NotesWindow::ResetPad() {
  SetPadText(QString());
  title_->setText(tr("Note"));
  save_->setEnabled(false);
}

void NotesWindow::SaveNote() {
  int appended = 0;
  const QString title = title_->text();
  const std::uint64_t before = app_.files().ChangeCount(store::Channel::kNotes);
  const store::Outcome outcome = quorvel::SaveNote(app_.files(), title, PadText(), &appended);
  if (outcome.refused()) {
    ShowMessage(outcome.reason());
    return;
  }
  moving_row_ = true;
  if (appended > 0) {
    if (appended == model_->rowCount() + 1) {
      model_->Append(title);
      Followed(before);
    } else {
      // The file held other notes than the list showed: show what it holds.
      model_->SetTitles(StoredTitles());
    }
  } else {
    Followed(before);  // a new body: the titles stay as they were
  }
  // The note just saved becomes the chosen row, so that the list shows
  // what the pad holds and Delete removes that note, not one viewed before.
  const QStringList titles = model_->Titles();
  const int saved = appended > 0 ? appended - 1 : int(titles.lastIndexOf(title));
  if (saved >= 0 && saved < titles.size()) {
    const QModelIndex row = model_->index(saved, 0);
    list_->selectionModel()->setCurrentIndex(
        row, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    list_->scrollTo(row);
  }
  moving_row_ = false;
}

void NotesWindow::ViewNote() {
  const int index = CurrentNote();
  if (index < 0) return;
  const std::optional<Note> note = quorvel::ViewNote(app_.files(), index);
  if (!note) return;
  SetPadText(note->body);
  title_->setText(note->title);
  save_->setEnabled(false);
}

void NotesWindow::ShowNote(int index) {
  const std::optional<Note> note = quorvel::ViewNote(app_.files(), index);
  if (!note) return;
  if (!ListCurrent()) {
    const QStringList stored = StoredTitles();
    if (model_->Titles() != stored) FillList(stored);
  }
  moving_row_ = true;
  const QModelIndex row = model_->index(index, 1);
  list_->setCurrentIndex(row);
  list_->scrollTo(row);
  moving_row_ = false;
  SetPadText(note->body);
  title_->setText(note->title);
  save_->setEnabled(false);
}

void NotesWindow::DeleteNote() {
  const int index = CurrentNote();
  if (index < 0) return;
  const std::uint64_t before = app_.files().ChangeCount(store::Channel::kNotes);
  const bool current = listed_ == before;
  const store::Outcome outcome = quorvel::DeleteNote(app_.files(), index);
  if (outcome.refused()) {
    ShowMessage(outcome.reason());
    // The list no longer matches the file: show what it holds, keeping the
    // pad and the title box as the user left them.
    const bool save_enabled = save_->isEnabled();
    FillList(StoredTitles());
    save_->setEnabled(save_enabled);
    return;
  }
  // One row goes, as long as the list then shows exactly what the file
  // holds: known without reading when it did before and only this delete
  // changed the file since.
  moving_row_ = true;
  if (current && app_.files().ChangeCount(store::Channel::kNotes) == before + 1) {
    model_->Remove(index);
    listed_ = before + 1;
  } else {
    QStringList shown = model_->Titles();
    shown.removeAt(index);
    const QStringList stored = StoredTitles();
    if (stored == shown) {
      model_->Remove(index);
    } else {
      model_->SetTitles(stored);
    }
  }
  list_->setCurrentIndex(QModelIndex());
  moving_row_ = false;
  ResetPad();
}

}  // namespace quorvel
