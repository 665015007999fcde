#include "app/settings/GeneralSettings.h"

#include "app/SettingsKeys.h"
#include "app/settings/SettingsSection.h"
#include "app/settings/SettingsTexts.h"
#include "kit/services/AlertBuilder.h"
#include "kit/services/KwApp.h"
#include "kit/services/LaunchAtLogin.h"
#include "kit/services/ServiceTexts.h"
#include "preferences/DefaultsToggle.h"

namespace {

constexpr char copyWarningIdentifier[] = "copyWarning";

void warnAboutCopyingOnce(bool copying)
{
    if (copying && KwApp::runOnce(QString::fromLatin1(copyWarningIdentifier))) {
        KwApp::activate();
        presentAlertOnMainQueue(nullptr, SettingsTexts::copyWarningTitle, SettingsTexts::copyWarningMessage,
            { SettingsTexts::ok });
    }
}

} // namespace

QWidget *makeGeneralSettings()
{
    auto *startup = new SettingsSection(SettingsTexts::startupSection);
    startup->addRow(new LaunchAtLoginToggle(ServiceTexts::launchAtLogin()));

    auto *audio = new SettingsSection(SettingsTexts::audioSection);
    auto *lossless = new Defaults::Toggle(SettingsTexts::lossless, SettingsKeys::lossless());
    lossless->setToolTip(SettingsTexts::losslessHelp);
    audio->addRow(lossless);

    auto *afterRecording = new SettingsSection(SettingsTexts::afterRecordingSection);
    auto *copy = new Defaults::Toggle(SettingsTexts::copyRecording, SettingsKeys::copyRecordingWhenDone());
    copy->onChange(warnAboutCopyingOnce);
    afterRecording->addRow(copy);
    // Without a note on previewing it there: file managers differ in what a key press does to the
    // shown file, and none of them trims a recording.
    auto *show
        = new Defaults::Toggle(SettingsTexts::showInFileManager, SettingsKeys::showInFinderAfterSaving());
    show->setToolTip(SettingsTexts::showInFileManagerHelp);
    afterRecording->addRow(show);

    return settingsPage({ startup, audio, afterRecording });
}
