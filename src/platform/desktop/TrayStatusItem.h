#pragma once

#include "platform/desktop/BlockedWindowClicks.h"
#include "platform/desktop/StatusBarButton.h"
#include "platform/desktop/StatusItem.h"
#include "platform/desktop/StatusPictures.h"
#include "platform/desktop/XEmbedTrayIcon.h"
#include "platform/events/CoalescedCall.h"

#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QPointer>

#include <memory>

// A status item in the X11 system tray (XEmbed). The tray gives a small square and no text, so
// the picture is the button's image alone and the title is read in the tooltip.
class TrayStatusItem : public QObject, public StatusItem
{
    Q_OBJECT

public:
    // `button` is what the item shows, if not a button of its own; it outlives the item.
    explicit TrayStatusItem(StatusBarButton *button = nullptr, QObject *parent = nullptr);
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
    bool showsTitle() const override { return false; }

    // Where a menu of `menu`'s size opens beside an item at `item` on a screen at `screen`, as
    // panels open their own: below an item on a panel at the top, above one at the bottom, to the
    // right of one at the left and to the left of one at the right; never over the item, and
    // moved along the panel to stay on the screen.
    static QPoint menuPosition(const QRect &item, const QSize &menu, const QRect &screen);

private:
    void toggleMenu();
    void refresh();
    int pixelHeight() const;
    bool isIconWindow(const QWindow &window) const;

    std::unique_ptr<StatusBarButton> m_ownButton;
    StatusBarButton &m_button;
    XEmbedTrayIcon m_tray;
    // Not paced: one small picture, drawn into the tray's window, costs the desktop next to
    // nothing, so the tint follows every visible step of the level.
    StatusPictures m_pictures;
    QPointer<QMenu> m_menu;
    // Several changes in one turn of the event loop are drawn once, and only what looks different.
    CoalescedCall m_refresh { this, [this] { refresh(); } };
    // The menu opens whatever dialog waits, as a panel's own menu does.
    BlockedWindowClicks m_clicksBehindDialogs {
        [this](const QWindow &window) { return isIconWindow(window); }, [this] { toggleMenu(); }
    };
};
