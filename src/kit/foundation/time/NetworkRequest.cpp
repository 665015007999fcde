#include "kit/foundation/time/NetworkRequest.h"

#include <algorithm>
#include <climits>

QNetworkRequest urlRequest(const QUrl &url, QNetworkRequest::CacheLoadControl cachePolicy, KwDuration timeout)
{
    return urlRequest(url, cachePolicy, toDuration(timeout.seconds()));
}

QNetworkRequest urlRequest(const QUrl &url, QNetworkRequest::CacheLoadControl cachePolicy, Duration timeout)
{
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, cachePolicy);
    // Qt reads a zero time-out as none at all, so a sub-millisecond span must not round to it.
    const std::int64_t milliseconds
        = timeout <= Duration::zero() ? 0 : std::clamp<std::int64_t>(toMilliseconds(timeout), 1, INT_MAX);
    request.setTransferTimeout(static_cast<int>(milliseconds));
    return request;
}
