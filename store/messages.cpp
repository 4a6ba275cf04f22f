#include "store/messages.h"

#include <cerrno>

#include <QDir>

namespace quorvel::store {
namespace {

QString SystemSays(const SystemError& error) {
  return error.text.isEmpty() ? QString()
                              : MessageTexts::tr("\n\n(The system says: %1.)").arg(error.text);
}

QString Where(const QString& folder) { return QDir::toNativeSeparators(folder); }

}  // namespace

bool IsNoRoom(const SystemError& error) { return error.code == ENOSPC || error.code == EDQUOT; }

QString FolderGoneMessage(const QString& folder) {
  if (folder.isEmpty()) {
    return MessageTexts::tr(
        "The folder Quorvel was started in no longer exists, so there is nowhere to "
        "keep your data. Nothing was read or written. Start Quorvel again from a "
        "folder that exists.");
  }
  return MessageTexts::tr(
             "The data folder %1 no longer exists. Nothing was read or written. "
             "Start Quorvel again from a folder that exists.")
      .arg(Where(folder));
}

QString FolderUnusableMessage(const QString& folder, const SystemError& error) {
  if (error.code == ENOENT) return FolderGoneMessage(folder);
  return MessageTexts::tr("Quorvel cannot use the data folder %1. Nothing was read or written.%2")
      .arg(Where(folder), SystemSays(error));
}

QString NotARegularFileMessage(const QString& name, const QString& folder, EntryKind kind) {
  const QString what =
      kind == EntryKind::kSymlink
          ? MessageTexts::tr(
                "is a symbolic link. Quorvel never follows links for its data "
                "files, so that nothing outside the folder is ever changed")
      : kind == EntryKind::kFolder
          ? MessageTexts::tr("is a folder, not a file")
          : MessageTexts::tr("is not a regular file (it is a device, a pipe or a socket)");
  return MessageTexts::tr(
             "%1 in the folder %2 %3. Nothing was changed. Put the file itself in its "
             "place (or move it away to start afresh), then start Quorvel again.")
      .arg(name, Where(folder), what);
}

QString SameFileMessage(const QString& name, const QString& other, const QString& folder) {
  return MessageTexts::tr(
             "%1 and %2 in the folder %3 are one and the same file (one is a hard link "
             "of the other), so saving in one would destroy the other. Nothing was "
             "changed. Remove one of the two names, then start Quorvel again.")
      .arg(other, name, Where(folder));
}

QString HardLinkedMessage(const QString& name, const QString& folder) {
  return MessageTexts::tr(
             "%1 in the folder %2 has other names elsewhere (hard links, as some backup "
             "tools make), so saving in it would change those copies too. Nothing was "
             "changed. Replace it with a copy of its own (copy it to a new name, then "
             "rename the copy to %1), then start Quorvel again.")
      .arg(name, Where(folder));
}

QString ReplacedMessage(const QString& name, const QString& folder) {
  return MessageTexts::tr(
             "%1 in the folder %2 was changed by another program (replaced, moved or "
             "removed) while Quorvel was running. Your last change was not saved, and "
             "nothing was written. Quorvel ends now; start it again to work with the "
             "files as they are now.")
      .arg(name, Where(folder));
}

QString JournalInTheWayMessage(const QString& journal, const QString& folder) {
  return MessageTexts::tr(
             "Another program put %1 in the folder %2 while Quorvel was running. Your "
             "last change was not saved, and nothing was written. Quorvel ends now; when "
             "started again it sets that file aside.")
      .arg(journal, Where(folder));
}

QString JournalSetAsideMessage(const QString& name, const QString& journal, const QString& kept_as,
                               const QString& folder) {
  return MessageTexts::tr(
             "The folder %4 held %2, a record of an unfinished change, but it does not "
             "belong to this %1 (it was copied or synced from another folder or machine, "
             "or put there by another program). It was not used: %1 is unchanged. The "
             "file was kept as %3 in case you need it.")
      .arg(name, journal, kept_as, Where(folder));
}

QString NoRoomMessage() {
  return MessageTexts::tr(
      "There is no room left on the disk to save this change safely; nothing was "
      "changed. Free some space and try again.");
}

QString NoRoomToSetUpMessage(const QString& folder) {
  return MessageTexts::tr(
             "There is no room left on the disk to set up Quorvel's data files in the "
             "folder %1. Nothing was changed there. Quorvel ends now; free some space, "
             "then start it again.")
      .arg(Where(folder));
}

QString FailureMessage(Doing doing, const QString& name, const QString& folder,
                       const SystemError& error) {
  QString what;
  switch (doing) {
    case Doing::kOpening:
      what = MessageTexts::tr("Quorvel cannot open %1");
      break;
    case Doing::kReading:
      what = MessageTexts::tr("Quorvel cannot read %1");
      break;
    case Doing::kSaving:
      what = MessageTexts::tr("Quorvel could not save a change in %1");
      break;
    case Doing::kRestoring:
      what = MessageTexts::tr("Quorvel could not finish putting %1 back as it was");
      break;
    case Doing::kClosing:
      what = MessageTexts::tr("Quorvel could not close %1");
      break;
  }
  const QString then =
      doing == Doing::kSaving || doing == Doing::kRestoring
          ? MessageTexts::tr(
                "Quorvel ends now; the next start puts the file back as it was "
                "before the change.")
          : MessageTexts::tr("Quorvel ends now; everything saved before stays as it was.");
  const QString room = IsNoRoom(error) ? MessageTexts::tr(
                                             " There is no room left on the disk; "
                                             "free some space first.")
                                       : QString();
  return MessageTexts::tr("%1 in the folder %2. %3%4%5")
      .arg(what.arg(name), Where(folder), then, room, SystemSays(error));
}

}  // namespace quorvel::store
