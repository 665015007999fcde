#pragma once

#include "kit/collections/ListenOnlyPublisherObservable.h"
#include "platform/events/CancellableSet.h"

#include <QPointer>

#include <memory>

class QPlainTextEdit;
class QWidget;

// The debug window: the debug information and the stored settings, kept up to date.
class DebugWindowController
{
public:
    static DebugWindowController &shared();

    // Shows the window, making it when there is none. GUI thread.
    void showWindow();
    QWidget *window() const { return m_window; }

    // "key = value" lines of the standard database's stored and registered values.
    static QString userDefaultsText();

private:
    DebugWindowController() = default;

    QPointer<QWidget> m_window;
    std::unique_ptr<ListenOnlyPublisherObservable> m_userDefaultsObservable;
    Events::CancellableSet m_cancellables;
};
