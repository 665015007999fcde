#pragma once

#include "recording/AudioListener.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <memory>

class AudioMonitorEngine;

// Plays the system's default input on its default output for as long as the object lives.
// It rebuilds its engine 0.1 s after every change of the default input, one rebuild per change,
// and whenever the engine's devices change under it. It never plays an output's own sound, which
// the sound server makes the default input once no input device is left: that would feed the
// output back into itself. GUI thread only.
class InputMonitor : public QObject
{
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds restartDelay { 100 };
    // An engine that lost its devices is rebuilt after a wait that doubles with every loss in a
    // row, so a source that keeps refusing streams is not retried in a tight loop.
    static constexpr std::chrono::milliseconds firstRecoveryDelay { 250 };
    static constexpr std::chrono::milliseconds longestRecoveryDelay { 30000 };

    // Starts monitoring; throws the start's error, or the sound server's answer when the default
    // input is no input device. A start that fails only because the devices could not be brought
    // up is reported and ignored: the monitor exists and the next change tries again.
    InputMonitor();
    ~InputMonitor() override;

    // The engine of the latest start, running or not; for inspection.
    AudioMonitorEngine *engine() const { return m_engine.get(); }
    bool hasLostInput() const { return m_lostInput; }

signals:
    // The default input is no input device any more: the monitor has stopped for good and follows
    // no change. Sent from the event loop, so that the owner may release the monitor there.
    void inputLost();

private:
    // Replaces the engine with a new, started one; throws like the constructor.
    void start();
    void tearDownEngine();
    void restartAfterChange();
    void restartReportingFailure();
    void engineChanged();
    void loseInput(const QString &reason);

    std::unique_ptr<AudioMonitorEngine> m_engine;
    QTimer m_restartTimer;
    int m_pendingRestarts = 0;
    QTimer m_recoveryTimer;
    std::chrono::milliseconds m_recoveryDelay = firstRecoveryDelay;
    QElapsedTimer m_sinceStart;
    std::unique_ptr<AudioListener> m_listener;
    bool m_lostInput = false;
};
