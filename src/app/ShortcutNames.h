#pragma once

#include "shortcuts/ShortcutName.h"

// The recorder's user-assignable global shortcuts; none has a default shortcut.
namespace ShortcutNames {

const KeyboardShortcuts::Name &toggleRecording();
const KeyboardShortcuts::Name &togglePauseRecording();
const KeyboardShortcuts::Name &toggleInputMonitoring();

} // namespace ShortcutNames
