#include "app/AppRecordingSettings.h"

#include "app/SettingsKeys.h"
#include "preferences/DefaultsPublishers.h"

namespace {

std::optional<QString> toQString(const std::optional<std::string> &text)
{
    return text ? std::optional(QString::fromStdString(*text)) : std::nullopt;
}

} // namespace

bool AppRecordingSettings::lossless() const
{
    return Defaults::get(SettingsKeys::lossless());
}

bool AppRecordingSettings::showDurationInMenuBar() const
{
    return Defaults::get(SettingsKeys::showDurationInMenuBar());
}

bool AppRecordingSettings::showInFinderAfterSaving() const
{
    return Defaults::get(SettingsKeys::showInFinderAfterSaving());
}

bool AppRecordingSettings::copyRecordingWhenDone() const
{
    return Defaults::get(SettingsKeys::copyRecordingWhenDone());
}

std::optional<SandboxURLBookmark> AppRecordingSettings::defaultOutputDirectory() const
{
    return Defaults::get(SettingsKeys::defaultOutputDirectory());
}

void AppRecordingSettings::setPreviousRecording(const SandboxURLBookmark &bookmark)
{
    Defaults::set(SettingsKeys::previousRecording(), std::optional(bookmark));
}

void AppRecordingSettings::removePreviousRecording()
{
    SettingsKeys::previousRecording().reset();
}

bool AppRecordingSettings::forcesMono(const QString &deviceId) const
{
    return Defaults::get(SettingsKeys::forceMono()).contains(deviceId.toStdString());
}

QIcon AppRecordingSettings::menuBarIconImage() const
{
    return MenuBarIcons::image(Defaults::get(SettingsKeys::menuBarIcon()));
}

bool AppRecordingSettings::dimMenuBarIconWhenNotRecording() const
{
    return Defaults::get(SettingsKeys::dimMenuBarIconWhenNotRecording());
}

std::optional<QString> AppRecordingSettings::filenamePrefix() const
{
    return toQString(Defaults::get(SettingsKeys::filenamePrefix()));
}

std::optional<QString> AppRecordingSettings::filenameTemplate() const
{
    return toQString(Defaults::get(SettingsKeys::filenameTemplate()));
}

bool AppRecordingSettings::monitorInput() const
{
    return Defaults::get(SettingsKeys::monitorInput());
}

Events::AnyPublisher<bool> AppRecordingSettings::monitorInputPublisher() const
{
    return Defaults::publisher(SettingsKeys::monitorInput(), { Defaults::ObservationOption::Initial })
        .map([](const Defaults::KeyChange<bool> &change) { return change.newValue; });
}
