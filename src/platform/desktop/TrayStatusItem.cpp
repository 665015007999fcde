#include "platform/desktop/TrayStatusItem.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QPixmap>
#include <QScreen>

namespace {
// The usual tray icon height where the tray has not placed the icon yet.
constexpr int defaultTrayHeight = 22;
} // namespace

TrayStatusItem::TrayStatusItem(QObject *parent)
    : QObject(parent)
{
    connect(&m_button, &StatusBarButton::changed, this, &TrayStatusItem::scheduleRefresh);
    connect(&m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        // A status item opens its menu on a plain click too, not only on a context click. Wayland
        // lets no program place a menu at the pointer by itself: the popup would open as a window
        // of its own wherever the compositor puts it, so there the panel's menu alone is shown.
        if (reason == QSystemTrayIcon::Trigger && m_menu
            && !QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
            m_menu->popup(QCursor::pos());
        }
    });
    refresh();
}

TrayStatusItem::~TrayStatusItem() = default;

void TrayStatusItem::setMenu(QMenu *menu)
{
    m_menu = menu;
    m_tray.setContextMenu(menu);
}

void TrayStatusItem::setVisible(bool visible)
{
    m_tray.setVisible(visible);
}

bool TrayStatusItem::isVisible() const
{
    return m_tray.isVisible();
}

int TrayStatusItem::pixelHeight() const
{
    const QRect placed = m_tray.geometry();
    const int height = placed.isEmpty() ? defaultTrayHeight : placed.height();
    return height;
}

void TrayStatusItem::scheduleRefresh()
{
    // Several changes in one turn of the event loop are drawn once.
    if (!m_refreshScheduled) {
        m_refreshScheduled = true;
        QMetaObject::invokeMethod(this, &TrayStatusItem::refresh, Qt::QueuedConnection);
    }
}

void TrayStatusItem::refresh()
{
    m_refreshScheduled = false;
    const QScreen *screen = QGuiApplication::primaryScreen();
    const qreal ratio = screen ? screen->devicePixelRatio() : 1.0;
    const QImage picture = m_button.render(qRound(pixelHeight() * ratio), ratio);
    m_tray.setIcon(QIcon(QPixmap::fromImage(picture)));
    m_tray.setToolTip(m_button.toolTip());
}
