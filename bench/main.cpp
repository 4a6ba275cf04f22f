// The benchmark: the real windows (offscreen) over data files filled to a
// fraction of their capacity, each action timed many times beside a floor
// done by hand in the same run, and every answer checked.
//
//   quorvel_bench [--fraction F] [--runs N] [--quick] [--dir FOLDER]
//
// QUORVEL_BENCH_SAMPLES=1 also prints every reading of every figure.
//
// Prints one table. Exits 1 when an answer is wrong, never because of a
// timing.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <utility>

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCommandLineParser>
#include <QDateTimeEdit>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>

#include "addressbook/address_book_window.h"
#include "addressbook/address_editor_window.h"
#include "app/application.h"
#include "ui/limited_text_edit.h"
#include "app/main_window.h"
#include "ui/seams.h"
#include "ui/ui.h"
#include "bench/dataset.h"
#include "bench/event_figures.h"
#include "bench/measure.h"
#include "bench/raw.h"
#include "bench/sync_kept.h"
#include "calendar/activities_window.h"
#include "calendar/appointment_editor_window.h"
#include "calendar/month_calendar_window.h"
#include "find/find_window.h"
#include "notes/notes_window.h"
#include "store/data_files.h"
#include "store/fatal.h"
#include "store/record_codec.h"

