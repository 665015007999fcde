#include "kit/ui/ShareMenu.h"

#include "kit/ui/KitTexts.h"

ShareMenu::ItemConverterProvider ShareMenu::itemConverterProvider;
ShareMenu::ShareItemsProvider ShareMenu::shareItemsProvider;
ShareMenu::CustomServicesProvider ShareMenu::customServicesProvider;

ShareMenu::ShareMenu(QWidget *parent)
    : QMenu(KitTexts::share(), parent)
{
    connect(this, &QMenu::aboutToShow, this, &ShareMenu::menuNeedsUpdate);
}

QIcon ShareMenu::shareIcon()
{
    return QIcon::fromTheme(
        QStringLiteral("document-share"), QIcon::fromTheme(QStringLiteral("emblem-shared")));
}

void ShareMenu::menuNeedsUpdate()
{
    const QList<QObject *> holders = menuAction()->associatedObjects();
    const bool isSubmenu = std::any_of(
        holders.begin(), holders.end(), [](QObject *holder) { return qobject_cast<QMenu *>(holder); });
    if (isSubmenu && !menuAction()->isEnabled()) {
        return;
    }

    QVariantList items;
    if (itemConverterProvider) {
        for (const auto &value : itemConverterProvider()) {
            if (value) {
                items.append(value->shareItem());
            }
        }
        // Kept for the share as well, or the services would be shown the items and then get none.
        m_shareItems = items;
    } else if (shareItemsProvider) {
        items = shareItemsProvider();
        m_shareItems = items;
    }

    clear();
    m_services.clear();
    addSeparator();
    if (items.isEmpty()) {
        return;
    }
    const QList<SharingServicePtr> custom = customServicesProvider
        ? sharingServices(customServicesProvider(), items)
        : QList<SharingServicePtr>();
    m_services = custom + desktopSharingServices(items);
    for (qsizetype index = 0; index < m_services.size(); ++index) {
        if (index == custom.size()) {
            addSeparator();
        }
        const SharingServicePtr service = m_services[index];
        addAction(service->image(), service->title(), this, [this, service] { share(service); });
    }
}

void ShareMenu::share(const SharingServicePtr &service)
{
    const QVariantList items
        = m_shareItems ? *m_shareItems : (shareItemsProvider ? shareItemsProvider() : QVariantList());
    service->perform(items);
    m_shareItems.reset();
}
