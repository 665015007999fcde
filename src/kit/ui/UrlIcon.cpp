#include "kit/ui/UrlIcon.h"

#include <QFileIconProvider>
#include <QFileInfo>
#include <QPainter>

UrlIcon::UrlIcon(const QUrl &url, QWidget *parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    setUrl(url);
}

void UrlIcon::setUrl(const QUrl &url)
{
    m_url = url;
    m_icon = iconFor(url);
    update();
}

QIcon UrlIcon::iconFor(const QUrl &url)
{
    static QFileIconProvider provider;
    if (!url.isLocalFile()) {
        return provider.icon(QFileIconProvider::File);
    }
    const QFileInfo info(url.toLocalFile());
    if (!info.exists()) {
        return provider.icon(url.toLocalFile().endsWith(QLatin1Char('/')) ? QFileIconProvider::Folder
                                                                          : QFileIconProvider::File);
    }
    QIcon icon = provider.icon(info);
    return icon.isNull() ? provider.icon(info.isDir() ? QFileIconProvider::Folder : QFileIconProvider::File)
                         : icon;
}

QSize UrlIcon::sizeHint() const
{
    return QSize(32, 32);
}

void UrlIcon::paintEvent(QPaintEvent *)
{
    const int side = qMin(width(), height());
    if (side <= 0 || m_icon.isNull()) {
        return;
    }
    QPainter painter(this);
    const QRect square((width() - side) / 2, (height() - side) / 2, side, side);
    m_icon.paint(&painter, square, Qt::AlignCenter);
}
