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
    static const std::array<std::pair<QStringView, quint32>, 9> named { {
        { u"usb", TransportCode::usb },
        { u"pci", TransportCode::pci },
        { u"firewire", TransportCode::fireWire },
        { u"bluetooth", TransportCode::bluetooth },
        { u"thunderbolt", TransportCode::thunderbolt },
        { u"hdmi", TransportCode::hdmi },
        { u"displayport", TransportCode::displayPort },
        { u"ieee1394", TransportCode::fireWire },
        { u"bluez5", TransportCode::bluetooth },
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
    // Under PipeWire every device's driver is PipeWire itself; its nodes say what they are.
    if (properties.deviceClass == u"abstract" || properties.deviceClass == u"filter"
        || properties.factoryName == u"support.null-audio-sink" || properties.nodeVirtual == u"true") {
        return TransportCode::virtualDevice;
    }
    return TransportCode::unknown;
}
