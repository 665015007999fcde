#pragma once

#include "platform/hotkeys/HotKeys.h"

// Hot keys where the session gives us no way to take them: every registration fails.
class UnavailableHotKeys final : public HotKeys
{
    Q_OBJECT

public:
    explicit UnavailableHotKeys(Availability reason);

    Availability availability() const override { return m_reason; }
    std::variant<HotKeyId, HotKeyError> registerHotKey(
        HotKeyCombination combination, Handler handler) override;
    void unregisterHotKey(HotKeyId) override { }

private:
    Availability m_reason;
};
