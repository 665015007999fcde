#pragma once

#include "platform/desktop/StatusBarButton.h"
#include "platform/desktop/StatusItem.h"

#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>

// A status item in the system tray. The tray shows a square picture and no
// text, so the button's title is drawn into the picture and repeated in the
// tooltip.
class TrayStatusItem : public QObject, public StatusItem
{
    Q_OBJECT

public:
    explicit TrayStatusItem(QObject *parent = nullptr);
    ~TrayStatusItem() override;

    StatusBarButton &button() override { return m_button; }
    void setMenu(QMenu *menu) override;
    QMenu *menu() const override { return m_menu; }
    void setVisible(bool visible) override;
    bool isVisible() const override;

    // What the tray shows; it follows the button's changes on the next turn of the event loop.
    QIcon icon() const { return m_tray.icon(); }
    QString toolTip() const { return m_tray.toolTip(); }
    QRect geometry() const override { return m_tray.geometry(); }

private:
    void scheduleRefresh();
    void refresh();
    int pixelHeight() const;

    StatusBarButton m_button;
    QSystemTrayIcon m_tray;
    QPointer<QMenu> m_menu;
    bool m_refreshScheduled = false;
};
