#include "kit/ui/ShareMenuItem.h"

#include "kit/ui/KitTexts.h"
#include "kit/ui/ShareMenu.h"

ShareMenuItem::ShareMenuItem(QObject *parent)
    : QAction(KitTexts::share(), parent)
    , m_menu(std::make_unique<ShareMenu>())
{
    setMenu(m_menu.get());
}

ShareMenuItem::~ShareMenuItem() = default;
