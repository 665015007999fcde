#include "platform/hotkeys/HotKeys.h"

#include "platform/hotkeys/HotKeysLogging.h"
#include "platform/hotkeys/UnavailableHotKeys.h"
#include "platform/hotkeys/X11HotKeys.h"

#include <QCoreApplication>
#include <QPointer>

HotKeys::~HotKeys() = default;

HotKeys &HotKeys::shared()
{
    static QPointer<HotKeys> instance;
    if (!instance) {
        Q_ASSERT(QCoreApplication::instance());
        instance = create(HotKeyEnvironment::current()).release();
        // Goes with the application, before the event dispatcher its socket watch needs.
        instance->setParent(QCoreApplication::instance());
    }
    return *instance;
}

std::unique_ptr<HotKeys> HotKeys::create(const HotKeyEnvironment &environment)
{
    std::unique_ptr<HotKeys> hotKeys;
    if (environment.isWaylandSession()) {
        // Seam for a Wayland backend: the desktop portal's global-shortcuts interface would be
        // chosen here. X11 grabs through XWayland only see keys while one of our windows has focus.
        hotKeys = std::make_unique<UnavailableHotKeys>(Availability::WaylandSession);
    } else if (!environment.display.isEmpty()) {
        hotKeys = X11HotKeys::connect(environment.display);
    }
    if (!hotKeys) {
        hotKeys = std::make_unique<UnavailableHotKeys>(Availability::NoDisplay);
    }
    if (hotKeys->availability() != Availability::Available) {
        qCWarning(lcHotKeys).noquote()
            << "Global shortcuts are unavailable:" << hotKeys->unavailableMessage();
    }
    return hotKeys;
}

QString HotKeys::unavailableMessage() const
{
    return ::unavailableMessage(availability());
}

std::optional<quint32> HotKeys::carbonKeyCodeForScanCode(quint32) const
{
    return std::nullopt;
}

QString unavailableMessage(HotKeys::Availability availability)
{
    switch (availability) {
    case HotKeys::Availability::Available:
        break;
    case HotKeys::Availability::NoDisplay:
        return QCoreApplication::translate(
            "HotKeys", "Global shortcuts are unavailable: there is no X11 display to register them with.");
    case HotKeys::Availability::WaylandSession:
        return QCoreApplication::translate("HotKeys",
            "Global shortcuts need an X11 session. In this session, bind the automation commands to "
            "keys in your desktop's keyboard settings instead.");
    }
    return {};
}
