#include "platform/desktop/SessionStatusItem.h"

#include "platform/desktop/StatusNotifierItem.h"
#include "platform/desktop/TrayStatusItem.h"

SessionStatusItem::SessionStatusItem(
    QString iconThemePath, std::optional<std::chrono::milliseconds> watcherTimeout, QObject *parent)
    : QObject(parent)
    , m_iconThemePath(std::move(iconThemePath))
    , m_hosts(QDBusConnection::sessionBus(), watcherTimeout)
{
    connect(&m_hosts, &StatusNotifierHostMonitor::changed, this, &SessionStatusItem::follow);
}

SessionStatusItem::~SessionStatusItem() = default;

void SessionStatusItem::setMenu(QMenu *menu)
{
    m_menu = menu;
    if (StatusItem *item = shown()) {
        item->setMenu(menu);
    }
}

void SessionStatusItem::setVisible(bool visible)
{
    m_visible = visible;
    if (StatusItem *item = shown()) {
        item->setVisible(visible);
    }
}

bool SessionStatusItem::showsTitle() const
{
    const StatusItem *item = shown();
    return item && item->showsTitle();
}

QRect SessionStatusItem::geometry() const
{
    const StatusItem *item = shown();
    return item ? item->geometry() : QRect();
}

StatusItem *SessionStatusItem::shown() const
{
    if (m_onBus) {
        return m_onBus.get();
    }
    return m_inTray.get();
}

void SessionStatusItem::follow()
{
    const std::optional<bool> hasHost = m_hosts.hasHost();
    if (!hasHost || (*hasHost ? m_onBus != nullptr : m_inTray != nullptr)) {
        return;
    }
    // The old item goes before the new one comes.
    m_onBus.reset();
    m_inTray.reset();
    if (*hasHost) {
        m_onBus = std::make_unique<StatusNotifierItem>(m_iconThemePath, &m_button);
    } else {
        m_inTray = std::make_unique<TrayStatusItem>(&m_button);
    }
    StatusItem *item = shown();
    item->setMenu(m_menu);
    item->setVisible(m_visible);
    m_showsTitle.send(item->showsTitle());
}
