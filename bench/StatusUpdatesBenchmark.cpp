// CPU time of recordings through the recording controller while the session's status item shows
// their elapsed time and level tint, against the same recordings with no status item (the
// controller's metering included in both), as a share of the file recorder's time alone. The item
// is the one the desktop gets: the X11 tray's, or the status notifier item where a panel shows
// those (TAPEWICK_TEST_TRAY=sni in the test desktop). In the test desktop the tone's volume moves
// as a voice moves a level, so the tint follows it.
// What the item costs is counted where it is spent: in the program, on the threads its work runs
// on (the GUI thread, Qt's bus and X threads; the streaming threads do the same work either way),
// and in the test desktop's processes that show it: the panel host, the bus daemon that carries
// the item's pictures to it, and the display server that draws them. The test panel also writes
// what it shows into a picture file for people to look at, which no panel does: that thread's time
// is printed apart and not counted.
// CPU time on a shared machine moves from one recording to the next, most of all the encoder's:
// each round records alone, without and with the item, the last two in alternating order; the
// target is judged on the median over the rounds. Prints each round, then the medians and
// spreads; exits 1 when the status updates add 10 % or more.
//   app_status_benchmark [seconds] [rounds]   (default 10 s, 9 rounds; run inside a desktop with
//                                               a tray and a sound server)
#include "ProcessUsage.h"
#include "Spread.h"
#include "StatusNotifierItem.h"

#include "app/AppRecordingSettings.h"
#include "app/SettingsKeys.h"
#include "platform/audio/GstFileRecorder.h"
#include "platform/desktop/StatusItem.h"
#include "recording/AudioRecorder.h"
#include "recording/AudioRecorderController.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <optional>

