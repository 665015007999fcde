#pragma once

#include "platform/audio/AudioError.h"
#include "platform/audio/FourCharCode.h"

#include <QString>

#include <functional>
#include <memory>

// What a recording is encoded as.
struct FileRecorderSettings
{
    quint32 formatId = AudioFormatId::aac; // AudioFormatId::aac or AudioFormatId::linearPcm
    int quality = 96; // taken and kept; the encoder has no quality knob
    int channels = 2; // 1 or 2
    int bitRate = 256000; // bits per second; AAC only
    int sampleRate = 48000;

    friend bool operator==(const FileRecorderSettings &, const FileRecorderSettings &) = default;
};

// Records the default input device into one file. Callbacks run on the GUI thread, at most one of
// them once per recording, and never once the recorder object is released: a file still being
// finished then is completed without telling anyone.
class AudioFileRecorder
{
public:
    using FinishedCallback = std::function<void(bool successfully)>;
    using EncodeErrorCallback = std::function<void(const AudioError &error)>;

    virtual ~AudioFileRecorder() = default;

    virtual QString location() const = 0;
    virtual FileRecorderSettings settings() const = 0;
    // Starts or resumes; answers whether audio is being recorded now.
    virtual bool record() = 0;
    virtual void pause() = 0;
    // Finishes the file in the background; the finished callback follows once it is complete.
    virtual void stop() = 0;
    virtual bool isRecording() const = 0;
    // Seconds of audio in the file so far, pauses excluded.
    virtual double currentTime() const = 0;
    // Seconds of audio handed on to be written so far, counted by the sample whatever the audio's
    // timestamps say: what the file holds once finished. Zero only when no audio reached the file.
    virtual double writtenTime() const = 0;
    virtual void updateMeters() = 0;
    // The mean power of the channel in dBFS at the last updateMeters(), -160 for silence.
    virtual double averagePower(int channel) const = 0;
    // Stops without a callback and removes the file; answers whether it is gone.
    virtual bool deleteRecording() = 0;

    virtual void setFinishedCallback(FinishedCallback callback) = 0;
    virtual void setEncodeErrorCallback(EncodeErrorCallback callback) = 0;
};

// Creates recorders; creation fails when the file or the encoding cannot be set up.
class AudioFileRecorderFactory
{
public:
    virtual ~AudioFileRecorderFactory() = default;
    virtual AudioResult<std::unique_ptr<AudioFileRecorder>> makeRecorder(
        const QString &location, const FileRecorderSettings &settings)
        = 0;
};
