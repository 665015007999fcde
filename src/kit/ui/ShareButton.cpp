#include "kit/ui/ShareButton.h"

#include "kit/ui/KitTexts.h"
#include "kit/ui/ShareMenu.h"

ShareButton::ShareButton(QWidget *parent)
    : QPushButton(KitTexts::share(), parent)
{
    setIcon(ShareMenu::shareIcon());
    adjustSize();
    connect(this, &QPushButton::pressed, this, [this] { sharedMenu()->popup(mapToGlobal(menuPosition())); });
}

ShareMenu *ShareButton::sharedMenu()
{
    static ShareMenu *menu = new ShareMenu;
    return menu;
}