namespace quorvel::bench {
namespace {

struct Options {
  double fraction = 1.0;
  int runs = 0;  // 0: the default for each figure
  bool quick = false;
  QString dir;
  QStringList only;  // empty: every figure
};

QByteArray FileBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

template <class T>
T* Child(QWidget& window, const QString& name) {
  T* found = window.findChild<T*>(name);
  if (found == nullptr) {
    std::fprintf(stderr, "no control %s in %s\n", qPrintable(name),
                 qPrintable(window.objectName()));
    std::exit(1);
  }
  return found;
}

void Click(QWidget& window, const char* name) {
  Child<QPushButton>(window, QLatin1String(name))->click();
}

// A button pressed as the user presses it: its handler, and then what the
// event loop delivers right after it returns, the change announcement that
// brings every open window up to date with the files (so that the figure
// holds the windows' refreshing too).
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

// ------------------------------------------------------------ memory

// The resident memory of a child process in `mode`, in MiB.
double ChildResidentMiB(const QString& mode, const QString& dir) {
  QProcess child;
  child.start(QCoreApplication::applicationFilePath(), {mode, dir});
  if (!child.waitForFinished(120000) || child.exitStatus() != QProcess::NormalExit ||
      child.exitCode() != 0) {
    std::fprintf(stderr, "memory child %s failed: %s\n", qPrintable(mode),
                 child.readAllStandardError().constData());
    return -1;
  }
  return child.readAllStandardOutput().trimmed().toDouble() / 1024.0;
}

void Settle() {
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

int MemoryChild(const QString& mode, const QString& dir) {
  if (mode == QLatin1String("--memory-floor")) {
    QWidget empty;
    empty.resize(200, 100);
    empty.show();
    Settle();
    std::printf("%ld\n", ResidentKiB());
    return 0;
  }
  SetMessageSink([](const QString& text) {
    std::fprintf(stderr, "message: %s\n", qPrintable(text));
  });
  Application app;
  app.SetProcessEnd([] { std::exit(1); });
  if (!app.OpenDataIn(dir)) return 1;
  app.Main().show();
  OpenToolWindow(app.MonthCalendar());
  OpenToolWindow(app.Notes());
  OpenToolWindow(app.AddressBook());
  Settle();
  std::printf("%ld\n", ResidentKiB());
  return 0;
}

// ------------------------------------------------------------ the run

class Run {
 public:
  explicit Run(const Options& options) : options_(options) {}
  int Go();

 private:
  void Prepare();
  void Memory();
  void OpenWindows();
  void DeleteAppointmentFigure();
  void DeleteAddressFigure();
  void DeleteNoteFigure();
  void SaveNoteFigure();
  void MonthMarksFigure();
  void MarkingFigure();
  void NextMonthFigure();
  void FillActivitiesFigure();
  void NotesListFigure();
  void EditAppointmentFigure();
  void AddAddressFigure();
  void FindFigure();
  void FindOne(const QString& word, const QString& what);
  void FindOpenFigure();
  void FindAfterChangeFigure();
  // How many items of each kind hold `word`, worked out from the items
  // (with the events Events.dat holds meanwhile, found as appointments, or
  // without them, as the floor's scan of the three files finds them).
  RawFound Holding(const QString& word, bool events = true) const;
  RawFound FindShown() const;

  int slow() const { return options_.runs > 0 ? options_.runs : options_.quick ? 2 : 15; }
  int fast() const { return options_.runs > 0 ? options_.runs : options_.quick ? 2 : 60; }
  QString DataPath(const char* name) const { return data_dir_ + QLatin1Char('/') + name; }
  QString FloorPath(const char* name) const { return floor_dir_ + QLatin1Char('/') + name; }
  void NoMessages(Row& row) {
    if (!messages_.isEmpty()) row.Wrong(QStringLiteral("message: ") + messages_.join(QLatin1Char('|')));
    messages_.clear();
  }
  void CheckMonth(Row& row, const RawMarks& marks, int year, int month);

  Options options_;
  std::unique_ptr<QTemporaryDir> temp_;
  QString data_dir_, floor_dir_;
  Dataset data_;
  QByteArray appoint_image_, book_image_, notes_image_;
  std::unique_ptr<RawFile> appoint_, book_, notes_;
  std::unique_ptr<RawFile> floor_appoint_, floor_book_, floor_notes_;
  std::unique_ptr<Application> app_;
  QStringList messages_;
  bool with_events_ = false;  // Events.dat holds the bench's events
  Table table_;
};

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

  std::printf("Quorvel benchmark: %zu appointments, %zu address entries, %zu notes "
              "(%.0f %% of capacity), busiest day %s; data in %s\n",
              data_.appointments.size(), data_.entries.size(), data_.notes.size(),
              options_.fraction * 100, qPrintable(data_.busiest_day.toString(Qt::ISODate)),
              qPrintable(temp_->path()));
  std::fflush(stdout);
}

// In fresh processes, while the files hold what was generated.
void Run::Memory() {
  Row row{QStringLiteral("Resident memory, calendar + notes + address book open"),
          QStringLiteral("one empty window"), Unit::kMiB, Goal{Goal::kAtMost, 40}, {}, {}, {}};
  const int children = options_.quick ? 1 : 3;
  for (int i = 0; i < children; ++i) {
    row.figure.Add(ChildResidentMiB(QStringLiteral("--memory-child"), data_dir_));
    row.floor.Add(ChildResidentMiB(QStringLiteral("--memory-floor"), data_dir_));
  }
  if (row.figure.Min() <= 0 || row.floor.Min() <= 0) row.Wrong(QStringLiteral("no reading"));
  table_.Add(std::move(row));
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

void Run::DeleteAppointmentFigure() {
  Row row{QStringLiteral("Delete the first appointment (handler, disk)"),
          QStringLiteral("bulk read, journaled write"), Unit::kMs, Goal{Goal::kAtMost, 16}, {}, {}, {}};
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
        if (FileBytes(FloorPath("Appoint.dat")) != expected) r.Wrong(QStringLiteral("floor's file"));
      },
      row);
  appoint_->Put(appoint_image_);
  floor_appoint_->Put(appoint_image_);
  table_.Add(std::move(row));
}

void Run::DeleteAddressFigure() {
  Row row{QStringLiteral("Delete the first address entry (handler, disk)"),
          QStringLiteral("bulk read, journaled write"), Unit::kMs, Goal{Goal::kAtMost, 16}, {}, {}, {}};
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
        if (FileBytes(FloorPath("AddBook.dat")) != expected) r.Wrong(QStringLiteral("floor's file"));
      },
      row);
  book_->Put(book_image_);
  floor_book_->Put(book_image_);
  table_.Add(std::move(row));
}

void Run::DeleteNoteFigure() {
  Row row{QStringLiteral("Delete the first note (handler, disk)"),
          QStringLiteral("raw read, moved bytes rewritten; store's journal and flushes"), Unit::kMs, Goal{Goal::kRatioAtMost, 1.5}, {}, {}, {}};
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
          Unit::kMs, Goal{Goal::kRatioAtMost, 1.5}, {}, {}, {}};
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
          if (RawText(image, 500, 3 * k + 1) == raw_title) std::abort();
        }
        PutRawText(image, 500, 3 * n + 1, raw_title);
        PutRawText(image, 500, 3 * n + 2, added.body.toLatin1());
        char* count_at = image.data() + 2 * 500;
        count_at[2] = char((n + 1) & 0xFF);
        count_at[3] = char((n + 1) >> 8);
        floor_notes_->JournaledWrite(old, image, {{3, 3}, {3 * n + 1, 3 * n + 2}});
      },
      [&](Row& r) {
        if (FileBytes(FloorPath("Notes.dat")) != notes_image_) r.Wrong(QStringLiteral("floor's file"));
      },
      row);
  notes_->Put(notes_image_);
  floor_notes_->Put(notes_image_);
  window.LoadNotesList();
  table_.Add(std::move(row));
}

