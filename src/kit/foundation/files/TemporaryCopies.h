#pragma once

#include "kit/foundation/files/FileDescriptor.h"
#include "kit/foundation/files/UniqueTemporaryDirectories.h"

#include <QString>
#include <QUrl>

#include <mutex>
#include <optional>

// Copies handed to other programs (the clipboard, a share service), kept apart from the recordings
// that wait to be saved, so that the folder of recordings to recover never shows them. A process
// keeps its copies in a directory of its own under `<base>/<app name>-<uid>-copies`, locked while
// it lives and removed with everything in it when the owner goes; what a process that died left
// there is removed by the next one that looks, passing over what a living process holds.
class TemporaryCopies
{
public:
    // Nothing is made until the first copy. `fallbackBase` is tried when `base` cannot be used.
    explicit TemporaryCopies(QString base, QString fallbackBase = {});
    ~TemporaryCopies();
    TemporaryCopies(const TemporaryCopies &) = delete;
    TemporaryCopies &operator=(const TemporaryCopies &) = delete;

    // The process's copies, under the recordings' base (else the system temporary folder); removed
    // when the program ends.
    static TemporaryCopies &shared();

    // Copies the file into a new directory of its own, under its own name. Any thread; throws
    // when the copy cannot be made, leaving nothing behind.
    QUrl copy(const QUrl &file);
    // Removes a copy this object made, with its directory; anything else is left alone.
    void remove(const QUrl &copy);

    // The directory of this object's copies, once one was made.
    std::optional<QString> directory() const;

    static QString parentPath(const QString &base);
    // Removes the process directories under both bases that no living process holds; a parent
    // another user made, or one others can write, is logged and left alone. Any thread.
    void removeAbandoned() const;

private:
    // GUI or worker thread, holding m_mutex.
    QString processDirectory();
    QString makeProcessDirectory(const QString &base);

    const QString m_base;
    const QString m_fallbackBase;
    mutable std::mutex m_mutex;
    std::optional<QString> m_directory;
    // Held locked for the directory's life: the mark of a living owner.
    std::optional<FileDescriptor> m_lock;
};
