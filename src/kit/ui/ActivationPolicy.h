#pragma once

// How the application presents itself: a tray application is an accessory, with
// no taskbar presence of its own, and must bring itself forward when it opens a window.
enum class ActivationPolicy { regular = 0, accessory = 1, prohibited = 2 };

namespace Activation {

ActivationPolicy policy();
void setPolicy(ActivationPolicy policy);

} // namespace Activation
