#include "kit/services/DebugLog.h"

#include <QMutex>

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

QtMessageHandler g_previousHandler = nullptr;

void keepAndPassOn(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    DebugLog::append(qFormatLogMessage(type, context, message));
    if (g_previousHandler) {
        g_previousHandler(type, context, message);
    }
}

} // namespace

void DebugLog::install()
{
    static const bool installed = [] {
        g_previousHandler = qInstallMessageHandler(keepAndPassOn);
        return true;
    }();
    (void)installed;
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
