#pragma once

class QWidget;

// The tray icon's style and dimming, and where the duration shows.
QWidget *makeAppearanceSettings();
