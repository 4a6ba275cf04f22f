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

FatalHandler& NoticeHandler() {
  static FatalHandler handler;
  return handler;
}

}  // namespace

void SetFatalHandler(FatalHandler handler) { Handler() = std::move(handler); }

void ReportFatal(const QString& message) {
  if (Handler()) {
    Handler()(message);
  } else {
    std::fprintf(stderr, "%s\n", qPrintable(message));
    std::_Exit(EXIT_FAILURE);
  }
  throw FatalError(message);
}

void SetNoticeHandler(FatalHandler handler) { NoticeHandler() = std::move(handler); }

void ReportNotice(const QString& message) {
  if (NoticeHandler()) {
    NoticeHandler()(message);
  } else {
    std::fprintf(stderr, "%s\n", qPrintable(message));
  }
}

}  // namespace quorvel::store
