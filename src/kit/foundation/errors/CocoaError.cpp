#include "kit/foundation/errors/CocoaError.h"

#include "kit/collections/CancellationText.h"
#include "kit/foundation/errors/ErrorUserInfoKeys.h"

namespace {

QString standardDescription(qint64 code)
{
    switch (code) {
    case CocoaError::fileNoSuchFile:
        return QStringLiteral("The file doesn’t exist.");
    case CocoaError::fileReadNoSuchFile:
        return QStringLiteral("The file couldn’t be opened because there is no such file.");
    case CocoaError::fileReadUnknown:
        return QStringLiteral("The file couldn’t be opened.");
    case CocoaError::fileWriteFileExists:
        return QStringLiteral("The file couldn’t be saved because a file with the same name already exists.");
    case CocoaError::fileWriteUnknown:
        return QStringLiteral("The file couldn’t be saved.");
    case CocoaError::fileWriteVolumeReadOnly:
        return QStringLiteral("The file couldn’t be saved because the volume is read only.");
    case CocoaError::userCancelled:
        return QString::fromLatin1(operationCancelledText);
    case CocoaError::propertyListReadCorrupt:
        return QStringLiteral("The data couldn’t be read because it isn’t in the correct format.");
    case CocoaError::propertyListWriteInvalid:
        return QStringLiteral("The data couldn’t be written because it isn’t in the correct format.");
    default:
        return {};
    }
}

} // namespace

CocoaError::CocoaError(Code code, QVariantMap userInfo)
    : NSError(QString::fromLatin1(errorDomain), code, std::move(userInfo))
{
    setWhat(localizedDescription());
}

QString CocoaError::localizedDescription() const
{
    if (userInfo().contains(NSLocalizedDescriptionKey)) {
        return NSError::localizedDescription();
    }
    const QString text = standardDescription(code());
    return text.isEmpty() ? NSError::localizedDescription() : text;
}
