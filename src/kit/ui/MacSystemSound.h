#pragma once

#include "preferences/RawRepresentable.h"

#include <QString>

#include <optional>
#include <string>
#include <vector>

// The names of the desktop's built-in alert sounds, stored in preferences by name.
class MacSystemSound
{
public:
    enum Case {
        basso,
        blow,
        bottle,
        frog,
        funk,
        glass,
        hero,
        morse,
        ping,
        pop,
        purr,
        sosumi,
        submarine,
        tink
    };
    using RawValue = QString;

    constexpr MacSystemSound(Case value)
        : m_case(value)
    { }

    constexpr Case value() const { return m_case; }
    QString rawValue() const;
    // Exactly the stored names, capitalised as they are; anything else is none.
    static std::optional<MacSystemSound> fromRawValue(const QString &raw);
    static std::vector<MacSystemSound> allCases();

    friend constexpr bool operator==(MacSystemSound, MacSystemSound) = default;

private:
    Case m_case;
};

size_t qHash(MacSystemSound sound, size_t seed = 0) noexcept;

// Stored in preferences by its name.
template<>
struct RawRepresentation<MacSystemSound>
{
    using RawValue = std::string;
    static std::string rawValue(MacSystemSound sound) { return sound.rawValue().toStdString(); }
    static std::optional<MacSystemSound> fromRawValue(const std::string &raw)
    {
        return MacSystemSound::fromRawValue(QString::fromStdString(raw));
    }
};
