// Finishing a saved recording: the copy into the output folder and the metadata rewrite of a
// one-hour 48 kHz stereo AAC recording, against cp of the same file plus a gst-launch-1.0 remux of
// the copy. Prints the wall-clock times, their ratio and the longest the GUI thread went without
// running a 10 ms timer; exits 1 when the ratio is above 1.2 or the GUI thread was held for more
// than 50 ms.
//   recording_finishing_benchmark [minutes]   (default 60)
#include "kit/foundation/files/FileOperations.h"
#include "kit/foundation/system/FoundationHooks.h"
#include "platform/events/WorkerThread.h"
#include "recording/MetadataExport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <QCoro/QCoroTask>

#include <cstdio>

namespace {

bool run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, arguments);
    return process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit
        && process.exitCode() == 0;
}

// What the controller does once a recording has ended, minus what takes no time.
QCoro::Task<> finish(QUrl source, QUrl destination, bool *succeeded)
{
    try {
        const auto copy
            = [source, destination] { return copyOrMoveItemUniquely(source, destination, false); };
        auto copying = Events::onWorkerThread(copy);
        const QUrl saved = co_await copying;
        QCoro::Task<> rewrite = exportWithMetadata(saved);
        co_await rewrite;
        *succeeded = true;
    } catch (const std::exception &error) {
        std::fprintf(stderr, "%s\n", error.what());
    }
    QCoreApplication::quit();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    FoundationHooks::setAppName(QStringLiteral("Tapewick"));
    const int minutes = argc > 1 ? std::max(1, atoi(argv[1])) : 60;
    QTemporaryDir dir;
    const QString recording = dir.filePath(QStringLiteral("recording.m4a"));
    const QString buffers = QString::number(minutes * 60 * 10);
    std::printf("encoding %d min of 48 kHz stereo AAC…\n", minutes);
    std::fflush(stdout);
    if (!run(QStringLiteral("gst-launch-1.0"),
            { "-q", "audiotestsrc", "wave=sine", "samplesperbuffer=4800", "num-buffers=" + buffers, "!",
                "audio/x-raw,rate=48000,channels=2", "!", "avenc_aac", "bitrate=256000", "!", "mp4mux", "!",
                "filesink", "location=" + recording })) {
        return 2;
    }
    // Both sides read the recording from the page cache.
    run(QStringLiteral("cat"), { recording, QStringLiteral("/dev/null") });

    QElapsedTimer clock;
    clock.start();
    const QString copied = dir.filePath(QStringLiteral("cp.m4a"));
    if (!run(QStringLiteral("cp"), { recording, copied })
        || !run(QStringLiteral("gst-launch-1.0"),
            { "-q", "filesrc", "location=" + copied, "!", "qtdemux", "!", "mp4mux", "!", "filesink",
                "location=" + dir.filePath(QStringLiteral("remux.m4a")) })) {
        return 2;
    }
    const double baseline = clock.nsecsElapsed() / 1e9;

    QDir().mkpath(dir.filePath(QStringLiteral("output")));
    qint64 longestGap = 0;
    QElapsedTimer sinceTick;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(
        &tick, &QTimer::timeout, [&] { longestGap = std::max(longestGap, sinceTick.restart()); });
    bool succeeded = false;
    clock.restart();
    sinceTick.start();
    tick.start(10);
    QTimer::singleShot(0, [&] {
        finish(QUrl::fromLocalFile(recording),
            QUrl::fromLocalFile(dir.filePath(QStringLiteral("output/recording.m4a"))), &succeeded);
    });
    QCoreApplication::exec();
    const double ours = clock.nsecsElapsed() / 1e9;
    if (!succeeded) {
        return 2;
    }
    const double ratio = ours / baseline;
    std::printf("%d min of 48 kHz stereo AAC\n", minutes);
    std::printf("copy and rewrite:        %.3f s\n", ours);
    std::printf("cp and gst-launch-1.0:   %.3f s\n", baseline);
    std::printf("ratio: %.3f (target <= 1.2)\n", ratio);
    std::printf("longest GUI-thread gap: %lld ms (target <= 50 ms)\n", static_cast<long long>(longestGap));
    return ratio <= 1.2 && longestGap <= 50 ? 0 : 1;
}
