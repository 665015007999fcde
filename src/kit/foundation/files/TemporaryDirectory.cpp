#include "kit/foundation/files/TemporaryDirectory.h"

#include "kit/foundation/files/TreeRemoval.h"

TemporaryDirectory::TemporaryDirectory(QUrl url)
    : m_url(std::move(url))
{ }

TemporaryDirectory::~TemporaryDirectory()
{
    if (m_url.isLocalFile()) {
        // Nothing useful can be done about a directory that will not go.
        TreeRemoval::remove(m_url.toLocalFile());
    }
}
