#include "clinotify.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QVariantMap>

namespace pixvuecli {

namespace {

const char kService[] = "org.freedesktop.Notifications";
const char kPath[] = "/org/freedesktop/Notifications";
constexpr int kCallTimeoutMs = 5000;

}  // namespace

void notifyDesktop(const QString& body) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || bus.interface() == nullptr ||
        !bus.interface()->isServiceRegistered(QLatin1String(kService)).value()) {
        return;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(QLatin1String(kService), QLatin1String(kPath),
                                       QLatin1String(kService), QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral("com.zentar.Pixvue")}};
    call << QStringLiteral("Pixvue") << uint(0) << QStringLiteral("com.zentar.Pixvue")
         << QStringLiteral("Pixvue") << body << QStringList() << hints << int(-1);
    bus.call(call, QDBus::Block, kCallTimeoutMs);
}

}  // namespace pixvuecli
