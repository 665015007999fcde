#include "recording/TemporaryRecordings.h"

#include "kit/foundation/files/UniqueTemporaryDirectories.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

void showTemporaryRecordingsDirectory()
{
    // A probe learns where the directories are made, whichever place was usable today.
    const QString probe = uniqueTemporaryDirectory().toLocalFile();
    QDir().rmdir(probe);
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(probe).absolutePath()));
}
