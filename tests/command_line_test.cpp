#include <algorithm>

#include <gtest/gtest.h>

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>

#include "app/command_line.h"
#include "store/data_files.h"

namespace quorvel::testing {
namespace {

const QString kHere = QStringLiteral("/home/ann/letters");
const QString kStandard = QStringLiteral("/home/ann/.local/share/quorvel");

Invocation Parse(QStringList arguments, const std::vector<CommandLineOptions>& subsystems = {}) {
  arguments.prepend(QStringLiteral("quorvel"));
  return ParseCommandLine(arguments, kHere, kStandard, subsystems);
}

TEST(CommandLineTest, ChoosesTheDataFolder) {
  Invocation plain = Parse({});
  EXPECT_EQ(plain.action, Invocation::Action::kWindow);
  EXPECT_EQ(plain.data_folder, kHere);
  EXPECT_FALSE(plain.create_folder);

  Invocation menu = Parse({QStringLiteral("--standard-folder")});
  EXPECT_EQ(menu.action, Invocation::Action::kWindow);
  EXPECT_EQ(menu.data_folder, kStandard);
  EXPECT_TRUE(menu.create_folder);

  EXPECT_EQ(Parse({QStringLiteral("--data-folder"), QStringLiteral("/srv/diary/")}).data_folder,
            QStringLiteral("/srv/diary"));
  EXPECT_EQ(Parse({QStringLiteral("--data-folder=../shared")}).data_folder,
            QStringLiteral("/home/ann/shared"));
  Invocation short_form = Parse({QStringLiteral("-d"), QStringLiteral("work")});
  EXPECT_EQ(short_form.data_folder, QStringLiteral("/home/ann/letters/work"));
  EXPECT_FALSE(short_form.create_folder);
}

TEST(CommandLineTest, HelpAndVersionOnlyPrint) {
  Invocation help = Parse({QStringLiteral("--help")});
  EXPECT_EQ(help.action, Invocation::Action::kPrint);
  EXPECT_TRUE(help.text.contains(QStringLiteral("--data-folder <folder>")));
  EXPECT_TRUE(help.text.contains(QStringLiteral("--standard-folder")));
  EXPECT_TRUE(help.text.contains(kStandard));
  EXPECT_EQ(Parse({QStringLiteral("-h")}).action, Invocation::Action::kPrint);

  Invocation version = Parse({QStringLiteral("--version")});
  EXPECT_EQ(version.action, Invocation::Action::kPrint);
  EXPECT_EQ(version.text, QStringLiteral("Quorvel " QUORVEL_VERSION "\n"));
  EXPECT_TRUE(help.text.startsWith(QStringLiteral("Usage: quorvel [options]")));
  // Help wins over every other valid option on the line.
  EXPECT_EQ(Parse({QStringLiteral("--standard-folder"), QStringLiteral("--help")}).action,
            Invocation::Action::kPrint);
}

TEST(CommandLineTest, RejectsWhatItDoesNotKnow) {
  for (const QStringList& arguments :
       {QStringList{QStringLiteral("--bogus")}, QStringList{QStringLiteral("-x")},
        QStringList{QStringLiteral("stray")}, QStringList{QStringLiteral("--data-folder")},
        QStringList{QStringLiteral("--data-folder=")},
        QStringList{QStringLiteral("-d"), QStringLiteral("a"), QStringLiteral("-d"),
                    QStringLiteral("b")},
        QStringList{QStringLiteral("--standard-folder"), QStringLiteral("-d"),
                    QStringLiteral("x")}}) {
    SCOPED_TRACE(arguments.join(QLatin1Char(' ')).toStdString());
    Invocation result = Parse(arguments);
    EXPECT_EQ(result.action, Invocation::Action::kError);
    EXPECT_EQ(result.exit_code, 2);
    EXPECT_TRUE(result.text.startsWith(QStringLiteral("quorvel: ")));
    EXPECT_TRUE(result.text.contains(QStringLiteral("Usage: quorvel [options]")));
  }
  EXPECT_TRUE(Parse({QStringLiteral("--bogus")}).text.contains(QStringLiteral("'bogus'")));
}

// A subsystem in the shape the import, export and sync options take.
CommandLineOptions ExportOptions(QStringList* ran) {
  CommandLineOptions options;
  options.options = {QCommandLineOption(QStringLiteral("export-list"), QStringLiteral("Export."),
                                        QStringLiteral("file")),
                     QCommandLineOption(QStringLiteral("import-list"), QStringLiteral("Import."))};
  options.positional_name = QStringLiteral("file");
  options.positional_description = QStringLiteral("Files to import.");
  options.take = [ran](const QCommandLineParser& parser, QStringList& unclaimed,
                       QString& error) -> HeadlessCommand {
    if (parser.isSet(QStringLiteral("export-list"))) {
      const QString file = parser.value(QStringLiteral("export-list"));
      return [ran, file](HeadlessContext& context) {
        ran->append(QStringLiteral("export ") + file);
        context.out << "exported\n";
        return file == QStringLiteral("fail") ? 3 : 0;
      };
    }
    if (parser.isSet(QStringLiteral("import-list"))) {
      if (unclaimed.isEmpty()) {
        error = QStringLiteral("Name the files to import.");
        return {};
      }
      const QStringList files = unclaimed;
      unclaimed.clear();
      return [ran, files](HeadlessContext&) {
        ran->append(QStringLiteral("import ") + files.join(QLatin1Char(',')));
        return 0;
      };
    }
    return {};
  };
  return options;
}

TEST(CommandLineTest, SubsystemsAddHeadlessCommands) {
  QStringList ran;
  const std::vector<CommandLineOptions> subsystems = {ExportOptions(&ran)};

  Invocation help = Parse({QStringLiteral("--help")}, subsystems);
  EXPECT_TRUE(help.text.contains(QStringLiteral("--export-list <file>")));
  EXPECT_TRUE(help.text.contains(QStringLiteral("Files to import.")));

  Invocation window = Parse({}, subsystems);
  EXPECT_EQ(window.action, Invocation::Action::kWindow);
  EXPECT_TRUE(window.commands.empty());
  // Plain arguments nobody takes are still refused.
  EXPECT_EQ(Parse({QStringLiteral("a.ics")}, subsystems).action, Invocation::Action::kError);

  Invocation import = Parse({QStringLiteral("--import-list"), QStringLiteral("a.ics"),
                             QStringLiteral("b.vcf"), QStringLiteral("-d"), QStringLiteral("/x")},
                            subsystems);
  ASSERT_EQ(import.action, Invocation::Action::kHeadless);
  EXPECT_EQ(import.data_folder, QStringLiteral("/x"));
  ASSERT_EQ(import.commands.size(), 1U);

  Invocation missing = Parse({QStringLiteral("--import-list")}, subsystems);
  EXPECT_EQ(missing.action, Invocation::Action::kError);
  EXPECT_TRUE(missing.text.contains(QStringLiteral("Name the files to import.")));

  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QString out_text;
  QString err_text;
  QTextStream out(&out_text);
  QTextStream err(&err_text);
  EXPECT_EQ(RunHeadless(dir.path(), import.commands, out, err), 0);
  EXPECT_EQ(ran, QStringList{QStringLiteral("import a.ics,b.vcf")});
  // The data files were opened (and so created) for the command.
  EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("Appoint.dat"))));

  Invocation failing = Parse({QStringLiteral("--export-list"), QStringLiteral("fail")}, subsystems);
  EXPECT_EQ(RunHeadless(dir.path(), failing.commands, out, err), 3);
  EXPECT_TRUE(out_text.contains(QStringLiteral("exported")));
}

