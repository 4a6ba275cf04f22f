// The run: the files prepared, the windows opened, every figure taken into the one table.
#include "bench/run.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <utility>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPushButton>

#include "addressbook/address_book_window.h"
#include "app/main_window.h"
#include "bench/event_figures.h"
#include "bench/sync_kept.h"
#include "calendar/activities_window.h"
#include "calendar/month_calendar_window.h"
#include "notes/notes_window.h"
#include "ui/seams.h"
#include "ui/ui.h"

namespace quorvel::bench {

QByteArray FileBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void Click(QWidget& window, const char* name) {
  Child<QPushButton>(window, QLatin1String(name))->click();
}

void Press(QWidget& window, const char* name) {
  Click(window, name);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
}

QStringList ComboItems(QComboBox* combo) {
  QStringList items;
  for (int i = 0; i < combo->count(); ++i) items.append(combo->itemText(i));
  return items;
}

QString CellText(QAbstractItemView* view, int row, int column) {
  return view->model()->index(row, column).data().toString();
}

void Settle() {
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

int Run::Go() {
  Prepare();
  const auto wanted = [this](const char* name) {
    return options_.only.isEmpty() || options_.only.contains(QLatin1String(name));
  };
  if (wanted("memory")) Memory();
  OpenWindows();
  const std::pair<const char*, void (Run::*)()> figures[] = {
      {"delete-appointment", &Run::DeleteAppointmentFigure},
      {"delete-entry", &Run::DeleteAddressFigure},
      {"delete-note", &Run::DeleteNoteFigure},
      {"save-note", &Run::SaveNoteFigure},
      {"marks", &Run::MonthMarksFigure},
      {"marking", &Run::MarkingFigure},
      {"next-month", &Run::NextMonthFigure},
      {"activities", &Run::FillActivitiesFigure},
      {"notes-list", &Run::NotesListFigure},
      {"edit-appointment", &Run::EditAppointmentFigure},
      {"add-entry", &Run::AddAddressFigure},
      {"find", &Run::FindFigure},
  };
  for (const auto& [name, figure] : figures) {
    if (wanted(name)) (this->*figure)();
  }
  if (wanted("sync-kept")) SyncKeptFigures(table_, slow(), options_.fraction, temp_->path());
  // Last: it adds the events to the folder the other figures use.
  if (wanted("events")) EventFigures(table_, *app_, data_.busiest_day, slow());
  table_.Print();
  app_.reset();
  if (!table_.AllRight()) {
    std::printf("\nSome answers were WRONG (see the table).\n");
    return 1;
  }
  return 0;
}

void Run::Prepare() {
  const QString base = options_.dir.isEmpty() ? QDir::tempPath() : options_.dir;
  temp_ = std::make_unique<QTemporaryDir>(base + QStringLiteral("/quorvel-bench-XXXXXX"));
  if (!temp_->isValid()) {
    std::fprintf(stderr, "cannot make a folder in %s\n", qPrintable(base));
    std::exit(1);
  }
  data_dir_ = temp_->filePath(QStringLiteral("data"));
  floor_dir_ = temp_->filePath(QStringLiteral("floor"));
  QDir().mkpath(data_dir_);
  QDir().mkpath(floor_dir_);

  data_ = Generate(options_.fraction);
  appoint_image_ = AppointImage(data_.appointments);
  book_image_ = AddBookImage(data_.entries);
  notes_image_ = NotesImage(data_.notes);
  appoint_ = std::make_unique<RawFile>(data_dir_, QStringLiteral("Appoint.dat"), 128);
  book_ = std::make_unique<RawFile>(data_dir_, QStringLiteral("AddBook.dat"), 128);
  notes_ = std::make_unique<RawFile>(data_dir_, QStringLiteral("Notes.dat"), 500);
  floor_appoint_ = std::make_unique<RawFile>(floor_dir_, QStringLiteral("Appoint.dat"), 128);
  floor_book_ = std::make_unique<RawFile>(floor_dir_, QStringLiteral("AddBook.dat"), 128);
  floor_notes_ = std::make_unique<RawFile>(floor_dir_, QStringLiteral("Notes.dat"), 500);
  for (RawFile* file : {appoint_.get(), floor_appoint_.get()}) file->Put(appoint_image_);
  for (RawFile* file : {book_.get(), floor_book_.get()}) file->Put(book_image_);
  for (RawFile* file : {notes_.get(), floor_notes_.get()}) file->Put(notes_image_);

  std::printf(
      "Quorvel benchmark: %zu appointments, %zu address entries, %zu notes "
      "(%.0f %% of capacity), busiest day %s; data in %s\n",
      data_.appointments.size(), data_.entries.size(), data_.notes.size(), options_.fraction * 100,
      qPrintable(data_.busiest_day.toString(Qt::ISODate)), qPrintable(temp_->path()));
  std::fflush(stdout);
}

void Run::OpenWindows() {
  const QDate busiest = data_.busiest_day;
  SetClock([busiest] { return QDateTime(busiest, QTime(8, 0)); });
  SetMessageSink([this](const QString& text) { messages_.append(text); });
  app_ = std::make_unique<Application>();
  app_->SetProcessEnd([] {
    std::fprintf(stderr, "the program ended itself\n");
    std::exit(1);
  });
  if (!app_->OpenDataIn(data_dir_)) std::exit(1);
  app_->Main().show();
  OpenToolWindow(app_->MonthCalendar());
  OpenToolWindow(app_->Notes());
  OpenToolWindow(app_->AddressBook());
  app_->Activities();
  Settle();
}

}  // namespace quorvel::bench
