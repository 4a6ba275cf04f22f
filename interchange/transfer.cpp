// Export, the summaries of export and import, and the files to import read and checked.
#include "interchange/transfer.h"

#include "events/event_file.h"
#include "interchange/patch.h"
#include "interchange/texts.h"
#include "interchange/transfer_internal.h"
#include "items/imported_appointments.h"
#include "items/sync_state.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <map>

namespace quorvel::interchange {
namespace {

QString Plural(int n, const char* one, const char* many) {
  return QStringLiteral("%1 %2").arg(n).arg(InterchangeTexts::tr(n == 1 ? one : many));
}

QString Shown(const QString& path) { return QDir::toNativeSeparators(path); }

QString WriteWhole(const QString& path, const QByteArray& bytes) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
    return InterchangeTexts::tr("The file %1 could not be written: %2.")
        .arg(Shown(path), file.errorString());
  }
  return QString();
}

std::vector<Appointment> AllAppointments(const store::DataFiles& files) {
  std::vector<Appointment> all;
  const int count = files.ReadCount(store::Channel::kAppoint);
  all.reserve(count);
  for (int k = 0; k < count; ++k) all.push_back(ReadAppointment(files, k));
  return all;
}

std::vector<AddressEntry> AllEntries(const store::DataFiles& files) {
  std::vector<AddressEntry> all;
  const int count = files.ReadCount(store::Channel::kAddBook);
  all.reserve(count);
  for (int k = 0; k < count; ++k) all.push_back(ReadAddressEntry(files, k));
  return all;
}

// What a file's first line says it is.
FileKind KindOfContent(const QByteArray& bytes) {
  QByteArray start = bytes.left(4096);
  if (start.startsWith("\xEF\xBB\xBF")) start.remove(0, 3);
  start = start.trimmed().toUpper();
  if (start.startsWith("BEGIN:VCALENDAR")) return FileKind::kCalendar;
  if (start.startsWith("BEGIN:VCARD")) return FileKind::kContacts;
  return FileKind::kUnknown;
}

// "Smith, John: its notes, 1240 characters (the field holds 1000)".
QString ShortenedLine(const Shortened& s) {
  return InterchangeTexts::tr("%1: %2, %3 characters (the field holds %4)")
      .arg(s.item, s.field)
      .arg(s.length)
      .arg(s.limit);
}

}  // namespace

bool SameAppointment(const Appointment& a, const Appointment& b) {
  return a.id.left(8) == b.id.left(8) && a.subject == b.subject && a.start == b.start &&
         a.end == b.end && a.reminder == b.reminder && a.minutes == b.minutes &&
         a.description == b.description;
}

QString ExportResult::Text(const QString& path) const {
  if (!ok()) return error;
  QString what;
  if (kind == FileKind::kContacts) {
    what = Plural(contacts, QT_TRANSLATE_NOOP("Interchange", "contact"),
                  QT_TRANSLATE_NOOP("Interchange", "contacts"));
  } else {
    what = Plural(appointments, QT_TRANSLATE_NOOP("Interchange", "appointment"),
                  QT_TRANSLATE_NOOP("Interchange", "appointments")) +
           InterchangeTexts::tr(" and ") +
           Plural(birthdays, QT_TRANSLATE_NOOP("Interchange", "birthday"),
                  QT_TRANSLATE_NOOP("Interchange", "birthdays"));
  }
  QString text = InterchangeTexts::tr("%1 exported to %2.").arg(what, Shown(path));
  if (!problems.isEmpty()) {
    text += InterchangeTexts::tr(" Left out: ") + problems.join(QLatin1Char(' '));
  }
  return text;
}

