#pragma once

#include "platform/events/AnyPublisher.h"

#include <optional>

class QWidget;

// The tray icon's style and dimming, and where the duration shows; `trayShowsLabel` as
// DurationSetting takes it.
QWidget *makeAppearanceSettings(std::optional<Events::AnyPublisher<bool>> trayShowsLabel = std::nullopt);