void Run::CheckMonth(Row& row, const RawMarks& marks, int year, int month) {
  if (marks.appointment_days != AppointmentDays(data_, year, month) ||
      marks.birthday_days != BirthdayDays(data_, year, month)) {
    row.Wrong(QStringLiteral("marks"));
  }
}

void Run::MonthMarksFigure() {
  Row row{QStringLiteral("Month marks, data only (busiest month)"),
          QStringLiteral("bulk read of both files, scan"), Unit::kMs, Goal{Goal::kAtMost, 1}, {}, {}, {}};
  const QDate day = data_.busiest_day;
  MonthMarks marks;
  row.figure = Measure(
      fast(), [] {}, [&] { marks = ComputeMonthMarks(app_->files(), day.year(), day.month()); },
      [&](Row& r) {
        RawMarks seen;
        for (int d : marks.appointment_days) seen.appointment_days.insert(d);
        for (int d : marks.birthday_days) seen.birthday_days.insert(d);
        CheckMonth(r, seen, day.year(), day.month());
      },
      row);
  RawMarks raw;
  row.floor = Measure(
      fast(), [] {}, [&] { raw = RawMonthScan(*appoint_, *book_, day.year(), day.month(), day); },
      [&](Row& r) { CheckMonth(r, raw, day.year(), day.month()); }, row);
  table_.Add(std::move(row));
}

// What the calendar window shows for the month, as marks.
RawMarks ShownMarks(MonthCalendarWindow& calendar) {
  RawMarks shown;
  const int offset = calendar.FirstDayOffset();
  for (int cell = 1; cell <= 42; ++cell) {
    if (calendar.HasAppointmentMark(cell)) shown.appointment_days.insert(cell - offset);
    if (calendar.HasBirthdayMark(cell)) shown.birthday_days.insert(cell - offset);
  }
  return shown;
}

void Run::MarkingFigure() {
  Row row{QStringLiteral("Month marking as the calendar does it (today indicator, reset, marks)"),
          QStringLiteral("bulk read of both files, scan"), Unit::kMs, Goal{Goal::kAtMost, 2}, {}, {}, {}};
  const QDate day = data_.busiest_day;
  MonthCalendarWindow& calendar = app_->MonthCalendar();
  QWidget* indicator = Child<QWidget>(app_->Main(), QLatin1String(main_window_names::kTodayIndicator));
  row.figure = Measure(
      fast(), [] {}, [&] { calendar.MarkMonthCalendar(); },
      [&](Row& r) {
        CheckMonth(r, ShownMarks(calendar), day.year(), day.month());
        if (!indicator->isVisibleTo(&app_->Main())) r.Wrong(QStringLiteral("today indicator"));
      },
      row);
  RawMarks raw;
  row.floor = Measure(
      fast(), [] {}, [&] { raw = RawMonthScan(*appoint_, *book_, day.year(), day.month(), day); },
      [&](Row& r) {
        CheckMonth(r, raw, day.year(), day.month());
        if (!raw.today) r.Wrong(QStringLiteral("floor's today"));
      },
      row);
  table_.Add(std::move(row));
}

void Run::NextMonthFigure() {
  Row row{QStringLiteral("Next month, calendar repainted"),
          QStringLiteral("bulk read of both files, scan"), Unit::kMs, Goal{Goal::kAtMost, 5}, {}, {}, {}};
  const QDate day = data_.busiest_day;
  MonthCalendarWindow& calendar = app_->MonthCalendar();
  auto* view = Child<QTableView>(calendar, QStringLiteral("qt_calendar_calendarview"));
  row.figure = Measure(
      fast(), [&] { calendar.StepMonth(-1); },
      [&] {
        calendar.StepMonth(1);
        view->viewport()->repaint();
      },
      [&](Row& r) {
        if (calendar.calendar().monthShown() != day.month()) r.Wrong(QStringLiteral("month"));
        CheckMonth(r, ShownMarks(calendar), day.year(), day.month());
      },
      row);
  RawMarks raw;
  row.floor = Measure(
      fast(), [] {}, [&] { raw = RawMonthScan(*appoint_, *book_, day.year(), day.month(), day); },
      [&](Row& r) { CheckMonth(r, raw, day.year(), day.month()); }, row);
  table_.Add(std::move(row));
}

