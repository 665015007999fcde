#include "AudioTestSupport.h"

#include "EventLoop.h"

#include "Pactl.h"
#include "SignalAnalysis.h"
#include "TestDesktop.h"

#include <glib.h>

#include <cmath>
#include <cstdio>
#include <numbers>

namespace AudioTest {

std::optional<QString> pactl(const QStringList &arguments)
{
    const TestSupport::CommandResult result = TestSupport::Pactl::run(arguments);
    return result.succeeded() ? std::optional(result.output.trimmed()) : std::nullopt;
}

double toneRmsDb()
{
    return 20 * std::log10(TestSupport::TestDesktop::toneAmplitude() / std::numbers::sqrt2);
}

bool recordUntil(AudioFileRecorder &recorder, double seconds)
{
    return TestSupport::recordUntil([&] { return recorder.currentTime(); }, seconds);
}

testing::AssertionResult endsWhereStopped(double fileSeconds, double reportedAtStop)
{
    if (fileSeconds >= reportedAtStop - 0.05 && fileSeconds <= reportedAtStop + 0.15) {
        return testing::AssertionSuccess();
    }
    return testing::AssertionFailure()
        << "the file lasts " << fileSeconds << " s, stopped at " << reportedAtStop << " s";
}

MediaCriticals::MediaCriticals()
    : m_handler(g_log_set_handler(
        "GStreamer", G_LOG_LEVEL_CRITICAL,
        [](const gchar *, GLogLevelFlags, const gchar *message, gpointer counter) {
            ++*static_cast<std::atomic<int> *>(counter);
            std::fprintf(stderr, "GStreamer critical: %s\n", message);
        },
        &m_count))
{ }

MediaCriticals::~MediaCriticals()
{
    g_log_remove_handler("GStreamer", m_handler);
}

void EndWatcher::attach(AudioFileRecorder &recorder)
{
    recorder.setFinishedCallback([this](bool successfully) {
        ++calls;
        finished = successfully;
    });
    recorder.setEncodeErrorCallback([this](const AudioError &reported) {
        ++calls;
        error = reported;
    });
}

bool EndWatcher::waitForEnd(std::chrono::milliseconds timeout)
{
    return TestSupport::processEventsUntil([this] { return calls > 0; }, timeout);
}

std::unique_ptr<GstFileRecorder> startRecording(const QString &path, EndWatcher &end, double seconds,
    const FileRecorderSettings &settings, const GstFileRecorder::Options &options)
{
    auto made = GstFileRecorder::create(path, settings, options);
    if (!made) {
        ADD_FAILURE() << made.error().message.toStdString();
        return nullptr;
    }
    end.attach(*made.value());
    if (!made.value()->record() || !recordUntil(*made.value(), seconds)) {
        ADD_FAILURE() << "the recording did not start";
        return nullptr;
    }
    return std::move(made).value();
}

RecordingChild::RecordingChild(const QString &path)
{
    m_child.start(QStringLiteral(TAPEWICK_RECORD_CHILD), { path });
    m_child.waitForStarted(5000);
}

RecordingChild::~RecordingChild()
{
    kill();
}

bool RecordingChild::reaches(double seconds)
{
    TestSupport::processEventsUntil(
        [&] {
            m_child.waitForReadyRead(20);
            while (m_child.canReadLine()) {
                m_reported = m_child.readLine().trimmed().toDouble();
            }
            return m_reported >= seconds || !isRunning();
        },
        std::chrono::seconds(20));
    return m_reported >= seconds && isRunning();
}

QString RecordingChild::kill()
{
    if (m_child.state() != QProcess::NotRunning) {
        m_child.kill();
        m_child.waitForFinished(5000);
    }
    return QString::fromLocal8Bit(m_child.readAllStandardError());
}

} // namespace AudioTest
