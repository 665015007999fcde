#pragma once

#include <cstdint>
#include <functional>

namespace KeyboardShortcuts {

// A key combination: a Carbon virtual key code and Carbon modifier bits, the
// form in which shortcuts are recorded and stored.
struct Shortcut
{
    std::int32_t carbonKeyCode = 0;
    std::int32_t carbonModifiers = 0;

    friend bool operator==(const Shortcut &, const Shortcut &) = default;
};

} // namespace KeyboardShortcuts

template<>
struct std::hash<KeyboardShortcuts::Shortcut>
{
    std::size_t operator()(const KeyboardShortcuts::Shortcut &shortcut) const noexcept
    {
        return std::hash<std::int64_t>()(
            (std::int64_t(shortcut.carbonKeyCode) << 32) ^ std::uint32_t(shortcut.carbonModifiers));
    }
};
