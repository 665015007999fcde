#pragma once

#include "platform/desktop/StatusBarButton.h"
#include "platform/desktop/StatusItem.h"
#include "platform/desktop/StatusPictures.h"
#include "platform/events/CoalescedCall.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <array>
#include <chrono>
#include <memory>

class DBusMenuExporter;

// One picture of an item's icon as the protocol carries it: ARGB32 in network byte order.
struct StatusNotifierIcon
{
    int width = 0;
    int height = 0;
    QByteArray data;

    static StatusNotifierIcon fromImage(const QImage &image);
    friend bool operator==(const StatusNotifierIcon &, const StatusNotifierIcon &) = default;
};
using StatusNotifierIcons = QList<StatusNotifierIcon>;

struct StatusNotifierToolTip
{
    QString iconName;
    StatusNotifierIcons icon;
    QString title;
    QString description;
};

QDBusArgument &operator<<(QDBusArgument &argument, const StatusNotifierIcon &icon);
const QDBusArgument &operator>>(const QDBusArgument &argument, StatusNotifierIcon &icon);
QDBusArgument &operator<<(QDBusArgument &argument, const StatusNotifierToolTip &toolTip);
const QDBusArgument &operator>>(const QDBusArgument &argument, StatusNotifierToolTip &toolTip);

Q_DECLARE_METATYPE(StatusNotifierIcon)
Q_DECLARE_METATYPE(StatusNotifierToolTip)

// A status item that the program exports itself on the session bus (org.kde.StatusNotifierItem)
// for the panels that show items through a StatusNotifierWatcher, with its menu over
// com.canonical.dbusmenu. Unlike the X11 tray it carries a text label beside the icon, where the
// panel shows one: the button's title. A template image also goes by its icon name, for the panel
// to draw in its own colours; the pictures are the fallback.
class StatusNotifierItem : public QObject, public StatusItem
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ category)
    Q_PROPERTY(QString Id READ id)
    Q_PROPERTY(QString Title READ title)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(int WindowId READ windowId)
    Q_PROPERTY(QString IconName READ iconName)
    Q_PROPERTY(StatusNotifierIcons IconPixmap READ iconPixmap)
    Q_PROPERTY(QString IconThemePath READ iconThemePath)
    Q_PROPERTY(QString AttentionIconName READ noIconName)
    Q_PROPERTY(StatusNotifierIcons AttentionIconPixmap READ noIcon)
    Q_PROPERTY(QString OverlayIconName READ noIconName)
    Q_PROPERTY(StatusNotifierIcons OverlayIconPixmap READ noIcon)
    Q_PROPERTY(StatusNotifierToolTip ToolTip READ toolTip)
    Q_PROPERTY(bool ItemIsMenu READ itemIsMenu)
    Q_PROPERTY(QDBusObjectPath Menu READ menuPath)
    Q_PROPERTY(QString XAyatanaLabel READ label)
    Q_PROPERTY(QString XAyatanaLabelGuide READ labelGuide)
    Q_PROPERTY(uint XAyatanaOrderingIndex READ orderingIndex)

public:
    static constexpr char watcherService[] = "org.kde.StatusNotifierWatcher";
    static constexpr char watcherPath[] = "/StatusNotifierWatcher";

    // The sizes of the icon's pictures, in pixels, smallest first: the usual panel size and the
    // largest, from which a panel scales the one it needs. Every picture goes over the bus each
    // time a panel reads the item, which may be on any change of it.
    static constexpr std::array<int, 2> pictureSizes { 22, 48 };
    // Each new picture costs the desktop a reading of the item by the panel (its pictures, name
    // and label, through the bus daemon): a new picture on its own comes at most this often, one
    // that comes with a change the panel hears of anyway (label, tooltip, icon name) at once.
    // Twice a second still follows a voice's level; at each visible step of it, some four a
    // second, the status updates cost the desktop more than they may.
    static constexpr std::chrono::milliseconds pictureInterval { 500 };

    // `iconThemePath` is where panels find the icons named by the button's images, besides the
    // desktop's own themes. `button` is what the item shows, if not a button of its own; it outlives
    // the item.
    explicit StatusNotifierItem(
        QString iconThemePath = {}, StatusBarButton *button = nullptr, QObject *parent = nullptr);
    ~StatusNotifierItem() override;

    StatusBarButton &button() override { return m_button; }
    void setMenu(QMenu *menu) override;
    QMenu *menu() const override;
    void setVisible(bool visible) override;
    bool isVisible() const override { return m_visible; }
    // A panel tells its items nothing of where it shows them.
    QRect geometry() const override { return {}; }
    // As the label, on panels that show one.
    bool showsTitle() const override { return true; }

    // The bus name panels find the item by: its own well-known name, or the connection's unique one
    // where another client holds that.
    QString serviceName() const { return m_serviceName; }

    static QString category() { return QStringLiteral("ApplicationStatus"); }
    static QString id();
    static QString title();
    QString status() const;
    static int windowId() { return 0; }
    QString iconName() const { return m_iconName; }
    StatusNotifierIcons iconPixmap() const { return m_icons; }
    QString iconThemePath() const { return m_iconThemePath; }
    static QString noIconName() { return {}; }
    static StatusNotifierIcons noIcon() { return {}; }
    StatusNotifierToolTip toolTip() const;
    // The panel shows the menu on any click; the item has nothing else to do on one.
    static bool itemIsMenu() { return true; }
    static QDBusObjectPath menuPath();
    QString label() const { return m_label; }
    // As wide as the label while its digits count, so the panel keeps its width.
    QString labelGuide() const;
    static uint orderingIndex() { return 0; }

public slots:
    // Clicks and scrolls on the item; the panel shows the menu itself.
    Q_SCRIPTABLE void Activate(int x, int y);
    Q_SCRIPTABLE void SecondaryActivate(int x, int y);
    Q_SCRIPTABLE void ContextMenu(int x, int y);
    Q_SCRIPTABLE void Scroll(int delta, const QString &orientation);

signals:
    Q_SCRIPTABLE void NewTitle();
    Q_SCRIPTABLE void NewIcon();
    Q_SCRIPTABLE void NewAttentionIcon();
    Q_SCRIPTABLE void NewOverlayIcon();
    Q_SCRIPTABLE void NewToolTip();
    Q_SCRIPTABLE void NewStatus(const QString &status);
    Q_SCRIPTABLE void XAyatanaNewLabel(const QString &label, const QString &guide);

private:
    // `name` if the program can have it, else the connection's unique name.
    QString claimName(const QString &name);
    void registerWithWatcher();
    void refresh();

    QDBusConnection m_bus;
    QString m_serviceName;
    QString m_iconThemePath;
    std::unique_ptr<StatusBarButton> m_ownButton;
    StatusBarButton &m_button;
    std::unique_ptr<DBusMenuExporter> m_menu;
    QDBusServiceWatcher m_watcher;
    bool m_visible = false;
    // Several changes in one turn of the event loop reach the panel once.
    CoalescedCall m_refresh { this, [this] { refresh(); } };
    QString m_iconName;
    StatusPictures m_pictures { pictureInterval };
    // Runs the refresh again when a held change of the pictures may go.
    QTimer m_heldPictures;
    StatusNotifierIcons m_icons;
    QString m_toolTip;
    QString m_label;
};
