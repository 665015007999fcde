#include "kit/services/KwMenu.h"

KwMenu::KwMenu(QWidget *parent)
    : KwMenu(QString(), parent)
{ }

KwMenu::KwMenu(const QString &title, QWidget *parent)
    : QMenu(title, parent)
{
    connect(this, &QMenu::aboutToShow, this, &KwMenu::menuWillOpen);
    connect(this, &QMenu::aboutToHide, this, &KwMenu::menuDidClose);
}

void KwMenu::menuWillOpen()
{
    if (onUpdate) {
        onUpdate(*this);
    }
    m_isOpen.send(true);
}

void KwMenu::menuDidClose()
{
    m_isOpen.send(false);
}
