#include "reminding/desktop_notifier.h"

#include <QDBusMessage>
#include <QDBusReply>
#include <QVariantMap>

namespace quorvel::reminding {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
// Long enough for a service that is started on demand.
constexpr int kCallTimeoutMs = 5000;

}  // namespace

DesktopNotifier::DesktopNotifier(const QDBusConnection& bus, QObject* parent)
    : QObject(parent), bus_(bus) {
  // From whichever process owns the name now or later.
  bus_.connect(QString(), kPath, kInterface, QStringLiteral("ActionInvoked"), this,
               SLOT(OnActionInvoked(uint, QString)));
  bus_.connect(QString(), kPath, kInterface, QStringLiteral("NotificationClosed"), this,
               SLOT(OnClosed(uint, uint)));
}

QStringList DesktopNotifier::Capabilities() {
  if (!bus_.isConnected()) return {};
  const QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface,
                                                           QStringLiteral("GetCapabilities"));
  const QDBusReply<QStringList> reply = bus_.call(call, QDBus::Block, kCallTimeoutMs);
  return reply.isValid() ? reply.value() : QStringList();
}

uint DesktopNotifier::Notify(const Notice& notice) {
  if (!bus_.isConnected()) return 0;
  QDBusMessage call =
      QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
  QVariantMap hints;
  hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("org.quorvel.quorvel"));
  if (notice.persistent) {
    // Critical notifications stay until the user closes them.
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue<uchar>(2));
  }
  call << QStringLiteral("Quorvel") << uint(0) << QStringLiteral("org.quorvel.quorvel")
       << notice.summary << notice.body << notice.actions << hints
       << int(notice.persistent ? 0 : -1);
  const QDBusReply<uint> reply = bus_.call(call, QDBus::Block, kCallTimeoutMs);
  return reply.isValid() ? reply.value() : 0;
}

void DesktopNotifier::Close(uint id) {
  if (!bus_.isConnected() || id == 0) return;
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface,
                                                     QStringLiteral("CloseNotification"));
  call << id;
  bus_.call(call, QDBus::NoBlock);
}

void DesktopNotifier::OnActionInvoked(uint id, const QString& action) {
  emit ActionInvoked(id, action);
}

void DesktopNotifier::OnClosed(uint id, uint reason) { emit Closed(id, reason); }

}  // namespace quorvel::reminding
