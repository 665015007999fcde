#include "kit/foundation/files/TemporaryDirectory.h"

#include <QDir>

TemporaryDirectory::TemporaryDirectory(QUrl url)
    : m_url(std::move(url))
{ }

TemporaryDirectory::~TemporaryDirectory()
{
    if (m_url.isLocalFile()) {
        // Nothing useful can be done about a directory that will not go.
        QDir(m_url.toLocalFile()).removeRecursively();
    }
}
