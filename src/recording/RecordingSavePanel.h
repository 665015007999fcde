#pragma once

#include <QFileDialog>
#include <QUrl>

// The save panel of one recording: it offers the recording's own name and type, and whatever
// name the user accepts ends in the recording's extension. A name such as "Meeting 10.30" has
// a dot of its own, which the plain dialog takes for an extension and leaves as it is. A place in
// the program's temporary folders is refused, and the panel stays open.
class RecordingSavePanel : public QFileDialog
{
public:
    RecordingSavePanel(const QUrl &recording, const QString &directory);

    // The recording's extension, such as "m4a".
    QString extension() const { return m_extension; }

    // `path` ending in `extension` (in any case); otherwise with it appended, a trailing dot
    // standing in for the one before it.
    static QString withExtension(const QString &path, const QString &extension);

    void accept() override;

private:
    QString m_extension;
};
