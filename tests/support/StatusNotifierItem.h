#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QImage>
#include <QRegularExpression>
#include <QVariantMap>
#include <QtEndian>

#include <optional>
#include <vector>

namespace TestSupport {

// One entry of an exported menu as a panel gets it (com.canonical.dbusmenu GetLayout).
struct DBusMenuEntry
{
    int id = 0;
    QVariantMap properties;
    std::vector<DBusMenuEntry> children;

    // The text without the mnemonic marks the menu protocol puts in.
    QString label() const
    {
        static const QRegularExpression mark(QStringLiteral("_(.)"));
        return properties.value(QStringLiteral("label")).toString().replace(mark, QStringLiteral("\\1"));
    }
    // Absent properties have the protocol's defaults.
    bool isSeparator() const
    {
        return properties.value(QStringLiteral("type")).toString() == QLatin1String("separator");
    }
    bool isEnabled() const { return properties.value(QStringLiteral("enabled"), true).toBool(); }
    bool isVisible() const { return properties.value(QStringLiteral("visible"), true).toBool(); }
    bool isChecked() const { return properties.value(QStringLiteral("toggle-state"), 0).toInt() == 1; }
    bool hasSubmenu() const
    {
        return properties.value(QStringLiteral("children-display")).toString() == QLatin1String("submenu");
    }

    const DBusMenuEntry *child(const QString &label) const
    {
        for (const DBusMenuEntry &entry : children) {
            if (!entry.isSeparator() && entry.label() == label) {
                return &entry;
            }
        }
        return nullptr;
    }
};

// A tray item registered with the session's StatusNotifierItem watcher, read and driven over the
// bus the way a panel does it.
class StatusNotifierItem
{
public:
    // The item that process `pid` registered, once it is registered.
    static std::optional<StatusNotifierItem> ofProcess(qint64 pid)
    {
        const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
        const QStringList items = get(watcher, QStringLiteral("/StatusNotifierWatcher"), watcher,
            QStringLiteral("RegisteredStatusNotifierItems"))
                                      .toStringList();
        for (const QString &item : items) {
            StatusNotifierItem found = at(item);
            if (!found.m_service.isEmpty() && bus().interface()->servicePid(found.m_service).value() == pid) {
                return found;
            }
        }
        return std::nullopt;
    }

    // The item a watcher lists as "service/path"; its service is empty when the entry has none.
    static StatusNotifierItem at(const QString &item)
    {
        const qsizetype slash = item.indexOf(u'/');
        return slash > 0 ? StatusNotifierItem(item.left(slash), item.mid(slash))
                         : StatusNotifierItem({}, item);
    }

    const QString &service() const { return m_service; }
    const QString &path() const { return m_path; }

    QVariant property(const QString &name) const { return get(m_service, m_path, itemInterface(), name); }

    // The title of the tooltip, its first and main text.
    QString toolTipTitle() const
    {
        QString iconName;
        QString title;
        const QDBusArgument tip = property(QStringLiteral("ToolTip")).value<QDBusArgument>();
        tip.beginStructure();
        tip >> iconName;
        readImages(tip);
        tip >> title;
        return title;
    }

    // The text the panel shows beside the icon, and the text whose width it keeps for it.
    QString label() const { return property(QStringLiteral("XAyatanaLabel")).toString(); }
    QString labelGuide() const { return property(QStringLiteral("XAyatanaLabelGuide")).toString(); }

    // The icon by name, found in the item's own theme folder or the desktop's themes.
    QString iconName() const { return property(QStringLiteral("IconName")).toString(); }
    QString iconThemePath() const { return property(QStringLiteral("IconThemePath")).toString(); }

    // The largest of the pictures the item gives for its icon; null when it gives none.
    QImage icon() const
    {
        QImage largest;
        for (const QImage &image :
            readImages(property(QStringLiteral("IconPixmap")).value<QDBusArgument>())) {
            largest = image.width() > largest.width() ? image : largest;
        }
        return largest;
    }

