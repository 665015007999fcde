#include "kit/ui/FontHelpers.h"

#include <algorithm>
#include <array>
#include <utility>

QFont boldFont(const QFont &font)
{
    QFont bold = font;
    bold.setWeight(QFont::Bold);
    bold.setStyle(QFont::StyleNormal);
    return bold;
}

TextFont boldFont(const TextFont &font)
{
    return TextFont(boldFont(font.font()), font.hasMonospacedDigits());
}

FontTraits fontTraits(const QFont &font)
{
    // The weights of the nine named faces there; others lie on the lines between them.
    constexpr std::array<std::pair<int, double>, 9> weights { {
        { QFont::Thin, -0.8 },
        { QFont::ExtraLight, -0.6 },
        { QFont::Light, -0.4 },
        { QFont::Normal, 0 },
        { QFont::Medium, 0.23 },
        { QFont::DemiBold, 0.3 },
        { QFont::Bold, 0.4 },
        { QFont::ExtraBold, 0.56 },
        { QFont::Black, 0.62 },
    } };
    const int weight
        = std::clamp(static_cast<int>(font.weight()), weights.front().first, weights.back().first);
    FontTraits traits;
    for (std::size_t index = 1; index < weights.size(); ++index) {
        const auto [upper, upperTrait] = weights[index];
        if (weight <= upper) {
            const auto [lower, lowerTrait] = weights[index - 1];
            traits.weight = lowerTrait + (upperTrait - lowerTrait) * (weight - lower) / double(upper - lower);
            break;
        }
    }
    const int stretch = font.stretch();
    traits.width = stretch == QFont::AnyStretch ? 0 : std::clamp((stretch - 100) / 100.0, -1.0, 1.0);
    return traits;
}
