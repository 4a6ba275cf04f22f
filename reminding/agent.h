// The reminder agent: the process that keeps a data folder's reminders
// while the organiser is closed (see ReminderKeeper), one per folder. It
// answers on a socket in the user's runtime folder, so that the program and
// later agents can tell that it runs and ask it to end.
//
// Kept to Qt Core and D-Bus (straight system calls for its socket), so that
// the agent's own small program, which waits all day for the next reminder,
// maps nothing more.
#pragma once

#include <functional>

#include <QDate>
#include <QString>
#include <QStringList>

#include "reminding/reminder_keeper.h"

namespace quorvel::reminding {

// Where the agent for `folder` answers.
QString AgentSocketPath(const QString& folder);

enum class AgentRequest {
  kPing,  // does it run?
  kQuit,  // end
};
// Sends `request` to the agent for `folder`. True once it answered; false
// when none runs (or none answered within two seconds).
bool AskAgent(const QString& folder, AgentRequest request);

// Set in the environment of an agent that must show the designed pop-up
// itself, having found no notification service: the organiser's program
// runs the agent then, with windows.
inline constexpr char kAgentWithWindows[] = "QUORVEL_REMINDER_WINDOWS";

// Replaces this process by the program `arguments[0]`, started with
// `arguments` (its own name first), keeping its process id: how the agent
// becomes its own small program, and that one the organiser with windows.
// Returns only when it cannot.
void BecomeProgram(const QStringList& arguments);

// Runs the agent for `folder` (which exists) until it is asked to end,
// in a running QCoreApplication: shows each due reminder as a desktop
// notification, through `fallback` where no notification service takes it,
// and calls `open` with the appointment's day when the user asks to see
// it. Keeps the reminders only while the organiser does not (it waits for
// the folder's KeeperLock). Returns the exit status; at once, with success,
// when an agent already runs for `folder`.
int RunAgent(const QString& folder, ReminderKeeper::Fallback fallback,
             std::function<void(const QDate&)> open);

}  // namespace quorvel::reminding
