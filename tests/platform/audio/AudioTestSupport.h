#pragma once

#include "platform/audio/GstFileRecorder.h"

#include <QProcess>
#include <QString>
#include <QStringList>

#include <atomic>
#include <chrono>
#include <optional>
#include <vector>

#include <gtest/gtest.h>

namespace AudioTest {

// Runs pactl against the test desktop's sound server; returns its trimmed output, or nothing when
// it failed.
std::optional<QString> pactl(const QStringList &arguments);

// Records until the recorder holds `seconds` of audio; false on timeout.
bool recordUntil(AudioFileRecorder &recorder, double seconds);
// A file ends where stop was pressed: at the time reported then, plus at most the capture block
// still on its way in.
testing::AssertionResult endsWhereStopped(double fileSeconds, double reportedAtStop);

// Collects what a recorder reports at its end.
struct EndWatcher
{
    int calls = 0;
    std::optional<bool> finished;
    std::optional<AudioError> error;

    void attach(AudioFileRecorder &recorder);
    bool waitForEnd(std::chrono::milliseconds timeout = std::chrono::seconds(10));
};

// A recorder for `path`, watched by `end`, recording until it holds `seconds`; null, with the test
// failed, when any of it fails.
std::unique_ptr<GstFileRecorder> startRecording(const QString &path, EndWatcher &end, double seconds,
    const FileRecorderSettings &settings = {}, const GstFileRecorder::Options &options = {});

// The mean power in dBFS of the test desktop's tone.
double toneRmsDb();

// Counts the media framework's critical warnings while it exists, each printed: each is a misuse.
class MediaCriticals
{
public:
    MediaCriticals();
    ~MediaCriticals();
    MediaCriticals(const MediaCriticals &) = delete;
    MediaCriticals &operator=(const MediaCriticals &) = delete;

    int count() const { return m_count; }

private:
    std::atomic<int> m_count { 0 };
    unsigned m_handler;
};

// A recorder in a child process (record-child) recording into `path`, killed at the latest when
// this goes.
class RecordingChild
{
public:
    explicit RecordingChild(const QString &path);
    ~RecordingChild();

    bool isRunning() const { return m_child.state() == QProcess::Running; }
    qint64 processId() const { return m_child.processId(); }
    // The recorded seconds it reported last.
    double reported() const { return m_reported; }
    // Waits until it reports `seconds`; false when it ended or took too long.
    bool reaches(double seconds);
    // Kills it (SIGKILL) and returns what it logged.
    QString kill();

private:
    QProcess m_child;
    double m_reported = 0;
};

} // namespace AudioTest
