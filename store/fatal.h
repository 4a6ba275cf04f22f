// A data file the system will not open, read or write ends the program.
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

// Reports the system's `error_text` for `path` and ends the operation.
[[noreturn]] void ReportFatal(const QString& error_text, const QString& path);

}  // namespace quorvel::store
