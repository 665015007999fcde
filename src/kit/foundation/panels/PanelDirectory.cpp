#include "kit/foundation/panels/PanelDirectory.h"

#include <QDir>
#include <QFileInfo>

QString panelDirectory(const std::optional<QUrl> &preferred)
{
    if (preferred && preferred->isLocalFile() && QFileInfo(preferred->toLocalFile()).isDir()) {
        return QDir::cleanPath(QFileInfo(preferred->toLocalFile()).absoluteFilePath());
    }
    return QDir::homePath();
}
