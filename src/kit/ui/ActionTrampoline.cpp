#include "kit/ui/ActionTrampoline.h"

#include "kit/ui/SyntheticEvents.h"

#include <QAbstractButton>
#include <QAction>
#include <QInputEvent>

ActionTrampoline::ActionTrampoline(QObject *control, Action action)
    : QObject(control)
    , m_action(std::move(action))
{
    control->installEventFilter(this);
    m_forgetInput.setSingleShot(true);
    m_forgetInput.setInterval(0);
    connect(&m_forgetInput, &QTimer::timeout, this, [this] { m_lastInput.reset(); });
}

ActionTrampoline *ActionTrampoline::replace(QObject *control, Action action)
{
    for (ActionTrampoline *earlier : control->findChildren<ActionTrampoline *>(Qt::FindDirectChildrenOnly)) {
        delete earlier;
    }
    return new ActionTrampoline(control, std::move(action));
}

void ActionTrampoline::attach(QAbstractButton *button, Action action)
{
    ActionTrampoline *trampoline = replace(button, std::move(action));
    connect(button, &QAbstractButton::clicked, trampoline, &ActionTrampoline::run);
}

void ActionTrampoline::attach(QAction *action, Action closure)
{
    ActionTrampoline *trampoline = replace(action, std::move(closure));
    connect(action, &QAction::triggered, trampoline, &ActionTrampoline::run);
}

bool ActionTrampoline::eventFilter(QObject *, QEvent *event)
{
    // The click or key that is about to trigger the control; clone() keeps its concrete type.
    switch (event->type()) {
    case QEvent::MouseButtonRelease:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
        m_lastInput.reset(event->clone());
        m_forgetInput.start();
        break;
    default:
        break;
    }
    return false;
}

void ActionTrampoline::run()
{
    std::unique_ptr<QEvent> event = std::move(m_lastInput);
    if (!event) {
        event = syntheticMouseEvent(QEvent::MouseButtonPress);
    }
    m_action(*event);
}
