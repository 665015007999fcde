#pragma once

#include "kit/collections/ObservableObject.h"
#include "kit/ui/Pasteboard.h"

#include "platform/events/AnyCancellable.h"
#include "platform/events/CancellableSet.h"

#include <memory>

// The clipboard as an observable object: each change of its content sends objectWillChange and
// then publishes the clipboard again. With `onlyWhenAppIsActive`, changes are followed only while
// the application is active (holds the focus); becoming active publishes once, as the content may
// have changed in the meantime. Make and use it on the GUI thread.
class Pasteboard::SimpleObservable
{
public:
    // The application's clipboard when `pasteboard` is null.
    explicit SimpleObservable(QClipboard *pasteboard = nullptr, bool onlyWhenAppIsActive = false);
    ~SimpleObservable();
    SimpleObservable(const SimpleObservable &) = delete;
    SimpleObservable &operator=(const SimpleObservable &) = delete;

    QClipboard *pasteboard() const;
    bool onlyWhenAppIsActive() const { return m_onlyWhenAppIsActive; }

    Events::AnyPublisher<Events::Void> objectWillChange() const;
    // The clipboard at once, then again at every change that is followed.
    Events::AnyPublisher<QClipboard *> pasteboardPublisher() const;

private:
    struct State;

    // The application-state subscription, while only an active application follows changes.
    Events::CancellableSet m_cancellables;
    bool m_onlyWhenAppIsActive;
    std::shared_ptr<State> m_state;
};
