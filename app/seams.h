// The program's three points of contact with the outside that tests replace:
// the message box, the clock, and the end of the process.
#pragma once

#include <functional>

#include <QDateTime>
#include <QString>

namespace quorvel {

// A modal box titled "Quorvel" with `text` and one OK button.
void ShowMessage(const QString& text);
// Tests capture messages instead of showing them; an empty sink restores
// the box.
void SetMessageSink(std::function<void(const QString&)> sink);

// The current date and time, from one reading of the system clock.
QDateTime Now();
// Tests fix the clock; an empty function restores the system clock.
void SetClock(std::function<QDateTime()> clock);

// Shows the system's error `message` about a data file and ends the process.
// Installed as the store's fatal handler by the application.
void ReportFatalAndExit(const QString& message);

}  // namespace quorvel
