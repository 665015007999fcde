#pragma once

#include "kit/collections/CaseIterable.h"

#include <QString>

#include <array>
#include <vector>

// A written language, by its BCP 47 identifier ("am", "zh-Hans").
struct NLLanguage
{
    QString rawValue;

    // The 56 languages that text can be recognised in, from Amharic to Vietnamese; one array,
    // built on first use.
    static const std::array<NLLanguage, 56> &allCases();

    friend bool operator==(const NLLanguage &, const NLLanguage &) = default;
};

template<>
struct EnumCases<NLLanguage>
{
    static std::vector<NLLanguage> all()
    {
        return { NLLanguage::allCases().begin(), NLLanguage::allCases().end() };
    }
};
