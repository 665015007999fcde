#pragma once

#include "kit/collections/ListenOnlyPublisherObservable.h"
#include "kit/ui/SingletonWindowController.h"
#include "platform/events/CancellableSet.h"

#include <memory>

class QPlainTextEdit;
class TimelineTicker;

// The developer's debug window: the debug information, the stored settings as they change, the
// program's recent log, redrawn every second, and a quit button. One at a time; closing it
// releases it.
class DebugWindowController : public SingletonWindowController
{
    Q_OBJECT
public:
    // Builds the window; show it with SingletonWindowController::show<DebugWindowController>().
    DebugWindowController();
    ~DebugWindowController() override;

    // "key = value" lines of the standard database's stored and registered values.
    static QString userDefaultsText();

private:
    void redrawLog();

    QPlainTextEdit *m_userDefaults = nullptr;
    QPlainTextEdit *m_log = nullptr;
    quint64 m_loggedLines = 0;
    std::unique_ptr<ListenOnlyPublisherObservable> m_userDefaultsObservable;
    Events::CancellableSet m_cancellables;
    TimelineTicker *m_logTicker = nullptr;
};
