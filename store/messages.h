// What the store tells the user, in plain words: what happened to which
// file, and what to do. The system's own error text may follow.
#pragma once

#include <QCoreApplication>
#include <QString>

#include "store/file_system.h"

namespace quorvel {

// MessageTexts::tr(...): the texts of the messages the store and the item files give, in the
// "Messages" context.
class MessageTexts {
  Q_DECLARE_TR_FUNCTIONS(Messages)
};

}  // namespace quorvel

namespace quorvel::store {

// What the store was doing when the system refused.
enum class Doing { kOpening, kReading, kSaving, kRestoring, kClosing };

// `name` is a file's base name ("Notes.dat"), `folder` the folder as shown.
QString FolderGoneMessage(const QString& folder);
QString FolderUnusableMessage(const QString& folder, const SystemError& error);
QString NotARegularFileMessage(const QString& name, const QString& folder, EntryKind kind);
QString SameFileMessage(const QString& name, const QString& other, const QString& folder);
QString HardLinkedMessage(const QString& name, const QString& folder);
QString ReplacedMessage(const QString& name, const QString& folder);
QString JournalInTheWayMessage(const QString& journal, const QString& folder);
QString JournalSetAsideMessage(const QString& name, const QString& journal, const QString& kept_as,
                               const QString& folder);
// No room for a change: nothing was changed (the operation is refused).
QString NoRoomMessage();
// No room to set up the data files in `folder` at start: nothing was
// changed, and the program ends.
QString NoRoomToSetUpMessage(const QString& folder);
QString FailureMessage(Doing doing, const QString& name, const QString& folder,
                       const SystemError& error);
bool IsNoRoom(const SystemError& error);

}  // namespace quorvel::store
