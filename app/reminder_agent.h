// The reminder agent, `quorvel --reminders`: keeps the reminders of a data
// folder while the organiser is closed, started at login by an autostart
// entry. It opens no window unless no notification service answers, reads
// Appoint.dat without holding the folder, and shows nothing while the
// organiser keeps the reminders itself (see reminding/keeper_lock.h).
#pragma once

#include <QDate>
#include <QString>

#include "app/command_line.h"

namespace quorvel {

// --reminders.
CommandLineOptions ReminderCommandLine();

// Runs the agent for `folder` until it is asked to stop. Needs a
// QCoreApplication (a QApplication when it must show pop-ups itself).
int RunReminderAgent(const QString& folder, bool create_folder);

// Set in the agent's environment when it runs with windows, having found
// no notification service.
inline constexpr char kAgentWithWindows[] = "QUORVEL_REMINDER_WINDOWS";

// Whether an agent runs for `folder` (it answers on its socket).
bool AgentRunning(const QString& folder);
// Starts an agent for `folder` in the background, unless one runs.
void StartAgent(const QString& folder, bool standard);
// Asks the agent for `folder` to end.
void StopAgent(const QString& folder);

// Whether the agent for `folder` starts at login. The standard folder's
// agent does unless the user turned it off (the package's autostart entry
// is overridden by one of the user's own, marked hidden); any other
// folder's only once the user turned it on.
bool AgentStartsAtLogin(const QString& folder, bool standard);
// Turns it on or off, and starts or stops the agent to match. False when
// the user's autostart folder cannot be written.
bool SetAgentStartsAtLogin(const QString& folder, bool standard, bool on);

// The autostart entry's file name for `folder`.
QString AutostartFileName(const QString& folder, bool standard);

}  // namespace quorvel
