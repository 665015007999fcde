#include "app/settings/ShortcutsSettings.h"

#include "app/ShortcutNames.h"
#include "app/settings/SettingsSection.h"
#include "app/settings/SettingsTexts.h"
#include "shortcuts/Recorder.h"

#include <QLabel>

#include <algorithm>

QWidget *makeShortcutsSettings()
{
    auto *rows = new SettingsSection;
    const QList<KeyboardShortcuts::Recorder *> recorders {
        new KeyboardShortcuts::Recorder(SettingsTexts::toggleRecording, ShortcutNames::toggleRecording()),
        new KeyboardShortcuts::Recorder(
            SettingsTexts::togglePauseRecording, ShortcutNames::togglePauseRecording()),
        new KeyboardShortcuts::Recorder(
            SettingsTexts::toggleInputMonitoring, ShortcutNames::toggleInputMonitoring()),
    };
    // Each recorder lays out its own row; one label width lines the fields up.
    int labelWidth = 0;
    for (const KeyboardShortcuts::Recorder *recorder : recorders) {
        labelWidth = std::max(labelWidth, recorder->label()->sizeHint().width());
    }
    for (KeyboardShortcuts::Recorder *recorder : recorders) {
        recorder->label()->setMinimumWidth(labelWidth);
        rows->addRow(recorder);
    }
    return settingsPage({ rows });
}
