#pragma once

#include <QAbstractNativeEventFilter>
#include <QIcon>
#include <QObject>
#include <QRect>
#include <QString>

#include <cstdint>
#include <memory>

class QWindow;
struct xcb_connection_t;

// An icon in the X11 system tray (the freedesktop system tray protocol over XEmbed), docked by the
// program itself. Not a QSystemTrayIcon: the first of those a process makes asks the panel's status
// notifier watcher, with calls that block, whether tray icons go over the session bus instead, and
// keeps that answer for the life of the process, so a panel that came or went since would leave the
// icon in no tray. This one goes into whatever X tray there is, again into each tray that starts
// later, and out of one that stops. Outside an X11 session it shows nothing.
class XEmbedTrayIcon : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT

public:
    explicit XEmbedTrayIcon(QObject *parent = nullptr);
    ~XEmbedTrayIcon() override;

    void setIcon(const QIcon &icon);
    QIcon icon() const { return m_icon; }
    // A tip showing for the icon takes the new text at once.
    void setToolTip(const QString &toolTip);
    QString toolTip() const { return m_toolTip; }

    // Whether the icon is to be shown; it is, while there is a tray.
    void setVisible(bool visible);
    bool isVisible() const { return m_visible; }

    // Where the tray placed the icon on the screen; empty while no tray holds it.
    QRect geometry() const;
    // Whether `window` is the icon's own.
    bool isWindow(const QWindow &window) const;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

signals:
    // A press of `button` on the icon.
    void pressed(Qt::MouseButton button);

private:
    class Window;
    struct Atoms
    {
        std::uint32_t selection = 0;
        std::uint32_t opcode = 0;
        std::uint32_t manager = 0;
        std::uint32_t visual = 0;
    };

    // Docks the icon into the tray that owns the selection now, leaving one that went.
    void follow();
    void dock(std::uint32_t tray);
    void undock();

    xcb_connection_t *m_connection = nullptr;
    std::uint32_t m_root = 0;
    Atoms m_atoms;
    QIcon m_icon;
    QString m_toolTip;
    bool m_visible = false;
    // The tray asked to hold the icon's window, and whether it has been seen taking the window in.
    std::uint32_t m_tray = 0;
    bool m_embedded = false;
    std::unique_ptr<Window> m_window;
};
