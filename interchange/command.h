// The command-line forms of export and import: no window, the whole
// summary (a line per file, its notes, every item skipped and every detail
// not kept), an exit status.
#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

#include "interchange/mapping.h"
#include "store/data_files.h"

namespace quorvel::interchange {

struct CommandRequest {
  QString data_dir;               // the folder whose data files are used
  QString export_ics;             // --export-ics FILE, or empty
  QString export_vcf;             // --export-vcf FILE, or empty
  QStringList import;             // --import FILE…, or empty
  EventOptions options;           // how imported events become appointments
  bool accept_shortened = false;  // --accept-shortened: card texts cut to their fields
};

inline constexpr int kCommandOk = 0;
inline constexpr int kCommandFailed = 1;        // a file could not be read or written
inline constexpr int kCommandFolderInUse = 2;   // another Quorvel holds the folder
inline constexpr int kCommandWouldShorten = 3;  // nothing imported: texts would be shortened

// Opens the data files of `request.data_dir` (refused, with nothing
// written, when another Quorvel holds the folder), imports the files to
// import in one all-or-nothing step, then writes the exports. Summaries go
// to `out`, failures to `err`.
int RunCommand(const CommandRequest& request, QTextStream& out, QTextStream& err);
// The same on files already open (`request.data_dir` unused).
int RunCommandOn(store::DataFiles& files, const CommandRequest& request, QTextStream& out,
                 QTextStream& err);

// Whether any of the interchange options was given.
inline bool HasCommand(const CommandRequest& r) {
  return !r.export_ics.isEmpty() || !r.export_vcf.isEmpty() || !r.import.isEmpty();
}

}  // namespace quorvel::interchange
