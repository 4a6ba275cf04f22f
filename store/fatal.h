// A data file the system will not open, read or write ends the program;
// something the user should know but that stops nothing is a notice.
#pragma once

#include <functional>
#include <stdexcept>

#include <QString>

namespace quorvel::store {

// Thrown after the handler returns (tests install a handler that records the
// message); in the program the handler never returns.
class FatalError : public std::runtime_error {
 public:
  explicit FatalError(const QString& message)
      : std::runtime_error(message.toStdString()), message_(message) {}
  const QString& message() const { return message_; }

 private:
  QString message_;
};

using FatalHandler = std::function<void(const QString& message)>;

// Installs the handler; an empty one restores the default, which writes the
// message to standard error and ends the process.
void SetFatalHandler(FatalHandler handler);

// Tells the user `message` (a sentence saying what happened to which file
// and what to do) and ends the operation.
[[noreturn]] void ReportFatal(const QString& message);

// Installs the handler for notices; an empty one restores the default,
// which writes the message to standard error.
void SetNoticeHandler(FatalHandler handler);
void ReportNotice(const QString& message);

}  // namespace quorvel::store
