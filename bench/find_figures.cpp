// The Find figures: one keystroke's results, the keystroke after a change, the window opened.
#include <cstdlib>
#include <initializer_list>
#include <utility>
#include <vector>

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>

#include "addressbook/address_book_window.h"
#include "bench/event_figures.h"
#include "bench/run.h"
#include "calendar/activities_window.h"
#include "calendar/month_calendar_window.h"
#include "find/find_window.h"
#include "items/note_file.h"
#include "notes/notes_window.h"
#include "store/operation.h"
#include "store/record_codec.h"
#include "ui/ui.h"

namespace quorvel::bench {
namespace {

bool operator!=(const RawFound& a, const RawFound& b) {
  return a.appointments != b.appointments || a.notes != b.notes || a.entries != b.entries;
}

}  // namespace

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
  for (const Appointment& a : data_.appointments)
    expected.appointments += holds({a.subject, a.description});
  if (with_events_ && events) expected.appointments += BenchEventsHolding(word);
  for (const Note& n : data_.notes) expected.notes += holds({n.title, n.body});
  for (const AddressEntry& e : data_.entries) {
    const bool birthday = BirthdayFlagSet(e.birthday_flag);
    expected.entries +=
        holds({e.name, e.surname, e.address, e.phones[0], e.phones[1], e.phones[2], e.phones[3],
               e.phones[4], e.phones[5], birthday ? e.birthday_date : QString(), e.email,
               e.home_page, e.notes});
  }
  return expected;
}

// The results Find shows, counted by kind.
RawFound Run::FindShown() const {
  FindWindow& find = app_->Find();
  QAbstractItemModel* model =
      Child<QAbstractItemView>(find, QLatin1String(find_names::kResults))->model();
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

void Run::FindOne(const QString& word, const QString& what) {
  Row row{QStringLiteral("Find, one keystroke to results drawn: \"%1\" (%2)").arg(word, what),
          QStringLiteral("bulk read of the three files, byte scan"),
          Unit::kMs,
          Goal{Goal::kAtMost, 16},
          {},
          {},
          {}};
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
  Row row{
      QStringLiteral("Find, one keystroke right after a note changed (its file read again): \"%1\"")
          .arg(word),
      QStringLiteral("bulk read of the three files, byte scan"),
      Unit::kMs,
      Goal{Goal::kAtMost, 16},
      {},
      {},
      {}};
  const RawFound expected = Holding(word);
  const RawFound files_expected = Holding(word, false);
  const std::vector<QWidget*> others{&app_->MonthCalendar(), &app_->Activities(), &app_->Notes(),
                                     &app_->AddressBook()};
  for (QWidget* window : others) window->hide();
  FindWindow& find = app_->Find();
  find.show();
  auto* box = Child<QLineEdit>(find, QLatin1String(find_names::kBox));
  const int last = int(data_.notes.size()) - 1;
  const int body = store::FieldRecord(store::Channel::kNotes, last, kNoteBody);
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
          QStringLiteral("bulk read of the three files, byte scan"),
          Unit::kMs,
          Goal{Goal::kAtMost, 100},
          {},
          {},
          {}};
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

}  // namespace quorvel::bench
