#pragma once

#include "kit/foundation/errors/Error.h"
#include "kit/foundation/objects/Binding.h"

#include <QColor>
#include <QCoro/QCoroTask>
#include <QPainterPath>

#include <functional>
#include <optional>
#include <stop_token>

class QStackedWidget;
class QWidget;

namespace ViewModifiers {

// Paints the colour behind the widget's contents; none leaves the widget as it is.
QWidget *backgroundColor(QWidget *widget, const std::optional<QColor> &color);

// Applies `modifier` only when the condition holds; with two modifiers, the first when it holds
// and the second otherwise.
template<typename Widget, typename Modifier>
Widget *conditionalModifier(Widget *widget, bool condition, Modifier &&modifier)
{
    if (condition) {
        modifier(widget);
    }
    return widget;
}
template<typename Widget, typename IfTrue, typename IfFalse>
Widget *conditionalModifier(Widget *widget, bool condition, IfTrue &&ifTrue, IfFalse &&ifFalse)
{
    if (condition) {
        ifTrue(widget);
    } else {
        ifFalse(widget);
    }
    return widget;
}

// The widget as the first page of a navigation stack that later pages can be pushed onto, or the
// widget itself when not asked to embed it.
QWidget *embedInNavigationView(QWidget *widget, bool shouldEmbed);

// Runs `operation` each time the widget comes on screen; a failure is written to `error` unless
// it is a cancellation. When the widget leaves the screen or is destroyed, the run still going is
// cancelled: a stop is requested on the token it was given (an operation that waits stops
// waiting on it, typically by throwing a CancellationError), and whatever it fails with
// afterwards counts as cancelled. A success leaves an error already there.
void taskOrAssign(
    QWidget *widget, Binding<ErrorPtr> error, std::function<QCoro::Task<>(std::stop_token)> operation);

// The area of `bounds` that `mask` leaves free: where the mask covers, nothing shows.
QPainterPath reverseMask(const QRectF &bounds, const QPainterPath &mask);
// Clips the widget to its rectangle less `mask`, in the widget's coordinates.
void applyReverseMask(QWidget *widget, const QPainterPath &mask);

} // namespace ViewModifiers
