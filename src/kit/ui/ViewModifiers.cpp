#include "kit/ui/ViewModifiers.h"

#include "kit/foundation/errors/GeneralError.h"

#include <QEvent>
#include <QPointer>
#include <QRegion>
#include <QStackedWidget>
#include <QWidget>

namespace ViewModifiers {

QWidget *backgroundColor(QWidget *widget, const std::optional<QColor> &color)
{
    if (color) {
        QPalette palette = widget->palette();
        palette.setColor(widget->backgroundRole(), *color);
        widget->setPalette(palette);
        widget->setAutoFillBackground(true);
    }
    return widget;
}

QWidget *embedInNavigationView(QWidget *widget, bool shouldEmbed)
{
    if (!shouldEmbed) {
        return widget;
    }
    auto *stack = new QStackedWidget(widget->parentWidget());
    stack->addWidget(widget);
    return stack;
}

namespace {

class TaskRunner : public QObject
{
public:
    TaskRunner(QWidget *widget, Binding<ErrorPtr> error, std::function<QCoro::Task<>()> operation)
        : QObject(widget)
        , m_error(std::move(error))
        , m_operation(std::move(operation))
    {
        widget->installEventFilter(this);
        if (widget->isVisible()) {
            run();
        }
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == parent() && event->type() == QEvent::Show) {
            run();
        } else if (watched == parent() && event->type() == QEvent::Hide) {
            // What a run that is still going brings back has lost its view: it counts as cancelled.
            ++m_generation;
        }
        return false;
    }

private:
    void run()
    {
        // The coroutine outlives this runner when the widget goes first; it holds its own copies.
        [](QPointer<TaskRunner> runner, quint64 generation, Binding<ErrorPtr> error,
            std::function<QCoro::Task<>()> operation) -> QCoro::Task<> {
            ErrorPtr failure;
            try {
                co_await operation();
            } catch (const Error &thrown) {
                failure = thrown.clone();
            } catch (const std::exception &thrown) {
                failure = std::make_shared<GeneralError>(QString::fromLocal8Bit(thrown.what()));
            }
            if (failure && runner && runner->m_generation == generation && !failure->isCancelled()) {
                error.setValue(failure);
            }
        }(this, m_generation, m_error, m_operation);
    }

    Binding<ErrorPtr> m_error;
    std::function<QCoro::Task<>()> m_operation;
    quint64 m_generation = 0;
};

} // namespace

void taskOrAssign(QWidget *widget, Binding<ErrorPtr> error, std::function<QCoro::Task<>()> operation)
{
    new TaskRunner(widget, std::move(error), std::move(operation));
}

QPainterPath reverseMask(const QRectF &bounds, const QPainterPath &mask)
{
    QPainterPath area;
    area.addRect(bounds);
    return area.subtracted(mask);
}

void applyReverseMask(QWidget *widget, const QPainterPath &mask)
{
    widget->setMask(QRegion(reverseMask(QRectF(widget->rect()), mask).toFillPolygon().toPolygon()));
}

} // namespace ViewModifiers
