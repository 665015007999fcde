#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <optional>

// The bytes of a bookmark: enough to find a chosen item again and to tell whether the item
// now at its path is still the one that was chosen. Layout, little-endian:
//   "TWBM", version 1, flags (1 directory, 2 read-only), device u64, inode u64,
//   path length u32, UTF-8 path, FNV-1a 32 checksum of everything before it.
class BookmarkRecord
{
public:
    static constexpr std::uint8_t currentVersion = 1;
    // Generous for any path the system accepts, small enough to refuse absurd lengths at once.
    static constexpr std::uint32_t maximumPathBytes = 64 * 1024;

    QString path; // absolute, "/"-separated, no trailing "/" except for the root
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool isDirectory = false;
    bool isReadOnly = false;

    QByteArray encoded() const;
    // None for anything that is not a complete, intact record of a known version.
    static std::optional<BookmarkRecord> decode(const QByteArray &data);

    // The checksum that ends a record, over the bytes before it.
    static std::uint32_t checksum(QByteArrayView bytes);

    friend bool operator==(const BookmarkRecord &, const BookmarkRecord &) = default;
};