TEST(CommandLineTest, HeadlessCommandsKeepTheOneInstanceRule) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  bool ran = false;
  QString out_text;
  QString err_text;
  QTextStream out(&out_text);
  QTextStream err(&err_text);
  QProcess holder;
  holder.start(QStringLiteral(QUORVEL_STORE_CHILD), {QStringLiteral("hold"), dir.path()});
  ASSERT_TRUE(holder.waitForStarted());
  ASSERT_TRUE(holder.waitForReadyRead(10000));
  const int status = RunHeadless(dir.path(), {[&ran](HeadlessContext&) {
                                   ran = true;
                                   return 0;
                                 }},
                                 out, err);
  holder.kill();
  holder.waitForFinished();
  EXPECT_EQ(status, 1);
  EXPECT_FALSE(ran);
  EXPECT_EQ(err_text.trimmed(), store::FolderInUseMessage(dir.path()));
}

TEST(CommandLineTest, WindowingOptionsAreRecognised) {
  const QString program = QStringLiteral("quorvel");
  EXPECT_TRUE(HasWindowingOption({program, QStringLiteral("-platform"), QStringLiteral("xcb")}));
  EXPECT_TRUE(HasWindowingOption({program, QStringLiteral("-style=fusion")}));
  EXPECT_FALSE(HasWindowingOption({program, QStringLiteral("--sync")}));
  EXPECT_FALSE(HasWindowingOption({program, QStringLiteral("--"), QStringLiteral("-style")}));
  EXPECT_FALSE(HasWindowingOption({program, QStringLiteral("--bogus")}));
}