ExportResult ExportCalendar(const store::DataFiles& files, const QString& path,
                            const QDateTime& stamp, const QTimeZone& zone) {
  const std::vector<Appointment> all = AllAppointments(files);
  // An appointment a sync links to a server resource goes out under that
  // resource's UID, so that both copies stay one event.
  QStringList uids;
  if (const auto state = sync::LoadState(files)) {
    for (const sync::Link& link : state->appointments) {
      if (link.index < 0 || link.index >= int(all.size()) || link.uid.isEmpty()) continue;
      while (uids.size() <= link.index) uids.append(QString());
      uids[link.index] = link.uid;
    }
  }
  // Any other goes out under the UID kept for it, the one it first went
  // out under.
  for (const auto& [k, uid] : ReadAppointmentUids(files)) {
    if (k < 0 || k >= int(all.size())) continue;
    while (uids.size() <= k) uids.append(QString());
    if (uids[k].isEmpty()) uids[k] = uid;
  }
  // An imported appointment goes out as the event it came as, with what
  // was changed here since.
  const std::map<int, ImportedAppointment> imported = ReadImported(files);
  std::vector<QByteArray> as_kept(imported.empty() ? 0 : all.size());
  for (const auto& [k, a] : imported) {
    if (k >= int(all.size())) continue;
    if (SameAppointment(a.as_read, all[size_t(k)])) {
      as_kept[size_t(k)] = a.text;
    } else if (std::optional<QByteArray> patched =
                   PatchEvent(a.text, a.as_read, all[size_t(k)], QString(), zone)) {
      as_kept[size_t(k)] = std::move(*patched);
    }
  }
  std::vector<QByteArray> kept;
  for (const events::StoredEvent& e : events::ReadEvents(files).events) kept.push_back(e.text);
  const CalendarExport calendar = WriteCalendar(all, AllEntries(files), kept, uids, stamp, as_kept);
  ExportResult result;
  result.appointments = calendar.appointments;
  result.birthdays = calendar.birthdays;
  result.problems = calendar.problems;
  result.error = WriteWhole(path, calendar.ics);
  return result;
}

ExportResult ExportAddressBook(const store::DataFiles& files, const QString& path) {
  const std::vector<AddressEntry> entries = AllEntries(files);
  ExportResult result;
  result.kind = FileKind::kContacts;
  result.contacts = static_cast<int>(entries.size());
  result.error = WriteWhole(path, WriteContacts(entries));
  return result;
}

FileKind KindOf(const QString& path) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix == QLatin1String("ics")) return FileKind::kCalendar;
  if (suffix == QLatin1String("vcf")) return FileKind::kContacts;
  return FileKind::kUnknown;
}

QString FileSummary::Line() const {
  QString text = InterchangeTexts::tr("%1: %2 and %3 imported")
                     .arg(Shown(path),
                          Plural(appointments, QT_TRANSLATE_NOOP("Interchange", "appointment"),
                                 QT_TRANSLATE_NOOP("Interchange", "appointments")),
                          Plural(contacts, QT_TRANSLATE_NOOP("Interchange", "contact"),
                                 QT_TRANSLATE_NOOP("Interchange", "contacts")));
  if (updated > 0) text += InterchangeTexts::tr("; %1 of them updated").arg(updated);
  if (skipped.empty()) return text + QLatin1Char('.');
  return text + InterchangeTexts::tr("; %1 skipped.").arg(static_cast<int>(skipped.size()));
}

QStringList FileSummary::Details() const {
  QStringList lines;
  if (!skipped.empty()) {
    lines.append(InterchangeTexts::tr("Skipped:"));
    for (const Skipped& s : skipped)
      lines.append(QStringLiteral("- %1 (%2)").arg(s.item, s.reason));
  }
  if (!shortened.empty()) {
    lines.append(InterchangeTexts::tr("Shortened:"));
    for (const Shortened& s : shortened) lines.append(QStringLiteral("- ") + ShortenedLine(s));
  }
  if (!left_out.isEmpty()) {
    lines.append(InterchangeTexts::tr("Details not kept:"));
    for (const QString& detail : left_out) lines.append(QStringLiteral("- ") + detail);
  }
  return lines;
}

int ImportSummary::Appointments() const {
  int n = 0;
  for (const FileSummary& f : files) n += f.appointments;
  return n;
}

int ImportSummary::Contacts() const {
  int n = 0;
  for (const FileSummary& f : files) n += f.contacts;
  return n;
}

QString ImportSummary::Overview() const {
  if (!ok()) return error;
  QStringList lines;
  for (const FileSummary& f : files) {
    lines.append(f.Line());
    lines.append(f.notes);
  }
  return lines.join(QLatin1Char('\n'));
}

