#pragma once

#include <QList>
#include <QMenu>
#include <QUrl>

#include <functional>

// "Share": one entry per desktop share service that can share the items; choosing it shares them.
class SystemShareMenu : public QMenu
{
    Q_OBJECT

public:
    // Turns the items into what the chosen service is handed (fresh copies, say) and calls `perform`
    // with that once it is ready, or never when it cannot be made. Runs only when a service is chosen.
    using Preparation
        = std::function<void(const QList<QUrl> &items, std::function<void(const QList<QUrl> &)> perform)>;

    explicit SystemShareMenu(QList<QUrl> shareItems, Preparation prepare = {}, QWidget *parent = nullptr);

    // What the services are matched against; unprepared.
    const QList<QUrl> &shareItems() const { return m_shareItems; }

private:
    QList<QUrl> m_shareItems;
};