void Run::FillActivitiesFigure() {
  Row row{QStringLiteral("Fill Activities for the busiest day"),
          QStringLiteral("bulk read of both files, scan"), Unit::kMs, Goal{Goal::kAtMost, 2}, {}, {}, {}};
  const QDate day = data_.busiest_day;
  const QStringList subjects = SubjectsOn(data_, day);
  const int birthdays = BirthdayCountOn(data_, day);
  ActivitiesWindow& activities = app_->Activities();
  auto* memos = Child<QComboBox>(activities, QLatin1String(activities_names::kMemos));
  auto* id = Child<QLineEdit>(activities, QLatin1String(activities_names::kId));
  row.figure = Measure(
      fast(), [&] { activities.SetDate(day); }, [&] { activities.FillActivities(); },
      [&](Row& r) {
        if (activities.Subjects() != subjects || activities.StartTimes().size() != subjects.size())
          r.Wrong(QStringLiteral("appointments"));
        if (id->text() != DayKey(day) + QStringLiteral("-1")) r.Wrong(QStringLiteral("shown appointment"));
        if (memos->count() != birthdays) r.Wrong(QStringLiteral("birthdays"));
      },
      row);
  RawDay raw;
  row.floor = Measure(
      fast(), [] {}, [&] { raw = RawDayScan(*appoint_, *book_, day); },
      [&](Row& r) {
        if (raw.subjects != subjects || raw.birthdays.size() != birthdays) r.Wrong(QStringLiteral("floor"));
      },
      row);
  table_.Add(std::move(row));
}

void Run::NotesListFigure() {
  Row row{QStringLiteral("Fill the notes list (%1 titles)").arg(data_.notes.size()),
          QStringLiteral("bulk read of Notes.dat, titles"), Unit::kMs, Goal{Goal::kAtMost, 5}, {}, {}, {}};
  NotesWindow& window = app_->Notes();
  auto* list = Child<QAbstractItemView>(window, QLatin1String(notes_names::kList));
  const int count = int(data_.notes.size());
  row.figure = Measure(
      fast(), [] {}, [&] { window.LoadNotesList(); },
      [&](Row& r) {
        if (list->model()->rowCount() != count || CellText(list, count - 1, 1) != data_.notes.back().title ||
            CellText(list, count - 1, 0) != QString::number(count)) {
          r.Wrong(QStringLiteral("list"));
        }
      },
      row);
  QStringList titles;
  row.floor = Measure(
      fast(), [] {}, [&] { titles = RawTitles(*notes_); },
      [&](Row& r) {
        if (titles.size() != count || titles.back() != data_.notes.back().title) r.Wrong(QStringLiteral("floor"));
      },
      row);
  table_.Add(std::move(row));
}

void Run::EditAppointmentFigure() {
  Row row{QStringLiteral("Edit an appointment (handler)"),
          QStringLiteral("bulk read, journaled write"), Unit::kMs, Goal{Goal::kAtMost, 5}, {}, {}, {}};
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
          if (RawText(image, 128, 8 * k + 1) == id) index = k;
        }
        PutRawText(image, 128, 8 * index + 2, QStringLiteral("Edited %1").arg(++turn).toLatin1());
        floor_appoint_->JournaledWrite(before, image, {{8 * index + 2, 8 * index + 7}});
      },
      [&](Row& r) {
        if (RawText(floor_appoint_->ReadAll(), 128, 2) != QStringLiteral("Edited %1").arg(turn).toLatin1())
          r.Wrong(QStringLiteral("floor"));
      },
      row);
  appoint_->Put(appoint_image_);
  floor_appoint_->Put(appoint_image_);
  table_.Add(std::move(row));
}

