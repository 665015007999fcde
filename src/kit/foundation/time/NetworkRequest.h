#pragma once

#include "kit/foundation/time/Duration.h"
#include "kit/foundation/time/KwDuration.h"

#include <QNetworkRequest>
#include <QUrl>

// A request for `url` that gives up when no data has moved for `timeout`. The time-out is
// counted in whole milliseconds (at least one for a positive span); a span that is not
// positive means the request never times out.
QNetworkRequest urlRequest(
    const QUrl &url, QNetworkRequest::CacheLoadControl cachePolicy, KwDuration timeout);
QNetworkRequest urlRequest(const QUrl &url, QNetworkRequest::CacheLoadControl cachePolicy, Duration timeout);
