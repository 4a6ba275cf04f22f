// The memory figure: resident memory in fresh child processes, beside one empty window's.
#include <cstdio>
#include <cstdlib>

#include <QApplication>
#include <QProcess>

#include "addressbook/address_book_window.h"
#include "app/main_window.h"
#include "bench/run.h"
#include "calendar/month_calendar_window.h"
#include "notes/notes_window.h"
#include "ui/seams.h"
#include "ui/ui.h"

namespace quorvel::bench {
namespace {

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

}  // namespace

int MemoryChild(const QString& mode, const QString& dir) {
  if (mode == QLatin1String("--memory-floor")) {
    QWidget empty;
    empty.resize(200, 100);
    empty.show();
    Settle();
    std::printf("%ld\n", ResidentKiB());
    return 0;
  }
  SetMessageSink(
      [](const QString& text) { std::fprintf(stderr, "message: %s\n", qPrintable(text)); });
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

// In fresh processes, while the files hold what was generated.
void Run::Memory() {
  Row row{QStringLiteral("Resident memory, calendar + notes + address book open"),
          QStringLiteral("one empty window"),
          Unit::kMiB,
          Goal{Goal::kAtMost, 40},
          {},
          {},
          {}};
  const int children = options_.quick ? 1 : 3;
  for (int i = 0; i < children; ++i) {
    row.figure.Add(ChildResidentMiB(QStringLiteral("--memory-child"), data_dir_));
    row.floor.Add(ChildResidentMiB(QStringLiteral("--memory-floor"), data_dir_));
  }
  if (row.figure.Min() <= 0 || row.floor.Min() <= 0) row.Wrong(QStringLiteral("no reading"));
  table_.Add(std::move(row));
}

}  // namespace quorvel::bench
