#pragma once

#include "kit/foundation/objects/HashableType.h"
#include "kit/ui/KwWindow.h"

#include <QObject>
#include <QPointer>

#include <memory>
#include <typeinfo>

// Keeps at most one window of each kind: a subclass is created on first show
// through its parameterless constructor, kept by a process-wide registry keyed by
// its class, and dropped from it when its window closes, so the next show builds a
// fresh one. The registry owns them: whatever is left goes, window and all, when the
// application's event loop ends. GUI thread only.
class SingletonWindowController : public QObject
{
    Q_OBJECT
public:
    // Takes the window (which may be null; then showing does nothing).
    explicit SingletonWindowController(KwWindow *window);
    ~SingletonWindowController() override;

    KwWindow *window() const { return m_window; }

    bool shouldActivateWindowWhenAppIsAccessory() const { return m_shouldActivate; }
    void setShouldActivateWindowWhenAppIsAccessory(bool activate) { m_shouldActivate = activate; }

    // Windows of this kind come up only through show().
    void showWindow() { }

    // Brings the one window of `Controller` to the front, creating it when needed;
    // the window comes up on a later turn of the event loop.
    template<typename Controller>
    static void show(bool animated)
    {
        showController(controller<Controller>(), animated);
    }

    // The registered controller of that class, created when there is none.
    template<typename Controller>
    static Controller *controller()
    {
        static_assert(std::is_base_of_v<SingletonWindowController, Controller>);
        if (auto *found = registered(HashableType::of<Controller>())) {
            return static_cast<Controller *>(found);
        }
        auto *created = new Controller();
        registerController(HashableType::of<Controller>(), created);
        return created;
    }

    // The registered controller of that class, without creating one.
    template<typename Controller>
    static Controller *existing()
    {
        return static_cast<Controller *>(registered(HashableType::of<Controller>()));
    }

protected:
    // Removes whatever controller is registered under this object's class.
    virtual void windowWillClose();

private:
    static SingletonWindowController *registered(const HashableType &type);
    static void registerController(const HashableType &type, SingletonWindowController *controller);
    static void showController(SingletonWindowController *controller, bool animated);

    QPointer<KwWindow> m_window;
    bool m_shouldActivate = true;
};
