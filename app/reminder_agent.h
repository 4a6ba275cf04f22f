// The reminder agent, `quorvel --reminders`: keeps the reminders of a data
// folder while the organiser is closed, started at login by an autostart
// entry. It runs as a small program of its own (app/agent_main.cpp, on Qt
// Core and D-Bus only), which this program becomes; where no notification
// service answers, that one becomes this program again, with windows, to
// show the designed pop-up. It reads Appoint.dat without holding the
// folder, and shows nothing while the organiser keeps the reminders itself
// (see reminding/agent.h and reminding/keeper_lock.h).
#pragma once

#include <QDate>
#include <QString>

#include "app/command_line.h"
#include "reminding/agent.h"

namespace quorvel {

// --reminders.
CommandLineOptions ReminderCommandLine();

// Runs the agent for `folder` until it is asked to stop. In a
// QCoreApplication this process becomes the agent's own program (this returns
// only when that cannot be started); in a QApplication (the agent found no
// notification service, see reminding::kAgentWithWindows) the agent runs
// here and shows the designed pop-up.
int RunReminderAgent(const QString& folder, bool create_folder);

// The agent's own program: in the package's library folder, or beside
// this program in a build folder. Empty when there is none.
QString AgentProgram();

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
