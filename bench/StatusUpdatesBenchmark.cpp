// CPU time of a recording made through the recording controller while the tray shows its elapsed
// time and level tint, against the file recorder alone recording as long, and against the
// controller recording with no status item (its metering included). Prints the times and ratios;
// exits 1 when the status updates add 10 % or more of the file recorder's time.
//   app_status_benchmark [seconds]   (default 60; run inside a desktop with a tray and sound server)
#include "app/AppRecordingSettings.h"
#include "app/SettingsKeys.h"
#include "platform/audio/GstFileRecorder.h"
#include "platform/desktop/TrayStatusItem.h"
#include "recording/AudioRecorder.h"
#include "recording/AudioRecorderController.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <sys/resource.h>

namespace {

double processCpu()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void runFor(int milliseconds)
{
    QTimer::singleShot(milliseconds, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
}

// Returns the CPU seconds of the recorder alone, or a negative number on failure.
double benchmarkFileRecorder(const QString &path, int duration)
{
    auto recorder = GstFileRecorder::create(path, { AudioFormatId::aac, 96, 2, 256000, 48000 });
    if (!recorder) {
        std::fprintf(stderr, "%s\n", qPrintable(recorder.error().message));
        return -1;
    }
    const double before = processCpu();
    if (!recorder.value()->record()) {
        std::fprintf(stderr, "the file recorder did not start\n");
        return -1;
    }
    runFor(duration * 1000);
    const double used = processCpu() - before;
    recorder.value()->stop();
    runFor(1000);
    return used;
}

// Returns the CPU seconds of the same recording through the controller, or a negative number.
double benchmarkController(const QString &outputDirectory, int duration, bool withTray)
{
    Defaults::set(SettingsKeys::showDurationInMenuBar(), true);
    Defaults::set(SettingsKeys::showInFinderAfterSaving(), false);
    Defaults::set(SettingsKeys::defaultOutputDirectory(),
        std::optional(SandboxURLBookmark::fromURL(QUrl::fromLocalFile(outputDirectory))));

    TrayStatusItem tray;
    tray.setVisible(true);
    AudioRecorderController controller(std::make_shared<AppRecordingSettings>());
    if (withTray) {
        controller.setStatusBarButton(&tray.button());
    }

    controller.toggleRecording();
    QElapsedTimer waited;
    waited.start();
    while (controller.recorder().state() != AudioRecorder::State::recording && waited.elapsed() < 10000) {
        runFor(10);
    }
    if (controller.recorder().state() != AudioRecorder::State::recording) {
        std::fprintf(stderr, "the controller did not start recording\n");
        return -1;
    }
    const double before = processCpu();
    runFor(duration * 1000);
    const double used = processCpu() - before;
    QString shown = tray.toolTip();
    controller.toggleRecording();
    runFor(2000);
    std::printf("tray at the end: %s\n", qPrintable(shown.replace(u'\n', QStringLiteral(" / "))));
    return used;
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
    QApplication application(argc, argv);
    const int duration = argc > 1 ? std::max(1, atoi(argv[1])) : 60;
    QTemporaryDir output;

    // The first recording of a process also loads the media framework's plugins; not counted.
    benchmarkFileRecorder(output.filePath(QStringLiteral("warm-up.m4a")), 1);
    const double alone = benchmarkFileRecorder(output.filePath(QStringLiteral("alone.m4a")), duration);
    const double untrayed = benchmarkController(output.path(), duration, false);
    const double controlled = benchmarkController(output.path(), duration, true);
    if (alone <= 0 || untrayed < 0 || controlled < 0) {
        return 2;
    }
    const double added = (controlled - untrayed) / alone;
    std::printf("%d s of 48 kHz stereo AAC\n", duration);
    std::printf("file recorder alone:               %.3f s CPU\n", alone);
    std::printf("controller without a status item:  %.3f s CPU (ratio %.3f)\n", untrayed, untrayed / alone);
    std::printf(
        "controller with the tray updating: %.3f s CPU (ratio %.3f)\n", controlled, controlled / alone);
    std::printf("status updates add: %.1f %% of the file recorder's time (target < 10 %%)\n", added * 100);
    return added < 0.10 ? 0 : 1;
}
