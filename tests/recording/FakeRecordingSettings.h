#pragma once

#include "recording/RecordingSettings.h"

#include "platform/events/CurrentValueSubject.h"

#include <QPixmap>

#include <set>

// Settings held in memory, as a test sets them.
class FakeRecordingSettings : public RecordingSettings
{
public:
    bool losslessValue = false;
    bool showDuration = false;
    bool showInFinder = true;
    bool copyWhenDone = false;
    std::optional<SandboxURLBookmark> outputDirectory;
    std::optional<SandboxURLBookmark> previous;
    std::set<QString> mono;
    QIcon icon;
    bool dim = false;
    std::optional<QString> prefix;
    std::optional<QString> dateTemplate;
    Events::CurrentValueSubject<bool> monitor { false };

    FakeRecordingSettings()
    {
        QPixmap pixmap(14, 14);
        pixmap.fill(Qt::black);
        icon = QIcon(pixmap);
        icon.setIsMask(true);
    }

    bool lossless() const override { return losslessValue; }
    bool showDurationInMenuBar() const override { return showDuration; }
    bool showInFinderAfterSaving() const override { return showInFinder; }
    bool copyRecordingWhenDone() const override { return copyWhenDone; }
    std::optional<SandboxURLBookmark> defaultOutputDirectory() const override { return outputDirectory; }
    void setPreviousRecording(const SandboxURLBookmark &bookmark) override { previous = bookmark; }
    void removePreviousRecording() override { previous.reset(); }
    bool forcesMono(const QString &deviceId) const override { return mono.contains(deviceId); }
    QIcon menuBarIconImage() const override { return icon; }
    bool dimMenuBarIconWhenNotRecording() const override { return dim; }
    std::optional<QString> filenamePrefix() const override { return prefix; }
    std::optional<QString> filenameTemplate() const override { return dateTemplate; }
    bool monitorInput() const override { return monitor.value(); }
    Events::AnyPublisher<bool> monitorInputPublisher() const override
    {
        return monitor.eraseToAnyPublisher();
    }
};
