// The reminder check made on every tick of the main window's timer.
#pragma once

namespace quorvel {

class Application;

// Shows the reminder of today's appointment that falls due now, if any.
void CheckReminders(Application& app);

}  // namespace quorvel
