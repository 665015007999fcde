#include "kit/services/KwMenu.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScopedValueRollback>

KwMenu::KwMenu(QWidget *parent)
    : KwMenu(QString(), parent)
{ }

KwMenu::KwMenu(const QString &title, QWidget *parent)
    : QMenu(title, parent)
{
    // A QMenu keeps its items' tooltips to itself unless asked.
    setToolTipsVisible(true);
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

void KwMenu::keyPressEvent(QKeyEvent *event)
{
    // The style may close menus on a lone Alt, as it leaves a menu bar's keyboard navigation.
    if (event->key() == Qt::Key_Alt) {
        event->accept();
        return;
    }
    const QScopedValueRollback choice(m_choiceModifiers, std::optional(event->modifiers()));
    const QKeySequence pressed(
        QKeyCombination(event->modifiers() & ~Qt::KeypadModifier, Qt::Key(event->key())));
    const QList<QAction *> items = actions();
    const auto chosen = std::find_if(items.begin(), items.end(), [&](const QAction *item) {
        return item->isVisible() && item->isEnabled() && !item->shortcut().isEmpty()
            && item->shortcut() == pressed;
    });
    if (chosen == items.end()) {
        QMenu::keyPressEvent(event);
        return;
    }
    // As a click would: the whole menu closes first, then the item runs once.
    for (int open = 0; open < 16 && QApplication::activePopupWidget(); ++open) {
        QApplication::activePopupWidget()->close();
    }
    (*chosen)->trigger();
}

void KwMenu::mouseReleaseEvent(QMouseEvent *event)
{
    // The keys held now may differ from those of the click by the time anyone asks.
    const QScopedValueRollback choice(m_choiceModifiers, std::optional(event->modifiers()));
    QMenu::mouseReleaseEvent(event);
}
