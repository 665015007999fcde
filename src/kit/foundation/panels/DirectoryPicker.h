#pragma once

#include "kit/foundation/panels/OpenPanelDelegate.h"

#include <functional>

namespace DirectoryPicker {

// Enables the items its closure accepts; every item while it has none.
class PanelDelegate : public OpenPanelDelegate
{
public:
    std::function<bool(const QUrl &)> shouldEnable;

    bool shouldEnableUrl(const QUrl &url) override { return !shouldEnable || shouldEnable(url); }
};

} // namespace DirectoryPicker
