#include "recording/AudioErrors.h"

#include "kit/foundation/errors/ErrorUserInfoKeys.h"
#include "recording/RecordingTexts.h"

namespace {

// GStreamer's GST_RESOURCE_ERROR_FAILED.
constexpr int mediaResourceFailed = 1;

NSError describedError(const AudioError &error, qint64 code)
{
    QVariantMap userInfo;
    if (!error.message.isEmpty()) {
        userInfo.insert(NSLocalizedDescriptionKey, error.message);
    }
    if (error.outputMonitor) {
        userInfo.insert(NSLocalizedRecoverySuggestionErrorKey, RecordingTexts::monitorAsInputSuggestion());
    }
    return NSError(QString::fromLatin1(AudioErrors::statusDomain), code, userInfo);
}

} // namespace

namespace AudioErrors {

NSError hardwareError(const AudioError &error)
{
    // The sound server's own words say more than its error number.
    return describedError(error, error.code);
}

NSError mediaError(const AudioError &error)
{
    // The framework's own words for a full disk speak of a "resource".
    if (error.diskFull) {
        AudioError described = error;
        described.message = RecordingTexts::diskFull();
        return describedError(described, error.code);
    }
    return describedError(error, error.code);
}

NSError monitorStartError(const AudioError &error)
{
    const bool couldNotOpenDevices
        = error.domain == AudioError::Domain::media && error.code == mediaResourceFailed;
    return describedError(error, couldNotOpenDevices ? failedInitialization : error.code);
}

} // namespace AudioErrors
