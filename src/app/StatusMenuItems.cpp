#include "app/StatusMenuItems.h"

#include "kit/foundation/objects/MenuItemCancellables.h"
#include "kit/services/AlertBuilder.h"
#include "kit/services/CallbackMenuItem.h"
#include "kit/services/KwApp.h"
#include "kit/services/KwMenu.h"
#include "preferences/Defaults.h"

#include <QPointer>
#include <QTimer>

void runWarningAlert(const QString &title, const QString &message)
{
    KwApp::activate();
    AlertOptions options;
    options.title = title;
    options.message = message;
    options.style = AlertStyle::Warning;
    options.defaultButtonIndex = -1;
    runAlertModal(makeAlert(options));
}

QAction *addPeriodicallyUpdatedItem(
    KwMenu *menu, std::chrono::milliseconds interval, std::function<void(QAction *)> update)
{
    auto *item = menu->addAction(QString());
    update(item);
    auto *timer = new QTimer(item);
    QObject::connect(timer, &QTimer::timeout, item, [item, update] { update(item); });
    timer->start(interval);
    QPointer<QTimer> guardedTimer(timer);
    keepCancellable(item, menu->isOpenPublisher().dropFirst().sink([guardedTimer](bool isOpen) {
        if (!isOpen && guardedTimer) {
            guardedTimer->stop();
        }
    }));
    return item;
}

CallbackMenuItem *addDefaultsSetToggleItem(QMenu *menu, const QString &title,
    const Defaults::Key<std::set<std::string>> &key, const QString &element, bool isEnabled,
    std::function<void()> action)
{
    const std::string member = element.toStdString();
    // The check mark the user saw decides, not the set as it is when the choice arrives.
    const bool wasMember = Defaults::get(key).contains(member);
    auto *item = new CallbackMenuItem(
        title, QString(), std::nullopt, isEnabled, wasMember, false,
        [key, member, wasMember, action = std::move(action)] {
            std::set<std::string> members = Defaults::get(key);
            if (wasMember) {
                members.erase(member);
            } else {
                members.insert(member);
            }
            Defaults::set(key, members);
            if (action) {
                action();
            }
        },
        menu);
    menu->addAction(item);
    return item;
}
