#pragma once

#include <QUrl>

// Owns a directory: removing it and everything in it when the owner goes. Share it through
// a std::shared_ptr when several places hold it.
class TemporaryDirectory
{
public:
    explicit TemporaryDirectory(QUrl url);
    ~TemporaryDirectory();

    TemporaryDirectory(const TemporaryDirectory &) = delete;
    TemporaryDirectory &operator=(const TemporaryDirectory &) = delete;

    const QUrl &url() const { return m_url; }

private:
    QUrl m_url;
};
