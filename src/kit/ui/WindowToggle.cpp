#include "kit/ui/WindowToggle.h"

#include "kit/foundation/system/FoundationHooks.h"
#include "kit/ui/ActivationPolicy.h"

#include <QWidget>

void toggleWindow(QWidget *window)
{
    if (!window) {
        return;
    }
    if (window->isVisible() && window->isActiveWindow()) {
        window->close();
        return;
    }
    if (Activation::policy() == ActivationPolicy::accessory) {
        FoundationHooks::activateApp();
    }
    window->show();
    window->raise();
    window->activateWindow();
}