void Run::AddAddressFigure() {
  Row row{QStringLiteral("Add an address entry, the last place (handler)"),
          QStringLiteral("bulk read, journaled write"), Unit::kMs, Goal{Goal::kAtMost, 5}, {}, {}, {}};
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
        Child<QLineEdit>(editor, QLatin1String(address_editor_names::kSurname))->setText(added.surname);
        Child<LimitedTextEdit>(editor, QLatin1String(address_editor_names::kAddress))->SetStoredText(added.address);
        Child<QLineEdit>(editor, QLatin1String(address_editor_names::kEmail))->setText(added.email);
        Child<QLineEdit>(editor, QLatin1String(address_editor_names::kHomePage))->setText(added.home_page);
        Child<LimitedTextEdit>(editor, QLatin1String(address_editor_names::kNotes))->SetStoredText(added.notes);
        for (int i = 0; i < kAddressPhoneCount; ++i) {
          Child<QLineEdit>(editor, QLatin1String(address_editor_names::kPhones[i]))->setText(added.phones[i]);
        }
        Child<QCheckBox>(editor, QLatin1String(address_editor_names::kBirthdayFlag))->setChecked(BirthdayFlagSet(added.birthday_flag));
        OpenToolWindow(editor);
      },
      [&] { Press(editor, address_editor_names::kOk); },
      [&](Row& r) {
        if (FileBytes(DataPath("AddBook.dat")) != book_image_) r.Wrong(QStringLiteral("AddBook.dat"));
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
          if (RawText(image, 128, 16 * k + 1) == raw_key) std::abort();
        }
        const auto fields = added.Fields();
        for (int f = 1; f <= kAddressFieldCount; ++f) {
          PutRawText(image, 128, 16 * count + f, fields[f - 1].toLatin1());
        }
        char* count_at = image.data() + 15 * 128;
        count_at[2] = char((count + 1) & 0xFF);
        count_at[3] = char((count + 1) >> 8);
        floor_book_->JournaledWrite(old, image, {{16, 16}, {16 * count + 1, 16 * count + 15}});
      },
      [&](Row& r) {
        if (FileBytes(FloorPath("AddBook.dat")) != book_image_) r.Wrong(QStringLiteral("floor's file"));
      },
      row);
  book_->Put(book_image_);
  floor_book_->Put(book_image_);
  table_.Add(std::move(row));
}

// Find…: one keystroke's results, from the box's new text to the list
// drawn with them, the search run in steps as the window runs it.
//
// Events.dat holds the events at capacity meanwhile (500 series, 200 all
// day), found as appointments; they are taken out after, for the figures
// that measure without them.
void Run::FindFigure() {
  if (!PutBenchEvents(app_->files(), data_.busiest_day)) std::exit(1);
  with_events_ = true;
  Settle();
  FindOne(QStringLiteral("s"), QStringLiteral("every item matches"));
  FindOne(QStringLiteral("shop"), QStringLiteral("every note"));
  FindOne(QStringLiteral("409"), QStringLiteral("a few of each kind"));
  FindOne(QStringLiteral("orthwood0042"), QStringLiteral("one entry"));
  FindAfterChangeFigure();
  FindOpenFigure();
  if (!RemoveBenchEvents(app_->files())) std::exit(1);
  with_events_ = false;
  Settle();
}

RawFound Run::Holding(const QString& word, bool events) const {
  const auto holds = [&word](std::initializer_list<QString> texts) {
    for (const QString& t : texts) {
      if (t.contains(word, Qt::CaseInsensitive)) return true;
    }
    return false;
  };
  RawFound expected;
  for (const Appointment& a : data_.appointments) expected.appointments += holds({a.subject, a.description});
  if (with_events_ && events) expected.appointments += BenchEventsHolding(word);
  for (const Note& n : data_.notes) expected.notes += holds({n.title, n.body});
  for (const AddressEntry& e : data_.entries) {
    const bool birthday = BirthdayFlagSet(e.birthday_flag);
    expected.entries += holds({e.name, e.surname, e.address, e.phones[0], e.phones[1], e.phones[2],
                               e.phones[3], e.phones[4], e.phones[5],
                               birthday ? e.birthday_date : QString(), e.email, e.home_page, e.notes});
  }
  return expected;
}

// The results Find shows, counted by kind.
RawFound Run::FindShown() const {
  FindWindow& find = app_->Find();
  QAbstractItemModel* model = Child<QAbstractItemView>(find, QLatin1String(find_names::kResults))->model();
  RawFound shown;
  for (int g = 0; g < model->rowCount(); ++g) {
    const QString caption = model->index(g, 0).data().toString();
    const int rows = model->rowCount(model->index(g, 0));
    if (caption.startsWith(QLatin1String("Appointments"))) shown.appointments = rows;
    if (caption.startsWith(QLatin1String("Notes"))) shown.notes = rows;
    if (caption.startsWith(QLatin1String("Address entries"))) shown.entries = rows;
  }
  return shown;
}

