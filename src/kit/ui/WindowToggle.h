#pragma once

class QWidget;

// Closes the window when it is shown and active; otherwise brings it to the front
// and activates it (bringing an accessory application forward first).
void toggleWindow(QWidget *window);
