#include "kit/ui/PasteboardSimpleObservable.h"

#include "platform/events/CurrentValueSubject.h"

#include <QClipboard>
#include <QGuiApplication>

namespace {

Events::AnyCancellable cancelling(const QMetaObject::Connection &connection)
{
    return Events::AnyCancellable([connection] { QObject::disconnect(connection); });
}

} // namespace

// Shared with the connections, which hold it weakly: one that fires while the object is being
// released does nothing, and a subscriber that releases the object while told keeps it intact.
struct Pasteboard::SimpleObservable::State
{
    explicit State(QClipboard *clipboard)
        : pasteboard(clipboard)
    { }

    ObservableObjectPublisher objectWillChange;
    Events::CurrentValueSubject<QClipboard *> pasteboard;
    // The clipboard's subscription, present while changes are followed.
    Events::AnyCancellable pasteboardPublisherCancellable;

    void publish()
    {
        objectWillChange.send();
        pasteboard.send(pasteboard.value());
    }

    static void follow(const std::shared_ptr<State> &state)
    {
        QClipboard *clipboard = state->pasteboard.value();
        state->pasteboardPublisherCancellable = cancelling(QObject::connect(
            clipboard, &QClipboard::dataChanged, clipboard, [weak = std::weak_ptr<State>(state)] {
                if (const auto state = weak.lock()) {
                    state->publish();
                }
            }));
    }
};

Pasteboard::SimpleObservable::SimpleObservable(QClipboard *pasteboard, bool onlyWhenAppIsActive)
    : m_onlyWhenAppIsActive(onlyWhenAppIsActive)
    , m_state(std::make_shared<State>(pasteboard ? pasteboard : QGuiApplication::clipboard()))
{
    if (!onlyWhenAppIsActive) {
        State::follow(m_state);
        return;
    }
    auto *application = qGuiApp;
    cancelling(QObject::connect(application, &QGuiApplication::applicationStateChanged, application,
                   [weak = std::weak_ptr<State>(m_state)](Qt::ApplicationState applicationState) {
                       const auto state = weak.lock();
                       if (!state) {
                           return;
                       }
                       if (applicationState != Qt::ApplicationActive) {
                           state->pasteboardPublisherCancellable.cancel();
                       } else if (!state->pasteboardPublisherCancellable.isActive()) {
                           State::follow(state);
                           state->publish();
                       }
                   }))
        .store(m_cancellables);
    if (QGuiApplication::applicationState() == Qt::ApplicationActive) {
        State::follow(m_state);
    }
}

Pasteboard::SimpleObservable::~SimpleObservable() = default;

QClipboard *Pasteboard::SimpleObservable::pasteboard() const
{
    return m_state->pasteboard.value();
}

Events::AnyPublisher<Events::Void> Pasteboard::SimpleObservable::objectWillChange() const
{
    return m_state->objectWillChange.eraseToAnyPublisher();
}

Events::AnyPublisher<QClipboard *> Pasteboard::SimpleObservable::pasteboardPublisher() const
{
    return m_state->pasteboard.eraseToAnyPublisher();
}
