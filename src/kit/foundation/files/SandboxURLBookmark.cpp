#include "kit/foundation/files/SandboxURLBookmark.h"

#include "kit/foundation/errors/ErrorReporting.h"
#include "kit/foundation/errors/GeneralError.h"
#include "kit/foundation/files/BookmarkData.h"
#include "kit/foundation/files/Trash.h"
#include "kit/foundation/values/JsonCoding.h"

#include <QLoggingCategory>

namespace {

Q_LOGGING_CATEGORY(bookmarkLog, "tapewick.bookmarks")

} // namespace

SandboxURLBookmark SandboxURLBookmark::fromURL(const QUrl &url)
{
    try {
        return SandboxURLBookmark(BookmarkData::create(url, BookmarkData::Access::readWrite));
    } catch (const Error &) {
        return SandboxURLBookmark(BookmarkData::create(url, BookmarkData::Access::readOnly));
    }
}

QJsonValue SandboxURLBookmark::toJson() const
{
    return JsonCoding<QByteArray>::encode(m_bookmarkData);
}

std::optional<SandboxURLBookmark> SandboxURLBookmark::fromJson(const QJsonValue &json)
{
    auto data = JsonCoding<QByteArray>::decode(json);
    return data ? std::optional(SandboxURLBookmark(std::move(*data))) : std::nullopt;
}

std::optional<QUrl> SandboxURLBookmark::originalURL() const
{
    return BookmarkData::recordedURL(m_bookmarkData);
}

std::optional<QUrl> SandboxURLBookmark::resolvedURL() const
{
    const std::optional<QUrl> original = originalURL();
    if (!original) {
        reported(GeneralError(QStringLiteral("originalURL for bookmark is `nil`")));
    }
    const auto resolution = BookmarkData::resolve(m_bookmarkData);
    if (!resolution || isInTrash(resolution->url)) {
        return std::nullopt;
    }
    if (resolution->isStale) {
        const QUrl described = original.value_or(QUrl(QStringLiteral("<Unknown>")));
        qCInfo(bookmarkLog).noquote()
            << QStringLiteral("SandboxURLBookmark: Bookmark for %1 is stale").arg(described.toString());
    }
    return resolution->url;
}
