#pragma once

#include "kit/ui/SharingService.h"

#include <QUrl>

#include <functional>

// Saves the first image among the items as a PNG file into a directory, asking the user for
// access to it when the program has none yet. Failures are shown to the user.
class SaveImageSharingService : public KwSharingService
{
public:
    SaveImageSharingService(QString title, QIcon image, QUrl destination);

    QUrl destination;
    // The file name without extension; "Image" when not set.
    std::function<QString()> imageTitle;

    bool canPerform(const QVariantList &items) const override;
    // Writes on a later turn of the GUI thread's event loop.
    void perform(const QVariantList &items) override;
};
