#pragma once

#include <QHashFunctions>

#include <functional>
#include <typeindex>
#include <typeinfo>

// A type usable as a dictionary key: equal when it is the same type.
struct HashableType
{
    std::type_index base;

    template<typename T>
    static HashableType of()
    {
        return { std::type_index(typeid(T)) };
    }

    friend bool operator==(const HashableType &, const HashableType &) = default;
};

inline size_t qHash(const HashableType &type, size_t seed = 0) noexcept
{
    return qHash(type.base.hash_code(), seed);
}

template<>
struct std::hash<HashableType>
{
    size_t operator()(const HashableType &type) const noexcept { return type.base.hash_code(); }
};
