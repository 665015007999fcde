#include "kit/ui/SingletonWindowController.h"

#include "kit/foundation/system/FoundationHooks.h"
#include "kit/ui/ActivationPolicy.h"
#include "kit/ui/WindowShow.h"
#include "platform/events/MainThread.h"

#include <QCoreApplication>

#include <unordered_map>
#include <unordered_set>

namespace {

struct Controllers
{
    // The one shown controller of each class.
    std::unordered_map<HashableType, SingletonWindowController *> registered;
    // Every controller not yet deleted, also those closed and waiting for their deleteLater().
    std::unordered_set<SingletonWindowController *> living;
    // The application whose aboutToQuit() deletes them.
    QPointer<QCoreApplication> endsWith;
};

Controllers &controllers()
{
    static Controllers instance;
    return instance;
}

// A widget deleted after QApplication's destructor finds its style and native windows gone, so
// the controllers go while the application still runs. One that never ran its loop keeps them
// to the process's end.
void deleteAll()
{
    auto &all = controllers();
    all.registered.clear();
    while (!all.living.empty()) {
        delete *all.living.begin();
    }
}

} // namespace

SingletonWindowController::SingletonWindowController(KwWindow *window)
    : m_window(window)
{
    ASSERT_MAIN_THREAD();
    auto &all = controllers();
    all.living.insert(this);
    auto *application = QCoreApplication::instance();
    if (application && all.endsWith != application) {
        all.endsWith = application;
        connect(application, &QCoreApplication::aboutToQuit, application, &deleteAll);
    }
    if (m_window) {
        connect(m_window, &KwWindow::willClose, this, &SingletonWindowController::windowWillClose);
    }
}

SingletonWindowController::~SingletonWindowController()
{
    ASSERT_MAIN_THREAD();
    auto &all = controllers();
    all.living.erase(this);
    for (auto it = all.registered.begin(); it != all.registered.end(); ++it) {
        if (it->second == this) {
            all.registered.erase(it);
            break;
        }
    }
    delete m_window.data();
}

void SingletonWindowController::windowWillClose()
{
    auto &entries = controllers().registered;
    const auto found = entries.find(HashableType { std::type_index(typeid(*this)) });
    if (found == entries.end()) {
        return;
    }
    SingletonWindowController *controller = found->second;
    entries.erase(found);
    // The window is still inside its close handling.
    controller->deleteLater();
}

SingletonWindowController *SingletonWindowController::registered(const HashableType &type)
{
    ASSERT_MAIN_THREAD();
    const auto &entries = controllers().registered;
    const auto found = entries.find(type);
    return found == entries.end() ? nullptr : found->second;
}

void SingletonWindowController::registerController(
    const HashableType &type, SingletonWindowController *controller)
{
    ASSERT_MAIN_THREAD();
    controllers().registered[type] = controller;
}

void SingletonWindowController::showController(SingletonWindowController *controller, bool animated)
{
    ASSERT_MAIN_THREAD();
    QPointer<KwWindow> window = controller->window();
    if (!window) {
        return;
    }
    if (controller->shouldActivateWindowWhenAppIsAccessory()
        && Activation::policy() == ActivationPolicy::accessory) {
        FoundationHooks::activateApp();
    }
    Events::runOnMain([window, animated] {
        if (window) {
            WindowShow::show(window, { .animated = animated, .makeKey = true });
        }
    });
}
