#pragma once

#include <QRect>

class QMenu;
class StatusBarButton;

// An item in the desktop's status area: a button and the menu it opens. Kept
// abstract so that a panel that shows a text label beside the picture can get
// an item of its own.
class StatusItem
{
public:
    virtual ~StatusItem() = default;

    virtual StatusBarButton &button() = 0;

    // The menu is not owned; it opens on any click on the item.
    virtual void setMenu(QMenu *menu) = 0;
    virtual QMenu *menu() const = 0;

    virtual void setVisible(bool visible) = 0;
    virtual bool isVisible() const = 0;

    // Where the panel placed the item on the screen; empty while it has not.
    virtual QRect geometry() const = 0;
};
