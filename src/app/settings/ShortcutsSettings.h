#pragma once

class QWidget;

// The recorders of the three global shortcuts.
QWidget *makeShortcutsSettings();
