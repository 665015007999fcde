#pragma once

#include "platform/desktop/StatusBarButton.h"
#include "platform/desktop/StatusItem.h"
#include "platform/desktop/StatusNotifierHostMonitor.h"
#include "platform/events/CurrentValueSubject.h"

#include <QMenu>
#include <QObject>
#include <QPointer>

#include <chrono>
#include <memory>
#include <optional>

class StatusNotifierItem;
class TrayStatusItem;

// The status item of an X11 session, which may have a status notifier panel, an XEmbed tray, or
// both, and gain or lose the panel at any time (a program started at login may come before it).
// The one button and menu move between a StatusNotifierItem, while a panel shows those, and the
// XEmbed tray otherwise; never both at once, which a panel showing both kinds would show twice.
class SessionStatusItem : public QObject, public StatusItem
{
    Q_OBJECT

public:
    // `watcherTimeout` is how long a question to the panel's watcher may stay unanswered before
    // the X11 tray shows the item; by default the bus's own timeout.
    explicit SessionStatusItem(QString iconThemePath,
        std::optional<std::chrono::milliseconds> watcherTimeout = std::nullopt, QObject *parent = nullptr);
    ~SessionStatusItem() override;

    StatusBarButton &button() override { return m_button; }
    void setMenu(QMenu *menu) override;
    QMenu *menu() const override { return m_menu; }
    void setVisible(bool visible) override;
    bool isVisible() const override { return m_visible; }
    QRect geometry() const override;
    // As the item it is shown through now; nothing shown, no title.
    bool showsTitle() const override;
    Events::AnyPublisher<bool> showsTitlePublisher() const override
    {
        return m_showsTitle.removeDuplicates();
    }

private:
    void follow();
    StatusItem *shown() const;

    QString m_iconThemePath;
    StatusBarButton m_button;
    QPointer<QMenu> m_menu;
    bool m_visible = false;
    // At most one of them; neither until the panel's watcher has first answered, gone, or let the
    // question time out: an item in the X11 tray first would show twice for a moment on a panel
    // that shows both kinds.
    std::unique_ptr<StatusNotifierItem> m_onBus;
    std::unique_ptr<TrayStatusItem> m_inTray;
    StatusNotifierHostMonitor m_hosts;
    Events::CurrentValueSubject<bool> m_showsTitle { false };
};
