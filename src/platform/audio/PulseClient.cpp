#include "platform/audio/PulseClient.h"

#include "platform/audio/PulseProperties.h"

#include <QCoreApplication>

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <utility>

namespace {

const char *serverText(const QByteArray &server)
{
    return server.isEmpty() ? nullptr : server.constData();
}

QString property(const pa_proplist *properties, const char *key)
{
    const char *value = pa_proplist_gets(properties, key);
    return value ? QString::fromUtf8(value) : QString();
}

quint32 transportOf(const pa_proplist *properties, const char *driver)
{
    QString formFactor = property(properties, PA_PROP_DEVICE_FORM_FACTOR);
    if (formFactor.isEmpty()) {
        formFactor = property(properties, "device.form-factor");
    }
    return transportCodeFor(
        { property(properties, PA_PROP_DEVICE_BUS), formFactor, property(properties, PA_PROP_DEVICE_API),
            property(properties, PA_PROP_DEVICE_CLASS), driver ? QString::fromUtf8(driver) : QString(),
            property(properties, "factory.name"), property(properties, "node.virtual") });
}

struct DeviceQuery
{
    pa_threaded_mainloop *loop = nullptr;
    std::vector<HardwareDevice> devices;
    int error = 0;
    bool monitorSkipped = false;
    // How the server describes the last monitor skipped, for the user to know it by.
    QString skippedMonitor = {};
    // A listing in the background is told of its end; else the waiting caller is woken.
    PulseClient *listingClient = nullptr;
};

// The query may be gone once this returns.
void finish(DeviceQuery *query)
{
    if (query->listingClient) {
        query->listingClient->handleListingPart();
    } else {
        pa_threaded_mainloop_signal(query->loop, 0);
    }
}

// What sources and sinks describe alike.
template<class Info>
HardwareDevice deviceFrom(const Info &info, quint32 deviceId)
{
    HardwareDevice device;
    device.deviceId = deviceId;
    device.uid = QString::fromUtf8(info.name);
    device.name = QString::fromUtf8(info.description ? info.description : info.name);
    device.transportType = transportOf(info.proplist, info.driver);
    return device;
}

void collectSource(pa_context *context, const pa_source_info *info, int eol, void *userdata)
{
    auto *query = static_cast<DeviceQuery *>(userdata);
    if (eol < 0) {
        query->error = pa_context_errno(context);
    } else if (eol == 0 && info) {
        // A sink's monitor is a way to hear the sink, not an input the user plugged in.
        if (info->monitor_of_sink != PA_INVALID_INDEX) {
            query->monitorSkipped = true;
            query->skippedMonitor = deviceFrom(*info, info->index).name;
            return;
        }
        HardwareDevice device = deviceFrom(*info, info->index);
        device.isInput = true;
        device.inputChannelCount = info->sample_spec.channels;
        query->devices.push_back(std::move(device));
        return;
    }
    finish(query);
}

void collectSink(pa_context *context, const pa_sink_info *info, int eol, void *userdata)
{
    auto *query = static_cast<DeviceQuery *>(userdata);
    if (eol < 0) {
        query->error = pa_context_errno(context);
    } else if (eol == 0 && info) {
        HardwareDevice device = deviceFrom(*info, info->index | HardwareDevice::outputIdFlag);
        device.isOutput = true;
        device.outputChannelCount = info->sample_spec.channels;
        query->devices.push_back(std::move(device));
        return;
    }
    finish(query);
}

struct ServerQuery
{
    pa_threaded_mainloop *loop = nullptr;
    QString defaultSource;
    bool hasDefaultSource = false;
};

void collectServer(pa_context *, const pa_server_info *info, void *userdata)
{
    auto *query = static_cast<ServerQuery *>(userdata);
    if (info && info->default_source_name) {
        query->defaultSource = QString::fromUtf8(info->default_source_name);
        query->hasDefaultSource = true;
    }
    pa_threaded_mainloop_signal(query->loop, 0);
}

struct SuccessQuery
{
    pa_threaded_mainloop *loop = nullptr;
    int error = 0;
};

void collectSuccess(pa_context *context, int success, void *userdata)
{
    auto *query = static_cast<SuccessQuery *>(userdata);
    if (!success) {
        query->error = pa_context_errno(context);
    }
    pa_threaded_mainloop_signal(query->loop, 0);
}

AudioError serverError(int code, const QString &message)
{
    return { AudioError::Domain::soundServer, code, message };
}

AudioError deviceGone(const QString &message)
{
    AudioError error = serverError(PA_ERR_NOENTITY, message);
    error.deviceGone = true;
    return error;
}

AudioError noSuchDevice()
{
    return deviceGone(QStringLiteral("The audio device does not exist."));
}

std::optional<HardwareDevice> findDevice(
    const std::vector<HardwareDevice> &devices, const std::function<bool(const HardwareDevice &)> &match)
{
    const auto found = std::find_if(devices.begin(), devices.end(), match);
    return found == devices.end() ? std::nullopt : std::optional(*found);
}

} // namespace

