// The desktop's notification service (org.freedesktop.Notifications) on a
// D-Bus connection: shows a notification with actions and reports what
// the user did with it.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QStringList>

namespace quorvel::reminding {

class DesktopNotifier : public QObject {
  Q_OBJECT

 public:
  explicit DesktopNotifier(const QDBusConnection& bus, QObject* parent = nullptr);

  // What the service can do ("actions", "persistence", "body" …); empty
  // when no service answers. Asked anew on every call.
  QStringList Capabilities();

  struct Notice {
    QString summary;
    QString body;
    // Pairs of action key and label, as the service takes them.
    QStringList actions;
    // Stays until the user closes it, where the service allows.
    bool persistent = true;
  };
  // Shows `notice`; its id, or 0 when no service took it.
  uint Notify(const Notice& notice);
  void Close(uint id);

  const QDBusConnection& bus() const { return bus_; }

 signals:
  void ActionInvoked(uint id, const QString& action);
  // `reason`: 1 expired, 2 dismissed by the user, 3 closed by a call, 4 other.
  void Closed(uint id, uint reason);

 private slots:
  void OnActionInvoked(uint id, const QString& action);
  void OnClosed(uint id, uint reason);

 private:
  QDBusConnection bus_;
};

}  // namespace quorvel::reminding
