#include "kit/ui/WindowLevel.h"

#include "kit/ui/WindowAccessor.h"

#include <QWidget>

namespace {

constexpr Qt::WindowFlags titlebarButtons
    = Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint;

// Changing window flags hides a window; it comes back where it was.
void changeFlags(QWidget *window, Qt::WindowFlags flags)
{
    if (window->windowFlags() == flags) {
        return;
    }
    const bool wasVisible = window->isVisible();
    window->setWindowFlags(flags);
    if (wasVisible) {
        window->show();
    }
}

} // namespace

void setWindowLevel(QWidget *window, WindowLevel level)
{
    if (!window) {
        return;
    }
    Qt::WindowFlags flags = window->windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, level == WindowLevel::floating);
    changeFlags(window, flags);
}

WindowLevel windowLevel(const QWidget *window)
{
    return window && window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) ? WindowLevel::floating
                                                                              : WindowLevel::normal;
}

void applyWindowLevel(QWidget *content, WindowLevel level)
{
    WindowAccessor::attach(content, [level](QWidget *window) {
        if (window) {
            setWindowLevel(window, level);
        }
    });
}

void setTitlebarButtonsVisible(QWidget *window, bool visible)
{
    if (!window || titlebarButtonsVisible(window) == visible) {
        return;
    }
    Qt::WindowFlags flags = window->windowFlags() | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (visible) {
        flags |= titlebarButtons;
    } else {
        flags &= ~titlebarButtons;
    }
    changeFlags(window, flags);
}

bool titlebarButtonsVisible(const QWidget *window)
{
    if (!window) {
        return false;
    }
    // Without customisation the window manager shows its usual buttons.
    const Qt::WindowFlags flags = window->windowFlags();
    return !flags.testFlag(Qt::CustomizeWindowHint) || (flags & titlebarButtons) != Qt::WindowFlags();
}
