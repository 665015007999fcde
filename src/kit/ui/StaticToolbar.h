#pragma once

#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>

class QAction;
class QToolBar;

// A tool bar whose items are fixed when it is made: the same identifiers are allowed and
// shown by default, in the given order.
class StaticToolbar
{
public:
    struct Item
    {
        QString identifier;
        QAction *action;
    };

    // The actions are added to `toolbar` in order; the toolbar keeps its ownership of them.
    StaticToolbar(QToolBar *toolbar, const QList<Item> &items);

    QToolBar *toolbar() const { return m_toolbar; }
    const QList<QString> &itemIdentifiers() const { return m_itemIdentifiers; }
    // None for an identifier that is not one of the items.
    QAction *item(const QString &identifier) const { return m_items.value(identifier); }

private:
    QPointer<QToolBar> m_toolbar;
    QHash<QString, QAction *> m_items;
    QList<QString> m_itemIdentifiers;
};
