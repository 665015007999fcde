#include "recording/InputMonitor.h"

#include "recording/AudioErrors.h"
#include "recording/AudioPlatform.h"

#include "kit/foundation/errors/ErrorPresentation.h"
#include "kit/foundation/errors/ErrorReporting.h"
#include "platform/audio/AudioMonitorEngine.h"

InputMonitor::InputMonitor()
{
    start();
    m_restartTimer.setSingleShot(true);
    m_restartTimer.setTimerType(Qt::PreciseTimer);
    m_restartTimer.setInterval(restartDelay);
    connect(&m_restartTimer, &QTimer::timeout, this, &InputMonitor::restartAfterChange);
    // Each change gets its own delayed restart, one after the other.
    m_listener = std::make_unique<AudioListener>([this] {
        ++m_pendingRestarts;
        if (!m_restartTimer.isActive()) {
            m_restartTimer.start();
        }
    });
}

InputMonitor::~InputMonitor()
{
    m_listener.reset();
    m_restartTimer.stop();
    tearDownEngine();
}

void InputMonitor::start()
{
    tearDownEngine();
    m_engine = AudioPlatform::monitorEngineFactory().makeEngine();
    // Every engine is watched, not only the first: each can lose its devices.
    m_engine->setConfigurationChangeHandler([this] {
        // Told later, so that the engine reporting the change is not replaced under its own call.
        QMetaObject::invokeMethod(this, &InputMonitor::restartReportingFailure, Qt::QueuedConnection);
    });
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

void InputMonitor::restartReportingFailure()
{
    try {
        start();
    } catch (const Error &error) {
        presentAsSheet(*reported(error.clone()), nullptr);
    }
}
