#include "kit/foundation/files/BookmarkRecord.h"

#include <QStringDecoder>

#include <array>

namespace {

constexpr std::array<char, 4> magic { 'T', 'W', 'B', 'M' };
constexpr std::uint8_t directoryFlag = 1;
constexpr std::uint8_t readOnlyFlag = 2;
constexpr std::uint8_t knownFlags = directoryFlag | readOnlyFlag;
constexpr qsizetype headerSize = 4 + 1 + 1 + 8 + 8 + 4;
constexpr qsizetype checksumSize = 4;

template<typename T>
void append(QByteArray &out, T value)
{
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        out.append(static_cast<char>((value >> (8 * i)) & 0xff));
    }
}

template<typename T>
T read(const char *bytes)
{
    T value = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        value |= static_cast<T>(static_cast<std::uint8_t>(bytes[i])) << (8 * i);
    }
    return value;
}

} // namespace

std::uint32_t BookmarkRecord::checksum(QByteArrayView bytes)
{
    std::uint32_t hash = 0x811c9dc5u;
    for (const char byte : bytes) {
        hash ^= static_cast<std::uint8_t>(byte);
        hash *= 0x01000193u;
    }
    return hash;
}

QByteArray BookmarkRecord::encoded() const
{
    const QByteArray pathBytes = path.toUtf8();
    QByteArray out;
    out.reserve(headerSize + pathBytes.size() + checksumSize);
    out.append(magic.data(), magic.size());
    append<std::uint8_t>(out, currentVersion);
    append<std::uint8_t>(out, (isDirectory ? directoryFlag : 0) | (isReadOnly ? readOnlyFlag : 0));
    append<std::uint64_t>(out, device);
    append<std::uint64_t>(out, inode);
    append<std::uint32_t>(out, static_cast<std::uint32_t>(pathBytes.size()));
    out.append(pathBytes);
    append<std::uint32_t>(out, checksum(out));
    return out;
}

std::optional<BookmarkRecord> BookmarkRecord::decode(const QByteArray &data)
{
    if (data.size() < headerSize + checksumSize) {
        return std::nullopt;
    }
    const char *bytes = data.constData();
    if (!std::equal(magic.begin(), magic.end(), bytes) || read<std::uint8_t>(bytes + 4) != currentVersion) {
        return std::nullopt;
    }
    const auto flags = read<std::uint8_t>(bytes + 5);
    const auto pathLength = read<std::uint32_t>(bytes + 22);
    if ((flags & ~knownFlags) != 0 || pathLength == 0 || pathLength > maximumPathBytes
        || data.size() != headerSize + static_cast<qsizetype>(pathLength) + checksumSize) {
        return std::nullopt;
    }
    const qsizetype checked = data.size() - checksumSize;
    if (read<std::uint32_t>(bytes + checked) != checksum(QByteArrayView(bytes, checked))) {
        return std::nullopt;
    }

    const QByteArrayView pathBytes(bytes + headerSize, pathLength);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString path = utf8.decode(pathBytes);
    if (utf8.hasError() || !path.startsWith(u'/') || path.contains(QChar(u'\0'))) {
        return std::nullopt;
    }

    BookmarkRecord record;
    record.path = std::move(path);
    record.device = read<std::uint64_t>(bytes + 6);
    record.inode = read<std::uint64_t>(bytes + 14);
    record.isDirectory = flags & directoryFlag;
    record.isReadOnly = flags & readOnlyFlag;
    return record;
}
