#pragma once

#include "kit/collections/AnyHashable.h"
#include "kit/collections/HashCombine.h"

#include <cstddef>
#include <functional>

// Named pairs and triples that can be compared, hashed and coded where plain tuples cannot.
template<typename A, typename B>
struct Tuple2
{
    A first;
    B second;

    friend bool operator==(const Tuple2 &, const Tuple2 &) = default;
};

template<typename A, typename B, typename C>
struct Tuple3
{
    A first;
    B second;
    C third;

    friend bool operator==(const Tuple3 &, const Tuple3 &) = default;
};

template<HashableValue A, HashableValue B>
struct std::hash<Tuple2<A, B>>
{
    std::size_t operator()(const Tuple2<A, B> &tuple) const
    {
        std::size_t seed = hashOf(tuple.first);
        hashCombine(seed, hashOf(tuple.second));
        return seed;
    }
};

template<HashableValue A, HashableValue B, HashableValue C>
struct std::hash<Tuple3<A, B, C>>
{
    std::size_t operator()(const Tuple3<A, B, C> &tuple) const
    {
        std::size_t seed = hashOf(tuple.first);
        hashCombine(seed, hashOf(tuple.second));
        hashCombine(seed, hashOf(tuple.third));
        return seed;
    }
};