QString ImportSummary::Details() const {
  QStringList lines;
  for (const FileSummary& f : files) {
    const QStringList details = f.Details();
    if (details.isEmpty()) continue;
    if (files.size() > 1) lines.append(Shown(f.path) + QLatin1Char(':'));
    lines.append(details);
  }
  return lines.join(QLatin1Char('\n'));
}

QString ImportSummary::Text() const {
  if (!ok()) return error;
  QStringList lines;
  for (const FileSummary& f : files) {
    lines.append(f.Line());
    lines.append(f.notes);
    lines.append(f.Details());
  }
  return lines.join(QLatin1Char('\n'));
}

ImportSummary ImportFiles(store::DataFiles& files, const QStringList& paths,
                          const EventOptions& options, bool accept_shortened) {
  ImportSummary summary;
  std::vector<Reading> readings;
  for (const QString& path : paths) {
    auto refuse = [&](const QString& why) {
      summary.error = InterchangeTexts::tr("Nothing was imported. %1: %2").arg(Shown(path), why);
      return summary;
    };
    QFile file(path);
    const QFileInfo info(path);
    if (!info.exists()) return refuse(InterchangeTexts::tr("there is no such file."));
    if (info.isDir()) return refuse(InterchangeTexts::tr("it is a folder, not a file."));
    if (info.size() > kLargestImportFile) {
      return refuse(InterchangeTexts::tr("the file is too large to import (%1 MB; at most %2 MB).")
                        .arg(info.size() / (1024 * 1024))
                        .arg(kLargestImportFile / (1024 * 1024)));
    }
    if (!file.open(QIODevice::ReadOnly)) {
      return refuse(
          InterchangeTexts::tr("the file could not be read (%1).").arg(file.errorString()));
    }
    const QByteArray bytes = file.read(kLargestImportFile + 1);
    if (bytes.size() > kLargestImportFile) {
      return refuse(InterchangeTexts::tr("the file is too large to import (at most %1 MB).")
                        .arg(kLargestImportFile / (1024 * 1024)));
    }
    FileKind kind = KindOfContent(bytes);
    if (kind == FileKind::kUnknown) {
      if (bytes.contains('\0'))
        return refuse(InterchangeTexts::tr("it holds binary data, not iCalendar or vCard text."));
      kind = KindOf(path);
    }
    Reading reading;
    reading.path = path;
    if (kind == FileKind::kCalendar) {
      EventOptions whole = options;
      whole.keep_whole = true;
      reading.events = ReadEvents(bytes, whole);
      if (!reading.events.ok()) return refuse(reading.events.error);
    } else if (kind == FileKind::kContacts) {
      reading.contacts = ReadContacts(bytes, options.first_day, true);
      if (!reading.contacts.ok()) return refuse(reading.contacts.error);
    } else {
      return refuse(
          InterchangeTexts::tr("it is neither an iCalendar (.ics) nor a vCard (.vcf) file."));
    }
    readings.push_back(std::move(reading));
  }
  // Nothing is stored shortened before the user agreed to it.
  QStringList cut;
  for (const Reading& r : readings) {
    if (r.contacts.shortened.empty()) continue;
    FileSummary file;
    file.path = r.path;
    file.shortened = r.contacts.shortened;
    for (const Shortened& s : file.shortened) {
      cut.append(QStringLiteral("- ") +
                 (readings.size() > 1 ? Shown(r.path) + QStringLiteral(": ") : QString()) +
                 ShortenedLine(s));
    }
    summary.files.push_back(std::move(file));
  }
  if (!cut.isEmpty() && !accept_shortened) {
    summary.needs_shortening = true;
    summary.error =
        (cut.size() == 1
             ? InterchangeTexts::tr("Nothing was imported. 1 text is longer than its field "
                                    "in the address book, and would be shortened:")
             : InterchangeTexts::tr("Nothing was imported. %1 texts are longer than their "
                                    "fields in the address book, and would be shortened:")
                   .arg(cut.size())) +
        QLatin1Char('\n') + cut.join(QLatin1Char('\n'));
    return summary;
  }
  return StoreReadings(files, readings);
}

}  // namespace quorvel::interchange
