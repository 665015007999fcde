#pragma once

#include <cstdint>

// What tells one version of a suite's file from another: an atomic replace changes the inode,
// an edit in place the size or modification time.
struct UserDefaultsFileIdentity
{
    bool exists = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedNanoseconds = 0;
    friend bool operator==(const UserDefaultsFileIdentity &, const UserDefaultsFileIdentity &) = default;
};
