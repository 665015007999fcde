#include "kit/foundation/panels/PanelAsync.h"

#include "platform/events/MainThread.h"

#include <QDialog>
#include <QFileDialog>
#include <QPointer>

#include <coroutine>
#include <memory>

namespace {

struct PanelAnswer
{
    struct State
    {
        bool finished = false;
        int response = QDialog::Rejected;
        std::coroutine_handle<> continuation;
        QList<QMetaObject::Connection> connections;
    };

    QPointer<QFileDialog> panel;
    QPointer<QWidget> window;
    bool hadWindow = false;
    std::shared_ptr<State> state = std::make_shared<State>();

    bool await_ready() const noexcept { return !panel || (hadWindow && !window); }

    void await_suspend(std::coroutine_handle<> continuation)
    {
        state->continuation = continuation;
        auto finish = [state = state](int response) {
            if (state->finished) {
                return;
            }
            state->finished = true;
            state->response = response;
            for (const auto &connection : state->connections) {
                QObject::disconnect(connection);
            }
            // Resumed from the event loop, never from inside a destructor that signalled the end.
            Events::runOnMain([continuation = state->continuation] { continuation.resume(); });
        };
        state->connections.append(
            QObject::connect(panel, &QDialog::finished, [finish](int result) { finish(result); }));
        state->connections.append(
            QObject::connect(panel, &QObject::destroyed, [finish] { finish(QDialog::Rejected); }));
        if (window) {
            state->connections.append(
                QObject::connect(window, &QObject::destroyed, [finish] { finish(QDialog::Rejected); }));
        }
        if (hadWindow) {
            panel->open();
        } else {
            panel->show();
        }
    }

    int await_resume() const noexcept { return state->finished ? state->response : QDialog::Rejected; }
};

} // namespace

QCoro::Task<int> beginAsync(QFileDialog *panel, QWidget *window)
{
    QPointer<QFileDialog> guardedPanel(panel);
    QPointer<QWidget> guardedWindow(window);
    co_await Events::resumeOnMain();
    if (!guardedPanel || (window && !guardedWindow)) {
        co_return QDialog::Rejected;
    }
    if (window) {
        if (guardedPanel->parentWidget() != window) {
            guardedPanel->setParent(window, guardedPanel->windowFlags() | Qt::Dialog);
        }
        guardedPanel->setWindowModality(Qt::WindowModal);
    } else {
        guardedPanel->setWindowModality(Qt::NonModal);
    }
    // A named awaiter: GCC 12 destroys a temporary one in a co_await expression twice.
    PanelAnswer answer { guardedPanel, guardedWindow, window != nullptr };
    const int response = co_await answer;
    co_return response;
}