bool operator!=(const RawFound& a, const RawFound& b) {
  return a.appointments != b.appointments || a.notes != b.notes || a.entries != b.entries;
}

void Run::FindOne(const QString& word, const QString& what) {
  Row row{QStringLiteral("Find, one keystroke to results drawn: \"%1\" (%2)").arg(word, what),
          QStringLiteral("bulk read of the three files, byte scan"), Unit::kMs,
          Goal{Goal::kAtMost, 16}, {}, {}, {}};
  const RawFound expected = Holding(word);
  const RawFound files_expected = Holding(word, false);
  FindWindow& find = app_->Find();
  find.show();
  auto* box = Child<QLineEdit>(find, QLatin1String(find_names::kBox));
  // From the box's new text to the window drawn with the results: the
  // search, the list laid out, and what the keystroke left for the event
  // loop (the paint of the list, the status line and the box). The window
  // has been open a while: its copy of the files is read.
  row.figure = Measure(
      fast(),
      [&] {
        box->clear();
        Settle();
        while (!find.Ready()) QApplication::processEvents();
      },
      [&] {
        box->setText(word);
        while (find.Searching()) QApplication::processEvents();
        for (int i = 0; i < 3; ++i) QApplication::processEvents();
      },
      [&](Row& r) {
        if (FindShown() != expected) r.Wrong(QStringLiteral("results"));
        NoMessages(r);
      },
      row);
  RawFound raw;
  const QByteArray lower = word.toLower().toLatin1();
  row.floor = Measure(
      fast(), [] {}, [&] { raw = RawSearch(*appoint_, *notes_, *book_, lower); },
      [&](Row& r) {
        if (raw != files_expected) r.Wrong(QStringLiteral("floor"));
      },
      row);
  find.hide();
  table_.Add(std::move(row));
}

// The worst keystroke: typed as soon as a note was changed, before the
// window has had a moment to read Notes.dat again. Find's part only: the
// other windows, which fill themselves again after a change, are closed.
void Run::FindAfterChangeFigure() {
  const QString word = QStringLiteral("shop");
  Row row{QStringLiteral("Find, one keystroke right after a note changed (its file read again): \"%1\"").arg(word),
          QStringLiteral("bulk read of the three files, byte scan"), Unit::kMs,
          Goal{Goal::kAtMost, 16}, {}, {}, {}};
  const RawFound expected = Holding(word);
  const RawFound files_expected = Holding(word, false);
  const std::vector<QWidget*> others{&app_->MonthCalendar(), &app_->Activities(), &app_->Notes(),
                                     &app_->AddressBook()};
  for (QWidget* window : others) window->hide();
  FindWindow& find = app_->Find();
  find.show();
  auto* box = Child<QLineEdit>(find, QLatin1String(find_names::kBox));
  const int last = int(data_.notes.size()) - 1;
  const int body = store::FieldRecord(store::Channel::kNotes, last, 2);
  const QString original = data_.notes.back().body;
  int change = 0;
  row.figure = Measure(
      fast(),
      [&] {
        box->clear();
        Settle();
        while (!find.Ready()) QApplication::processEvents();
        // The same words, one letter's case changed: the same results.
        store::Operation op(app_->files());
        op.WriteText(store::Channel::kNotes, body, ++change % 2 ? original.toUpper() : original);
        if (!op.Commit().stored()) std::exit(1);
      },
      [&] {
        // Posted events only: Find's steps, the change's announcement and
        // the paint. The reminder keeper's timers (it watches the folder)
        // are not Find's work and wait for the next setup.
        box->setText(word);
        while (find.Searching()) QCoreApplication::sendPostedEvents();
        for (int i = 0; i < 3; ++i) QCoreApplication::sendPostedEvents();
      },
      [&](Row& r) {
        if (FindShown() != expected) r.Wrong(QStringLiteral("results"));
        NoMessages(r);
      },
      row);
  {
    store::Operation op(app_->files());
    op.WriteText(store::Channel::kNotes, body, original);
    if (!op.Commit().stored()) std::exit(1);
  }
  RawFound raw;
  const QByteArray lower = word.toLower().toLatin1();
  row.floor = Measure(
      fast(), [] {}, [&] { raw = RawSearch(*appoint_, *notes_, *book_, lower); },
      [&](Row& r) {
        if (raw != files_expected) r.Wrong(QStringLiteral("floor"));
      },
      row);
  find.hide();
  for (QWidget* window : others) OpenToolWindow(*window);
  Settle();
  table_.Add(std::move(row));
}

