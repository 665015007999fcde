#pragma once

#include "platform/audio/AudioFileRecorder.h"
#include "platform/audio/GstSupport.h"

#include <chrono>
#include <memory>
#include <vector>

class RecordingSession;

// AudioFileRecorder over a GStreamer pipeline: the sound server's default source at the start,
// converted to the requested rate and channels, metered, then AAC in a crash-safe fragmented M4A or 16-bit
// PCM WAV.
class GstFileRecorder final : public AudioFileRecorder
{
public:
    // The audio a WAV file can hold: its header counts bytes in 32 bits, and past that the encoder
    // wraps the count, leaving a file that reads as a few seconds. About 6 h 12 min at 48 kHz
    // stereo; a recording that gets there ends by itself.
    static constexpr quint64 wavDataLimit = 0xFFFFFFFFull - 1024 * 1024;

    struct Options
    {
        QString server; // empty: the user's default sound server
        std::chrono::milliseconds finishTimeout { 10000 };
        quint64 wavDataLimit = GstFileRecorder::wavDataLimit;
    };

    // What a recording captures: a named device, so that no server's memory of an earlier stream
    // picks another, at that device's own channel count, so that mixing down is the pipeline's
    // and sounds alike on every server. Empty or zero leaves the choice to the server.
    struct Capture
    {
        QString device;
        int channels = 0;
    };

    static AudioResult<std::unique_ptr<GstFileRecorder>> create(
        const QString &location, const FileRecorderSettings &settings);
    static AudioResult<std::unique_ptr<GstFileRecorder>> create(
        const QString &location, const FileRecorderSettings &settings, const Options &options);
    // The pipeline a recorder runs, element by element.
    static AudioResult<std::vector<GstSupport::Stage>> stages(
        const QString &location, const FileRecorderSettings &settings, const QString &server = {});
    static AudioResult<std::vector<GstSupport::Stage>> stages(const QString &location,
        const FileRecorderSettings &settings, const QString &server, const Capture &capture);

    ~GstFileRecorder() override;

    QString location() const override;
    FileRecorderSettings settings() const override;
    bool record() override;
    void pause() override;
    void stop() override;
    bool isRecording() const override;
    double currentTime() const override;
    double writtenTime() const override;
    void updateMeters() override;
    double averagePower(int channel) const override;
    bool deleteRecording() override;
    void setFinishedCallback(FinishedCallback callback) override;
    void setEncodeErrorCallback(EncodeErrorCallback callback) override;

private:
    explicit GstFileRecorder(std::shared_ptr<RecordingSession> session);

    // Shared so that a stopped recording can finish after the recorder object is gone.
    std::shared_ptr<RecordingSession> m_session;
};

class GstFileRecorderFactory final : public AudioFileRecorderFactory
{
public:
    GstFileRecorderFactory();
    explicit GstFileRecorderFactory(GstFileRecorder::Options options);

    AudioResult<std::unique_ptr<AudioFileRecorder>> makeRecorder(
        const QString &location, const FileRecorderSettings &settings) override;

private:
    GstFileRecorder::Options m_options;
};
