#pragma once

#include "kit/foundation/files/SandboxURLBookmark.h"
#include "platform/events/AnyPublisher.h"

#include <QIcon>
#include <QString>

#include <optional>

// The application's settings as the recording controller reads and writes
// them. The settings keys belong to the application above this layer, which
// answers through them; each read asks the store afresh.
class RecordingSettings
{
public:
    virtual ~RecordingSettings() = default;

    virtual bool lossless() const = 0;
    virtual bool showDurationInMenuBar() const = 0;
    virtual bool showInFinderAfterSaving() const = 0;
    virtual bool copyRecordingWhenDone() const = 0;
    virtual std::optional<SandboxURLBookmark> defaultOutputDirectory() const = 0;
    virtual void setPreviousRecording(const SandboxURLBookmark &bookmark) = 0;
    virtual void removePreviousRecording() = 0;
    // Whether the input device with this unique identifier is recorded in mono.
    virtual bool forcesMono(const QString &deviceId) const = 0;
    // The untinted image of the chosen status-bar icon style.
    virtual QIcon menuBarIconImage() const = 0;
    virtual bool dimMenuBarIconWhenNotRecording() const = 0;
    virtual std::optional<QString> filenamePrefix() const = 0;
    virtual std::optional<QString> filenameTemplate() const = 0;
    virtual bool monitorInput() const = 0;
    // "Monitor input while recording": the current value at once, then each change, on the
    // thread that made it.
    virtual Events::AnyPublisher<bool> monitorInputPublisher() const = 0;
};
