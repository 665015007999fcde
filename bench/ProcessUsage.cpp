#include "ProcessUsage.h"

#include "platform/audio/GstFileRecorder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

ProcessUsage fromRusage(const rusage &usage)
{
    return { double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
            + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6,
        usage.ru_nvcsw };
}

// Nanoseconds on a CPU of one thread, the first of the three figures of its schedstat.
std::optional<double> threadCpuSeconds(const QString &task)
{
    QFile times(task + QStringLiteral("/schedstat"));
    if (!times.open(QIODevice::ReadOnly)) {
        return std::nullopt; // ended meanwhile
    }
    return times.readAll().split(' ').value(0).toDouble() / 1e9;
}

} // namespace

ProcessUsage selfUsage()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return fromRusage(usage);
}

double interfaceThreadsCpuSeconds()
{
    static const QStringList helpers { QStringLiteral("QDBusConnection"), QStringLiteral("QXcbEventQueue") };
    const QString main = QString::number(getpid());
    double seconds = 0;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString &thread : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile name(tasks.filePath(thread + QStringLiteral("/comm")));
        if (!name.open(QIODevice::ReadOnly)) {
            continue; // ended meanwhile
        }
        if (thread == main || helpers.contains(QString::fromUtf8(name.readAll().trimmed()))) {
            seconds += threadCpuSeconds(tasks.filePath(thread)).value_or(0);
        }
    }
    return seconds;
}

QList<DesktopProcess> statusItemDesktopProcesses()
{
    // The panel hosts of either tray, the bus daemon, and the display servers of either session.
    static const QStringList counted { QStringLiteral("trayer"), QStringLiteral("status-notifier-host"),
        QStringLiteral("dbus"), QStringLiteral("xvfb"), QStringLiteral("weston") };
    const QString desktop = qEnvironmentVariable("TAPEWICK_TEST_DESKTOP");
    QFile list(QDir(desktop).filePath(QStringLiteral("pids")));
    if (desktop.isEmpty() || !list.open(QIODevice::ReadOnly)) {
        return {};
    }
    QList<DesktopProcess> processes;
    // One daemon a line: its name, then its pid.
    for (const QByteArray &line : list.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        const QString name = QString::fromUtf8(fields.value(0));
        const qint64 pid = fields.value(1).toLongLong();
        if (fields.size() == 2 && pid > 0 && counted.contains(name)) {
            // The name the test panel gives that thread (StatusNotifierPanel::pictureThreadName).
            const QStringList pictureFile { QStringLiteral("PanelPicture") };
            const bool panel = name == QLatin1String("status-notifier-host");
            processes.append({ name, pid, panel ? pictureFile : QStringList(), true });
            if (panel) {
                processes.append({ name + QStringLiteral("'s picture file"), pid, pictureFile, false });
            }
        }
    }
    return processes;
}

std::optional<double> processCpuSeconds(const DesktopProcess &process)
{
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(process.pid));
    if (!tasks.exists()) {
        return std::nullopt;
    }
    double seconds = 0;
    for (const QString &thread : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile name(tasks.filePath(thread + QStringLiteral("/comm")));
        if (!name.open(QIODevice::ReadOnly)) {
            continue; // ended meanwhile
        }
        if (process.threadsLeftOut.contains(QString::fromUtf8(name.readAll().trimmed())) != process.counted) {
            seconds += threadCpuSeconds(tasks.filePath(thread)).value_or(0);
        }
    }
    return seconds;
}

std::optional<ProcessUsage> recordWithFileRecorder(
    const QString &path, const FileRecorderSettings &settings, int duration)
{
    auto recorder = GstFileRecorder::create(path, settings);
    if (!recorder) {
        std::fprintf(stderr, "%s\n", qPrintable(recorder.error().message));
        return std::nullopt;
    }
    bool succeeded = false;
    recorder.value()->setFinishedCallback([&](bool ok) {
        succeeded = ok;
        QCoreApplication::quit();
    });
    recorder.value()->setEncodeErrorCallback([](const AudioError &error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.message));
        QCoreApplication::quit();
    });
    const ProcessUsage before = selfUsage();
    if (!recorder.value()->record()) {
        std::fprintf(stderr, "the recorder did not start\n");
        return std::nullopt;
    }
    QTimer::singleShot(duration * 1000, [&] { recorder.value()->stop(); });
    QCoreApplication::exec();
    const ProcessUsage after = selfUsage();
    if (!succeeded) {
        return std::nullopt;
    }
    return ProcessUsage { after.cpuSeconds - before.cpuSeconds,
        after.voluntarySwitches - before.voluntarySwitches };
}

std::optional<ProcessUsage> recordWithLaunch(const QStringList &pipeline, int duration)
{
    std::vector<QByteArray> texts { "gst-launch-1.0", "-q", "-e" };
    for (const QString &argument : pipeline) {
        texts.push_back(argument.toUtf8());
    }
    std::vector<char *> arguments;
    for (QByteArray &text : texts) {
        arguments.push_back(text.data());
    }
    arguments.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        execvp(arguments[0], arguments.data());
        _exit(127);
    }
    if (child < 0) {
        return std::nullopt;
    }
    sleep(unsigned(duration));
    kill(child, SIGINT); // -e turns the interrupt into an end-of-stream, as the recorder's stop
    int status = 0;
    rusage usage {};
    if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "gst-launch-1.0 failed\n");
        return std::nullopt;
    }
    return fromRusage(usage);
}