// Both lists are asked for at once; the later answer completes the listing.
struct PulseClient::Listing
{
    DeviceQuery sources;
    DeviceQuery sinks;
    std::vector<pa_operation *> operations;
    int left = 2;

    ~Listing()
    {
        for (pa_operation *operation : operations) {
            if (pa_operation_get_state(operation) == PA_OPERATION_RUNNING) {
                pa_operation_cancel(operation);
            }
            pa_operation_unref(operation);
        }
    }
};

class PulseClient::Locker
{
public:
    explicit Locker(pa_threaded_mainloop *loop)
        : m_loop(loop)
    {
        pa_threaded_mainloop_lock(m_loop);
    }
    ~Locker() { pa_threaded_mainloop_unlock(m_loop); }
    Locker(const Locker &) = delete;
    Locker &operator=(const Locker &) = delete;

private:
    pa_threaded_mainloop *m_loop;
};

PulseClient::PulseClient(
    QString server, std::chrono::milliseconds timeout, std::function<void()> onDefaultSourceChanged)
    : m_server(std::move(server))
    , m_timeout(timeout)
    , m_onDefaultSourceChanged(std::move(onDefaultSourceChanged))
    , m_loop(pa_threaded_mainloop_new())
{
    pa_threaded_mainloop_set_name(m_loop, "tapewick-pulse");
    pa_threaded_mainloop_start(m_loop);
    Locker lock(m_loop);
    m_watching = true;
    if (!startConnectLocked()) {
        scheduleReconnectLocked();
    }
}

PulseClient::~PulseClient()
{
    {
        Locker lock(m_loop);
        m_watching = false;
        if (m_reconnect) {
            pa_mainloop_api *api = pa_threaded_mainloop_get_api(m_loop);
            api->time_free(std::exchange(m_reconnect, nullptr));
        }
        dropContextLocked();
    }
    pa_threaded_mainloop_stop(m_loop);
    pa_threaded_mainloop_free(m_loop);
}

AudioError PulseClient::contextError() const
{
    const int code = m_context ? pa_context_errno(m_context) : PA_ERR_CONNECTIONREFUSED;
    AudioError error = serverError(code ? code : PA_ERR_UNKNOWN,
        QStringLiteral("The sound server failed: %1").arg(QString::fromUtf8(pa_strerror(code))));
    // A refused connection is a socket nobody listens on; a terminated one, a server that went.
    error.serverNotRunning = code == PA_ERR_CONNECTIONREFUSED || code == PA_ERR_CONNECTIONTERMINATED;
    return error;
}

AudioError PulseClient::timeoutError() const
{
    return serverError(PA_ERR_TIMEOUT,
        QStringLiteral("The sound server did not answer within %1 ms.").arg(m_timeout.count()));
}

