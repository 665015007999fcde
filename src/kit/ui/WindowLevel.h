#pragma once

#include <cstdint>

class QWidget;

// Stacking of a window among others, by the levels of the system the program was first made
// for (their numbers order them). An X11 window manager stacks in three layers only: levels
// below normal keep the window below others, levels above it keep it above, so two levels in
// one layer stack alike; the level itself is remembered on the window.
enum class WindowLevel : std::int32_t {
    minimum = INT32_MIN,
    desktop = INT32_MIN + 25,
    desktopIcon = INT32_MIN + 45,
    backstopMenu = -20,
    normal = 0,
    floating = 3,
    utility = 19,
    overlay = 102,
    help = 200,
    dragging = 500,
    assistiveTechHigh = 1500,
    shielding = INT32_MAX - 19,
    cursor = INT32_MAX - 17,
    maximum = INT32_MAX - 16,
};

// Sets the level of the window at once; changing it re-maps a shown window.
void setWindowLevel(QWidget *window, WindowLevel level);
// The level set last, else the one the window's stacking hints amount to.
WindowLevel windowLevel(const QWidget *window);

// Sets the level of whatever window hosts `content`, whenever that becomes known.
void applyWindowLevel(QWidget *content, WindowLevel level);

// Shows or hides the close, minimise and maximise buttons of the window's title bar.
void setTitlebarButtonsVisible(QWidget *window, bool visible);
bool titlebarButtonsVisible(const QWidget *window);
