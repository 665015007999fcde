#include "platform/desktop/DesktopTrash.h"

#include <QFile>

#include "platform/desktop/GLibIncludes.h"

namespace DesktopTrash {

std::optional<QString> trashItem(const QString &path)
{
    const QByteArray encoded = QFile::encodeName(path);
    GFile *file = g_file_new_for_path(encoded.constData());
    GError *error = nullptr;
    const bool moved = g_file_trash(file, nullptr, &error);
    g_object_unref(file);
    if (moved) {
        return std::nullopt;
    }
    QString reason = error ? QString::fromUtf8(error->message)
                           : QStringLiteral("The item could not be moved to the trash.");
    g_clear_error(&error);
    return reason;
}

} // namespace DesktopTrash
