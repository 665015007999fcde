#pragma once

class QWidget;

// Launch at login, the recording format and what happens after a recording.
QWidget *makeGeneralSettings();
