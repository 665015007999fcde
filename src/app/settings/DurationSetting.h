#pragma once

#include "platform/events/AnyCancellable.h"
#include "platform/events/AnyPublisher.h"
#include "preferences/DefaultsToggle.h"

#include <optional>

// "Show duration in the tray while recording". Its help says what the setting does on the tray in
// use: a tray that shows a label beside the icon shows the duration there, and one that shows none
// (the XEmbed tray) leaves it in the menu and the tooltip whatever the setting.
class DurationSetting : public Defaults::Toggle
{
    Q_OBJECT

public:
    // `trayShowsLabel` tells whether the tray in use shows a label, and again after each move to
    // another tray, on the GUI thread; without it the help is a labelled tray's.
    explicit DurationSetting(
        std::optional<Events::AnyPublisher<bool>> trayShowsLabel = std::nullopt, QWidget *parent = nullptr);

private:
    Events::AnyCancellable m_followingTray;
};
