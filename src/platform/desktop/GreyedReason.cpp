#include "platform/desktop/GreyedReason.h"

#include <QAction>

namespace {

constexpr char reasonProperty[] = "tapewickGreyedReason";

} // namespace

namespace GreyedReason {

void set(QAction &action, const QString &reason)
{
    action.setProperty(reasonProperty, reason);
    // Menus and their exporter hear of an item through its changes: a tooltip that already says
    // the reason would change nothing.
    if (action.toolTip() == reason) {
        action.setToolTip(QString());
    }
    action.setToolTip(reason);
}

std::optional<QString> shown(const QAction &action)
{
    if (action.isEnabled() || !action.isVisible()) {
        return std::nullopt;
    }
    const QString reason = action.property(reasonProperty).toString();
    if (reason.isEmpty() || action.toolTip() != reason) {
        return std::nullopt;
    }
    return reason;
}

} // namespace GreyedReason