// A refused command line ends with the usage line --help starts with, the
// plain arguments included.
TEST(CommandLineTest, AnErrorRepeatsTheUsageLineOfTheHelp) {
  QStringList ran;
  for (const std::vector<CommandLineOptions>& subsystems :
       {std::vector<CommandLineOptions>{}, std::vector<CommandLineOptions>{ExportOptions(&ran)},
        SubsystemCommandLines()}) {
    const QString usage =
        Parse({QStringLiteral("--help")}, subsystems).text.section(QLatin1Char('\n'), 0, 0);
    SCOPED_TRACE(usage.toStdString());
    EXPECT_TRUE(usage.startsWith(QStringLiteral("Usage: quorvel [options]")));
    EXPECT_EQ(usage.endsWith(QStringLiteral(" [file…]")), !subsystems.empty());
    for (const QStringList& arguments :
         {QStringList{QStringLiteral("--bogus")}, QStringList{QStringLiteral("stray")},
          QStringList{QStringLiteral("--standard-folder"), QStringLiteral("-d"),
                      QStringLiteral("x")}}) {
      const QStringList lines = Parse(arguments, subsystems).text.split(QLatin1Char('\n'));
      ASSERT_EQ(lines.size(), 4);  // the message, usage, the hint, and the last line's end
      EXPECT_EQ(lines[1], usage);
      EXPECT_EQ(lines[2], QStringLiteral("Try 'quorvel --help' for more information."));
    }
  }
}

