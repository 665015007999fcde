#include "platform/desktop/StatusNotifierItem.h"

#include "platform/desktop/DBusMenuExporter.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusReply>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QPainter>
#include <QPalette>
#include <QtEndian>

#include <atomic>
#include <vector>

Q_LOGGING_CATEGORY(statusNotifierLog, "tapewick.statusnotifier", QtInfoMsg)

namespace {

const QString itemPath = QStringLiteral("/StatusNotifierItem");

// The picture with a thin outline in `outline` around everything it draws. A panel may be dark or
// light and does not say which: the lighter colour of the palette carries the shape on a dark
// panel, its darker outline on a light one. The outline fills only what the shape leaves
// uncovered, up to the opacity of the shape beside it, so a dimmed picture stays as dim.
QImage outlined(const QImage &picture, const QColor &outline)
{
    const int width = std::max(1, picture.width() / 22);
    const QImage shape = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int w = shape.width();
    const int h = shape.height();
    // The largest opacity within `width` of each pixel, across then down: drawn while recording,
    // at every visible step of the level.
    std::vector<int> across(std::size_t(w) * std::size_t(h));
    for (int y = 0; y < h; ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(shape.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            int nearby = 0;
            for (int nx = std::max(0, x - width); nx <= std::min(w - 1, x + width); ++nx) {
                nearby = std::max(nearby, qAlpha(line[nx]));
            }
            across[std::size_t(y) * std::size_t(w) + std::size_t(x)] = nearby;
        }
    }
    const QRgb ink = outline.rgb();
    QImage result(shape.size(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < h; ++y) {
        const auto *own = reinterpret_cast<const QRgb *>(shape.constScanLine(y));
        auto *line = reinterpret_cast<QRgb *>(result.scanLine(y));
        for (int x = 0; x < w; ++x) {
            int nearby = 0;
            for (int ny = std::max(0, y - width); ny <= std::min(h - 1, y + width); ++ny) {
                nearby = std::max(nearby, across[std::size_t(ny) * std::size_t(w) + std::size_t(x)]);
            }
            const int ring = std::max(0, nearby - qAlpha(own[x]));
            line[x] = qPremultiply(qRgba(qRed(ink), qGreen(ink), qBlue(ink), ring));
        }
    }
    QPainter painter(&result);
    painter.drawImage(QPoint(0, 0), shape);
    return result;
}

} // namespace

StatusNotifierIcon StatusNotifierIcon::fromImage(const QImage &image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    StatusNotifierIcon icon { argb.width(), argb.height(),
        QByteArray(argb.width() * argb.height() * 4, '\0') };
    qToBigEndian<quint32>(argb.constBits(), qsizetype(argb.width()) * argb.height(), icon.data.data());
    return icon;
}

QDBusArgument &operator<<(QDBusArgument &argument, const StatusNotifierIcon &icon)
{
    argument.beginStructure();
    argument << icon.width << icon.height << icon.data;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, StatusNotifierIcon &icon)
{
    argument.beginStructure();
    argument >> icon.width >> icon.height >> icon.data;
    argument.endStructure();
    return argument;
}

QDBusArgument &operator<<(QDBusArgument &argument, const StatusNotifierToolTip &toolTip)
{
    argument.beginStructure();
    argument << toolTip.iconName << toolTip.icon << toolTip.title << toolTip.description;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, StatusNotifierToolTip &toolTip)
{
    argument.beginStructure();
    argument >> toolTip.iconName >> toolTip.icon >> toolTip.title >> toolTip.description;
    argument.endStructure();
    return argument;
}

StatusNotifierItem::StatusNotifierItem(QString iconThemePath, StatusBarButton *button, QObject *parent)
    : QObject(parent)
    , m_bus(QDBusConnection::sessionBus())
    , m_iconThemePath(std::move(iconThemePath))
    , m_ownButton(button ? nullptr : std::make_unique<StatusBarButton>())
    , m_button(button ? *button : *m_ownButton)
    , m_watcher(QString::fromLatin1(watcherService), m_bus, QDBusServiceWatcher::WatchForRegistration)
{
    qDBusRegisterMetaType<StatusNotifierIcon>();
    qDBusRegisterMetaType<StatusNotifierIcons>();
    qDBusRegisterMetaType<StatusNotifierToolTip>();
    static std::atomic<int> instances = 0;
    const QString name = QStringLiteral("org.kde.StatusNotifierItem-%1-%2")
                             .arg(QCoreApplication::applicationPid())
                             .arg(++instances);
    connect(&m_button, &StatusBarButton::changed, this, [this] { m_refresh.schedule(); });
    m_heldPictures.setSingleShot(true);
    connect(&m_heldPictures, &QTimer::timeout, this, &StatusNotifierItem::refresh);
    // A panel that starts, or starts again, after the program has to be told of the item.
    connect(
        &m_watcher, &QDBusServiceWatcher::serviceRegistered, this, &StatusNotifierItem::registerWithWatcher);
    refresh();
    m_bus.registerObject(itemPath, this, QDBusConnection::ExportScriptableContents);
    m_serviceName = claimName(name);
}

StatusNotifierItem::~StatusNotifierItem()
{
    m_bus.unregisterObject(itemPath);
    if (m_serviceName != m_bus.baseService()) {
        m_bus.unregisterService(m_serviceName);
    }
}

QString StatusNotifierItem::claimName(const QString &name)
{
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply
        = m_bus.interface()->registerService(
            name, QDBusConnectionInterface::DontQueueService, QDBusConnectionInterface::DontAllowReplacement);
    if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered) {
        return name;
    }
    // Panels take the connection's own unique name as well, which no one else can hold: a name
    // another client holds would show that client's item.
    QString why = reply.error().message();
    if (reply.isValid()) {
        const QDBusReply<QString> owner = m_bus.interface()->serviceOwner(name);
        why = QStringLiteral("another client (%1) owns it").arg(owner.isValid() ? owner.value() : QString());
    }
    qCWarning(statusNotifierLog).noquote() << "The status item goes by" << m_bus.baseService() << "instead of"
                                           << name << "on the session bus:" << why;
    return m_bus.baseService();
}

