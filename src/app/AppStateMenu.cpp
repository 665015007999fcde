#include "app/AppState.h"

#include "kit/services/CallbackMenuItem.h"
#include "kit/services/MenuItems.h"
#include "recording/AudioRecorderController.h"

// The menu's first form: recording and quitting. The full status menu takes this file's place.
void AppState::updateMenu(KwMenu &menu)
{
    menu.clear();
    const bool stopped = recordingState() == AudioRecorder::State::stopped;
    menu.addAction(new CallbackMenuItem(
        stopped ? QStringLiteral("Record") : QStringLiteral("Stop"),
        [this] { m_recorder->toggleRecording(); }, &menu));
    menu.addSeparator();
    addQuitItem(&menu);
}
