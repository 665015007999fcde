#pragma once

#include "platform/audio/HardwareDevice.h"

#include <QString>

#include <vector>

class QMenu;

// The status menu's input-device section: the capture devices, the check mark on the system's
// default input and the forced-mono switch of that device. The program keeps no device choice
// of its own; choosing a device changes the system's default input.
namespace InputDeviceMenu {

// How long device names may be in the menu, in characters.
inline constexpr int nameLength = 30;

QString shortenedName(const QString &name);
// "Mono", "Stereo", else the count followed by "-channel".
QString channelDescription(int channelCount);

// "None" when there are no devices, else one item per device in the given order.
void addDeviceItems(QMenu *menu, const std::vector<CaptureDevice> &devices);
// The default input's name and "Force Mono", when that device has more than one channel.
void addForceMonoItems(QMenu *menu);

// Makes the device the system's default input, without waiting for the sound server. A device
// that is gone does nothing; one that is no input, or a refusal of the server, is reported and
// shown.
void chooseDevice(const QString &uniqueID);

} // namespace InputDeviceMenu