    // A plain click on the item in the panel, or a context click, at a point on the screen.
    bool click(bool context, int x = 0, int y = 0) const
    {
        QDBusMessage call = QDBusMessage::createMethodCall(m_service, m_path, itemInterface(),
            context ? QStringLiteral("ContextMenu") : QStringLiteral("Activate"));
        call.setArguments({ x, y });
        return bus().call(call, QDBus::Block, timeoutMs).type() == QDBusMessage::ReplyMessage;
    }

    // The whole menu; empty when the item has none or does not answer.
    std::optional<DBusMenuEntry> menu() const
    {
        const QDBusMessage reply = callMenu(QStringLiteral("GetLayout"), { 0, -1, QStringList() });
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() < 2) {
            return std::nullopt;
        }
        return readEntry(reply.arguments().at(1).value<QDBusArgument>());
    }
    bool sendMenuEvent(int id, const QString &event) const
    {
        const QVariantList arguments { id, event, QVariant::fromValue(QDBusVariant(QString())), 0u };
        return callMenu(QStringLiteral("Event"), arguments).type() == QDBusMessage::ReplyMessage;
    }
    // A panel opening the menu: the rebuilt menu as it then shows it.
    std::optional<DBusMenuEntry> openMenu() const
    {
        if (callMenu(QStringLiteral("AboutToShow"), { 0 }).type() != QDBusMessage::ReplyMessage
            || !sendMenuEvent(0, QStringLiteral("opened"))) {
            return std::nullopt;
        }
        return menu();
    }

private:
    static constexpr int timeoutMs = 5000;

    StatusNotifierItem(QString service, QString path)
        : m_service(std::move(service))
        , m_path(std::move(path))
    { }

    static QDBusConnection bus() { return QDBusConnection::sessionBus(); }
    static QString itemInterface() { return QStringLiteral("org.kde.StatusNotifierItem"); }

    static QVariant get(
        const QString &service, const QString &path, const QString &interface, const QString &name)
    {
        QDBusMessage get = QDBusMessage::createMethodCall(
            service, path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
        get.setArguments({ interface, name });
        return bus().call(get, QDBus::Block, timeoutMs).arguments().value(0).value<QDBusVariant>().variant();
    }

    QDBusMessage callMenu(const QString &method, const QVariantList &arguments) const
    {
        const QString path = property(QStringLiteral("Menu")).value<QDBusObjectPath>().path();
        QDBusMessage call = QDBusMessage::createMethodCall(
            m_service, path, QStringLiteral("com.canonical.dbusmenu"), method);
        call.setArguments(arguments);
        return bus().call(call, QDBus::Block, timeoutMs);
    }

    // An array of (width, height, ARGB32 in network byte order).
    static std::vector<QImage> readImages(const QDBusArgument &argument)
    {
        std::vector<QImage> images;
        argument.beginArray();
        while (!argument.atEnd()) {
            int width = 0;
            int height = 0;
            QByteArray data;
            argument.beginStructure();
            argument >> width >> height >> data;
            argument.endStructure();
            if (width > 0 && height > 0 && data.size() >= qsizetype(width) * height * 4) {
                QImage image(width, height, QImage::Format_ARGB32);
                qFromBigEndian<quint32>(data.constData(), qsizetype(width) * height, image.bits());
                images.push_back(image);
            }
        }
        argument.endArray();
        return images;
    }

    static DBusMenuEntry readEntry(const QDBusArgument &argument)
    {
        DBusMenuEntry entry;
        argument.beginStructure();
        argument >> entry.id >> entry.properties;
        argument.beginArray();
        while (!argument.atEnd()) {
            QDBusVariant child;
            argument >> child;
            entry.children.push_back(readEntry(child.variant().value<QDBusArgument>()));
        }
        argument.endArray();
        argument.endStructure();
        return entry;
    }

    QString m_service;
    QString m_path;
};

} // namespace TestSupport
