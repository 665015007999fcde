#include "kit/ui/WindowLevel.h"

#include "kit/ui/WindowViewModifier.h"

#include <QVariant>
#include <QWidget>

namespace {

constexpr char levelProperty[] = "tapewickWindowLevel";

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
    flags.setFlag(Qt::WindowStaysOnTopHint, level > WindowLevel::normal);
    flags.setFlag(Qt::WindowStaysOnBottomHint, level < WindowLevel::normal);
    window->setProperty(levelProperty, static_cast<int>(level));
    changeFlags(window, flags);
}

WindowLevel windowLevel(const QWidget *window)
{
    if (!window) {
        return WindowLevel::normal;
    }
    if (const QVariant level = window->property(levelProperty); level.isValid()) {
        return static_cast<WindowLevel>(level.toInt());
    }
    const Qt::WindowFlags flags = window->windowFlags();
    if (flags.testFlag(Qt::WindowStaysOnTopHint)) {
        return WindowLevel::floating;
    }
    return flags.testFlag(Qt::WindowStaysOnBottomHint) ? WindowLevel::desktop : WindowLevel::normal;
}

void applyWindowLevel(QWidget *content, WindowLevel level)
{
    WindowViewModifier::apply(content, [level](QWidget *window) {
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
