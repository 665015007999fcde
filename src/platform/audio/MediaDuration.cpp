#include "platform/audio/MediaDuration.h"

#include "platform/audio/GstSupport.h"

#include <QUrl>

#include <gst/pbutils/pbutils.h>

namespace {
constexpr GstClockTime discoveryLimit = 5 * GST_SECOND;
}

std::optional<double> mediaDurationSeconds(const QString &path)
{
    if (!GstSupport::ensureInitialized()) {
        return std::nullopt;
    }
    GstDiscoverer *discoverer = gst_discoverer_new(discoveryLimit, nullptr);
    if (!discoverer) {
        return std::nullopt;
    }
    const QByteArray uri = QUrl::fromLocalFile(path).toEncoded();
    GstDiscovererInfo *info = gst_discoverer_discover_uri(discoverer, uri.constData(), nullptr);
    std::optional<double> seconds;
    if (info && gst_discoverer_info_get_result(info) == GST_DISCOVERER_OK) {
        const GstClockTime duration = gst_discoverer_info_get_duration(info);
        if (GST_CLOCK_TIME_IS_VALID(duration)) {
            seconds = static_cast<double>(duration) / GST_SECOND;
        }
    }
    if (info) {
        g_object_unref(info);
    }
    g_object_unref(discoverer);
    return seconds;
}
