#pragma once

#include "kit/ui/KwWindow.h"

// A window that can stop taking clicks, keys, scrolling, tablet, touch and gesture
// input for a while; pointer movement without a pressed button, focus and window
// events still arrive.
class UserInteractionPausableWindow : public KwWindow
{
    Q_OBJECT
public:
    using KwWindow::KwWindow;

    bool isUserInteractionEnabled() const { return m_userInteractionEnabled; }
    void setUserInteractionEnabled(bool enabled) { m_userInteractionEnabled = enabled; }

    static bool isUserInteraction(const QEvent &event);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool event(QEvent *event) override;

private:
    void watchPlatformWindow();

    bool m_userInteractionEnabled = true;
    bool m_watching = false;
};