// Opening Find reads the three files into its copy, in steps between
// which the window draws and takes keys; until then a keystroke waits for
// the rest.
void Run::FindOpenFigure() {
  Row row{QStringLiteral("Find opened: its copy of the three files and the events read, in steps"),
          QStringLiteral("bulk read of the three files, byte scan"), Unit::kMs,
          Goal{Goal::kAtMost, 100}, {}, {}, {}};
  FindWindow& find = app_->Find();
  auto* box = Child<QLineEdit>(find, QLatin1String(find_names::kBox));
  const RawFound expected = Holding(QStringLiteral("shop"));
  const RawFound files_expected = Holding(QStringLiteral("shop"), false);
  row.figure = Measure(
      slow(),
      [&] {
        find.hide();
        box->clear();
        Settle();
      },
      [&] {
        find.show();
        while (!find.Ready()) QApplication::processEvents();
      },
      [&](Row& r) {
        box->setText(QStringLiteral("shop"));
        if (find.Searching() || FindShown() != expected) r.Wrong(QStringLiteral("copy"));
        NoMessages(r);
      },
      row);
  RawFound raw;
  row.floor = Measure(
      slow(), [] {}, [&] { raw = RawSearch(*appoint_, *notes_, *book_, "shop"); },
      [&](Row& r) {
        if (raw != files_expected) r.Wrong(QStringLiteral("floor"));
      },
      row);
  find.hide();
  table_.Add(std::move(row));
}

}  // namespace
}  // namespace quorvel::bench

int main(int argc, char* argv[]) {
  // The offscreen platform says so every time a window is raised.
  static const QtMessageHandler previous = qInstallMessageHandler(
      [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
        if (message.contains(QLatin1String("does not support raise()"))) return;
        if (previous != nullptr) previous(type, context, message);
      });
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication qt(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quorvel"));
  quorvel::store::SetFatalHandler([](const QString& message) {
    std::fprintf(stderr, "fatal: %s\n", qPrintable(message));
    std::exit(1);
  });
  const QStringList args = QApplication::arguments();
  if (args.size() == 3 && args.at(1).startsWith(QLatin1String("--memory-"))) {
    return quorvel::bench::MemoryChild(args.at(1), args.at(2));
  }

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Times Quorvel's actions at capacity."));
  parser.addHelpOption();
  const QCommandLineOption fraction(QStringLiteral("fraction"),
                                    QStringLiteral("Fill the files to this part of capacity (0-1]."),
                                    QStringLiteral("F"));
  const QCommandLineOption runs(QStringLiteral("runs"), QStringLiteral("Runs per figure."),
                                QStringLiteral("N"));
  const QCommandLineOption quick(QStringLiteral("quick"),
                                 QStringLiteral("Two runs at 5 % of capacity: proves it works."));
  const QCommandLineOption dir(QStringLiteral("dir"), QStringLiteral("Folder for the data files."),
                               QStringLiteral("FOLDER"));
  const QCommandLineOption only(
      QStringLiteral("only"),
      QStringLiteral("Only these figures (comma-separated): memory, delete-appointment, "
                     "delete-entry, delete-note, save-note, marks, marking, next-month, activities, "
                     "notes-list, edit-appointment, add-entry."),
      QStringLiteral("NAMES"));
  parser.addOptions({fraction, runs, quick, dir, only});
  parser.process(qt);

  quorvel::bench::Options options;
  options.quick = parser.isSet(quick);
  if (options.quick) options.fraction = 0.05;
  if (parser.isSet(fraction)) options.fraction = parser.value(fraction).toDouble();
  if (parser.isSet(runs)) options.runs = parser.value(runs).toInt();
  options.dir = parser.value(dir);
  if (parser.isSet(only)) options.only = parser.value(only).split(QLatin1Char(','));
  if (!(options.fraction > 0 && options.fraction <= 1)) {
    std::fprintf(stderr, "--fraction must lie in (0, 1]\n");
    return 2;
  }
  quorvel::bench::Run run(options);
  return run.Go();
}
