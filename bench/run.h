// The benchmark's run: its options, the helpers that work the windows, the Run class.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <memory>

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>

#include "app/application.h"
#include "bench/dataset.h"
#include "bench/measure.h"
#include "bench/raw.h"

class QAbstractItemView;
class QComboBox;

namespace quorvel::bench {

struct Options {
  double fraction = 1.0;
  int runs = 0;  // 0: the default for each figure
  bool quick = false;
  QString dir;
  QStringList only;  // empty: every figure
};

QByteArray FileBytes(const QString& path);

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

void Click(QWidget& window, const char* name);

// A button pressed as the user presses it: its handler, and then what the
// event loop delivers right after it returns, the change announcement that
// brings every open window up to date with the files (so that the figure
// holds the windows' refreshing too).
void Press(QWidget& window, const char* name);

QStringList ComboItems(QComboBox* combo);
QString CellText(QAbstractItemView* view, int row, int column);
// A few turns of the event loop, for what showing or changing left.
void Settle();

// The child process the memory figure starts: prints its resident memory
// in KiB for `mode` (--memory-child or --memory-floor) over `dir`.
int MemoryChild(const QString& mode, const QString& dir);

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
    if (!messages_.isEmpty())
      row.Wrong(QStringLiteral("message: ") + messages_.join(QLatin1Char('|')));
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

}  // namespace quorvel::bench
