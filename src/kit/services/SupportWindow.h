#pragma once

class QWidget;

// The window the launch chord Shift+Control+Alt opens: the debug information with ways to send
// it, and the way to start afresh.
namespace SupportWindow {

// Shows the one support window, making it when there is none; it comes up on a later turn of
// the event loop. GUI thread.
void show();
// The support window while it exists.
QWidget *window();

// Asks whether to delete all settings and data; when the user agrees, deletes them and starts
// the application again. GUI thread.
void confirmDeleteAllData();

// Removes every stored setting (registered defaults stay) and the application's own data and
// cache directories. Recordings are elsewhere and stay.
void deleteAllData();

} // namespace SupportWindow
