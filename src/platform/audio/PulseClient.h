#pragma once

#include "platform/audio/AudioError.h"
#include "platform/audio/HardwareDevice.h"

#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

struct pa_context;
struct pa_operation;
struct pa_time_event;
struct pa_threaded_mainloop;

// One connection to the sound server, served by a pa_threaded_mainloop. The connection is made
// at once and, after a server restart, again by itself; while it stands, the devices and the
// default source are kept from the server's change events, and reads answer from them without a
// round trip. Other requests block the calling thread for at most the timeout.
class PulseClient
{
public:
    using Clock = std::chrono::steady_clock;

    // `onDefaultSourceChanged` runs on the client's thread.
    PulseClient(
        QString server, std::chrono::milliseconds timeout, std::function<void()> onDefaultSourceChanged);
    ~PulseClient();
    PulseClient(const PulseClient &) = delete;
    PulseClient &operator=(const PulseClient &) = delete;

    AudioResult<std::vector<HardwareDevice>> devices();
    AudioResult<HardwareDevice> device(quint32 deviceId);
    AudioResult<quint32> defaultInputDeviceId();
    AudioResult<void> setDefaultInputDevice(quint32 deviceId);
    // Waits, at most the timeout, until the server's changes are watched and its current default
    // source is known, so that any later change is reported. A server that is away is not waited for.
    void awaitWatching();

    // Thread-side hooks, public for the C callbacks.
    void handleStateChange();
    void handleServerChange();
    void handleDefaultSource(const char *name);
    void handleListingPart();

private:
    class Locker;
    struct Listing;
    struct Known
    {
        std::optional<std::vector<HardwareDevice>> devices;
        std::optional<QString> defaultSource;
    };

    static constexpr std::chrono::milliseconds reconnectInterval { 2000 };

    AudioResult<void> connectLocked(Clock::time_point deadline);
    AudioResult<void> startConnectLocked();
    void scheduleReconnectLocked();
    void reconnectLocked();
    void dropContextLocked();
    void subscribeLocked();
    void listLocked();
    void forgetLocked();
    Known known() const;
    bool waitLocked(const std::function<bool()> &done, Clock::time_point deadline);
    AudioResult<void> awaitLocked(pa_operation *operation, Clock::time_point deadline);
    AudioError contextError() const;
    AudioError timeoutError() const;
    Clock::time_point deadline() const { return Clock::now() + m_timeout; }

    QString m_server;
    std::chrono::milliseconds m_timeout;
    std::function<void()> m_onDefaultSourceChanged;
    pa_threaded_mainloop *m_loop = nullptr;
    pa_context *m_context = nullptr;
    bool m_watching = false;
    bool m_subscribed = false;
    pa_time_event *m_reconnect = nullptr;
    bool m_defaultSourceKnown = false;
    QString m_defaultSource;
    std::unique_ptr<Listing> m_listing;
    bool m_listAgain = false;
    // Written on the client's thread, read on any: its own lock, so that a read never waits for
    // the client's thread.
    mutable std::mutex m_knownMutex;
    Known m_known;
};
