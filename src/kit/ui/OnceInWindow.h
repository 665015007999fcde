#pragma once

#include <functional>

class QWidget;

// Runs `onAdded` once, when `view` first comes on screen in its window (at once when it already
// is). A zero-size helper child does the watching and removes itself afterwards.
void runOnceInWindow(QWidget *view, std::function<void()> onAdded);
