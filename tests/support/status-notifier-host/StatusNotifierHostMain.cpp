#include "StatusNotifierPanel.h"
#include "StatusNotifierWatcher.h"

#include <QDBusConnection>
#include <QGuiApplication>

#include <cstdio>

// A panel's tray as far as programs can tell over the session bus: the watcher, and one host
// registered with it, so that programs export their tray items there instead of embedding them
// in an X11 tray. Tests read the items and their menus on the bus themselves; what a panel would
// show of them is drawn into the picture file TAPEWICK_TEST_PANEL_PICTURE names, if any.
// --no-at-first: the watcher says no host is registered to the first question asked.
int main(int argc, char **argv)
{
    // Draws into memory only, whatever the session's display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    QDBusConnection bus = QDBusConnection::sessionBus();
    StatusNotifierWatcher watcher(bus);
    if (QCoreApplication::arguments().contains(QLatin1String("--no-at-first"))) {
        watcher.sayNoAtFirst();
    }
    StatusNotifierPanel panel(bus, qEnvironmentVariable("TAPEWICK_TEST_PANEL_PICTURE"));
    QObject::connect(
        &watcher, &StatusNotifierWatcher::StatusNotifierItemRegistered, &panel, &StatusNotifierPanel::add);
    QObject::connect(&watcher, &StatusNotifierWatcher::StatusNotifierItemUnregistered, &panel,
        &StatusNotifierPanel::remove);
    const QString host
        = QStringLiteral("org.kde.StatusNotifierHost-%1").arg(QCoreApplication::applicationPid());
    if (!bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), &watcher,
            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals
                | QDBusConnection::ExportAllProperties)
        || !bus.registerService(host)) {
        std::fprintf(stderr, "No session bus to serve on: %s\n", qPrintable(bus.lastError().message()));
        return 1;
    }
    // The host is in place before the watcher can be found: a program that finds the watcher
    // asks straight away whether anything shows its items.
    watcher.RegisterStatusNotifierHost(host);
    if (!bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher"))) {
        std::fprintf(stderr, "The watcher's name is taken: %s\n", qPrintable(bus.lastError().message()));
        return 1;
    }
    std::printf("Watching\n");
    std::fflush(stdout);
    return QGuiApplication::exec();
}
