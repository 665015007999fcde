#include "platform/desktop/StatusItem.h"

#include "platform/desktop/SessionStatusItem.h"
#include "platform/desktop/StatusNotifierItem.h"
#include "platform/events/CurrentValueSubject.h"

#include <QGuiApplication>

std::unique_ptr<StatusItem> StatusItem::forDesktop(const QString &iconThemePath)
{
    // Wayland has no other tray; the item registers with each watcher that comes.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        return std::make_unique<StatusNotifierItem>(iconThemePath);
    }
    return std::make_unique<SessionStatusItem>(iconThemePath);
}

Events::AnyPublisher<bool> StatusItem::showsTitlePublisher() const
{
    return Events::CurrentValueSubject<bool>(showsTitle()).eraseToAnyPublisher();
}
