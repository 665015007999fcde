#pragma once

#include <cstddef>

// Folds `hash` into `seed` so that the order of the folded hashes matters.
inline void hashCombine(std::size_t &seed, std::size_t hash)
{
    seed ^= hash + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
}
