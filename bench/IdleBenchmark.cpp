// The running program left alone (stopped, menu closed) against `sleep` for as long: CPU seconds
// and wake-ups (voluntary context switches of all its threads) per idle minute, and the time from
// its start to its icon in the tray. Exits 1 when idle costs 0.05 CPU-seconds a minute or more.
//   app_idle_benchmark [seconds]   (default 60; run inside a desktop with a tray and sound server)
#include "TrayIcon.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <unistd.h>

namespace {

struct Usage
{
    double cpuSeconds = 0;
    qint64 wakeUps = 0;
};

// CPU time from /proc/<pid>/stat and the voluntary switches of every thread.
Usage usageOf(qint64 pid)
{
    Usage usage;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (stat.open(QIODevice::ReadOnly)) {
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        usage.cpuSeconds = double(fields.value(11).toLongLong() + fields.value(12).toLongLong())
            / double(::sysconf(_SC_CLK_TCK));
    }
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    for (const QString &task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile status(tasks + u'/' + task + QStringLiteral("/status"));
        if (status.open(QIODevice::ReadOnly)) {
            for (const QByteArray &entry : status.readAll().split('\n')) {
                if (entry.startsWith("voluntary_ctxt_switches:")) {
                    usage.wakeUps += entry.mid(entry.indexOf(':') + 1).trimmed().toLongLong();
                }
            }
        }
    }
    return usage;
}

Usage idleUsage(QProcess &process, int seconds)
{
    const Usage before = usageOf(process.processId());
    QThread::sleep(seconds);
    const Usage after = usageOf(process.processId());
    return { after.cpuSeconds - before.cpuSeconds, after.wakeUps - before.wakeUps };
}

void print(const char *name, const Usage &usage, int seconds)
{
    std::printf("%-10s %.3f CPU-s/min  %.1f wake-ups/min\n", name, usage.cpuSeconds * 60 / seconds,
        double(usage.wakeUps) * 60 / seconds);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const int seconds = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 60;
    QTemporaryDir home;
    // Settings of a user who launched it before: no welcome notices to sit on the screen.
    QDir().mkpath(home.filePath(QStringLiteral(".config/tapewick")));
    QFile settings(home.filePath(QStringLiteral(".config/tapewick/defaults.json")));
    settings.open(QIODevice::WriteOnly);
    settings.write(R"({"Kw_launchCount": 1})");
    settings.close();

    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    for (const char *name : { "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME" }) {
        environment.remove(QString::fromLatin1(name));
    }
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer sinceStart;
    sinceStart.start();
    program.start(QStringLiteral(TAPEWICK_PATH), {});
    while (!embeddedTrayIcon(program.processId()) && sinceStart.elapsed() < 20000) {
        QThread::msleep(5);
    }
    if (!embeddedTrayIcon(program.processId())) {
        std::fprintf(stderr, "the program's icon never reached the tray\n");
        return 1;
    }
    std::printf("start to icon in the tray: %lld ms\n", static_cast<long long>(sinceStart.elapsed()));
    QThread::sleep(2); // the launch's own work settles

    QProcess sleeper;
    sleeper.start(QStringLiteral("sleep"), { QString::number(seconds * 2 + 5) });
    sleeper.waitForStarted();
    const Usage idle = idleUsage(program, seconds);
    const Usage baseline = idleUsage(sleeper, seconds);
    program.terminate();
    program.waitForFinished();
    sleeper.kill();
    sleeper.waitForFinished();

    print("tapewick", idle, seconds);
    print("sleep", baseline, seconds);
    const double perMinute = idle.cpuSeconds * 60 / seconds;
    std::printf("idle CPU per minute against the 0.05 s target: %.2f\n", perMinute / 0.05);
    return perMinute < 0.05 ? 0 : 1;
}
