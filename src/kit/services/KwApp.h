#pragma once

#include "kit/collections/AtomicDictionary.h"

#include <QString>
#include <QUrl>
#include <QVariant>

#include <functional>
#include <memory>

class QWidget;
class UserDefaults;

// Application-wide facts and services.
namespace KwApp {

// The application's name, read once.
QString name();
// The application identifier (the domain of the program's own errors), read once.
QString identifier();
QString version();

// True when this is the first launch of the installation; settled by KwKit::shared().
bool isFirstLaunch();
// Whether the previous run crashed, as the crash reporting found at its start; read once.
bool crashedLastRun();

// True the first time it is called with `identifier` in the life of the installation.
bool runOnce(const QString &identifier);
bool runOnce(const QString &identifier, const std::shared_ptr<UserDefaults> &database);

// Entries that every error report and the debug information carry; any thread may add some.
AtomicDictionary<QString, QVariant> &customDebugInfo();

// A directory of this process's own, made on first use and removed when the application quits.
// Recordings never live here, so removing it loses nothing the user may still want.
QString scratchDirectory();

// Brings the application to the front before it shows a window of its own.
void activate();

// The settings window when it exists: the top-level widget named settingsWindowObjectName.
inline constexpr const char *settingsWindowObjectName = "settingsWindow";
QWidget *settingsWindow();
// How the application shows its settings; showSettings() calls it on the GUI thread.
void setShowSettingsHandler(std::function<void()> handler);
void showSettings();

void showAboutWindow();
void openURL(const QUrl &url);
QUrl feedbackURL();
void openSendFeedbackPage();

// Counts this call; at one of `counts`, when this is not the first launch, the previous run
// did not crash and the feedback page reaches the maker, offers once in the installation's life
// to open that page.
void requestReview(const QList<int> &counts);

// Exactly Shift and Control held (Caps Lock and keypad aside): the menu then offers "Debug".
bool isDebugModifier(Qt::KeyboardModifiers modifiers);
// Whether the keys were held the first time anything asked; read once.
bool isDebugModifierHeld();

// What the application answers when asked to quit (its quit confirmation); none quits at once.
void setShouldTerminate(std::function<bool()> shouldTerminate);
// Asks the application to quit through its quit confirmation. GUI thread. quitAppAsync()
// (kit/foundation) reaches it from any thread once the hooks are installed.
void terminate();

// Hands the foundation layer what it needs from this one: the error-report routine, bringing
// the application forward, quitting through the quit confirmation and the preference that keeps
// directory grants. KwKit::shared() does it.
void installFoundationHooks();
// Removes scratchDirectory() when it was made; KwKit::shared() calls it when the application quits.
void removeScratchDirectory();

} // namespace KwApp
