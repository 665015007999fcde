#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QtGlobal>

#include <functional>

class QWindow;

// Presses of the left or right mouse button on a window of the program that an application-modal
// window blocks. Qt drops every click on such a window, whatever it is: the X11 tray icon too,
// whose menu must open while a dialog waits, as a panel's own menu does. The press is reported
// on a later turn of the event loop and kept from Qt, which would only have dropped it, or, once
// what the press opened is up, taken it for a click outside that and closed it. Only under X11,
// and from the GUI thread.
class BlockedWindowClicks : public QAbstractNativeEventFilter
{
public:
    // `watches` tells whether a blocked window is one whose presses are wanted; `pressed` is
    // called with it for each such press.
    BlockedWindowClicks(std::function<bool(const QWindow &)> watches, std::function<void()> pressed);
    ~BlockedWindowClicks() override;
    BlockedWindowClicks(const BlockedWindowClicks &) = delete;
    BlockedWindowClicks &operator=(const BlockedWindowClicks &) = delete;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

    // Whether Qt keeps mouse input from `window` now: an application-modal window other than it,
    // and not its ancestor, is shown, and no popup is open (a popup takes every click itself).
    static bool isBlocked(const QWindow &window);

private:
    // Whether a press is one to report, or reported already; it is reported if new.
    bool takePress(quint32 window, quint32 button, quint32 time);

    std::function<bool(const QWindow &)> m_watches;
    std::function<void()> m_pressed;
    // The XInput extension's major opcode, which its events carry; none without it.
    int m_inputExtension = -1;
    bool m_installed = false;
    // Presses reported later go with it.
    QObject m_context;
    // The press last reported.
    quint32 m_lastWindow = 0;
    quint32 m_lastTime = 0;
};
