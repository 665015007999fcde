#include "UrlOpenCatcher.h"

#include <QDesktopServices>

UrlOpenCatcher::UrlOpenCatcher(const QString &scheme)
    : m_scheme(scheme)
{
    QDesktopServices::setUrlHandler(m_scheme, this, "open");
}

UrlOpenCatcher::~UrlOpenCatcher()
{
    QDesktopServices::unsetUrlHandler(m_scheme);
}

void UrlOpenCatcher::open(const QUrl &url)
{
    opened << url;
}
