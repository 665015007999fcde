#include "app/settings/DurationSetting.h"

#include "app/SettingsKeys.h"
#include "app/settings/SettingsTexts.h"

DurationSetting::DurationSetting(std::optional<Events::AnyPublisher<bool>> trayShowsLabel, QWidget *parent)
    : Defaults::Toggle(SettingsTexts::showDuration, SettingsKeys::showDurationInMenuBar(), parent)
{
    setToolTip(SettingsTexts::showDurationHelp);
    if (trayShowsLabel) {
        m_followingTray = trayShowsLabel->sink([this](bool shows) {
            setToolTip(shows ? SettingsTexts::showDurationHelp : SettingsTexts::showDurationWithoutLabelHelp);
        });
    }
}
