#pragma once

#include "kit/foundation/panels/DirectoryPicker.h"

#include <QCoro/QCoroTask>
#include <QList>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <QWidget>

#include <functional>
#include <optional>

namespace DirectoryPicker {

struct Options
{
    bool allowsMultipleSelection = false;
    // The panel becomes a sheet of this window; without one it stands free.
    QPointer<QWidget> parentWindow;
    // None is "Choose".
    std::optional<QString> prompt;
    std::optional<QString> message;
    // None, or a folder that is not there, leaves the panel's own: the user's home.
    std::optional<QUrl> directoryURL;
    bool canCreateDirectories = true;
    std::function<bool(const QUrl &)> shouldEnable;
    // Every chosen directory must take a write; a refusal is shown and the panel opens again.
    bool ensureWritable = false;
};

// Asks the user for directories; empty when the panel is cancelled. GUI thread.
QCoro::Task<QList<QUrl>> pickDirectories(Options options);
QCoro::Task<std::optional<QUrl>> pickDirectory(Options options);

} // namespace DirectoryPicker
