#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

// A process identifier as a value of its own.
struct KwProcessID
{
    std::int32_t rawValue = 0;

    std::int32_t id() const { return rawValue; }

    friend bool operator==(const KwProcessID &, const KwProcessID &) = default;
};

template<>
struct std::hash<KwProcessID>
{
    std::size_t operator()(const KwProcessID &process) const
    {
        return std::hash<std::int32_t> {}(process.rawValue);
    }
};
