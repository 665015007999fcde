#include "platform/desktop/LauncherEntry.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantMap>

namespace LauncherEntry {

bool updateProgress(const QString &desktopId, double progress, bool visible)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return false;
    }
    // Listeners match on the interface and the application URI; the path only has to be ours.
    const QString path = QStringLiteral("/com/canonical/unity/launcherentry/%1").arg(qHash(desktopId));
    QDBusMessage signal = QDBusMessage::createSignal(
        path, QStringLiteral("com.canonical.Unity.LauncherEntry"), QStringLiteral("Update"));
    const QVariantMap properties {
        { QStringLiteral("progress"), progress },
        { QStringLiteral("progress-visible"), visible },
    };
    signal << QStringLiteral("application://%1.desktop").arg(desktopId) << properties;
    return bus.send(signal);
}

} // namespace LauncherEntry
