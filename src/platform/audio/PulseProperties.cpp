#include "platform/audio/PulseProperties.h"

#include "platform/audio/FourCharCode.h"

#include <array>
#include <utility>

quint32 transportCodeFor(const PulseDeviceProperties &properties)
{
    // A card on the main board reports its bus too; "internal" is what makes it built-in.
    if (properties.formFactor == u"internal") {
        return TransportCode::builtIn;
    }
    static const std::array<std::pair<QStringView, quint32>, 8> named { {
        { u"usb", TransportCode::usb },
        { u"pci", TransportCode::pci },
        { u"firewire", TransportCode::fireWire },
        { u"bluetooth", TransportCode::bluetooth },
        { u"thunderbolt", TransportCode::thunderbolt },
        { u"hdmi", TransportCode::hdmi },
        { u"displayport", TransportCode::displayPort },
        { u"ieee1394", TransportCode::fireWire },
    } };
    for (const QString &value : { properties.bus, properties.formFactor, properties.api }) {
        for (const auto &[name, code] : named) {
            if (value.compare(name, Qt::CaseInsensitive) == 0) {
                return code;
            }
        }
    }
    static const std::array<QStringView, 5> virtualModules { u"module-null-sink", u"module-null-source",
        u"module-remap-source", u"module-remap-sink", u"module-virtual-" };
    for (QStringView module : virtualModules) {
        if (properties.driver.startsWith(module)) {
            return TransportCode::virtualDevice;
        }
    }
    if (properties.deviceClass == u"abstract") {
        return TransportCode::virtualDevice;
    }
    return TransportCode::unknown;
}
