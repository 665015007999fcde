#pragma once

#include <QList>
#include <QMenu>
#include <QUrl>

// "Share": one entry per desktop share service that can share the items; choosing it shares them.
class SystemShareMenu : public QMenu
{
    Q_OBJECT

public:
    explicit SystemShareMenu(QList<QUrl> shareItems, QWidget *parent = nullptr);

    const QList<QUrl> &shareItems() const { return m_shareItems; }

private:
    QList<QUrl> m_shareItems;
};
