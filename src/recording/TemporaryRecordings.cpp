#include "recording/TemporaryRecordings.h"

#include "kit/foundation/errors/Error.h"
#include "kit/foundation/errors/ErrorReporting.h"
#include "kit/foundation/files/TreeRemoval.h"
#include "kit/foundation/files/UniqueTemporaryDirectories.h"

#include <QDesktopServices>
#include <QUrl>

#include <optional>

namespace {

void show(const QString &parent)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(parent));
}

} // namespace

void showTemporaryRecordingsDirectory()
{
    // Recordings made while the usual parent could not be used lie in the fallback one: every
    // parent that holds any is shown, so none is missed on a later day.
    const QStringList parents = UniqueTemporaryDirectories::recordingParents();
    bool shown = false;
    for (const QString &parent : parents) {
        try {
            const std::optional<FileDescriptor> directory
                = UniqueTemporaryDirectories::openExistingParent(parent);
            if (directory && !TreeRemoval::entryNames(directory->get()).isEmpty()) {
                show(parent);
                shown = true;
            }
        } catch (const Error &error) {
            (void)reported(error.clone());
        }
    }
    if (shown) {
        return;
    }
    // Nothing to recover: the folder where the next recording would go, made so it can be shown.
    for (const QString &parent : parents) {
        try {
            (void)UniqueTemporaryDirectories::openParent(parent);
            show(parent);
            return;
        } catch (const Error &) {
            if (parent == parents.constLast()) {
                throw;
            }
        }
    }
}
