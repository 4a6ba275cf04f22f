// The program's points of contact with the outside that tests replace: the
// message box, the question box, the clock, and the end of the process.
#pragma once

#include <functional>

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace quorvel {

// A modal box titled "Quorvel" with `text` and one OK button.
void ShowMessage(const QString& text);
// The same box with `details` below the text, in a read-only box that
// scrolls when they are long (an import's list of every item skipped).
// The sink receives the text and the details as one message, a line apart.
void ShowMessageWithDetails(const QString& text, const QString& details);
// Tests capture messages instead of showing them; an empty sink restores
// the box.
void SetMessageSink(std::function<void(const QString&)> sink);

// A modal box titled "Quorvel" with `text` and one button per entry of
// `choices`, the first the default. Returns the index of the button
// pressed, or -1 when the box was closed without one (Esc).
int AskChoice(const QString& text, const QStringList& choices);
// Tests answer instead of a box; an empty sink restores the box.
void SetChoiceSink(std::function<int(const QString&, const QStringList&)> sink);

// The current date and time, from one reading of the system clock.
QDateTime Now();
// Tests fix the clock; an empty function restores the system clock.
void SetClock(std::function<QDateTime()> clock);

// Shows the system's error `message` about a data file and ends the process.
// Installed as the store's fatal handler by the application.
void ReportFatalAndExit(const QString& message);

}  // namespace quorvel
