#include "app/interchange_actions.h"

#include <QCommandLineParser>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>

#include "addressbook/address_book_window.h"
#include "app/application.h"
#include "backups/backups.h"
#include "calendar/activities_window.h"
#include "calendar/month_calendar_window.h"
#include "interchange/command.h"
#include "interchange/texts.h"
#include "interchange/transfer.h"
#include "ui/seams.h"

namespace quorvel {
namespace {

FileChooser& Chooser() {
  static FileChooser chooser;
  return chooser;
}

const char* const kCalendarFilter = QT_TRANSLATE_NOOP("Interchange", "iCalendar files (*.ics)");
const char* const kContactsFilter = QT_TRANSLATE_NOOP("Interchange", "vCard files (*.vcf)");

QString Translated(const char* text) { return InterchangeTexts::tr(text); }

QStringList Choose(QWidget* parent, const FileDialogRequest& request, QString* filter) {
  if (Chooser()) return Chooser()(request, filter);
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (request.save) {
    const QString path =
        QFileDialog::getSaveFileName(parent, request.caption, folder, request.filters, filter);
    return path.isEmpty() ? QStringList() : QStringList{path};
  }
  return QFileDialog::getOpenFileNames(parent, request.caption, folder, request.filters, filter);
}

// Every open window shows the files as they are now, before the summary
// is shown over them (DataChanged follows, and finds nothing more to do).
void RefreshWindows(Application& app) {
  app.UpdateTodayIndicator();
  if (app.HasMonthCalendar()) app.MonthCalendar().RefreshMarks();
  if (app.HasActivities()) app.Activities().Refresh();
  if (app.HasAddressBook()) app.AddressBook().Refresh();
}

}  // namespace

void SetFileChooser(FileChooser chooser) { Chooser() = std::move(chooser); }

void ImportFromFiles(Application& app, QWidget* parent) {
  QString filter;
  const QStringList paths =
      Choose(parent,
             {false, InterchangeTexts::tr("Import"),
              InterchangeTexts::tr("Calendars and address books (*.ics *.vcf);;%1;;%2")
                  .arg(Translated(kCalendarFilter), Translated(kContactsFilter))},
             &filter);
  if (paths.isEmpty()) return;
  // A copy of the files as they are, whatever the import brings.
  const store::Outcome kept = backups::TakeAutomaticBackup(app.files(), app.BackupsFolder(),
                                                           backups::Reason::kImport, Now());
  if (kept.refused()) {
    ShowMessage(kept.reason());
    return;
  }
  interchange::EventOptions options;
  options.first_day = Now().date();
  interchange::ImportSummary summary = interchange::ImportFiles(app.files(), paths, options);
  if (summary.needs_shortening) {
    // Nothing is stored yet: the user decides, knowing every text it cuts.
    // A long list comes first in a box that scrolls; the question names
    // the first of them. Nothing is the default.
    constexpr int kNamedInQuestion = 12;
    QStringList lines = summary.error.split(QLatin1Char('\n'));
    if (lines.size() > kNamedInQuestion + 1) {
      ShowMessageWithDetails(lines.front(), lines.mid(1).join(QLatin1Char('\n')));
      const int more = int(lines.size()) - 1 - kNamedInQuestion;
      lines = lines.mid(0, kNamedInQuestion + 1);
      lines.append(
          InterchangeTexts::tr("… and %1 more, all listed in the previous message.").arg(more));
    }
    const int choice =
        AskChoice(lines.join(QLatin1Char('\n')) + QStringLiteral("\n\n") +
                      InterchangeTexts::tr(
                          "Import everything else with these texts shortened, or import nothing?"),
                  {InterchangeTexts::tr("Import nothing"),
                   InterchangeTexts::tr("Import the rest shortened")});
    if (choice != 1) return;
    summary = interchange::ImportFiles(app.files(), paths, options, true);
  }
  if (summary.ok()) RefreshWindows(app);
  // Every item skipped and every detail not kept, in a list that scrolls.
  ShowMessageWithDetails(summary.Overview(), summary.ok() ? summary.Details() : QString());
}

void ExportToFile(Application& app, QWidget* parent) {
  QString filter = Translated(kCalendarFilter);
  const QStringList chosen = Choose(
      parent,
      {true, InterchangeTexts::tr("Export"),
       QStringLiteral("%1;;%2").arg(Translated(kCalendarFilter), Translated(kContactsFilter))},
      &filter);
  if (chosen.isEmpty()) return;
  QString path = chosen.front();
  // The name's extension decides; without one, the filter chosen.
  interchange::FileKind kind = interchange::KindOf(path);
  if (kind == interchange::FileKind::kUnknown) {
    const bool contacts = filter == Translated(kContactsFilter);
    kind = contacts ? interchange::FileKind::kContacts : interchange::FileKind::kCalendar;
    if (QFileInfo(path).suffix().isEmpty())
      path += contacts ? QStringLiteral(".vcf") : QStringLiteral(".ics");
  }
  const interchange::ExportResult result = kind == interchange::FileKind::kContacts
                                               ? interchange::ExportAddressBook(app.files(), path)
                                               : interchange::ExportCalendar(app.files(), path);
  ShowMessage(result.Text(path));
}

CommandLineOptions InterchangeCommandLine() {
  CommandLineOptions o;
  o.options = {
      QCommandLineOption(
          QStringLiteral("export-ics"),
          InterchangeTexts::tr("Write every appointment, and the address book's birthdays, to an "
                               "iCalendar file, without opening a window."),
          InterchangeTexts::tr("file")),
      QCommandLineOption(
          QStringLiteral("export-vcf"),
          InterchangeTexts::tr("Write the address book to a vCard file, without opening a window."),
          InterchangeTexts::tr("file")),
      QCommandLineOption(
          QStringLiteral("accept-shortened"),
          InterchangeTexts::tr("With --import: store a card's text that is longer than its "
                               "field shortened to it (without this, such an import stores nothing "
                               "and lists them).")),
      QCommandLineOption(
          QStringLiteral("import"),
          InterchangeTexts::tr("Import iCalendar (.ics) and vCard (.vcf) files, all or nothing, "
                               "without opening a window; more files may follow."),
          InterchangeTexts::tr("file")),
  };
  o.positional_name = InterchangeTexts::tr("file");
  o.positional_description = InterchangeTexts::tr("More files to import after --import.");
  o.take = [](const QCommandLineParser& parser, QStringList& unclaimed,
              QString& error) -> HeadlessCommand {
    interchange::CommandRequest request;
    request.export_ics = parser.value(QStringLiteral("export-ics"));
    request.export_vcf = parser.value(QStringLiteral("export-vcf"));
    request.accept_shortened = parser.isSet(QStringLiteral("accept-shortened"));
    if (parser.isSet(QStringLiteral("import"))) {
      request.import = parser.values(QStringLiteral("import"));
      request.import += unclaimed;
      unclaimed.clear();
    }
    if ((parser.isSet(QStringLiteral("export-ics")) && request.export_ics.isEmpty()) ||
        (parser.isSet(QStringLiteral("export-vcf")) && request.export_vcf.isEmpty())) {
      error = InterchangeTexts::tr("An export needs the name of a file.");
      return {};
    }
    if (!interchange::HasCommand(request)) return {};
    return [request](HeadlessContext& context) mutable {
      request.options.first_day = Now().date();
      if (!request.import.isEmpty()) {
        const store::Outcome kept = backups::TakeAutomaticBackup(
            context.files, backups::BackupsFolderFor(context.files.DataDir()),
            backups::Reason::kImport, Now());
        if (kept.refused()) {
          context.err << kept.reason() << '\n';
          return 1;
        }
      }
      const int status =
          interchange::RunCommandOn(context.files, request, context.out, context.err);
      return status;
    };
  };
  return o;
}

}  // namespace quorvel
