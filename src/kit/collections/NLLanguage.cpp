#include "kit/collections/NLLanguage.h"

const std::array<NLLanguage, 56> &NLLanguage::allCases()
{
    // In the alphabetical order of the languages' English names, Chinese filed under Simplified
    // and Traditional.
    static const std::array<NLLanguage, 56> languages = [] {
        const char *const identifiers[] = { "am", "ar", "hy", "bn", "bg", "my", "ca", "chr", "hr", "cs", "da",
            "nl", "en", "fi", "fr", "ka", "de", "el", "gu", "he", "hi", "hu", "is", "id", "it", "ja", "kn",
            "km", "ko", "lo", "ms", "ml", "mr", "mn", "nb", "or", "fa", "pl", "pt", "pa", "ro", "ru",
            "zh-Hans", "si", "sk", "es", "sv", "ta", "te", "th", "bo", "zh-Hant", "tr", "uk", "ur", "vi" };
        static_assert(std::size(identifiers) == 56);
        std::array<NLLanguage, 56> result;
        for (std::size_t index = 0; index < result.size(); ++index) {
            result[index].rawValue = QString::fromLatin1(identifiers[index]);
        }
        return result;
    }();
    return languages;
}
