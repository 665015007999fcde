#include "kit/collections/PowerSourceWatcher.h"

#include "DesktopTest.h"
#include "EventLoop.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QObject>

#include <memory>
#include <vector>

namespace {

using PowerSource = PowerSourceWatcher::PowerSource;

// What UPower serves, on a connection of its own on the private session bus.
class FakeDevice : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.UPower.Device")
    Q_PROPERTY(uint Type MEMBER m_type)
    Q_PROPERTY(uint State MEMBER m_state)
public:
    FakeDevice(uint type, uint state)
        : m_type(type)
        , m_state(state)
    { }

private:
    uint m_type;
    uint m_state;
};

class FakeUPower : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.UPower")
    Q_PROPERTY(bool OnBattery MEMBER m_onBattery)
public:
    static constexpr uint battery = 2, ups = 3, charging = 1, discharging = 2;

    explicit FakeUPower(bool onBattery = false, const std::vector<std::pair<uint, uint>> &devices = {})
        : m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, "fake-upower"))
        , m_onBattery(onBattery)
    {
        for (const auto &[type, state] : devices) {
            const QString path = QStringLiteral("/org/freedesktop/UPower/devices/d%1").arg(m_devices.size());
            m_devices.push_back(std::make_unique<FakeDevice>(type, state));
            m_bus.registerObject(path, m_devices.back().get(), QDBusConnection::ExportAllProperties);
            m_paths.append(QDBusObjectPath(path));
        }
        m_bus.registerObject("/org/freedesktop/UPower", this,
            QDBusConnection::ExportAllProperties | QDBusConnection::ExportAllSlots);
        m_bus.registerService("org.freedesktop.UPower");
    }
    ~FakeUPower() override
    {
        m_bus.unregisterService("org.freedesktop.UPower");
        QDBusConnection::disconnectFromBus("fake-upower");
    }

    void setOnBattery(bool onBattery)
    {
        m_onBattery = onBattery;
        QDBusMessage changed = QDBusMessage::createSignal(
            "/org/freedesktop/UPower", "org.freedesktop.DBus.Properties", "PropertiesChanged");
        changed << "org.freedesktop.UPower" << QVariantMap { { "OnBattery", onBattery } } << QStringList();
        m_bus.send(changed);
    }

public slots:
    QList<QDBusObjectPath> EnumerateDevices() const { return m_paths; }

private:
    QDBusConnection m_bus;
    bool m_onBattery;
    std::vector<std::unique_ptr<FakeDevice>> m_devices;
    QList<QDBusObjectPath> m_paths;
};

using PowerSourceWatcherTest = TestSupport::DesktopTest;

} // namespace

TEST_F(PowerSourceWatcherTest, ReadsTheSourceFromTheServiceAndUnknownWithoutIt)
{
    struct Case
    {
        const char *name;
        bool serviceRuns;
        bool onBattery;
        std::vector<std::pair<uint, uint>> devices;
        PowerSource expected;
    };
    const Case cases[] = {
        { "no service", false, false, {}, PowerSource::unknown },
        { "mains", true, false, { { FakeUPower::ups, FakeUPower::discharging } },
            PowerSource::externalUnlimited },
        { "battery", true, true, { { FakeUPower::battery, FakeUPower::discharging } },
            PowerSource::internalBattery },
        { "charging UPS", true, true, { { FakeUPower::ups, FakeUPower::charging } },
            PowerSource::internalBattery },
        { "UPS", true, true,
            { { FakeUPower::battery, FakeUPower::charging }, { FakeUPower::ups, FakeUPower::discharging } },
            PowerSource::externalUPS },
    };
    for (const Case &c : cases) {
        const auto service = c.serviceRuns ? std::make_unique<FakeUPower>(c.onBattery, c.devices) : nullptr;
        PowerSourceWatcher watcher(QDBusConnection::sessionBus());
        if (c.expected == PowerSource::unknown) {
            TestSupport::processEventsFor(std::chrono::milliseconds(300));
        } else {
            TestSupport::processEventsUntil([&] { return watcher.powerSource() != PowerSource::unknown; });
        }
        EXPECT_EQ(watcher.powerSource(), c.expected) << c.name;
    }
}

TEST_F(PowerSourceWatcherTest, PublishesEachChangeAndTheLossOfTheService)
{
    auto service = std::make_unique<FakeUPower>();
    PowerSourceWatcher watcher(QDBusConnection::sessionBus());
    ASSERT_TRUE(TestSupport::processEventsUntil(
        [&] { return watcher.powerSource() == PowerSource::externalUnlimited; }));

    std::vector<PowerSource> received;
    const auto subscription
        = watcher.didChangePublisher().sink([&](PowerSource source) { received.push_back(source); });
    service->setOnBattery(true);
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return received.size() == 2; }));
    service.reset();
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return received.size() == 3; }));
    EXPECT_EQ(received,
        (std::vector<PowerSource> {
            PowerSource::externalUnlimited, PowerSource::internalBattery, PowerSource::unknown }));
}

#include "PowerSourceWatcherTest.moc"
