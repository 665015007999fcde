#include "kit/ui/SingletonWindowController.h"

#include "kit/foundation/system/FoundationHooks.h"
#include "kit/ui/ActivationPolicy.h"
#include "kit/ui/WindowShow.h"
#include "platform/events/MainThread.h"

#include <QCoreApplication>

#include <unordered_map>

namespace {

// Controllers are children of the application object, so whatever is still
// registered goes with it at exit; the registry only points at them.
std::unordered_map<HashableType, SingletonWindowController *> &registry()
{
    static std::unordered_map<HashableType, SingletonWindowController *> instance;
    return instance;
}

} // namespace

SingletonWindowController::SingletonWindowController(KwWindow *window)
    : QObject(QCoreApplication::instance())
    , m_window(window)
{
    ASSERT_MAIN_THREAD();
    if (m_window) {
        connect(m_window, &KwWindow::willClose, this, &SingletonWindowController::windowWillClose);
    }
}

SingletonWindowController::~SingletonWindowController()
{
    ASSERT_MAIN_THREAD();
    auto &entries = registry();
    for (auto it = entries.begin(); it != entries.end(); ++it) {
        if (it->second == this) {
            entries.erase(it);
            break;
        }
    }
    delete m_window.data();
}

void SingletonWindowController::windowWillClose()
{
    auto &entries = registry();
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
    const auto &entries = registry();
    const auto found = entries.find(type);
    return found == entries.end() ? nullptr : found->second;
}

void SingletonWindowController::registerController(
    const HashableType &type, SingletonWindowController *controller)
{
    ASSERT_MAIN_THREAD();
    registry()[type] = controller;
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
