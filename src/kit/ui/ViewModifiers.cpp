#include "kit/ui/ViewModifiers.h"

#include "kit/foundation/errors/GeneralError.h"

#include <QEvent>
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
    TaskRunner(
        QWidget *widget, Binding<ErrorPtr> error, std::function<QCoro::Task<>(std::stop_token)> operation)
        : QObject(widget)
        , m_error(std::move(error))
        , m_operation(std::move(operation))
    {
        widget->installEventFilter(this);
        if (widget->isVisible()) {
            run();
        }
    }

    ~TaskRunner() override { m_run.request_stop(); }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == parent() && event->type() == QEvent::Show) {
            run();
        } else if (watched == parent() && event->type() == QEvent::Hide) {
            m_run.request_stop();
        }
        return false;
    }

private:
    void run()
    {
        m_run.request_stop();
        m_run = std::stop_source();
        // The coroutine outlives this runner when the widget goes first; it holds its own copies,
        // and a stopped run no longer touches the binding.
        [](std::stop_source run, Binding<ErrorPtr> error,
            std::function<QCoro::Task<>(std::stop_token)> operation) -> QCoro::Task<> {
            ErrorPtr failure;
            try {
                co_await operation(run.get_token());
            } catch (const Error &thrown) {
                failure = thrown.clone();
            } catch (const std::exception &thrown) {
                failure = std::make_shared<GeneralError>(QString::fromLocal8Bit(thrown.what()));
            }
            if (failure && !run.stop_requested() && !failure->isCancelled()) {
                error.setValue(failure);
            }
        }(m_run, m_error, m_operation);
    }

    Binding<ErrorPtr> m_error;
    std::function<QCoro::Task<>(std::stop_token)> m_operation;
    // The current run's; a run that ended keeps a source nobody stops any more.
    std::stop_source m_run;
};

} // namespace

void taskOrAssign(
    QWidget *widget, Binding<ErrorPtr> error, std::function<QCoro::Task<>(std::stop_token)> operation)
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
