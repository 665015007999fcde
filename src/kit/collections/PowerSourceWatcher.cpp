#include "kit/collections/PowerSourceWatcher.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>
#include <QPointer>

#include <QCoro/QCoroDBus>

namespace {

constexpr char propertiesInterface[] = "org.freedesktop.DBus.Properties";
// UPower's device kinds and states.
constexpr uint upsType = 3;
constexpr uint dischargingState = 2;

} // namespace

PowerSourceWatcher::PowerSourceWatcher(QDBusConnection bus, QObject *parent)
    : QObject(parent)
    , m_bus(std::move(bus))
{
    const QString name = QString::fromLatin1(service);
    const QString objectPath = QString::fromLatin1(path);
    // Property changes cover the switch to and from battery; device changes a UPS coming and going.
    m_bus.connect(name, objectPath, QString::fromLatin1(propertiesInterface),
        QStringLiteral("PropertiesChanged"), this, SLOT(refresh()));
    m_bus.connect(name, objectPath, QString::fromLatin1(interface), QStringLiteral("DeviceAdded"), this,
        SLOT(refresh()));
    m_bus.connect(name, objectPath, QString::fromLatin1(interface), QStringLiteral("DeviceRemoved"), this,
        SLOT(refresh()));
    auto *serviceWatcher = new QDBusServiceWatcher(name, m_bus,
        QDBusServiceWatcher::WatchForRegistration | QDBusServiceWatcher::WatchForUnregistration, this);
    connect(serviceWatcher, &QDBusServiceWatcher::serviceRegistered, this, &PowerSourceWatcher::refresh);
    connect(serviceWatcher, &QDBusServiceWatcher::serviceUnregistered, this, &PowerSourceWatcher::refresh);
    refresh();
}

PowerSourceWatcher::~PowerSourceWatcher() = default;

Events::AnyPublisher<PowerSourceWatcher::PowerSource> PowerSourceWatcher::didChangePublisher()
{
    if (!m_didChangeSubject) {
        m_didChangeSubject.emplace(m_powerSource);
    }
    if (!m_didChangePublisher) {
        m_didChangePublisher = m_didChangeSubject->eraseToAnyPublisher();
    }
    return *m_didChangePublisher;
}

void PowerSourceWatcher::refresh()
{
    // Answers can overtake each other; only the latest question counts.
    const std::uint64_t generation = ++m_generation;
    [](QPointer<PowerSourceWatcher> self, QDBusConnection bus, std::uint64_t generation) -> QCoro::Task<> {
        const PowerSource source = co_await read(bus);
        if (self && self->m_generation == generation) {
            self->take(source);
        }
    }(QPointer(this), m_bus, generation);
}

QCoro::Task<std::optional<QVariantMap>> PowerSourceWatcher::properties(
    QDBusConnection bus, QString objectPath, QString interfaceName)
{
    QDBusMessage message = QDBusMessage::createMethodCall(QString::fromLatin1(service), objectPath,
        QString::fromLatin1(propertiesInterface), QStringLiteral("GetAll"));
    message << interfaceName;
    const QDBusMessage reply = co_await bus.asyncCall(message);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        co_return std::nullopt;
    }
    QVariantMap values;
    reply.arguments().constFirst().value<QDBusArgument>() >> values;
    co_return values;
}

QCoro::Task<PowerSourceWatcher::PowerSource> PowerSourceWatcher::read(QDBusConnection bus)
{
    const auto manager = co_await properties(bus, QString::fromLatin1(path), QString::fromLatin1(interface));
    if (!manager || !manager->contains(QStringLiteral("OnBattery"))) {
        co_return PowerSource::unknown;
    }
    if (!manager->value(QStringLiteral("OnBattery")).toBool()) {
        co_return PowerSource::externalUnlimited;
    }
    const QDBusMessage devices
        = co_await bus.asyncCall(QDBusMessage::createMethodCall(QString::fromLatin1(service),
            QString::fromLatin1(path), QString::fromLatin1(interface), QStringLiteral("EnumerateDevices")));
    if (devices.type() == QDBusMessage::ReplyMessage && !devices.arguments().isEmpty()) {
        QList<QDBusObjectPath> paths;
        devices.arguments().constFirst().value<QDBusArgument>() >> paths;
        for (const QDBusObjectPath &device : paths) {
            const auto values = co_await properties(bus, device.path(), QString::fromLatin1(deviceInterface));
            if (values && values->value(QStringLiteral("Type")).toUInt() == upsType
                && values->value(QStringLiteral("State")).toUInt() == dischargingState) {
                co_return PowerSource::externalUPS;
            }
        }
    }
    co_return PowerSource::internalBattery;
}

void PowerSourceWatcher::take(PowerSource source)
{
    if (source == m_powerSource) {
        return;
    }
    m_powerSource = source;
    if (m_didChangeSubject) {
        m_didChangeSubject->send(source);
    }
    emit powerSourceChanged(source);
}
