#pragma once

#include "platform/events/AnyPublisher.h"
#include "platform/events/PassthroughSubject.h"
#include "platform/events/Void.h"

#include <QWidget>

// A widget that tells, once each, when it is first put into a parent and when it first
// appears on screen, so that owners can finish setting it up at those moments. One made with a
// parent tells of that move on the next turn of the event loop.
class KwView : public QWidget
{
    Q_OBJECT

public:
    explicit KwView(QWidget *parent = nullptr);

    Events::AnyPublisher<Events::Void> didMoveToSuperviewPublisher() const
    {
        return m_didMoveToSuperviewSubject.eraseToAnyPublisher();
    }
    Events::AnyPublisher<Events::Void> didAppearPublisher() const
    {
        return m_didAppearSubject.eraseToAnyPublisher();
    }

protected:
    bool event(QEvent *event) override;

    bool m_didMoveToSuperviewWasCalled = false;
    bool m_didMoveToWindowWasCalled = false;

private:
    Events::PassthroughSubject<Events::Void> m_didMoveToSuperviewSubject;
    Events::PassthroughSubject<Events::Void> m_didAppearSubject;
};