bool PulseClient::waitLocked(const std::function<bool()> &done, Clock::time_point deadline)
{
    pa_mainloop_api *api = pa_threaded_mainloop_get_api(m_loop);
    while (!done()) {
        const auto now = Clock::now();
        if (now >= deadline) {
            return false;
        }
        // pa_threaded_mainloop_wait has no timeout of its own: a timer event wakes us instead.
        const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - now);
        timeval when {};
        pa_timeval_add(pa_gettimeofday(&when), pa_usec_t(left.count()) + 1);
        pa_time_event *wake = api->time_new(
            api, &when,
            [](pa_mainloop_api *, pa_time_event *, const timeval *, void *loop) {
                pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop *>(loop), 0);
            },
            m_loop);
        pa_threaded_mainloop_wait(m_loop);
        api->time_free(wake);
    }
    return true;
}

void PulseClient::dropContextLocked()
{
    if (!m_context) {
        return;
    }
    pa_context_set_state_callback(m_context, nullptr, nullptr);
    pa_context_set_subscribe_callback(m_context, nullptr, nullptr);
    pa_context_disconnect(m_context);
    pa_context_unref(m_context);
    m_context = nullptr;
    m_subscribed = false;
    forgetLocked();
}

void PulseClient::forgetLocked()
{
    m_listing.reset();
    m_listAgain = false;
    std::lock_guard known(m_knownMutex);
    m_known = {};
}

PulseClient::Known PulseClient::known() const
{
    std::lock_guard known(m_knownMutex);
    return m_known;
}

