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

#include <QApplication>
#include <QCommandLineParser>

#include "bench/run.h"
#include "store/fatal.h"

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
  const QCommandLineOption fraction(
      QStringLiteral("fraction"), QStringLiteral("Fill the files to this part of capacity (0-1]."),
      QStringLiteral("F"));
  const QCommandLineOption runs(QStringLiteral("runs"), QStringLiteral("Runs per figure."),
                                QStringLiteral("N"));
  const QCommandLineOption quick(QStringLiteral("quick"),
                                 QStringLiteral("Two runs at 5 % of capacity: proves it works."));
  const QCommandLineOption dir(QStringLiteral("dir"), QStringLiteral("Folder for the data files."),
                               QStringLiteral("FOLDER"));
  const QCommandLineOption only(
      QStringLiteral("only"),
      QStringLiteral(
          "Only these figures (comma-separated): memory, delete-appointment, "
          "delete-entry, delete-note, save-note, marks, marking, next-month, activities, "
          "notes-list, edit-appointment, add-entry, find, sync-kept, events."),
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
