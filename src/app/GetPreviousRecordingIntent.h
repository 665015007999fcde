#pragma once

#include <QString>
#include <QUrl>

// A file handed to automation: where it is, its name and its content type (a MIME type name).
struct IntentFile
{
    QUrl fileURL;
    QString filename;
    QString type;
};

class GetPreviousRecordingIntent
{
public:
    static constexpr char title[] = "Get Previous Recording";
    static constexpr char intentClassName[] = "GetPreviousRecordingIntent";
    static constexpr char noPreviousRecording[] = "No previous recording";

    // The saved recording the settings remember; throws a GeneralError saying
    // noPreviousRecording when there is none or it is gone or in the Trash.
    IntentFile perform() const;
};
