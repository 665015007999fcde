#pragma once

#include "kit/ui/LayerHostingView.h"

// Hosts a drawing in a status-item button, whose coordinates run top-down like the button's own.
class StatusBarButtonLayerHostingView : public LayerHostingView
{
    Q_OBJECT

public:
    using LayerHostingView::LayerHostingView;
    bool isFlipped() const override { return true; }
};
