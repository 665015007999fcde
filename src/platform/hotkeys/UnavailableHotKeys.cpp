#include "platform/hotkeys/UnavailableHotKeys.h"

UnavailableHotKeys::UnavailableHotKeys(Availability reason)
    : m_reason(reason)
{ }

std::variant<HotKeyId, HotKeyError> UnavailableHotKeys::registerHotKey(HotKeyCombination, Handler)
{
    return HotKeyError { HotKeyError::Kind::Unavailable, unavailableMessage() };
}
