#pragma once

class QWindow;

// Bringing the application forward: a tray program has no application of its own to activate,
// only its windows.
namespace WindowActivation {

// Starts noting which window the user last had in focus. Needs the application object; once is
// enough, later calls do nothing.
void followFocus();

// The window the user would see on top: the modal one, else the focused one, else the one last
// focused while it is still shown, else the newest shown window or dialog. Menus, tooltips and
// the like never count, nor windows that take no focus. None when nothing is shown.
QWindow *topmostWindow();

// Raises and activates topmostWindow(), if any. GUI thread.
void bringForward();

} // namespace WindowActivation