namespace {

const FileRecorderSettings aac { AudioFormatId::aac, 96, 2, 256000, 48000 };

void runFor(int milliseconds)
{
    QTimer::singleShot(milliseconds, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
}

// CPU seconds of a recording: the whole process's, its interface threads', and the desktop's
// processes' that show the item.
struct RecordingCpu
{
    double process = 0;
    double interface = 0;
    // Each of the desktop's processes, and their sum.
    QList<double> desktopProcesses;
    double desktop = 0;
};

// The CPU seconds so far of each of the desktop's processes; none when one of them has gone.
std::optional<QList<double>> desktopCpuSeconds(const QList<DesktopProcess> &desktop)
{
    QList<double> seconds;
    for (const DesktopProcess &process : desktop) {
        const std::optional<double> used = processCpuSeconds(process);
        if (!used) {
            std::fprintf(stderr, "the desktop's %s has gone\n", qPrintable(process.name));
            return std::nullopt;
        }
        seconds << *used;
    }
    return seconds;
}

// A recording through the controller, driving the button of `item` if there is one.
std::optional<RecordingCpu> recordThroughController(
    const QString &outputDirectory, int duration, StatusItem *item, const QList<DesktopProcess> &desktop)
{
    Defaults::set(SettingsKeys::showDurationInMenuBar(), true);
    Defaults::set(SettingsKeys::showInFinderAfterSaving(), false);
    Defaults::set(SettingsKeys::defaultOutputDirectory(),
        std::optional(SandboxURLBookmark::fromURL(QUrl::fromLocalFile(outputDirectory))));
    AudioRecorderController controller(std::make_shared<AppRecordingSettings>());
    StatusBarButton *button = item ? &item->button() : nullptr;
    // As the program does: the duration beside the image only where the panel shows the title.
    controller.setStatusBarButton(button, [item] { return item && item->showsTitle(); });

    controller.toggleRecording();
    QElapsedTimer waited;
    waited.start();
    while (controller.recorder().state() != AudioRecorder::State::recording && waited.elapsed() < 10000) {
        runFor(10);
    }
    if (controller.recorder().state() != AudioRecorder::State::recording) {
        std::fprintf(stderr, "the controller did not start recording\n");
        return std::nullopt;
    }
    const double before = selfUsage().cpuSeconds;
    const double interfaceBefore = interfaceThreadsCpuSeconds();
    const std::optional<QList<double>> desktopBefore = desktopCpuSeconds(desktop);
    runFor(duration * 1000);
    const std::optional<QList<double>> desktopAfter = desktopCpuSeconds(desktop);
    if (!desktopBefore || !desktopAfter) {
        return std::nullopt;
    }
    RecordingCpu used;
    used.process = selfUsage().cpuSeconds - before;
    used.interface = interfaceThreadsCpuSeconds() - interfaceBefore;
    for (qsizetype i = 0; i < desktop.size(); ++i) {
        used.desktopProcesses << desktopAfter->at(i) - desktopBefore->at(i);
        if (desktop[i].counted) {
            used.desktop += used.desktopProcesses.constLast();
        }
    }
    const QString shown = button ? button->title() : QString();
    controller.toggleRecording();
    // The stop finishes and saves the file; the next recording starts on a quiet process.
    runFor(2000);
    if (button && shown.isEmpty()) {
        std::fprintf(stderr, "the status item showed no elapsed time\n");
        return std::nullopt;
    }
    return used;
}

// Moves the test desktop's tone between volumes every 100 ms, as a voice moves a level: by
// syllables, with small wavers between. From a process of its own, none of whose work counts here;
// none outside the test desktop, whose inputs are the user's.
std::unique_ptr<QProcess> movingLevel()
{
    const QString tone = qEnvironmentVariable("TAPEWICK_TEST_TONE_SOURCE");
    if (tone.isEmpty()) {
        return nullptr;
    }
    auto process = std::make_unique<QProcess>();
    process->start(QStringLiteral("sh"),
        { QStringLiteral("-c"),
            QStringLiteral(
                "while :; do for v in 70 71 69 70 90 91 89 90 50 51 49 50 100 99 100 98 40 41 39 40; "
                "do pactl set-source-volume \"$0\" $v%; sleep 0.1; done; done"),
            tone });
    return process->waitForStarted() ? std::move(process) : nullptr;
}

// Which item the desktop shows: the status notifier item once the panel's watcher lists it, the
// X11 tray's once the tray has placed it; none when neither comes within ten seconds.
std::optional<QString> shownItem(const StatusItem &item)
{
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 10000) {
        if (TestSupport::StatusNotifierItem::ofProcess(QCoreApplication::applicationPid())) {
            return QStringLiteral("status notifier item");
        }
        if (!item.geometry().isEmpty()) {
            return QStringLiteral("X11 tray");
        }
        runFor(50);
    }
    return std::nullopt;
}

void printSpread(const char *what, const Spread &spread, const char *unit)
{
    std::printf(
        "%-38s median %7.3f%s  (%.3f … %.3f)\n", what, spread.median, unit, spread.lowest, spread.highest);
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
    QApplication application(argc, argv);
    const int duration = argc > 1 ? std::max(1, atoi(argv[1])) : 10;
    const int rounds = argc > 2 ? std::max(1, atoi(argv[2])) : 9;
    // Not named as the program names its own temporary folders (`<application>-XXXXXX`), which it
    // refuses as an output folder: each stop would open the save panel.
    QTemporaryDir output(QDir::tempPath() + QStringLiteral("/status-benchmark-output-XXXXXX"));

    const std::unique_ptr<QProcess> level = movingLevel();
    const std::unique_ptr<StatusItem> item = StatusItem::forDesktop({});
    item->setVisible(true);
    const std::optional<QString> shown = shownItem(*item);
    if (!shown) {
        std::fprintf(stderr, "no panel showed the status item\n");
        return 2;
    }
    const QList<DesktopProcess> desktop = statusItemDesktopProcesses();
    // The first recording of a process also loads the media framework's plugins, and the panel
    // takes the item in meanwhile; not counted.
    recordWithFileRecorder(output.filePath(QStringLiteral("warm-up.m4a")), aac, 1);
    if (!recordThroughController(output.path(), 1, item.get(), desktop)) {
        return 2;
    }

    QStringList counted;
    QStringList leftOut;
    for (const DesktopProcess &process : desktop) {
        (process.counted ? counted : leftOut) << process.name;
    }
    std::printf("%d rounds of %d s of 48 kHz stereo AAC, status item: %s, input level: %s\n", rounds,
        duration, qPrintable(*shown), level ? "moving" : "as it comes");
    std::printf("counted: the program's interface threads, the desktop's %s%s%s\n",
        counted.isEmpty() ? "(none: not a test desktop)" : qPrintable(counted.join(QStringLiteral(", "))),
        leftOut.isEmpty() ? "" : "; left out, the test's own: ",
        qPrintable(leftOut.join(QStringLiteral(", "))));
    std::printf("round  alone (s)  without: all, interface, desktop (s)  with: all, interface, desktop (s)"
                "  status updates add\n");
    QList<double> alone, without, with, withoutInterface, withInterface, withoutDesktop, withDesktop,
        addedInProgram, added;
    QList<QList<double>> addedByDesktopProcess(desktop.size());
    for (int round = 1; round <= rounds; ++round) {
        const auto recorder = recordWithFileRecorder(
            output.filePath(QStringLiteral("alone-%1.m4a").arg(round)), aac, duration);
        std::optional<RecordingCpu> plain;
        std::optional<RecordingCpu> updating;
        // Alternated, so that a load that grows or fades over a round weighs on both alike.
        if (round % 2 == 1) {
            plain = recordThroughController(output.path(), duration, nullptr, desktop);
            updating = recordThroughController(output.path(), duration, item.get(), desktop);
        } else {
            updating = recordThroughController(output.path(), duration, item.get(), desktop);
            plain = recordThroughController(output.path(), duration, nullptr, desktop);
        }
        if (!recorder || recorder->cpuSeconds <= 0 || !plain || !updating) {
            return 2;
        }
        alone << recorder->cpuSeconds;
        without << plain->process;
        with << updating->process;
        withoutInterface << plain->interface;
        withInterface << updating->interface;
        withoutDesktop << plain->desktop;
        withDesktop << updating->desktop;
        addedInProgram << (updating->interface - plain->interface) / recorder->cpuSeconds * 100;
        for (qsizetype i = 0; i < desktop.size(); ++i) {
            addedByDesktopProcess[i] << (updating->desktopProcesses[i] - plain->desktopProcesses[i])
                    / recorder->cpuSeconds * 100;
        }
        added << (updating->interface + updating->desktop - plain->interface - plain->desktop)
                / recorder->cpuSeconds * 100;
        std::printf("%5d  %9.3f  %13.3f, %9.3f, %7.3f  %10.3f, %9.3f, %7.3f  %+6.1f %%\n", round,
            alone.constLast(), without.constLast(), withoutInterface.constLast(), withoutDesktop.constLast(),
            with.constLast(), withInterface.constLast(), withDesktop.constLast(), added.constLast());
        std::fflush(stdout);
    }
    QList<double> ratios;
    for (qsizetype i = 0; i < alone.size(); ++i) {
        ratios << without[i] / alone[i];
    }
    printSpread("file recorder alone:", Spread::of(alone), " s");
    printSpread("controller without a status item:", Spread::of(without), " s");
    printSpread("  its interface threads:", Spread::of(withoutInterface), " s");
    printSpread("  the desktop's processes:", Spread::of(withoutDesktop), " s");
    printSpread("controller with the status item:", Spread::of(with), " s");
    printSpread("  its interface threads:", Spread::of(withInterface), " s");
    printSpread("  the desktop's processes:", Spread::of(withDesktop), " s");
    printSpread("controller without it / recorder:", Spread::of(ratios), "  ");
    printSpread("  in the program (% of recorder):", Spread::of(addedInProgram), " %");
    for (qsizetype i = 0; i < desktop.size(); ++i) {
        const QString format = desktop[i].counted ? QStringLiteral("  in the desktop's %1:")
                                                  : QStringLiteral("  (not counted: %1)");
        const QByteArray what = format.arg(desktop[i].name).toUtf8();
        printSpread(what.constData(), Spread::of(addedByDesktopProcess[i]), " %");
    }
    const Spread share = Spread::of(added);
    printSpread("status updates add (% of recorder):", share, " %");
    std::printf("target: the median under 10 %%\n");
    return share.median < 10 ? 0 : 1;
}
