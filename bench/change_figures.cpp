// The figures that change the files: delete, save, edit and add appointments, entries, notes.
#include <cstdlib>
#include <utility>
#include <vector>

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>

#include "addressbook/address_book_window.h"
#include "addressbook/address_editor_window.h"
#include "bench/run.h"
#include "calendar/activities_window.h"
#include "calendar/appointment_editor_window.h"
#include "items/address_file.h"
#include "items/appointment_file.h"
#include "items/note_file.h"
#include "notes/notes_window.h"
#include "ui/limited_text_edit.h"
#include "ui/ui.h"

namespace quorvel::bench {

void Run::DeleteAppointmentFigure() {
  Row row{QStringLiteral("Delete the first appointment (handler, disk)"),
          QStringLiteral("bulk read, journaled write"),
          Unit::kMs,
          Goal{Goal::kAtMost, 16},
          {},
          {},
          {}};
  const QDate day = data_.busiest_day;
  const std::vector<Appointment> after = WithoutAppointment(data_.appointments, 0);
  const QByteArray expected = AppointImage(after, appoint_image_.size());
  const QStringList subjects = SubjectsOn(Dataset{after, {}, {}, day}, day);
  ActivitiesWindow& activities = app_->Activities();
  row.figure = Measure(
      slow(),
      [&] {
        appoint_->Put(appoint_image_);
        activities.SetDate(day);
        activities.FillActivities();
      },
      [&] { Press(activities, activities_names::kDelete); },
      [&](Row& r) {
        if (FileBytes(DataPath("Appoint.dat")) != expected) r.Wrong(QStringLiteral("Appoint.dat"));
        if (activities.Subjects() != subjects) r.Wrong(QStringLiteral("Activities list"));
        NoMessages(r);
      },
      row);
  const QByteArray id = data_.appointments[0].id.toLatin1();
  row.floor = Measure(
      slow(), [&] { floor_appoint_->Put(appoint_image_); },
      [&] { RawDeleteByKey(*floor_appoint_, 8, 7, id, true); },
      [&](Row& r) {
        if (FileBytes(FloorPath("Appoint.dat")) != expected)
          r.Wrong(QStringLiteral("floor's file"));
      },
      row);
  appoint_->Put(appoint_image_);
  floor_appoint_->Put(appoint_image_);
  table_.Add(std::move(row));
}

void Run::DeleteAddressFigure() {
  Row row{QStringLiteral("Delete the first address entry (handler, disk)"),
          QStringLiteral("bulk read, journaled write"),
          Unit::kMs,
          Goal{Goal::kAtMost, 16},
          {},
          {},
          {}};
  std::vector<AddressEntry> after = data_.entries;
  after.erase(after.begin());
  const QByteArray expected = AddBookImage(after, book_image_.size());
  const QString key = data_.entries[0].Key();
  AddressBookWindow& window = app_->AddressBook();
  auto* names = Child<QComboBox>(window, QLatin1String(address_book_names::kNames));
  int listed = 0;
  for (const AddressEntry& e : data_.entries) listed += e.Key().startsWith(key.left(1)) ? 1 : 0;
  row.figure = Measure(
      slow(),
      [&] {
        book_->Put(book_image_);
        Click(window, address_book_names::kGroups[1]);  // another group first, so "A" refills
        Click(window, address_book_names::kGroups[0]);
        names->setCurrentIndex(names->findText(key));
        window.ShowAddressEntry();
        if (names->currentText() != key) row.Wrong(QStringLiteral("entry not listed"));
      },
      [&] { Press(window, address_book_names::kDeleteEntry); },
      [&](Row& r) {
        if (FileBytes(DataPath("AddBook.dat")) != expected) r.Wrong(QStringLiteral("AddBook.dat"));
        const QStringList items = ComboItems(names);
        if (items.contains(key) || items.size() != listed - 1) r.Wrong(QStringLiteral("name list"));
        NoMessages(r);
      },
      row);
  row.floor = Measure(
      slow(), [&] { floor_book_->Put(book_image_); },
      [&] { RawDeleteByKey(*floor_book_, 16, 15, key.toLatin1(), false); },
      [&](Row& r) {
        if (FileBytes(FloorPath("AddBook.dat")) != expected)
          r.Wrong(QStringLiteral("floor's file"));
      },
      row);
  book_->Put(book_image_);
  floor_book_->Put(book_image_);
  table_.Add(std::move(row));
}

void Run::DeleteNoteFigure() {
  Row row{QStringLiteral("Delete the first note (handler, disk)"),
          QStringLiteral("raw read, moved bytes rewritten; store's journal and flushes"),
          Unit::kMs,
          Goal{Goal::kRatioAtMost, 1.5},
          {},
          {},
          {}};
  std::vector<Note> after = data_.notes;
  after.erase(after.begin());
  const QByteArray expected = NotesImage(after, notes_image_.size());
  NotesWindow& window = app_->Notes();
  auto* list = Child<QAbstractItemView>(window, QLatin1String(notes_names::kList));
  row.figure = Measure(
      slow(),
      [&] {
        notes_->Put(notes_image_);
        window.LoadNotesList();
        list->setCurrentIndex(list->model()->index(0, 1));
        if (window.CurrentNote() != 0) row.Wrong(QStringLiteral("note not chosen"));
      },
      [&] { Press(window, notes_names::kDeleteNote); },
      [&](Row& r) {
        if (FileBytes(DataPath("Notes.dat")) != expected) r.Wrong(QStringLiteral("Notes.dat"));
        if (list->model()->rowCount() != int(after.size()) ||
            CellText(list, 0, 1) != after.front().title ||
            CellText(list, int(after.size()) - 1, 0) != QString::number(after.size())) {
          r.Wrong(QStringLiteral("notes list"));
        }
        NoMessages(r);
      },
      row);
  row.floor = Measure(
      slow(), [&] { floor_notes_->Put(notes_image_); },
      [&] {
        const QByteArray before = floor_notes_->ReadAll();
        QByteArray image = before;
        const int count = RawCount(image, 500, 3);
        floor_notes_->JournaledWrite(before, image, RemoveGroup(image, 500, 3, 2, 0, count));
      },
      [&](Row& r) {
        if (FileBytes(FloorPath("Notes.dat")) != expected) r.Wrong(QStringLiteral("floor's file"));
      },
      row);
  notes_->Put(notes_image_);
  floor_notes_->Put(notes_image_);
  window.LoadNotesList();
  table_.Add(std::move(row));
}

void Run::SaveNoteFigure() {
  Row row{QStringLiteral("Save a note under a new title, the last place (handler, disk)"),
          QStringLiteral("raw read, the new records written; store's journal and flushes"),
          Unit::kMs,
          Goal{Goal::kRatioAtMost, 1.5},
          {},
          {},
          {}};
  std::vector<Note> before = data_.notes;
  const Note added = before.back();
  before.pop_back();
  const QByteArray start = NotesImage(before, notes_image_.size());
  NotesWindow& window = app_->Notes();
  auto* list = Child<QAbstractItemView>(window, QLatin1String(notes_names::kList));
  auto* pad = Child<LimitedTextEdit>(window, QLatin1String(notes_names::kPad));
  auto* title = Child<QLineEdit>(window, QLatin1String(notes_names::kTitle));
  const int count = int(before.size());
  row.figure = Measure(
      slow(),
      [&] {
        notes_->Put(start);
        window.LoadNotesList();
        pad->SetStoredText(added.body);
        title->setText(added.title);
      },
      [&] { Press(window, notes_names::kSaveNote); },
      [&](Row& r) {
        if (FileBytes(DataPath("Notes.dat")) != notes_image_) r.Wrong(QStringLiteral("Notes.dat"));
        if (list->model()->rowCount() != count + 1 || CellText(list, count, 1) != added.title ||
            window.CurrentNote() != count) {
          r.Wrong(QStringLiteral("notes list"));
        }
        NoMessages(r);
      },
      row);
  const QByteArray raw_title = added.title.toLatin1();
  row.floor = Measure(
      slow(), [&] { floor_notes_->Put(start); },
      [&] {
        const QByteArray old = floor_notes_->ReadAll();
        QByteArray image = old;
        const int n = RawCount(image, 500, 3);
        for (int k = 0; k < n; ++k) {
          if (RawText(image, 500, 3 * k + kNoteTitle) == raw_title) std::abort();
        }
        PutRawText(image, 500, 3 * n + kNoteTitle, raw_title);
        PutRawText(image, 500, 3 * n + kNoteBody, added.body.toLatin1());
        char* count_at = image.data() + 2 * 500;
        count_at[2] = char((n + 1) & 0xFF);
        count_at[3] = char((n + 1) >> 8);
        floor_notes_->JournaledWrite(old, image, {{3, 3}, {3 * n + kNoteTitle, 3 * n + kNoteBody}});
      },
      [&](Row& r) {
        if (FileBytes(FloorPath("Notes.dat")) != notes_image_)
          r.Wrong(QStringLiteral("floor's file"));
      },
      row);
  notes_->Put(notes_image_);
  floor_notes_->Put(notes_image_);
  window.LoadNotesList();
  table_.Add(std::move(row));
}

void Run::EditAppointmentFigure() {
  Row row{QStringLiteral("Edit an appointment (handler)"),
          QStringLiteral("bulk read, journaled write"),
          Unit::kMs,
          Goal{Goal::kAtMost, 5},
          {},
          {},
          {}};
  const QDate day = data_.busiest_day;
  ActivitiesWindow& activities = app_->Activities();
  AppointmentEditorWindow& editor = app_->AppointmentEditor();
  Appointment edited = data_.appointments[0];
  int turn = 0;
  row.figure = Measure(
      slow() * 2,
      [&] {
        activities.SetDate(day);
        activities.FillActivities();
        edited.subject = QStringLiteral("Edited %1").arg(++turn);
        app_->SetEditMode(true);
        editor.OpenForEdit(edited, ReadAppointment(app_->files(), 0));
      },
      [&] {
        editor.Ok();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
      },
      [&](Row& r) {
        if (ReadAppointment(app_->files(), 0).subject != edited.subject ||
            activities.Subjects().value(0) != edited.subject) {
          r.Wrong(QStringLiteral("subject"));
        }
        NoMessages(r);
      },
      row);
  editor.hide();
  const QByteArray id = edited.id.toLatin1();
  row.floor = Measure(
      slow() * 2, [] {},
      [&] {
        const QByteArray before = floor_appoint_->ReadAll();
        QByteArray image = before;
        const int count = RawCount(image, 128, 8);
        int index = -1;
        for (int k = 0; k < count; ++k) {
          if (RawText(image, 128, 8 * k + kAppointmentId) == id) index = k;
        }
        PutRawText(image, 128, 8 * index + kAppointmentSubject,
                   QStringLiteral("Edited %1").arg(++turn).toLatin1());
        floor_appoint_->JournaledWrite(
            before, image,
            {{8 * index + kAppointmentSubject, 8 * index + kAppointmentDescription}});
      },
      [&](Row& r) {
        if (RawText(floor_appoint_->ReadAll(), 128, kAppointmentSubject) !=
            QStringLiteral("Edited %1").arg(turn).toLatin1())
          r.Wrong(QStringLiteral("floor"));
      },
      row);
  appoint_->Put(appoint_image_);
  floor_appoint_->Put(appoint_image_);
  table_.Add(std::move(row));
}

void Run::AddAddressFigure() {
  Row row{QStringLiteral("Add an address entry, the last place (handler)"),
          QStringLiteral("bulk read, journaled write"),
          Unit::kMs,
          Goal{Goal::kAtMost, 5},
          {},
          {},
          {}};
  std::vector<AddressEntry> before = data_.entries;
  const AddressEntry added = before.back();
  before.pop_back();
  const QByteArray start = AddBookImage(before, book_image_.size());
  AddressEditorWindow& editor = app_->AddressEditor();
  row.figure = Measure(
      slow() * 2,
      [&] {
        book_->Put(start);
        editor.PrepareAdd(ParseBirthdayText(added.birthday_date));
        Child<QLineEdit>(editor, QLatin1String(address_editor_names::kName))->setText(added.name);
        Child<QLineEdit>(editor, QLatin1String(address_editor_names::kSurname))
            ->setText(added.surname);
        Child<LimitedTextEdit>(editor, QLatin1String(address_editor_names::kAddress))
            ->SetStoredText(added.address);
        Child<QLineEdit>(editor, QLatin1String(address_editor_names::kEmail))->setText(added.email);
        Child<QLineEdit>(editor, QLatin1String(address_editor_names::kHomePage))
            ->setText(added.home_page);
        Child<LimitedTextEdit>(editor, QLatin1String(address_editor_names::kNotes))
            ->SetStoredText(added.notes);
        for (int i = 0; i < kAddressPhoneCount; ++i) {
          Child<QLineEdit>(editor, QLatin1String(address_editor_names::kPhones[i]))
              ->setText(added.phones[i]);
        }
        Child<QCheckBox>(editor, QLatin1String(address_editor_names::kBirthdayFlag))
            ->setChecked(BirthdayFlagSet(added.birthday_flag));
        OpenToolWindow(editor);
      },
      [&] { Press(editor, address_editor_names::kOk); },
      [&](Row& r) {
        if (FileBytes(DataPath("AddBook.dat")) != book_image_)
          r.Wrong(QStringLiteral("AddBook.dat"));
        if (editor.isVisible()) r.Wrong(QStringLiteral("editor still open"));
        NoMessages(r);
      },
      row);
  const QByteArray raw_key = added.Key().toLatin1();
  const int count = int(before.size());
  row.floor = Measure(
      slow() * 2, [&] { floor_book_->Put(start); },
      [&] {
        const QByteArray old = floor_book_->ReadAll();
        QByteArray image = old;
        for (int k = 0; k < count; ++k) {
          if (RawText(image, 128, 16 * k + kFieldKey) == raw_key) std::abort();
        }
        const auto fields = added.Fields();
        for (int f = 1; f <= kAddressFieldCount; ++f) {
          PutRawText(image, 128, 16 * count + f, fields[f - 1].toLatin1());
        }
        char* count_at = image.data() + 15 * 128;
        count_at[2] = char((count + 1) & 0xFF);
        count_at[3] = char((count + 1) >> 8);
        floor_book_->JournaledWrite(old, image,
                                    {{16, 16}, {16 * count + kFieldKey, 16 * count + kFieldNotes}});
      },
      [&](Row& r) {
        if (FileBytes(FloorPath("AddBook.dat")) != book_image_)
          r.Wrong(QStringLiteral("floor's file"));
      },
      row);
  book_->Put(book_image_);
  floor_book_->Put(book_image_);
  table_.Add(std::move(row));
}

}  // namespace quorvel::bench
