// Export of the data files to iCalendar and vCard files, and import of such
// files into the data files.
//
// Import is all or nothing: every file is read and checked first, then
// everything taken goes into the data files in one store operation, through
// the same file operations the windows use. A file that cannot be read
// (missing, too large, not iCalendar or vCard, damaged, wrong encoding)
// stops the import before anything is written.
#pragma once

#include <vector>

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTimeZone>

#include "interchange/mapping.h"
#include "store/data_files.h"

namespace quorvel::interchange {

// Files larger than this are refused unread.
inline constexpr qint64 kLargestImportFile = 32 * 1024 * 1024;

enum class FileKind { kCalendar, kContacts, kUnknown };

struct ExportResult {
  FileKind kind = FileKind::kCalendar;
  QString error;  // null when the file was written
  int appointments = 0;
  int birthdays = 0;
  int contacts = 0;
  QStringList problems;  // stored data left out of the file
  bool ok() const { return error.isNull(); }
  // "12 appointments and 3 birthdays exported to /home/ann/cal.ics."
  QString Text(const QString& path) const;
};

// Every appointment, and the birthdays of the address book as yearly
// events, to one iCalendar file (written whole or not at all). An imported
// appointment goes out as the event it came as (its UID, location and
// every other property), with only what was changed here since rewritten;
// times changed here are wall times in `zone`.
ExportResult ExportCalendar(const store::DataFiles& files, const QString& path,
                            const QDateTime& stamp = QDateTime::currentDateTimeUtc(),
                            const QTimeZone& zone = QTimeZone::systemTimeZone());
// Every address book entry to one vCard 3.0 file.
ExportResult ExportAddressBook(const store::DataFiles& files, const QString& path);

// Which export a file name asks for: by its extension, .ics or .vcf (any
// case); kUnknown otherwise.
FileKind KindOf(const QString& path);

// What one imported file gave.
struct FileSummary {
  QString path;
  int appointments = 0;  // stored (an event kept whole counts as one)
  int updated = 0;       // kept events replaced by a newer copy of them
  int contacts = 0;      // stored
  std::vector<Skipped> skipped;
  std::vector<Shortened> shortened;  // stored cut to their fields, as agreed
  QStringList left_out;
  QStringList notes;  // about the file as a whole (see EventReading::notes)
  // "/home/ann/cal.ics: 12 appointments and 30 contacts imported; 2 skipped."
  QString Line() const;
  // Every item skipped, with its reason, and every detail not kept, under
  // their headings; empty when there is none.
  QStringList Details() const;
};

struct ImportSummary {
  QString error;  // null when the import was stored; nothing was written otherwise
  // Nothing was stored because texts would have been shortened and that was
  // not accepted: `error` names every one, and `files` holds them.
  bool needs_shortening = false;
  std::vector<FileSummary> files;
  bool ok() const { return error.isNull(); }
  int Appointments() const;
  int Contacts() const;
  // Each file's line and notes.
  QString Overview() const;
  // Each file's details, under the file's name when there are several.
  QString Details() const;
  // All of it: each file's line, notes and details; the error when refused.
  QString Text() const;
};

// Imports the files (.ics and .vcf, told apart by their content) in one
// operation. Contacts are stored before appointments, so a birthday event
// of a contact imported at the same time counts as already present. A card
// text longer than its field is stored shortened only with
// `accept_shortened`; otherwise nothing is stored and the summary names
// every such text (needs_shortening).
ImportSummary ImportFiles(store::DataFiles& files, const QStringList& paths,
                          const EventOptions& options = {}, bool accept_shortened = false);

// What was read from one source: events, cards or both.
struct Reading {
  QString path;  // names the source in the summary
  EventReading events;
  ContactReading contacts;
};

// Readings already made, stored in one operation (for callers that get
// their events and cards elsewhere, e.g. from a server). Readings with an
// error are not passed here.
ImportSummary StoreReadings(store::DataFiles& files, const std::vector<Reading>& readings);

}  // namespace quorvel::interchange
