#pragma once

#include <QKeySequence>
#include <QString>
#include <Qt>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace KeyboardShortcuts {

// A key combination: a Carbon virtual key code and Carbon modifier bits, the
// form in which shortcuts are recorded and stored.
struct Shortcut
{
    std::int32_t carbonKeyCode = 0;
    std::int32_t carbonModifiers = 0;

    friend bool operator==(const Shortcut &, const Shortcut &) = default;

    // The one-character key equivalent of the key; empty when the key is not one we know.
    QString keyEquivalent() const;
    // Command is Super (Qt's Meta), Option is Alt.
    Qt::KeyboardModifiers modifiers() const;
    // What a menu item shows; empty when the key is not one we know.
    QKeySequence keySequence() const;
    // The combination in the desktop's usual notation ("Ctrl+Alt+R").
    QString description() const;

    // The stored form: {"carbonKeyCode":15,"carbonModifiers":2304}.
    std::string toJson() const;
    // None for text that is not that form, or a key or modifier we cannot express.
    static std::optional<Shortcut> fromJson(std::string_view json);
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
