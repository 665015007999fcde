#pragma once

#include <QEvent>
#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>

class QAbstractButton;
class QAction;

// Runs a closure when a button is clicked or an action triggered, handing it the input event
// that caused it (a synthetic left click when there was none, as for a click from code). An input
// event counts only for a trigger during its own delivery: it is forgotten on the next turn of the
// event loop.
// The trampoline is a child of the control, so it lives exactly as long; attaching again
// replaces the earlier closure.
class ActionTrampoline : public QObject
{
    Q_OBJECT
public:
    using Action = std::function<void(const QEvent &event)>;

    static void attach(QAbstractButton *button, Action action);
    static void attach(QAction *action, Action closure);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    ActionTrampoline(QObject *control, Action action);
    static ActionTrampoline *replace(QObject *control, Action action);
    void run();

    Action m_action;
    std::unique_ptr<QEvent> m_lastInput;
    QTimer m_forgetInput;
};
