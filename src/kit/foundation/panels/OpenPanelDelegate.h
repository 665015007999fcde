#pragma once

#include "kit/foundation/errors/Error.h"

#include <QUrl>

// Decides, for an OpenPanel, which items can be picked and whether a pick is accepted.
class OpenPanelDelegate
{
public:
    virtual ~OpenPanelDelegate() = default;

    // A disabled item is shown but cannot be selected.
    virtual bool shouldEnableUrl(const QUrl &) { return true; }
    // None accepts the item; an error refuses it, and the panel shows the error and stays open.
    virtual ErrorPtr validateUrl(const QUrl &) { return {}; }
};
