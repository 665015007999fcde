#include "recording/InputMonitor.h"

#include "platform/events/MainThread.h"

#include "recording/AudioErrors.h"
#include "recording/AudioPlatform.h"

#include "kit/foundation/errors/ErrorPresentation.h"
#include "kit/foundation/errors/ErrorReporting.h"
#include "platform/audio/AudioHardware.h"
#include "platform/audio/AudioMonitorEngine.h"

#include <QLoggingCategory>

#include <algorithm>
#include <optional>

namespace {

Q_LOGGING_CATEGORY(monitorLog, "tapewick.monitor", QtInfoMsg)

// What the sound server answers when its default input is no input device: there is none, or it
// is an output's monitor. A server that cannot be asked is no such answer; the engine's start then
// fails, or is retried, as it would anyway.
std::optional<AudioError> missingInput()
{
    const AudioResult<quint32> input = AudioPlatform::hardware().defaultInputDeviceId();
    if (input || !input.error().deviceGone) {
        return std::nullopt;
    }
    return input.error();
}

} // namespace

InputMonitor::InputMonitor()
{
    ASSERT_MAIN_THREAD();
    if (const std::optional<AudioError> missing = missingInput()) {
        throw AudioErrors::hardwareError(*missing);
    }
    start();
    m_restartTimer.setSingleShot(true);
    m_restartTimer.setTimerType(Qt::PreciseTimer);
    m_restartTimer.setInterval(restartDelay);
    connect(&m_restartTimer, &QTimer::timeout, this, &InputMonitor::restartAfterChange);
    m_recoveryTimer.setSingleShot(true);
    connect(&m_recoveryTimer, &QTimer::timeout, this, &InputMonitor::restartReportingFailure);
    // Each change gets its own delayed restart, one after the other.
    m_listener = std::make_unique<AudioListener>([this] {
        // Another device may well work: losses so far say nothing about it.
        m_recoveryDelay = firstRecoveryDelay;
        ++m_pendingRestarts;
        if (!m_restartTimer.isActive()) {
            m_restartTimer.start();
        }
    });
}

InputMonitor::~InputMonitor()
{
    ASSERT_MAIN_THREAD();
    m_listener.reset();
    m_restartTimer.stop();
    tearDownEngine();
}

void InputMonitor::start()
{
    ASSERT_MAIN_THREAD();
    tearDownEngine();
    m_engine = AudioPlatform::monitorEngineFactory().makeEngine();
    // Every engine is watched, not only the first: each can lose its devices.
    m_engine->setConfigurationChangeHandler([this] {
        // Told later, so that the engine reporting the change is not replaced under its own call.
        QMetaObject::invokeMethod(this, &InputMonitor::engineChanged, Qt::QueuedConnection);
    });
    m_recoveryTimer.stop();
    m_sinceStart.start();
    const AudioResult<void> started = m_engine->start();
    if (started) {
        return;
    }
    const NSError error = AudioErrors::monitorStartError(started.error());
    if (error.code() == AudioErrors::failedInitialization) {
        (void)reported(error, { { QStringLiteral("wasIgnored"), true } });
        return;
    }
    throw error;
}

void InputMonitor::tearDownEngine()
{
    if (auto engine = std::move(m_engine)) {
        engine->setConfigurationChangeHandler({});
        engine->stop();
    }
}

void InputMonitor::restartAfterChange()
{
    --m_pendingRestarts;
    restartReportingFailure();
    if (m_pendingRestarts > 0) {
        m_restartTimer.start();
    }
}

void InputMonitor::engineChanged()
{
    if (m_lostInput) {
        return;
    }
    if (m_engine && m_engine->isRunning()) {
        // Its devices moved: follow them at once.
        restartReportingFailure();
        return;
    }
    if (m_recoveryTimer.isActive()) {
        return;
    }
    // An engine that ran for a good while before it was lost is not part of a failing streak.
    if (m_sinceStart.isValid() && m_sinceStart.elapsed() >= longestRecoveryDelay.count()) {
        m_recoveryDelay = firstRecoveryDelay;
    }
    m_recoveryTimer.start(m_recoveryDelay);
    m_recoveryDelay = std::min(m_recoveryDelay * 2, longestRecoveryDelay);
}

void InputMonitor::restartReportingFailure()
{
    if (m_lostInput) {
        return;
    }
    if (const std::optional<AudioError> missing = missingInput()) {
        loseInput(missing->message);
        return;
    }
    try {
        start();
    } catch (const Error &error) {
        presentAsSheet(*reported(error.clone()), nullptr);
    }
}

void InputMonitor::loseInput(const QString &reason)
{
    qCInfo(monitorLog) << "Input monitoring ends, no input device is left:" << reason;
    m_lostInput = true;
    m_listener.reset();
    m_restartTimer.stop();
    m_pendingRestarts = 0;
    m_recoveryTimer.stop();
    tearDownEngine();
    QMetaObject::invokeMethod(this, &InputMonitor::inputLost, Qt::QueuedConnection);
}
