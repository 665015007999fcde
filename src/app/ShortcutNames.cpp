#include "app/ShortcutNames.h"

namespace ShortcutNames {

const KeyboardShortcuts::Name &toggleRecording()
{
    static const KeyboardShortcuts::Name name("toggleRecording");
    return name;
}

const KeyboardShortcuts::Name &togglePauseRecording()
{
    static const KeyboardShortcuts::Name name("togglePauseRecording");
    return name;
}

const KeyboardShortcuts::Name &toggleInputMonitoring()
{
    static const KeyboardShortcuts::Name name("toggleInputMonitoring");
    return name;
}

} // namespace ShortcutNames
