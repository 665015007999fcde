#pragma once

#include "recording/RecordingSettings.h"

// The recording controller's settings, read from and written to the settings keys.
class AppRecordingSettings : public RecordingSettings
{
public:
    bool lossless() const override;
    bool showDurationInMenuBar() const override;
    bool showInFinderAfterSaving() const override;
    bool copyRecordingWhenDone() const override;
    std::optional<SandboxURLBookmark> defaultOutputDirectory() const override;
    void setPreviousRecording(const SandboxURLBookmark &bookmark) override;
    void removePreviousRecording() override;
    bool forcesMono(const QString &deviceId) const override;
    QIcon menuBarIconImage() const override;
    bool dimMenuBarIconWhenNotRecording() const override;
    std::optional<QString> filenamePrefix() const override;
    std::optional<QString> filenameTemplate() const override;
    bool monitorInput() const override;
    Events::AnyPublisher<bool> monitorInputPublisher() const override;
};
