#pragma once

#include "kit/ui/SharingService.h"

#include <QMenu>

#include <functional>
#include <optional>

// A value that can be shared supplies its own share item.
class ShareItemConvertible
{
public:
    virtual ~ShareItemConvertible() = default;
    virtual QVariant shareItem() const = 0;
};

// "Share": rebuilt each time it opens with the program's own services, then the desktop's, that
// can share the current items. What it shares comes from the providers that the application
// sets; all are empty at start.
class ShareMenu : public QMenu
{
    Q_OBJECT

public:
    using ItemConverterProvider = std::function<QList<std::shared_ptr<const ShareItemConvertible>>()>;
    using ShareItemsProvider = std::function<QVariantList()>;
    using CustomServicesProvider = std::function<QList<SharingServicePtr>()>;

    // Takes precedence over the items provider when both are set.
    static ItemConverterProvider itemConverterProvider;
    static ShareItemsProvider shareItemsProvider;
    static CustomServicesProvider customServicesProvider;

    explicit ShareMenu(QWidget *parent = nullptr);

    // The desktop theme's share icon, for the entries that open a share menu.
    static QIcon shareIcon();

    // The items of the last build; cleared by every share.
    const std::optional<QVariantList> &shareItems() const { return m_shareItems; }

    // Lists the services again. A submenu whose entry in the parent menu is disabled is left as
    // it is.
    void menuNeedsUpdate();

private:
    void share(const SharingServicePtr &service);

    std::optional<QVariantList> m_shareItems;
    QList<SharingServicePtr> m_services;
};
