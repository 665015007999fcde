#pragma once

#include <QCoreApplication>
#include <QEvent>

// Runs what earlier work left queued (loops not yet started, resumes, deferred deletions), so
// that nothing of one test still holds a database when the next test opens its own.
inline void drainPostedEvents()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
