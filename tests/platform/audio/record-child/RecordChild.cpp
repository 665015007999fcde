// Records the default input into the file named by the first argument (format from its
// extension) and prints the recorded seconds every 100 ms, until it is killed.
#include "platform/audio/GstFileRecorder.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE.m4a|FILE.wav\n", argv[0]);
        return 2;
    }
    const QString location = QString::fromLocal8Bit(argv[1]);
    FileRecorderSettings settings;
    settings.formatId
        = location.endsWith(QLatin1String(".wav")) ? AudioFormatId::linearPcm : AudioFormatId::aac;
    auto recorder = GstFileRecorder::create(location, settings);
    if (!recorder) {
        std::fprintf(stderr, "%s\n", qPrintable(recorder.error().message));
        return 1;
    }
    recorder.value()->setEncodeErrorCallback([](const AudioError &error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.message));
        QCoreApplication::exit(1);
    });
    if (!recorder.value()->record()) {
        return 1;
    }
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        std::printf("%.3f\n", recorder.value()->currentTime());
        std::fflush(stdout);
    });
    ticker.start(100);
    return application.exec();
}
