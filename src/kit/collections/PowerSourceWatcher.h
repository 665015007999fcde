#pragma once

#include "platform/events/AnyPublisher.h"
#include "platform/events/CurrentValueSubject.h"

#include <QDBusConnection>
#include <QObject>

#include <QCoro/QCoroTask>

#include <cstdint>
#include <optional>

// Where the computer draws its power from, as the desktop's power service (UPower on the system
// bus) reports it. Without that service the source is unknown.
class PowerSourceWatcher : public QObject
{
    Q_OBJECT
public:
    enum class PowerSource { internalBattery, externalUnlimited, externalUPS, unknown };

    static constexpr char service[] = "org.freedesktop.UPower";
    static constexpr char path[] = "/org/freedesktop/UPower";
    static constexpr char interface[] = "org.freedesktop.UPower";
    static constexpr char deviceInterface[] = "org.freedesktop.UPower.Device";

    explicit PowerSourceWatcher(
        QDBusConnection bus = QDBusConnection::systemBus(), QObject *parent = nullptr);
    ~PowerSourceWatcher() override;

    // Unknown until the service has answered once.
    PowerSource powerSource() const { return m_powerSource; }

    // The current source at once, then each change.
    Events::AnyPublisher<PowerSource> didChangePublisher();

signals:
    void powerSourceChanged(PowerSourceWatcher::PowerSource source);

private slots:
    void refresh();

private:
    // Static: the watcher may be gone by the time an answer arrives.
    static QCoro::Task<PowerSource> read(QDBusConnection bus);
    static QCoro::Task<std::optional<QVariantMap>> properties(
        QDBusConnection bus, QString objectPath, QString interfaceName);
    void take(PowerSource source);

    QDBusConnection m_bus;
    PowerSource m_powerSource = PowerSource::unknown;
    std::uint64_t m_generation = 0;
    std::optional<Events::CurrentValueSubject<PowerSource>> m_didChangeSubject;
    std::optional<Events::AnyPublisher<PowerSource>> m_didChangePublisher;
};
