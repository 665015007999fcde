#pragma once

#include <QDateTime>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

class UserDefaults;

// The launch bookkeeping, done once per process when the shared instance is made: the launch
// count, the first-launch date, and the modifier keys held at launch (Shift+Control+Alt opens
// the support window; with Super as well it offers to delete all settings and data).
class KwKit
{
public:
    // The product's pages. The application sets them at start-up.
    struct Metadata
    {
        QUrl website;
        QUrl feedbackPage;
        QUrl moreAppsPage;
        // Linux has no application store, so the application has none unless it says so.
        std::optional<QString> storeIdentifier;
        // Whether the feedback page is one of the maker's, where what users write arrives, rather
        // than a page of the program's own help: only then is a review asked for or an answer
        // promised.
        bool feedbackReachesMaker = false;
    };

    enum class LaunchChord { None, SupportWindow, DeleteAllData };

    struct Environment
    {
        std::shared_ptr<UserDefaults> database;
        // The modifier keys held now, read from the keyboard state.
        std::function<Qt::KeyboardModifiers()> heldModifiers;
        // Runs the chord's action; the shared instance does it on the next turn of the event loop.
        std::function<void(LaunchChord)> handleChord;
    };

    // The instance that did this process's bookkeeping; made on first use.
    static KwKit &shared();

    static Metadata metadata();
    static void setMetadata(Metadata metadata);

    // Exactly Shift+Control+Alt, or those and Super; anything else (Caps Lock and keypad aside)
    // is no chord.
    static LaunchChord launchChord(Qt::KeyboardModifiers modifiers);

    // Does the bookkeeping against `environment`; tests make their own starts with it.
    explicit KwKit(Environment environment);

    qint64 launchCount() const { return m_launchCount; }
    bool isFirstLaunch() const { return m_launchCount == 1; }
    QDateTime firstLaunchDate() const { return m_firstLaunchDate; }

private:
    qint64 m_launchCount = 0;
    QDateTime m_firstLaunchDate;
};
