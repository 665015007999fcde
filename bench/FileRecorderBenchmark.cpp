// CPU time of the file recorder against gst-launch-1.0 running the same pipeline, for the same
// length of 48 kHz stereo AAC from the default input, in pairs of recordings whose order
// alternates. CPU time on a shared machine moves from one recording to the next: prints each
// pair's ratio, then their median and spread; exits 1 when the median ratio is over 1.2.
//   platform_audio_benchmark [seconds] [pairs]   (default 20 s, 5 pairs; run where a sound server
//                                                  is available)
#include "ProcessUsage.h"
#include "Spread.h"

#include "platform/audio/GstFileRecorder.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const int duration = argc > 1 ? std::max(1, atoi(argv[1])) : 20;
    const int pairs = argc > 2 ? std::max(1, atoi(argv[2])) : 5;
    const FileRecorderSettings settings { AudioFormatId::aac, 96, 2, 256000, 48000 };
    QTemporaryDir dir;
    const QString ours = dir.filePath(QStringLiteral("recorder.m4a"));
    const QString theirs = dir.filePath(QStringLiteral("launch.m4a"));
    const auto stages = GstFileRecorder::stages(theirs, settings);
    if (!stages) {
        return 2;
    }
    std::printf("pipeline: %s\n", qPrintable(GstSupport::launchDescription(stages.value())));
    std::printf("%d pairs of %d s of 48 kHz stereo AAC\n", pairs, duration);
    std::printf("pair  file recorder (s)  gst-launch-1.0 (s)  ratio\n");

    // The first recording of a process also loads the media framework's plugins; not counted.
    recordWithFileRecorder(ours, settings, 1);
    QList<double> recorderTimes, launchTimes, ratios;
    for (int pair = 1; pair <= pairs; ++pair) {
        std::optional<ProcessUsage> recorder;
        std::optional<ProcessUsage> launch;
        if (pair % 2 == 1) {
            recorder = recordWithFileRecorder(ours, settings, duration);
            launch = recordWithLaunch(GstSupport::launchArguments(stages.value()), duration);
        } else {
            launch = recordWithLaunch(GstSupport::launchArguments(stages.value()), duration);
            recorder = recordWithFileRecorder(ours, settings, duration);
        }
        if (!recorder || !launch || launch->cpuSeconds <= 0) {
            return 2;
        }
        recorderTimes << recorder->cpuSeconds;
        launchTimes << launch->cpuSeconds;
        ratios << recorder->cpuSeconds / launch->cpuSeconds;
        std::printf("%4d  %17.3f  %18.3f  %5.3f\n", pair, recorderTimes.constLast(), launchTimes.constLast(),
            ratios.constLast());
        std::fflush(stdout);
    }
    const Spread recorder = Spread::of(recorderTimes);
    const Spread launch = Spread::of(launchTimes);
    const Spread ratio = Spread::of(ratios);
    std::printf("file recorder:  median %.3f s CPU (%.3f … %.3f)\n", recorder.median, recorder.lowest,
        recorder.highest);
    std::printf(
        "gst-launch-1.0: median %.3f s CPU (%.3f … %.3f)\n", launch.median, launch.lowest, launch.highest);
    std::printf(
        "ratio: median %.3f (%.3f … %.3f; target <= 1.2)\n", ratio.median, ratio.lowest, ratio.highest);
    return ratio.median <= 1.2 ? 0 : 1;
}
