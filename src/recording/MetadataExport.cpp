#include "recording/MetadataExport.h"

#include "recording/AudioErrors.h"
#include "recording/AudioPlatform.h"

#include "kit/foundation/errors/Errno.h"
#include "kit/foundation/errors/ErrorReporting.h"
#include "kit/foundation/errors/GeneralError.h"
#include "kit/foundation/files/ExtendedAttributes.h"
#include "kit/foundation/files/FileOperations.h"
#include "kit/foundation/files/ResourceValues.h"
#include "kit/foundation/files/UniqueTemporaryDirectories.h"
#include "kit/foundation/system/FoundationHooks.h"
#include "platform/audio/AudioExporter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <coroutine>
#include <map>
#include <memory>
#include <optional>

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

// Puts the exported file in the place of the original and gives it the original's attributes.
void replaceWithExport(const QUrl &url, const QUrl &exported, const std::map<QString, QByteArray> &attributes)
{
    QFile::remove(url.toLocalFile());
    copyItem(exported, url, true);
    for (const auto &[name, data] : attributes) {
        if (name == quarantineAttribute) {
            continue;
        }
        try {
            setExtendedAttribute(url, data, name, {}, false);
        } catch (const Error &) {
            (void)reported(GeneralError(QStringLiteral("Cannot set extended attribute: ") + name));
        }
    }
    QFile::remove(exported.toLocalFile());
}

} // namespace

QCoro::Task<> exportWithMetadata(QUrl url)
{
    const std::optional<QMimeType> type = contentType(url);
    if (!type) {
        throw GeneralError(QStringLiteral("Could not infer the file type."));
    }
    if (type->inherits(ContentTypes::wav().name())) {
        co_return;
    }
    const QUrl directory = uniqueTemporaryDirectory();
    const QUrl exported = QUrl::fromLocalFile(
        QDir(directory.toLocalFile()).filePath(QFileInfo(url.toLocalFile()).fileName()));

    ExportAwaiter awaiter(url.toLocalFile(), exported.toLocalFile(), FoundationHooks::appName());
    const AudioResult<void> result = co_await awaiter;
    if (!result) {
        throw AudioErrors::mediaError(result.error());
    }
    // Read before anything changes, so a failure leaves the original as it was.
    const std::map<QString, QByteArray> attributes = readExtendedAttributes(url);
    replaceWithExport(url, exported, attributes);
}
