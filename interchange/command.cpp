#include "interchange/command.h"

#include "interchange/texts.h"
#include "interchange/transfer.h"
#include "store/data_files.h"

namespace quorvel::interchange {

int RunCommand(const CommandRequest& request, QTextStream& out, QTextStream& err) {
  store::DataFiles files;
  files.SetDataDir(request.data_dir);
  if (files.OpenDataFiles() == store::OpenResult::kInUse) {
    err << store::FolderInUseMessage(request.data_dir) << Qt::endl;
    return kCommandFolderInUse;
  }
  const int status = RunCommandOn(files, request, out, err);
  files.CloseDataFiles();
  return status;
}

int RunCommandOn(store::DataFiles& files, const CommandRequest& request, QTextStream& out,
                 QTextStream& err) {
  int status = kCommandOk;
  if (!request.import.isEmpty()) {
    const ImportSummary summary =
        ImportFiles(files, request.import, request.options, request.accept_shortened);
    if (summary.needs_shortening) {
      err << summary.error << Qt::endl
          << InterchangeTexts::tr("To import them shortened, give --accept-shortened as well.")
          << Qt::endl;
      status = kCommandWouldShorten;
    } else if (!summary.ok()) {
      err << summary.error << Qt::endl;
      status = kCommandFailed;
    } else {
      // All of it: every item skipped and every detail not kept.
      out << summary.Text() << Qt::endl;
    }
  }
  auto report = [&](const ExportResult& result, const QString& path) {
    if (result.ok()) {
      out << result.Text(path) << Qt::endl;
    } else {
      err << result.error << Qt::endl;
      status = kCommandFailed;
    }
  };
  // Nothing is exported after a failed import: the caller asked for the
  // files with the import in them.
  if (status == kCommandOk && !request.export_ics.isEmpty()) {
    report(ExportCalendar(files, request.export_ics), request.export_ics);
  }
  if (status == kCommandOk && !request.export_vcf.isEmpty()) {
    report(ExportAddressBook(files, request.export_vcf), request.export_vcf);
  }
  return status;
}

}  // namespace quorvel::interchange
