// The main window's "Import…" and "Export…": a file dialog, the interchange
// with other programs, a summary in a message box, and the open windows
// brought up to date.
#pragma once

#include <functional>

#include <QString>
#include <QStringList>

#include "app/command_line.h"

class QWidget;

namespace quorvel {

class Application;

// The standard file dialog: the files chosen to open (several) or the one
// file to save to, empty when cancelled. `filter` is the filter list and
// comes back as the filter chosen.
struct FileDialogRequest {
  bool save = false;
  QString caption;
  QString filters;
};
using FileChooser = std::function<QStringList(const FileDialogRequest& request, QString* filter)>;
// Tests answer the dialogs; an empty chooser restores the standard dialog.
void SetFileChooser(FileChooser chooser);

void ImportFromFiles(Application& app, QWidget* parent);
void ExportToFile(Application& app, QWidget* parent);

// The command-line forms, without a window: --export-ics FILE,
// --export-vcf FILE, --import FILE… (imports run first, in one step).
CommandLineOptions InterchangeCommandLine();

}  // namespace quorvel