AudioResult<void> PulseClient::startConnectLocked()
{
    const QByteArray name = QCoreApplication::applicationName().isEmpty()
        ? QByteArrayLiteral("Tapewick")
        : QCoreApplication::applicationName().toUtf8();
    m_context = pa_context_new(pa_threaded_mainloop_get_api(m_loop), name.constData());
    if (!m_context) {
        return serverError(PA_ERR_INTERNAL, QStringLiteral("Cannot create a sound server connection."));
    }
    pa_context_set_state_callback(
        m_context,
        [](pa_context *, void *client) { static_cast<PulseClient *>(client)->handleStateChange(); }, this);
    const QByteArray server = m_server.toUtf8();
    if (pa_context_connect(m_context, serverText(server), PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        const AudioError error = contextError();
        dropContextLocked();
        return error;
    }
    return {};
}

void PulseClient::handleStateChange()
{
    pa_threaded_mainloop_signal(m_loop, 0);
    const pa_context_state_t state = pa_context_get_state(m_context);
    if (state == PA_CONTEXT_READY && m_watching && !m_subscribed) {
        subscribeLocked();
    } else if (!PA_CONTEXT_IS_GOOD(state)) {
        forgetLocked();
        if (m_watching) {
            scheduleReconnectLocked();
        }
    }
}

void PulseClient::scheduleReconnectLocked()
{
    if (m_reconnect) {
        return;
    }
    // A restarted server (or one back from being stuck) gets the watch again without anyone
    // having to read something first.
    pa_mainloop_api *api = pa_threaded_mainloop_get_api(m_loop);
    timeval when {};
    pa_timeval_add(pa_gettimeofday(&when), pa_usec_t(reconnectInterval.count()) * 1000);
    m_reconnect = api->time_new(
        api, &when,
        [](pa_mainloop_api *api, pa_time_event *event, const timeval *, void *data) {
            auto *client = static_cast<PulseClient *>(data);
            api->time_free(event);
            client->m_reconnect = nullptr;
            client->reconnectLocked();
        },
        this);
}

void PulseClient::reconnectLocked()
{
    if (!m_watching || (m_context && PA_CONTEXT_IS_GOOD(pa_context_get_state(m_context)))) {
        return;
    }
    dropContextLocked();
    if (!startConnectLocked()) {
        scheduleReconnectLocked();
    }
}

AudioResult<void> PulseClient::connectLocked(Clock::time_point deadline)
{
    if (m_context && !PA_CONTEXT_IS_GOOD(pa_context_get_state(m_context))) {
        dropContextLocked();
    }
    if (m_context && pa_context_get_state(m_context) == PA_CONTEXT_READY) {
        return {};
    }
    // A connection already on its way (a reconnect) is waited for rather than replaced.
    if (!m_context) {
        if (auto started = startConnectLocked(); !started) {
            if (m_watching) {
                scheduleReconnectLocked();
            }
            return started.error();
        }
    }
    const bool settled = waitLocked(
        [this] {
            const pa_context_state_t state = pa_context_get_state(m_context);
            return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
        },
        deadline);
    if (!settled) {
        dropContextLocked();
        if (m_watching) {
            scheduleReconnectLocked();
        }
        return timeoutError();
    }
    if (pa_context_get_state(m_context) != PA_CONTEXT_READY) {
        const AudioError error = contextError();
        dropContextLocked();
        return error;
    }
    return {};
}

void PulseClient::subscribeLocked()
{
    pa_context_set_subscribe_callback(
        m_context,
        [](pa_context *, pa_subscription_event_type_t type, uint32_t, void *data) {
            auto *client = static_cast<PulseClient *>(data);
            switch (type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK) {
            case PA_SUBSCRIPTION_EVENT_SERVER:
                client->handleServerChange();
                break;
            case PA_SUBSCRIPTION_EVENT_SOURCE:
            case PA_SUBSCRIPTION_EVENT_SINK:
                client->listLocked();
                break;
            default:
                break;
            }
        },
        this);
    m_subscribed = true;
    const auto mask = pa_subscription_mask_t(
        PA_SUBSCRIPTION_MASK_SERVER | PA_SUBSCRIPTION_MASK_SOURCE | PA_SUBSCRIPTION_MASK_SINK);
    if (pa_operation *operation = pa_context_subscribe(m_context, mask, nullptr, nullptr)) {
        pa_operation_unref(operation);
    }
    listLocked();
    // The current default is the baseline: only later differences are changes.
    handleServerChange();
}

void PulseClient::listLocked()
{
    // Changes come in bursts (a card brings several devices): one listing at a time, and one
    // more after it when anything changed meanwhile.
    if (m_listing) {
        m_listAgain = true;
        return;
    }
    auto listing = std::make_unique<Listing>();
    listing->sources.listingClient = this;
    listing->sinks.listingClient = this;
    pa_operation *sources = pa_context_get_source_info_list(m_context, collectSource, &listing->sources);
    pa_operation *sinks = pa_context_get_sink_info_list(m_context, collectSink, &listing->sinks);
    for (pa_operation *operation : { sources, sinks }) {
        if (operation) {
            listing->operations.push_back(operation);
        }
    }
    // A request that could not go out means a failing connection, which forgets everything anyway.
    if (listing->operations.size() == 2) {
        m_listing = std::move(listing);
    }
}

void PulseClient::handleListingPart()
{
    if (!m_listing || --m_listing->left > 0) {
        return;
    }
    const std::unique_ptr<Listing> listing = std::move(m_listing);
    if (!listing->sources.error && !listing->sinks.error) {
        std::vector<HardwareDevice> all = std::move(listing->sources.devices);
        all.insert(all.end(), listing->sinks.devices.begin(), listing->sinks.devices.end());
        std::lock_guard known(m_knownMutex);
        m_known.devices = std::move(all);
    }
    if (std::exchange(m_listAgain, false)) {
        listLocked();
    }
}

void PulseClient::handleServerChange()
{
    // The server reports one kind of event for every server-wide setting; asking for the default
    // source tells a change of it apart from, say, a new default sink.
    pa_operation *operation = pa_context_get_server_info(
        m_context,
        [](pa_context *, const pa_server_info *info, void *client) {
            if (info) {
                static_cast<PulseClient *>(client)->handleDefaultSource(info->default_source_name);
            }
        },
        this);
    if (operation) {
        pa_operation_unref(operation);
    }
}

void PulseClient::handleDefaultSource(const char *name)
{
    const QString current = name ? QString::fromUtf8(name) : QString();
    const bool changed = m_defaultSourceKnown && current != m_defaultSource;
    m_defaultSource = current;
    m_defaultSourceKnown = true;
    {
        std::lock_guard known(m_knownMutex);
        m_known.defaultSource = current;
    }
    pa_threaded_mainloop_signal(m_loop, 0);
    if (changed && m_onDefaultSourceChanged) {
        m_onDefaultSourceChanged();
    }
}

void PulseClient::awaitWatching()
{
    Locker lock(m_loop);
    // The baseline is asked for right after subscribing, so once it is known the subscription
    // stands too. The known default is forgotten with each connection.
    waitLocked(
        [this] {
            return !m_context || !PA_CONTEXT_IS_GOOD(pa_context_get_state(m_context))
                || known().defaultSource.has_value();
        },
        deadline());
}

AudioResult<void> PulseClient::awaitLocked(pa_operation *operation, Clock::time_point deadline)
{
    if (!operation) {
        return contextError();
    }
    const bool finished = waitLocked(
        [&] {
            return pa_operation_get_state(operation) != PA_OPERATION_RUNNING
                || !PA_CONTEXT_IS_GOOD(pa_context_get_state(m_context));
        },
        deadline);
    const pa_operation_state_t state = pa_operation_get_state(operation);
    if (state == PA_OPERATION_RUNNING) {
        // Cancelling guarantees the callback never touches the caller's (stack) state later.
        pa_operation_cancel(operation);
    }
    pa_operation_unref(operation);
    if (!finished) {
        dropContextLocked();
        if (m_watching) {
            scheduleReconnectLocked();
        }
        return timeoutError();
    }
    if (state != PA_OPERATION_DONE) {
        return contextError();
    }
    return {};
}

AudioResult<std::vector<HardwareDevice>> PulseClient::devices()
{
    if (auto devices = known().devices) {
        return std::move(*devices);
    }
    Locker lock(m_loop);
    const auto until = deadline();
    if (auto connected = connectLocked(until); !connected) {
        return connected.error();
    }
    DeviceQuery sources { m_loop, {}, 0, false };
    DeviceQuery sinks { m_loop, {}, 0, false };
    // Both requests go out before waiting, so the list costs one round trip.
    pa_operation *sourceOperation = pa_context_get_source_info_list(m_context, collectSource, &sources);
    pa_operation *sinkOperation = pa_context_get_sink_info_list(m_context, collectSink, &sinks);
    const auto sourcesDone = awaitLocked(sourceOperation, until);
    if (!sourcesDone) {
        if (sinkOperation) {
            if (pa_operation_get_state(sinkOperation) == PA_OPERATION_RUNNING) {
                pa_operation_cancel(sinkOperation);
            }
            pa_operation_unref(sinkOperation);
        }
        return sourcesDone.error();
    }
    if (auto sinksDone = awaitLocked(sinkOperation, until); !sinksDone) {
        return sinksDone.error();
    }
    for (const DeviceQuery *query : { &sources, &sinks }) {
        if (query->error) {
            return serverError(query->error, QString::fromUtf8(pa_strerror(query->error)));
        }
    }
    std::vector<HardwareDevice> all = std::move(sources.devices);
    all.insert(all.end(), sinks.devices.begin(), sinks.devices.end());
    return all;
}

AudioResult<HardwareDevice> PulseClient::device(quint32 deviceId)
{
    // A device not (yet) known is asked for: it may have come since the last listing.
    if (const auto devices = known().devices) {
        if (auto found
            = findDevice(*devices, [&](const HardwareDevice &d) { return d.deviceId == deviceId; })) {
            return *found;
        }
    }
    Locker lock(m_loop);
    const auto until = deadline();
    if (auto connected = connectLocked(until); !connected) {
        return connected.error();
    }
    DeviceQuery query { m_loop, {}, 0, false };
    const bool isOutput = deviceId & HardwareDevice::outputIdFlag;
    const quint32 index = deviceId & ~HardwareDevice::outputIdFlag;
    pa_operation *operation = isOutput
        ? pa_context_get_sink_info_by_index(m_context, index, collectSink, &query)
        : pa_context_get_source_info_by_index(m_context, index, collectSource, &query);
    if (auto done = awaitLocked(operation, until); !done) {
        return done.error();
    }
    if (query.error == PA_ERR_NOENTITY || query.devices.empty()) {
        return noSuchDevice();
    }
    if (query.error) {
        return serverError(query.error, QString::fromUtf8(pa_strerror(query.error)));
    }
    return query.devices.front();
}

AudioResult<quint32> PulseClient::defaultInputDeviceId()
{
    if (const Known state = known(); state.devices && state.defaultSource) {
        if (const auto found = findDevice(*state.devices,
                [&](const HardwareDevice &d) { return d.isInput && d.uid == *state.defaultSource; })) {
            return found->deviceId;
        }
    }
    Locker lock(m_loop);
    const auto until = deadline();
    if (auto connected = connectLocked(until); !connected) {
        return connected.error();
    }
    ServerQuery server { m_loop, {}, false };
    if (auto done = awaitLocked(pa_context_get_server_info(m_context, collectServer, &server), until);
        !done) {
        return done.error();
    }
    // Without an input device the server has no default input or makes an output's monitor one.
    if (!server.hasDefaultSource) {
        return deviceGone(QStringLiteral("There is no default input device."));
    }
    DeviceQuery query { m_loop, {}, 0, false };
    const QByteArray name = server.defaultSource.toUtf8();
    if (auto done = awaitLocked(
            pa_context_get_source_info_by_name(m_context, name.constData(), collectSource, &query), until);
        !done) {
        return done.error();
    }
    if (query.error && query.error != PA_ERR_NOENTITY) {
        return serverError(query.error, QString::fromUtf8(pa_strerror(query.error)));
    }
    if (query.devices.empty()) {
        // A monitor's own name is the server's; its description is what sound settings show.
        AudioError error
            = deviceGone(QStringLiteral("The default input \"%1\" is not an input device.")
                             .arg(query.monitorSkipped ? query.skippedMonitor : server.defaultSource));
        error.outputMonitor = query.monitorSkipped;
        return error;
    }
    return query.devices.front().deviceId;
}

AudioResult<void> PulseClient::setDefaultInputDevice(quint32 deviceId)
{
    if (deviceId & HardwareDevice::outputIdFlag) {
        return noSuchDevice();
    }
    Locker lock(m_loop);
    const auto until = deadline();
    if (auto connected = connectLocked(until); !connected) {
        return connected.error();
    }
    DeviceQuery query { m_loop, {}, 0, false };
    if (auto done
        = awaitLocked(pa_context_get_source_info_by_index(m_context, deviceId, collectSource, &query), until);
        !done) {
        return done.error();
    }
    if (query.devices.empty()) {
        return noSuchDevice();
    }
    const QByteArray name = query.devices.front().uid.toUtf8();
    SuccessQuery set { m_loop, 0 };
    if (auto done = awaitLocked(
            pa_context_set_default_source(m_context, name.constData(), collectSuccess, &set), until);
        !done) {
        return done.error();
    }
    if (set.error) {
        return serverError(set.error, QString::fromUtf8(pa_strerror(set.error)));
    }
    // The server's own report of the change comes a moment later; a read before it sees the change.
    std::lock_guard known(m_knownMutex);
    if (m_known.defaultSource) {
        m_known.defaultSource = QString::fromUtf8(name);
    }
    return {};
}
