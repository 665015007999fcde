#pragma once

#include "platform/events/AnyPublisher.h"

#include <QRect>
#include <QString>

#include <memory>

class QMenu;
class StatusBarButton;

// An item in the desktop's status area: a button and the menu it opens, as the
// panel of the session shows it.
class StatusItem
{
public:
    virtual ~StatusItem() = default;

    // The item for the session's panel: exported over the session bus while a panel shows status
    // notifier items, and always under Wayland, which has no other tray; else in the X11 tray. It
    // moves as such a panel comes and goes, with its button and menu; it never waits for the panel.
    // `iconThemePath` is where panels find the icons the button names.
    static std::unique_ptr<StatusItem> forDesktop(const QString &iconThemePath);

    virtual StatusBarButton &button() = 0;

    // The menu is not owned; it opens on any click on the item.
    virtual void setMenu(QMenu *menu) = 0;
    virtual QMenu *menu() const = 0;

    virtual void setVisible(bool visible) = 0;
    virtual bool isVisible() const = 0;

    // Where the panel placed the item on the screen; empty while it has not.
    virtual QRect geometry() const = 0;

    // Whether the panel shows the button's title beside its image; where it does not, the title
    // is read only in the tooltip.
    virtual bool showsTitle() const = 0;
    // showsTitle() now, and again each time the item moves to a place that does or does not show
    // the title; on the GUI thread. An item that stays where it is sends its answer once.
    virtual Events::AnyPublisher<bool> showsTitlePublisher() const;
};
