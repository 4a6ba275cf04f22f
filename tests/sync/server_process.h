// A server program for the tests on a free port of this machine: started,
// waited for until it listens, and stopped when the object goes. The port
// is free when probed but may be taken before the server binds it, so a
// start is tried a few times on fresh ports.
#pragma once

#include <functional>
#include <memory>

#include <QProcess>
#include <QString>
#include <QStringList>

namespace quorvel::testing {

class ServerProcess {
 public:
  ServerProcess() = default;
  ~ServerProcess() { Stop(); }
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  // What to run for a port: the program and its arguments, or an empty
  // program with why it cannot be run (put in `failure`).
  struct Command {
    QString program;
    QStringList arguments;
    QString failure;
    bool show_errors = true;  // its error output joins the test's
  };
  // Starts `name` as `command` makes it for a free port, waiting up to
  // `wait_ms` for it to listen. Returns why it does not run, or an empty
  // string.
  QString Start(const QString& name, const std::function<Command(int port)>& command, int wait_ms);
  void Stop();
  int port() const { return port_; }

 private:
  QString StartOnce(const QString& name, const Command& command, int wait_ms);

  std::unique_ptr<QProcess> process_;
  int port_ = 0;
};

}  // namespace quorvel::testing
