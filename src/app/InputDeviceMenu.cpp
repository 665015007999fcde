#include "app/InputDeviceMenu.h"

#include "app/MenuTexts.h"
#include "app/SettingsKeys.h"
#include "app/StatusMenuItems.h"
#include "app/TextTruncation.h"
#include "kit/foundation/errors/ErrorPresentation.h"
#include "kit/services/CallbackMenuItem.h"
#include "kit/services/KwAppErrorReporting.h"
#include "kit/services/MenuItems.h"
#include "platform/audio/AudioHardware.h"
#include "recording/AudioDevice.h"
#include "recording/AudioErrors.h"
#include "recording/AudioPlatform.h"

#include <QMenu>

#include <optional>

namespace {

std::optional<AudioDevice> deviceWithUniqueID(const QString &uniqueID)
{
    try {
        return AudioDevice::fromUniqueID(uniqueID);
    } catch (const std::exception &) {
        return std::nullopt;
    }
}

std::optional<AudioDevice> defaultInputDevice()
{
    try {
        return AudioDevice::defaultInputDevice();
    } catch (const std::exception &) {
        return std::nullopt;
    }
}

void reportAndPresent(const Error &error, std::source_location location = std::source_location::current())
{
    KwApp::reportError(error, {}, location);
    presentAsSheet(error, nullptr);
}

} // namespace

namespace InputDeviceMenu {

QString shortenedName(const QString &name)
{
    return truncated(name, nameLength, TruncationPosition::end, QStringLiteral("\u2026"));
}

QString channelDescription(int channelCount)
{
    switch (channelCount) {
    case 1:
        return MenuTexts::mono;
    case 2:
        return MenuTexts::stereo;
    default:
        return MenuTexts::channels(channelCount);
    }
}

void addDeviceItems(QMenu *menu, const std::vector<CaptureDevice> &devices)
{
    if (devices.empty()) {
        menu->addAction(MenuTexts::noDevice)->setEnabled(false);
        return;
    }
    const std::optional<AudioDevice> defaultDevice = defaultInputDevice();
    for (const CaptureDevice &capture : devices) {
        const std::optional<AudioDevice> device = deviceWithUniqueID(capture.uniqueId);
        const bool isDefault = device && defaultDevice && *device == *defaultDevice;
        auto *item = new CallbackMenuItem(
            shortenedName(capture.localizedName), QString(), std::nullopt, true, isDefault, false,
            [uniqueID = capture.uniqueId] { chooseDevice(uniqueID); }, menu);
        if (device) {
            item->setToolTip(channelDescription(device->inputChannelCount));
        }
        menu->addAction(item);
    }
}

void addForceMonoItems(QMenu *menu)
{
    const std::optional<AudioDevice> device = defaultInputDevice();
    if (!device || device->inputChannelCount <= 1) {
        return;
    }
    addHeader(menu, shortenedName(device->localizedName), true);
    addDefaultsSetToggleItem(menu, MenuTexts::forceMono, SettingsKeys::forceMono(), device->id)
        ->setToolTip(MenuTexts::forceMonoTooltip);
}

void chooseDevice(const QString &uniqueID)
{
    const std::optional<AudioDevice> device = deviceWithUniqueID(uniqueID);
    if (!device) {
        return;
    }
    if (!device->isInput) {
        reportAndPresent(AudioDevice::Error(AudioDevice::Error::invalidDevice));
        return;
    }
    AudioPlatform::hardware().setDefaultInputDeviceAsync(
        device->deviceID, [](const AudioResult<void> &result) {
            // The menu's list may be a moment behind the server: one gone since is gone all the same.
            if (!result && !result.error().deviceGone) {
                reportAndPresent(AudioErrors::hardwareError(result.error()));
            }
        });
}

} // namespace InputDeviceMenu
