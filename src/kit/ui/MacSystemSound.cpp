#include "kit/ui/MacSystemSound.h"

#include <QHashFunctions>

#include <array>

namespace {
constexpr std::array<const char *, 14> rawValues { "Basso", "Blow", "Bottle", "Frog", "Funk", "Glass", "Hero",
    "Morse", "Ping", "Pop", "Purr", "Sosumi", "Submarine", "Tink" };
} // namespace

QString MacSystemSound::rawValue() const
{
    return QLatin1String(rawValues.at(static_cast<std::size_t>(m_case)));
}

std::optional<MacSystemSound> MacSystemSound::fromRawValue(const QString &raw)
{
    for (std::size_t index = 0; index < rawValues.size(); ++index) {
        if (raw == QLatin1String(rawValues[index])) {
            return MacSystemSound(static_cast<Case>(index));
        }
    }
    return std::nullopt;
}

std::vector<MacSystemSound> MacSystemSound::allCases()
{
    std::vector<MacSystemSound> cases;
    for (std::size_t index = 0; index < rawValues.size(); ++index) {
        cases.emplace_back(static_cast<Case>(index));
    }
    return cases;
}

size_t qHash(MacSystemSound sound, size_t seed) noexcept
{
    return qHash(sound.rawValue(), seed);
}
