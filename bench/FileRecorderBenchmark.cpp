// CPU time of the file recorder against gst-launch-1.0 running the same pipeline, for the same
// length of 48 kHz stereo AAC from the default input. Prints both and their ratio; exits 1 when
// the recorder needs more than 1.2 times the CPU time.
//   platform_audio_benchmark [seconds]   (default 60; run where a sound server is available)
#include "platform/audio/GstFileRecorder.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

double seconds(const rusage &usage)
{
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double selfCpu()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return seconds(usage);
}

// Returns the recorder's CPU seconds, or a negative number on failure.
double benchmarkRecorder(const QString &path, int duration)
{
    auto recorder = GstFileRecorder::create(path, { AudioFormatId::aac, 96, 2, 256000, 48000 });
    if (!recorder) {
        std::fprintf(stderr, "%s\n", qPrintable(recorder.error().message));
        return -1;
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
    const double before = selfCpu();
    if (!recorder.value()->record()) {
        std::fprintf(stderr, "the recorder did not start\n");
        return -1;
    }
    QTimer::singleShot(duration * 1000, [&] { recorder.value()->stop(); });
    QCoreApplication::exec();
    const double used = selfCpu() - before;
    return succeeded ? used : -1;
}

double benchmarkLaunch(const QStringList &pipeline, int duration)
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
        return -1;
    }
    sleep(unsigned(duration));
    kill(child, SIGINT); // -e turns the interrupt into an end-of-stream, as the recorder's stop
    int status = 0;
    rusage usage {};
    if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "gst-launch-1.0 failed\n");
        return -1;
    }
    return seconds(usage);
}

} // namespace

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

    const double recorderCpu = benchmarkRecorder(ours, duration);
    const double launchCpu = benchmarkLaunch(GstSupport::launchArguments(stages.value()), duration);
    if (recorderCpu < 0 || launchCpu <= 0) {
        return 2;
    }
    const double ratio = recorderCpu / launchCpu;
    std::printf("pipeline: %s\n", qPrintable(description));
    std::printf("%d s of 48 kHz stereo AAC\n", duration);
    std::printf("file recorder:  %.3f s CPU\n", recorderCpu);
    std::printf("gst-launch-1.0: %.3f s CPU\n", launchCpu);
    std::printf("ratio: %.3f (target <= 1.2)\n", ratio);
    return ratio <= 1.2 ? 0 : 1;
}
