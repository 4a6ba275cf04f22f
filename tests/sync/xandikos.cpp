#include "tests/sync/xandikos.h"

namespace quorvel::testing {

Xandikos::Xandikos() {
  if (!dir_.isValid()) {
    failure_ = QStringLiteral("no temporary folder");
    return;
  }
  failure_ = server_.Start(
      QStringLiteral("xandikos"),
      [this](int port) {
        ServerProcess::Command command{
            QStringLiteral("xandikos"),
            {QStringLiteral("-d"), dir_.filePath(QStringLiteral("root")),
             QStringLiteral("--defaults"), QStringLiteral("-l"), QStringLiteral("127.0.0.1"),
             QStringLiteral("-p"), QString::number(port),
             QStringLiteral("--current-user-principal"), QStringLiteral("/user/")},
            {}};
        command.show_errors = false;  // it logs every request there
        return command;
      },
      30000);
}

QUrl Xandikos::url() const {
  return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(server_.port()));
}

}  // namespace quorvel::testing
