#include "platform/desktop/TrayStatusItem.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QPixmap>
#include <QScreen>
#include <QWindow>

#include <algorithm>

namespace {
// The usual tray icon height where the tray has not placed the icon yet.
constexpr int defaultTrayHeight = 22;
} // namespace

TrayStatusItem::TrayStatusItem(StatusBarButton *button, QObject *parent)
    : QObject(parent)
    , m_ownButton(button ? nullptr : std::make_unique<StatusBarButton>())
    , m_button(button ? *button : *m_ownButton)
{
    connect(&m_button, &StatusBarButton::changed, this, [this] { m_refresh.schedule(); });
    connect(&m_tray, &XEmbedTrayIcon::pressed, this, [this](Qt::MouseButton button) {
        // A status item opens its menu on a plain click too, not only on a context click.
        if (button == Qt::LeftButton || button == Qt::RightButton) {
            toggleMenu();
        }
    });
    refresh();
}

TrayStatusItem::~TrayStatusItem() = default;

void TrayStatusItem::setMenu(QMenu *menu)
{
    // Not the tray icon's own context menu: that one opens at the pointer, over the item.
    m_menu = menu;
}

void TrayStatusItem::setVisible(bool visible)
{
    m_tray.setVisible(visible);
}

bool TrayStatusItem::isVisible() const
{
    return m_tray.isVisible();
}

QPoint TrayStatusItem::menuPosition(const QRect &item, const QSize &menu, const QRect &screen)
{
    const int top = item.top() - screen.top();
    const int bottom = screen.bottom() - item.bottom();
    const int left = item.left() - screen.left();
    const int right = screen.right() - item.right();
    // The panel lies along the screen edge nearest to the item. Near a corner it is taken for a
    // top or bottom panel, the more common kind, unless the item is clearly nearer a side.
    if (std::min(left, right) + item.width() > std::min(top, bottom)) {
        const int x = std::clamp(
            item.left(), screen.left(), std::max(screen.left(), screen.right() + 1 - menu.width()));
        return { x, top <= bottom ? item.bottom() + 1 : item.top() - menu.height() };
    }
    const int y
        = std::clamp(item.top(), screen.top(), std::max(screen.top(), screen.bottom() + 1 - menu.height()));
    return { left <= right ? item.right() + 1 : item.left() - menu.width(), y };
}

void TrayStatusItem::toggleMenu()
{
    if (!m_menu) {
        return;
    }
    // A click on the item while its menu is open only closes the menu.
    if (m_menu->isVisible()) {
        m_menu->close();
        return;
    }
    // That click closes the menu by itself (it falls outside the menu), and Qt would then hand it
    // on to the item below the pointer, which would open the menu again.
    m_menu->setAttribute(Qt::WA_NoMouseReplay);
    const QRect item = geometry();
    if (item.isEmpty()) {
        m_menu->popup(QCursor::pos());
        return;
    }
    const QScreen *screen = QGuiApplication::screenAt(item.center());
    if (!screen) {
        screen = QGuiApplication::primaryScreen();
    }
    const QRect area = screen ? screen->geometry() : item;
    m_menu->popup(menuPosition(item, m_menu->sizeHint(), area));
    // The menu is filled as it opens; placed again at the size it has then.
    m_menu->move(menuPosition(item, m_menu->size(), area));
}

bool TrayStatusItem::isIconWindow(const QWindow &window) const
{
    return m_tray.isWindow(window);
}

int TrayStatusItem::pixelHeight() const
{
    const QRect placed = m_tray.geometry();
    const int height = placed.isEmpty() ? defaultTrayHeight : placed.height();
    return height;
}

void TrayStatusItem::refresh()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const qreal ratio = screen ? screen->devicePixelRatio() : 1.0;
    const QColor color = StatusBarButton::panelTextColor();
    const StatusPictures::Style style { { qRound(pixelHeight() * ratio) }, ratio, { color.rgba() } };
    const auto draw = [&](int size) { return m_button.render(size, ratio, color); };
    if (m_pictures.update(m_button, style, draw) == StatusPictures::Outcome::taken) {
        m_tray.setIcon(QIcon(QPixmap::fromImage(m_pictures.shown().constFirst())));
    }
    if (m_button.toolTip() != m_tray.toolTip()) {
        m_tray.setToolTip(m_button.toolTip());
    }
}