// Every option and plain argument --help shows, and every environment
// variable it names, is in the manual page, and the manual page describes no
// option --help lacks.
TEST(CommandLineTest, TheManualPageHasEveryOptionOfTheHelp) {
  QFile page(QStringLiteral(QUORVEL_SOURCE_DIR "/packaging/quorvel.1"));
  ASSERT_TRUE(page.open(QIODevice::ReadOnly));
  const QString manual = QString::fromUtf8(page.readAll());
  // The page's sections by their headings.
  QMap<QString, QString> sections;
  QString heading;
  for (const QString& line : manual.split(QLatin1Char('\n'))) {
    if (line.startsWith(QStringLiteral(".SH "))) {
      heading = line.mid(4).remove(QLatin1Char('"'));
      continue;
    }
    sections[heading] += line + QLatin1Char('\n');
  }
  // The item lines of a section: the line after each ".TP".
  const auto items = [&sections](const QString& section) {
    QStringList found;
    const QStringList lines = sections.value(section).split(QLatin1Char('\n'));
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
      if (lines[i] == QStringLiteral(".TP")) found.append(lines[i + 1]);
    }
    return found;
  };
  const auto roff = [](QString text) {
    return text.replace(QLatin1Char('-'), QStringLiteral("\\-"));
  };

  const QString help = Parse({QStringLiteral("--help")}, SubsystemCommandLines()).text;
  const QStringList option_items = items(QStringLiteral("OPTIONS"));
  ASSERT_FALSE(option_items.isEmpty());
  const QRegularExpression option_line(
      QStringLiteral("^\\s+(?:-(\\w), )?--([\\w-]+)(?: <([^>]+)>)?"));
  QStringList long_names;
  for (const QString& line : help.split(QLatin1Char('\n'))) {
    const QRegularExpressionMatch option = option_line.match(line);
    if (!option.hasMatch()) continue;
    const QString name = option.captured(2);
    long_names.append(name);
    SCOPED_TRACE(name.toStdString());
    const auto item =
        std::find_if(option_items.begin(), option_items.end(), [&](const QString& text) {
          return QRegularExpression(QStringLiteral("(^|[^\\w-])") +
                                    QRegularExpression::escape(roff(QStringLiteral("--") + name)) +
                                    QStringLiteral("($|[^\\w\\\\])"))
              .match(text)
              .hasMatch();
        });
    ASSERT_NE(item, option_items.end()) << "no manual entry for --" << name.toStdString();
    if (!option.captured(1).isEmpty()) {
      EXPECT_TRUE(
          item->contains(roff(QStringLiteral("-") + option.captured(1)) + QStringLiteral(" \"")))
          << item->toStdString();
    }
    if (!option.captured(3).isEmpty()) {
      EXPECT_TRUE(
          item->contains(QStringLiteral("\\fI") + option.captured(3) + QStringLiteral("\\fR")))
          << item->toStdString();
    }
  }
  EXPECT_TRUE(long_names.contains(QStringLiteral("data-folder")));
  for (const QString& item : option_items) {
    const QRegularExpressionMatch described =
        QRegularExpression(QStringLiteral("\\\\-\\\\-((?:\\w|\\\\-)+)")).match(item);
    if (!described.hasMatch()) {  // a plain argument
      EXPECT_TRUE(item.startsWith(QStringLiteral(".I "))) << item.toStdString();
      continue;
    }
    EXPECT_TRUE(long_names.contains(described.captured(1).remove(QLatin1Char('\\'))))
        << "the manual describes an option --help lacks: " << item.toStdString();
  }

  // Plain arguments: in the synopsis and described.
  const QString arguments = help.section(QStringLiteral("Arguments:\n"), 1);
  for (const QString& line : arguments.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
    const QString name = line.trimmed().section(QLatin1Char(' '), 0, 0);
    SCOPED_TRACE(name.toStdString());
    EXPECT_TRUE(sections.value(QStringLiteral("SYNOPSIS"))
                    .contains(QStringLiteral("\\fI") + name + QStringLiteral("\\fR")));
    EXPECT_TRUE(std::any_of(option_items.begin(), option_items.end(), [&](const QString& text) {
      return text.startsWith(QStringLiteral(".I ") + name);
    }));
  }
  // Environment variables the help names.
  const QRegularExpression variable(QStringLiteral("\\b[A-Z][A-Z0-9]*_[A-Z0-9_]+\\b"));
  for (auto it = variable.globalMatch(help); it.hasNext();) {
    const QString name = it.next().captured(0);
    const QStringList environment = items(QStringLiteral("ENVIRONMENT"));
    EXPECT_TRUE(std::any_of(
        environment.begin(), environment.end(),
        [&](const QString& text) { return text.contains(QStringLiteral(" ") + roff(name)); }))
        << "the manual's ENVIRONMENT lacks " << name.toStdString();
  }
}

// The real program: help, version and a bad option open no window and leave
// no file behind.
TEST(CommandLineTest, ProgramPrintsAndExitsWithoutFiles) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  struct Case {
    QStringList arguments;
    int exit_code;
    const char* expected;
  };
  for (const Case& c : {Case{{QStringLiteral("--help")}, 0, "--data-folder"},
                        Case{{QStringLiteral("--version")}, 0, "Quorvel " QUORVEL_VERSION},
                        Case{{QStringLiteral("--no-such-option")}, 2, "Usage: quorvel"}}) {
    SCOPED_TRACE(c.arguments.join(QLatin1Char(' ')).toStdString());
    QProcess program;
    program.setWorkingDirectory(dir.path());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // No display at all: these must not need one.
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(QUORVEL_BINARY), c.arguments);
    ASSERT_TRUE(program.waitForFinished(20000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), c.exit_code);
    const QString output = QString::fromLocal8Bit(
        c.exit_code == 0 ? program.readAllStandardOutput() : program.readAllStandardError());
    EXPECT_TRUE(output.contains(QLatin1String(c.expected))) << output.toStdString();
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
  }
}

}  // namespace
}  // namespace quorvel::testing
