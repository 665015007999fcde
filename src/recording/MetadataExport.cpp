#include "recording/MetadataExport.h"

#include "platform/events/MainThread.h"

#include "recording/AudioErrors.h"
#include "recording/AudioPlatform.h"

#include "kit/foundation/errors/Errno.h"
#include "kit/foundation/errors/ErrorReporting.h"
#include "kit/foundation/errors/GeneralError.h"
#include "kit/foundation/files/ExtendedAttributes.h"
#include "kit/foundation/files/FileDescriptor.h"
#include "kit/foundation/files/FileOperations.h"
#include "kit/foundation/files/ResourceValues.h"
#include "kit/foundation/system/FoundationHooks.h"
#include "platform/audio/AudioExporter.h"
#include "platform/events/WorkerThread.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <coroutine>
#include <map>
#include <memory>
#include <optional>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString quarantineAttribute = QStringLiteral("com.apple.quarantine");

// Waits for one export; a completion that comes at once does not suspend.
class ExportAwaiter
{
public:
    ExportAwaiter(QString source, QString destination, QString software)
        : m_source(std::move(source))
        , m_destination(std::move(destination))
        , m_software(std::move(software))
    { }

    bool await_ready() const noexcept { return false; }

    bool await_suspend(std::coroutine_handle<> continuation)
    {
        auto state = m_state;
        AudioPlatform::exporter().exportWithSoftware(
            m_source, m_destination, m_software, [state, continuation](AudioResult<void> result) {
                state->result = std::move(result);
                if (state->suspended) {
                    continuation.resume();
                }
            });
        state->suspended = !state->result.has_value();
        return state->suspended;
    }

    AudioResult<void> await_resume() { return std::move(*m_state->result); }

private:
    struct State
    {
        std::optional<AudioResult<void>> result;
        bool suspended = false;
    };

    QString m_source;
    QString m_destination;
    QString m_software;
    std::shared_ptr<State> m_state = std::make_shared<State>();
};

std::map<QString, QByteArray> readExtendedAttributes(const QUrl &url)
{
    std::map<QString, QByteArray> attributes;
    const QStringList names = extendedAttributeNames(url);
    const QByteArray path = QFile::encodeName(url.toLocalFile());
    for (const QString &name : names) {
        try {
            attributes.emplace(name, readExtendedAttribute(path, name));
        } catch (const Errno &error) {
            // Removed since it was listed.
            if (error.rawValue() != Errno::noSuchAttribute) {
                throw;
            }
        }
    }
    return attributes;
}

void flushFile(const QString &path)
{
    const FileDescriptor file(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC));
    if (!file.isValid() || ::fsync(file.get()) != 0) {
        throw Errno(errno);
    }
}

// The saved file, held open while the rewrite runs so that its inode cannot go to another file
// meanwhile: a file at the path with that inode is then still the saved one, not one the user put
// there after moving or deleting it.
class HeldFile
{
public:
    explicit HeldFile(const QString &path)
        : m_file(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC))
    { }

    bool isAt(const QString &path) const
    {
        struct stat held
        {
        };
        struct stat current
        {
        };
        return m_file.isValid() && ::fstat(m_file.get(), &held) == 0
            && ::stat(QFile::encodeName(path).constData(), &current) == 0 && held.st_dev == current.st_dev
            && held.st_ino == current.st_ino;
    }

private:
    FileDescriptor m_file;
};

// Puts the rewrite in the place of the file at `url`, with the file's permissions and extended
// attributes; the quarantine mark is left behind. The file is replaced by one rename, so on any
// failure it stays as it was. A file the user moved or deleted meanwhile is not brought back: the
// rewrite is dropped. Answers the attributes that could not be carried over.
QStringList replaceWithExport(const QUrl &url, const QString &rewrite, const HeldFile &saved)
{
    const QString path = url.toLocalFile();
    const auto stillSaved = [&] { return saved.isAt(path); };
    try {
        if (!stillSaved()) {
            QFile::remove(rewrite);
            return {};
        }
        // Read before anything changes.
        const std::map<QString, QByteArray> attributes = readExtendedAttributes(url);
        QStringList failed;
        const QUrl rewriteUrl = QUrl::fromLocalFile(rewrite);
        for (const auto &[name, data] : attributes) {
            if (name == quarantineAttribute) {
                continue;
            }
            try {
                setExtendedAttribute(rewriteUrl, data, name, {}, false);
            } catch (const Error &) {
                failed << name;
            }
        }
        struct stat original
        {
        };
        if (::stat(QFile::encodeName(path).constData(), &original) == 0) {
            ::chmod(QFile::encodeName(rewrite).constData(), original.st_mode & 07777);
        }
        flushFile(rewrite);
        if (!stillSaved()) {
            QFile::remove(rewrite);
            return {};
        }
        if (::rename(QFile::encodeName(rewrite).constData(), QFile::encodeName(path).constData()) != 0) {
            throw Errno(errno);
        }
        flushFile(QFileInfo(path).absolutePath());
        return failed;
    } catch (...) {
        QFile::remove(rewrite);
        throw;
    }
}

} // namespace

QCoro::Task<> exportWithMetadata(QUrl url)
{
    ASSERT_MAIN_THREAD();
    const std::optional<QMimeType> type = contentType(url);
    if (!type) {
        throw GeneralError(QStringLiteral("Could not infer the file type."));
    }
    if (type->inherits(ContentTypes::wav().name())) {
        co_return;
    }
    const auto saved = std::make_shared<const HeldFile>(url.toLocalFile());
    // Beside the file, hidden, so that a rename replaces the file and nothing else; not created here,
    // so an export that writes nothing leaves no empty file to put in the recording's place.
    const QString rewrite = partialItemPath(url.toLocalFile());
    ExportAwaiter awaiter(url.toLocalFile(), rewrite, FoundationHooks::appName());
    const AudioResult<void> result = co_await awaiter;
    if (!result) {
        QFile::remove(rewrite);
        if (result.error().duringSetUp) {
            throw GeneralError(QStringLiteral("Unable to create export session."), std::nullopt, {},
                std::nullopt, { AudioErrors::mediaError(result.error()).clone() });
        }
        throw AudioErrors::mediaError(result.error());
    }
    // The flush waits for the disk: not on the GUI thread.
    const auto replace = [url, rewrite, saved] { return replaceWithExport(url, rewrite, *saved); };
    // Named, not a temporary of the co_await expression, which the compiler destroys twice.
    auto replacing = Events::onWorkerThread(replace);
    const QStringList failed = co_await replacing;
    for (const QString &name : failed) {
        (void)reported(GeneralError(QStringLiteral("Cannot set extended attribute: ") + name));
    }
}
