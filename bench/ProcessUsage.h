#pragma once

#include "platform/audio/AudioFileRecorder.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// What a benchmark measures of a process: CPU time and how often it went to sleep waiting.
struct ProcessUsage
{
    double cpuSeconds = 0;
    long voluntarySwitches = 0;
};

// This process so far, all threads.
ProcessUsage selfUsage();

// The CPU seconds so far of this process's GUI thread and of Qt's threads for the session bus and
// the X connection: where the user interface's work runs, apart from the media framework's
// streaming threads and their noise.
double interfaceThreadsCpuSeconds();

// A process of the test desktop that works for a status item besides the program itself, or the
// part of one that does test work no desktop does.
struct DesktopProcess
{
    QString name;
    qint64 pid = 0;
    // The threads counted, by name: all but `threadsLeftOut`, or only `threadsLeftOut` where
    // `counted` is false.
    QStringList threadsLeftOut;
    bool counted = true;
};

// The test desktop's panel host, session bus daemon and display server, from the list of its
// daemons it keeps (TAPEWICK_TEST_DESKTOP/pids): what the program's status item costs the desktop
// besides its own threads. The test panel's thread that writes its picture file for people to look
// at comes apart, as not counted. None outside the test desktop.
QList<DesktopProcess> statusItemDesktopProcesses();

// The CPU seconds so far of the threads of `process`; none when it is gone.
std::optional<double> processCpuSeconds(const DesktopProcess &process);

// Records `duration` seconds through the file recorder in this process and answers what that
// took; none when the recording failed.
std::optional<ProcessUsage> recordWithFileRecorder(
    const QString &path, const FileRecorderSettings &settings, int duration);

// Runs gst-launch-1.0 with the pipeline for `duration` seconds, ends it as the recorder's stop
// does, and answers what it took; none when it failed.
std::optional<ProcessUsage> recordWithLaunch(const QStringList &pipeline, int duration);
