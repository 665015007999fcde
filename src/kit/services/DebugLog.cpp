#include "kit/services/DebugLog.h"

#include <QMutex>

#include <atomic>
#include <deque>

namespace {

struct Log
{
    QMutex mutex;
    std::deque<QString> lines;
    quint64 appended = 0;
};

Log &log()
{
    static Log instance;
    return instance;
}

QMutex g_installMutex;
// Set while installed; read by the handler on any thread.
std::atomic<QtMessageHandler> g_previousHandler = nullptr;

void keepAndPassOn(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    DebugLog::append(qFormatLogMessage(type, context, message));
    if (const QtMessageHandler previous = g_previousHandler.load()) {
        previous(type, context, message);
    }
}

} // namespace

void DebugLog::install()
{
    QMutexLocker locker(&g_installMutex);
    if (!g_previousHandler.load()) {
        g_previousHandler = qInstallMessageHandler(keepAndPassOn);
    }
}

bool DebugLog::uninstall()
{
    QMutexLocker locker(&g_installMutex);
    const QtMessageHandler previous = g_previousHandler.exchange(nullptr);
    if (previous) {
        qInstallMessageHandler(previous);
    }
    return previous != nullptr;
}

void DebugLog::append(const QString &line)
{
    QMutexLocker locker(&log().mutex);
    log().lines.push_back(line);
    if (log().lines.size() > static_cast<std::size_t>(maximumLines)) {
        log().lines.pop_front();
    }
    ++log().appended;
}

QStringList DebugLog::lines()
{
    QMutexLocker locker(&log().mutex);
    return QStringList(log().lines.begin(), log().lines.end());
}

quint64 DebugLog::appendedCount()
{
    QMutexLocker locker(&log().mutex);
    return log().appended;
}
