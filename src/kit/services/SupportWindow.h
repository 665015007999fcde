#pragma once

// The window the launch chord Shift+Control+Alt opens: the debug information with ways to send
// it, and the way to start afresh.
namespace SupportWindow {

// Shows the one support window, making it on first use. GUI thread.
void show();

// Asks whether to delete all settings and data; when the user agrees, deletes them and starts
// the application again. GUI thread.
void confirmDeleteAllData();

// Removes every stored setting (registered defaults stay) and the application's own data and
// cache directories. Recordings are elsewhere and stay.
void deleteAllData();

} // namespace SupportWindow