void StatusNotifierItem::setMenu(QMenu *menu)
{
    m_menu.reset();
    if (menu) {
        m_menu = std::make_unique<DBusMenuExporter>(m_bus, menuPath().path(), menu);
    }
}

QMenu *StatusNotifierItem::menu() const
{
    return m_menu ? m_menu->menu() : nullptr;
}

void StatusNotifierItem::setVisible(bool visible)
{
    if (visible == m_visible) {
        return;
    }
    m_visible = visible;
    if (visible) {
        registerWithWatcher();
    }
    emit NewStatus(status());
}

void StatusNotifierItem::registerWithWatcher()
{
    if (!m_visible) {
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(watcherService),
        QString::fromLatin1(watcherPath), QString::fromLatin1(watcherService),
        QStringLiteral("RegisterStatusNotifierItem"));
    call.setArguments({ m_serviceName });
    auto *pending = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [](QDBusPendingCallWatcher *finished) {
        if (finished->isError()) {
            qCInfo(statusNotifierLog) << "No panel took the status item:" << finished->error().message();
        }
        finished->deleteLater();
    });
}

QString StatusNotifierItem::id()
{
    return QCoreApplication::applicationName();
}

QString StatusNotifierItem::title()
{
    return QGuiApplication::applicationDisplayName();
}

QString StatusNotifierItem::status() const
{
    return m_visible ? QStringLiteral("Active") : QStringLiteral("Passive");
}

StatusNotifierToolTip StatusNotifierItem::toolTip() const
{
    return { {}, {}, m_toolTip, {} };
}

QDBusObjectPath StatusNotifierItem::menuPath()
{
    return QDBusObjectPath(QStringLiteral("/MenuBar"));
}

QString StatusNotifierItem::labelGuide() const
{
    QString guide = m_label;
    for (QChar &c : guide) {
        if (c.isDigit()) {
            c = u'0';
        }
    }
    return guide;
}

void StatusNotifierItem::Activate(int, int) { }

void StatusNotifierItem::SecondaryActivate(int, int) { }

void StatusNotifierItem::ContextMenu(int, int) { }

void StatusNotifierItem::Scroll(int, const QString &) { }

void StatusNotifierItem::refresh()
{
    // A dimmed template has no name to go by: the panel would draw it undimmed.
    const QString iconName
        = m_button.image().isMask() && !m_button.appearsDisabled() ? m_button.image().name() : QString();
    const QString label = m_button.imagePosition() == StatusBarButton::ImagePosition::imageRight
        ? m_button.title()
        : QString();
    const bool otherChange = iconName != m_iconName || label != m_label || m_button.toolTip() != m_toolTip;
    const QPalette palette = QGuiApplication::palette();
    QColor light = palette.color(QPalette::Active, QPalette::Window);
    QColor dark = palette.color(QPalette::Active, QPalette::WindowText);
    if (light.lightnessF() < dark.lightnessF()) {
        std::swap(light, dark);
    }
    const StatusPictures::Style style { { pictureSizes.begin(), pictureSizes.end() }, 1.0,
        { light.rgba(), dark.rgba() } };
    const auto now = StatusPictures::Clock::now();
    const StatusPictures::Outcome pictures = m_pictures.update(
        m_button, style, [&](int size) { return outlined(m_button.render(size, 1.0, light), dark); }, now,
        otherChange);
    if (pictures != StatusPictures::Outcome::held) {
        m_heldPictures.stop();
    } else if (!m_heldPictures.isActive()) {
        m_heldPictures.start(std::chrono::ceil<std::chrono::milliseconds>(m_pictures.heldUntil() - now));
    }
    if (pictures == StatusPictures::Outcome::taken) {
        m_icons.clear();
        for (const QImage &picture : m_pictures.shown()) {
            m_icons.append(StatusNotifierIcon::fromImage(picture));
        }
    }
    if (iconName != m_iconName || pictures == StatusPictures::Outcome::taken) {
        m_iconName = iconName;
        emit NewIcon();
    }
    if (m_button.toolTip() != m_toolTip) {
        m_toolTip = m_button.toolTip();
        emit NewToolTip();
    }
    if (label != m_label) {
        m_label = label;
        emit XAyatanaNewLabel(m_label, labelGuide());
    }
}
