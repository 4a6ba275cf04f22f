#include "calendar/reminders.h"

#include "app/application.h"

namespace quorvel {

void CheckReminders(Application& app) { (void)app; }

}  // namespace quorvel
