#include "app/settings/GeneralSettings.h"

#include "app/SettingsKeys.h"
#include "app/settings/SettingsSection.h"
#include "app/settings/SettingsTexts.h"
#include "kit/services/AlertBuilder.h"
#include "kit/services/KwApp.h"
#include "kit/services/LaunchAtLogin.h"
#include "kit/services/ServiceTexts.h"
#include "kit/ui/SecondaryTextStyle.h"
#include "preferences/DefaultsToggle.h"

#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

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

// The switch with its note on a second line under the title.
QWidget *showInFinderRow()
{
    auto *row = new QWidget;
    auto *toggle
        = new Defaults::Toggle(SettingsTexts::showInFinder, SettingsKeys::showInFinderAfterSaving(), row);
    auto *note = new QLabel(SettingsTexts::showInFinderNote, row);
    note->setTextFormat(Qt::PlainText);
    note->setWordWrap(true);
    applySecondaryTextStyle(note, TextStyle::smallSystemFontSize());
    toggle->setToolTip(SettingsTexts::showInFinderHelp);
    note->setToolTip(SettingsTexts::showInFinderHelp);

    auto *layout = new QVBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(toggle);
    // Under the title, not under the box.
    const QStyle *style = toggle->style();
    const int indent = style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, toggle)
        + style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, toggle);
    note->setContentsMargins(indent, 0, 0, 0);
    layout->addWidget(note);
    return row;
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
    afterRecording->addRow(showInFinderRow());

    return settingsPage({ startup, audio, afterRecording });
}
