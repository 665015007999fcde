#pragma once

#include <QString>

#include <optional>

// Moves items into the desktop's trash, where file managers can restore them from.
namespace DesktopTrash {

// Moves the file or folder at `path` into the trash that serves it; the reason when it could not.
std::optional<QString> trashItem(const QString &path);

} // namespace DesktopTrash
