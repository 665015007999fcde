#include "kit/ui/ShareToolbarAction.h"

#include "kit/ui/KitTexts.h"
#include "kit/ui/ShareMenu.h"

#include <QToolButton>

ShareToolbarAction::ShareToolbarAction(QObject *parent)
    : QWidgetAction(parent)
    , m_menu(std::make_unique<ShareMenu>())
{
    setText(KitTexts::share());
    setIcon(ShareMenu::shareIcon());
}

ShareToolbarAction::~ShareToolbarAction() = default;

QWidget *ShareToolbarAction::createWidget(QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setText(text());
    button->setIcon(icon());
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setPopupMode(QToolButton::InstantPopup);
    button->setMenu(m_menu.get());
    button->setStyleSheet(QStringLiteral("QToolButton::menu-indicator { image: none; width: 0px; }"));
    return button;
}
