#pragma once

#include <QByteArray>
#include <QHashFunctions>
#include <QJsonValue>
#include <QUrl>

#include <functional>
#include <optional>

// A user-chosen file or directory kept as bookmark data, as the preferences store keeps it
// (its raw value is the data itself). Equal when the bytes are equal, whatever they resolve to.
class SandboxURLBookmark
{
public:
    explicit SandboxURLBookmark(QByteArray bookmarkData)
        : m_bookmarkData(std::move(bookmarkData))
    { }

    // Bookmarks the item for read-write access, or read-only when that is all the program
    // has; throws the error of the read-only attempt when both fail.
    static SandboxURLBookmark fromURL(const QUrl &url);

    const QByteArray &bookmarkData() const { return m_bookmarkData; }
    const QByteArray &rawValue() const { return m_bookmarkData; }

    // The location recorded in the data; none when the data is not a bookmark.
    std::optional<QUrl> originalURL() const;
    // Where the item is now: none when the data is not a bookmark, nothing stands at the path
    // or the item lies in the Trash. When another item stands at the path now, that is logged
    // and its location returned.
    std::optional<QUrl> resolvedURL() const;

    // Coded as one value, the data in Base64; the preferences store still keeps the raw data.
    QJsonValue toJson() const;
    static std::optional<SandboxURLBookmark> fromJson(const QJsonValue &json);
    static constexpr bool defaultsPreferRawRepresentable = true;

    friend bool operator==(const SandboxURLBookmark &, const SandboxURLBookmark &) = default;

private:
    QByteArray m_bookmarkData;
};

inline size_t qHash(const SandboxURLBookmark &bookmark, size_t seed = 0)
{
    return qHash(bookmark.bookmarkData(), seed);
}

template<>
struct std::hash<SandboxURLBookmark>
{
    size_t operator()(const SandboxURLBookmark &bookmark) const { return qHash(bookmark); }
};
