#include "kit/ui/SaveImageSharingService.h"

#include "kit/foundation/files/SecurityScopedBookmarkManager.h"
#include "kit/ui/ImageWriting.h"
#include "kit/ui/ShareableImage.h"
#include "platform/events/MainThread.h"

#include <QDir>

#include <algorithm>

namespace {

std::optional<ShareableImage> firstImage(const QVariantList &items)
{
    for (const QVariant &item : items) {
        if (item.metaType() == QMetaType::fromType<ShareableImage>()) {
            return item.value<ShareableImage>();
        }
        if (item.typeId() == QMetaType::QImage) {
            return ShareableImage { item.value<QImage>(), std::nullopt };
        }
    }
    return std::nullopt;
}

} // namespace

SaveImageSharingService::SaveImageSharingService(QString title, QIcon image, QUrl destination)
    : KwSharingService(std::move(title), std::move(image))
    , destination(std::move(destination))
{ }

bool SaveImageSharingService::canPerform(const QVariantList &items) const
{
    return firstImage(items).has_value();
}

void SaveImageSharingService::perform(const QVariantList &items)
{
    const std::optional<ShareableImage> image = firstImage(items);
    if (!image) {
        return;
    }
    const QString name = imageTitle ? imageTitle() : QStringLiteral("Image");
    const QUrl file
        = QUrl::fromLocalFile(QDir(destination.toLocalFile()).filePath(name + QStringLiteral(".png")));
    ImageWriteOptions options;
    if (image->capture) {
        options.dpi = image->capture->dpi;
        options.markAsScreenCapture = image->capture->isScreenCapture;
    }
    Events::runOnMain([file, image = image->image, options] {
        SecurityScopedBookmarkManager::accessURL(file, [&] { ImageWriting::write(image, file, options); });
    });
}
