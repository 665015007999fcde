#pragma once

#include "platform/hotkeys/HotKeyCombination.h"
#include "platform/hotkeys/HotKeyEnvironment.h"
#include "platform/hotkeys/HotKeyError.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <variant>

using HotKeyId = quint32;

enum class HotKeyPhase { Pressed, Released };

// System-wide hot keys. Handlers run on the GUI thread, once per press and once per release
// however long the key is held. Every method belongs to the GUI thread.
class HotKeys : public QObject
{
    Q_OBJECT

public:
    enum class Availability {
        Available,
        NoDisplay, // no X server to talk to
        WaylandSession, // X11 grabs would only see keys while one of our windows has focus
    };

    using Handler = std::function<void(HotKeyPhase)>;

    // The backend the session allows, chosen at first use; says once in the log when hot keys
    // are unavailable.
    static HotKeys &shared();
    static std::unique_ptr<HotKeys> create(const HotKeyEnvironment &environment);

    ~HotKeys() override;

    virtual Availability availability() const = 0;
    // Why hot keys are unavailable, in words for the user; empty when they are available.
    QString unavailableMessage() const;

    // Takes the combination system-wide; an error leaves nothing registered.
    virtual std::variant<HotKeyId, HotKeyError> registerHotKey(HotKeyCombination combination, Handler handler)
        = 0;
    // Unknown ids are ignored.
    virtual void unregisterHotKey(HotKeyId id) = 0;

    // The Carbon key code of a key as this keyboard reports it (the X key code of a key event),
    // whatever shift level the layout would type with it; none when unknown here.
    virtual std::optional<quint32> carbonKeyCodeForScanCode(quint32 scanCode) const;

protected:
    HotKeys() = default;
};

QString unavailableMessage(HotKeys::Availability availability);
