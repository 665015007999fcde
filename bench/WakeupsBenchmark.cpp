// How often a recording wakes the machine: voluntary context switches per second of the file
// recorder's process against gst-launch-1.0 running the same pipeline with the capture at its
// default buffer sizes, for the same length of 48 kHz stereo AAC from the default input. Prints
// both and their ratio; exits 1 above 0.25.
//   platform_audio_wakeups_benchmark [seconds]   (default 60; run where a sound server is available)
#include "ProcessUsage.h"

#include "platform/audio/GstFileRecorder.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const int duration = argc > 1 ? std::max(1, atoi(argv[1])) : 60;
    const FileRecorderSettings settings { AudioFormatId::aac, 96, 2, 256000, 48000 };
    QTemporaryDir dir;
    auto stages = GstFileRecorder::stages(dir.filePath(QStringLiteral("launch.m4a")), settings);
    if (!stages) {
        return 2;
    }
    // The baseline captures as the source does when nobody sets its buffer sizes.
    stages.value().front().properties.clear();
    const QString description = GstSupport::launchDescription(stages.value());

    const auto recorder
        = recordWithFileRecorder(dir.filePath(QStringLiteral("recorder.m4a")), settings, duration);
    const auto launch = recordWithLaunch(GstSupport::launchArguments(stages.value()), duration);
    if (!recorder || !launch || launch->voluntarySwitches <= 0) {
        return 2;
    }
    const double ours = double(recorder->voluntarySwitches) / duration;
    const double theirs = double(launch->voluntarySwitches) / duration;
    const double ratio = ours / theirs;
    std::printf("baseline pipeline: %s\n", qPrintable(description));
    std::printf("%d s of 48 kHz stereo AAC\n", duration);
    std::printf("file recorder:            %.1f wake-ups/s\n", ours);
    std::printf("default gst-launch-1.0:   %.1f wake-ups/s\n", theirs);
    std::printf("ratio: %.3f (target <= 0.25)\n", ratio);
    return ratio <= 0.25 ? 0 : 1;
}
