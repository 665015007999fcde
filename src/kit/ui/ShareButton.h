#pragma once

#include <QPushButton>

class ShareMenu;

// A "Share" button that opens the share menu just below itself as soon as it is pressed.
class ShareButton : public QPushButton
{
    Q_OBJECT

public:
    explicit ShareButton(QWidget *parent = nullptr);

    // The one menu every share button opens.
    static ShareMenu *sharedMenu();

    // Where the menu's top left corner goes, in the button's coordinates.
    QPoint menuPosition() const { return QPoint(0, height() + 4); }
};
