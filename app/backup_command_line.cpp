#include "app/backup_command_line.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#include "backups/backups.h"
#include "ui/seams.h"

namespace quorvel {

CommandLineOptions BackupCommandLine() {
  CommandLineOptions o;
  o.options = {
      QCommandLineOption(
          QStringLiteral("backup"),
          BackupTexts::tr("Write a copy of all the data files, compressed into one file, "
                          "to <folder> (created when missing), without opening a window."),
          BackupTexts::tr("folder")),
      QCommandLineOption(
          QStringLiteral("restore"),
          BackupTexts::tr("Put the data files back as the backup <file> holds them, "
                          "without opening a window; what they held is first kept as an "
                          "automatic backup."),
          BackupTexts::tr("file")),
  };
  o.take = [](const QCommandLineParser& parser, QStringList&, QString& error) -> HeadlessCommand {
    const bool backup = parser.isSet(QStringLiteral("backup"));
    const bool restore = parser.isSet(QStringLiteral("restore"));
    if (!backup && !restore) return {};
    const QString dir = parser.value(QStringLiteral("backup"));
    const QString path = parser.value(QStringLiteral("restore"));
    if ((backup && dir.isEmpty()) || (restore && path.isEmpty())) {
      error = BackupTexts::tr("A backup needs a folder, a restore the name of a backup file.");
      return {};
    }
    // Relative names are taken from the working folder of the start.
    const QString absolute_dir = dir.isEmpty() ? QString() : QFileInfo(dir).absoluteFilePath();
    const QString absolute_path = path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
    return [absolute_dir, absolute_path](HeadlessContext& context) {
      if (!absolute_dir.isEmpty()) {
        backups::BackupInfo made;
        const store::Outcome outcome = backups::TakeBackup(context.files, absolute_dir,
                                                           backups::Reason::kCommand, Now(), &made);
        if (outcome.refused()) {
          context.err << outcome.reason() << '\n';
          return 1;
        }
        context.out << BackupTexts::tr(
                           "Backup written: %1 (%2 appointments, %3 notes, %4 entries).")
                           .arg(QDir::toNativeSeparators(made.path))
                           .arg(made.appointments)
                           .arg(made.notes)
                           .arg(made.entries)
                    << '\n';
      }
      if (!absolute_path.isEmpty()) {
        const std::optional<backups::BackupInfo> info = backups::ReadBackupInfo(absolute_path);
        const store::Outcome outcome =
            backups::RestoreBackup(context.files, absolute_path,
                                   backups::BackupsFolderFor(context.files.DataDir()), Now());
        if (outcome.refused()) {
          context.err << outcome.reason() << '\n';
          return 1;
        }
        context.out << BackupTexts::tr("Restored: %1 (%2 appointments, %3 notes, %4 entries).")
                           .arg(QDir::toNativeSeparators(absolute_path))
                           .arg(info ? info->appointments : 0)
                           .arg(info ? info->notes : 0)
                           .arg(info ? info->entries : 0)
                    << '\n';
      }
      return 0;
    };
  };
  return o;
}

}  // namespace quorvel
