#include "store/fatal.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace quorvel::store {
namespace {

FatalHandler& Handler() {
  static FatalHandler handler;
  return handler;
}

}  // namespace

void SetFatalHandler(FatalHandler handler) { Handler() = std::move(handler); }

void ReportFatal(const QString& error_text, const QString& path) {
  const QString message = QStringLiteral("%1\n\n%2").arg(error_text, path);
  if (Handler()) {
    Handler()(message);
  } else {
    std::fprintf(stderr, "%s\n", qPrintable(message));
    std::_Exit(EXIT_FAILURE);
  }
  throw FatalError(message);
}

}  // namespace quorvel::store
