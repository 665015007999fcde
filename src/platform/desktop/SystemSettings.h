#pragma once

#include <QString>

// Opens the desktop's own settings for `pane`, a pane identifier of the other system the
// program comes from. The microphone's pane is the sound page of the desktop's settings under
// GNOME, KDE Plasma and Cinnamon; any other pane, or another desktop, opens the desktop's
// settings application as it starts. Without the running desktop's settings program, the
// first settings program installed is used, else the sound server's mixer (on its input page for
// the microphone). False when none could be started.
bool openSystemSettings(const QString &pane);
