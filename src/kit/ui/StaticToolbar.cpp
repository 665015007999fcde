#include "kit/ui/StaticToolbar.h"

#include <QAction>
#include <QToolBar>

StaticToolbar::StaticToolbar(QToolBar *toolbar, const QList<Item> &items)
    : m_toolbar(toolbar)
{
    for (const Item &item : items) {
        if (m_items.contains(item.identifier)) {
            continue;
        }
        m_items.insert(item.identifier, item.action);
        m_itemIdentifiers.append(item.identifier);
        if (!item.action->parent()) {
            item.action->setParent(toolbar);
        }
        toolbar->addAction(item.action);
    }
}
