// CPU time of the file recorder against gst-launch-1.0 running the same pipeline, for the same
// length of 48 kHz stereo AAC from the default input. Prints both and their ratio; exits 1 when
// the recorder needs more than 1.2 times the CPU time.
//   platform_audio_benchmark [seconds]   (default 60; run where a sound server is available)
#include "ProcessUsage.h"

#include "platform/audio/GstFileRecorder.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const int duration = argc > 1 ? std::max(1, atoi(argv[1])) : 60;
    QTemporaryDir dir;
    const QString ours = dir.filePath(QStringLiteral("recorder.m4a"));
    const QString theirs = dir.filePath(QStringLiteral("launch.m4a"));
    const auto stages = GstFileRecorder::stages(theirs, { AudioFormatId::aac, 96, 2, 256000, 48000 });
    if (!stages) {
        return 2;
    }
    const QString description = GstSupport::launchDescription(stages.value());

    const auto recorder
        = recordWithFileRecorder(ours, { AudioFormatId::aac, 96, 2, 256000, 48000 }, duration);
    const auto launch = recordWithLaunch(GstSupport::launchArguments(stages.value()), duration);
    if (!recorder || !launch || launch->cpuSeconds <= 0) {
        return 2;
    }
    const double recorderCpu = recorder->cpuSeconds;
    const double launchCpu = launch->cpuSeconds;
    const double ratio = recorderCpu / launchCpu;
    std::printf("pipeline: %s\n", qPrintable(description));
    std::printf("%d s of 48 kHz stereo AAC\n", duration);
    std::printf("file recorder:  %.3f s CPU\n", recorderCpu);
    std::printf("gst-launch-1.0: %.3f s CPU\n", launchCpu);
    std::printf("ratio: %.3f (target <= 1.2)\n", ratio);
    return ratio <= 1.2 ? 0 : 1;
}
