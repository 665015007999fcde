#pragma once

#include "kit/ui/KwWindow.h"

#include <QMargins>
#include <QPointer>

// A window around one content widget, which it releases when it closes.
class HostingWindow : public KwWindow
{
    Q_OBJECT
public:
    struct Options
    {
        // Keep the whole window on its screen.
        bool constrainWindowToScreen = false;
        // Whether the window takes keyboard focus when shown.
        bool canBecomeKey = true;
        bool closeOnEscape = false;
    };

    HostingWindow(QWidget *content, Options options);
    ~HostingWindow() override;

    QWidget *content() const { return m_content; }
    const Options &options() const { return m_options; }

    // The frame pulled onto `screen` (its place on the desktop): shrunk to fit, then moved in,
    // never beyond the screen's top left corner.
    static QRect constrainedFrame(const QRect &proposed, const QRect &screen);
    // The client area whose frame, `frameMargins` around it, is the constrained frame, so that
    // the title bar stays on the screen too.
    static QRect constrainedGeometry(const QRect &client, const QMargins &frameMargins, const QRect &screen);

protected:
    void windowWillClose() override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void constrainToScreen();

    QPointer<QWidget> m_content;
    Options m_options;
};
