// One Quorvel per data folder: a second start on a folder that a running
// Quorvel holds asks that one to bring its window to the front. And the end
// of the process on a signal, which must remove the socket as an exit does.
#pragma once

#include <functional>

#include <QDate>
#include <QObject>
#include <QString>

class QLocalServer;
class QSocketNotifier;

namespace quorvel {

// Where the Quorvel holding `folder` listens: a socket in the user's runtime
// folder, named for the folder's canonical path, so two spellings of one
// folder meet at the same place.
QString InstanceSocketPath(const QString& folder);

// Asks the Quorvel holding `folder` to raise its window. True once it has
// answered that it did; false when nobody answers within `timeout_ms` (the
// folder is held by a command without a window, or by a Quorvel too old or
// too busy to answer).
// With a valid `day`, that one also opens the day's Activities.
bool RaiseRunningInstance(const QString& folder, int timeout_ms = 3000, const QDate& day = QDate());

// Listens, while this process holds `folder`, for later starts on it and
// calls `raise` for each, with the day to open (invalid: none).
class InstanceServer : public QObject {
  Q_OBJECT

 public:
  InstanceServer(const QString& folder, std::function<void(const QDate&)> raise);
  InstanceServer(const QString& folder, std::function<void()> raise)
      : InstanceServer(folder, [raise = std::move(raise)](const QDate&) { raise(); }) {}
  ~InstanceServer() override;
  bool listening() const;

 private:
  QLocalServer* server_;
  std::function<void(const QDate&)> raise_;
};

// While it exists, SIGTERM, SIGINT and SIGHUP (the session ends, Ctrl+C in
// the terminal, the terminal closes) call `tidy` on the event loop, where
// it may do anything an exit does (remove the instance socket, close the
// files); then the process ends by the signal, as its sender expects.
// The handler itself only writes the signal's number into a socket pair,
// the one thing a signal handler may safely do. One at a time per process.
class EndOnSignals : public QObject {
  Q_OBJECT

 public:
  explicit EndOnSignals(std::function<void()> tidy);
  ~EndOnSignals() override;

 private:
  void End();

  QSocketNotifier* notifier_ = nullptr;
  std::function<void()> tidy_;
};

}  // namespace quorvel
