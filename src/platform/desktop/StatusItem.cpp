#include "platform/desktop/StatusItem.h"

#include "platform/desktop/StatusNotifierItem.h"
#include "platform/desktop/TrayStatusItem.h"

#include <QGuiApplication>

std::unique_ptr<StatusItem> StatusItem::forDesktop(const QString &iconThemePath)
{
    // Never both: a panel that shows both kinds would show the item twice.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))
        || StatusNotifierItem::isHostAvailable()) {
        return std::make_unique<StatusNotifierItem>(iconThemePath);
    }
    return std::make_unique<TrayStatusItem>();
}
