#include "kit/services/WindowActivation.h"

#include <QGuiApplication>
#include <QPointer>
#include <QWindow>

namespace {

QPointer<QWindow> g_lastFocused;

bool canComeForward(const QWindow *window)
{
    if (!window || !window->isVisible() || window->visibility() == QWindow::Minimized) {
        return false;
    }
    // A tray icon's window is shown too, but never to be focused.
    if (window->flags().testFlag(Qt::WindowDoesNotAcceptFocus)) {
        return false;
    }
    const Qt::WindowType type = window->type();
    return type == Qt::Window || type == Qt::Dialog;
}

} // namespace

namespace WindowActivation {

void followFocus()
{
    static bool following = false;
    auto *application = qobject_cast<QGuiApplication *>(QCoreApplication::instance());
    if (following || !application) {
        return;
    }
    following = true;
    QObject::connect(application, &QGuiApplication::focusWindowChanged, application, [](QWindow *window) {
        if (canComeForward(window)) {
            g_lastFocused = window;
        }
    });
}

QWindow *topmostWindow()
{
    for (QWindow *candidate : { QGuiApplication::modalWindow(), QGuiApplication::focusWindow(),
             static_cast<QWindow *>(g_lastFocused) }) {
        if (canComeForward(candidate)) {
            return candidate;
        }
    }
    QWindow *newest = nullptr;
    for (QWindow *window : QGuiApplication::topLevelWindows()) {
        if (canComeForward(window)) {
            newest = window;
        }
    }
    return newest;
}

void bringForward()
{
    if (QWindow *window = topmostWindow()) {
        window->raise();
        window->requestActivate();
    }
}

} // namespace WindowActivation
